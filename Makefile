# Thin wrapper over the CMake presets. Each target first installs whatever
# Debian packages its build needs and are missing.
.PHONY: all test bench deps clean

all: test

deps:
	@tools/install-deps.sh test

test: deps
	cmake --preset default
	cmake --build --preset default -j$$(nproc)
	ctest --preset default

bench: deps
	@tools/install-deps.sh bench
	cmake --preset release
	cmake --build --preset release -j$$(nproc)
	build/release/bench/ruvo_bench

clean:
	rm -rf build out
