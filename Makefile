# Cropstack: the whole set-up is `make run` (play) and `make test` (all tests, headless).
# Both install any missing Debian packages first, then configure and build with CMake.
# `make check` is the quick loop: the guard rails and the ordinary suite, no sanitizers.

BUILD      ?= build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
# CI builds with warnings as errors.
WERROR     ?= $(if $(CI),ON,OFF)
# Where `make install` puts the game.
PREFIX     ?= /usr/local
# The second test run, built with AddressSanitizer and UndefinedBehaviorSanitizer.
ASAN_BUILD ?= build-asan
# The fuzz programs (clang and libFuzzer) and how long `make fuzz` runs each.
FUZZ_PACKAGES := clang libclang-rt-dev
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := level ini linefile number text_mesh packed_mesh scene_list bmp png wave

# Everything the build, the game and the tests need from Debian.
PACKAGES := cmake g++ make pkg-config \
            libgtest-dev libgmock-dev libbenchmark-dev \
            libsdl2-dev libsdl2-mixer-dev libpng-dev zlib1g-dev \
            libgl-dev libegl1 libgl1-mesa-dri \
            libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev \
            xvfb xdotool imagemagick \
            clang-format dpkg-dev

.PHONY: run test check lint format-check include-check build deps fuzz-deps configure clean asan-test \
        fuzz install screenshots package

# The game runs from beside its data (models, pictures, sounds, levlib, cropstack.ini).
run: build
	cd $(BUILD)/bin && ./cropstack

test: build
	cd $(BUILD) && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
	  ctest --output-on-failure -j $(JOBS) --timeout 300
	$(MAKE) asan-test

# The edit-build-test loop: the format and include checks, then the ordinary
# suite in $(BUILD) (no sanitizer build).
check: lint build
	cd $(BUILD) && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
	  ctest --output-on-failure -j $(JOBS) --timeout 300

# The guard rails CI runs before the tests.
lint: format-check include-check

# Every tracked C++ source as .clang-format writes it.
format-check: deps
	git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 clang-format --dry-run -Werror

# No folder includes another folder's private headers (the contract headers
# and the allowed exceptions are listed in the script).
include-check:
	tools/ci/check_includes.sh

# The unit tests once more under the sanitizers; any report fails the run.
asan-test: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCROPSTACK_SANITIZE=ON \
	  -DCROPSTACK_BENCHMARKS=OFF -DCROPSTACK_WERROR=$(WERROR)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
	  ctest --output-on-failure -j $(JOBS) --timeout 600

# Builds the fuzz programs and runs each for FUZZ_SECONDS on its seed files
# (fuzz/corpus/<name>); what a run learns stays in $(FUZZ_BUILD)/corpus.
fuzz: fuzz-deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCROPSTACK_FUZZ=ON -DCROPSTACK_TESTS=OFF -DCROPSTACK_BENCHMARKS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_all
	@set -e; for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t $(FUZZ_BUILD)/tmp/$$t $(FUZZ_BUILD)/findings/$$t; \
	  echo "fuzz_$$t: $(FUZZ_SECONDS) s"; \
	  TMPDIR=$(CURDIR)/$(FUZZ_BUILD)/tmp/$$t SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=offscreen \
	    $(FUZZ_BUILD)/bin/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 \
	    -timeout=10 -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/findings/$$t/ \
	    $(FUZZ_BUILD)/corpus/$$t fuzz/corpus/$$t; \
	done

# The game under $(PREFIX): the program and its data in lib/cropstack, a
# launcher in bin, the desktop entry and the icon in share. DESTDIR is honoured.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, made by CPack from the install rules:
# $(BUILD)/package/cropstack_<version>_<arch>.deb (install it with
# `sudo apt install ./$(BUILD)/package/cropstack_*.deb`).
package: build
	cd $(BUILD) && cpack -G DEB

# The README's pictures: the whole-program runs that take them save them into
# $(BUILD)/screenshots, and they are copied into docs/screenshots (all but the
# check-* pictures, which only the tests compare).
screenshots: build
	rm -rf $(BUILD)/screenshots
	cd $(BUILD)/bin && SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
	  ./test_whole --gtest_filter='WholeProgram.OnePlayer*:WholeProgram.TwoBoards*:WholeProgram.Information*:WholeProgram.Hints*:WholeProgram.WindowAndFullScreen*:WholeProgram.TheMouse*'
	mkdir -p docs/screenshots
	for f in $(BUILD)/screenshots/*.png; do \
	  case $$(basename $$f) in check-*) ;; *) cp $$f docs/screenshots/ ;; esac; \
	done

build: configure
	cmake --build $(BUILD) -j $(JOBS)

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DCROPSTACK_WERROR=$(WERROR)

# The build's packages and the fuzz programs' compiler with its libFuzzer.
fuzz-deps:
	$(MAKE) deps PACKAGES="$(PACKAGES) $(FUZZ_PACKAGES)"

# Installs the missing packages when run as root; otherwise names them and stops.
deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Cropstack needs these Debian packages:$$missing"; \
	    echo "Install them with: sudo apt-get install$$missing"; \
	    exit 1; \
	  fi; \
	fi

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
