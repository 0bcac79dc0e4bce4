#include "dstu.h"

#include "os_random.h"
#include "status.h"

namespace QIRVALETool {

namespace {

uint32_t CreatePolynomialBasisField(DSTU4145BaseFieldHandle* field, const CurveRecord& record) {
    return QIRVALEDSTU4145PBSignBaseFieldCreate(field, record.m, record.k, record.j, record.l);
}

uint32_t CreateNormalBasisField(DSTU4145BaseFieldHandle* field, const CurveRecord& record) {
    return QIRVALEDSTU4145ONBSignBaseFieldCreate(field, record.m);
}

const DstuFamily kPolynomialBasis = {
    "pb",
    "polynomial basis",
    &CreatePolynomialBasisField,
    &QIRVALEDSTU4145PBSignBaseFieldDestroy,
    &QIRVALEDSTU4145PBSignCurveCreate,
    &QIRVALEDSTU4145PBSignCurveDestroy,
    &QIRVALEDSTU4145PBSignPrivateKeyGetMaxSizeInBitsByCurve,
    &QIRVALEDSTU4145PBSignSignMinByteCount,
    &QIRVALEDSTU4145PBSignCurveGenBasePoint,
    &QIRVALEDSTU4145PBSignCurveVerifyBasePoint,
    &QIRVALEDSTU4145PBSignGeneratePrivateKey,
    &QIRVALEDSTU4145PBSignGeneratePublicKey,
    &QIRVALEDSTU4145PBSignVerifyPrivateKey,
    &QIRVALEDSTU4145PBSignVerifyPublicKey,
    &QIRVALEDSTU4145PBSignSignHash,
    &QIRVALEDSTU4145PBSignVerifyHash,
};

const DstuFamily kNormalBasis = {
    "onb",
    "normal basis",
    &CreateNormalBasisField,
    &QIRVALEDSTU4145ONBSignBaseFieldDestroy,
    &QIRVALEDSTU4145ONBSignCurveCreate,
    &QIRVALEDSTU4145ONBSignCurveDestroy,
    &QIRVALEDSTU4145ONBSignPrivateKeyGetMaxSizeInBitsByCurve,
    &QIRVALEDSTU4145ONBSignSignMinByteCount,
    &QIRVALEDSTU4145ONBSignCurveGenBasePoint,
    &QIRVALEDSTU4145ONBSignCurveVerifyBasePoint,
    &QIRVALEDSTU4145ONBSignGeneratePrivateKey,
    &QIRVALEDSTU4145ONBSignGeneratePublicKey,
    &QIRVALEDSTU4145ONBSignVerifyPrivateKey,
    &QIRVALEDSTU4145ONBSignVerifyPublicKey,
    &QIRVALEDSTU4145ONBSignSignHash,
    &QIRVALEDSTU4145ONBSignVerifyHash,
};

std::optional<CurveRecord> PolynomialBasisRecord(unsigned index) {
    if (index > 0xFFFF) return std::nullopt;
    const PBCurveInfo* info = QIRVALEDSTU4145DataPBCurveInfoPtr(static_cast<uint16_t>(index));
    if (info == nullptr) return std::nullopt;
    CurveRecord record;
    record.index = index;
    record.family = &kPolynomialBasis;
    record.m = info->m;
    record.k = info->k;
    record.j = info->j;
    record.l = info->l;
    record.a = info->coefficientA;
    record.b = info->coefficientB;
    record.bLength = info->coefficientBLength;
    record.n = info->order;
    record.nLength = info->orderLength;
    return record;
}

std::optional<CurveRecord> NormalBasisRecord(unsigned index) {
    if (index > 0xFFFF) return std::nullopt;
    const ONBCurveInfo* info = QIRVALEDSTU4145DataONBCurveInfoPtr(static_cast<uint16_t>(index));
    if (info == nullptr) return std::nullopt;
    CurveRecord record;
    record.index = index;
    record.family = &kNormalBasis;
    record.m = info->m;
    record.a = info->coefficientA;
    record.b = info->coefficientB;
    record.bLength = info->coefficientBLength;
    record.n = info->order;
    record.nLength = info->orderLength;
    return record;
}

uint32_t Size32(std::size_t size) {
    return static_cast<uint32_t>(size);
}

[[noreturn]] void LibraryFailure(const std::string& operation, uint16_t code) {
    Fail(ExitStatus::kFailure,
         operation + " failed in the library (result code " + std::to_string(code) + ")");
}

// Values drawn at random are rejected by the library only with negligible probability
// (a base-point seed with probability about 1/2 or 3/4); a longer run of rejections means
// something is broken, not bad luck.
constexpr int kMaxDraws = 200;

[[noreturn]] void TooManyDraws(const std::string& what) {
    Fail(ExitStatus::kFailure,
         "the library rejected " + std::to_string(kMaxDraws) + " random " + what + " in a row");
}

}  // namespace

std::optional<CurveRecord> FindCurve(unsigned index) {
    if (std::optional<CurveRecord> record = PolynomialBasisRecord(index)) return record;
    return NormalBasisRecord(index);
}

std::vector<CurveRecord> StandardCurves() {
    std::vector<CurveRecord> curves;
    for (unsigned index = 101; std::optional<CurveRecord> r = PolynomialBasisRecord(index);
         ++index) {
        curves.push_back(*r);
    }
    for (unsigned index = 201; std::optional<CurveRecord> r = NormalBasisRecord(index); ++index) {
        curves.push_back(*r);
    }
    return curves;
}

// ---------------------------------------------------------------------------------------
// Curve
// ---------------------------------------------------------------------------------------

Curve::Curve(const CurveRecord& record) : record_(record) {
    const std::string name = "curve " + std::to_string(record.index);
    DSTU4145BaseFieldHandle field{nullptr};
    if (family().createField(&field, record) != 0) {
        Fail(ExitStatus::kFailure, "cannot create the field of " + name);
    }
    // The curve keeps its own copy of the field.
    const uint32_t status = family().createCurve(&handle_, &field, record.a, record.b,
                                                 record.bLength, record.n, record.nLength);
    family().destroyField(&field);
    if (status != 0) {
        family().destroyCurve(&handle_);
        Fail(ExitStatus::kFailure, "cannot create " + name);
    }
    scalarBits_ = family().scalarMaxBits(&handle_);
    if (scalarBits_ + 1 != record.OrderBits() ||
        family().signatureMinBytes(&handle_) != record.SignatureBytes()) {
        family().destroyCurve(&handle_);
        Fail(ExitStatus::kFailure, "the library disagrees with the record of " + name);
    }
}

Curve::~Curve() {
    family().destroyCurve(&handle_);
}

// ---------------------------------------------------------------------------------------
// Keys
// ---------------------------------------------------------------------------------------

PrivateKey GenerateKeyPair(const Curve& curve) {
    const DstuFamily& family = curve.family();
    const CurveRecord& record = curve.record();
    const std::size_t coordinateBytes = record.CoordinateBytes();

    PrivateKey key;
    PublicKey& pub = key.publicKey;
    pub.curve = record;
    pub.px.assign(coordinateBytes, 0);
    pub.py.assign(coordinateBytes, 0);
    pub.qx.assign(coordinateBytes, 0);
    pub.qy.assign(coordinateBytes, 0);
    uint16_t code = 0;

    // The base point: a random field element U gives one about every second (A = 1) or
    // fourth (A = 0) time; the library answers code 99 otherwise.
    for (int draw = 0;; ++draw) {
        if (draw == kMaxDraws) TooManyDraws("base-point seeds");
        const SecretBytes u = RandomBits(record.m);
        if (family.generateBasePoint(pub.px.data(), Size32(coordinateBytes), pub.py.data(),
                                     Size32(coordinateBytes), curve.handle(), u.data(),
                                     Size32(u.size()), &code) == 0) {
            break;
        }
        if (code != ResultCodeBadValue) LibraryFailure("base-point generation", code);
    }

    // The private key: bit length of n minus 1 random bits, drawn again when zero.
    key.d = SecretBytes(record.ScalarBytes());
    for (int draw = 0;; ++draw) {
        if (draw == kMaxDraws) TooManyDraws("private keys");
        const SecretBytes random = RandomBits(curve.ScalarBits());
        if (family.generatePrivateKey(key.d.data(), Size32(key.d.size()), curve.handle(),
                                      random.data(), Size32(random.size()), &code) == 0) {
            break;
        }
        if (code != ResultCodeBadValue) LibraryFailure("private-key generation", code);
    }

    if (family.generatePublicKey(pub.qx.data(), Size32(coordinateBytes), pub.qy.data(),
                                 Size32(coordinateBytes), curve.handle(), pub.px.data(),
                                 Size32(coordinateBytes), pub.py.data(), Size32(coordinateBytes),
                                 key.d.data(), Size32(key.d.size()), &code) != 0) {
        LibraryFailure("public-key generation", code);
    }
    return key;
}

std::optional<std::string> ProblemWithPublicKey(const Curve& curve, const PublicKey& key) {
    const DstuFamily& family = curve.family();
    uint8_t valid = 0;
    if (family.verifyBasePoint(&valid, curve.handle(), key.px.data(), Size32(key.px.size()),
                               key.py.data(), Size32(key.py.size())) != 0 ||
        valid == 0) {
        return "the base point is not a point of order n on curve " +
               std::to_string(curve.record().index);
    }
    valid = 0;
    if (family.verifyPublicKey(&valid, curve.handle(), key.qx.data(), Size32(key.qx.size()),
                               key.qy.data(), Size32(key.qy.size())) != 0 ||
        valid == 0) {
        return "the public key is not a point of order n on curve " +
               std::to_string(curve.record().index);
    }
    return std::nullopt;
}

std::optional<std::string> ProblemWithPrivateKey(const Curve& curve, const PrivateKey& key) {
    if (std::optional<std::string> problem = ProblemWithPublicKey(curve, key.publicKey)) {
        return problem;
    }
    const DstuFamily& family = curve.family();
    const PublicKey& pub = key.publicKey;
    // The library's acceptance of a random number as private key is exactly the range
    // check 0 < d < 2^(bit length of n - 1).
    SecretBytes copy(key.d.size());
    uint16_t code = 0;
    if (family.generatePrivateKey(copy.data(), Size32(copy.size()), curve.handle(), key.d.data(),
                                  Size32(key.d.size()), &code) != 0) {
        return "the private key d is out of range";
    }
    uint8_t valid = 0;
    if (family.verifyPrivateKey(&valid, curve.handle(), pub.px.data(), Size32(pub.px.size()),
                                pub.py.data(), Size32(pub.py.size()), pub.qx.data(),
                                Size32(pub.qx.size()), pub.qy.data(), Size32(pub.qy.size()),
                                key.d.data(), Size32(key.d.size())) != 0 ||
        valid == 0) {
        return "the private key d does not belong to the public key";
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------
// Signatures
// ---------------------------------------------------------------------------------------

Bytes SignHash(const Curve& curve, const PrivateKey& key, const uint8_t* hash,
               std::size_t hashSize) {
    const DstuFamily& family = curve.family();
    const PublicKey& pub = key.publicKey;
    Bytes signature(curve.record().SignatureBytes(), 0);
    uint16_t code = 0;
    // A per-signature random number e of bit length of n minus 1 bits is below n; the
    // library answers code 1 for e = 0 and code 99 when e gives r = 0 or s = 0.
    for (int draw = 0;; ++draw) {
        if (draw == kMaxDraws) TooManyDraws("per-signature numbers");
        const SecretBytes e = RandomBits(curve.ScalarBits());
        if (family.signHash(signature.data(), Size32(signature.size()), curve.handle(),
                            pub.px.data(), Size32(pub.px.size()), pub.py.data(),
                            Size32(pub.py.size()), hash, Size32(hashSize), key.d.data(),
                            Size32(key.d.size()), e.data(), Size32(e.size()), &code) == 0) {
            return signature;
        }
        if (code != ResultCodeBadSeed && code != ResultCodeBadValue) {
            LibraryFailure("signing", code);
        }
    }
}

Verdict VerifyHash(const Curve& curve, const PublicKey& key, const uint8_t* hash,
                   std::size_t hashSize, const Bytes& signature) {
    uint8_t verified = 0;
    uint16_t code = 0;
    const uint32_t status = curve.family().verifyHash(
        &verified, curve.handle(), key.px.data(), Size32(key.px.size()), key.py.data(),
        Size32(key.py.size()), hash, Size32(hashSize), signature.data(), Size32(signature.size()),
        key.qx.data(), Size32(key.qx.size()), key.qy.data(), Size32(key.qy.size()), &code);
    if (status == 0 && verified != 0) return Verdict::kAccepted;
    if (status == 0 && code == ResultCodeSignatureMismatch) return Verdict::kMismatch;
    if (status != 0 && code == ResultCodeBadSignatureLength) return Verdict::kMalformed;
    LibraryFailure("verification", code);
}

}  // namespace QIRVALETool
