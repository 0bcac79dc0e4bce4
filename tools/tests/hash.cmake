# hash: digests match the reference vectors and the library's own one-call digest, for files
# of 0, 1, 32 and 10^6 bytes, standard input, several files, and the --sbox / --iv options.
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

# Reference digests (sample S-box, zero start value) of messages of 0, 1, 31, 32, 33 and
# 64 bytes, and of messages under other S-boxes and start values.
read_vectors(reference-gost34311.jsonl vectors)
set(checked_lengths "")
foreach(vector ${vectors})
  string(JSON case GET "${vector}" case)
  string(JSON message GET "${vector}" msg)
  string(JSON sbox GET "${vector}" sbox)
  string(JSON start_type TYPE "${vector}" start)
  string(JSON expected GET "${vector}" expect digest)
  string(LENGTH "${message}" length)
  math(EXPR length "${length} / 2")
  if(message STREQUAL "")
    file(WRITE ${WORK}/${case}.bin "")
  else()
    oracle(unhex ${message} ${case}.bin)
  endif()
  set(options "")
  if(NOT start_type STREQUAL "NULL")
    string(JSON start GET "${vector}" start)
    # A start value goes in with --iv, and its S-box as a hex text file in 8 lines.
    string(REGEX REPLACE "([0-9a-f]{32})" "\\1\n" rows "${sbox}")
    file(WRITE ${WORK}/${case}.sbox "${rows}")
    set(options --sbox ${case}.sbox --iv ${start})
  endif()
  tool(0 hash ${options} ${case}.bin OUT out)
  expect_equal("${out}" "${expected}  ${case}.bin\n" "digest of ${case} (${length} bytes)")
  list(APPEND checked_lengths ${length})
endforeach()
foreach(length 0 1 32)
  if(NOT length IN_LIST checked_lengths)
    check_failed("the reference vectors have no message of ${length} bytes")
  endif()
endforeach()

# Sizes around the tool's 256 KiB read chunk and 10^6 bytes, against the library's digest of
# the whole data in one call.
foreach(size 0 1 32 262143 262144 262145 1000000)
  oracle(write data${size}.bin ${size} ${size})
  oracle(digest data${size}.bin OUT expected)
  tool(0 hash data${size}.bin OUT out)
  expect_equal("${out}" "${expected}  data${size}.bin\n" "digest of ${size} bytes")
endforeach()

# Standard input, with no file operand and with "-".
oracle(digest data1000000.bin OUT expected)
tool(0 hash INPUT data1000000.bin OUT out)
expect_equal("${out}" "${expected}  -\n" "digest of standard input")
tool(0 hash - INPUT data1000000.bin OUT out)
expect_equal("${out}" "${expected}  -\n" "digest of standard input named -")

# Several files, one of them missing: the others are still hashed, then exit status 3.
oracle(digest data0.bin OUT digest0)
oracle(digest data1.bin OUT digest1)
tool(3 hash data0.bin missing.bin data1.bin OUT out ERR err)
expect_equal("${out}" "${digest0}  data0.bin\n${digest1}  data1.bin\n" "digests around a missing file")
expect_match("${err}" "^qirvale: missing.bin: cannot open" "report of the missing file")

# A directory cannot be read as a file.
file(MAKE_DIRECTORY ${WORK}/directory)
tool(3 hash directory)

# The start value changes the digest; a zero start value given explicitly does not.
tool(0 hash --iv 0000000000000000000000000000000000000000000000000000000000000000 data1.bin OUT out)
expect_equal("${out}" "${digest1}  data1.bin\n" "digest with an explicit zero start value")
tool(0 hash --iv 0100000000000000000000000000000000000000000000000000000000000000 data1.bin OUT out)
if(out STREQUAL "${digest1}  data1.bin\n")
  check_failed("a start value of 1 gives the digest of start value 0")
endif()

# The sample S-box as a 128-byte raw file is the default.
read_vectors(reference-gost34311.jsonl vectors)
list(GET vectors 0 first)
string(JSON sample GET "${first}" sbox)
oracle(unhex ${sample} sample.sbox)
tool(0 hash --sbox sample.sbox data1.bin OUT out)
expect_equal("${out}" "${digest1}  data1.bin\n" "digest with the sample S-box given as a file")

# Bad options: a start value of the wrong length or with a non-hex digit, an S-box entry
# above 15, an S-box of the wrong size.
tool(2 hash --iv 00 data1.bin)
tool(2 hash --iv 000000000000000000000000000000000000000000000000000000000000000g data1.bin)
string(REGEX REPLACE "^04" "10" bad_sbox "${sample}")
oracle(unhex ${bad_sbox} bad.sbox)
tool(4 hash --sbox bad.sbox data1.bin ERR err)
expect_match("${err}" "malformed S-box file: entry 0 of row 0 is above 15" "S-box entry 16")
tool(4 hash --sbox data32.bin data1.bin)
tool(3 hash --sbox missing.sbox data1.bin)
