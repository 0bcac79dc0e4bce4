# Helpers shared by the end-to-end scenarios. Each scenario runs as
#   cmake -DQIRVALE=<tool> -DORACLE=<oracle> -DVECTORS=<tests/vectors> -DWORK=<dir> -P <scenario>
# A failed check is reported with message(SEND_ERROR): the scenario goes on, and cmake
# exits non-zero at the end, which fails the test.
cmake_minimum_required(VERSION 3.21)

foreach(variable QIRVALE ORACLE VECTORS WORK)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()
# A cross build runs its programs through the emulator CMake was given (qemu-i386).
if(EMULATOR)
  set(QIRVALE ${EMULATOR} ${QIRVALE})
  set(ORACLE ${EMULATOR} ${ORACLE})
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(check_failed what)
  message(SEND_ERROR "${what}")
endfunction()

# tool(<expected exit status> <arguments>... [INPUT file] [OUTPUT_FILE file] [OUT var] [ERR var])
# Runs the tool in the scratch directory and checks its exit status. Standard error must be
# empty on success and one line starting with "qirvale: " otherwise. OUT and ERR receive
# standard output and standard error; INPUT and OUTPUT_FILE redirect the standard streams.
function(tool expected)
  cmake_parse_arguments(PARSE_ARGV 1 RUN "" "INPUT;OUTPUT_FILE;OUT;ERR" "")
  set(redirect)
  if(DEFINED RUN_INPUT)
    list(APPEND redirect INPUT_FILE ${WORK}/${RUN_INPUT})
  endif()
  if(DEFINED RUN_OUTPUT_FILE)
    list(APPEND redirect OUTPUT_FILE ${WORK}/${RUN_OUTPUT_FILE})
  else()
    list(APPEND redirect OUTPUT_VARIABLE out)
  endif()
  execute_process(COMMAND ${QIRVALE} ${RUN_UNPARSED_ARGUMENTS} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE status ERROR_VARIABLE err ${redirect})
  string(JOIN " " shown ${RUN_UNPARSED_ARGUMENTS})
  if(NOT status STREQUAL expected)
    check_failed("qirvale ${shown}: exit status ${status}, expected ${expected}\n${err}")
  elseif(expected EQUAL 0 AND NOT err STREQUAL "")
    check_failed("qirvale ${shown}: succeeded but wrote to standard error:\n${err}")
  elseif(NOT expected EQUAL 0 AND NOT err MATCHES "^qirvale: [^\n]+\n$")
    # The hash and mac commands may report several files, one line each.
    if(NOT err MATCHES "^(qirvale: [^\n]+\n)+$" OR NOT shown MATCHES "^(hash|mac) ")
      check_failed("qirvale ${shown}: standard error is not one \"qirvale: \" line:\n${err}")
    endif()
  endif()
  if(DEFINED RUN_OUT)
    set(${RUN_OUT} "${out}" PARENT_SCOPE)
  endif()
  if(DEFINED RUN_ERR)
    set(${RUN_ERR} "${err}" PARENT_SCOPE)
  endif()
endfunction()

# oracle(<arguments>... [OUT var]): runs the test helper, which must succeed.
function(oracle)
  cmake_parse_arguments(PARSE_ARGV 0 RUN "" "OUT" "")
  execute_process(COMMAND ${ORACLE} ${RUN_UNPARSED_ARGUMENTS} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "oracle ${RUN_UNPARSED_ARGUMENTS}: ${status}\n${err}")
  endif()
  if(DEFINED RUN_OUT)
    string(STRIP "${out}" out)
    set(${RUN_OUT} "${out}" PARENT_SCOPE)
  endif()
endfunction()

function(expect_equal actual expected what)
  if(NOT "${actual}" STREQUAL "${expected}")
    check_failed("${what}:\n  got      \"${actual}\"\n  expected \"${expected}\"")
  endif()
endfunction()

function(expect_match text regex what)
  if(NOT "${text}" MATCHES "${regex}")
    check_failed("${what}: \"${text}\" does not match \"${regex}\"")
  endif()
endfunction()

# The content of a scratch file as hex, and its size.
function(file_hex name variable)
  file(READ ${WORK}/${name} content HEX)
  set(${variable} "${content}" PARENT_SCOPE)
endfunction()

function(expect_same_file a b what)
  file_hex(${a} hexA)
  file_hex(${b} hexB)
  if(NOT hexA STREQUAL hexB)
    check_failed("${what}: ${a} and ${b} differ")
  endif()
endfunction()

function(expect_file_size name size what)
  file(SIZE ${WORK}/${name} actual)
  expect_equal("${actual}" "${size}" "${what}: size of ${name}")
endfunction()

# Reads one JSON object per line of a reference vector file into the list `variable`.
function(read_vectors file variable)
  file(STRINGS ${VECTORS}/${file} lines)
  set(${variable} "${lines}" PARENT_SCOPE)
endfunction()
