#!/usr/bin/env bash
# A long fuzzing session of the theme code, one worker a core: the parser fuzzer, then the
# engine-side fuzzer, each for a fixed number of executions. Prints libFuzzer's figures and, at
# the end, the executions, coverage and findings of each. Exits non-zero on a finding.
#   scripts/fuzz-long.sh                 # 2,000,000 parser + 8,000,000 engine-side executions
#   FUZZ_WORKERS=1 FUZZ_PARSER_RUNS=100000 FUZZ_LOAD_RUNS=20000 scripts/fuzz-long.sh
set -euo pipefail
source "$(dirname "$0")/setup.sh"
zentora_install
cd "$ZENTORA_ROOT"
zentora_build native

workers=${FUZZ_WORKERS:-2}
parser_runs=${FUZZ_PARSER_RUNS:-2000000}
load_runs=${FUZZ_LOAD_RUNS:-8000000}
out=${FUZZ_OUT:-$ZENTORA_ROOT/build/native/fuzz-long}
mkdir -p "$out"

status=0
run() {  # run NAME TOTAL_RUNS MAX_LEN
  local name=$1 runs=$(( $2 / workers )) max_len=$3
  local corpus="$ZENTORA_ROOT/build/native/fuzz-corpus/$name" logs="$out/$name"
  mkdir -p "$corpus" "$logs"
  rm -f "$logs"/fuzz-*.log
  echo "== $name: $workers worker(s) x $runs executions"
  local start=$SECONDS
  # -jobs runs that many separate fuzzing processes, -workers at once; each stops after -runs.
  (cd "$logs" && "$ZENTORA_ROOT/build/native/$name" -jobs="$workers" -workers="$workers" -runs="$runs" \
      -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" -print_final_stats=1 \
      -artifact_prefix="$logs/" -dict="$ZENTORA_ROOT/tests/fuzz/theme.dict" \
      "$corpus" "$ZENTORA_ROOT/tests/fuzz/corpus" "$ZENTORA_ROOT/Skin") || status=1
  local execs cov findings
  execs=$(cat "$logs"/fuzz-*.log | awk '/stat::number_of_executed_units/ {s += $2} END {print s + 0}')
  cov=$(cat "$logs"/fuzz-*.log | grep -o 'cov: [0-9]*' | awk '{if ($2 > m) m = $2} END {print m + 0}')
  findings=$(find "$logs" -maxdepth 1 \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  echo "== $name: $execs executions in $(( SECONDS - start )) s, coverage $cov edges, $findings finding(s)"
  [ "$findings" -eq 0 ] || status=1
}

run theme_fuzz "$parser_runs" 65536
run theme_load_fuzz "$load_runs" $(( 1024 * 1024 + 64 ))
exit $status
