# The two commands a newcomer needs; both install what they lack first.
#   make test   build everything and run every test
#   make demo   the upgrade, by hand, against the simulated device

BUILD_PACKAGES := cmake ninja-build g++ make libgtest-dev iproute2
PEER_PACKAGES := curl lighttpd

.PHONY: test demo build packages clean

test: build
	scripts/run-tests.sh --preset default

build: packages
	cmake --preset default
	cmake --build --preset default

packages:
	@scripts/ensure-packages.sh $(BUILD_PACKAGES) $(PEER_PACKAGES)

demo:
	@echo "make demo: the desktop front-end and the simulated device are not part of this build yet." >&2
	@exit 1

clean:
	rm -rf build build-staged build-asan build-tsan
