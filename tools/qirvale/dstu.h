// DSTU 4145 signatures through the library: the standard curves of both bases behind one
// table of the family's exports, a created curve, key generation, key checks, signing and
// verification. Random numbers come from the operating system and are drawn again whenever
// the library answers that a value was unusable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bytes.h"
#include "qirvale.h"

namespace QIRVALETool {

struct CurveRecord;

// The exports of one basis. The two families take the same arguments apart from field
// creation, so everything past it is shared code over this table.
struct DstuFamily {
    const char* basis;        // "pb" or "onb", as in key files
    const char* description;  // "polynomial basis" or "normal basis"
    uint32_t (*createField)(DSTU4145BaseFieldHandle* field, const CurveRecord& record);
    decltype(&QIRVALEDSTU4145PBSignBaseFieldDestroy) destroyField;
    decltype(&QIRVALEDSTU4145PBSignCurveCreate) createCurve;
    decltype(&QIRVALEDSTU4145PBSignCurveDestroy) destroyCurve;
    decltype(&QIRVALEDSTU4145PBSignPrivateKeyGetMaxSizeInBitsByCurve) scalarMaxBits;
    decltype(&QIRVALEDSTU4145PBSignSignMinByteCount) signatureMinBytes;
    decltype(&QIRVALEDSTU4145PBSignCurveGenBasePoint) generateBasePoint;
    decltype(&QIRVALEDSTU4145PBSignCurveVerifyBasePoint) verifyBasePoint;
    decltype(&QIRVALEDSTU4145PBSignGeneratePrivateKey) generatePrivateKey;
    decltype(&QIRVALEDSTU4145PBSignGeneratePublicKey) generatePublicKey;
    decltype(&QIRVALEDSTU4145PBSignVerifyPrivateKey) verifyPrivateKey;
    decltype(&QIRVALEDSTU4145PBSignVerifyPublicKey) verifyPublicKey;
    decltype(&QIRVALEDSTU4145PBSignSignHash) signHash;
    decltype(&QIRVALEDSTU4145PBSignVerifyHash) verifyHash;
};

// A standard curve, read from the library's record of either basis.
struct CurveRecord {
    unsigned index = 0;
    const DstuFamily* family = nullptr;
    uint16_t m = 0, k = 0, j = 0, l = 0;  // k, j, l: polynomial basis only
    uint16_t a = 0;
    const uint8_t* b = nullptr;
    uint32_t bLength = 0;
    const uint8_t* n = nullptr;
    uint32_t nLength = 0;

    // Bytes of a field element, point coordinate or random field element: ceil(m / 8).
    std::size_t CoordinateBytes() const noexcept { return (m + 7u) / 8u; }
    uint32_t OrderBits() const noexcept { return BitLength(n, nLength); }
    // Bytes of a private key: the significant bytes of n.
    std::size_t ScalarBytes() const noexcept { return (OrderBits() + 7u) / 8u; }
    // Bytes of a signature: r and s, each as long as n.
    std::size_t SignatureBytes() const noexcept { return 2 * ScalarBytes(); }
};

// The standard curve of that index (101.. polynomial basis, 201.. normal basis), if any.
std::optional<CurveRecord> FindCurve(unsigned index);
// Every standard curve, polynomial basis first, by index.
std::vector<CurveRecord> StandardCurves();

// A field and curve created from a record, destroyed with the object.
class Curve {
  public:
    explicit Curve(const CurveRecord& record);
    ~Curve();
    Curve(const Curve&) = delete;
    Curve& operator=(const Curve&) = delete;

    const CurveRecord& record() const noexcept { return record_; }
    const DstuFamily& family() const noexcept { return *record_.family; }
    const DSTU4145CurveHandle* handle() const noexcept { return &handle_; }
    // Bit length of n minus 1: the size of a private key or per-signature random number.
    uint32_t ScalarBits() const noexcept { return scalarBits_; }

  private:
    CurveRecord record_;
    DSTU4145CurveHandle handle_{nullptr, nullptr};
    uint32_t scalarBits_ = 0;
};

struct PublicKey {
    CurveRecord curve;
    Bytes px, py;  // the base point generated for this key
    Bytes qx, qy;  // Q = -(d * P)
};

struct PrivateKey {
    PublicKey publicKey;
    SecretBytes d;
};

// A new base point, private key and public key on the curve.
PrivateKey GenerateKeyPair(const Curve& curve);

// What is wrong with a key read from a file, or nothing: the base point must have order n,
// Q must be a point of order n, and for a private key d must be in range and give Q.
std::optional<std::string> ProblemWithPublicKey(const Curve& curve, const PublicKey& key);
std::optional<std::string> ProblemWithPrivateKey(const Curve& curve, const PrivateKey& key);

// The signature (r then s, SignatureBytes() long) of a hash.
Bytes SignHash(const Curve& curve, const PrivateKey& key, const uint8_t* hash,
               std::size_t hashSize);

enum class Verdict { kAccepted, kMismatch, kMalformed };
Verdict VerifyHash(const Curve& curve, const PublicKey& key, const uint8_t* hash,
                   std::size_t hashSize, const Bytes& signature);

}  // namespace QIRVALETool
