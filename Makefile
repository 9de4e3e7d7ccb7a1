# The two commands of the quick start. Each does all set-up on a fresh Debian 12 machine.
#   make demo   builds and runs the main job on the built-in default
#   make test   builds and runs every test
.PHONY: deps configure build demo test sanitize clean

deps:
	@scripts/deps.sh

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build --preset default

demo: build
	./build/bin/zovorudovu demo --out out/demo

test: build
	ctest --preset default

sanitize: deps
	@cmake --preset sanitize >/dev/null
	@cmake --build --preset sanitize
	ctest --preset sanitize

clean:
	rm -rf build build-sanitize build-fuzz
