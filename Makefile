# The two set-up commands: `make run` and `make test`.
BUILD_DIR ?= build
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 600
JOBS ?= 2
SAMPLE ?= examples/site.sdr
# The golden examples and real survey files (golden/, realdata/).
SHARED_DIR ?= $(CURDIR)/../shared
# `make run` builds without tests and benchmarks: their libraries come with `make test`.
TESTS ?= ON

.PHONY: deps test-deps configure build run test check bench fuzz fuzz-build fuzz-long clean

# What building and running need; `test-deps` adds the test tools (scripts/install-deps).
deps:
	scripts/install-deps run

test-deps:
	scripts/install-deps test

configure:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DKORVELA_SHARED_DIR=$(SHARED_DIR) \
		-DKORVELA_BUILD_TESTS=$(TESTS) -DKORVELA_BUILD_BENCHMARKS=$(TESTS)

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

run: deps
	$(MAKE) build TESTS=OFF
	$(BUILD_DIR)/korvela $(SAMPLE)

test: test-deps
	$(MAKE) build fuzz-build
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS) --timeout 300
	cd $(FUZZ_DIR) && ctest --output-on-failure -j$(JOBS) --timeout 300

# The quick round while working: build and run the tests, no package check, no fuzz build.
check: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS) --timeout 300

# The readers of untrusted files as libFuzzer targets (clang, ASan, UBSan), in a build of
# their own; its ctest runs each target once over its seed corpus.
fuzz: test-deps
	$(MAKE) fuzz-build

fuzz-build:
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
		-DKORVELA_FUZZING=ON -DKORVELA_SHARED_DIR=$(SHARED_DIR)
	cmake --build $(FUZZ_DIR) -j$(JOBS)

# Fuzzes each reader for FUZZ_SECONDS, one after the other; the corpus grows in
# $(FUZZ_DIR)/corpus/, findings land in $(FUZZ_DIR)/findings/.
fuzz-long: fuzz
	cd $(FUZZ_DIR) && ctest -R fuzz_project_seeds_written
	mkdir -p $(FUZZ_DIR)/corpus/project $(FUZZ_DIR)/corpus/survey $(FUZZ_DIR)/findings
	$(FUZZ_DIR)/fuzz/korvela_project_reader_fuzz -max_total_time=$(FUZZ_SECONDS) \
		-artifact_prefix=$(FUZZ_DIR)/findings/ $(FUZZ_DIR)/corpus/project $(FUZZ_DIR)/seeds/project
	$(FUZZ_DIR)/fuzz/korvela_survey_reader_fuzz -max_total_time=$(FUZZ_SECONDS) \
		-artifact_prefix=$(FUZZ_DIR)/findings/ -dict=fuzz/survey.dict \
		$(FUZZ_DIR)/corpus/survey examples fuzz/regressions/survey $(wildcard $(SHARED_DIR)/realdata)
	mkdir -p $(FUZZ_DIR)/corpus/csv
	$(FUZZ_DIR)/fuzz/korvela_csv_reader_fuzz -max_total_time=$(FUZZ_SECONDS) \
		-artifact_prefix=$(FUZZ_DIR)/findings/ $(FUZZ_DIR)/corpus/csv examples
	mkdir -p $(FUZZ_DIR)/corpus/workbook
	$(FUZZ_DIR)/fuzz/korvela_workbook_reader_fuzz -max_total_time=$(FUZZ_SECONDS) \
		-artifact_prefix=$(FUZZ_DIR)/findings/ -dict=fuzz/workbook.dict \
		$(FUZZ_DIR)/corpus/workbook fuzz/seeds/workbook

bench: build
	$(BUILD_DIR)/korvela_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	$(BUILD_DIR)/korvela_gui_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

clean:
	rm -rf $(BUILD_DIR) $(FUZZ_DIR)
