# Stepvane: make run | make test | make build | make deps | make bench | make fuzz | make package | make format
#           make compile-commands | make tidy
# make test prints how long each of its phases took (scripts/run-tests).
.PHONY: deps build build-default build-asan run test test-default test-asan format format-check bench fuzz screenshots clean package compile-commands tidy

JOBS ?= $(shell nproc)

deps:
	./scripts/install-deps

build: deps build-default

build-default:
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

run: build
	@if [ -x build/bin/stepvane ]; then ./build/bin/stepvane; else ./build/bin/stepvane-cli --help; fi

test:
	./scripts/run-tests

test-default: build-default
	ctest --preset default -j $(JOBS)

build-asan:
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)

test-asan: build-asan
	ctest --preset asan -j $(JOBS)

# The tracked C++ files in the house style (.clang-format); make test fails on one that is not.
CXX_SOURCES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)

format: deps
	clang-format -i $(CXX_SOURCES)

format-check: deps
	@clang-format --dry-run --Werror $(CXX_SOURCES) || \
	  { echo "format-check: run 'make format' to format the files named above"; exit 1; }

# One compile_commands.json entry per source file (no unity batches, no
# precompiled header, clang's flags) for clangd and clang-tidy: configured in
# build-cc/, nothing is compiled, linked to the repository root where clangd looks.
compile-commands:
	cmake --preset compile-commands
	ln -sf build-cc/compile_commands.json compile_commands.json

# clang-tidy with .clang-tidy over src/ (or TIDY=src/cli for one folder while
# iterating). Slow on a small machine, so not part of make test.
TIDY ?= src
tidy: compile-commands
	run-clang-tidy -p build-cc -j $(JOBS) -quiet '^$(CURDIR)/$(TIDY)/.*\.cpp$$' \
	  > build-cc/tidy.log 2>&1; status=$$?; \
	  sed -i 's/\x1b\[[0-9;]*m//g' build-cc/tidy.log; \
	  grep -E '(warning|error): ' build-cc/tidy.log | sort -u; \
	  if grep -qE '(warning|error): ' build-cc/tidy.log; then exit 1; fi; exit $$status

bench: build
	@for b in build/bin/bench_*; do echo "== $$b"; $$b; done

# Every fuzz target for FUZZ_SECONDS seconds each, from its seed corpus in
# fuzz/corpus/<target>/; new inputs go to build-fuzz/corpus/<target>, crashes
# to build-fuzz/artifacts/<target>/. Not part of make test.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = $(notdir $(basename $(wildcard fuzz/fuzz_*.cpp)))
# Targets that read XML mutate with the formats' names (fuzz/xml.dict).
FUZZ_XML_TARGETS = fuzz_wizard_file fuzz_skipped_text

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS) --target fuzzers
	@status=0; for t in $(FUZZ_TARGETS); do \
	  mkdir -p build-fuzz/corpus/$$t build-fuzz/artifacts/$$t; \
	  echo "== $$t ($(FUZZ_SECONDS) s)"; \
	  dict=; case " $(FUZZ_XML_TARGETS) " in *" $$t "*) dict=-dict=fuzz/xml.dict;; esac; \
	  ./build-fuzz/bin/$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $$dict \
	    -artifact_prefix=build-fuzz/artifacts/$$t/ build-fuzz/corpus/$$t fuzz/corpus/$$t \
	    > build-fuzz/$$t.log 2>&1 || status=1; \
	  grep -E '^stat::(number_of_executed_units|average_exec_per_sec):' build-fuzz/$$t.log \
	    || tail -n 20 build-fuzz/$$t.log; \
	done; exit $$status

# The editor's windows with sample content, as PNG files (no display needed).
screenshots: build
	QT_QPA_PLATFORM=offscreen ./build/bin/stepvane --screenshots build/screenshots
	./build/bin/stepvane-cli export build/screenshots/walkthrough-sample.wzd --html build/screenshots/export-page
	scripts/page-screenshot build/screenshots/export-page/index.html build/screenshots/export-page.png

# A Debian package of the programs, their data and the desktop files (build/stepvane_*.deb).
package: build
	cmake --build --preset default --target package

clean:
	rm -rf build build-asan build-fuzz build-cc compile_commands.json
