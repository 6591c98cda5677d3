# The two commands: `make run` sets up and starts the program, `make test` sets up and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: deps configure build run test format sanitize clean

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

format:
	@find app checks shop windows platform tests bench -name '*.cpp' -o -name '*.h' | xargs -r clang-format -i

clean:
	rm -rf build build-asan
