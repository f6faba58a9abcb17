# The two commands of the README. Both install what is missing first and are quick the
# second time.
.PHONY: run test bench setup
run:
	@bash tools/run.sh
test:
	@bash tools/test.sh
bench:
	@bash tools/bench.sh
setup:
	@bash tools/setup.sh
