# The keygen / sign / verify round trip on one curve, shared by the sign_pb and sign_onb
# scenarios.
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

# The value of field `name` in a key or signature file.
function(key_field file name variable)
  file(STRINGS ${WORK}/${file} lines REGEX "^${name}: ")
  string(REGEX REPLACE "^${name}: " "" value "${lines}")
  set(${variable} "${value}" PARENT_SCOPE)
endfunction()

function(round_trip curve basis m)
  set(key c${curve}.key)
  set(pub c${curve}.pub)
  set(doc c${curve}.doc)
  math(EXPR coordinate_digits "(${m} + 7) / 8 * 2")

  tool(0 keygen --curve ${curve} --key ${key} --pub ${pub} OUT out)
  expect_match("${out}" "^curve ${curve} \\(" "keygen report for curve ${curve}")

  # The files: header, fields of the curve's lengths, the private key readable by its owner
  # only.
  file(STRINGS ${WORK}/${key} key_lines)
  list(GET key_lines 0 header)
  expect_equal("${header}" "QIRVALE DSTU 4145 PRIVATE KEY" "private key header")
  file(STRINGS ${WORK}/${pub} pub_lines)
  list(GET pub_lines 0 header)
  expect_equal("${header}" "QIRVALE DSTU 4145 PUBLIC KEY" "public key header")
  key_field(${pub} curve value)
  expect_equal("${value}" "${curve}" "curve field")
  key_field(${pub} basis value)
  expect_equal("${value}" "${basis}" "basis field")
  foreach(field px py qx qy)
    key_field(${pub} ${field} value)
    expect_match("${value}" "^[0-9a-f]+$" "${field} is hex")
    string(LENGTH "${value}" digits)
    expect_equal("${digits}" "${coordinate_digits}" "hex digits of ${field} on curve ${curve}")
    key_field(${key} ${field} private_value)
    expect_equal("${private_value}" "${value}" "${field} in both key files")
  endforeach()
  key_field(${key} d value)
  expect_match("${value}" "^[0-9a-f]+$" "d is hex")
  if(UNIX)
    execute_process(COMMAND stat -c %a ${WORK}/${key} OUTPUT_VARIABLE mode
                    OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
    if(status EQUAL 0)
      expect_equal("${mode}" "600" "mode of the private key file")
    endif()
  endif()

  # Sign, then verify; a signature of standard input verifies too.
  oracle(write ${doc} 1000 ${curve})
  tool(0 sign --key ${key} --out ${doc}.sig ${doc})
  tool(0 verify --pub ${pub} --sig ${doc}.sig ${doc} OUT out)
  expect_equal("${out}" "${doc}: signature ok\n" "verification on curve ${curve}")
  tool(0 sign --key ${key} - INPUT ${doc} OUTPUT_FILE ${doc}.sig2)
  tool(0 verify --pub ${pub} --sig ${doc}.sig2 - INPUT ${doc})
  tool(0 verify --pub ${pub} --sig ${doc}.sig2 ${doc})
  file(STRINGS ${WORK}/${doc}.sig sig_lines)
  list(GET sig_lines 0 header)
  expect_equal("${header}" "QIRVALE DSTU 4145 SIGNATURE" "signature header")
  key_field(${doc}.sig signature first)
  key_field(${doc}.sig2 signature second)
  if(first STREQUAL second)
    check_failed("two signatures of one document on curve ${curve} are equal")
  endif()

  # One changed byte of the document: exit status 1, "signature mismatch".
  foreach(offset 0 999)
    oracle(flip ${doc} ${offset})
    tool(1 verify --pub ${pub} --sig ${doc}.sig ${doc} OUT out ERR err)
    expect_equal("${err}" "qirvale: ${doc}: signature mismatch\n" "changed byte ${offset}")
    expect_equal("${out}" "" "no ok line for a mismatch")
    oracle(flip ${doc} ${offset})
  endforeach()
  tool(0 verify --pub ${pub} --sig ${doc}.sig ${doc})

  # Another key of the same curve does not verify the signature.
  tool(0 keygen --curve ${curve} --key other${curve}.key --pub other${curve}.pub)
  tool(1 verify --pub other${curve}.pub --sig ${doc}.sig ${doc})

  # The hash parameters: a signature over another start value records it, and verifies
  # without the option too.
  set(iv 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20)
  tool(0 sign --key ${key} --iv ${iv} --out ${doc}.iv.sig ${doc})
  tool(0 verify --pub ${pub} --sig ${doc}.iv.sig ${doc})
  tool(0 verify --pub ${pub} --sig ${doc}.iv.sig --iv ${iv} ${doc})

  # A truncated key file: the malformed-input status and message.
  file(READ ${WORK}/${key} text)
  string(LENGTH "${text}" length)
  math(EXPR half "${length} / 2")
  string(SUBSTRING "${text}" 0 ${half} truncated)
  file(WRITE ${WORK}/truncated${curve}.key "${truncated}")
  tool(4 sign --key truncated${curve}.key ${doc} ERR err)
  expect_match("${err}" "^qirvale: truncated${curve}.key: malformed private key file: "
               "truncated key file")

  # keygen keeps existing files unless told otherwise.
  file(READ ${WORK}/${key} before)
  tool(3 keygen --curve ${curve} --key ${key} --pub new.pub ERR err)
  expect_match("${err}" "^qirvale: ${key}: cannot create" "keygen over an existing key")
  file(READ ${WORK}/${key} after)
  expect_equal("${after}" "${before}" "an existing key file is left alone")
  if(EXISTS ${WORK}/new.pub)
    check_failed("a refused keygen left new.pub behind")
  endif()
  tool(0 keygen --curve ${curve} --key ${key} --pub ${pub} --force)
  tool(1 verify --pub ${pub} --sig ${doc}.sig ${doc})
endfunction()
