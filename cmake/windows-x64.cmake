# 64-bit Windows, cross-built with MinGW-w64; its programs run under Wine
# (Debian's wine64 has no /usr/bin entry).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(RUVO_MINGW_TRIPLE x86_64-w64-mingw32)
set(RUVO_WINE /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
