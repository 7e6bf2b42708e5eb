# The project's commands. `make run` and `make test` are all a fresh machine needs.
BUILD ?= build
JOBS ?= 2

.PHONY: all build run test check clean test-sanitize example validate plot windows windows-check fuzz fuzz-short bench stress

all: build

build:
	@scripts/ensure-tools
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# Interactive run in a scratch directory that holds the example records.
run: build
	rm -rf $(BUILD)/scratch && mkdir -p $(BUILD)/scratch
	cp examples/*.txt $(BUILD)/scratch/ 2>/dev/null || true
	cd $(BUILD)/scratch && ../tarvelin

# One example of examples/ with its answers, e.g. `make example NAME=half_sine`.
# At a terminal the program still waits for a key at its end.
example: build
	@test -n "$(NAME)" -a -f examples/$(NAME).answers || \
		{ echo "usage: make example NAME=<one of: $(basename $(notdir $(wildcard examples/*.answers)))>"; exit 2; }
	rm -rf $(BUILD)/example-$(NAME) && mkdir -p $(BUILD)/example-$(NAME)
	cp examples/$(NAME).txt $(BUILD)/example-$(NAME)/
	cd $(BUILD)/example-$(NAME) && ../tarvelin < $(CURDIR)/examples/$(NAME).answers
	@echo && ls -l $(BUILD)/example-$(NAME)

# Everything CI runs: the suite, the suite again under the sanitizers, short
# fuzz runs, and the recorded runs with the Windows build under Wine.
test: check test-sanitize fuzz-short windows-check

# The suite on the Release build alone, for day-to-day work.
check: build
	@scripts/ensure-plot-tools
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)

# The bank pass micro-benchmark (where Google Benchmark is installed) and the
# four whole-run cases; BASE=<another tarvelin> runs that one alternately and
# prints the ratios and whether the files agree.
bench: build
	@if cmake --build $(BUILD) -j $(JOBS) --target bank_pass_bench 2>/dev/null; then \
		$(BUILD)/bench/bank_pass_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; \
	else echo "Google Benchmark not found: micro-benchmark skipped"; fi
	python3 bench/run_bench.py $(BUILD)/tarvelin $(BASE)

# The whole test suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# in its own build folder. A sanitizer stop exits with 86, so it can never pass
# for the program's own status 1 in a test that expects a fatal check.
SANITIZE_BUILD ?= build-asan
SANITIZER_ENV = ASAN_OPTIONS=exitcode=86:detect_leaks=1:strict_string_checks=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:exitcode=86

test-sanitize:
	@scripts/ensure-tools
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVELIN_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)

# docs/validation.md and docs/validation.png from the engine against the
# analytic half-sine responses; a desk build of its own beside build/.
DESK_BUILD ?= build-desk
DESK_FLAGS = -std=c++20 -O2 -Wall -Wextra -Werror -ffp-contract=off -I.

validate:
	@scripts/ensure-tools
	@scripts/ensure-plot-tools
	cmake -S . -B $(DESK_BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(DESK_BUILD) -j $(JOBS) --target tarvelin_core
	$(CXX) $(DESK_FLAGS) docs/validation/srs_validation.cpp $(DESK_BUILD)/libtarvelin_core.a \
		-o $(DESK_BUILD)/srs_validation
	python3 docs/validation/make_validation.py $(DESK_BUILD)/srs_validation $(DESK_BUILD)/validation docs

# The spectra of a finished run as RUN_DIR/srs_plot.png and .svg, e.g.
# `make plot DIR=build/example-half_sine`.
plot:
	@test -n "$(DIR)" || { echo "usage: make plot DIR=<directory of a finished run>"; exit 2; }
	@scripts/ensure-plot-tools
	scripts/plot_srs.sh $(DIR)

# libFuzzer runs of the three fuzz targets (clang, its own build folder):
# 60 s each, or 30 s each for CI. A find stops the run and is kept under
# build-fuzz/artifacts.
fuzz:
	scripts/fuzz 60

fuzz-short:
	scripts/fuzz 30

# tarvelin.exe for 64-bit Windows, cross-compiled with MinGW-w64, and the
# recorded runs of tests/e2e/cases replayed with it under Wine.
WINDOWS_BUILD ?= build-windows

windows:
	@scripts/ensure-windows-tools
	cmake -S . -B $(WINDOWS_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
		-DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build $(WINDOWS_BUILD) -j $(JOBS) --target tarvelin

windows-check: windows
	@scripts/ensure-windows-tools --wine
	WINEPREFIX=$(CURDIR)/$(WINDOWS_BUILD)/wineprefix \
		python3 scripts/windows_check.py $(WINDOWS_BUILD)/tarvelin.exe tests/e2e/cases

# The largest runs the program accepts (20000 channels; a 4,000,000-point
# record resampled) under the sanitizer build. Too slow for every test run.
stress:
	scripts/stress
