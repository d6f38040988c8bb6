# The two set-up commands: `make run` and `make test`.
BUILD_DIR ?= build
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 600
JOBS ?= 2
SAMPLE ?= examples/site.sdr

.PHONY: deps configure build run test bench fuzz fuzz-long clean

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	$(BUILD_DIR)/korvela $(SAMPLE)

test: build fuzz
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS) --timeout 300
	cd $(FUZZ_DIR) && ctest --output-on-failure -j$(JOBS) --timeout 300

# The readers of untrusted files as libFuzzer targets (clang, ASan, UBSan), in a build of
# their own; its ctest runs each target once over its seed corpus.
fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
		-DKORVELA_FUZZING=ON
	cmake --build $(FUZZ_DIR) -j$(JOBS)

# Fuzzes each target for FUZZ_SECONDS, one after the other; the corpus grows in
# $(FUZZ_DIR)/corpus/TARGET/, findings land in $(FUZZ_DIR)/findings/. The real survey files
# are ../shared/realdata beside the repository's root, when it is there.
ROOT := $(patsubst %/,%,$(dir $(abspath $(lastword $(MAKEFILE_LIST)))))
REALDATA := $(wildcard $(ROOT)/../shared/realdata)
FUZZ_TARGETS := project_reader survey_reader area_files text_listing
fuzz_run = $(FUZZ_DIR)/korvela_$(1)_fuzz -max_total_time=$(FUZZ_SECONDS) \
	-artifact_prefix=$(FUZZ_DIR)/findings/ $(FUZZ_DIR)/corpus/$(1)

fuzz-long: fuzz
	cd $(FUZZ_DIR) && ctest -R fuzz_project_seeds_written
	mkdir -p $(addprefix $(FUZZ_DIR)/corpus/,$(FUZZ_TARGETS)) $(FUZZ_DIR)/findings
	$(call fuzz_run,project_reader) $(FUZZ_DIR)/seeds/project
	$(call fuzz_run,survey_reader) -dict=fuzz/survey.dict examples fuzz/regressions/survey \
		$(REALDATA)
	$(call fuzz_run,area_files) fuzz/seeds/area_files fuzz/regressions/area_files
	$(call fuzz_run,text_listing) fuzz/seeds/text_listing fuzz/regressions/text_listing

bench: build
	$(BUILD_DIR)/korvela_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
	$(BUILD_DIR)/korvela_gui_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

clean:
	rm -rf $(BUILD_DIR) $(FUZZ_DIR)
