# encrypt / decrypt: round trips in all three modes for sizes around the block and around
# the tool's 256 KiB read chunk, through files and through the standard streams, with the
# ciphertext lengths that the padding rules give.
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

oracle(write raw.key 32 7)
set(iv 0123456789abcdef)
set(sizes 0 1 7 8 9 15 16 17 65537 100001 262143 262144 262145 262152)

foreach(mode ecb ctr cfb)
  set(options --key raw.key --mode ${mode})
  if(NOT mode STREQUAL "ecb")
    list(APPEND options --iv ${iv})
  endif()
  foreach(size ${sizes})
    set(plain plain${size}.bin)
    if(NOT EXISTS ${WORK}/${plain})
      oracle(write ${plain} ${size} ${size})
    endif()
    tool(0 encrypt ${options} --out ${mode}${size}.enc ${plain})
    tool(0 decrypt ${options} --out ${mode}${size}.dec ${mode}${size}.enc)
    expect_same_file(${mode}${size}.dec ${plain} "${mode} round trip of ${size} bytes")
    if(mode STREQUAL "ecb")
      # 0x80 and zeros up to a multiple of 8: always at least one byte.
      math(EXPR expected "(${size} / 8 + 1) * 8")
    else()
      set(expected ${size})
    endif()
    expect_file_size(${mode}${size}.enc ${expected} "${mode} ciphertext of ${size} bytes")
    if(size GREATER 0)
      file_hex(${mode}${size}.enc cipher_hex)
      file_hex(${plain} plain_hex)
      string(FIND "${cipher_hex}" "${plain_hex}" found)
      if(size GREATER 7 AND NOT found EQUAL -1)
        check_failed("${mode} ciphertext of ${size} bytes contains the plaintext")
      endif()
    endif()
  endforeach()

  # Standard input to standard output gives the same bytes as files.
  tool(0 encrypt ${options} INPUT plain65537.bin OUTPUT_FILE ${mode}-stdout.enc)
  expect_same_file(${mode}-stdout.enc ${mode}65537.enc "${mode} through the standard streams")
  tool(0 decrypt ${options} - INPUT ${mode}-stdout.enc OUTPUT_FILE ${mode}-stdout.dec)
  expect_same_file(${mode}-stdout.dec plain65537.bin "${mode} decryption from standard input")
endforeach()

# The three modes give three different ciphertexts; the gamma modes agree on the first
# block only if the synchro is processed alike, which it is not.
file_hex(ctr17.enc ctr_hex)
file_hex(cfb17.enc cfb_hex)
if(ctr_hex STREQUAL cfb_hex)
  check_failed("ctr and cfb give the same ciphertext")
endif()
# A short last block in ctr and cfb is the prefix of a whole one: encrypting 17 bytes gives
# the first 17 bytes of the encryption of 24 bytes that start with them.
oracle(write plain24.bin 24 17)
file_hex(plain17.bin p17)
file_hex(plain24.bin p24)
string(SUBSTRING "${p24}" 0 34 p24prefix)
expect_equal("${p24prefix}" "${p17}" "test data of one seed share a prefix")
foreach(mode ctr cfb)
  tool(0 encrypt --key raw.key --mode ${mode} --iv ${iv} --out ${mode}24.enc plain24.bin)
  file_hex(${mode}24.enc c24)
  file_hex(${mode}17.enc c17)
  string(SUBSTRING "${c24}" 0 34 c24prefix)
  expect_equal("${c17}" "${c24prefix}" "${mode}: short last block is a prefix of a whole one")
endforeach()

# Another synchro gives another ciphertext; decrypting with it gives other bytes.
tool(0 encrypt --key raw.key --mode ctr --iv 0123456789abcdee --out other.enc plain17.bin)
file_hex(other.enc other_hex)
if(other_hex STREQUAL ctr_hex)
  check_failed("the synchro does not change the ctr ciphertext")
endif()

# The key as 64 hex digits in a text file is the same key as the 32 raw bytes.
file_hex(raw.key key_hex)
file(WRITE ${WORK}/hex.key "${key_hex}\n")
tool(0 encrypt --key hex.key --mode ecb --out hexkey.enc plain100001.bin)
expect_same_file(hexkey.enc ecb100001.enc "a hex key file and a raw key file")
