# The two commands a newcomer needs; both install what they lack first.
#   make test   build everything and run every test
#   make demo   the upgrade, by hand, against the simulated device
#   make bench  transfer speed against tftpd-hpa, polling cost, peak memory

BUILD_PACKAGES := cmake ninja-build g++ make libgtest-dev iproute2 clang libclang-rt-14-dev
PEER_PACKAGES := curl lighttpd atftp tftp-hpa tftpd-hpa
DESKTOP_PACKAGES := qt6-base-dev fonts-dejavu-core
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 googletest \
                    wine wine64 xvfb xauth

.PHONY: test demo bench build sanitized packages clean

# Every test; then the unit and end-to-end tests again under AddressSanitizer with
# UndefinedBehaviorSanitizer and under ThreadSanitizer; then each fuzzer for a while.
test: build sanitized
	scripts/run-tests.sh --preset default
	scripts/run-tests.sh --preset asan -L 'unit|e2e'
	scripts/run-tests.sh --preset tsan -L 'unit|e2e'
	ctest --preset fuzz

sanitized: packages
	cmake --preset asan
	cmake --build --preset asan
	cmake --preset tsan
	cmake --build --preset tsan
	cmake --preset fuzz
	cmake --build --preset fuzz

build: packages
	cmake --preset default
	cmake --build --preset default
	cmake --preset windows
	cmake --build --preset windows

packages:
	@scripts/ensure-packages.sh $(BUILD_PACKAGES) $(PEER_PACKAGES) $(DESKTOP_PACKAGES) $(WINDOWS_PACKAGES)

demo: build
	scripts/demo.sh

bench: packages
	cmake --preset default
	cmake --build --preset default
	scripts/bench.sh

clean:
	rm -rf build build-win build-staged build-asan build-tsan build-fuzz
