# The two commands of the quick start. Each does all set-up on a fresh Debian 12 machine.
#   make demo   builds and runs the main job on the built-in default
#   make test   builds and runs every test
#   make bench  builds and runs the benchmarks and prints their ratios against the speed goals
.PHONY: deps configure build demo test sanitize bench clean

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

BENCHES = bench_dispatch bench_road bench_uikit bench_render

bench: configure
	@cmake --build --preset default --target $(BENCHES)
	@mkdir -p build/bench-results
	@for b in $(BENCHES); do \
	  echo "running $$b" >&2; \
	  ./build/bin/$$b --benchmark_format=json > build/bench-results/$$b.json || exit 1; \
	done
	@scripts/bench_table.py build/bench-results || true

clean:
	rm -rf build build-sanitize build-fuzz
