// keygen, sign and verify: DSTU 4145 keys and signatures in the text files of key_files.h,
// over the GOST 34.311 hash of the document.
#include <sys/stat.h>
#include <algorithm>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "commands.h"
#include "dstu.h"
#include "io.h"
#include "key_files.h"
#include "symmetric.h"

namespace QIRVALETool {

namespace {

// Key and signature files are a few hundred bytes; anything much larger is not one.
constexpr std::size_t kKeyFileLimit = 16 * 1024;

const std::string& TheDocument(const Arguments& args) {
    if (args.operands().size() != 1) args.UsageError("give exactly one document");
    return args.operands()[0];
}

PublicKey ReadPublicKey(const std::string& path) {
    const SecretBytes text = ReadSmallFile(path, kKeyFileLimit, "public key file");
    return ParsePublicKey(text.view(), DisplayName(path));
}

// A private key that others may read is no longer private: say so (the signature is still
// made). Only a file that holds a valid key is worth the warning.
void WarnIfExposed(const std::string& keyPath) {
#if !defined(_WIN32)
    struct stat status;
    if (keyPath == "-" || stat(keyPath.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        (status.st_mode & 077) == 0) {
        return;
    }
    std::fprintf(stderr,
                 "qirvale: warning: private key file %s is accessible by group or others "
                 "(mode %04o); restrict it with chmod 600\n",
                 keyPath.c_str(), static_cast<unsigned>(status.st_mode & 0777));
#else
    (void)keyPath;
#endif
}

// The digest by which a signature file names a hash S-box: GOST 34.311 (sample S-box, zero
// start value) of its 128 bytes.
Bytes SBoxDigest(const SBox& sBox) {
    GOST34311HashStateHeader state;
    QIRVALEGOST34311HashInit(&state, QIRVALEGOST34311HashStdSampleSBoxPtr(), nullptr);
    QIRVALEGOST34311HashAction(&state, sBox.data(), static_cast<uint32_t>(sBox.size()));
    Bytes digest(QIRVALE_GOST34311_HASH_SIZE);
    QIRVALEGOST34311HashDone(&state, digest.data());
    return digest;
}

// The hash parameters that differ from the defaults, recorded in the signature file.
void RecordHashParameters(const HashParameters& parameters, SignatureFile& signature) {
    if (std::memcmp(parameters.sBox.data(), QIRVALEGOST34311HashStdSampleSBoxPtr(),
                    parameters.sBox.size()) != 0) {
        signature.sBoxDigest = SBoxDigest(parameters.sBox);
    }
    const std::optional<Bytes>& start = parameters.startValue;
    if (start && std::any_of(start->begin(), start->end(), [](uint8_t b) { return b != 0; })) {
        signature.startValue = start;
    }
}

// Verifies with the hash parameters the signature file records. The start value is taken
// from the file. The S-box is recorded by its digest only and must be given with --sbox:
// hashing with an S-box that nothing but the signature file vouches for would let anyone
// who picks a weak one fit a document to a signed hash. Options that contradict the file
// are a usage error. A file without these fields (also one written before they existed)
// leaves the options as they are.
void ApplyRecordedParameters(const Arguments& args, const SignatureFile& signature,
                             const std::string& sigName, HashParameters& parameters) {
    if (signature.startValue) {
        if (parameters.startValue && *parameters.startValue != *signature.startValue) {
            args.UsageError("--iv differs from the hash start value recorded in " + sigName);
        }
        parameters.startValue = signature.startValue;
    }
    if (signature.sBoxDigest && SBoxDigest(parameters.sBox) != *signature.sBoxDigest) {
        args.UsageError(args.Value("sbox")
                            ? "the S-box of --sbox is not the one recorded in " + sigName
                            : sigName + " was made with another hash S-box: give it with --sbox");
    }
}

bool StandardOutputIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stdout)) != 0;
#else
    return isatty(fileno(stdout)) != 0;
#endif
}

}  // namespace

ExitStatus RunKeygen(const Arguments& args) {
    if (!args.operands().empty()) args.UsageError("unexpected operand " + args.operands()[0]);
    const std::optional<unsigned long> index = ParseDecimal(args.Required("curve"), 0xFFFF);
    const std::optional<CurveRecord> record =
        index ? FindCurve(static_cast<unsigned>(*index)) : std::nullopt;
    if (!record) args.UsageError("--curve must be a standard curve index", "qirvale curves");
    const std::string keyPath = args.Value("key").value_or("qirvale.key");
    const std::string pubPath = args.Value("pub").value_or("qirvale.pub");
    if (keyPath == pubPath) args.UsageError("--key and --pub name the same file");
    if (keyPath == "-" && StandardOutputIsTerminal()) {
        args.UsageError(
            "will not write a private key to a terminal: name a file with --key, or redirect "
            "standard output");
    }

    // Both files are created before the keys are made, so an existing file or an unwritable
    // place is reported at once, and neither file is left behind on a failure.
    const OutputFile::Existing existing =
        args.Flag("force") ? OutputFile::Existing::kReplace : OutputFile::Existing::kRefuse;
    OutputFile keyFile(keyPath, existing, OutputFile::Access::kOwnerOnly);
    OutputFile pubFile(pubPath, existing);

    const Curve curve(*record);
    const PrivateKey key = GenerateKeyPair(curve);
    std::string privateText = FormatPrivateKey(key);
    keyFile.Write(privateText);
    Wipe(privateText);
    pubFile.Write(FormatPublicKey(key.publicKey));
    // Both written out before either is put in place: a failure leaves neither.
    keyFile.Close();
    pubFile.Close();
    keyFile.Commit();
    pubFile.Commit();
    if (keyPath != "-" && pubPath != "-") {
        PrintLine("curve " + std::to_string(record->index) + " (" + record->family->description +
                  ", m = " + std::to_string(record->m) + "): private key " + keyPath +
                  ", public key " + pubPath);
    }
    return ExitStatus::kOk;
}

ExitStatus RunSign(const Arguments& args) {
    const std::string& document = TheDocument(args);
    const HashParameters hashParameters = LoadHashParameters(args);
    const std::string keyPath = args.Required("key");

    const SecretBytes keyText = ReadSmallFile(keyPath, kKeyFileLimit, "private key file");
    const PrivateKey key = ParsePrivateKey(keyText.view(), DisplayName(keyPath));
    const Curve curve(key.publicKey.curve);
    if (const std::optional<std::string> problem = ProblemWithPrivateKey(curve, key)) {
        Fail(ExitStatus::kMalformed,
             DisplayName(keyPath) + ": malformed private key file: " + *problem);
    }
    WarnIfExposed(keyPath);

    InputFile input(document);
    const Digest digest = HashFile(input, hashParameters);
    SignatureFile signature;
    signature.curveIndex = curve.record().index;
    signature.value = SignHash(curve, key, digest.data(), digest.size());
    RecordHashParameters(hashParameters, signature);

    // Opened only now: the output may replace the document itself.
    OutputFile output(args.Value("out").value_or("-"), OutputFile::Existing::kReplace);
    output.Write(FormatSignature(signature));
    output.Commit();
    return ExitStatus::kOk;
}

ExitStatus RunVerify(const Arguments& args) {
    const std::string& document = TheDocument(args);
    HashParameters hashParameters = LoadHashParameters(args);
    const std::string pubPath = args.Required("pub");
    const std::string sigPath = args.Required("sig");

    const PublicKey key = ReadPublicKey(pubPath);
    const Curve curve(key.curve);
    if (const std::optional<std::string> problem = ProblemWithPublicKey(curve, key)) {
        Fail(ExitStatus::kMalformed,
             DisplayName(pubPath) + ": malformed public key file: " + *problem);
    }
    const SecretBytes sigText = ReadSmallFile(sigPath, kKeyFileLimit, "signature file");
    const SignatureFile signature = ParseSignature(sigText.view(), DisplayName(sigPath), key.curve);
    ApplyRecordedParameters(args, signature, DisplayName(sigPath), hashParameters);

    InputFile input(document);
    const Digest digest = HashFile(input, hashParameters);
    switch (VerifyHash(curve, key, digest.data(), digest.size(), signature.value)) {
        case Verdict::kAccepted:
            PrintLine(DisplayName(document) + ": signature ok");
            return ExitStatus::kOk;
        case Verdict::kMismatch:
            Fail(ExitStatus::kSignatureMismatch, DisplayName(document) + ": signature mismatch");
        case Verdict::kMalformed:
            break;
    }
    Fail(ExitStatus::kMalformed,
         DisplayName(sigPath) + ": malformed signature file: r or s is not in 1 .. n-1");
}

}  // namespace QIRVALETool
