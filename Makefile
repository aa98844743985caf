# Dialminder: the commands a developer needs. See README.md.
SHELL := /bin/bash
JOBS ?= 2

# Debian packages the build, the tests, the benchmarks and the fuzzers need.
# glusterfs-server and glusterfs-client serve the scale-out test, which puts
# a database directory on a distributed volume (docs/scale-out.md).
PACKAGES := g++ cmake make ninja-build lld ccache clang libclang-rt-14-dev \
	qt6-base-dev qt6-base-dev-tools libqt6svg6-dev libgl-dev \
	libgtest-dev libgmock-dev libbenchmark-dev \
	fonts-liberation fonts-dejavu-core xvfb poppler-utils mscompress desktop-file-utils \
	glusterfs-server glusterfs-client

BUILD := build
BENCH_BUILD := build-bench
FUZZ_BUILD := build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: deps build test bench fuzz demo demo-network screenshots medium clean

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q '^install ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		export DEBIAN_FRONTEND=noninteractive; \
		apt-get update -qq && apt-get install -y -qq --no-install-recommends $$missing; \
	fi

# ccache, where a developer has it, shares compiled objects between work trees.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

# Ninja, lld and line tables only (-g1: enough for the sanitizers' stack
# traces with file and line) keep the sanitizer build short; a build folder
# of another generator is configured anew.
$(BUILD)/build.ninja:
	rm -f $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDM_SANITIZE=ON -DCMAKE_CXX_FLAGS="-O1 -g1" -DCMAKE_CXX_FLAGS_DEBUG= \
		-DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=8 $(LAUNCHER)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j$(JOBS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# Every benchmark program prints its figures against their targets and fails
# when one is missed; all of them run, then the missed ones are named.
bench: deps
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DDM_BENCH=ON -DDM_TESTS=OFF $(LAUNCHER)
	cmake --build $(BENCH_BUILD) -j$(JOBS)
	@failed=; for b in $(BENCH_BUILD)/bin/bench_*; do echo "== $$(basename $$b)"; \
		$$b || failed="$$failed $$(basename $$b)"; done; \
	if [ -n "$$failed" ]; then echo "bench: targets missed in:$$failed"; exit 1; fi; \
	echo "bench: every target met"

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=Debug -DDM_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzzers
	@set -e; for f in $(FUZZ_BUILD)/bin/fuzz_*; do \
		name=$$(basename $$f); corpus=$(FUZZ_BUILD)/corpus/$$name; mkdir -p $$corpus $(FUZZ_BUILD)/findings; \
		seeds=fuzz/corpus/$${name#fuzz_}; [ -d $$seeds ] || seeds=; \
		echo "== $$name for $(FUZZ_SECONDS) s"; \
		$$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
			-artifact_prefix=$(FUZZ_BUILD)/findings/$$name- $$corpus $$seeds; done

clean:
	rm -rf $(BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)

# The installation medium: build/medium with setup and every compressed file it installs.
medium: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j$(JOBS) --target medium

# A fresh demo network with history, the emulated RAS service live beside the
# manager, and the manager on that network; the service stops with the manager.
DEMO_NETWORK := $(abspath $(BUILD))/demo-network
SCREENSHOTS := $(BUILD)/screenshots
SCREENSHOT_NETWORK := $(abspath $(BUILD))/screenshots-network

demo: build
	rm -rf $(DEMO_NETWORK)
	$(BUILD)/bin/dmctl net demo $(DEMO_NETWORK)
	@export DIALMIND_NETWORK=$(DEMO_NETWORK); sim=; \
	if [ -x $(BUILD)/bin/dmsim ]; then \
		$(BUILD)/bin/dmsim generate --network $(DEMO_NETWORK) --days 60 || exit 1; \
		$(BUILD)/bin/dmsim run --network $(DEMO_NETWORK) & sim=$$!; \
	fi; \
	$(BUILD)/bin/dialmind; status=$$?; \
	if [ -n "$$sim" ]; then kill $$sim 2>/dev/null; wait $$sim 2>/dev/null; fi; \
	exit $$status

# A PNG of every window of the manager on a fresh demo network (its sessions
# as the demo places them), drawn headless.
screenshots: build
	rm -rf $(SCREENSHOT_NETWORK) $(SCREENSHOTS)
	$(BUILD)/bin/dmctl net demo $(SCREENSHOT_NETWORK)
	$(BUILD)/bin/dmsim generate --network $(SCREENSHOT_NETWORK) --days 35
	DIALMIND_NETWORK=$(SCREENSHOT_NETWORK) QT_QPA_PLATFORM=offscreen \
		$(BUILD)/bin/dialmind --screenshots $(SCREENSHOTS)
	DIALMIND_NETWORK=$(SCREENSHOT_NETWORK) QT_QPA_PLATFORM=offscreen \
		$(BUILD)/bin/setup --screenshots $(SCREENSHOTS)/setup
