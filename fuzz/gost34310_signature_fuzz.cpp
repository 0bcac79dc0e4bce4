// Fuzz target: the GOST 34.310 key, signing and verification exports (properties and bounds:
// fuzz/README.md).
#include <vector>

#include "fuzz_support.h"

using namespace qirvale_fuzz;

namespace {

constexpr uint32_t kSignature = QIRVALE_GOST34310_SIGNATURE_SIZE, kHalf = kSignature / 2;
using Bytes = std::vector<uint8_t>;

// p, q and a made by the library: the 512-bit worked example and two smaller sets, each with
// q of at least 64 bits, so that a changed signature verifies only with negligible chance.
const std::vector<Bytes>& KnownParameters() {
    static const std::vector<Bytes> sets = [] {
        static const uint16_t kSeeds[][3] = {{512, 24265, 29505}, {128, 1, 3}, {256, 7, 11}};
        std::vector<Bytes> made;
        for (const auto& seed : kSeeds) {
            Bytes p(64), q(64), a(64);
            uint16_t code = 0;
            Require(QIRVALEGOST34310SignGenerateParametersPQ16Short(
                        p.data(), 64, q.data(), 64, seed[0], seed[1], seed[2], &code) == 0 &&
                        QIRVALEGOST34310SignGenerateParameterA(a.data(), 64, p.data(), 64, q.data(),
                                                               64, &code) == 0,
                    "cannot make the parameters of t = %u", seed[0]);
            made.insert(made.end(), {p, q, a});
        }
        return made;
    }();
    return sets;
}

class SignatureSession {
  public:
    explicit SignatureSession(FuzzInput& in) : in_(in) {}
    void Run() {
        using S = SignatureSession;
        static constexpr void (S::*const kOperations[])() = {
            &S::SizeQueries, &S::PrivateKey, &S::PublicKey, &S::Sign, &S::Verify, &S::RoundTrip};
        Drive(in_, *this, kOperations, 8);
    }

  private:
    // A number of at most 160 bytes, or now and then one above the capacity.
    InputBytes Next() {
        if (in_.U8() == 0xFF) return in_.Fixed(kCapacity + in_.Range(1, 32));
        return in_.Bytes(160);
    }

    void SizeQueries() {
        const InputBytes number = Next();
        const uint32_t bits = Oversized({&number}) ? 0 : BitLength(number);
        Require(
            call_("SizeByQ", QIRVALEGOST34310SignPrivateKeyGetMaxSizeInBitsByQ, number) == bits &&
                call_("SizeByP", QIRVALEGOST34310SignPublicKeyGetMaxSizeInBitsByP, number) == bits,
            "size queries disagree with a number of %u bits", bits);
    }

    // Exactly the random numbers 1 .. q - 1 that fit the buffer become the key; q <= 1
    // leaves no key at all, so no draw can succeed (code 9, not 99).
    void PrivateKey() {
        const InputBytes q = Next(), random = Next();
        GuardedOutput x(in_.Range(0, 200));
        const uint32_t status =
            call_.Coded("GeneratePrivateKey", {ResultCodeBadValue, ResultCodeBufferTooSmall},
                        QIRVALEGOST34310SignGeneratePrivateKey, x, q, random);
        const bool inRange = !IsZero(random) && Compare(random, q) < 0;
        const uint16_t expected = Oversized({&q, &random}) ? ResultCodeInternalFailure
                                  : inRange && ByteLength(random) > x.size()
                                      ? ResultCodeBufferTooSmall
                                  : inRange           ? ResultCodeNone
                                  : BitLength(q) <= 1 ? ResultCodeInternalFailure
                                                      : ResultCodeBadValue;
        Require(call_.code == expected, "GeneratePrivateKey gave code %u, not %u", call_.code,
                expected);
        Require(status != 0 || Compare(x, random) == 0, "the key is not the random number");
    }

    void PublicKey() {
        const InputBytes p = Next(), a = Next(), x = Next();
        GuardedOutput y(in_.Range(0, 200));
        // y = a^x mod p, checked against the long-integer arithmetic on its own.
        if (call_.Coded("GeneratePublicKey", {ResultCodeBufferTooSmall},
                        QIRVALEGOST34310SignGeneratePublicKey, y, p, a, x) != 0) {
            return;
        }
        const LongIntegerClass modulus = Number(p);
        Require(BitLength(p) <= 1 ||
                    Number(y) % modulus ==
                        LongIntegerClass::ModExp(Number(a), Number(x), modulus) % modulus,
                "GeneratePublicKey gave a wrong y");
    }

    // A k out of range asks for another (99) unless q leaves no k (9); 99 never comes where
    // no k can succeed: q = 2 with its one k = 1, a = 0 or p = 1 (r = 0 for every k).
    void Sign() {
        const InputBytes p = Next(), q = Next(), a = Next(), hash = Next(), x = Next(), k = Next();
        GuardedOutput signature(kSignature);
        call_.Coded("SignHash", {ResultCodeBadValue}, QIRVALEGOST34310SignSignHash, At<>{signature},
                    p, q, a, hash, x, k);
        const uint32_t qBits = BitLength(q);
        const bool kOut = IsZero(k) || Compare(k, q) >= 0, noK = qBits > 256 || qBits <= 1;
        if (Oversized({&p, &q, &a, &hash, &x, &k}) || qBits == 0) return;
        Require(!(kOut || qBits > 256) ||
                    call_.code == (noK ? ResultCodeInternalFailure : ResultCodeBadValue),
                "SignHash gave code %u for k out of range", call_.code);
        Require(call_.code != ResultCodeBadValue || kOut ||
                    !(Compare(q, Bytes{2}) == 0 || IsZero(a) || Compare(p, Bytes{1}) == 0),
                "SignHash asked for another k where none can succeed");
    }

    // r and s outside 1 .. q - 1 are refused with code 10, and only they.
    void Verify() {
        const InputBytes p = Next(), q = Next(), a = Next(), hash = Next(), y = Next();
        const InputBytes signature = in_.Fixed(kSignature);
        GuardedOutput verified(1, 0);
        const uint32_t status = call_.Coded(
            "VerifyHash",
            {ResultCodeSignatureOutOfRange, ResultCodeSignatureMismatch, ResultCodeBadValue},
            QIRVALEGOST34310SignVerifyHash, At<>{verified}, p, q, a, hash, signature.data(), y);
        CheckFlag("VerifyHash", verified.data()[0], status, call_.code);
        auto bad = [&](const uint8_t* v) {
            return IsZero({v, kHalf}) || Compare({v, kHalf}, q) >= 0;
        };
        Require(Oversized({&p, &q, &a, &hash, &y}) ||
                    (bad(signature.data()) || bad(signature.data() + kHalf)) ==
                        (call_.code == ResultCodeSignatureOutOfRange),
                "VerifyHash gave code %u for r and s", call_.code);
    }

    void RoundTrip() {
        const uint32_t set = 3 * in_.Range(0, 2);
        const InputBytes random = in_.Bytes(40), k = in_.Bytes(40), hash = in_.Bytes(40);
        const uint32_t flip = in_.Range(0, 8 * kSignature - 1);
        const InputBytes p(KnownParameters()[set]), q(KnownParameters()[set + 1]),
            a(KnownParameters()[set + 2]);
        GuardedOutput x(40), y(64), signature(kSignature);
        if (call_.Coded("GeneratePrivateKey", {ResultCodeBadValue},
                        QIRVALEGOST34310SignGeneratePrivateKey, x, q, random) != 0) {
            return;
        }
        const InputBytes key(x);
        Require(call_.Coded("GeneratePublicKey", {}, QIRVALEGOST34310SignGeneratePublicKey, y, p, a,
                            key) == 0,
                "GeneratePublicKey failed with code %u on real parameters", call_.code);
        // Nothing to verify when k is out of range, or r or s came out 0.
        if (call_.Coded("SignHash", {ResultCodeBadValue}, QIRVALEGOST34310SignSignHash,
                        At<>{signature}, p, q, a, hash, key, k) != 0) {
            return;
        }
        const InputBytes publicKey(y);
        auto verifies = [&](const uint8_t* candidate) {
            GuardedOutput verified(1, 0);
            const uint32_t status = call_.Coded(
                "VerifyHash", {ResultCodeSignatureOutOfRange, ResultCodeSignatureMismatch},
                QIRVALEGOST34310SignVerifyHash, At<>{verified}, p, q, a, hash, candidate,
                publicKey);
            CheckFlag("VerifyHash", verified.data()[0], status, call_.code);
            return verified.data()[0] == 1;
        };
        Require(verifies(signature.data()), "a signature made by SignHash does not verify");
        InputBytes changed(signature);
        changed.data()[flip / 8] ^= uint8_t(1u << (flip % 8));
        Require(!verifies(changed.data()), "a signature with bit %u changed verifies", flip);
    }

    FuzzInput& in_;
    Caller call_{5.0};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    SignatureSession(in).Run();
    return 0;
}
