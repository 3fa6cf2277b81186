# The two everyday commands. Both install what is missing first (scripts/install-deps.sh).
#   make run   build the monitor and start it in a fresh simulated device (sim/launch.sh)
#   make test  build with AddressSanitizer + UndefinedBehaviorSanitizer and run every test,
#              then the threaded suites under ThreadSanitizer (test-tsan)
#   make test-all  the same, then the tests built for 32-bit x86 (test-i386) and every fuzz target (fuzz)
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 15

.PHONY: all deps build build-asan build-tsan build-fuzz run test test-asan test-tsan test-all test-i386 fuzz bench clean

all: build

deps:
	@./scripts/install-deps.sh

build: deps
	@cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build build -j$(JOBS)

build-asan: deps
	@cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DGPRMON_SANITIZE=ON -DGPRMON_BENCH=OFF >/dev/null
	@cmake --build build-asan -j$(JOBS)

run: build
	@./sim/launch.sh build

test: test-asan test-tsan

test-asan: build-asan
	@cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j$(JOBS)

# ThreadSanitizer over the suites whose code runs on several threads: the CU link, the command
# layer, the application timer and the acquisition engine (with cusim and the program they
# start). Suppressions (third-party internals only) live in tests/tsan.supp.
TSAN_LABELS = link|cu|app|acquisition
TSAN_TARGETS = test_link test_cu test_app test_acquisition cusim gprmon gprmon-navuart gprmon-picdrv gprmon-usbgps

build-tsan: deps
	@cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=Debug -DGPRMON_TSAN=ON -DGPRMON_BENCH=OFF >/dev/null
	@cmake --build build-tsan -j$(JOBS) --target $(TSAN_TARGETS)

# The sanitizer's runtime needs a fixed address layout on kernels with many random mmap bits:
# setarch -R runs ctest and every test it starts without address randomisation.
test-tsan: build-tsan
	@cd build-tsan && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan.supp" \
		setarch $$(uname -m) -R ctest --output-on-failure -j$(JOBS) -L '^($(TSAN_LABELS))$$'

test-all: test
	@$(MAKE) --no-print-directory test-i386 fuzz

# The device's 32-bit x86: a Release build and ctest inside a cached Debian i386 root.
test-i386: deps
	@JOBS=$(JOBS) ./scripts/i386/run-tests.sh

# libFuzzer targets (clang) of every parser, each run for FUZZ_SECONDS on its corpus.
build-fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DGPRMON_SANITIZE=ON \
		-DGPRMON_FUZZ=ON -DGPRMON_TESTS=OFF -DGPRMON_BENCH=OFF >/dev/null
	@cmake --build build-fuzz -j$(JOBS) --target fuzz_all

fuzz: build-fuzz
	@./fuzz/run.sh build-fuzz $(FUZZ_SECONDS)

bench: build
	@for b in build/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf build build-asan build-tsan build-i386 build-fuzz
