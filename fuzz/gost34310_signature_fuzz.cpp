// Fuzz target: the GOST 34.310 key, signing and verification exports and the size queries,
// on arbitrary p, q, a, H, keys and signatures, and on real domain parameters, where a key
// accepted by GeneratePrivateKey and a signature made by SignHash must verify, and the same
// signature with one bit changed must not.
//
// Size bounds: numbers of at most 160 bytes (1280 bits: a 1024-bit p with room above it),
// where an exponentiation takes about 10 ms in this build and a verification about 30 ms; and
// strings above 1024 bytes, refused before any arithmetic. A call over 5 s is a finding.
#include <vector>

#include "fuzz_support.h"

using namespace qirvale_fuzz;

namespace {

constexpr double kCallBound = 5.0;
constexpr int kMaxOperations = 8;
constexpr uint32_t kMaxNumber = 160;
constexpr uint32_t kMaxBuffer = 200;
constexpr uint32_t kCapacityBytes = 1024;

struct DomainParameters {
    std::vector<uint8_t> p, q, a;
};

// Parameters made once by the library's own procedures: the standard's first worked example
// (t = 512) and two smaller sizes, each with its a. q has at least 64 bits in every set, so
// a changed signature verifies only with negligible probability.
const std::vector<DomainParameters>& KnownParameters() {
    static const std::vector<DomainParameters> sets = [] {
        struct Seed {
            uint16_t t, x0, c;
        };
        std::vector<DomainParameters> made;
        for (const Seed& seed : {Seed{512, 24265, 29505}, Seed{128, 1, 3}, Seed{256, 7, 11}}) {
            DomainParameters set{std::vector<uint8_t>(64), std::vector<uint8_t>(64),
                                 std::vector<uint8_t>(64)};
            uint16_t code = 0;
            if (QIRVALEGOST34310SignGenerateParametersPQ16Short(
                    set.p.data(), 64, set.q.data(), 64, seed.t, seed.x0, seed.c, &code) != 0 ||
                QIRVALEGOST34310SignGenerateParameterA(set.a.data(), 64, set.p.data(), 64,
                                                       set.q.data(), 64, &code) != 0) {
                Finding("cannot make the parameters of t = %u", seed.t);
            }
            made.push_back(set);
        }
        return made;
    }();
    return sets;
}

// A number of at most kMaxNumber bytes, or now and then one above the capacity.
InputBytes Number(FuzzInput& in) {
    if (in.U8() == 0xFF) return in.Fixed(kCapacityBytes + in.Range(1, 32));
    return in.Bytes(kMaxNumber);
}

bool Oversized(std::initializer_list<const InputBytes*> numbers) {
    for (const InputBytes* number : numbers) {
        if (number->size() > kCapacityBytes) return true;
    }
    return false;
}

void SizeQueries(FuzzInput& in, Caller& call) {
    const InputBytes number = Number(in);
    const uint32_t expected =
        number.size() > kCapacityBytes ? 0 : BitLength(number.data(), number.size());
    const uint32_t byQ = call("PrivateKeyGetMaxSizeInBitsByQ", [&] {
        return QIRVALEGOST34310SignPrivateKeyGetMaxSizeInBitsByQ(number.data(), number.size());
    });
    const uint32_t byP = call("PublicKeyGetMaxSizeInBitsByP", [&] {
        return QIRVALEGOST34310SignPublicKeyGetMaxSizeInBitsByP(number.data(), number.size());
    });
    if (byQ != expected || byP != expected) {
        Finding("size queries gave %u and %u bits for a number of %u", byQ, byP, expected);
    }
}

void PrivateKey(FuzzInput& in, Caller& call) {
    const InputBytes q = Number(in);
    const InputBytes random = Number(in);
    GuardedOutput x(in.Range(0, kMaxBuffer));
    uint16_t code = 0xFFFF;
    const uint32_t status = call(
        "GeneratePrivateKey",
        [&] {
            return QIRVALEGOST34310SignGeneratePrivateKey(x.data(), x.size(), q.data(), q.size(),
                                                          random.data(), random.size(), &code);
        },
        x);
    CheckStatus("GeneratePrivateKey", status, code, {ResultCodeBadValue, ResultCodeBufferTooSmall});
    uint16_t expected = ResultCodeNone;
    if (Oversized({&q, &random})) {
        expected = ResultCodeInternalFailure;
    } else if (IsZero(random.data(), random.size()) ||
               Compare(random.data(), random.size(), q.data(), q.size()) >= 0) {
        // q <= 1 leaves no key at all: no draw can succeed.
        expected =
            BitLength(q.data(), q.size()) <= 1 ? ResultCodeInternalFailure : ResultCodeBadValue;
    } else if (ByteLength(random.data(), random.size()) > x.size()) {
        expected = ResultCodeBufferTooSmall;
    }
    if (code != expected) Finding("GeneratePrivateKey gave code %u, not %u", code, expected);
    if (status == 0 && !HoldsNumber(x.data(), x.size(), random.data(), random.size())) {
        Finding("GeneratePrivateKey did not write the random number as the key");
    }
    if (status != 0 && !x.Untouched()) Finding("GeneratePrivateKey failed after writing");
}

void PublicKey(FuzzInput& in, Caller& call) {
    const InputBytes p = Number(in);
    const InputBytes a = Number(in);
    const InputBytes x = Number(in);
    GuardedOutput y(in.Range(0, kMaxBuffer));
    uint16_t code = 0xFFFF;
    const uint32_t status = call(
        "GeneratePublicKey",
        [&] {
            return QIRVALEGOST34310SignGeneratePublicKey(y.data(), y.size(), p.data(), p.size(),
                                                         a.data(), a.size(), x.data(), x.size(),
                                                         &code);
        },
        y);
    CheckStatus("GeneratePublicKey", status, code, {ResultCodeBufferTooSmall});
    if (Oversized({&p, &a, &x}) && code != ResultCodeInternalFailure) {
        Finding("GeneratePublicKey gave code %u for an oversized number", code);
    }
    if (status != 0 && !y.Untouched()) Finding("GeneratePublicKey failed after writing");
}

void Sign(FuzzInput& in, Caller& call) {
    const InputBytes p = Number(in), q = Number(in), a = Number(in);
    const InputBytes hash = Number(in), x = Number(in), k = Number(in);
    GuardedOutput signature(QIRVALE_GOST34310_SIGNATURE_SIZE);
    uint16_t code = 0xFFFF;
    const uint32_t status = call(
        "SignHash",
        [&] {
            return QIRVALEGOST34310SignSignHash(
                signature.data(), p.data(), p.size(), q.data(), q.size(), a.data(), a.size(),
                hash.data(), hash.size(), x.data(), x.size(), k.data(), k.size(), &code);
        },
        signature);
    CheckStatus("SignHash", status, code, {ResultCodeBadValue});
    if (Oversized({&p, &q, &a, &hash, &x, &k})) {
        if (code != ResultCodeInternalFailure) Finding("SignHash gave code %u", code);
    } else if (!IsZero(q.data(), q.size())) {
        // q over 256 bits and q = 1 leave no usable k (code 9); another k out of range is
        // redrawn (code 99). Code 99 never comes where no k can succeed: q = 2 with its one
        // k = 1, a = 0 and p = 1 (r = 0 for every k).
        const uint32_t qBits = BitLength(q.data(), q.size());
        const bool kOut =
            IsZero(k.data(), k.size()) || Compare(k.data(), k.size(), q.data(), q.size()) >= 0;
        if ((qBits > 256 || (kOut && qBits <= 1)) && code != ResultCodeInternalFailure) {
            Finding("SignHash gave code %u where q leaves no k", code);
        } else if (qBits <= 256 && qBits > 1 && kOut && code != ResultCodeBadValue) {
            Finding("SignHash gave code %u for k out of range", code);
        }
        const uint8_t one = 1, two = 2;
        if (code == ResultCodeBadValue && !kOut &&
            (Compare(q.data(), q.size(), &two, 1) == 0 || IsZero(a.data(), a.size()) ||
             Compare(p.data(), p.size(), &one, 1) == 0)) {
            Finding("SignHash asked for another k where none can succeed");
        }
    }
    if (status != 0 && !signature.Untouched()) Finding("SignHash failed after writing");
}

void Verify(FuzzInput& in, Caller& call) {
    const InputBytes p = Number(in), q = Number(in), a = Number(in);
    const InputBytes hash = Number(in), y = Number(in);
    const InputBytes signature = in.Fixed(QIRVALE_GOST34310_SIGNATURE_SIZE);
    GuardedOutput verified(1);
    uint16_t code = 0xFFFF;
    const uint32_t status = call(
        "VerifyHash",
        [&] {
            return QIRVALEGOST34310SignVerifyHash(
                verified.data(), p.data(), p.size(), q.data(), q.size(), a.data(), a.size(),
                hash.data(), hash.size(), signature.data(), y.data(), y.size(), &code);
        },
        verified);
    CheckStatus("VerifyHash", status, code,
                {ResultCodeSignatureOutOfRange, ResultCodeSignatureMismatch});
    CheckFlag("VerifyHash", verified.data()[0], status, code);
    const uint8_t* s = signature.data();
    const uint8_t* r = signature.data() + QIRVALE_GOST34310_SIGNATURE_SIZE / 2;
    const uint32_t half = QIRVALE_GOST34310_SIGNATURE_SIZE / 2;
    if (Oversized({&p, &q, &a, &hash, &y})) {
        if (code != ResultCodeInternalFailure) Finding("VerifyHash gave code %u", code);
    } else if ((IsZero(r, half) || Compare(r, half, q.data(), q.size()) >= 0 || IsZero(s, half) ||
                Compare(s, half, q.data(), q.size()) >= 0) !=
               (code == ResultCodeSignatureOutOfRange)) {
        Finding("VerifyHash gave code %u for r or s against q", code);
    }
}

// Keys and a signature on real parameters: what is signed verifies, a changed signature or
// a changed hash does not.
void RoundTrip(FuzzInput& in, Caller& call) {
    const auto& sets = KnownParameters();
    const DomainParameters& set = sets[in.Range(0, uint32_t(sets.size() - 1))];
    const InputBytes random = in.Bytes(40);
    const InputBytes k = in.Bytes(40);
    const InputBytes hash = in.Bytes(40);
    const uint32_t flip = in.Range(0, 8 * QIRVALE_GOST34310_SIGNATURE_SIZE - 1);
    GuardedOutput x(40), y(64), signature(QIRVALE_GOST34310_SIGNATURE_SIZE);
    uint16_t code = 0;
    if (call(
            "GeneratePrivateKey",
            [&] {
                return QIRVALEGOST34310SignGeneratePrivateKey(x.data(), x.size(), set.q.data(), 64,
                                                              random.data(), random.size(), &code);
            },
            x) != 0) {
        return;
    }
    if (call(
            "GeneratePublicKey",
            [&] {
                return QIRVALEGOST34310SignGeneratePublicKey(y.data(), y.size(), set.p.data(), 64,
                                                             set.a.data(), 64, x.data(), x.size(),
                                                             &code);
            },
            y) != 0) {
        Finding("GeneratePublicKey failed with code %u on real parameters", code);
    }
    if (call(
            "SignHash",
            [&] {
                return QIRVALEGOST34310SignSignHash(
                    signature.data(), set.p.data(), 64, set.q.data(), 64, set.a.data(), 64,
                    hash.data(), hash.size(), x.data(), x.size(), k.data(), k.size(), &code);
            },
            signature) != 0) {
        return;  // k out of range, or r or s came out 0
    }
    auto verify = [&](const uint8_t* sig, const uint8_t* h, uint32_t hLength, uint32_t& status) {
        GuardedOutput verified(1);
        status = call(
            "VerifyHash",
            [&] {
                return QIRVALEGOST34310SignVerifyHash(verified.data(), set.p.data(), 64,
                                                      set.q.data(), 64, set.a.data(), 64, h,
                                                      hLength, sig, y.data(), y.size(), &code);
            },
            verified);
        CheckStatus("VerifyHash", status, code,
                    {ResultCodeSignatureOutOfRange, ResultCodeSignatureMismatch});
        CheckFlag("VerifyHash", verified.data()[0], status, code);
        return verified.data()[0] == 1;
    };
    uint32_t status = 0;
    if (!verify(signature.data(), hash.data(), hash.size(), status)) {
        Finding("a signature made by SignHash does not verify (status %u, code %u)", status, code);
    }
    InputBytes changed(signature.data(), signature.size());
    changed.data()[flip / 8] ^= uint8_t(1u << (flip % 8));
    if (verify(changed.data(), hash.data(), hash.size(), status)) {
        Finding("a signature with bit %u changed verifies", flip);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    Caller call(kCallBound);
    for (int operation = 0; operation < kMaxOperations && !in.Empty(); ++operation) {
        switch (in.U8() % 6) {
            case 0:
                SizeQueries(in, call);
                break;
            case 1:
                PrivateKey(in, call);
                break;
            case 2:
                PublicKey(in, call);
                break;
            case 3:
                Sign(in, call);
                break;
            case 4:
                Verify(in, call);
                break;
            default:
                RoundTrip(in, call);
                break;
        }
    }
    return 0;
}
