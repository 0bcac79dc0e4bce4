# keygen / sign / verify on polynomial-basis curves: 101 (the standard's worked-example
# curve) and 107 (the one whose n is a byte shorter than its coordinates).
include(${CMAKE_CURRENT_LIST_DIR}/signing.cmake)
round_trip(101 pb 163)
round_trip(107 pb 257)
