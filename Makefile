# Everything goes through here: each target installs what is missing, configures and
# builds before it does its own work.
.PHONY: all deps build run test bench fuzz package web serve clean

all: build

deps:
	@tools/install-deps

build: deps
	@cmake --preset debug-tests >/dev/null
	@cmake --build --preset debug-tests

run: build
	@tools/run-window build/debug-tests

test: deps
	@tools/run-tests

bench: deps
	@cmake --preset optimised-release >/dev/null
	@cmake --build --preset optimised-release --target benchmarks
	@tools/run-bench build/optimised-release

# Each fuzz target searches for FUZZ_SECONDS (default 60) in the sanitizer build.
fuzz: deps
	@cmake --preset sanitizer-tests >/dev/null
	@cmake --build --preset sanitizer-tests
	@tools/run-fuzz

# The .deb from the optimised gcc build (never a sanitizer build), left in build/optimised-release.
package: deps
	@cmake --preset optimised-release >/dev/null
	@cmake --build --preset optimised-release
	@cd build/optimised-release && cpack -G DEB
	@ls -l build/optimised-release/*.deb

# The web edition, compiled with emscripten and assembled in build/web/.
web: deps
	@cmake --preset webassembly >/dev/null
	@cmake --build --preset webassembly

# The site on this machine only: http://127.0.0.1:8000/
serve: web
	@echo "Serving build/web/ at http://127.0.0.1:$${PORT:-8000}/"
	@cd build/web && /usr/bin/python3 -m http.server --bind 127.0.0.1 $${PORT:-8000}

clean:
	rm -rf build
