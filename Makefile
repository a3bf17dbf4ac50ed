# piko: the two everyday commands are `make run` and `make test`.
BUILD ?= build
CHECK_BUILD ?= build-check
BENCH_BUILD ?= build-bench
TSAN_BUILD ?= build-tsan
JOBS ?= $(shell nproc)
# No test takes a minute; one that hangs fails by name instead of using up
# the whole run.
TEST_TIMEOUT ?= 300

FUZZ_SECONDS ?= 600
FUZZ_CORPUS ?= $(HOME)/.cache/piko-fuzz
FUZZ_PARALLEL ?= 1

.PHONY: all deps build run test check check-build fuzz fuzz-seeds tsan bench clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

# Plays the demo game in a window; without a display, plays it headless.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  ./$(BUILD)/piko $(BUILD)/demo; \
	else \
	  echo "No display here: playing the demo headless to its end."; \
	  sh scripts/play-demo-headless.sh $(BUILD); \
	fi

test: build
	cd $(BUILD) && ctest --output-on-failure --timeout $(TEST_TIMEOUT) -j $(JOBS)

# The same tests in a clang build with AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short run of every fuzz target.
check: check-build
	cd $(CHECK_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure --timeout $(TEST_TIMEOUT) -j $(JOBS)

check-build: deps
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(CHECK_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPIKO_SANITIZE=ON -DPIKO_FUZZ=ON
	cmake --build $(CHECK_BUILD) -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS each (ten minutes by default), FUZZ_PARALLEL
# at a time, at the lowest priority. The grown corpora and any crashes stay
# in FUZZ_CORPUS, outside the tree.
fuzz: check-build
	scripts/fuzz.sh $(CHECK_BUILD) $(FUZZ_SECONDS) $(FUZZ_CORPUS) $(FUZZ_PARALLEL)

# Rewrites the committed seed corpora and the dictionaries (fuzz/corpus, fuzz/dict).
fuzz-seeds: build
	cmake --build $(BUILD) -j $(JOBS) --target piko_fuzz_seeds
	./$(BUILD)/piko_fuzz_seeds . $(BUILD)

# The tests of the threads (the MP3 stream thread, the wave-out device and
# the mixer) under ThreadSanitizer; only what they need is built.
tsan: deps
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIKO_TSAN=ON
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target piko_thread_tests
	TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ./$(TSAN_BUILD)/piko_thread_tests

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target piko_bench
	./$(BENCH_BUILD)/piko_bench

clean:
	rm -rf $(BUILD) $(CHECK_BUILD) $(BENCH_BUILD) $(TSAN_BUILD)
