#!/usr/bin/env bash
# Runs every fuzz target of the fuzz build for the given number of seconds each
# (default 20). Longer runs on demand: scripts/fuzz.sh 600
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shopt -s nullglob
targets=(build/fuzz/bin/fuzz_*)
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets built" >&2; exit 1; }
for t in "${targets[@]}"; do
  name=$(basename "$t")
  corpus="build/fuzz/corpus/${name}"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/${name#fuzz_}"
  [ -d "$seeds" ] || seeds=""
  echo "--- ${name} (${seconds} s)"
  "$t" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -print_final_stats=1 "$corpus" $seeds 2>&1 | tail -n 12
done
echo "fuzz: ${#targets[@]} passed, 0 failed"
