# make run   installs what is missing, builds, and runs the program
# make test  installs what is missing, builds, and runs every test as CI does
# make check builds and runs the tests once, quickly, for day-to-day work

BUILD ?= build

.PHONY: run test check deps build format

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DTHRUMBLEWORX_WERROR=ON >/dev/null
	@cmake --build $(BUILD)

run: build
	@scripts/run-demo.sh $(BUILD)

check: build
	@ctest --test-dir $(BUILD) --output-on-failure -j2

test: deps
	@scripts/test-all.sh

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i
