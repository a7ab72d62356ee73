# 32-bit Windows (the ABI hosts were written for), cross-built with MinGW-w64.
# Its programs run under 32-bit Wine (`wine`), where that starts: this
# preset's tests leave out the Wine runs, and .ci/run adds them when
# `wine wineboot` succeeds.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(RUVO_MINGW_TRIPLE i686-w64-mingw32)
set(RUVO_WINE wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
