# The two set-up commands: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: run test deps build bench sanitize tsan format clean screenshots

deps:
	@sh scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	cmake --build $(BUILD) -j $(JOBS) -- --no-print-directory

run: build
	@sh scripts/run-sample.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

sanitize:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DLUMENDA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"

# The concurrency tests (work on a worker thread, progress read on another,
# a stop in the middle) under ThreadSanitizer; only their programs are built.
TSAN_TESTS ?= test_session test_period
tsan: deps
	cmake -S . -B build-tsan -DLUMENDA_TSAN=ON >/dev/null
	cmake --build build-tsan -j $(JOBS) --target $(TSAN_TESTS) -- --no-print-directory
	cd build-tsan && ctest --output-on-failure -j $(JOBS) -R 'Concurrency|GridSearch\.Parallel'

# The speed goals beside the peers' figures, printed as one table
# (bench/bench_peers.cpp, a few minutes).
bench:
	LUMENDA_BENCH_DEPS=1 sh scripts/install-deps.sh
	cmake -S . -B build-bench -DLUMENDA_BENCH=ON -DLUMENDA_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build-bench -j $(JOBS) --target bench_peers -- --no-print-directory
	build-bench/bench/bench_peers

# Every window as a PNG in $(BUILD)/screenshots/, drawn on a virtual X display.
screenshots: build
	rm -rf $(BUILD)/screenshots
	QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1600x1000x24" \
		$(BUILD)/tests/ui/lumenda-screenshots $(BUILD)/screenshots

format:
	find src tests bench tools -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) build-asan build-tsan build-bench
