# Front door: `make run` builds and starts the game, `make test` builds and runs every test.
BUILD ?= build
JOBS ?= 2

.PHONY: run test build build-tests deps test-deps bench art screenshot

run: build
	./$(BUILD)/hollowmere

test: build-tests
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

deps:
	scripts/install-deps run

test-deps:
	scripts/install-deps test

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build $(BUILD) -j $(JOBS)

build-tests: test-deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON
	cmake --build $(BUILD) -j $(JOBS)

# Frame cost, pacing, start-up and memory under Xvfb; rewrites docs/PERFORMANCE.md's figures and plot.
bench:
	scripts/install-deps bench
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build build-bench -j $(JOBS) --target hollowmere hollowmere_bench
	python3 bench/run_bench.py build-bench

# Redraws the six pictures in Images/ from tools/art.cpp; commit them with the change.
art: build
	./$(BUILD)/tools/hollowmere_make_art Images

# Runs the game under Xvfb and rewrites docs/screenshot.png and docs/screenshot-night.png.
screenshot: test-deps build
	scripts/screenshot ./$(BUILD)/hollowmere
