#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS seconds (default 600),
# starting from its seed corpus in fuzz/corpus. New inputs go to build/fuzz/corpus, findings to
# build/fuzz/findings. An input that runs longer than 10 s is a finding too (a hang). Prints the
# executions of each target; fails on the first finding.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
./scripts/setup.sh
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DLORIM_FUZZ=ON -DLORIM_TESTS=OFF >/dev/null
targets=(fRecv fRecords fSim fDB)
cmake --build build/fuzz --target "${targets[@]}"
mkdir -p build/fuzz/findings
total=0
for target in "${targets[@]}"; do
  name=${target#f}
  name=${name,,}
  work=build/fuzz/corpus/$name
  mkdir -p "$work"
  log=build/fuzz/$name.log
  if ! "build/fuzz/bin/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix=build/fuzz/findings/$name- "$work" "fuzz/corpus/$name" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz: $target found a fault; the input is in build/fuzz/findings" >&2
    exit 1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  echo "fuzz: $target: $runs executions in ${seconds} s, no finding"
  total=$((total + runs))
done
echo "fuzz: $total executions in all"
