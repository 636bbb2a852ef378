# Two commands do all the set-up: `make run` and `make test` (see README.md).
BUILD_RELEASE := build/release
BUILD_TEST    := build/test
JOBS          ?= $(shell nproc)
LAUNCHER      := $(if $(shell command -v ccache 2>/dev/null),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache,)

.PHONY: run test deps build-release build-test bench clean

deps:
	./scripts/install-deps

build-release: deps
	cmake -S . -B $(BUILD_RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release $(LAUNCHER)
	cmake --build $(BUILD_RELEASE) -j $(JOBS)

build-test: deps
	cmake -S . -B $(BUILD_TEST) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER)
	cmake --build $(BUILD_TEST) -j $(JOBS)

run: build-release
	./scripts/start-editor $(BUILD_RELEASE)/src/shell/vantorelle $(ARGS)

test: build-test
	cd $(BUILD_TEST) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build-release
	for program in $(BUILD_RELEASE)/bench/bench_*; do $$program; done

clean:
	rm -rf build
