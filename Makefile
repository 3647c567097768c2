# The two commands of the README: `make run` and `make test` (as root on a
# fresh Debian 12 machine; scripts/setup installs what is missing).
JOBS ?= $(shell nproc)
BUILD := build
ASAN_BUILD := build-asan
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all setup build build-asan test test-asan run demo clean

all: build

setup:
	scripts/setup

build:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

# The core and its tests again, with AddressSanitizer and UBSan.
build-asan:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTAVROLUNE_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)

demo: build
	scripts/make-demo $(BUILD)/demo

test: setup build build-asan
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 900
	$(MAKE) test-asan

test-asan:
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS) --timeout 900

run: setup build demo
	scripts/run-demo $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
