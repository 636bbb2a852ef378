# Two commands do all the set-up: `make run` and `make test` (see README.md).
BUILD_RELEASE := build/release
BUILD_TEST    := build/test
BUILD_SANITIZE := build/sanitize
JOBS          ?= $(shell nproc)
LAUNCHER      := $(if $(shell command -v ccache 2>/dev/null),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache,)

.PHONY: run test test-sanitize deps build-release build-test build-sanitize bench install clean

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

# The whole suite once more with AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer, stopping at the first report. The windows'
# tests and the editor's start run under them too (offscreen).
build-sanitize: deps
	cmake -S . -B $(BUILD_SANITIZE) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTORELLE_SANITIZE=ON \
	  -DVANTORELLE_BUILD_SHELL=ON -DVANTORELLE_BUILD_BENCH=OFF $(LAUNCHER)
	cmake --build $(BUILD_SANITIZE) -j $(JOBS)

test-sanitize: build-sanitize
	cd $(BUILD_SANITIZE) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The editor, its desktop entry and the project file type, under PREFIX.
PREFIX ?= /usr/local
install: build-release
	cmake --install $(BUILD_RELEASE) --prefix $(PREFIX)
	-update-mime-database $(PREFIX)/share/mime 2>/dev/null
	-update-desktop-database $(PREFIX)/share/applications 2>/dev/null

bench: build-release
	for program in $(BUILD_RELEASE)/bench/bench_*; do $$program; done

clean:
	rm -rf build
