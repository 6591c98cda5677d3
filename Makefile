# The two commands: `make run` sets up and starts the program, `make test` sets up and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: deps configure build run test format sanitize fuzz clean

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/veldrin

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	@$(MAKE) --no-print-directory test BUILD=build-asan \
		CMAKE_FLAGS="-DVELDRIN_SANITIZE=ON -DVELDRIN_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug $(CMAKE_FLAGS)"

# The libFuzzer targets of fuzz/ in their own build directory, everything compiled by clang with
# ASan+UBSan; built, not run (the README says how to run them). Only this target needs clang.
FUZZ_BUILD ?= build-fuzz
fuzz: deps
	@bash scripts/install-deps clang libclang-rt-14-dev
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
		-DVELDRIN_SANITIZE=ON -DVELDRIN_FUZZ=ON -DVELDRIN_TESTS=OFF -DVELDRIN_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target pagepipeline_fuzz lookups_fuzz

format:
	@find app checks shop windows platform tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs -r clang-format -i

clean:
	rm -rf build build-asan build-fuzz
