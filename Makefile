# make demo: set up, build and write a wallpaper from a bundled design.
# make test: set up, build and run every test.
# make install: the binary, the daily refresh units, the menu entry, the manual and the
#   examples under PREFIX (default /usr/local); DESTDIR stages them for a package.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build demo test bench install clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

configure: $(BUILD)/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	$(BUILD)/tevra examples/month-bubble.tevra tevra-demo.png
	@echo "wrote tevra-demo.png"

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	cmake --build $(BUILD) --target tevra_bench -j $(JOBS)
	$(BUILD)/bench/tevra_bench --benchmark_min_time=0.2

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) $(if $(PREFIX),--prefix "$(PREFIX)")

clean:
	rm -rf $(BUILD)
