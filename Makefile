# make demo   set up what is missing, build, run the demo
# make test   set up, build both trees, run every test (native and under Wine)
# make bench  benchmarks, natively and under Wine
# make fuzz   fuzz the JSON core for a bounded time (needs clang)
# make mutate apply each deliberate fault of tests/mutants/ and report those no test notices

SHELL := /bin/bash
ROOT  := $(CURDIR)
JOBS  ?= $(shell nproc)
NATIVE := build/native
WIN64  := build/win64
FUZZ_SECONDS ?= 60

WINE_TEMPLATE := $(ROOT)/build/wine-template
WINE_TEST     := $(ROOT)/build/wine-test
export WINEPREFIX := $(WINE_TEST)
OCX_WIN := Z:$(ROOT)/build/win64/Corvane_x64.ocx
export WINEDEBUG  ?= -all
export WINEDLLOVERRIDES ?= mscoree,mshtml=

.PHONY: all setup build native win64 test test-native test-win64 fresh-prefix demo bench fuzz mutate clean

all: build

setup:
	@bash scripts/setup.sh

$(NATIVE)/CMakeCache.txt:
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

$(WIN64)/CMakeCache.txt:
	cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null

native: setup $(NATIVE)/CMakeCache.txt
	cmake --build $(NATIVE) -j $(JOBS)

win64: setup $(WIN64)/CMakeCache.txt
	cmake --build $(WIN64) -j $(JOBS)

build: native win64

test-native: native
	cd $(NATIVE) && ctest --output-on-failure --timeout 300

# A fresh copy of the pristine prefix for every run.
fresh-prefix:
	-WINEPREFIX=$(WINE_TEST) wineserver -k 2>/dev/null
	rm -rf $(WINE_TEST) && cp -a $(WINE_TEMPLATE) $(WINE_TEST)

# A first process starts the server and the prefix's services; tests that
# follow at once find them running. (Never start the server by hand with -p:
# the first process in a copied prefix then waits out the whole delay.)
test-win64: win64 fresh-prefix
	wine cmd /c exit
	cd $(WIN64) && ctest --output-on-failure --timeout 300

test: test-native test-win64
	@echo "make test: all tests passed"

# The native JSON core demo, then the VBScript walk-throughs a macro writer can
# copy, run by Wine's cscript against the registered DLL: the JSON engine, and
# a browser without a form (the pool, with the Chromium runtime as its browser).
demo: native win64 fresh-prefix
	$(NATIVE)/demo/json_demo
	@echo; echo "== examples/orders_demo.vbs (the engine through COM, as a macro calls it)"
	wine cmd /c exit
	wine regsvr32 /s '$(OCX_WIN)'
	wine cscript //nologo 'Z:$(ROOT)/examples/orders_demo.vbs'
	@echo; echo "== examples/browser_demo.vbs (a browser without a form: the pool and the Chromium runtime)"
	wine cscript //nologo 'Z:$(ROOT)/examples/browser_demo.vbs'
	wine regsvr32 /s /u '$(OCX_WIN)'

bench: native win64
	@echo "== native"; $(NATIVE)/bench/json_bench $(ROOT)/../shared/bench-data
	@echo "== win64 (Wine)"; test -d $(WINE_TEST) || $(MAKE) fresh-prefix; wine cmd /c exit; \
	  wine $(WIN64)/bench/json_bench.exe $(ROOT)/../shared/bench-data; \
	  cd $(WIN64) && wine ./com_bench.exe $(ROOT)/../shared/bench-data; \
	  wine ./chromium_bench.exe; wine ./pool_bench.exe; \
	  wine regsvr32 /s '$(OCX_WIN)' && wine cscript //nologo 'Z:$(ROOT)/bench/getvalueh_vs_dictionary.vbs'; \
	  wine regsvr32 /s /u '$(OCX_WIN)'

fuzz:
	@command -v clang++ >/dev/null || { echo "make fuzz needs clang"; exit 1; }
	cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DCORVANE_FUZZ=ON >/dev/null
	cmake --build build/fuzz -j $(JOBS) --target fuzz_parse_document fuzz_is_valid_json fuzz_path fuzz_edit fuzz_csv_table
	for t in parse_document is_valid_json path edit csv_table; do \
	  mkdir -p build/fuzz/corpus_$$t; \
	  build/fuzz/tests/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -max_len=4096 -artifact_prefix=build/fuzz/ build/fuzz/corpus_$$t tests/fuzz/corpus/$$t || exit 1; \
	done

# MUTATE_FILTER=src/json (or json.txt) limits the run to the faults whose file, note or list contains it.
mutate: build
	python3 scripts/mutate.py --jobs $(JOBS) --filter '$(MUTATE_FILTER)'

clean:
	rm -rf build/native build/win64 build/fuzz build/wine-test
