// keygen, sign and verify: DSTU 4145 keys and signatures in the text files of key_files.h,
// over the GOST 34.311 hash of the document.
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

}  // namespace

ExitStatus RunKeygen(const Arguments& args) {
    if (!args.operands().empty()) args.UsageError("unexpected operand " + args.operands()[0]);
    const std::optional<unsigned long> index = ParseDecimal(args.Required("curve"), 0xFFFF);
    const std::optional<CurveRecord> record =
        index ? FindCurve(static_cast<unsigned>(*index)) : std::nullopt;
    if (!record) args.UsageError("--curve must be a standard curve index (see 'qirvale curves')");
    const std::string keyPath = args.Value("key").value_or("qirvale.key");
    const std::string pubPath = args.Value("pub").value_or("qirvale.pub");
    if (keyPath == pubPath) args.UsageError("--key and --pub name the same file");

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

    InputFile input(document);
    const Digest digest = HashFile(input, hashParameters);
    SignatureFile signature;
    signature.curveIndex = curve.record().index;
    signature.value = SignHash(curve, key, digest.data(), digest.size());

    // Opened only now: the output may replace the document itself.
    OutputFile output(args.Value("out").value_or("-"), OutputFile::Existing::kReplace);
    output.Write(FormatSignature(signature));
    output.Commit();
    return ExitStatus::kOk;
}

ExitStatus RunVerify(const Arguments& args) {
    const std::string& document = TheDocument(args);
    const HashParameters hashParameters = LoadHashParameters(args);
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
