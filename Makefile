# Thin wrapper over CMake. Every target first makes sure the Debian packages
# the build needs are present. BUILD selects the build folder so that several
# builds (plain, sanitised, a helper's own) can live side by side.
MAKEFLAGS += --no-print-directory
BUILD ?= build
ASAN_BUILD ?= $(BUILD)-asan
JOBS ?= $(shell nproc)
OUT ?= out

.PHONY: deps configure build demo test test-asan bench install clean

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS)

demo: configure
	@cmake --build $(BUILD) -j$(JOBS) --target morvane-demo
	@mkdir -p $(OUT)
	@$(BUILD)/tools/morvane-demo $(OUT)

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	@ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
		ctest --test-dir $(ASAN_BUILD) --output-on-failure -j$(JOBS)

bench: configure
	@cmake --build $(BUILD) -j$(JOBS) --target morvane-benchmarks
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; $$b --benchmark_min_time=0.2 || exit 1; done

install: build
	@cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(OUT)
