#!/usr/bin/env bash
# run-fuzzer.sh FUZZER CORPUS SCRATCH SECONDS
# Runs one fuzzer as a test: every input of the checked-in CORPUS first, then new inputs for
# SECONDS. libFuzzer writes what it finds only to its first corpus folder, here one under
# SCRATCH in the build tree, so the checked-in corpus is only read; a crashing input is kept
# under SCRATCH/crashes/. Exits non-zero on a crash, a sanitizer report, a leak or a timeout.
set -euo pipefail
fuzzer=$1 corpus=$2 scratch=$3 seconds=$4

mkdir -p "$scratch/corpus" "$scratch/crashes"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$scratch/crashes/" "$scratch/corpus" "$corpus"
