// GOST 28147-89 many blocks per call on the AVX2 unit with the key, the working register and
// the data secret: simple replacement both ways, gamma and feedback decryption must neither
// branch on them nor use them in an address. The results must equal one-block calls made in
// the open. Processors without AVX2 have only the table code, which looks up secret nibbles
// (qirvale.h says so), and are not checked.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "ctime_support.h"
#include "qirvale.h"
#include "symmetric/gost28147.h"

int main() {
    using QIRVALE::GOST28147VectorUnit;
    if (QIRVALE::GOST28147VectorUnitOfProcessor() == GOST28147VectorUnit::kNone) {
        std::fprintf(stderr, "ctime: no AVX2 on this processor; nothing to check\n");
        return ctime_check::Finish();
    }
    constexpr std::size_t kBlocks = 40;
    uint8_t key[32], synchro[8], data[8 * kBlocks];
    for (std::size_t i = 0; i < sizeof key; ++i) key[i] = static_cast<uint8_t>(37 * i + 11);
    for (std::size_t i = 0; i < sizeof synchro; ++i) synchro[i] = static_cast<uint8_t>(5 * i + 3);
    for (std::size_t i = 0; i < sizeof data; ++i) data[i] = static_cast<uint8_t>(91 * i + 7);
    const struct {
        uint8_t direction;
        uint16_t mode;
    } cases[] = {{1, 0}, {0, 0}, {1, 1}, {0, 2}};
    for (const auto& c : cases) {
        GOST28147CipherStateHeader open{}, hidden;
        QIRVALEGOST28147CipherInit(&open, QIRVALEGOST34311HashStdSampleSBoxPtr(), c.direction,
                                   c.mode, key, synchro);
        std::memcpy(&hidden, &open, sizeof open);
        uint8_t expected[sizeof data], input[sizeof data], output[sizeof data];
        for (std::size_t i = 0; i < kBlocks; ++i) {
            QIRVALEGOST28147CipherAction(&open, expected + 8 * i, data + 8 * i);
        }
        std::memcpy(input, data, sizeof data);
        ctime_check::Secret(&hidden, 40);  // key words and working register
        ctime_check::Secret(input, sizeof input);
        QIRVALE::GOST28147ActionBlocks(hidden, output, input, kBlocks, GOST28147VectorUnit::kAvx2);
        ctime_check::Public(output, sizeof output);
        ctime_check::Public(&hidden, sizeof hidden);
        ctime_check::Check(std::memcmp(output, expected, sizeof output) == 0 &&
                               std::memcmp(&hidden, &open, sizeof open) == 0,
                           "ActionBlocks differs from Action");
    }
    return ctime_check::Finish();
}
