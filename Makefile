# Orvane: `make run` starts the host with the plug-in, `make test` runs every
# test. Both install the missing Debian packages first.
JOBS ?= $(shell nproc)
RUN_DIR := build/run
TEST_DIR := build/test

.PHONY: all deps run build test test-tsan bench fuzz install uninstall clean
FUZZ_SECONDS ?= 60
PREFIX ?= $(HOME)/.local

all: build

deps:
	@bash scripts/install-deps.sh

build:
	@bash scripts/install-deps.sh --run
	cmake -S . -B $(RUN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_BUILD_TESTS=OFF
	cmake --build $(RUN_DIR) -j $(JOBS)

run: build
	bash scripts/run-host.sh $(RUN_DIR)

test: deps
	cmake -S . -B $(TEST_DIR) -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON
	cmake --build $(TEST_DIR) -j $(JOBS)
	bash scripts/run-tests.sh $(TEST_DIR)

# The fetch, ingest and lifecycle tests under ThreadSanitizer; any report
# fails its test (no second run here: a race must not pass on a retry).
TSAN_DIR := build/tsan
TSAN_TESTS := fetch_test fault_injection_test ingest_test cache_test plugin_test plugin_fetch_test \
              receiver_input_test plugin_receiver_test
TSAN_SELECT := '^(CacheTest|FetchTest|FaultInjection|Merge|ArrivalLog|PluginTest|PluginFetchTest|HtmlToText|RetryAfter|FindNextPageUrl|NavareaUrls|ReceiverInput|PluginReceiverTest)'
test-tsan: deps
	cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DORVANE_TSAN=ON -DORVANE_BUILD_BENCH=OFF
	cmake --build $(TSAN_DIR) -j $(JOBS) --target $(TSAN_TESTS)
	cd $(TSAN_DIR) && export TSAN_OPTIONS="second_deadlock_stack=1 suppressions=$(CURDIR)/tests/tsan.supp" && \
	  if [ -z "$$DISPLAY" ]; then \
	    xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j $(JOBS) -R $(TSAN_SELECT); \
	  else ctest --output-on-failure -j $(JOBS) -R $(TSAN_SELECT); fi

bench: build
	@for b in $(RUN_DIR)/bench/*_bench; do echo "== $$b"; $$b; done

fuzz: deps
	bash scripts/fuzz.sh $(FUZZ_SECONDS)

install: build
	bash scripts/install.sh "$(PREFIX)" $(RUN_DIR)

uninstall:
	bash scripts/uninstall.sh "$(PREFIX)"

clean:
	rm -rf build
