// Fuzz target: call sequences of the GOST 28147 cipher, the GOST 34.311 hash and the DSTU 4145
// bit generator on caller-memory headers, with damaged headers among them, plus four
// properties checked on the fly: the cipher modes invert, ActionBlocks equals as many Action
// calls (on damaged headers too), a hash does not depend on how its bytes are split across
// calls, and the generator's bit, byte and sequence calls draw the same stream.
//
// Sizes: at most 64 operations per input, hash data as long as the input supplies, bit
// sequences of at most 4096 bits. Every such call takes microseconds; a call over one second
// is a finding.
#include <cstring>
#include <vector>

#include "fuzz_support.h"

using namespace qirvale_fuzz;

namespace {

constexpr double kCallBound = 1.0;
constexpr int kMaxOperations = 64;
constexpr uint32_t kMaxSequenceBits = 4096;

bool AllZero(const uint8_t* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] != 0) return false;
    }
    return true;
}

struct Headers {
    GuardedOutput cipher{QIRVALE_GOST28147_CIPHER_STATE_HEADER_SIZE, 0};
    GuardedOutput hash{QIRVALE_GOST34311_HASH_STATE_HEADER_SIZE, 0};
    GuardedOutput generator{QIRVALE_DSTU4145_RNG_HEADER_SIZE, 0};
};

// Encrypts up to eight blocks in mode 0, 1 or 2 and decrypts them again under the same key,
// S-box and synchro; the plaintext must come back.
void CipherRoundTrip(FuzzInput& in, Caller& call) {
    const InputBytes sBox = in.Fixed(QIRVALE_GOST28147_SBOX_SIZE);
    const InputBytes key = in.Fixed(QIRVALE_GOST28147_KEY_SIZE);
    const InputBytes synchro = in.Fixed(QIRVALE_GOST28147_BLOCK_SIZE);
    const uint16_t mode = uint16_t(in.Range(0, 2));
    const uint32_t blocks = in.Range(1, 8);
    const InputBytes plain = in.Fixed(blocks * QIRVALE_GOST28147_BLOCK_SIZE);

    GuardedOutput header(QIRVALE_GOST28147_CIPHER_STATE_HEADER_SIZE, 0);
    GuardedOutput cipher(plain.size());
    GuardedOutput back(plain.size());
    auto* state = header.As<GOST28147CipherStateHeader>();
    call(
        "CipherInit",
        [&] {
            QIRVALEGOST28147CipherInit(state, sBox.data(), 1, mode, key.data(), synchro.data());
        },
        header);
    GuardedOutput batchHeader(QIRVALE_GOST28147_CIPHER_STATE_HEADER_SIZE);
    GuardedOutput batch(plain.size());
    std::memcpy(batchHeader.data(), header.data(), header.size());
    for (uint32_t i = 0; i < blocks; ++i) {
        call(
            "CipherAction",
            [&] {
                QIRVALEGOST28147CipherAction(state, cipher.data() + 8 * i, plain.data() + 8 * i);
            },
            header, cipher);
    }
    call(
        "CipherActionBlocks",
        [&] {
            QIRVALEGOST28147CipherActionBlocks(batchHeader.As<GOST28147CipherStateHeader>(),
                                               batch.data(), plain.data(), blocks);
        },
        batchHeader, batch);
    if (std::memcmp(batch.data(), cipher.data(), batch.size()) != 0 ||
        std::memcmp(batchHeader.data(), header.data(), header.size()) != 0) {
        Finding("ActionBlocks on %u blocks differs from as many Action calls", blocks);
    }
    call(
        "CipherInit",
        [&] {
            QIRVALEGOST28147CipherInit(state, sBox.data(), 0, mode, key.data(), synchro.data());
        },
        header);
    for (uint32_t i = 0; i < blocks; ++i) {
        call(
            "CipherAction",
            [&] {
                QIRVALEGOST28147CipherAction(state, back.data() + 8 * i, cipher.data() + 8 * i);
            },
            header, back);
    }
    if (std::memcmp(back.data(), plain.data(), plain.size()) != 0) {
        Finding("cipher mode %u does not decrypt what it encrypted", mode);
    }
    call(
        "CipherDone", [&] { QIRVALEGOST28147CipherDone(state); }, header);
    if (!AllZero(header.data(), header.size())) Finding("CipherDone left state behind");
}

// Hashes one message in one call and in two calls split at a byte boundary (the second half
// through ActionExact with a whole-byte count): the results must agree.
void HashSplit(FuzzInput& in, Caller& call) {
    const bool sample = in.Bool();
    const InputBytes sBox = in.Fixed(QIRVALE_GOST28147_SBOX_SIZE);
    const InputBytes message = in.Bytes(512);
    const uint32_t split = in.Range(0, message.size());
    const uint8_t* box = sample ? QIRVALEGOST34311HashStdSampleSBoxPtr() : sBox.data();

    GuardedOutput header(QIRVALE_GOST34311_HASH_STATE_HEADER_SIZE, 0);
    GuardedOutput whole(QIRVALE_GOST34311_HASH_SIZE);
    GuardedOutput parts(QIRVALE_GOST34311_HASH_SIZE);
    auto* state = header.As<GOST34311HashStateHeader>();
    call(
        "HashInit", [&] { QIRVALEGOST34311HashInit(state, box, nullptr); }, header);
    call(
        "HashAction", [&] { QIRVALEGOST34311HashAction(state, message.data(), message.size()); },
        header);
    call(
        "HashDone", [&] { QIRVALEGOST34311HashDone(state, whole.data()); }, header, whole);
    call(
        "HashInit", [&] { QIRVALEGOST34311HashInit(state, box, nullptr); }, header);
    call(
        "HashAction", [&] { QIRVALEGOST34311HashAction(state, message.data(), split); }, header);
    call(
        "HashActionExact",
        [&] {
            QIRVALEGOST34311HashActionExact(state, message.data() + split,
                                            8 * (message.size() - split));
        },
        header);
    call(
        "HashDone", [&] { QIRVALEGOST34311HashDone(state, parts.data()); }, header, parts);
    if (std::memcmp(whole.data(), parts.data(), QIRVALE_GOST34311_HASH_SIZE) != 0) {
        Finding("hash of %u bytes depends on a split at %u", message.size(), split);
    }
}

// Draws the same stream from two copies of one generator: bit by bit on one, as a sequence
// (plain or Ext with at most one bit per step) on the other.
void GeneratorAgreement(FuzzInput& in, Caller& call, Headers& headers) {
    const uint32_t bits = in.Range(1, 256);
    const uint16_t perStep = uint16_t(in.Range(0, 1));
    const bool ext = in.Bool();
    GuardedOutput copy(QIRVALE_DSTU4145_RNG_HEADER_SIZE);
    std::memcpy(copy.data(), headers.generator.data(), copy.size());
    auto* first = headers.generator.As<DSTU4145RNGHeader>();
    auto* second = copy.As<DSTU4145RNGHeader>();

    GuardedOutput sequence((bits + 7) / 8);
    std::vector<uint8_t> single((bits + 7) / 8, 0);
    for (uint32_t i = 0; i < bits; ++i) {
        GuardedOutput bit(1);
        call(
            "RNGGenerateBit", [&] { QIRVALEDSTU4145RNGGenerateBit(first, bit.data()); },
            headers.generator, bit);
        if (bit.data()[0] > 1) Finding("RNGGenerateBit wrote %u", bit.data()[0]);
        single[i / 8] |= uint8_t(bit.data()[0] << (i % 8));
    }
    call(
        "RNGGenerateBitSequence",
        [&] {
            if (ext) {
                QIRVALEDSTU4145RNGGenerateBitSequenceExt(second, sequence.data(), bits, perStep);
            } else {
                QIRVALEDSTU4145RNGGenerateBitSequence(second, sequence.data(), bits);
            }
        },
        copy, sequence);
    if (std::memcmp(single.data(), sequence.data(), single.size()) != 0) {
        Finding("bit-by-bit and sequence draws of %u bits differ", bits);
    }
    if (std::memcmp(headers.generator.data(), copy.data(), copy.size()) != 0) {
        Finding("bit-by-bit and sequence draws leave different generator states");
    }
}

// A sequence draw into a buffer of exactly ceil(bits / 8) bytes; bits beyond the count are 0.
void GeneratorSequence(FuzzInput& in, Caller& call, Headers& headers) {
    const uint32_t bits = in.Range(0, kMaxSequenceBits);
    const uint16_t perStep = in.U16();
    const bool ext = in.Bool();
    GuardedOutput output((bits + 7) / 8);
    auto* state = headers.generator.As<DSTU4145RNGHeader>();
    call(
        "RNGGenerateBitSequence",
        [&] {
            if (ext) {
                QIRVALEDSTU4145RNGGenerateBitSequenceExt(state, output.data(), bits, perStep);
            } else {
                QIRVALEDSTU4145RNGGenerateBitSequence(state, output.data(), bits);
            }
        },
        headers.generator, output);
    if (bits % 8 != 0 && (output.data()[bits / 8] >> (bits % 8)) != 0) {
        Finding("RNGGenerateBitSequence set bits beyond the %u asked for", bits);
    }
}

void AllocateAndFree(Caller& call) {
    auto* cipher = call("CipherStateHeaderAllocate",
                        [] { return QIRVALEGOST28147CipherStateHeaderAllocate(); });
    auto* hash =
        call("HashStateHeaderAllocate", [] { return QIRVALEGOST34311HashStateHeaderAllocate(); });
    auto* generator = call("RNGHeaderAllocate", [] { return QIRVALEDSTU4145RNGHeaderAllocate(); });
    if (cipher == nullptr || hash == nullptr || generator == nullptr) {
        Finding("an Allocate export returned null");
    }
    if (QIRVALEGOST28147CipherStateHeaderSizeOf() != QIRVALE_GOST28147_CIPHER_STATE_HEADER_SIZE ||
        QIRVALEGOST34311HashStateHeaderSizeOf() != QIRVALE_GOST34311_HASH_STATE_HEADER_SIZE ||
        QIRVALEDSTU4145RNGHeaderSizeOf() != QIRVALE_DSTU4145_RNG_HEADER_SIZE) {
        Finding("a SizeOf export disagrees with the header");
    }
    if (!AllZero(reinterpret_cast<uint8_t*>(cipher), QIRVALE_GOST28147_CIPHER_STATE_HEADER_SIZE) ||
        !AllZero(reinterpret_cast<uint8_t*>(hash), QIRVALE_GOST34311_HASH_STATE_HEADER_SIZE) ||
        !AllZero(reinterpret_cast<uint8_t*>(generator), QIRVALE_DSTU4145_RNG_HEADER_SIZE)) {
        Finding("an Allocate export returned a block that is not zero-filled");
    }
    call("CipherStateHeaderFree", [&] { QIRVALEGOST28147CipherStateHeaderFree(cipher); });
    call("HashStateHeaderFree", [&] { QIRVALEGOST34311HashStateHeaderFree(hash); });
    call("RNGHeaderFree", [&] { QIRVALEDSTU4145RNGHeaderFree(generator); });
    QIRVALEGOST28147CipherStateHeaderFree(nullptr);
    QIRVALEGOST34311HashStateHeaderFree(nullptr);
    QIRVALEDSTU4145RNGHeaderFree(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    Caller call(kCallBound);
    Headers headers;
    auto* cipher = headers.cipher.As<GOST28147CipherStateHeader>();
    auto* hash = headers.hash.As<GOST34311HashStateHeader>();
    auto* generator = headers.generator.As<DSTU4145RNGHeader>();

    for (int operation = 0; operation < kMaxOperations && !in.Empty(); ++operation) {
        switch (in.U8() % 20) {
            case 0: {
                const InputBytes sBox = in.Fixed(QIRVALE_GOST28147_SBOX_SIZE);
                const InputBytes key = in.Fixed(QIRVALE_GOST28147_KEY_SIZE);
                const uint8_t direction = in.U8();
                const uint16_t mode = in.U16();
                const bool withSynchro = in.Bool();
                const InputBytes synchro = in.Fixed(QIRVALE_GOST28147_BLOCK_SIZE);
                call(
                    "CipherInit",
                    [&] {
                        QIRVALEGOST28147CipherInit(cipher, sBox.data(), direction, mode, key.data(),
                                                   withSynchro ? synchro.data() : nullptr);
                    },
                    headers.cipher);
                break;
            }
            case 1: {
                const InputBytes block = in.Fixed(QIRVALE_GOST28147_BLOCK_SIZE);
                GuardedOutput output(QIRVALE_GOST28147_BLOCK_SIZE);
                call(
                    "CipherAction",
                    [&] { QIRVALEGOST28147CipherAction(cipher, output.data(), block.data()); },
                    headers.cipher, output);
                break;
            }
            case 2: {  // in place, and the same block through ActionBlocks on a copy
                GuardedOutput block(QIRVALE_GOST28147_BLOCK_SIZE);
                GuardedOutput twin(QIRVALE_GOST28147_BLOCK_SIZE);
                GuardedOutput twinHeader(QIRVALE_GOST28147_CIPHER_STATE_HEADER_SIZE);
                const InputBytes bytes = in.Fixed(QIRVALE_GOST28147_BLOCK_SIZE);
                std::memcpy(block.data(), bytes.data(), bytes.size());
                std::memcpy(twin.data(), bytes.data(), bytes.size());
                std::memcpy(twinHeader.data(), headers.cipher.data(), twinHeader.size());
                call(
                    "CipherAction",
                    [&] { QIRVALEGOST28147CipherAction(cipher, block.data(), block.data()); },
                    headers.cipher, block);
                call(
                    "CipherActionBlocks",
                    [&] {
                        QIRVALEGOST28147CipherActionBlocks(
                            twinHeader.As<GOST28147CipherStateHeader>(), twin.data(), twin.data(),
                            1);
                    },
                    twinHeader, twin);
                if (std::memcmp(block.data(), twin.data(), twin.size()) != 0 ||
                    std::memcmp(headers.cipher.data(), twinHeader.data(), twinHeader.size()) != 0) {
                    Finding("ActionBlocks on one block differs from Action");
                }
                break;
            }
            case 3:
                call(
                    "CipherDone", [&] { QIRVALEGOST28147CipherDone(cipher); }, headers.cipher);
                if (!AllZero(headers.cipher.data(), headers.cipher.size())) {
                    Finding("CipherDone left state behind");
                }
                break;
            case 4: {
                const bool sample = in.Bool();
                const InputBytes sBox = in.Fixed(QIRVALE_GOST28147_SBOX_SIZE);
                const bool withStart = in.Bool();
                const InputBytes start = in.Fixed(QIRVALE_GOST34311_HASH_SIZE);
                call(
                    "HashInit",
                    [&] {
                        QIRVALEGOST34311HashInit(
                            hash, sample ? QIRVALEGOST34311HashStdSampleSBoxPtr() : sBox.data(),
                            withStart ? start.data() : nullptr);
                    },
                    headers.hash);
                break;
            }
            case 5: {
                const InputBytes bytes = in.Bytes(300);
                const uint32_t bitCount = in.Range(0, 8 * bytes.size());
                // ActionExact reads ceil(bitCount / 8) bytes: give it exactly those.
                const InputBytes exact(bytes.data(), (bitCount + 7) / 8);
                call(
                    "HashActionExact",
                    [&] { QIRVALEGOST34311HashActionExact(hash, exact.data(), bitCount); },
                    headers.hash);
                break;
            }
            case 6: {
                const InputBytes bytes = in.Bytes(300);
                call(
                    "HashAction",
                    [&] { QIRVALEGOST34311HashAction(hash, bytes.data(), bytes.size()); },
                    headers.hash);
                break;
            }
            case 7: {
                const bool withOutput = in.Bool();
                GuardedOutput output(QIRVALE_GOST34311_HASH_SIZE);
                call(
                    "HashDone",
                    [&] { QIRVALEGOST34311HashDone(hash, withOutput ? output.data() : nullptr); },
                    headers.hash, output);
                if (!AllZero(headers.hash.data(), headers.hash.size())) {
                    Finding("HashDone left state behind");
                }
                break;
            }
            case 8: {
                const InputBytes sBox = in.Fixed(QIRVALE_GOST28147_SBOX_SIZE);
                const InputBytes key = in.Fixed(QIRVALE_GOST28147_KEY_SIZE);
                const InputBytes start = in.Fixed(8);
                const InputBytes dateTime = in.Fixed(8);
                call(
                    "RNGCreate",
                    [&] {
                        QIRVALEDSTU4145RNGCreate(generator, sBox.data(), key.data(), start.data(),
                                                 dateTime.data());
                    },
                    headers.generator);
                break;
            }
            case 9: {
                const InputBytes seed = in.Bytes(96);
                const InputBytes hashSBox = in.Fixed(QIRVALE_GOST28147_SBOX_SIZE);
                const InputBytes cipherSBox = in.Fixed(QIRVALE_GOST28147_SBOX_SIZE);
                const uint8_t present = in.U8();
                const InputBytes hashStart = in.Fixed(QIRVALE_GOST34311_HASH_SIZE);
                const InputBytes dateTime = in.Fixed(8);
                std::vector<uint8_t> before(headers.generator.data(),
                                            headers.generator.data() + headers.generator.size());
                const uint32_t status = call(
                    "RNGCreateExt",
                    [&] {
                        return QIRVALEDSTU4145RNGCreateExt(
                            generator, seed.data(), seed.size(), hashSBox.data(),
                            (present & 1) ? hashStart.data() : nullptr,
                            (present & 2) ? dateTime.data() : nullptr, cipherSBox.data());
                    },
                    headers.generator);
                if (status != (seed.size() < 4 ? 1u : 0u)) {
                    Finding("RNGCreateExt returned %u for a %u-byte seed", status, seed.size());
                }
                if (status == 1 &&
                    std::memcmp(before.data(), headers.generator.data(), before.size()) != 0) {
                    Finding("RNGCreateExt changed the header while refusing a short seed");
                }
                break;
            }
            case 10: {
                GuardedOutput bit(1);
                call(
                    "RNGGenerateBit", [&] { QIRVALEDSTU4145RNGGenerateBit(generator, bit.data()); },
                    headers.generator, bit);
                if (bit.data()[0] > 1) Finding("RNGGenerateBit wrote %u", bit.data()[0]);
                break;
            }
            case 11: {
                const bool ext = in.Bool();
                const uint16_t perStep = in.U16();
                GuardedOutput byte(1);
                call(
                    "RNGGenerateByte",
                    [&] {
                        if (ext) {
                            QIRVALEDSTU4145RNGGenerateByteExt(generator, byte.data(), perStep);
                        } else {
                            QIRVALEDSTU4145RNGGenerateByte(generator, byte.data());
                        }
                    },
                    headers.generator, byte);
                break;
            }
            case 12:
                GeneratorSequence(in, call, headers);
                break;
            case 13:
                call(
                    "RNGDestroy", [&] { QIRVALEDSTU4145RNGDestroy(generator); }, headers.generator);
                if (!AllZero(headers.generator.data(), headers.generator.size())) {
                    Finding("RNGDestroy left state behind");
                }
                break;
            case 14: {  // a damaged header: arbitrary bytes anywhere in one of them
                GuardedOutput* targets[] = {&headers.cipher, &headers.hash, &headers.generator};
                GuardedOutput& target = *targets[in.Range(0, 2)];
                const uint32_t offset = in.Range(0, target.size() - 1);
                const InputBytes bytes = in.Bytes(target.size() - offset);
                std::memcpy(target.data() + offset, bytes.data(), bytes.size());
                break;
            }
            case 15:
                AllocateAndFree(call);
                break;
            case 16:
                CipherRoundTrip(in, call);
                break;
            case 17:
                HashSplit(in, call);
                break;
            case 18:
                GeneratorAgreement(in, call, headers);
                break;
            default: {  // the generator's cipher state is a cipher header of its own
                const InputBytes block = in.Fixed(QIRVALE_GOST28147_BLOCK_SIZE);
                GuardedOutput output(QIRVALE_GOST28147_BLOCK_SIZE);
                call(
                    "CipherAction",
                    [&] {
                        QIRVALEGOST28147CipherAction(&generator->cipherState, output.data(),
                                                     block.data());
                    },
                    headers.generator, output);
                break;
            }
        }
    }
    return 0;
}
