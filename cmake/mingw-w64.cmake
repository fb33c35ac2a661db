# Cross-compiles the core and bridgit-cli for 64-bit Windows with Debian's
# mingw-w64 (the POSIX thread model, for std::thread). Everything is linked
# statically: the program is one .exe with no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BRIDGIT_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRIDGIT_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRIDGIT_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${BRIDGIT_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${BRIDGIT_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Test programs run under Wine (ctest and gtest_discover_tests use this).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
