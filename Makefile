# The two commands of the quick start. Each does all set-up on a fresh Debian 12 machine.
#   make demo   builds and runs the main job on the built-in default
#   make test   builds and runs every test
# And for checking in depth:
#   make sanitize   every test under AddressSanitizer and UndefinedBehaviorSanitizer
#   make tsan       the object runtime's tests under ThreadSanitizer
#   make fuzz       every fuzzer for FUZZ_SECONDS seconds each, starting from its seed corpus; its clang
#                   build also checks the lock annotations (-Wthread-safety), failing on a violation
#   make coverage   line and branch coverage per source folder
#   make bench      builds and runs the benchmarks and prints their ratios against the speed goals
#   make refs       records the reference images of tests/scenarios again, into tests/refs
#   make package    a Debian package of the tool (build/zovorudovu_*.deb)
#   make mutation   the share of small faults in MUTATION_DIR that its tests catch (scripts/mutate.py)
.PHONY: deps configure build demo test refs package sanitize tsan fuzz coverage bench mutation clean

FUZZ_SECONDS ?= 60

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

refs: configure
	@cmake --build --preset default --target zovorudovu hard_text_scenario_file
	@scripts/record-refs.sh build/bin/zovorudovu

package: build
	@cd build && cpack -G DEB

sanitize: deps
	@cmake --preset sanitize >/dev/null
	@cmake --build --preset sanitize
	ctest --preset sanitize

tsan: deps
	@cmake --preset tsan >/dev/null
	@cmake --build --preset tsan
	ctest --preset tsan

fuzz: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz
	@scripts/run-fuzzers.sh build-fuzz/bin $(FUZZ_SECONDS)

# Throw branches and branches the compiler proves unreachable are left out: they are the
# compiler's bookkeeping, not decisions in the code.
coverage: deps
	@cmake --preset coverage >/dev/null
	@cmake --build --preset coverage
	@find build-coverage -name '*.gcda' -delete
	@ctest --preset coverage >/dev/null || (echo "coverage: some tests failed; run make test" >&2; exit 1)
	@gcovr --root . --object-directory build-coverage --filter 'src/' --exclude-throw-branches --exclude-unreachable-branches \
	       --json-summary build-coverage/summary.json >/dev/null
	@scripts/coverage-summary.py build-coverage/summary.json

BENCHES = bench_dispatch bench_road bench_uikit bench_render bench_preview bench_check bench_first_banner

bench: configure
	@cmake --build --preset default --target $(BENCHES)
	@mkdir -p build/bench-results
	@for b in $(BENCHES); do \
	  echo "running $$b" >&2; \
	  ./build/bin/$$b --benchmark_format=json > build/bench-results/$$b.json || exit 1; \
	done
	@scripts/bench_table.py build/bench-results || true

# One fault at a time in its own Debug build (build-mutation); MUTATION_SAMPLE faults chosen by
# MUTATION_SEED (0: every site), so that runs before and after a change measure the same ones.
MUTATION_DIR ?= src/tweak
MUTATION_SAMPLE ?= 100
MUTATION_SEED ?= 1

mutation: deps
	@nice scripts/mutate.py $(MUTATION_DIR) --sample $(MUTATION_SAMPLE) --seed $(MUTATION_SEED)

clean:
	rm -rf build build-sanitize build-tsan build-fuzz build-coverage build-mutation
