#!/usr/bin/env bash
# Builds and runs every test: the plain build, the address+undefined and the thread
# sanitizer builds, and a bounded run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
# The thread sanitizer needs an address space layout it can map its shadow into;
# kernels with high mmap randomisation break it, so run without randomisation.
no_aslr=()
if setarch "$(uname -m)" -R true 2>/dev/null; then no_aslr=(setarch "$(uname -m)" -R); fi

for preset in default asan tsan; do
  echo "=== ${preset}"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  if [ "$preset" = tsan ]; then
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" "${no_aslr[@]}" ctest --preset "$preset" -j "$jobs"
  else
    ctest --preset "$preset" -j "$jobs"
  fi
done

echo "=== fuzz"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
