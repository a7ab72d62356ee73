# Thin wrapper over the CMake presets. Each target first installs whatever
# Debian packages its build needs and are missing.
.PHONY: all test bench demo web web-test deps install package clean

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

# The reference pages, rendered from the public header by Doxygen.
.PHONY: docs
docs:
	@tools/install-deps.sh docs
	cmake --preset default
	cmake --build --preset default --target ruvo_docs
	@echo "reference: build/default/docs/html/index.html"

# The demo, headless: renders its camera path and writes out/demo.png.
# DEMO_ARGS passes options, e.g. make demo DEMO_ARGS=--window
demo:
	@tools/install-deps.sh demo
	cmake --preset default
	cmake --build --preset default -j$$(nproc) --target ruvo-demo ruvo-pack
	build/default/demo/ruvo-demo $(DEMO_ARGS)

# The header, the shared library, ruvo-pack, the CMake package and
# ruvodraw1024.pc under PREFIX (default ~/.local: no root needed).
PREFIX ?= $(HOME)/.local
install: deps
	cmake --preset default
	cmake --build --preset default -j$$(nproc) --target ruvodraw1024 ruvo-pack
	cmake --install build/default --prefix "$(PREFIX)"

# The Debian package: build/default/ruvodraw1024_VERSION_ARCH.deb.
package: deps
	cmake --preset default
	cmake --build --preset default -j$$(nproc)
	cd build/default && cpack

# The demo as a static page in out/web/ (serve it: python3 -m http.server -d out/web).
# The native build writes the assets the page embeds.
web:
	@tools/install-deps.sh web
	cmake --preset default
	cmake --build --preset default -j$$(nproc) --target demo-art ruvo-demo
	cmake --preset web
	cmake --build --preset web -j$$(nproc) --target ruvo-demo web_display_test
	mkdir -p out/web
	cp build/web/demo/web/index.html build/web/demo/web/ruvo-demo.js build/web/demo/web/ruvo-demo.wasm out/web/

# In headless Chromium: the web display's own test page, the unit tests
# compiled to WebAssembly, then the demo page, which must show the native
# demo's frame pixel for pixel.
web-test: web
	cmake --build --preset web -j$$(nproc) --target ruvo_tests
	python3 tests/web/browser_page.py build/web/tests/web display_test.html --expect-prefix pass
	python3 tests/web/browser_page.py build/web/tests unit_tests.html --expect-prefix "exit 0" --timeout 600
	tests/web/check_web_demo.sh out/web build/default/demo/ruvo-demo

clean:
	rm -rf build out
