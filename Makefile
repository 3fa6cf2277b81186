# The two everyday commands. Both install what is missing first (scripts/install-deps.sh).
#   make run   build the monitor and start it in a fresh simulated device (sim/launch.sh)
#   make test  build with AddressSanitizer + UndefinedBehaviorSanitizer and run every test
JOBS ?= $(shell nproc)

.PHONY: all deps build build-asan run test bench clean

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

test: build-asan
	@cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j$(JOBS)

bench: build
	@for b in build/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf build build-asan
