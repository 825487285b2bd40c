# The README's two commands:
#   make test   install what is missing, build both trees, run every test
#   make run    install what is missing, build, and start the player
# Also: make fuzz (the fuzz targets for longer), make bench (native
# benchmarks), make bench-playback (frames per second the player shows under
# Wine; writes about 1.3 GB into build/pace), make clean.

JOBS ?= 2
NATIVE := build/native
ASAN := build/asan
WIN32 := build/win32
FUZZ := build/fuzz
# Seconds per fuzz target: bounded in make test, longer in make fuzz.
FUZZ_SECONDS ?= 45
FUZZ_TARGETS := bmp_file mmp_file raw_image

.PHONY: test run samples deps native asan win32 fuzz-build test-native test-asan test-win32 test-fuzz \
        fuzz bench bench-playback clean

test: deps test-native test-asan test-win32 test-fuzz

deps:
	@tools/install-deps

native: deps
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(NATIVE) -j$(JOBS)

asan: deps
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DVORLEX_SANITIZE=ON
	cmake --build $(ASAN) -j$(JOBS)

win32: deps
	cmake -S . -B $(WIN32) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake
	cmake --build $(WIN32) -j$(JOBS)

test-native: native
	cd $(NATIVE) && ctest --output-on-failure -j$(JOBS)

test-asan: asan
	cd $(ASAN) && ctest --output-on-failure -j$(JOBS)

# Wine programs run one at a time: parallel programs in one prefix are flaky.
test-win32: win32
	tools/with-wine-display sh -c 'cd $(WIN32) && ctest --output-on-failure -j1'

fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLEX_FUZZ=ON
	cmake --build $(FUZZ) -j$(JOBS)
	python3 fuzz/make-seeds.py $(FUZZ)/seeds

# Each target starts from the generated seeds and the corpus it grew before.
test-fuzz: fuzz-build
	@for t in $(FUZZ_TARGETS); do \
	    kind=$${t%%_*}; mkdir -p $(FUZZ)/corpus/$$kind; \
	    echo "fuzzing $$t for $(FUZZ_SECONDS) s"; \
	    $(FUZZ)/fuzz/$${t}_fuzz -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	        -artifact_prefix=$(FUZZ)/ $(FUZZ)/corpus/$$kind $(FUZZ)/seeds/$$kind \
	        2>$(FUZZ)/$$t.log || { tail -40 $(FUZZ)/$$t.log; exit 1; }; \
	    grep -E "stat::number_of_executed_units|stat::new_units_added" $(FUZZ)/$$t.log; \
	done

fuzz:
	$(MAKE) test-fuzz FUZZ_SECONDS=600

bench: native
	$(NATIVE)/bench/vorlex_bench

bench-playback: win32
	mkdir -p build/pace
	tools/with-wine-display tools/wine-run $(WIN32)/bin/playback_pace.exe $(CURDIR)/build/pace

# Sample material is written once, and again when its generator changes.
samples: native
	@if [ ! -f samples/.complete ] || [ $(NATIVE)/tools/make_samples -nt samples/.complete ]; then \
	    echo "writing sample material into samples/"; \
	    mkdir -p samples && $(NATIVE)/tools/make_samples samples && touch samples/.complete; \
	fi

run: win32 samples
	tools/run-player

clean:
	rm -rf build
