#!/bin/bash
# Builds the benchmark binary (Release) and runs it: our renderer's rows beside pixman,
# cairo, OSMesa and memset on the same workloads. Arguments go to the binary, e.g.
#   bash tools/bench.sh --benchmark_filter=quad --benchmark_format=json
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset bench >/dev/null
cmake --build --preset bench --target vomracube-bench -j"${JOBS:-2}"
exec build/bench/bench/vomracube-bench "$@"
