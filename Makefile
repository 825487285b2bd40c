# The README's two commands:
#   make test   install what is missing, build both trees, run every test
#   make run    install what is missing, build, and start the player
# Also: make bench (native benchmarks), make bench-playback (frames per second
# the player shows under Wine; writes about 1.3 GB into build/pace), make clean.

JOBS ?= 2
NATIVE := build/native
ASAN := build/asan
WIN32 := build/win32

.PHONY: test run deps native asan win32 test-native test-asan test-win32 bench bench-playback clean

test: deps test-native test-asan test-win32

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

bench: native
	$(NATIVE)/bench/vorlex_bench

bench-playback: win32
	mkdir -p build/pace
	tools/with-wine-display tools/wine-run $(WIN32)/bin/playback_pace.exe $(CURDIR)/build/pace

run: win32
	@echo "Built the 32-bit deliverables:"
	@ls -l $(WIN32)/bin/*.dll $(WIN32)/bin/*.exe 2>/dev/null | grep -v _tests || true
	@echo "The player's window comes with a later change; for now the library and its tests are built."

clean:
	rm -rf build
