# Kestin: one entry point for building, testing and the demo.
#   make demo    build the demo package and run it (the main job)
#   make check   build everything and run every test
#   make build   build the three trees without running tests
#   make bench   benchmarks against peers, printing ratios
#   make fuzz    longer fuzzing runs
#   make install kestin-pack for publishers (PREFIX=/usr/local, DESTDIR)
#   make deb     the same as a Debian package, checked with lintian
SHELL := /bin/bash
JOBS ?= $(shell nproc)
CMAKE_GEN := -G Ninja
WINE_SESSION := tests/wine/wine-session

.PHONY: deps build host win32 win64 check check-host check-win check-release check-win64 check-win32 demo bench fuzz clean release install deb

deps:
	@scripts/install-deps.sh

build/host/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B build/host $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo
# The release tree builds its Windows tests too; setup.exe and uncab.dll come
# out byte for byte the same with or without them.
build/win32/build.ninja: | deps
	cmake -S . -B build/win32 $(CMAKE_GEN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING=ON
build/win64/build.ninja: | deps
	cmake -S . -B build/win64 $(CMAKE_GEN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=MinSizeRel

host: build/host/build.ninja
	cmake --build build/host -j $(JOBS)
win32: build/win32/build.ninja
	@# A release tree configured before it had tests gets them.
	@grep -q '^BUILD_TESTING:BOOL=ON' build/win32/CMakeCache.txt || cmake -DBUILD_TESTING=ON build/win32
	cmake --build build/win32 -j $(JOBS)
win64: build/win64/build.ninja
	cmake --build build/win64 -j $(JOBS)

build: host win32 win64

check-host: host
	cd build/host && ctest --output-on-failure -j $(JOBS)
# The Windows tests run against both builds: the x86_64 tree under wine64 and
# the i686 release tree under 32-bit Wine. Where this machine cannot execute
# 32-bit programs, ctest reports the i686 tests as skipped, with the reason.
check-win: check-release check-win64 check-win32
check-release: win32 win64
	scripts/check-release.sh build/win32 build/win64
check-win64: win64 win32
	$(WINE_SESSION) ctest --test-dir build/win64 --output-on-failure --no-tests=error -j $(JOBS)
check-win32: win32 deps
	WINE_SESSION_ARCH=win32 $(WINE_SESSION) ctest --test-dir build/win32 --output-on-failure --no-tests=error -j $(JOBS)

check: build check-host check-win

demo: deps build
	scripts/demo.sh

bench: deps
	@scripts/install-deps.sh --bench
	scripts/bench.sh

fuzz: host
	scripts/fuzz.sh 300

# Publishers get an optimised kestin-pack, not the sanitizer build the tests
# use. INSTALL_TOOL and INSTALL_WIN32 name already-built pieces instead (the
# install test uses them); then nothing is built.
PREFIX ?= /usr/local
DESTDIR ?=
INSTALL_TOOL ?= build/release/kestin-pack
INSTALL_WIN32 ?= build/win32
build/release/build.ninja: | deps
	CC=clang CXX=clang++ cmake -S . -B build/release $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DKESTIN_SANITIZE=OFF -DBUILD_TESTING=OFF
release: build/release/build.ninja
	cmake --build build/release -j $(JOBS) --target kestin-pack

install: $(if $(filter build/release/kestin-pack,$(INSTALL_TOOL)),release) $(if $(filter build/win32,$(INSTALL_WIN32)),win32)
	scripts/install.sh "$(DESTDIR)" "$(PREFIX)" "$(INSTALL_TOOL)" "$(INSTALL_WIN32)"

deb: release win32
	@scripts/install-deps.sh --deb
	scripts/make-deb.sh

clean:
	rm -rf build
