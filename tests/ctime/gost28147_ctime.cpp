// GOST 28147-89 many blocks per call on the AVX2 unit (the table code looks up secret nibbles,
// as qirvale.h says) with key, working register and data secret: simple replacement both
// ways, gamma and feedback decryption, which must equal one-block calls made in the open.
#include <cstdint>
#include <cstring>

#include "ctime_support.h"
#include "qirvale.h"
#include "symmetric/gost28147.h"

int main() {
    using QIRVALE::GOST28147VectorUnit;
    if (QIRVALE::GOST28147VectorUnitOfProcessor() == GOST28147VectorUnit::kNone) return 0;
    constexpr std::size_t kBlocks = 40;
    uint8_t key[32], synchro[8], data[8 * kBlocks], expected[sizeof data], output[sizeof data];
    for (std::size_t i = 0; i < sizeof data; ++i) data[i] = static_cast<uint8_t>(91 * i + 7);
    std::memcpy(key, data + 100, sizeof key);
    std::memcpy(synchro, data + 200, sizeof synchro);
    const int cases[][2] = {{1, 0}, {0, 0}, {1, 1}, {0, 2}};  // direction, mode
    for (const auto& c : cases) {
        GOST28147CipherStateHeader open{}, hidden;
        QIRVALEGOST28147CipherInit(&open, QIRVALEGOST34311HashStdSampleSBoxPtr(), uint8_t(c[0]),
                                   uint16_t(c[1]), key, synchro);
        std::memcpy(&hidden, &open, sizeof open);
        for (std::size_t i = 0; i < kBlocks; ++i) {
            QIRVALEGOST28147CipherAction(&open, expected + 8 * i, data + 8 * i);
        }
        ctime_check::Secret(&hidden, 40);  // key words and working register
        ctime_check::Secret(data, sizeof data);
        QIRVALE::GOST28147ActionBlocks(hidden, output, data, kBlocks, GOST28147VectorUnit::kAvx2);
        ctime_check::Public(output, sizeof output);
        ctime_check::Public(&hidden, sizeof hidden);
        ctime_check::Public(data, sizeof data);
        ctime_check::Check(std::memcmp(output, expected, sizeof output) == 0 &&
                               std::memcmp(&hidden, &open, sizeof open) == 0,
                           "ActionBlocks differs from Action");
    }
    return ctime_check::Finish();
}
