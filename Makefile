# The two everyday commands: `make demo` and `make test`.
BUILD ?= build
SAN_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
# Compilations through ccache where it is installed (CI keeps its cache between runs).
LAUNCHER := $(if $(shell command -v ccache 2>/dev/null),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

.PHONY: all deps build demo test test-sanitize fuzz bench install python clean

PREFIX ?= /usr/local

all: build

deps:
	@scripts/install-deps.sh

# CMake's progress is hidden; its one-line summary of the components that are on, its
# warnings and errors are shown.
build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DKADRE_WERROR=ON $(LAUNCHER) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

demo: build
	@scripts/run-demo.sh $(BUILD)/kadre

# The layer check (includes, links of every layer alone, formatting), then the suite.
test: build
	@scripts/check-layers.sh $(BUILD)
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The same suite under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	@cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DKADRE_SANITIZE=ON -DKADRE_WERROR=ON -DKADRE_BENCH=OFF -DKADRE_MPI=OFF -DKADRE_MAPS=OFF -DKADRE_PREP=OFF $(LAUNCHER) >/dev/null
	@cmake --build $(SAN_BUILD) -j $(JOBS)
	@cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Every fuzz target (the readers and the whole program, built by clang with libFuzzer and
# the sanitizers) for FUZZ_SECONDS each; a finding fails with its reproducer.
fuzz: deps
	@fuzz/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: build
	@bench/run-bench.sh $(BUILD)/kadre

# The Python module kadre for the system Python 3 (offline: no package index is asked).
python: build
	@scripts/install-python.sh $(BUILD)

# The programs into $(PREFIX)/bin.
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
