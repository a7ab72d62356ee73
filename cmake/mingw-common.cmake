# What both MinGW-w64 toolchains share. RUVO_MINGW_TRIPLE names the target.
# The POSIX thread model: GoogleTest needs std::mutex, which the win32 model of
# this GCC lacks. Its thread library is linked in statically like the rest.
set(CMAKE_C_COMPILER ${RUVO_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RUVO_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${RUVO_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${RUVO_MINGW_TRIPLE}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${RUVO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Every program and the DLL carry their own C and C++ runtime support (libgcc,
# libstdc++, winpthread), so that nothing but system DLLs is imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)

# Test programs run under Wine, each in a fresh prefix (tests/windows/wine_run.sh).
set(RUVO_WINE ${RUVO_WINE} CACHE STRING "the Wine loader that runs this target's programs")
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/../tests/windows/wine_run.sh --wine ${RUVO_WINE})
