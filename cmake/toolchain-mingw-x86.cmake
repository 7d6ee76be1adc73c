# Cross-builds for 32-bit Windows with MinGW-w64 (g++-mingw-w64-i686-posix); the programs run
# under the 32-bit Wine loader. See toolchain-mingw.cmake.
set(HOSTSEAL_MINGW_TRIPLET i686-w64-mingw32)
set(HOSTSEAL_MINGW_PROCESSOR i686)
set(HOSTSEAL_WINE_BITS 32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
