# The project's commands. `make run` and `make test` are all a fresh machine needs.
BUILD ?= build
JOBS ?= 2

.PHONY: all build run test clean

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

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
