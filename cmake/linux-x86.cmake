# 32-bit x86 Linux on an x86-64 host. The kernel here cannot run 32-bit
# programs itself, so tests run under user-mode emulation.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
find_program(RUVO_QEMU_I386 qemu-i386-static REQUIRED)
# The emulated CPU has SSE4.2 and no AVX: the emulator's AVX2 gives wrong
# results for some of the sprite kernels' instructions (the same 64-bit test
# binary passes on the real CPU and fails under qemu-x86_64 alike), so the
# AVX2 paths are tested natively by the 64-bit build and skipped here.
set(CMAKE_CROSSCOMPILING_EMULATOR ${RUVO_QEMU_I386} -cpu Nehalem)
