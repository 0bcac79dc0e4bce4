// GOST 34.310 private and public key generation and signing with the private key x and the
// random number k marked secret, on the worked examples with a 512-bit and a 1024-bit p: no
// branch and no memory address may depend on them, and the keys and signatures must be the
// known ones.
#include <cstdint>
#include <string>

#include "ctime_support.h"
#include "qirvale.h"
#include "support/test_support.h"

int main() {
    using qirvale_test::Bytes;
    using qirvale_test::HexBytes;
    const qirvale_test::Json json = qirvale_test::ReadJson("gost34310.json");
    Bytes x = HexBytes(json["x"]), k = HexBytes(json["k"]), hash = HexBytes(json["hash"]);
    for (const auto& e : json["examples"]) {
        const std::string name = e["name"].get<std::string>();
        if (name != "A" && name != "B") continue;
        const Bytes p = HexBytes(e["p"]), q = HexBytes(e["q"]), a = HexBytes(e["a"]);
        Bytes privateKey(x.size()), y(p.size()), signature(64);
        uint32_t status[3];
        uint16_t code[3] = {0xFFFF, 0xFFFF, 0xFFFF};
        ctime_check::Secret(x.data(), x.size());
        ctime_check::Secret(k.data(), k.size());
        status[0] = QIRVALEGOST34310SignGeneratePrivateKey(
            privateKey.data(), uint32_t(privateKey.size()), q.data(), uint32_t(q.size()), x.data(),
            uint32_t(x.size()), &code[0]);
        status[1] = QIRVALEGOST34310SignGeneratePublicKey(
            y.data(), uint32_t(y.size()), p.data(), uint32_t(p.size()), a.data(),
            uint32_t(a.size()), x.data(), uint32_t(x.size()), &code[1]);
        status[2] = QIRVALEGOST34310SignSignHash(
            signature.data(), p.data(), uint32_t(p.size()), q.data(), uint32_t(q.size()), a.data(),
            uint32_t(a.size()), hash.data(), uint32_t(hash.size()), x.data(), uint32_t(x.size()),
            k.data(), uint32_t(k.size()), &code[2]);
        // Released for the comparisons: the outputs, and x, which the private key must equal.
        for (Bytes* b : {&privateKey, &y, &signature, &x})
            ctime_check::Public(b->data(), b->size());
        ctime_check::Public(status, sizeof status);
        ctime_check::Public(code, sizeof code);
        ctime_check::Check(status[0] == 0 && code[0] == 0 && privateKey == x,
                           ("private key of example " + name).c_str());
        ctime_check::Check(status[1] == 0 && code[1] == 0 && y == HexBytes(e["y"]),
                           ("public key of example " + name).c_str());
        ctime_check::Check(status[2] == 0 && code[2] == 0 && signature == HexBytes(e["signature"]),
                           ("signature of example " + name).c_str());
    }
    return ctime_check::Finish();
}
