# piko: the two everyday commands are `make run` and `make test`.
BUILD ?= build
CHECK_BUILD ?= build-check
BENCH_BUILD ?= build-bench
JOBS ?= $(shell nproc)

.PHONY: all deps build run test check bench clean

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
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The same tests in a clang build with AddressSanitizer and
# UndefinedBehaviorSanitizer, and a short run of every fuzz target.
check: deps
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(CHECK_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPIKO_SANITIZE=ON -DPIKO_FUZZ=ON
	cmake --build $(CHECK_BUILD) -j $(JOBS)
	cd $(CHECK_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_BUILD) -j $(JOBS) --target piko_bench
	./$(BENCH_BUILD)/piko_bench

clean:
	rm -rf $(BUILD) $(CHECK_BUILD) $(BENCH_BUILD)
