# Set-up, build and checks. Every target first makes sure the Debian packages
# are there (tools/install-deps.sh does nothing when they are).
BUILD ?= build
JOBS  ?= 2

.PHONY: deps build demo test test-asan fuzz fuzz-build bench clean

deps:
	@bash tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVA_WERROR=ON
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	bash examples/demo.sh $(BUILD)

fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVA_FUZZ=ON -DTOLVA_WERROR=ON
	cmake --build $(BUILD)-fuzz -j$(JOBS)

# Unit and integration tests, then a short run of every fuzz target.
test: build fuzz-build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	cd $(BUILD)-fuzz && TOLVA_FUZZ_SECONDS=$${TOLVA_FUZZ_SECONDS:-15} ctest --output-on-failure -j$(JOBS)

test-asan: deps
	cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=Debug -DTOLVA_SANITIZE=ON -DTOLVA_WERROR=ON
	cmake --build $(BUILD)-asan -j$(JOBS)
	cd $(BUILD)-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS)

fuzz: fuzz-build
	cd $(BUILD)-fuzz && TOLVA_FUZZ_SECONDS=$${TOLVA_FUZZ_SECONDS:-300} ctest --output-on-failure -j$(JOBS)

bench: build
	bash bench/run.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-fuzz
