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

# Fuzzes each target for FUZZ_SECONDS, one after the other, every target even when an earlier
# one finds something; the corpus grows in $(FUZZ_DIR)/corpus/TARGET/, findings land in
# $(FUZZ_DIR)/findings/ (the previous run's move to findings.previous/) and are listed at the
# end, which then fails. The real survey files are $(SHARED_DIR)/realdata (../shared beside the
# repository's root), when it is there.
REALDATA = $(wildcard $(SHARED_DIR)/realdata)
FUZZ_TARGETS := project_reader survey_reader area_files text_listing csv_reader \
	workbook_reader project_blocks
FINDINGS = $(FUZZ_DIR)/findings
fuzz_run = -$(FUZZ_DIR)/korvela_$(1)_fuzz -max_total_time=$(FUZZ_SECONDS) \
	-artifact_prefix=$(FINDINGS)/$(1)- $(FUZZ_DIR)/corpus/$(1)

fuzz-long: fuzz
	cd $(FUZZ_DIR) && ctest -R 'fuzz_project_(block_)?seeds_written'
	rm -rf $(FINDINGS).previous
	if [ -d $(FINDINGS) ]; then mv $(FINDINGS) $(FINDINGS).previous; fi
	mkdir -p $(addprefix $(FUZZ_DIR)/corpus/,$(FUZZ_TARGETS)) $(FINDINGS)
	$(call fuzz_run,project_reader) $(FUZZ_DIR)/seeds/project
	$(call fuzz_run,survey_reader) -dict=fuzz/survey.dict examples fuzz/regressions/survey \
		$(REALDATA)
	$(call fuzz_run,area_files) fuzz/seeds/area_files fuzz/regressions/area_files
	$(call fuzz_run,text_listing) fuzz/seeds/text_listing fuzz/regressions/text_listing
	$(call fuzz_run,csv_reader) examples fuzz/regressions/survey fuzz/regressions/csv_reader
	$(call fuzz_run,workbook_reader) -dict=fuzz/workbook.dict fuzz/seeds/workbook
	$(call fuzz_run,project_blocks) $(FUZZ_DIR)/seeds/project_blocks
	@if [ -n "$$(ls -A $(FINDINGS))" ]; then \
		echo "fuzz-long: findings in $(FINDINGS):"; ls -l $(FINDINGS); exit 1; \
	else echo "fuzz-long: no findings"; fi

bench: build
	$(BUILD_DIR)/korvela_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	$(BUILD_DIR)/korvela_gui_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

clean:
	rm -rf $(BUILD_DIR) $(FUZZ_DIR)
