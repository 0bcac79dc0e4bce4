#include "symmetric/gost28147_reference.h"

#include "symmetric/byte_order.h"

namespace QIRVALE {
namespace GOST28147Reference {

namespace {

using Header = GOST28147CipherStateHeader;

uint32_t Substitute(const Header& s, uint32_t x) noexcept {
    uint32_t result = 0;
    for (int j = 0; j < 8; ++j) result |= s.substitutionTables[j][(x >> (4 * j)) & 15];
    return result;
}

// The key of round i (0..31) of the full cycle: encryption K0..K7 three times then K7..K0,
// decryption K0..K7 once then K7..K0 three times.
uint32_t RoundKey(const Header& s, bool encrypt, int i) noexcept {
    const bool forward = i < (encrypt ? 24 : 8);
    return s.subkeys[forward ? i % 8 : 7 - i % 8];
}

// A cycle of `rounds` rounds (32, or 16 for the MAC step, which always runs in encryption
// order); its last round writes B and keeps A.
void Cycle(const Header& s, bool encrypt, int rounds, uint32_t& a, uint32_t& b) noexcept {
    for (int i = 0; i < rounds; ++i) {
        uint32_t t = Substitute(s, a + RoundKey(s, encrypt, i));
        t = ((t << 11) | (t >> 21)) ^ b;
        if (i == rounds - 1) {
            b = t;
        } else {
            b = a;
            a = t;
        }
    }
}

}  // namespace

void Action(Header& s, uint8_t* output, const uint8_t* input) noexcept {
    const uint32_t in1 = LoadLE32(input), in2 = LoadLE32(input + 4);
    uint32_t n1 = s.workRegister[0], n2 = s.workRegister[1];
    uint32_t out1 = in1, out2 = in2;
    switch (s.mode) {
        case 1: {
            n1 += 0x01010101u;
            const uint64_t sum = uint64_t{n2} + 0x01010104u;
            n2 = static_cast<uint32_t>(sum < 0xFFFFFFFFu ? sum : sum - 0xFFFFFFFFu);
            s.workRegister[0] = n1;
            s.workRegister[1] = n2;
            Cycle(s, true, 32, n1, n2);
            out1 ^= n1;
            out2 ^= n2;
            break;
        }
        case 2:
            Cycle(s, true, 32, n1, n2);
            out1 ^= n1;
            out2 ^= n2;
            s.workRegister[0] = s.direction != 0 ? out1 : in1;
            s.workRegister[1] = s.direction != 0 ? out2 : in2;
            break;
        case 3: {
            uint32_t a = n1 ^ in1, b = n2 ^ in2;
            Cycle(s, true, 16, a, b);
            s.workRegister[0] = out1 = b;
            s.workRegister[1] = out2 = a;
            break;
        }
        default:
            Cycle(s, s.direction != 0, 32, out1, out2);
            break;
    }
    StoreLE32(output, out1);
    StoreLE32(output + 4, out2);
}

}  // namespace GOST28147Reference
}  // namespace QIRVALE
