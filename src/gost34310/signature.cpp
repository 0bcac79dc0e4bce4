#include "gost34310/signature.h"

#include <cstring>

#include "frame/constant_time.h"
#include "frame/exceptions.h"
#include "frame/memory.h"
#include "gost34310/byte_strings.h"
#include "longint/fixed_width.h"
#include "qirvale.h"

namespace QIRVALE {
namespace GOST34310 {

namespace {

using FixedWidth::Modulus;
using FixedWidth::Word;
using FixedWidth::WordsForBits;
using FixedWidth::WordsForBytes;

// The fixed-width path takes p and q of at most 4080 bits (255 digits), where
// LongIntegerClass::ModExp computes by Montgomery exponentiation as well and the literal
// algorithms raise nothing, and x strings and hash values of at most 510 bytes (255 digits),
// whose products with numbers below q stay far from the capacity of LongIntegerClass.
constexpr uint32_t kFixedWidthModulusBits = 4080;
constexpr uint32_t kFixedWidthStringBytes = 510;
// Words of the longest string a caller may pass (1024 bytes).
constexpr uint32_t kStringWords = WordsForBytes(LongIntegerMaxBytes);

// H, or 1 when H is a multiple of q (q = 0 raises).
LongIntegerClass UsableHash(const LongIntegerClass& hash, const LongIntegerClass& q) {
    if (hash.Modulo(q).IsZero()) return LongIntegerClass(1u);
    return hash;
}

bool InOpenRange(const LongIntegerClass& value, const LongIntegerClass& q) {
    return !value.IsZero() && value < q;
}

// Whether q leaves no integer strictly between 0 and q: q = 0 or q = 1.
bool OrderAdmitsNoNumber(const LongIntegerClass& q) {
    return q.BitLength() <= 1;
}

// 2 <= y <= p - 2.
bool PublicKeyInRange(const LongIntegerClass& y, const LongIntegerClass& p) {
    const LongIntegerClass two(2u);
    return y >= two && y < p && p - y >= two;
}

// The strings of x and k as the exports read them: at most 1024 bytes.
void CheckStringLength(uint32_t length) {
    if (length > LongIntegerMaxBytes) throw OutOfMemoryExceptionClass();
}

// p and a for which the fixed-width a^e mod p equals LongIntegerClass::ModExp(a, e, p) for
// every e (e = 1 gives a unreduced there, e = 0 gives 1 even for p = 1).
bool FixedWidthBase(const LongIntegerClass& p, const LongIntegerClass& a) {
    return p.TestBit(0) && p > LongIntegerClass(1u) && p.BitLength() <= kFixedWidthModulusBits &&
           a < p;
}

// q and the usable hash h for which signing and verification may compute modulo q in fixed
// width.
bool FixedWidthOrder(const LongIntegerClass& q, const LongIntegerClass& h) {
    return q.TestBit(0) && q > LongIntegerClass(1u) && q.BitLength() <= kFixedWidthModulusBits &&
           h.ByteLength() <= kFixedWidthStringBytes;
}

// words[0 .. count) = the public number v, which must fit; returns words.
const Word* LoadNumber(Word* words, uint32_t count, const LongIntegerClass& v) {
    uint8_t bytes[FixedWidth::kMaxWords * sizeof(Word)];
    const uint32_t length = count * static_cast<uint32_t>(sizeof(Word));
    v.ToBytes(bytes, length);
    FixedWidth::LoadBytes(words, count, bytes, length);
    return words;
}

// The public number words[0 .. count).
LongIntegerClass NumberOfWords(const Word* words, uint32_t count) {
    uint8_t bytes[FixedWidth::kMaxWords * sizeof(Word)];
    const uint32_t length = count * static_cast<uint32_t>(sizeof(Word));
    FixedWidth::StoreBytes(bytes, length, words, count);
    return NumberFromBytes(bytes, length);
}

// A public modulus (FixedWidthBase or FixedWidthOrder holds) with its words.
struct PublicModulus {
    explicit PublicModulus(const LongIntegerClass& m)
        : words(WordsForBits(m.BitLength())), modulus(LoadNumber(w, words, m), words) {}
    uint32_t words;
    Word w[FixedWidth::kMaxWords];
    Modulus modulus;
};

// A table made from p and a (for the signing comb also from the bit length of q), kept per
// thread for the last parameters it served: a signer or verifier uses one set of parameters
// for many signatures. Table is FixedBaseComb (signing, any p) or OddPowers (verification,
// p of at most OddPowers::kMaxModulusWords words); everything here is public.
template <class Table, uint32_t kCapacity, class Build>
const Table& CachedTable(const PublicModulus& pm, const Word* a, uint32_t bits, Build build) {
    struct Entry {
        uint32_t words = 0;
        uint32_t bits = 0;
        Word p[kCapacity];
        Word a[kCapacity];
        Table table;
    };
    thread_local Entry cached;
    const std::size_t size = pm.words * sizeof(Word);
    if (cached.words != pm.words || cached.bits != bits || std::memcmp(cached.p, pm.w, size) != 0 ||
        std::memcmp(cached.a, a, size) != 0) {
        cached.words = 0;
        build(cached.table);
        std::memcpy(cached.p, pm.w, size);
        std::memcpy(cached.a, a, size);
        cached.bits = bits;
        cached.words = pm.words;
    }
    return cached.table;
}

// The signing comb of a for exponents of `bits` bits.
const FixedWidth::FixedBaseComb& CombFor(const PublicModulus& pm, const Word* a, uint32_t bits) {
    return CachedTable<FixedWidth::FixedBaseComb, FixedWidth::kMaxWords>(
        pm, a, bits, [&](FixedWidth::FixedBaseComb& comb) { comb.Build(pm.modulus, a, bits); });
}

// The odd powers of a for verification.
const FixedWidth::OddPowers& OddPowersFor(const PublicModulus& pm, const Word* a) {
    return CachedTable<FixedWidth::OddPowers, FixedWidth::OddPowers::kMaxModulusWords>(
        pm, a, 0, [&](FixedWidth::OddPowers& powers) { powers.Build(pm.modulus, a); });
}

// The secret-dependent words of one key or signature, wiped however the function ends.
struct SecretWords {
    Word k[kStringWords];
    Word x[kStringWords + 1];
    Word xReduced[FixedWidth::kMaxWords];
    Word power[FixedWidth::kMaxWords];
    Word kh[FixedWidth::kMaxWords];
    Word xr[FixedWidth::kMaxWords];
    Word s[FixedWidth::kMaxWords];
    SecretWords() = default;
    SecretWords(const SecretWords&) = delete;
    SecretWords& operator=(const SecretWords&) = delete;
    ~SecretWords() { SecureWipe(this, sizeof *this); }
};

// u = (a^z1 y^z2 mod p) mod q with z1 = s v mod q, z2 = (q - r) v mod q and v = H^(q - 2)
// mod q, the value that verification compares with r.
LongIntegerClass LiteralCheckValue(const LongIntegerClass& p, const LongIntegerClass& q,
                                   const LongIntegerClass& a, const LongIntegerClass& h,
                                   const LongIntegerClass& s, const LongIntegerClass& r,
                                   const LongIntegerClass& y) {
    // H is reduced first: the same v, and a hash too long to square within the capacity of
    // LongIntegerClass (above 510 bytes) still verifies what SignHash made of it.
    const LongIntegerClass v = LongIntegerClass::ModExp(h.Modulo(q), q - LongIntegerClass(2u), q);
    const LongIntegerClass z1 = LongIntegerClass::ModMul(s, v, q);
    const LongIntegerClass z2 = LongIntegerClass::ModMul(q - r, v, q);
    return LongIntegerClass::ModMul(LongIntegerClass::ModExp(a, z1, p),
                                    LongIntegerClass::ModExp(y, z2, p), p)
        .Modulo(q);
}

// The same value in fixed width (all inputs public; y < p): v by sliding windows, then
// a^z1 y^z2 by one double exponentiation with shared squarings. H^(q - 2) with H reduced
// first is the literal v modulo q, and z1, z2 depend only on v modulo q.
LongIntegerClass FixedWidthCheckValue(const LongIntegerClass& p, const LongIntegerClass& q,
                                      const LongIntegerClass& a, const LongIntegerClass& h,
                                      const LongIntegerClass& s, const LongIntegerClass& r,
                                      const LongIntegerClass& y) {
    const PublicModulus pm(p), qm(q);
    const uint32_t qBits = q.BitLength();
    Word hw[FixedWidth::kMaxWords], ew[FixedWidth::kMaxWords], v[FixedWidth::kMaxWords];
    Word z1[FixedWidth::kMaxWords], z2[FixedWidth::kMaxWords], t[FixedWidth::kMaxWords];
    const LongIntegerClass e = q - LongIntegerClass(2u);
    LoadNumber(hw, qm.words, h.Modulo(q));
    LoadNumber(ew, qm.words, e);
    qm.modulus.PublicPower(v, hw, ew, e.BitLength());
    LoadNumber(t, qm.words, s);
    qm.modulus.ToMontgomery(t, t);
    qm.modulus.Multiply(z1, t, v);
    LoadNumber(t, qm.words, q - r);
    qm.modulus.ToMontgomery(t, t);
    qm.modulus.Multiply(z2, t, v);

    Word aw[FixedWidth::kMaxWords], yw[FixedWidth::kMaxWords], u[FixedWidth::kMaxWords];
    LoadNumber(aw, pm.words, a);
    LoadNumber(yw, pm.words, y);
    if (pm.words <= FixedWidth::OddPowers::kMaxModulusWords) {
        pm.modulus.PublicDoublePower(u, OddPowersFor(pm, aw), z1, qBits, yw, z2, qBits);
    } else {
        pm.modulus.PublicDoublePower(u, aw, z1, qBits, yw, z2, qBits);
    }
    return NumberOfWords(u, pm.words).Modulo(q);
}

uint16_t Verify(bool literal, uint8_t* verified, const LongIntegerClass& p,
                const LongIntegerClass& q, const LongIntegerClass& a, const LongIntegerClass& hash,
                const uint8_t* signature, const LongIntegerClass& y) {
    const LongIntegerClass s = NumberFromBytes(signature, SignatureHalfSize);
    const LongIntegerClass r = NumberFromBytes(signature + SignatureHalfSize, SignatureHalfSize);
    if (!InOpenRange(r, q) || !InOpenRange(s, q)) return ResultCodeSignatureOutOfRange;
    if (!PublicKeyInRange(y, p)) return ResultCodeBadValue;
    const LongIntegerClass h = UsableHash(hash, q);
    const LongIntegerClass u = !literal && FixedWidthBase(p, a) && FixedWidthOrder(q, h)
                                   ? FixedWidthCheckValue(p, q, a, h, s, r, y)
                                   : LiteralCheckValue(p, q, a, h, s, r, y);
    if (u != r) return ResultCodeSignatureMismatch;
    *verified = 1;
    return ResultCodeNone;
}

}  // namespace

uint16_t GeneratePrivateKey(uint8_t* x, uint32_t xLength, const LongIntegerClass& q,
                            const uint8_t* random, uint32_t randomLength) {
    CheckStringLength(randomLength);
    // 0 < random < q, compared over the longer of the two lengths (q of at most 1024 bytes).
    const uint32_t qBytes = q.ByteLength();
    const uint32_t words = WordsForBytes(randomLength > qBytes ? randomLength : qBytes) + 1;
    uint8_t qString[kStringWords * sizeof(Word)];
    q.ToBytes(qString, qBytes);
    Word qw[kStringWords + 1];
    FixedWidth::LoadBytes(qw, words, qString, qBytes);
    SecretWords secret;
    FixedWidth::LoadBytes(secret.x, words, random, randomLength);
    Word usable =
        ~FixedWidth::IsZeroMask(secret.x, words) & FixedWidth::LessThanMask(secret.x, qw, words);
    // Released: whether the random number is usable, which the result code tells anyway.
    QIRVALE_DECLASSIFY(&usable, sizeof usable);
    if (usable == 0) return OrderAdmitsNoNumber(q) ? ResultCodeInternalFailure : ResultCodeBadValue;
    // The key fits the buffer when its bytes from xLength on are zero.
    uint8_t beyond = 0;
    for (uint32_t j = xLength; j < randomLength; ++j) beyond |= random[j];
    // Released: whether the buffer holds the key, which the result code tells anyway.
    QIRVALE_DECLASSIFY(&beyond, sizeof beyond);
    if (beyond != 0) return ResultCodeBufferTooSmall;
    FixedWidth::StoreBytes(x, xLength, secret.x, words);
    return ResultCodeNone;
}

uint16_t GeneratePublicKey(uint8_t* y, uint32_t yLength, const LongIntegerClass& p,
                           const LongIntegerClass& a, const uint8_t* x, uint32_t xLength) {
    CheckStringLength(xLength);
    if (!FixedWidthBase(p, a))
        return Literal::GeneratePublicKey(y, yLength, p, a, NumberFromBytes(x, xLength));

    // a^x over all 8 xLength bits of the string.
    const PublicModulus pm(p);
    Word aw[FixedWidth::kMaxWords];
    LoadNumber(aw, pm.words, a);
    SecretWords secret;
    FixedWidth::LoadBytes(secret.x, WordsForBytes(xLength), x, xLength);
    pm.modulus.Power(secret.power, aw, secret.x, 8 * xLength);
    // y is the public key, the result of this function.
    QIRVALE_DECLASSIFY(secret.power, pm.words * sizeof(Word));
    return WriteNumber(y, yLength, NumberOfWords(secret.power, pm.words));
}

uint16_t SignHash(uint8_t* signature, const LongIntegerClass& p, const LongIntegerClass& q,
                  const LongIntegerClass& a, const LongIntegerClass& hash, const uint8_t* x,
                  uint32_t xLength, const uint8_t* k, uint32_t kLength) {
    CheckStringLength(xLength);
    CheckStringLength(kLength);
    if (q.BitLength() > MaxOrderBits) return ResultCodeInternalFailure;
    const LongIntegerClass h = UsableHash(hash, q);
    if (!FixedWidthBase(p, a) || !FixedWidthOrder(q, h) || xLength > kFixedWidthStringBytes) {
        return Literal::SignHash(signature, p, q, a, hash, NumberFromBytes(x, xLength),
                                 NumberFromBytes(k, kLength));
    }

    const PublicModulus pm(p), qm(q);
    const uint32_t qWords = qm.words;
    SecretWords secret;

    // 0 < k < q, compared over the longer of the two lengths.
    const uint32_t kWords = WordsForBytes(kLength) > qWords ? WordsForBytes(kLength) : qWords;
    Word qPadded[kStringWords] = {};
    std::memcpy(qPadded, qm.w, qWords * sizeof(Word));
    FixedWidth::LoadBytes(secret.k, kWords, k, kLength);
    Word usable = ~FixedWidth::IsZeroMask(secret.k, kWords) &
                  FixedWidth::LessThanMask(secret.k, qPadded, kWords);
    // Released: whether k is usable, which the result code tells the caller anyway; an
    // unusable k is never used.
    QIRVALE_DECLASSIFY(&usable, sizeof usable);
    if (usable == 0) return ResultCodeBadValue;

    // r = (a^k mod p) mod q, k < q read over the bit length of q.
    Word aw[FixedWidth::kMaxWords], r[FixedWidth::kMaxWords];
    LoadNumber(aw, pm.words, a);
    CombFor(pm, aw, q.BitLength()).Power(pm.modulus, secret.power, secret.k);
    qm.modulus.Reduce(r, secret.power, pm.words);
    // Released: r is the second half of the signature; r = 0 only refuses this k.
    QIRVALE_DECLASSIFY(r, qWords * sizeof(Word));
    if (FixedWidth::IsZeroMask(r, qWords) != 0) {
        // a = 0 (a < p here) gives r = 0 for every k. q is odd here, so q = 2 takes the literal
        // path, and the other codes of the literal algorithm need no test.
        return a.IsZero() ? ResultCodeInternalFailure : ResultCodeBadValue;
    }

    // s = (k H + x r) mod q: Montgomery products with H R and r R give k H and x r.
    const uint32_t xWords = xLength == 0 ? 1 : WordsForBytes(xLength);
    FixedWidth::LoadBytes(secret.x, xWords, x, xLength);
    qm.modulus.Reduce(secret.xReduced, secret.x, xWords);
    Word hMontgomery[FixedWidth::kMaxWords], rMontgomery[FixedWidth::kMaxWords];
    LoadNumber(hMontgomery, qWords, h.Modulo(q));
    qm.modulus.ToMontgomery(hMontgomery, hMontgomery);
    qm.modulus.ToMontgomery(rMontgomery, r);
    qm.modulus.Multiply(secret.kh, secret.k, hMontgomery);
    qm.modulus.Multiply(secret.xr, secret.xReduced, rMontgomery);
    qm.modulus.Add(secret.s, secret.kh, secret.xr);
    // Released: s is the first half of the signature; s = 0 only refuses this k.
    QIRVALE_DECLASSIFY(secret.s, qWords * sizeof(Word));
    if (FixedWidth::IsZeroMask(secret.s, qWords) != 0) return ResultCodeBadValue;
    FixedWidth::StoreBytes(signature, SignatureHalfSize, secret.s, qWords);
    FixedWidth::StoreBytes(signature + SignatureHalfSize, SignatureHalfSize, r, qWords);
    return ResultCodeNone;
}

uint16_t VerifyHash(uint8_t* verified, const LongIntegerClass& p, const LongIntegerClass& q,
                    const LongIntegerClass& a, const LongIntegerClass& hash,
                    const uint8_t* signature, const LongIntegerClass& y) {
    return Verify(false, verified, p, q, a, hash, signature, y);
}

namespace Literal {

uint16_t GeneratePublicKey(uint8_t* y, uint32_t yLength, const LongIntegerClass& p,
                           const LongIntegerClass& a, const LongIntegerClass& x) {
    return WriteNumber(y, yLength, LongIntegerClass::ModExp(a, x, p));
}

uint16_t SignHash(uint8_t* signature, const LongIntegerClass& p, const LongIntegerClass& q,
                  const LongIntegerClass& a, const LongIntegerClass& hash,
                  const LongIntegerClass& x, const LongIntegerClass& k) {
    if (q.BitLength() > MaxOrderBits) return ResultCodeInternalFailure;
    const LongIntegerClass h = UsableHash(hash, q);
    if (!InOpenRange(k, q)) {
        return OrderAdmitsNoNumber(q) ? ResultCodeInternalFailure : ResultCodeBadValue;
    }
    // q = 2 has the one k = 1, so its failure is final.
    const bool onlyK = q == LongIntegerClass(2u);
    const LongIntegerClass r = LongIntegerClass::ModExp(a, k, p).Modulo(q);
    if (r.IsZero()) {
        // a = 0 (mod p), p = 1 among them, makes a^k mod p = 0 and r = 0 for every k.
        if (onlyK || a.Modulo(p).IsZero()) return ResultCodeInternalFailure;
        return ResultCodeBadValue;
    }
    const LongIntegerClass s = (k * h + x * r).Modulo(q);
    if (s.IsZero()) return onlyK ? ResultCodeInternalFailure : ResultCodeBadValue;
    s.ToBytes(signature, SignatureHalfSize);
    r.ToBytes(signature + SignatureHalfSize, SignatureHalfSize);
    return ResultCodeNone;
}

uint16_t VerifyHash(uint8_t* verified, const LongIntegerClass& p, const LongIntegerClass& q,
                    const LongIntegerClass& a, const LongIntegerClass& hash,
                    const uint8_t* signature, const LongIntegerClass& y) {
    return Verify(true, verified, p, q, a, hash, signature, y);
}

}  // namespace Literal

}  // namespace GOST34310
}  // namespace QIRVALE
