# The main job of the tool, run by the qirvale_demo target: the library's self-tests, then a
# DSTU 4145 key, a signature of a sample file and its verification; a changed copy of the
# file must then be rejected. Any failure fails the build.
# Usage: cmake -DQIRVALE=<path of the tool> -DWORK=<scratch directory> -P demo.cmake
cmake_minimum_required(VERSION 3.21)

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# Runs the tool with the given arguments, shows the command and its output, and stops the
# script unless the exit status is the expected one.
function(qirvale expected)
  string(JOIN " " shown ${ARGN})
  message("$ qirvale ${shown}")
  execute_process(COMMAND ${QIRVALE} ${ARGN} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status)
  if(NOT status STREQUAL expected)
    message(FATAL_ERROR "qirvale ${shown}: exit status ${status}, expected ${expected}")
  endif()
endfunction()

file(WRITE ${WORK}/sample.txt
  "A sample document, signed with DSTU 4145-2002 over its GOST 34.311-95 hash.\n")

qirvale(0 selftest)
qirvale(0 keygen --curve 101 --key demo.key --pub demo.pub)
qirvale(0 sign --key demo.key --out sample.sig sample.txt)
qirvale(0 verify --pub demo.pub --sig sample.sig sample.txt)

file(WRITE ${WORK}/changed.txt
  "A sample document, signed with DSTU 4145-2002 over its GOST 34.311-95 hash!\n")
qirvale(1 verify --pub demo.pub --sig sample.sig changed.txt)
message("The signature verifies, and a changed copy of the document is rejected.")
