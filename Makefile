# make run:  install what is missing, build, and start kelvo6 on the simulated ECU.
# make test: install what is missing, build, and run the whole test suite offscreen.

BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps build run test sanitize fuzz soak screenshots package bench perf clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/app/kelvo6 --simulate

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 600

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKELVO6_SANITIZE=ON -DKELVO6_BENCH=OFF
	cmake --build build-asan -j $(JOBS)
	cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS) --timeout 900

# The fault soak alone: the program over a faulty line to kelvo6-ecusim.
soak: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest -L soak --output-on-failure

# Each fuzz target for FUZZ_SECONDS on its seed corpus.
FUZZ_SECONDS ?= 60
fuzz: deps
	bash scripts/fuzz.sh $(FUZZ_SECONDS)

screenshots: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/tools/screenshots/kelvo6-screenshots docs/screenshots

# A Debian package of kelvo6 and kelvo6-ecusim under build/.
package: build
	cd $(BUILD) && cpack -G DEB

bench: build
	$(BUILD)/bench/bench_receive

# Measured figures of this machine (about two minutes), written to docs/performance.md.
perf: deps $(BUILD)/CMakeCache.txt
	bash scripts/measure-performance.sh $(BUILD)

clean:
	rm -rf $(BUILD)
