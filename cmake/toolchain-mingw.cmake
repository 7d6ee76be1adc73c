# Cross-builds for Windows with MinGW-w64 on Debian, shared by toolchain-mingw-x64.cmake and
# toolchain-mingw-x86.cmake, which set HOSTSEAL_MINGW_TRIPLET, HOSTSEAL_MINGW_PROCESSOR and
# HOSTSEAL_WINE_BITS first. The posix-thread compilers, so std::thread works, and static
# runtime libraries, so the programs need no DLL beyond Windows' own. The programs run under
# Wine through wine_emulator.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${HOSTSEAL_MINGW_PROCESSOR})

set(CMAKE_C_COMPILER ${HOSTSEAL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${HOSTSEAL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${HOSTSEAL_MINGW_TRIPLET}-windres)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Windows 7 SP1 and later: the headers declare nothing newer, so a call that later systems
# added cannot be linked by accident; the programs look such calls up at run time
# (tests/package/windows_imports_test.sh checks what they import).
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")
set(CMAKE_RC_FLAGS_INIT "-D_WIN32_WINNT=0x0601 -DWINVER=0x0601")

# Libraries and headers only from the MinGW sysroot; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${HOSTSEAL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The Wine prefix lives in the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/wine_emulator.sh ${HOSTSEAL_WINE_BITS} ${CMAKE_BINARY_DIR}/wineprefix)
