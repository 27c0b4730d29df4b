# make demo: set up what building and running need, build and write a wallpaper from a
#   bundled design.
# make test: set up the test tools as well, build and run every test.
# make deb: the Debian package, built by dpkg-buildpackage into $(BUILD) and checked by lintian.
# make test-deb: make deb, then the package's tests; as root they install it, run it and remove it.
# make install: the binary, the daily refresh units, the menu entry, the manual and the
#   examples under PREFIX (default /usr/local); DESTDIR stages them for a package.
# make test-sanitize: every test again, built by clang with AddressSanitizer and
#   UndefinedBehaviorSanitizer in $(SANITIZE_BUILD); a finding (leaks included) fails its test.
# make fuzz: builds the libFuzzer targets in $(FUZZ_BUILD) and runs each for FUZZ_SECONDS.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
HARDENING_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++
# Findings stop the program; leaks are findings.
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The config-mode soak's length under the sanitizers (TEVRA_SOAK_ACTIONS).
SOAK_ACTIONS ?= 3000

.PHONY: all deps deps-deb deps-test deps-hardening configure configure-tests build demo test \
	bench install deb test-deb clean test-sanitize fuzz

all: build

# Each target sets up only what it needs: building and running, or the tests' tools as well.
deps:
	@scripts/install-deps
deps-deb:
	@scripts/install-deps deb
deps-test:
	@scripts/install-deps test
deps-hardening:
	@scripts/install-deps hardening

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

configure: $(BUILD)/CMakeCache.txt

# A build first configured without GoogleTest (make demo) is configured again with the tests.
$(BUILD)/tests/CTestTestfile.cmake: | deps-test
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS) -DTEVRA_TESTS=ON

configure-tests: $(BUILD)/tests/CTestTestfile.cmake

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

demo: deps configure
	cmake --build $(BUILD) -j $(JOBS) --target tevra
	$(BUILD)/tevra examples/month-bubble.tevra tevra-demo.png
	@echo "wrote tevra-demo.png"

test: deps-test configure-tests
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: deps-test configure-tests
	cmake --build $(BUILD) --target tevra_bench -j $(JOBS)
	$(BUILD)/bench/tevra_bench --benchmark_min_time=0.2

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) $(if $(PREFIX),--prefix "$(PREFIX)")

deb: deps-deb
	scripts/build-deb $(BUILD) $(JOBS)

DEB_FILE = $(abspath $(BUILD))/tevra_$(shell dpkg-parsechangelog -S Version)_$(shell \
	dpkg --print-architecture).deb

test-deb: deb configure-tests
	cmake --build $(BUILD) -j $(JOBS) --target test_package
	cd $(BUILD) && TEVRA_DEB="$(DEB_FILE)" ctest --output-on-failure -R '^test_package$$'

$(SANITIZE_BUILD)/CMakeCache.txt: | deps-hardening
	cmake -S . -B $(SANITIZE_BUILD) $(HARDENING_FLAGS) -DTEVRA_SANITIZE=ON -DTEVRA_TESTS=ON

test-sanitize: deps-hardening $(SANITIZE_BUILD)/CMakeCache.txt
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && env $(SANITIZER_ENV) TEVRA_SOAK_ACTIONS=$(SOAK_ACTIONS) \
	  ctest --output-on-failure -j $(JOBS)

$(FUZZ_BUILD)/CMakeCache.txt: | deps-hardening
	cmake -S . -B $(FUZZ_BUILD) $(HARDENING_FLAGS) -DTEVRA_FUZZ=ON -DTEVRA_TESTS=OFF

fuzz: deps-hardening $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_design fuzz_message fuzz_image fuzz_events make_seeds
	env $(SANITIZER_ENV) fuzz/run $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)
