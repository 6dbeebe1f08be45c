# Tessarin: one-command set-up, build, test and run on Debian.
BUILD_DIR := build
ARCHIVE ?=

.PHONY: deps configure build test run sanitize bench clean deps-windows windows test-windows

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build --preset default

test: build
	@ctest --preset default -j2

sanitize: deps
	@cmake --preset sanitize >/dev/null
	@cmake --build --preset sanitize
	@ctest --preset sanitize -j2

bench: build
	@for b in $(BUILD_DIR)/bin/bench_*; do echo "== $$b"; $$b; done

# Windows: tessarin-cli.exe (ExtType.Dll beside it) and the tests, cross-built
# into build-windows/ with MinGW-w64; test-windows runs the tests under Wine.
deps-windows:
	@bash scripts/install-deps.sh windows

windows: deps-windows
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows

# The comparison with the Linux companion needs the Linux build too.
test-windows: build windows
	@ctest --preset windows -j2

# Starts the window on the demo archive made at build time, or on ARCHIVE=path.
run: build
	@$(BUILD_DIR)/bin/tessarin $(if $(ARCHIVE),"$(ARCHIVE)",$(BUILD_DIR)/demo/demo.arc)

clean:
	@rm -rf $(BUILD_DIR) build-sanitize build-windows
