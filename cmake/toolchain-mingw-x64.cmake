# Cross-builds for 64-bit Windows with MinGW-w64 (g++-mingw-w64-x86-64-posix); the programs run
# under the 64-bit Wine loader. See toolchain-mingw.cmake.
set(HOSTSEAL_MINGW_TRIPLET x86_64-w64-mingw32)
set(HOSTSEAL_MINGW_PROCESSOR x86_64)
set(HOSTSEAL_WINE_BITS 64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
