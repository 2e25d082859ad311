# Quorel: make run (the offline demo), make test (everything CI runs).
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)

.PHONY: all deps build asan test run install clean

all: build

deps:
	@scripts/install-deps.sh

build:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

# The logic and its tests again, under AddressSanitizer and UndefinedBehaviorSanitizer.
asan:
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUOREL_LOGIC_ONLY=ON -DQUOREL_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test: deps build asan
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: deps build
	scripts/run-demo.sh $(BUILD)

install: build
	cmake --install $(BUILD) $(if $(DESTDIR),--prefix /usr,)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
