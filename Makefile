# Thin wrapper over CMake. `make` builds build/qx; see README.md for the rest.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
ARGS       ?=
PACKAGES   := cmake g++ make pkg-config libncurses-dev libgtest-dev libvterm-dev

.PHONY: all qx run test unit-test asan-test deps bench clean

all: qx

# Installs whatever of the build and test packages is missing (Debian 12, as root).
deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "installing:" $$missing; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

qx: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target qx

run: qx
	./$(BUILD)/qx $(ARGS)

unit-test: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The same suite again under AddressSanitizer + UndefinedBehaviorSanitizer; any report fails it.
asan-test: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQX_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	rm -rf $(CURDIR)/$(ASAN_BUILD)/sanitizer-logs && mkdir -p $(CURDIR)/$(ASAN_BUILD)/sanitizer-logs
	cd $(ASAN_BUILD) && \
	  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:log_path=$(CURDIR)/$(ASAN_BUILD)/sanitizer-logs/asan \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:log_path=$(CURDIR)/$(ASAN_BUILD)/sanitizer-logs/ubsan \
	  QX_TEST_TIMEOUT_SCALE=4 ctest --output-on-failure -j $(JOBS)
	@if [ -n "$$(ls -A $(CURDIR)/$(ASAN_BUILD)/sanitizer-logs)" ]; then \
	  echo "sanitizer reports:"; cat $(CURDIR)/$(ASAN_BUILD)/sanitizer-logs/*; exit 1; fi

test: unit-test asan-test

bench: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target qx $(notdir $(basename $(wildcard bench/*_bench.cpp)))
	@for b in $(notdir $(basename $(wildcard bench/*_bench.cpp))); do echo "== $$b"; ./$(BUILD)/$$b || exit 1; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
