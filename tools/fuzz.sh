#!/bin/bash
# Builds the fuzz targets of tests/fuzz natively (clang, libFuzzer,
# AddressSanitizer, UndefinedBehaviorSanitizer) and runs each of them from
# its seed corpus, under the code pages 1252 and 932.
#   tools/fuzz.sh                  a short run of every target (3 s each)
#   tools/fuzz.sh --time S         S seconds per target and code page
#   tools/fuzz.sh --runs N         N executions per target and code page
#   tools/fuzz.sh --acp 932 ...    one code page only
#   tools/fuzz.sh ... TARGET...    only these targets (inf_reader,
#                                  command_line, destination_path, scrambling)
#   tools/fuzz.sh --build-only
# A finding stops its target: the input is kept in build/fuzz/findings, and
# running the target on that file shows the failed property or the report.
# The corpus a run grows stays in build/fuzz/corpus; the seeds are not touched.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}/fuzz"
limit=(-max_total_time=3)
code_pages=(1252 932)
targets=()
build_only=0
while [ $# -gt 0 ]; do
  case "$1" in
  --time) limit=(-max_total_time="$2"); shift 2 ;;
  --runs) limit=(-runs="$2"); shift 2 ;;
  --acp) code_pages=("$2"); shift 2 ;;
  --build-only) build_only=1; shift ;;
  -*) echo "usage: $0 [--time S | --runs N] [--acp 1252|932] [--build-only] [TARGET...]" >&2; exit 2 ;;
  *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(inf_reader command_line destination_path scrambling)

cmake -S "$root/tests/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 >/dev/null
[ "$build_only" -eq 0 ] || exit 0

# No allocation stacks and a smaller quarantine: four times the executions;
# a finding run again on its own file reports in full.
export ASAN_OPTIONS="${ASAN_OPTIONS:-malloc_context_size=0:quarantine_size_mb=16}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
mkdir -p "$build/findings"
passed=0
failed=0
for target in "${targets[@]}"; do
  for acp in "${code_pages[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    out="$build/$target.$acp.log"
    if FUZZ_ACP="$acp" "$build/fuzz_$target" "${limit[@]}" -max_len=1024 -print_final_stats=1 \
         -artifact_prefix="$build/findings/$target.$acp." "$corpus" "$root/tests/fuzz/corpus/$target" \
         >"$out" 2>&1; then
      runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out")
      seconds=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$out")
      echo "fuzz $target (code page $acp): $runs executions in ${seconds:-?} s, no finding"
      passed=$((passed + 1))
    else
      echo "fuzz $target (code page $acp): FINDING"
      grep -E "property failed|ERROR: |runtime error|SUMMARY|Test unit written" "$out" | head -5
      failed=$((failed + 1))
    fi
  done
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
