# Quorel: make run (the offline demo), make test (everything CI runs).
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: all deps format layers build asan test fuzz run install uninstall deb clean

all: build

deps:
	@scripts/install-deps.sh

# Warnings are errors in every build, so that make test and make run share one build and the
# second builds nothing; STRICT=OFF lets a newer compiler's new warnings pass.
STRICT ?= ON

build:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOREL_STRICT=$(STRICT)
	cmake --build $(BUILD) -j $(JOBS)

# The logic and its tests again, under AddressSanitizer and UndefinedBehaviorSanitizer.
asan:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUOREL_LOGIC_ONLY=ON -DQUOREL_SANITIZE=ON -DQUOREL_STRICT=$(STRICT)
	cmake --build $(ASAN_BUILD) -j $(JOBS)

# Unformatted C++ fails the run (scripts/check-format.sh says how to mend it).
format: deps
	@scripts/check-format.sh

# An include that crosses the logic's floors the wrong way fails the run, naming file, line
# and rule.
layers:
	@scripts/check-layers.py

test: STRICT = ON
test: deps format layers build asan
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	scripts/fuzz-short.sh

# A short run of every fuzz target (also part of test); bench/fuzz-long.sh runs them longer.
fuzz: deps
	scripts/fuzz-short.sh

run: deps build
	scripts/run-demo.sh $(BUILD)

# make install [PREFIX=/usr/local] [DESTDIR=/staging]: installs what make build built (it does
# not build, so that it can run as root without writing root's files into the build folder).
install:
	@[ -f $(BUILD)/build.ninja ] && [ -x $(BUILD)/quorel ] || \
	  { echo "make install: nothing built in $(BUILD)/; run make build first" >&2; exit 1; }
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# Removes every file the last make install wrote (CMake lists them in install_manifest.txt,
# without DESTDIR: give the same DESTDIR as to make install).
uninstall:
	@[ -f $(BUILD)/install_manifest.txt ] || \
	  { echo "make uninstall: no $(BUILD)/install_manifest.txt; nothing was installed from $(BUILD)/" >&2; exit 1; }
	@while IFS= read -r file || [ -n "$$file" ]; do \
	  file="$(DESTDIR)$$file"; \
	  if [ -e "$$file" ] || [ -L "$$file" ]; then echo "Removing $$file"; rm -f "$$file"; fi; \
	done < $(BUILD)/install_manifest.txt
	rm -f $(BUILD)/install_manifest.txt

# The Debian package, quorel_<version>_<arch>.deb, built in a clean tree of its own and moved
# into build-deb/ (dpkg-buildpackage writes beside the source folder).
DEB_DIR ?= build-deb
deb:
	scripts/make-deb.sh $(DEB_DIR)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz $(DEB_DIR)
