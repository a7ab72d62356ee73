# 32-bit Windows (the ABI hosts were written for), cross-built with MinGW-w64.
# Its programs run under 32-bit Wine (Debian's loader, /usr/lib/wine/wine),
# which needs a kernel that runs 32-bit programs: this preset's tests leave out
# the Wine runs, and .ci/run runs them in a guest kernel
# (tests/windows/win32_guest.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(RUVO_MINGW_TRIPLE i686-w64-mingw32)
set(RUVO_WINE /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
