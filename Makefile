# The two commands of the README, and a few conveniences.
#   make run   installs what is missing, builds in Release and starts Veltra on the sample
#   make test  installs what is missing, builds and runs every test headless
#   make test-sanitize  the same tests, built by clang with AddressSanitizer and
#                       UndefinedBehaviorSanitizer, then the fuzz targets of that build briefly
#   make fuzz  the fuzz targets alone, in a build of their own (FUZZ_SECONDS=... for longer)
#   make install PREFIX=... [DESTDIR=...]   installs the Release build
#   make uninstall [DESTDIR=...]            removes what that install wrote
#   make package  builds the Debian package of the Release build

JOBS ?= 2
WERROR ?= OFF
BUILD_DIR ?= build
SAMPLE ?= samples/sample_photo.jpg
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: run test test-sanitize setup build-release build-test bench fuzz clean install uninstall package

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

package: build-release
	cd $(BUILD_DIR)/release && cpack -G DEB
	@ls $(BUILD_DIR)/release/veltra_*.deb

build-test: setup
	cmake -S . -B $(BUILD_DIR)/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELTRA_BUILD_TESTS=ON \
	  -DVELTRA_WARNINGS_AS_ERRORS=$(WERROR)
	cmake --build $(BUILD_DIR)/test -j$(JOBS)

test: build-test
	cd $(BUILD_DIR)/test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# The fuzz targets need clang and the sanitizers: they are built in the same tree as the
# sanitized tests, so that the libraries are compiled once for both.
test-sanitize: setup
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_DIR)/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DVELTRA_BUILD_TESTS=ON -DVELTRA_SANITIZE=ON -DVELTRA_BUILD_FUZZ=ON \
	  -DVELTRA_WARNINGS_AS_ERRORS=$(WERROR)
	cmake --build $(BUILD_DIR)/sanitize -j$(JOBS)
	cd $(BUILD_DIR)/sanitize && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/leak_suppressions.txt:print_suppressions=0 \
	  ctest --output-on-failure -j$(JOBS)
	FUZZ_BUILD=$(BUILD_DIR)/sanitize JOBS=$(JOBS) bash scripts/run_fuzzers.sh

fuzz: setup
	WERROR=$(WERROR) JOBS=$(JOBS) bash scripts/run_fuzzers.sh

bench: setup
	bash scripts/bench.sh

clean:
	rm -rf $(BUILD_DIR)
