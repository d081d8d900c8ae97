# Two commands for a newcomer: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build test run bench fuzz bundle clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) -G Ninja

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	scripts/run-tests $(BUILD)

run: build
	scripts/run-vesk $(BUILD)

# The installed tree as a bundle the updater can replace, and its archive (build/bundle/).
bundle: build
	cmake --build $(BUILD) --target bundle

bench: build
	$(BUILD)/bench/vesk_bench $(BENCH_ARGS)

fuzz: deps
	@if [ -x scripts/run-fuzz ]; then scripts/run-fuzz; else echo "nothing to fuzz yet"; fi

clean:
	rm -rf $(BUILD)
