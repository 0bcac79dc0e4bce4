# selftest: five lines, each "ok", exit status 0.
include(${CMAKE_CURRENT_LIST_DIR}/common.cmake)

tool(0 selftest OUT out)
string(REGEX MATCHALL "[^\n]+ ok\n" passed "${out}")
list(LENGTH passed count)
expect_equal("${count}" 5 "self-tests reported ok")
foreach(name "GOST 28147-89" "GOST 34.311-95" "GOST 34.310-95" "DSTU 4145-2002 polynomial"
             "DSTU 4145-2002 normal")
  expect_match("${out}" "${name}[^\n]* ok\n" "self-test ${name}")
endforeach()
