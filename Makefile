# Front door: `make run` builds and starts the game, `make test` builds and runs every test.
BUILD ?= build
JOBS ?= 2

.PHONY: run test build build-tests build-fuzz fuzz deps test-deps bench art screenshot package check-package
.PHONY: build-windows dist-windows test-windows web dist-web serve-web test-web bench-web dist check-reproducible

run: build
	./$(BUILD)/hollowmere

test: build-tests build-fuzz
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	ctest --test-dir $(FUZZ_BUILD) --output-on-failure -j $(JOBS)

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

# The picture fuzz targets, with clang's libFuzzer, ASan and UBSan: one on Debian's SDL_image and libpng,
# one on its stb_image patched as for the web (built once into ~/.cache). `make test` replays the corpus;
# `make fuzz` runs both for FUZZ_SECONDS, prints what they found and merges new inputs into the corpus.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 600

build-fuzz:
	scripts/install-deps fuzz
	prefix=$$(scripts/cross-deps fuzz) && \
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHOLLOWMERE_FUZZ=ON \
	  -DHOLLOWMERE_STB_IMAGE="$$prefix/lib/libSDL2_image.a"
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: build-fuzz
	scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Frame cost, pacing, start-up and memory in a private X server the window's size; rewrites
# docs/PERFORMANCE.md's figures and plot.
bench:
	scripts/install-deps bench
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build build-bench -j $(JOBS) --target hollowmere hollowmere_bench
	xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" python3 -m bench.run_bench build-bench

# Redraws the six pictures in Images/ and the menu icon in desktop/ from tools/art/; commit them with the change.
art: build
	./$(BUILD)/tools/hollowmere_make_art . desktop

# Runs the game under Xvfb and rewrites docs/screenshot.png and docs/screenshot-night.png.
screenshot: test-deps build
	scripts/screenshot ./$(BUILD)/hollowmere

# The .deb, made by CPack in $(BUILD)/; check-package also has lintian judge it and fails on its errors.
package: build
	scripts/install-deps package
	rm -f $(BUILD)/hollowmere_*.deb
	@# CPack gives the .deb's members the modes its own files get.
	cd $(BUILD) && umask 022 && cpack

check-package: package
	lintian --fail-on error $(BUILD)/hollowmere_*.deb

# Windows: cross-built with mingw-w64 against SDL built from Debian's sources
# (cached under ~/.cache), zipped for players, and checked under wine.
WINDOWS_BUILD ?= build-windows
# The unit-test programs are built for the checks under wine; a release needs only the game.
WINDOWS_TESTING ?= ON

build-windows:
	scripts/install-deps windows
	prefixes=$$(scripts/cross-deps windows) && \
	cmake -S . -B $(WINDOWS_BUILD) --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_PREFIX_PATH="$$prefixes" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=$(WINDOWS_TESTING)
	cmake --build $(WINDOWS_BUILD) -j $(JOBS)

dist-windows: build-windows
	cmake --build $(WINDOWS_BUILD) --target dist_windows

test-windows: dist-windows
	xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" tests/windows/wine-checks $(WINDOWS_BUILD)

# The web: WebAssembly built with emscripten against SDL built from Debian's
# sources (cached under ~/.cache); build-web/site/ is the whole site.
WEB_BUILD ?= build-web
# The link step's JavaScript optimizer needs Debian's acorn, which node does not look for there.
export NODE_PATH = /usr/share/nodejs

web:
	scripts/install-deps web
	@# SDL is looked for anew each time, so a build folder made before a change of SDL takes the new one.
	prefixes=$$(scripts/cross-deps web simd) && \
	emcmake cmake -S . -B $(WEB_BUILD) -USDL2_DIR -USDL2_image_DIR -DCMAKE_FIND_ROOT_PATH="$$prefixes" \
	  -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WEB_BUILD) -j $(JOBS)

# build-web/hollowmere-web.zip: the site with index.html at its root and the licence, for game hosts.
dist-web: web
	cmake --build $(WEB_BUILD) --target dist_web

serve-web: web
	@echo "Open http://127.0.0.1:8000/ (Ctrl+C stops the server)"
	python3 -m http.server --bind 127.0.0.1 --directory $(WEB_BUILD)/site 8000

# Debian's python3, which has selenium and websockets, whatever python3 comes first on the PATH;
# in a private X server, as WebKit's MiniBrowser has no headless mode.
WEB_PYTHON = xvfb-run -a -s "-screen 0 1600x1440x24 -nolisten tcp" /usr/bin/python3

# The page in Chromium, Firefox and WebKit with real key events, against the desktop game's first frame;
# then the page around the game in Chromium.
test-web: web build
	$(WEB_PYTHON) -m tests.e2e.play --web $(WEB_BUILD)/site $(BUILD)/hollowmere
	$(WEB_PYTHON) -m tests.e2e.page_checks $(WEB_BUILD)/site

# The page's weight, then its time to first frame and pacing beside a floor page's in each engine;
# rewrites docs/PERFORMANCE.md's figures of the page.
bench-web: web
	$(WEB_PYTHON) -m bench.web_bench $(WEB_BUILD)/site

# A release: every artifact of the project's version built anew from the last commit into dist/, with
# SHA256SUMS; refuses a tree with uncommitted changes. check-reproducible makes it twice and compares.
dist:
	scripts/dist dist

check-reproducible:
	scripts/check-reproducible
