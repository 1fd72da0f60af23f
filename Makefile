# Stepvane: make run | make test | make build | make deps | make bench
.PHONY: deps build run test test-default test-asan bench screenshots clean
.PHONY: package

JOBS ?= $(shell nproc)

deps:
	./scripts/install-deps

build: deps
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

run: build
	@if [ -x build/bin/stepvane ]; then ./build/bin/stepvane; else ./build/bin/stepvane-cli --help; fi

test: build test-default test-asan

test-default:
	ctest --preset default -j $(JOBS)

test-asan:
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

bench: build
	@for b in build/bin/bench_*; do echo "== $$b"; $$b; done

# The editor's windows with sample content, as PNG files (no display needed).
screenshots: build
	QT_QPA_PLATFORM=offscreen ./build/bin/stepvane --screenshots build/screenshots

# A Debian package of the programs, their data and the desktop files (build/stepvane_*.deb).
package: build
	cmake --build --preset default --target package

clean:
	rm -rf build build-asan build-fuzz
