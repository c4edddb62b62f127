# Cross-build for 64-bit Windows with Debian's mingw-w64 (POSIX threads flavour).
# Everything is linked statically, so the programs need no DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUORREL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUORREL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUORREL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUORREL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUORREL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Unicode entry points and the W API throughout.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

# Tests run the cross-built executables under wine.
find_program(QUORREL_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QUORREL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORREL_WINE})
endif()

# GCC 12 at -O3 reports false -Wrestrict and -Wnull-dereference hits inside libstdc++, which our
# -Werror turns into failures; -O2 is what the Linux build uses too.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags for Release builds")
# Shipped programs carry no symbol tables.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE "-s" CACHE STRING "Linker flags for Release builds")
