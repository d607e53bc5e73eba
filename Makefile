# Thin wrapper over CMake. `make` builds build/qx; see README.md for the rest.
SHELL      := /bin/bash
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
ARGS       ?=
PREFIX     ?= /usr/local
DESTDIR    ?=
# man-db and groff-base check the manual page; dpkg-dev reads the package's library
# dependencies off the binary; the terminal types the tests use come with ncurses-base.
PACKAGES   := cmake g++ make pkg-config python3 libncurses-dev libgtest-dev libvterm-dev \
              man-db groff-base dpkg-dev ncurses-base

.PHONY: all qx run test unit-test asan-test deps bench bench-peers clean install uninstall package

# CI builds with warnings as errors; by hand a warning does not stop the build.
WERROR     := $(if $(filter true,$(CI)),ON,OFF)

all: qx

# Installs whatever of the build and test packages is missing (Debian 12, as root).
deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "installing:" $$missing; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQX_WERROR=$(WERROR)

qx: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target qx

run: qx
	./$(BUILD)/qx $(ARGS)

unit-test: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) | tee ctest.log; exit $${PIPESTATUS[0]}

# The same suite again under AddressSanitizer + UndefinedBehaviorSanitizer; any report fails it.
asan-test: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQX_SANITIZE=ON -DQX_WERROR=$(WERROR)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	rm -rf $(CURDIR)/$(ASAN_BUILD)/sanitizer-logs && mkdir -p $(CURDIR)/$(ASAN_BUILD)/sanitizer-logs
	cd $(ASAN_BUILD) && \
	  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:log_path=$(CURDIR)/$(ASAN_BUILD)/sanitizer-logs/asan \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:log_path=$(CURDIR)/$(ASAN_BUILD)/sanitizer-logs/ubsan \
	  QX_TEST_TIMEOUT_SCALE=4 ctest --output-on-failure -j $(JOBS) | tee ctest.log; exit $${PIPESTATUS[0]}
	@if [ -n "$$(ls -A $(CURDIR)/$(ASAN_BUILD)/sanitizer-logs)" ]; then \
	  echo "sanitizer reports:"; cat $(CURDIR)/$(ASAN_BUILD)/sanitizer-logs/*; exit 1; fi

# Both suites, one after the other even under make -j, then one closing line.
test:
	@status=0; \
	$(MAKE) --no-print-directory unit-test || status=1; \
	$(MAKE) --no-print-directory asan-test || status=1; \
	tools/test-summary $(BUILD)/ctest.log $(ASAN_BUILD)/ctest.log || status=1; \
	exit $$status

# The peer comparison needs the peer editors and runs alone, as bench-peers.
BENCHES    := $(filter-out screen_peers_bench,$(notdir $(basename $(wildcard bench/*_bench.cpp))))
PEERS      := vim nano ne mg

bench: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target qx $(BENCHES)
	@for b in $(BENCHES); do echo "== $$b"; ./$(BUILD)/$$b || exit 1; done

# qx beside the peer editors, installing those missing (Debian 12, as root); the tests never need them.
bench-peers: deps $(BUILD)/CMakeCache.txt
	@missing=$$(for p in $(PEERS); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "installing:" $$missing; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi
	cmake --build $(BUILD) -j $(JOBS) --target qx screen_peers_bench
	@df -h $${TMPDIR:-/tmp} | tail -1 | awk '{print "free in", $$6 ":", $$4, "(the run needs about 1.2 GB)"}'
	./$(BUILD)/screen_peers_bench $(BUILD)/qx

# The binary and its manual page under $(DESTDIR)$(PREFIX); uninstall removes them again.
install: qx
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)" --strip

uninstall:
	rm -f "$(DESTDIR)$(PREFIX)/bin/qx" "$(DESTDIR)$(PREFIX)/share/man/man1/qx.1"

# A Debian package in $(BUILD)/: apt install ./$(BUILD)/qx_*.deb, apt remove qx.
package: qx
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
