# The two commands of the README, and a few conveniences.
#   make run   installs what is missing, builds in Release and starts Veltra on the sample
#   make test  installs what is missing, builds and runs every test headless
#   make install PREFIX=... [DESTDIR=...]   installs the Release build
#   make uninstall [DESTDIR=...]            removes what that install wrote

JOBS ?= 2
WERROR ?= OFF
BUILD_DIR ?= build
SAMPLE ?= samples/sample_photo.jpg
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: run test setup build-release build-test bench fuzz clean install uninstall

setup:
	@bash scripts/setup.sh

build-release: setup
	cmake -S . -B $(BUILD_DIR)/release -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_TESTS=OFF \
	  -DVELTRA_WARNINGS_AS_ERRORS=$(WERROR)
	cmake --build $(BUILD_DIR)/release -j$(JOBS)

run: build-release
	$(BUILD_DIR)/release/app/veltra $(SAMPLE)

install: build-release
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR)/release --prefix "$(PREFIX)"

uninstall:
	DESTDIR="$(DESTDIR)" cmake --build $(BUILD_DIR)/release --target uninstall

build-test: setup
	cmake -S . -B $(BUILD_DIR)/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRA_BUILD_TESTS=ON \
	  -DVELTRA_WARNINGS_AS_ERRORS=$(WERROR)
	cmake --build $(BUILD_DIR)/test -j$(JOBS)

test: build-test
	cd $(BUILD_DIR)/test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)
	@if [ -x scripts/run_fuzzers.sh ]; then WERROR=$(WERROR) JOBS=$(JOBS) bash scripts/run_fuzzers.sh; fi

bench: setup
	cmake -S . -B $(BUILD_DIR)/bench -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_TESTS=OFF \
	  -DVELTRA_BUILD_BENCH=ON
	cmake --build $(BUILD_DIR)/bench -j$(JOBS)
	@for b in $(BUILD_DIR)/bench/bench/*_bench; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD_DIR)
