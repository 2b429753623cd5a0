# Cross-building the Windows side (x86_64, mingw-w64 with POSIX threads) on a Linux host, with the
# tests run under Wine. The Qt program is not built this way: Debian ships no Qt for Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELLICOR_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELLICOR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELLICOR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VELLICOR_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELLICOR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Executables that import nothing but system DLLs: the GCC runtime, libstdc++ and winpthread go inside,
# and zlib's static library rather than zlib1.dll.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(ZLIB_USE_STATIC_LIBS ON)

# Tests run under Wine, in a prefix of the build folder's own (see wine-emulator.sh).
if(CMAKE_HOST_UNIX AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-emulator.sh ${CMAKE_BINARY_DIR}/wine-prefix)
endif()
