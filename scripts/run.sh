#!/usr/bin/env bash
# Builds Tessaline and runs it on the virtual bench: the simulated adapter opens a
# pseudo-terminal, CORVANE.INI in a scratch working folder points at it, and the
# workbench connects through libcorvane.so (connection type 2).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"

root=$(pwd)
workdir=$(mktemp -d -t tessaline-run.XXXXXX)
bench_pid=""
cleanup() {
  if [ -n "$bench_pid" ]; then kill "$bench_pid" 2>/dev/null || true; wait "$bench_pid" 2>/dev/null || true; fi
  rm -rf "$workdir"
}
trap cleanup EXIT

"$root/build/default/bin/virtual-bench" --bench "$root/tools/virtual_bench/benches/default.json" \
  --write-ini "$workdir" </dev/null >"$workdir/bench.log" 2>&1 &
bench_pid=$!
for _ in $(seq 100); do [ -s "$workdir/CORVANE.INI" ] && break; sleep 0.1; done
[ -s "$workdir/CORVANE.INI" ] || { cat "$workdir/bench.log" >&2; echo "virtual bench did not start" >&2; exit 1; }

cd "$workdir"
"$root/build/default/bin/tessaline-console" "$@"
