# make run   : builds and starts Quillora under Wine (in its own Xvfb when there is no display)
# make test  : builds everything and runs every test
# make bench : runs the benchmarks
# make soak  : drives the shipped program with random input for ten minutes
# make fuzz  : runs every fuzz target for FUZZ_SECONDS each (default 600), one after the other
# make format: applies .clang-format to every C++ file (make test checks that none differs)
BUILD   := build/win
NATIVE  := build/native
FUZZ    := build/fuzz
FUZZ_SECONDS ?= 600
CMAKE_W := cmake -S . -B $(BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-toolchain.cmake
CMAKE_N := cmake -S . -B $(NATIVE) -G Ninja -DCMAKE_BUILD_TYPE=Debug
CMAKE_F := cmake -S fuzz -B $(FUZZ) -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++

.PHONY: setup build native fuzz-build build-win build-native build-fuzz fuzz run test bench soak screenshot format clean

setup:
	@bash scripts/setup.sh

build: setup
	@$(MAKE) --no-print-directory build-win

native: setup
	@$(MAKE) --no-print-directory build-native

fuzz-build: setup
	@$(MAKE) --no-print-directory build-fuzz

# The builds alone, for a caller that has run the setup already.
build-win:
	@[ -f $(BUILD)/build.ninja ] || $(CMAKE_W) >/dev/null
	@cmake --build $(BUILD) -j2

build-native:
	@[ -f $(NATIVE)/build.ninja ] || $(CMAKE_N) >/dev/null
	@cmake --build $(NATIVE) -j2

build-fuzz:
	@[ -f $(FUZZ)/build.ninja ] || $(CMAKE_F) >/dev/null
	@cmake --build $(FUZZ) -j2

fuzz: fuzz-build
	@bash fuzz/run.sh $(FUZZ) $(FUZZ_SECONDS) fuzz

run: build
	@bash scripts/run.sh $(BUILD)/Quillora.exe

# Each phase says how long it took; the soak runs last, on its own.
test:
	@bash scripts/phase.sh install bash scripts/setup.sh
	@bash scripts/phase.sh format bash scripts/format.sh --check
	@bash scripts/phase.sh build $(MAKE) --no-print-directory build-win build-native build-fuzz
	@bash scripts/phase.sh "native tests" bash -c 'cd $(NATIVE) && ctest --output-on-failure -j2'
	@echo "fuzz smoke: 5 s a target on its seeds"
	@bash scripts/phase.sh "fuzz smoke" bash fuzz/run.sh $(FUZZ) 5 smoke
	@QUILLORA_PRINTER=1 QUILLORA_FULL_DISK=1 bash scripts/phase.sh "Wine suite" \
	  bash scripts/with-display.sh bash -c 'cd $(BUILD) && ctest --output-on-failure -j2 -E "^Soak$$"'
	@QUILLORA_PRINTER=1 QUILLORA_FULL_DISK=1 bash scripts/phase.sh soak bash scripts/with-display.sh bash -c 'cd $(BUILD) && ctest --output-on-failure -R "^Soak$$"'

# The shipped program under seeded random input: SOAK_SECONDS (default 600), SOAK_SEED (default 1).
soak: build
	@bash scripts/with-display.sh bash scripts/wine-test.sh $(BUILD)/quillora_soak.exe \
	  --seconds $${SOAK_SECONDS:-600} --seed $${SOAK_SEED:-1}

# The README's pictures of the editor (at 96, 144 and 192 dpi), remade after a change of the layout;
# the window manager keeps the program's windows at their own size, as a desktop does.
screenshot: build
	@QUILLORA_SCREEN=1280x1024x24 QUILLORA_WM_DIALOGS="　Quillora" bash scripts/with-display.sh bash -c 'set -e; \
	  bash scripts/screenshot.sh $(BUILD) docs/editor.png; \
	  bash scripts/screenshot.sh $(BUILD) docs/editor-144dpi.png 144; \
	  bash scripts/screenshot.sh $(BUILD) docs/editor-192dpi.png 192'

bench: build
	@bash scripts/bench.sh $(BUILD)

format:
	@bash scripts/format.sh

clean:
	rm -rf $(BUILD) $(NATIVE) $(FUZZ)
