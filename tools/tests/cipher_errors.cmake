# encrypt / decrypt / mac on bad input: the exit status and the one-line message, and no
# output file left behind by a failed run.
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

oracle(write good.key 32 1)
oracle(write short.key 31 1)
oracle(write plain.bin 100 2)
oracle(write twelve.bin 12 3)
file(WRITE ${WORK}/empty.bin "")
set(iv --iv 0001020304050607)

# Key files: too short, not hex, missing.
tool(4 encrypt --key short.key --mode ecb plain.bin ERR err)
expect_match("${err}" "^qirvale: short.key: malformed key file" "short key")
file(WRITE ${WORK}/text.key "this is not a key\n")
tool(4 encrypt --key text.key --mode ecb plain.bin)
string(REPEAT "0" 63 digits)
file(WRITE ${WORK}/odd.key "${digits}\n")
tool(4 encrypt --key odd.key --mode ecb plain.bin)
tool(3 encrypt --key missing.key --mode ecb plain.bin ERR err)
expect_match("${err}" "^qirvale: missing.key: cannot open" "missing key")

# The command line: mode, synchro and operands.
tool(2 encrypt --key good.key plain.bin ERR err)
expect_match("${err}" "--mode is required" "no mode")
tool(2 encrypt --key good.key --mode ofb plain.bin)
tool(2 encrypt --key good.key --mode ctr plain.bin)
tool(2 encrypt --key good.key --mode cfb --iv 0001 plain.bin)
tool(2 encrypt --key good.key --mode ecb ${iv} plain.bin)
tool(2 encrypt --key good.key --mode ecb plain.bin plain.bin)
tool(2 mac --key good.key --bytes 0 plain.bin)
tool(2 mac --key good.key --bytes 9 plain.bin)
tool(2 mac --key good.key --bytes 08 plain.bin)

# Input and output files.
tool(3 encrypt --key good.key --mode ecb missing.bin)
tool(3 encrypt --key good.key --mode ecb --out no/such/directory/out.bin plain.bin)

# ecb ciphertext must be a non-empty multiple of 8 bytes with valid padding; a failed
# decryption leaves no output file.
tool(4 decrypt --key good.key --mode ecb --out out1.bin twelve.bin ERR err)
expect_match("${err}" "malformed ciphertext: ecb ciphertext must be a non-empty multiple of 8 bytes"
             "ecb ciphertext of 12 bytes")
tool(4 decrypt --key good.key --mode ecb --out out2.bin empty.bin)
tool(0 encrypt --key good.key --mode ecb --out plain.enc plain.bin)
oracle(write other.key 32 99)
tool(4 decrypt --key other.key --mode ecb --out out3.bin plain.enc ERR err)
expect_match("${err}" "bad padding" "ecb decryption under another key")
foreach(out out1.bin out2.bin out3.bin)
  if(EXISTS ${WORK}/${out})
    check_failed("a failed decryption left ${out} behind")
  endif()
endforeach()

# A changed last ciphertext block breaks the padding check.
oracle(flip plain.enc 100)
tool(4 decrypt --key good.key --mode ecb plain.enc)

# The gamma modes have no padding: any length decrypts, even an empty file.
tool(0 decrypt --key good.key --mode ctr ${iv} --out empty.dec empty.bin)
expect_file_size(empty.dec 0 "ctr decryption of nothing")

# mac: data differing only in trailing zero bytes share a MAC (zero padding, documented);
# an empty file has a MAC (that of one zero block); a missing file is reported and skipped.
file(WRITE ${WORK}/a.bin "abc")
oracle(unhex 61626300 a0.bin)
tool(0 mac --key good.key a.bin a0.bin OUT out)
string(REGEX MATCHALL "[0-9a-f]+  " macs "${out}")
list(GET macs 0 mac_a)
list(GET macs 1 mac_a0)
expect_equal("${mac_a}" "${mac_a0}" "zero-padded MACs")
tool(0 mac --key good.key --bytes 8 empty.bin OUT out)
expect_match("${out}" "^[0-9a-f]+  empty.bin\n$" "MAC of an empty file")
tool(3 mac --key good.key missing.bin a.bin OUT out)
expect_match("${out}" "^[0-9a-f]+  a.bin\n$" "MAC of the file after a missing one")

# The output may not be the input: opening it would empty the input first.
tool(2 encrypt --key good.key --mode ecb --out plain.bin plain.bin ERR err)
expect_match("${err}" "--out names the input file" "output over the input")
tool(2 encrypt --key good.key --mode ecb --out ./plain.bin plain.bin)
expect_file_size(plain.bin 100 "the input after a refused encryption")
