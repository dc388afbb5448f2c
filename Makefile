# The commands a newcomer needs; each installs what it lacks first.
#   make test     build everything and run every test
#   make check    the native build and its unit, end-to-end and command-line tests: the quick loop
#   make demo     the upgrade, by hand, against the simulated device (the Linux program only)
#   make package  the Linux program as a Debian package, in build/
#   make dist     what a user downloads, in dist/: the Windows zip, the Debian package, their sums
#   make bench    transfer speed against tftpd-hpa, polling cost, peak memory
#   make format   the C++ in the project's style (.clang-format)

BUILD_PACKAGES := cmake ninja-build g++ make libgtest-dev iproute2 libcli11-dev nlohmann-json3-dev
DESKTOP_PACKAGES := qt6-base-dev fonts-dejavu-core
DEBIAN_PACKAGES := dpkg-dev file desktop-file-utils libcap2-bin
# The runtime package without a version follows the default clang, which the fuzz preset uses.
FUZZ_PACKAGES := clang libclang-rt-dev
PEER_PACKAGES := curl lighttpd atftp tftp-hpa tftpd-hpa ansible-core
WINDOWS_PACKAGES := g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 googletest \
                    wine wine64 xvfb xauth
# What checks the downloads: Debian's checks of a package, the windows of a program
# started in a fresh wine prefix, the zip opened up.
DIST_PACKAGES := lintian devscripts x11-utils unzip
# The accessibility bus and a screen reader's interface to it, for reading the Linux
# program's screens as a screen reader does.
SCREEN_READER_PACKAGES := at-spi2-core python3-pyatspi dbus xvfb orca xdotool

.PHONY: test check format demo package dist dist-check bench build native windows sanitized packages native-packages clean

# Every test; then the unit and end-to-end tests again under AddressSanitizer with
# UndefinedBehaviorSanitizer and under ThreadSanitizer; then each fuzzer for a while;
# then the downloads, built twice to the same bytes and run where they land.
test: build sanitized
	scripts/run-tests.sh --preset default
	scripts/run-tests.sh --preset asan -L 'unit|e2e|cli'
	scripts/run-tests.sh --preset tsan -L 'unit|e2e|cli'
	ctest --preset fuzz
	scripts/check-dist.sh

# The day-to-day loop: one native tree, the tests that need neither wine, nor the peers,
# nor a display.
check: native
	scripts/run-tests.sh --preset default -L 'unit|e2e|cli' -LE 'wine' -j2

# The project's C++ in its own style (.clang-format); generated sources are not tracked.
format:
	@scripts/ensure-packages.sh clang-format
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

sanitized: packages
	cmake --preset asan
	cmake --build --preset asan
	cmake --preset tsan
	cmake --build --preset tsan
	cmake --preset fuzz
	cmake --build --preset fuzz

build: packages native windows

# The native build, which the Windows build needs for its build tools.
native:
	@scripts/ensure-packages.sh $(BUILD_PACKAGES) $(DESKTOP_PACKAGES)
	cmake --preset default
	cmake --build --preset default

windows: native
	cmake --preset windows
	cmake --build --preset windows

packages:
	@scripts/ensure-packages.sh $(BUILD_PACKAGES) $(DESKTOP_PACKAGES) $(DEBIAN_PACKAGES) $(FUZZ_PACKAGES) \
	    $(PEER_PACKAGES) $(WINDOWS_PACKAGES) $(SCREEN_READER_PACKAGES) $(DIST_PACKAGES)

demo: native
	scripts/demo.sh

package: native
	@scripts/ensure-packages.sh $(DEBIAN_PACKAGES)
	cd build && cpack -G DEB

# The release trees of their own (build-dist/, build-dist-win/) hold the shipped programs
# alone, hardened and reproducible; dist/ is made afresh from them.
dist:
	@scripts/ensure-packages.sh $(BUILD_PACKAGES) $(DESKTOP_PACKAGES) $(DEBIAN_PACKAGES) $(WINDOWS_PACKAGES)
	scripts/dist.sh

# Two `make dist` of the commit in two folders give the same bytes; the downloads run.
dist-check:
	@scripts/ensure-packages.sh $(BUILD_PACKAGES) $(DESKTOP_PACKAGES) $(DEBIAN_PACKAGES) $(WINDOWS_PACKAGES) $(DIST_PACKAGES)
	scripts/check-dist.sh

bench: packages native
	scripts/bench.sh

clean:
	rm -rf build build-win build-staged build-asan build-tsan build-fuzz build-dist build-dist-win dist
