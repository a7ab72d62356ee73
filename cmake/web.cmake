# WebAssembly (wasm32) through Debian's Emscripten. Pointers are 32 bits, so
# the record keeps the reference layout. The processor is named wasm32 rather
# than Emscripten's default "x86", so that no x86 kernel is picked for it.
set(EMSCRIPTEN_SYSTEM_PROCESSOR wasm32)
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
