# sign / verify with malformed key and signature files: strict parsing of the text format,
# keys that are not what they claim, and signatures out of range. Each gives exit status 4
# and a one-line message naming the file.
include(${CMAKE_CURRENT_LIST_DIR}/signing.cmake)

tool(0 keygen --curve 101 --key good.key --pub good.pub)
oracle(write doc 300 5)
tool(0 sign --key good.key --out good.sig doc)
file(READ ${WORK}/good.key key_text)
file(READ ${WORK}/good.pub pub_text)
file(READ ${WORK}/good.sig sig_text)

# variant(<source text> <file> <regex> <replacement>): writes the text with the change.
function(variant text file regex replacement)
  string(REGEX REPLACE "${regex}" "${replacement}" changed "${text}")
  if(changed STREQUAL text)
    message(FATAL_ERROR "variant ${file}: \"${regex}\" changes nothing")
  endif()
  file(WRITE ${WORK}/${file} "${changed}")
endfunction()

function(expect_malformed_key file detail)
  tool(4 sign --key ${file} doc ERR err)
  expect_match("${err}" "^qirvale: ${file}: malformed private key file: ${detail}" "${file}")
endfunction()
function(expect_malformed_pub file detail)
  tool(4 verify --pub ${file} --sig good.sig doc ERR err)
  expect_match("${err}" "^qirvale: ${file}: malformed public key file: ${detail}" "${file}")
endfunction()
function(expect_malformed_sig file detail)
  tool(4 verify --pub good.pub --sig ${file} doc ERR err)
  expect_match("${err}" "^qirvale: ${file}: malformed signature file: ${detail}" "${file}")
endfunction()

# The format. CRLF line ends and a missing final line end are accepted.
string(REPLACE "\n" "\r\n" crlf "${key_text}")
file(WRITE ${WORK}/crlf.key "${crlf}")
file(CHMOD ${WORK}/crlf.key PERMISSIONS OWNER_READ OWNER_WRITE)
tool(0 sign --key crlf.key --out crlf.sig doc)
string(REGEX REPLACE "\n$" "" no_final "${pub_text}")
file(WRITE ${WORK}/no-final.pub "${no_final}")
tool(0 verify --pub no-final.pub --sig crlf.sig doc)

file(WRITE ${WORK}/empty.key "")
expect_malformed_key(empty.key "the first line")
variant("${key_text}" header.key "PRIVATE KEY" "PUBLIC KEY")
expect_malformed_key(header.key "the first line")
expect_malformed_pub(good.key "the first line")
variant("${key_text}" unknown.key "\nd: " "\ncolour: blue\nd: ")
expect_malformed_key(unknown.key "line [0-9]+: unknown field \"colour\"")
variant("${key_text}" twice.key "\n(px: [0-9a-f]+\n)" "\n\\1\\1")
expect_malformed_key(twice.key "field \"px\" appears twice")
variant("${key_text}" noqy.key "\nqy: [0-9a-f]+\n" "\n")
expect_malformed_key(noqy.key "field \"qy\" is missing")
variant("${key_text}" blank.key "\nd: " "\n\nd: ")
expect_malformed_key(blank.key "line [0-9]+ is not")
variant("${key_text}" badhex.key "\nd: ." "\nd: g")
expect_malformed_key(badhex.key "field \"d\" must be 42 hex digits")
variant("${key_text}" long.key "\nd: ([0-9a-f]+)" "\nd: \\100")
expect_malformed_key(long.key "field \"d\" must be 42 hex digits")
variant("${pub_text}" short.pub "\nqx: [0-9a-f][0-9a-f]" "\nqx: ")
expect_malformed_pub(short.pub "field \"qx\" must be 42 hex digits")
variant("${pub_text}" basis.pub "basis: pb" "basis: onb")
expect_malformed_pub(basis.pub "curve 101 has basis \"pb\"")
variant("${pub_text}" curve.pub "curve: 101" "curve: 111")
expect_malformed_pub(curve.pub "there is no standard curve 111")
variant("${pub_text}" index.pub "curve: 101" "curve: +101")
expect_malformed_pub(index.pub "field \"curve\" is not a curve index")
variant("${pub_text}" othercurve.pub "curve: 101" "curve: 102")
expect_malformed_pub(othercurve.pub "the base point is not a point of order n on curve 102")

# Truncated files, cut inside a hex field and at a line end.
foreach(kind key pub sig)
  file(READ ${WORK}/good.${kind} text)
  string(LENGTH "${text}" length)
  math(EXPR cut "${length} - 7")
  string(SUBSTRING "${text}" 0 ${cut} truncated)
  file(WRITE ${WORK}/cut.${kind} "${truncated}")
  string(FIND "${text}" "\n" first_line_end)
  math(EXPR cut "${first_line_end} + 1")
  string(SUBSTRING "${text}" 0 ${cut} truncated)
  file(WRITE ${WORK}/header-only.${kind} "${truncated}")
endforeach()
expect_malformed_key(cut.key "field \"d\" must be")
expect_malformed_key(header-only.key "field \"[a-z]+\" is missing")
expect_malformed_pub(cut.pub "field \"qy\" must be")
expect_malformed_pub(header-only.pub "field \"[a-z]+\" is missing")
expect_malformed_sig(cut.sig "field \"signature\" must be")
expect_malformed_sig(header-only.sig "field \"[a-z]+\" is missing")

# Values that parse but are not a key: a changed coordinate leaves the curve, a changed d
# no longer gives Q, a d with the top bit of n set is out of range.
# other_digit(<file> <field> <out>): a hex digit other than the first digit of the field.
function(other_digit file field out)
  key_field(${file} ${field} value)
  string(SUBSTRING "${value}" 0 1 digit)
  if(digit STREQUAL "0")
    set(${out} 1 PARENT_SCOPE)
  else()
    set(${out} 0 PARENT_SCOPE)
  endif()
endfunction()
other_digit(good.pub qx other)
variant("${pub_text}" moved.pub "\nqx: ." "\nqx: ${other}")
expect_malformed_pub(moved.pub "the public key is not a point of order n")
other_digit(good.key px other)
variant("${key_text}" movedbase.key "\npx: ." "\npx: ${other}")
expect_malformed_key(movedbase.key "the base point is not a point of order n")
other_digit(good.key d other)
variant("${key_text}" otherd.key "\nd: ." "\nd: ${other}")
expect_malformed_key(otherd.key "the private key d does not belong to the public key")
variant("${key_text}" highd.key "\nd: ([0-9a-f]+)[0-9a-f][0-9a-f]\n" "\nd: \\104\n")
expect_malformed_key(highd.key "the private key d is out of range")
variant("${key_text}" zerod.key "\nd: [0-9a-f]+\n" "\nd: 000000000000000000000000000000000000000000\n")
expect_malformed_key(zerod.key "the private key d is out of range")

# Signatures: r = 0, s = 0 and r = n are malformed; a signature for another curve too.
string(REPEAT "00" 21 zero)
key_field(good.sig signature signature)
string(SUBSTRING "${signature}" 0 42 r)
string(SUBSTRING "${signature}" 42 42 s)
variant("${sig_text}" r0.sig "signature: [0-9a-f]+" "signature: ${zero}${s}")
expect_malformed_sig(r0.sig "r or s is not in 1 .. n-1")
variant("${sig_text}" s0.sig "signature: [0-9a-f]+" "signature: ${r}${zero}")
expect_malformed_sig(s0.sig "r or s is not in 1 .. n-1")
# n of curve 101, little-endian.
set(n 4df1bc392d26e22bc1be0200000000000000000004)
variant("${sig_text}" rn.sig "signature: [0-9a-f]+" "signature: ${n}${s}")
expect_malformed_sig(rn.sig "r or s is not in 1 .. n-1")
variant("${sig_text}" curve.sig "curve: 101" "curve: 102")
expect_malformed_sig(curve.sig "the signature is for curve 102, the public key for curve 101")
variant("${sig_text}" long.sig "signature: ([0-9a-f]+)" "signature: \\10000")
expect_malformed_sig(long.sig "field \"signature\" must be 84 hex digits")

# A swapped r and s is well formed but wrong.
variant("${sig_text}" swapped.sig "signature: [0-9a-f]+" "signature: ${s}${r}")
tool(1 verify --pub good.pub --sig swapped.sig doc)

# Hash parameters other than the defaults are recorded: the start value as it is, the S-box
# by its digest (GOST 34.311 of its 128 bytes); the defaults are not.
expect_match("${sig_text}" "^[^h]*$" "a signature with the default hash parameters")
string(REPEAT "000102030405060708090a0b0c0d0e0f" 8 sbox)
oracle(unhex ${sbox} one.sbox)
string(REPEAT "0f0e0d0c0b0a09080706050403020100" 8 sbox)
oracle(unhex ${sbox} two.sbox)
oracle(digest one.sbox OUT one_digest)
set(iv 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20)
set(other_iv 1102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20)
tool(0 sign --key good.key --sbox one.sbox --iv ${iv} --out params.sig doc)
key_field(params.sig hash-iv value)
expect_equal("${value}" "${iv}" "the recorded start value")
key_field(params.sig hash-sbox-digest value)
expect_equal("${value}" "${one_digest}" "the recorded S-box digest")
file(READ ${WORK}/params.sig params_text)
variant("${params_text}" old.sig "hash-iv: [0-9a-f]+\n" "")
variant("${params_text}" shortiv.sig "hash-iv: .." "hash-iv: ")
# <status>|<signature file>|<options>|<message>: the S-box must be given, and match; an
# option contradicting the file is a usage error; a file without the start value (as
# written before it was recorded) takes it from --iv.
set(cases
  "0|params.sig|--sbox one.sbox|"
  "0|params.sig|--sbox one.sbox --iv ${iv}|"
  "2|params.sig||params.sig was made with another hash S-box: give it with --sbox"
  "2|params.sig|--sbox two.sbox|the S-box of --sbox is not the one recorded in params.sig"
  "2|params.sig|--sbox one.sbox --iv ${other_iv}|--iv differs from the hash start value"
  "1|old.sig|--sbox one.sbox|signature mismatch"
  "0|old.sig|--sbox one.sbox --iv ${iv}|"
  "4|shortiv.sig|--sbox one.sbox|field \"hash-iv\" must be 64 hex digits")
foreach(case ${cases})
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 status)
  list(GET case 1 sig)
  list(GET case 2 options)
  list(GET case 3 message)
  separate_arguments(options)
  tool(${status} verify --pub good.pub --sig ${sig} ${options} doc ERR err)
  expect_match("${err}" "${message}" "verify --sig ${sig} ${options}")
endforeach()

# Unreadable files.
tool(3 sign --key missing.key doc)
tool(3 sign --key good.key missing.doc)
tool(3 verify --pub missing.pub --sig good.sig doc)
tool(3 verify --pub good.pub --sig missing.sig doc)
tool(3 verify --pub good.pub --sig good.sig missing.doc)
tool(3 sign --key good.key --out no/such/directory/doc.sig doc)

# A file far larger than any key is not read whole.
oracle(write big.key 100000 1)
expect_malformed_key(big.key "larger than")

# The original files still work after all this.
tool(0 verify --pub good.pub --sig good.sig doc)
