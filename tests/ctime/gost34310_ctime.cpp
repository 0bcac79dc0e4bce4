// GOST 34.310 private and public key generation and signing with the private key x and the
// random number k marked secret, on the worked examples with a 512-bit and a 1024-bit p: no
// branch and no memory address may depend on them, and the keys and signatures must be the
// known ones.
#include <cstdint>
#include <string>
#include <utility>

#include "ctime_support.h"
#include "qirvale.h"
#include "support/test_support.h"

int main() {
    using qirvale_test::Bytes;
    using qirvale_test::HexBytes;
    const qirvale_test::Json json = qirvale_test::ReadJson("gost34310.json");
    const Bytes x = HexBytes(json["x"]), k = HexBytes(json["k"]), hash = HexBytes(json["hash"]);
    ctime_check::Secret(x.data(), x.size());
    ctime_check::Secret(k.data(), k.size());
    for (const auto& e : json["examples"]) {
        const std::string name = e["name"].get<std::string>();
        if (name != "A" && name != "B") continue;
        const Bytes p = HexBytes(e["p"]), q = HexBytes(e["q"]), a = HexBytes(e["a"]);
        Bytes privateKey(x.size()), y(p.size()), signature(64);
        uint16_t privateCode = 0xFFFF, keyCode = 0xFFFF, signatureCode = 0xFFFF;
        uint32_t privateStatus = QIRVALEGOST34310SignGeneratePrivateKey(
            privateKey.data(), uint32_t(privateKey.size()), q.data(), uint32_t(q.size()), x.data(),
            uint32_t(x.size()), &privateCode);
        uint32_t keyStatus = QIRVALEGOST34310SignGeneratePublicKey(
            y.data(), uint32_t(y.size()), p.data(), uint32_t(p.size()), a.data(),
            uint32_t(a.size()), x.data(), uint32_t(x.size()), &keyCode);
        uint32_t signatureStatus = QIRVALEGOST34310SignSignHash(
            signature.data(), p.data(), uint32_t(p.size()), q.data(), uint32_t(q.size()), a.data(),
            uint32_t(a.size()), hash.data(), uint32_t(hash.size()), x.data(), uint32_t(x.size()),
            k.data(), uint32_t(k.size()), &signatureCode);
        for (auto [data, size] : {std::pair<const void*, size_t>{privateKey.data(), x.size()},
                                  {&privateStatus, sizeof privateStatus},
                                  {&privateCode, sizeof privateCode},
                                  {y.data(), y.size()},
                                  {signature.data(), signature.size()},
                                  {&keyStatus, sizeof keyStatus},
                                  {&keyCode, sizeof keyCode},
                                  {&signatureStatus, sizeof signatureStatus},
                                  {&signatureCode, sizeof signatureCode}}) {
            ctime_check::Public(data, size);
        }
        ctime_check::Public(x.data(), x.size());  // for the comparison only
        ctime_check::Check(privateStatus == 0 && privateCode == 0 && privateKey == x,
                           ("private key of example " + name).c_str());
        ctime_check::Secret(x.data(), x.size());
        ctime_check::Check(keyStatus == 0 && keyCode == 0 && y == HexBytes(e["y"]),
                           ("public key of example " + name).c_str());
        ctime_check::Check(
            signatureStatus == 0 && signatureCode == 0 && signature == HexBytes(e["signature"]),
            ("signature of example " + name).c_str());
    }
    return ctime_check::Finish();
}
