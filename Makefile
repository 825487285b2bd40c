# The README's two commands:
#   make test   install what is missing, build every tree, run every test
#   make run    install what is missing, build, and start the player
# Also: make dist (release archives for Windows users), make fuzz (the fuzz
# targets for longer), make bench (native benchmarks), make bench-playback
# (frames per second the player shows under Wine; writes about 7.5 GB into
# build/pace), make bench-soak (a long session of the player watched for
# leaks; about 2.6 GB into build/soak), make format (formats the C++ sources
# in place), make format-check and make tidy (the style and clang-tidy checks
# of make test), make clean.

JOBS ?= 2
NATIVE := build/native
ASAN := build/asan
WIN32 := build/win32
WIN64 := build/win64
FUZZ := build/fuzz
DIST := build/dist
VERSION := $(shell cat VERSION)
# Seconds per fuzz target: bounded in make test, longer in make fuzz.
FUZZ_SECONDS ?= 45
FUZZ_TARGETS := bmp_file mmp_file raw_image y4m
# Longest input of a target where libFuzzer's 4096 bytes would slow it: a
# longer Y4M input only adds frames, each read and checked the same way, at
# a cost in executions a second (the 4 KiB line limit is a unit test's).
FUZZ_MAX_LEN_y4m := 128
# Our C++ sources, the ones clang-format keeps in shape (.clang-format).
FORMAT_FILES = $(shell git ls-files -- $(foreach d,bench compare display formats fuzz include player sequence tests tools,'$(d)/*.cpp' '$(d)/*.h'))
# Our translation units in the native tree's compile_commands.json (regular
# expression on the path; GoogleTest's are left out). .clang-tidy names the
# checks.
TIDY_SOURCES := /(bench|compare|display|formats|fuzz|player|sequence|tests|tools)/

# Which Windows build this machine can run. Where the kernel runs 32-bit
# programs and 32-bit Wine is installed, the 32-bit deliverables are tested in
# full and the 64-bit edition's unit, DLL and PE tests run beside them;
# elsewhere every Windows test runs on the 64-bit edition, and the 32-bit build
# is still made and its PE tables checked. `test` and `run` install what is
# missing first and then decide in a second make, so a 32-bit Wine that could
# not be installed is seen.
HOST_PROBE ?= tools/host-runs-32bit
HOST32 := $(shell $(HOST_PROBE) && echo yes || echo no)
WINE32 := $(shell dpkg-query -W -f='$${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed' && echo yes || echo no)
ifeq ($(HOST32),no)
NO32_REASON := this kernel cannot run 32-bit programs (IA32 emulation is off)
else ifeq ($(WINE32),no)
NO32_REASON := 32-bit Wine is not installed (the package wine32:i386; install it later with: sudo tools/install-deps)
endif
ifeq ($(NO32_REASON),)
WINDOWS_TESTS := test-win32 test-win64-units
TIER_START := Windows tests: all of them on the 32-bit build, and the 64-bit build's unit, DLL and PE tests.
TIER_END := $(TIER_START)
RUN_NOTICE := The 32-bit player (build/win32).
EDITION := win32
WINE_ARCH :=
else
WINDOWS_TESTS := test-win32-pe test-win64
TIER_START := 32-bit Windows tests will not run: $(NO32_REASON); all Windows tests run on the 64-bit build.
TIER_END := 32-bit Windows tests not run: $(NO32_REASON); all Windows tests ran on the 64-bit build.
RUN_NOTICE := The 64-bit player (build/win64): $(NO32_REASON).
EDITION := win64
WINE_ARCH := --win64
endif

# What only the 32-bit build can show. On the 64-bit build these tests run
# but cannot fail the way they guard against (or, for the last, do not exist).
define ONLY_32BIT
  not run: x87 rounding of the conversion tables (ConversionTables.*, core_tests, 32-bit)
  not run: x87 rounding of the frame-rate period (TimerPeriod.*, player_tests, 32-bit)
  not run: the real MMX kernels and EMMS (AllPaths.* and Path/ConvertYuv.*/Mmx, core_tests, 32-bit)
  not run: __stdcall stack balance of the exports (DisplayDll.*, dll_tests, 32-bit)
  not run: Lifecycle.LibraryDoesNotLoadWithoutRoomForItsPlanesAndLeavesNothingBehind (32-bit address space)
endef
export ONLY_32BIT

.PHONY: test test-all run run-player run-notice samples deps native asan win32 win64 fuzz-build tier-notice test-native test-asan \
        format format-check tidy check-wine32 check-wine64 test-win32 test-win32-pe test-win64 test-win64-units test-fuzz \
        dist test-dist fuzz bench bench-playback bench-soak clean

test: deps
	@$(MAKE) --no-print-directory test-all

test-all: tier-notice format-check test-native tidy test-asan $(WINDOWS_TESTS) test-dist test-fuzz
	@echo "$(TIER_END)"
	@if [ "$(EDITION)" = win64 ]; then echo "$$ONLY_32BIT"; fi

deps:
	@tools/install-deps

tier-notice:
	@echo "$(TIER_START)"

native: deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
	cmake --build $(NATIVE) -j$(JOBS)

asan: deps
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DVORLEX_SANITIZE=ON
	cmake --build $(ASAN) -j$(JOBS)

win32: deps
	cmake -S . -B $(WIN32) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake
	cmake --build $(WIN32) -j$(JOBS)

win64: deps
	cmake -S . -B $(WIN64) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-x86_64.cmake
	cmake --build $(WIN64) -j$(JOBS)

test-native: native
	cd $(NATIVE) && ctest --output-on-failure -j$(JOBS)

test-asan: asan
	cd $(ASAN) && ctest --output-on-failure -j$(JOBS)

format: deps
	clang-format -i --style=file $(FORMAT_FILES)

# Fails on any line clang-format would change, naming the file and line.
format-check: deps
	@echo "clang-format: checking $(words $(FORMAT_FILES)) files"
	@clang-format --dry-run -Werror --style=file $(FORMAT_FILES)

# Any warning fails (.clang-tidy: WarningsAsErrors). The log, in
# $(NATIVE)/tidy.log, is shown only then, without its per-file noise.
tidy: native
	@echo "clang-tidy: checking the native tree's sources"
	@run-clang-tidy -p $(NATIVE) -quiet -j $(JOBS) '$(TIDY_SOURCES)' >$(NATIVE)/tidy.log 2>&1 || { \
	    sed -e 's/\x1b\[[0-9;]*m//g' $(NATIVE)/tidy.log | \
	        grep -v -E '^(clang-tidy[-0-9]* |[0-9]+ warnings? (generated|treated as errors)\.)'; exit 1; }

# A Wine that cannot start a program is named, not left to a bare exit code.
check-wine32:
	@tools/wine-run cmd /c exit >/dev/null 2>&1 </dev/null || { \
	    echo "32-bit Wine cannot start programs here (tools/wine-run cmd /c exit failed):" >&2; \
	    echo "reinstall the packages wine and wine32:i386 (tools/install-deps)." >&2; exit 1; }

check-wine64:
	@if [ ! -x /usr/lib/wine/wine64 ]; then \
	    echo "64-bit Wine is missing (/usr/lib/wine/wine64): install the package wine64 (tools/install-deps)." >&2; \
	    exit 1; fi
	@tools/wine-run --win64 cmd /c exit >/dev/null 2>&1 </dev/null || { \
	    echo "64-bit Wine cannot start programs here (tools/wine-run --win64 cmd /c exit failed):" >&2; \
	    echo "reinstall the package wine64 (tools/install-deps)." >&2; exit 1; }

# Wine programs run one at a time: parallel programs in one prefix are flaky.
test-win32: win32 check-wine32
	tools/with-wine-display sh -c 'cd $(WIN32) && ctest --output-on-failure -j1'

# The import and export tables need objdump only, so they are checked on
# every machine.
test-win32-pe: win32
	cd $(WIN32) && ctest --output-on-failure -L pe

test-win64: win64 check-wine64
	tools/with-wine-display --win64 sh -c 'cd $(WIN64) && ctest --output-on-failure -j1'

test-win64-units: win64 check-wine64
	tools/with-wine-display --win64 sh -c 'cd $(WIN64) && ctest --output-on-failure -j1 -L "unit|dll|pe"'

fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLEX_FUZZ=ON
	cmake --build $(FUZZ) -j$(JOBS)
	python3 fuzz/make-seeds.py $(FUZZ)/seeds

# Each target starts from the generated seeds and the corpus it grew before.
# Allocation stacks are not recorded (a finding's report then lacks them; run
# its artifact again without ASAN_OPTIONS for them): it saves a tenth of each
# execution of these small, allocation-heavy targets.
test-fuzz: fuzz-build
	@for t in $(FUZZ_TARGETS); do \
	    kind=$${t%%_*}; mkdir -p $(FUZZ)/corpus/$$kind; \
	    case $$t in y4m) limit=-max_len=$(FUZZ_MAX_LEN_y4m) ;; *) limit= ;; esac; \
	    echo "fuzzing $$t for $(FUZZ_SECONDS) s"; \
	    ASAN_OPTIONS=malloc_context_size=0 $(FUZZ)/fuzz/$${t}_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $$limit \
	        -artifact_prefix=$(FUZZ)/ $(FUZZ)/corpus/$$kind $(FUZZ)/seeds/$$kind \
	        2>$(FUZZ)/$$t.log || { tail -40 $(FUZZ)/$$t.log; exit 1; }; \
	    grep -E "stat::number_of_executed_units|stat::new_units_added" $(FUZZ)/$$t.log; \
	done

fuzz:
	$(MAKE) test-fuzz FUZZ_SECONDS=600

# Release archives: each edition's two files and the Windows readme.
dist: win32 win64
	python3 tools/make-dist $(DIST) $(VERSION) win32=$(WIN32)/bin win64=$(WIN64)/bin

# Unpacks each archive into an empty folder and checks what it holds; the
# edition this machine can run is started from there.
test-dist: dist check-wine$(subst win,,$(EDITION))
	tools/with-wine-display $(WINE_ARCH) tools/check-dist $(DIST) $(VERSION) $(EDITION) \
	    build/$(EDITION)/bin/start_player.exe

bench: native
	$(NATIVE)/bench/vorlex_bench
	$(NATIVE)/bench/compare_bench
	$(NATIVE)/bench/unpack_bench
	bench/compare_tool_bench.sh $(NATIVE)/player/vorlex-compare build/bench-tool

bench-playback: $(EDITION)
	mkdir -p build/pace
	VORLEX_SCREEN=3872x2240 tools/with-wine-display $(WINE_ARCH) tools/wine-run $(WINE_ARCH) build/$(EDITION)/bin/playback_pace.exe \
	    $(CURDIR)/build/pace

# A long session of the player watched for leaks; writes about 2.6 GB into
# build/soak (kept for later runs).
bench-soak: $(EDITION)
	mkdir -p build/soak
	tools/with-wine-display $(WINE_ARCH) tools/wine-run $(WINE_ARCH) build/$(EDITION)/bin/soak.exe \
	    $(CURDIR)/build/soak

# Sample material is written once, and again when its generator changes.
samples: native
	@if [ ! -f samples/.complete ] || [ $(NATIVE)/tools/make_samples -nt samples/.complete ]; then \
	    echo "writing sample material into samples/"; \
	    mkdir -p samples && $(NATIVE)/tools/make_samples samples && touch samples/.complete; \
	fi

run: deps
	@$(MAKE) --no-print-directory run-player

run-player: run-notice $(EDITION) samples
	@tools/run-player $(EDITION); status=$$?; echo "$(RUN_NOTICE)"; exit $$status

run-notice:
	@echo "$(RUN_NOTICE)"

clean:
	rm -rf build
