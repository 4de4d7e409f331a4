# Entry points: `make run` builds and runs the demo, `make test` builds and
# runs every test, `make asan` does the same under AddressSanitizer and UBSan,
# `make package` builds the Debian package.
BUILD_DIR   ?= build
ASAN_DIR    ?= build-asan
FUZZ_DIR    ?= build-fuzz
BENCH_DIR   ?= build-bench
FUZZ_SECONDS ?= 60
BUILD_TYPE  ?= RelWithDebInfo
JOBS        ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX      ?= /usr/local
# ccache and ninja are looked for by the shell of each recipe, that is after
# `deps` has installed them, not when make reads this file: deciding before
# the set-up would configure the first build without them and the next
# command would switch launcher and generator and rebuild everything.
LAUNCHER    = $$(command -v ccache >/dev/null 2>&1 && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
GENERATOR   = $$(command -v ninja >/dev/null 2>&1 && echo -G Ninja)

.PHONY: all deps build test asan fuzz bench compare compare-maps run install package clean

all: build

deps:
	@sh scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(LAUNCHER) >/dev/null
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

asan: deps
	@cmake -S . -B $(ASAN_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DZARV_SANITIZE=ON -DZARV_BUILD_BENCH=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(ASAN_DIR) -j $(JOBS)
	@cd $(ASAN_DIR) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS)

fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DZARV_FUZZ=ON -DZARV_SANITIZE=ON -DZARV_BUILD_TESTS=OFF -DZARV_BUILD_BENCH=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS)
	@sh scripts/run-fuzz $(FUZZ_DIR) $(FUZZ_SECONDS)

bench: deps
	@cmake -S . -B $(BENCH_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DZARV_BUILD_TESTS=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS) --target zarv_bench
	@$(BENCH_DIR)/bin/zarv_bench --benchmark_min_time=0.2

compare: deps
	@cmake -S . -B $(BENCH_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DZARV_BUILD_TESTS=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS) --target compare
	@$(BENCH_DIR)/bin/compare

# The GMPID hash table against Boost's flat hash map on the same keys.
compare-maps: deps
	@cmake -S . -B $(BENCH_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DZARV_BUILD_TESTS=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(BENCH_DIR) -j $(JOBS) --target id_map_compare
	@$(BENCH_DIR)/bin/id_map_compare

run: build
	@$(BUILD_DIR)/bin/zarvqen demo

# Installs the libraries, headers, CMake package, .pc file, tool, manual
# page and Python module under PREFIX.
install: build
	@cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# The Debian package, in $(BUILD_DIR)/.
package: build
	@cmake --build $(BUILD_DIR) --target package

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR) $(BENCH_DIR)
