#include "key_files.h"

#include <map>
#include <vector>

#include "arguments.h"
#include "status.h"

namespace QIRVALETool {

namespace {

constexpr std::string_view kPrivateKeyHeader = "QIRVALE DSTU 4145 PRIVATE KEY";
constexpr std::string_view kPublicKeyHeader = "QIRVALE DSTU 4145 PUBLIC KEY";
constexpr std::string_view kSignatureHeader = "QIRVALE DSTU 4145 SIGNATURE";
// The optional fields of a signature file: the hash parameters when not the defaults.
constexpr const char* kStartValueField = "hash-iv";
constexpr const char* kSBoxDigestField = "hash-sbox-digest";
constexpr std::size_t kHashBytes = QIRVALE_GOST34311_HASH_SIZE;

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The fields of one file, split and checked against the list of names the kind has.
class Record {
  public:
    // `names`: the fields the kind must have; `optional`: those it may have.
    Record(std::string_view text, std::string_view header, std::vector<const char*> names,
           std::string fileName, std::string kind, std::vector<const char*> optional = {})
        : fileName_(std::move(fileName)), kind_(std::move(kind)) {
        std::vector<std::string_view> lines = SplitLines(text);
        if (lines.empty() || lines[0] != header) {
            Malformed("the first line is not \"" + std::string(header) + "\"");
        }
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const std::string lineName = "line " + std::to_string(i + 1);
            const std::size_t colon = lines[i].find(':');
            if (colon == std::string_view::npos) Malformed(lineName + " is not \"name: value\"");
            const std::string_view name = TrimBlanks(lines[i].substr(0, colon));
            const std::string_view value = TrimBlanks(lines[i].substr(colon + 1));
            bool known = false;
            for (const char* allowed : names) known = known || name == allowed;
            for (const char* allowed : optional) known = known || name == allowed;
            if (!known) Malformed(lineName + ": unknown field \"" + std::string(name) + "\"");
            if (!fields_.emplace(std::string(name), value).second) {
                Malformed("field \"" + std::string(name) + "\" appears twice");
            }
        }
        for (const char* name : names) {
            if (fields_.count(name) == 0)
                Malformed("field \"" + std::string(name) + "\" is missing");
        }
    }

    [[noreturn]] void Malformed(const std::string& detail) const {
        Fail(ExitStatus::kMalformed, fileName_ + ": malformed " + kind_ + ": " + detail);
    }

    std::string_view Field(const char* name) const { return fields_.at(name); }
    bool Has(const char* name) const { return fields_.count(name) != 0; }

    unsigned CurveIndex() const {
        const std::optional<unsigned long> index = ParseDecimal(Field("curve"), 0xFFFF);
        if (!index) Malformed("field \"curve\" is not a curve index");
        return static_cast<unsigned>(*index);
    }

    // The standard curve named by the "curve" field, whose basis must be the "basis" field.
    CurveRecord Curve() const {
        const unsigned index = CurveIndex();
        const std::optional<CurveRecord> record = FindCurve(index);
        if (!record) Malformed("there is no standard curve " + std::to_string(index));
        if (Field("basis") != record->family->basis) {
            Malformed("curve " + std::to_string(index) + " has basis \"" + record->family->basis +
                      "\", not \"" + std::string(Field("basis")) + "\"");
        }
        return *record;
    }

    void DecodeInto(const char* name, uint8_t* out, std::size_t size) const {
        if (!DecodeHex(Field(name), out, size)) {
            Malformed("field \"" + std::string(name) + "\" must be " + std::to_string(2 * size) +
                      " hex digits");
        }
    }

    Bytes Hex(const char* name, std::size_t size) const {
        Bytes bytes(size);
        DecodeInto(name, bytes.data(), size);
        return bytes;
    }

    SecretBytes SecretHex(const char* name, std::size_t size) const {
        SecretBytes bytes(size);
        DecodeInto(name, bytes.data(), size);
        return bytes;
    }

  private:
    // Lines of the text; a final line end is optional, an empty line is kept (and then
    // rejected as not "name: value").
    static std::vector<std::string_view> SplitLines(std::string_view text) {
        std::vector<std::string_view> lines;
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            lines.push_back(line);
            if (end == std::string_view::npos) break;
            text.remove_prefix(end + 1);
        }
        return lines;
    }

    std::string fileName_;
    std::string kind_;
    std::map<std::string, std::string_view, std::less<>> fields_;
};

std::string Line(std::string_view name, std::string_view value) {
    return std::string(name) + ": " + std::string(value) + "\n";
}

std::string PublicFields(const PublicKey& key) {
    return Line("curve", std::to_string(key.curve.index)) + Line("basis", key.curve.family->basis) +
           Line("px", ToHex(key.px)) + Line("py", ToHex(key.py)) + Line("qx", ToHex(key.qx)) +
           Line("qy", ToHex(key.qy));
}

PublicKey PublicFromRecord(const Record& record) {
    PublicKey key;
    key.curve = record.Curve();
    const std::size_t size = key.curve.CoordinateBytes();
    key.px = record.Hex("px", size);
    key.py = record.Hex("py", size);
    key.qx = record.Hex("qx", size);
    key.qy = record.Hex("qy", size);
    return key;
}

}  // namespace

std::string FormatPrivateKey(const PrivateKey& key) {
    std::string hex = ToHex(key.d.data(), key.d.size());
    std::string text = std::string(kPrivateKeyHeader) + "\n";
    text.reserve(text.size() + 1024);  // one buffer: no stray copies of d when it grows
    text += PublicFields(key.publicKey);
    text += "d: ";
    text += hex;
    text += "\n";
    Wipe(hex);
    return text;
}

std::string FormatPublicKey(const PublicKey& key) {
    return std::string(kPublicKeyHeader) + "\n" + PublicFields(key);
}

std::string FormatSignature(const SignatureFile& signature) {
    std::string text = std::string(kSignatureHeader) + "\n" +
                       Line("curve", std::to_string(signature.curveIndex)) +
                       Line("signature", ToHex(signature.value));
    if (signature.startValue) text += Line(kStartValueField, ToHex(*signature.startValue));
    if (signature.sBoxDigest) text += Line(kSBoxDigestField, ToHex(*signature.sBoxDigest));
    return text;
}

PrivateKey ParsePrivateKey(std::string_view text, const std::string& fileName) {
    const Record record(text, kPrivateKeyHeader, {"curve", "basis", "px", "py", "qx", "qy", "d"},
                        fileName, "private key file");
    PrivateKey key;
    key.publicKey = PublicFromRecord(record);
    key.d = record.SecretHex("d", key.publicKey.curve.ScalarBytes());
    return key;
}

PublicKey ParsePublicKey(std::string_view text, const std::string& fileName) {
    const Record record(text, kPublicKeyHeader, {"curve", "basis", "px", "py", "qx", "qy"},
                        fileName, "public key file");
    return PublicFromRecord(record);
}

SignatureFile ParseSignature(std::string_view text, const std::string& fileName,
                             const CurveRecord& curve) {
    const Record record(text, kSignatureHeader, {"curve", "signature"}, fileName, "signature file",
                        {kStartValueField, kSBoxDigestField});
    SignatureFile signature;
    signature.curveIndex = record.CurveIndex();
    if (signature.curveIndex != curve.index) {
        record.Malformed("the signature is for curve " + std::to_string(signature.curveIndex) +
                         ", the public key for curve " + std::to_string(curve.index));
    }
    signature.value = record.Hex("signature", curve.SignatureBytes());
    if (record.Has(kStartValueField))
        signature.startValue = record.Hex(kStartValueField, kHashBytes);
    if (record.Has(kSBoxDigestField))
        signature.sBoxDigest = record.Hex(kSBoxDigestField, kHashBytes);
    return signature;
}

}  // namespace QIRVALETool
