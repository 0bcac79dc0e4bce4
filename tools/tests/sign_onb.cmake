# keygen / sign / verify on normal-basis curves 201 (A = 0) and 203 (A = 1).
include(${CMAKE_CURRENT_LIST_DIR}/signing.cmake)
round_trip(201 onb 173)
round_trip(203 onb 191)
