// The text files of DSTU 4145 keys and signatures.
//
// A file is a header line naming its kind, then one "name: value" line per field:
//
//     QIRVALE DSTU 4145 PUBLIC KEY
//     curve: 101
//     basis: pb
//     px: <hex>
//     ...
//
// Values are decimal (curve) or a basis name (pb, onb) or hex digits of a byte string in
// the library's little-endian memory order, byte 0 first, of exactly the length the curve
// gives. Reading is strict: a wrong header, an unknown, missing or repeated field, bad hex
// or a length that does not fit the curve make the file malformed (ToolError kMalformed).
// Lines end in LF (CRLF is accepted); fields may come in any order.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "bytes.h"
#include "dstu.h"

namespace QIRVALETool {

struct SignatureFile {
    unsigned curveIndex = 0;
    Bytes value;  // r then s
    // The hash parameters, recorded when they are not the defaults: the start value, and the
    // GOST 34.311 digest of the S-box's 128 bytes.
    std::optional<Bytes> startValue;
    std::optional<Bytes> sBoxDigest;
};

// The file texts. The private-key text holds d: the caller wipes it after use.
std::string FormatPrivateKey(const PrivateKey& key);
std::string FormatPublicKey(const PublicKey& key);
std::string FormatSignature(const SignatureFile& signature);

// Parses a file's text; `fileName` prefixes every error message. Only the format and the
// lengths are checked here: the points and d are checked against the curve by the caller.
PrivateKey ParsePrivateKey(std::string_view text, const std::string& fileName);
PublicKey ParsePublicKey(std::string_view text, const std::string& fileName);
// The signature length must be that of `curve`, which is the curve of the public key the
// signature is checked with.
SignatureFile ParseSignature(std::string_view text, const std::string& fileName,
                             const CurveRecord& curve);

}  // namespace QIRVALETool
