# Output files: a failed command leaves its destination exactly as it was (a regular file, a
# symbolic link and its target), a device or FIFO is written in place and never removed, a
# private key is readable by its owner only from its creation on; and the refusals around
# private keys (a key shown on a terminal, a key file others can read).

# Run inside the FIFO pipeline below, before common.cmake empties the scratch directory:
# waits for keygen's temporary key file (made before keygen blocks opening the FIFO, and
# written only after), records its mode and size, then reads the FIFO, letting keygen go on,
# and passes keygen's standard output on to its end.
if(DEFINED INSPECT)
  foreach(attempt RANGE 600)
    file(GLOB temporary ${WORK}/.fifo.key.*)
    if(temporary)
      break()
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 0.05)
  endforeach()
  execute_process(COMMAND stat -c "%a %s" ${temporary} OUTPUT_FILE ${WORK}/temporary.txt)
  execute_process(COMMAND cat ${WORK}/fifo)
  execute_process(COMMAND cat)
  return()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

oracle(write good.key 32 1)
oracle(write other.key 32 2)
oracle(write plain.bin 100 3)
oracle(write twelve.bin 12 4)
tool(0 encrypt --key good.key --mode ecb --out plain.enc plain.bin)
file(MAKE_DIRECTORY ${WORK}/directory)
set(ecb --key good.key --mode ecb)

# Each failing command, over an existing file and over a symbolic link to one: the file
# keeps its content, the link stays a link, and no temporary file is left behind.
set(failures
  "4|decrypt --key good.key --mode ecb twelve.bin"
  "4|decrypt --key other.key --mode ecb plain.enc"
  "2|encrypt --key good.key --mode ecb kept.out")
foreach(row ${failures})
  string(REPLACE "|" ";" row "${row}")
  list(GET row 0 status)
  list(GET row 1 command)
  separate_arguments(command)
  foreach(out kept.out link.out)
    file(WRITE ${WORK}/kept.out "old content\n")
    file(CREATE_LINK kept.out ${WORK}/link.out SYMBOLIC)
    tool(${status} ${command} --out ${out})
    file(READ ${WORK}/kept.out content)
    expect_equal("${content}" "old content\n" "kept.out after ${command} --out ${out}")
    if(NOT IS_SYMLINK ${WORK}/link.out)
      check_failed("${command} --out ${out} replaced the link")
    endif()
    file(GLOB left ${WORK}/.kept.out.* ${WORK}/.link.out.*)
    expect_equal("${left}" "" "temporary files left by ${command} --out ${out}")
    file(REMOVE ${WORK}/link.out)
  endforeach()
endforeach()

# Success through a link replaces the file it points to; the link stays. A replaced file
# keeps its permission bits.
file(CREATE_LINK kept.out ${WORK}/link.out SYMBOLIC)
file(CHMOD ${WORK}/kept.out PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ)
tool(0 decrypt ${ecb} --out link.out plain.enc)
expect_same_file(kept.out plain.bin "decryption through a link")
if(NOT IS_SYMLINK ${WORK}/link.out)
  check_failed("a decryption through a link replaced the link")
endif()

# A directory is no output file, and the message says so.
tool(3 encrypt ${ecb} --out directory plain.bin ERR err)
expect_match("${err}" "^qirvale: directory: is a directory" "a directory as output")

if(NOT UNIX)
  return()
endif()
execute_process(COMMAND stat -c %a ${WORK}/kept.out OUTPUT_VARIABLE mode)
expect_equal("${mode}" "640\n" "mode of a replaced file")

# A device: written in place, never removed (the command fails, and makes no public key).
if(EXISTS /dev/full)
  tool(3 keygen --curve 101 --key /dev/full --pub full.pub --force ERR err)
  expect_match("${err}" "^qirvale: /dev/full: cannot write: " "a key to /dev/full")
  execute_process(COMMAND stat -c %F /dev/full OUTPUT_VARIABLE type)
  expect_equal("${type}" "character special file\n" "/dev/full after a failed keygen")
  if(EXISTS ${WORK}/full.pub)
    check_failed("a failed keygen left full.pub behind")
  endif()
endif()

find_program(MKFIFO mkfifo)
if(MKFIFO)
  execute_process(COMMAND ${MKFIFO} ${WORK}/fifo)
  # The public key goes to the FIFO; the private key's temporary file is inspected while
  # keygen waits for a reader, before any byte of the key is written.
  execute_process(
    COMMAND ${QIRVALE} keygen --curve 101 --key fifo.key --pub fifo --force
    COMMAND ${CMAKE_COMMAND} -DWORK=${WORK} -DINSPECT=1 -P ${CMAKE_CURRENT_LIST_FILE}
    WORKING_DIRECTORY ${WORK} RESULTS_VARIABLE statuses OUTPUT_VARIABLE out TIMEOUT 60)
  expect_equal("${statuses}" "0;0" "keygen into a FIFO")
  expect_match("${out}" "^QIRVALE DSTU 4145 PUBLIC KEY\n.*\ncurve 101 " "keygen through a FIFO")
  file(READ ${WORK}/temporary.txt temporary)
  expect_equal("${temporary}" "600 0\n" "mode and size of the new private key file")
  execute_process(COMMAND stat -c %a ${WORK}/fifo.key OUTPUT_VARIABLE mode)
  expect_equal("${mode}" "600\n" "mode of the private key file")
  # A failed decryption into the FIFO leaves it in place.
  execute_process(COMMAND ${QIRVALE} decrypt ${ecb} --out fifo twelve.bin
                  COMMAND cat ${WORK}/fifo
                  WORKING_DIRECTORY ${WORK} RESULTS_VARIABLE statuses OUTPUT_QUIET ERROR_QUIET
                  TIMEOUT 60)
  expect_equal("${statuses}" "4;0" "a failed decryption into a FIFO")
  execute_process(COMMAND stat -c %F ${WORK}/fifo OUTPUT_VARIABLE type)
  expect_equal("${type}" "fifo\n" "the FIFO after a failed decryption")
endif()

# A private key is not shown on a terminal (script gives the tool one).
find_program(SCRIPT script)
if(SCRIPT)
  string(JOIN " " command ${QIRVALE} keygen --curve 101 --key - --pub tty.pub)
  execute_process(COMMAND ${SCRIPT} -qec "${command}"
                  /dev/null WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status OUTPUT_VARIABLE out
                  INPUT_FILE /dev/null)
  expect_equal("${status}" 2 "keygen --key - on a terminal")
  expect_match("${out}" "will not write a private key to a terminal" "keygen --key - message")
endif()

# sign warns about a private key file that others can read, and signs all the same.
tool(0 keygen --curve 101 --key open.key --pub open.pub)
file(CHMOD ${WORK}/open.key PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ)
execute_process(COMMAND ${QIRVALE} sign --key open.key --out open.sig plain.bin
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status ERROR_VARIABLE err)
expect_equal("${status}" 0 "sign with a readable key")
expect_equal("${err}" "qirvale: warning: private key file open.key is accessible by group or others (mode 0640); restrict it with chmod 600\n" "the warning")
tool(0 verify --pub open.pub --sig open.sig plain.bin)
