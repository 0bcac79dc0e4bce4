// hash: GOST 34.311 digests of files, one line each, in the manner of sha256sum.
#include "commands.h"
#include "io.h"
#include "symmetric.h"

namespace QIRVALETool {

ExitStatus RunHash(const Arguments& args) {
    const HashParameters parameters = LoadHashParameters(args);
    return PrintForEachFile(args.operands(), [&](InputFile& file) {
        const Digest digest = HashFile(file, parameters);
        return ToHex(digest.data(), digest.size());
    });
}

}  // namespace QIRVALETool
