// Fuzz target: the GOST 28147 cipher, GOST 34.311 hash and DSTU 4145 bit generator exports on
// caller-memory headers (properties and bounds: fuzz/README.md).
#include "fuzz_support.h"

using namespace qirvale_fuzz;

namespace {

constexpr uint32_t kBlock = QIRVALE_GOST28147_BLOCK_SIZE, kSBox = QIRVALE_GOST28147_SBOX_SIZE;
constexpr uint32_t kKey = QIRVALE_GOST28147_KEY_SIZE, kHash = QIRVALE_GOST34311_HASH_SIZE;
using Cipher = At<GOST28147CipherStateHeader>;
using Hash = At<GOST34311HashStateHeader>;
using Generator = At<DSTU4145RNGHeader>;

bool Same(const GuardedOutput& a, const GuardedOutput& b) {
    return Compare(a, b) == 0;
}
void ExpectZero(const GuardedOutput& header, const char* call) {
    Require(IsZero(header), "%s left state behind", call);
}

class SymmetricSession {
  public:
    explicit SymmetricSession(FuzzInput& in) : in_(in) {}
    void Run() {
        using S = SymmetricSession;
        static constexpr void (S::*const kOperations[])() = {
            &S::CipherInit, &S::Action,       &S::Action,      &S::CipherDone,   &S::HashInit,
            &S::HashExact,  &S::HashBytes,    &S::HashDone,    &S::RNGCreate,    &S::RNGCreateExt,
            &S::RNGBit,     &S::RNGByte,      &S::RNGSequence, &S::RNGDestroy,   &S::Damage,
            &S::Allocate,   &S::CipherInvert, &S::HashSplit,   &S::RNGAgreement, &S::RNGCipher};
        Drive(in_, *this, kOperations, 64);
    }

  private:
    void CipherInit() {
        const InputBytes sBox = in_.Fixed(kSBox), key = in_.Fixed(kKey);
        const uint8_t direction = in_.U8();
        const uint16_t mode = in_.U16();
        const bool withSynchro = in_.Bool();
        const InputBytes synchro = in_.Fixed(kBlock);
        call_("CipherInit", QIRVALEGOST28147CipherInit, Cipher{cipher_}, sBox.data(), direction,
              mode, key.data(), withSynchro ? synchro.data() : nullptr);
    }

    // Action in place against ActionBlocks on a copy of the header.
    void ActionOn(GOST28147CipherStateHeader* header, GuardedOutput& memory) {
        GuardedOutput block(kBlock), twin(kBlock), twinHeader(sizeof *header);
        const InputBytes bytes = in_.Fixed(kBlock);
        std::memcpy(block.data(), bytes.data(), kBlock);
        std::memcpy(twinHeader.data(), header, sizeof *header);
        call_("CipherAction", QIRVALEGOST28147CipherAction, header, block.data(), block.data(),
              Watch{memory}, Watch{block});
        call_("CipherActionBlocks", QIRVALEGOST28147CipherActionBlocks, Cipher{twinHeader},
              At<>{twin}, bytes.data(), 1u);
        Require(Same(block, twin) && std::memcmp(header, twinHeader.data(), sizeof *header) == 0,
                "ActionBlocks differs from Action");
    }
    void Action() { ActionOn(cipher_.As<GOST28147CipherStateHeader>(), cipher_); }
    void RNGCipher() { ActionOn(&generator_.As<DSTU4145RNGHeader>()->cipherState, generator_); }

    void CipherDone() {
        call_("CipherDone", QIRVALEGOST28147CipherDone, Cipher{cipher_});
        ExpectZero(cipher_, "CipherDone");
    }

    // Blocks in mode 0 to 2 encrypted by Action and by ActionBlocks, then decrypted.
    void CipherInvert() {
        const InputBytes sBox = in_.Fixed(kSBox), key = in_.Fixed(kKey),
                         synchro = in_.Fixed(kBlock);
        const uint16_t mode = uint16_t(in_.Range(0, 2));
        const uint32_t blocks = in_.Range(1, 8);
        const InputBytes plain = in_.Fixed(blocks * kBlock);
        GuardedOutput header(cipher_.size(), 0), batchHeader(cipher_.size());
        GuardedOutput encrypted(plain.size()), batch(plain.size()), back(plain.size());
        auto blockwise = [&](uint8_t direction, GuardedOutput& out, const uint8_t* in) {
            call_("CipherInit", QIRVALEGOST28147CipherInit, Cipher{header}, sBox.data(), direction,
                  mode, key.data(), synchro.data());
            if (direction == 1) std::memcpy(batchHeader.data(), header.data(), header.size());
            for (uint32_t i = 0; i < blocks; ++i) {
                call_("CipherAction", QIRVALEGOST28147CipherAction, Cipher{header},
                      out.data() + kBlock * i, in + kBlock * i, Watch{out});
            }
        };
        blockwise(1, encrypted, plain.data());
        call_("CipherActionBlocks", QIRVALEGOST28147CipherActionBlocks, Cipher{batchHeader},
              At<>{batch}, plain.data(), blocks);
        Require(Same(batch, encrypted) && Same(batchHeader, header),
                "ActionBlocks on %u blocks differs from as many Action calls", blocks);
        blockwise(0, back, encrypted.data());
        Require(Compare(back, plain) == 0, "cipher mode %u does not invert", mode);
        call_("CipherDone", QIRVALEGOST28147CipherDone, Cipher{header});
        ExpectZero(header, "CipherDone");
    }

    void HashInit() {
        const bool sample = in_.Bool();
        const InputBytes sBox = in_.Fixed(kSBox);
        const bool withStart = in_.Bool();
        const InputBytes start = in_.Fixed(kHash);
        call_("HashInit", QIRVALEGOST34311HashInit, Hash{hash_},
              sample ? QIRVALEGOST34311HashStdSampleSBoxPtr() : sBox.data(),
              withStart ? start.data() : nullptr);
    }
    void HashExact() {
        const InputBytes bytes = in_.Bytes(300);
        const uint32_t bits = in_.Range(0, 8 * bytes.size());
        // ActionExact reads ceil(bits / 8) bytes: exactly those are given.
        call_("HashActionExact", QIRVALEGOST34311HashActionExact, Hash{hash_},
              InputBytes(bytes.data(), (bits + 7) / 8).data(), bits);
    }
    void HashBytes() {
        call_("HashAction", QIRVALEGOST34311HashAction, Hash{hash_}, in_.Bytes(300));
    }
    void HashDone() {
        GuardedOutput output(kHash);
        call_("HashDone", QIRVALEGOST34311HashDone, Hash{hash_},
              in_.Bool() ? output.data() : nullptr, Watch{output});
        ExpectZero(hash_, "HashDone");
    }

    // A message hashed whole and split in two, the second part through ActionExact.
    void HashSplit() {
        const bool sample = in_.Bool();
        const InputBytes sBox = in_.Fixed(kSBox), message = in_.Bytes(512);
        const uint32_t split = in_.Range(0, message.size());
        const uint8_t* box = sample ? QIRVALEGOST34311HashStdSampleSBoxPtr() : sBox.data();
        GuardedOutput header(hash_.size(), 0), whole(kHash), parts(kHash);
        call_("HashInit", QIRVALEGOST34311HashInit, Hash{header}, box, nullptr);
        call_("HashAction", QIRVALEGOST34311HashAction, Hash{header}, message);
        call_("HashDone", QIRVALEGOST34311HashDone, Hash{header}, At<>{whole});
        call_("HashInit", QIRVALEGOST34311HashInit, Hash{header}, box, nullptr);
        call_("HashAction", QIRVALEGOST34311HashAction, Hash{header}, message.data(), split);
        call_("HashActionExact", QIRVALEGOST34311HashActionExact, Hash{header},
              message.data() + split, 8 * (message.size() - split));
        call_("HashDone", QIRVALEGOST34311HashDone, Hash{header}, At<>{parts});
        Require(Same(whole, parts), "a hash depends on a split at %u", split);
    }

    void RNGCreate() {
        const InputBytes sBox = in_.Fixed(kSBox), key = in_.Fixed(kKey);
        const InputBytes start = in_.Fixed(8), dateTime = in_.Fixed(8);
        call_("RNGCreate", QIRVALEDSTU4145RNGCreate, Generator{generator_}, sBox.data(), key.data(),
              start.data(), dateTime.data());
    }
    void RNGCreateExt() {
        const InputBytes seed = in_.Bytes(96), hashSBox = in_.Fixed(kSBox),
                         cipherSBox = in_.Fixed(kSBox);
        const uint8_t present = in_.U8();
        const InputBytes hashStart = in_.Fixed(kHash), dateTime = in_.Fixed(8), before(generator_);
        const uint32_t status =
            call_("RNGCreateExt", QIRVALEDSTU4145RNGCreateExt, Generator{generator_}, seed,
                  hashSBox.data(), (present & 1) ? hashStart.data() : nullptr,
                  (present & 2) ? dateTime.data() : nullptr, cipherSBox.data());
        Require(status == (seed.size() < 4 ? 1u : 0u) &&
                    (status == 0 || Compare(before, generator_) == 0),
                "RNGCreateExt returned %u for a %u-byte seed", status, seed.size());
    }

    uint8_t Bit(GuardedOutput& header) {
        GuardedOutput bit(1);
        call_("RNGGenerateBit", QIRVALEDSTU4145RNGGenerateBit, Generator{header}, At<>{bit});
        Require(bit.data()[0] <= 1, "RNGGenerateBit wrote %u", bit.data()[0]);
        return bit.data()[0];
    }
    void RNGBit() { Bit(generator_); }
    void RNGByte() {
        const bool ext = in_.Bool();
        const uint16_t perStep = in_.U16();
        GuardedOutput byte(1);
        if (ext) {
            call_("RNGGenerateByteExt", QIRVALEDSTU4145RNGGenerateByteExt, Generator{generator_},
                  At<>{byte}, perStep);
        } else {
            call_("RNGGenerateByte", QIRVALEDSTU4145RNGGenerateByte, Generator{generator_},
                  At<>{byte});
        }
    }
    void Sequence(GuardedOutput& header, GuardedOutput& out, uint32_t bits, uint16_t perStep,
                  bool ext) {
        if (ext) {
            call_("RNGGenerateBitSequenceExt", QIRVALEDSTU4145RNGGenerateBitSequenceExt,
                  Generator{header}, At<>{out}, bits, perStep);
        } else {
            call_("RNGGenerateBitSequence", QIRVALEDSTU4145RNGGenerateBitSequence,
                  Generator{header}, At<>{out}, bits);
        }
    }
    void RNGSequence() {
        const uint32_t bits = in_.Range(0, 4096);
        const uint16_t perStep = in_.U16();
        GuardedOutput out((bits + 7) / 8);
        Sequence(generator_, out, bits, perStep, in_.Bool());
        Require(bits % 8 == 0 || (out.data()[bits / 8] >> (bits % 8)) == 0,
                "RNGGenerateBitSequence set bits beyond the %u asked for", bits);
    }
    // Two copies of a generator drawn bit by bit and as a sequence of one bit per step.
    void RNGAgreement() {
        const uint32_t bits = in_.Range(1, 256);
        const uint16_t perStep = uint16_t(in_.Range(0, 1));
        const bool ext = in_.Bool();
        GuardedOutput copy(generator_.size()), sequence((bits + 7) / 8), single(sequence.size(), 0);
        std::memcpy(copy.data(), generator_.data(), copy.size());
        for (uint32_t i = 0; i < bits; ++i) single.data()[i / 8] |= Bit(generator_) << (i % 8);
        Sequence(copy, sequence, bits, perStep, ext);
        Require(Same(single, sequence) && Same(generator_, copy), "bit and sequence draws differ");
    }
    void RNGDestroy() {
        call_("RNGDestroy", QIRVALEDSTU4145RNGDestroy, Generator{generator_});
        ExpectZero(generator_, "RNGDestroy");
    }

    // Arbitrary bytes anywhere in one of the headers.
    void Damage() {
        GuardedOutput* headers[] = {&cipher_, &hash_, &generator_};
        GuardedOutput& header = *headers[in_.Range(0, 2)];
        const uint32_t offset = in_.Range(0, header.size() - 1);
        const InputBytes bytes = in_.Bytes(header.size() - offset);
        std::memcpy(header.data() + offset, bytes.data(), bytes.size());
    }

    void Allocate() {
        auto* cipher = QIRVALEGOST28147CipherStateHeaderAllocate();
        auto* hash = QIRVALEGOST34311HashStateHeaderAllocate();
        auto* generator = QIRVALEDSTU4145RNGHeaderAllocate();
        auto zeros = [](const void* block, uint32_t size, uint32_t sizeOf) {
            return block != nullptr && size == sizeOf &&
                   IsZero({static_cast<const uint8_t*>(block), size});
        };
        Require(zeros(cipher, cipher_.size(), QIRVALEGOST28147CipherStateHeaderSizeOf()) &&
                    zeros(hash, hash_.size(), QIRVALEGOST34311HashStateHeaderSizeOf()) &&
                    zeros(generator, generator_.size(), QIRVALEDSTU4145RNGHeaderSizeOf()),
                "an Allocate export gave no zero-filled header of its size");
        QIRVALEGOST28147CipherStateHeaderFree(cipher),
            QIRVALEGOST28147CipherStateHeaderFree(nullptr);
        QIRVALEGOST34311HashStateHeaderFree(hash), QIRVALEGOST34311HashStateHeaderFree(nullptr);
        QIRVALEDSTU4145RNGHeaderFree(generator), QIRVALEDSTU4145RNGHeaderFree(nullptr);
    }

    FuzzInput& in_;
    Caller call_{1.0};
    GuardedOutput cipher_{QIRVALE_GOST28147_CIPHER_STATE_HEADER_SIZE, 0};
    GuardedOutput hash_{QIRVALE_GOST34311_HASH_STATE_HEADER_SIZE, 0};
    GuardedOutput generator_{QIRVALE_DSTU4145_RNG_HEADER_SIZE, 0};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    SymmetricSession(in).Run();
    return 0;
}
