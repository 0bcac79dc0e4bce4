# 32-bit x86 Linux build with the host compiler (Debian gcc-multilib / g++-multilib).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -m32)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(FIND_LIBRARY_USE_LIB64_PATHS OFF)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /lib/x86_64-linux-gnu)

# Kernels built without 32-bit support cannot start the tests; run them under qemu-i386
# (Debian qemu-user) there. The 32-bit dynamic loader tells which case this is.
execute_process(COMMAND /lib/ld-linux.so.2 --version RESULT_VARIABLE QIRVALE_I386_NATIVE
                OUTPUT_QUIET ERROR_QUIET)
if(NOT QIRVALE_I386_NATIVE EQUAL 0)
  find_program(QIRVALE_QEMU_I386 qemu-i386)
  if(QIRVALE_QEMU_I386)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QIRVALE_QEMU_I386})
  endif()
endif()
