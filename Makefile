# Quorel: make run (the offline demo), make test (everything CI runs).
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: all deps format build asan test fuzz run install clean

all: build

deps:
	@scripts/install-deps.sh

# STRICT=ON turns warnings into errors; make test sets it.
STRICT ?= OFF

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

test: STRICT = ON
test: deps format build asan
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	scripts/fuzz-short.sh

# A short run of every fuzz target (also part of test); bench/fuzz-long.sh runs them longer.
fuzz: deps
	scripts/fuzz-short.sh

run: deps build
	scripts/run-demo.sh $(BUILD)

# make install [PREFIX=/usr/local] [DESTDIR=/staging]
install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz
