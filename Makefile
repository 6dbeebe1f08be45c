# Tessarin: one-command set-up, build, test and run on Debian.
BUILD_DIR := build
ARCHIVE ?=

.PHONY: deps configure build test run sanitize tsan fuzz bench clean deps-windows windows test-windows package package-windows

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build --preset default

test: build
	@ctest --preset default -j2

# Every layer's tests (the window's offscreen, the fuzz corpus replayed) under
# AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@cmake --preset sanitize >/dev/null
	@cmake --build --preset sanitize -j2
	@ctest --preset sanitize -j2

# The tests of the work that runs threads (export all and verify read ahead on
# one, import deflates on several) under ThreadSanitizer.
TSAN_FILTER := *Export*:*Verify*:*Import*:*Pipeline*:*LongWork*:CommandRouting.Ending*
tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan -j2
	@for t in test_extract test_replace test_app; do \
	  echo "== $$t (ThreadSanitizer)"; \
	  TSAN_OPTIONS=halt_on_error=1 build-tsan/bin/$$t --gtest_filter='$(TSAN_FILTER)' --gtest_brief=1 || exit 1; \
	done

# Each libFuzzer target runs FUZZ_SECONDS on a scratch copy of its corpus;
# new crash inputs land in build-fuzz/crashes (copy them into fuzz/corpus/).
FUZZ_SECONDS ?= 60
fuzz: deps
	@bash scripts/install-deps.sh fuzz
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@mkdir -p build-fuzz/crashes
	@for t in reader types listing codec paths replace newkey record rewrite dds tga text; do \
	  rm -rf build-fuzz/corpus-$$t && cp -r fuzz/corpus/$$t build-fuzz/corpus-$$t && \
	  echo "== fuzz_$$t ($(FUZZ_SECONDS) s)" && \
	  build-fuzz/bin/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -max_len=65536 -timeout=10 -rss_limit_mb=512 \
	    -artifact_prefix=build-fuzz/crashes/$$t- -print_final_stats=1 build-fuzz/corpus-$$t || exit 1; \
	done

bench: build
	@for b in $(BUILD_DIR)/bin/bench_*; do echo "== $$b"; $$b; done

# Windows: tessarin.exe, tessarin-cli.exe (ExtType.Dll beside them) and the
# tests, cross-built into build-windows/ with MinGW-w64; test-windows runs the
# tests under Wine. The window needs Qt cross-built for Windows: made once per
# machine by scripts/build-qt-mingw.sh and kept in ~/.cache/tessarin.
QT_MINGW = $(shell bash scripts/build-qt-mingw.sh --prefix)
deps-windows:
	@bash scripts/install-deps.sh windows

windows: deps-windows
	@if [ ! -f "$(QT_MINGW)/.complete" ]; then \
	  echo "Building Qt 6.4.2 for Windows into $(QT_MINGW)"; \
	  echo "(once per machine: about an hour on two cores, at low priority; log in ~/.cache/tessarin/qt-6.4.2-mingw-work)"; \
	  bash scripts/build-qt-mingw.sh >/dev/null || exit 1; \
	fi
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows

# The comparison with the Linux companion needs the Linux build too.
test-windows: build windows
	@ctest --preset windows -j2

# Packages: build/tessarin_VERSION_ARCH.deb and build-windows/tessarin-VERSION-windows-x86_64.zip,
# each checked for its file list once made.
package: build
	@cd $(BUILD_DIR) && cpack -G DEB >/dev/null
	@bash scripts/check-package.sh $$(ls -t $(BUILD_DIR)/tessarin_*.deb | head -1)

# The zip is also unpacked and its window driven under Wine on the Linux build's demo archive.
package-windows: build windows
	@cd build-windows && cpack -G ZIP >/dev/null
	@bash scripts/check-package.sh $$(ls -t build-windows/tessarin-*-windows-x86_64.zip | head -1)
	@bash scripts/smoke-zip.sh $$(ls -t build-windows/tessarin-*-windows-x86_64.zip | head -1) \
	  $(BUILD_DIR)/demo/demo.arc build-windows/zip-smoke

# Starts the window on the demo archive made at build time, or on ARCHIVE=path.
run: build
	@$(BUILD_DIR)/bin/tessarin $(if $(ARCHIVE),"$(ARCHIVE)",$(BUILD_DIR)/demo/demo.arc)

clean:
	@rm -rf $(BUILD_DIR) build-sanitize build-tsan build-fuzz build-windows
