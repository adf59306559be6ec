# make run   : builds and starts Quillora under Wine (in its own Xvfb when there is no display)
# make test  : builds everything and runs every test
# make bench : runs the benchmarks
# make soak  : drives the shipped program with random input for ten minutes
BUILD   := build/win
NATIVE  := build/native
CMAKE_W := cmake -S . -B $(BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-toolchain.cmake
CMAKE_N := cmake -S . -B $(NATIVE) -G Ninja -DCMAKE_BUILD_TYPE=Debug

.PHONY: setup build native run test bench soak clean

setup:
	@bash scripts/setup.sh

build: setup
	@[ -f $(BUILD)/build.ninja ] || $(CMAKE_W) >/dev/null
	@cmake --build $(BUILD) -j2

native: setup
	@[ -f $(NATIVE)/build.ninja ] || $(CMAKE_N) >/dev/null
	@cmake --build $(NATIVE) -j2

run: build
	@bash scripts/run.sh $(BUILD)/Quillora.exe

test: build native
	@cd $(NATIVE) && ctest --output-on-failure -j2
	@QUILLORA_PRINTER=1 QUILLORA_FULL_DISK=1 bash scripts/with-display.sh bash -c 'cd $(BUILD) && ctest --output-on-failure -j2'

# The shipped program under seeded random input: SOAK_SECONDS (default 600), SOAK_SEED (default 1).
soak: build
	@bash scripts/with-display.sh bash scripts/wine-test.sh $(BUILD)/quillora_soak.exe \
	  --seconds $${SOAK_SECONDS:-600} --seed $${SOAK_SEED:-1}

bench: build
	@bash scripts/bench.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(NATIVE)
