#!/usr/bin/env bash
# Builds the fuzz targets into BUILD (default build-fuzz) and runs each for SECONDS
# (default 60) on a copy of its seeds in corpus/<name>; the inputs it adds go to
# BUILD/work/<name>/corpus, never into the committed seeds. Prints one line per target. The
# first finding stops with status 1, its reproducer and the crash output; with
# FUZZ_KEEP_GOING=1 every target runs and the status is 1 at the end. FUZZ_TARGETS names
# the targets to run (default: all).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-fuzz}")
seconds=${2:-60}
jobs=$(nproc 2>/dev/null || echo 2)

# The targets are built by clang with its libFuzzer and OpenMP runtime (optional packages).
if ! command -v clang++ >/dev/null 2>&1 ||
  ! compgen -G '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null; then
  echo "make fuzz needs clang with libFuzzer, which is missing: install clang libclang-rt-dev" \
    "libomp-dev (as root, scripts/install-deps.sh does)." >&2
  exit 1
fi

CC=clang CXX=clang++ cmake -S fuzz -B "$build" >/dev/null
cmake --build "$build" -j "$jobs" >/dev/null

targets=${FUZZ_TARGETS:-$(cd fuzz/corpus && ls)}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
echo "Fuzzing ${seconds} s per target (${build})"
failed=0
for name in $targets; do
  work=$build/work/$name
  rm -rf "$work"
  mkdir -p "$work/tmp" "$work/findings"
  cp -r "fuzz/corpus/$name" "$work/corpus"
  status=0
  TMPDIR=$work/tmp "$build/fuzz_$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$work/findings/" "$work/corpus" >"$work/log" 2>&1 || status=$?
  done_line=$(grep -E '^#[0-9]+\s+DONE' "$work/log" | tail -1 || true)
  final_stat() { grep -oP "^stat::$1:\s*\K[0-9]+" "$work/log" | tail -1 || true; }
  if [ "$status" -eq 0 ]; then
    printf '  %-18s ok       %9s runs  %6s execs/s  cov %-5s  corpus %s\n' "$name" "$(final_stat number_of_executed_units)" \
      "$(final_stat average_exec_per_sec)" "$(grep -oP 'cov: \K[0-9]+' <<<"$done_line" || true)" \
      "$(grep -oP 'corp: \K\S+' <<<"$done_line" || true)"
    continue
  fi
  failed=1
  reproducer=$(grep -oP 'Test unit written to \K\S+' "$work/log" | tail -1 || true)
  printf '  %-18s FINDING  (status %s)\n' "$name" "$status"
  echo "    reproducer: ${reproducer:-none written}"
  echo "    replay:     $build/fuzz_$name ${reproducer:-<input>}"
  echo "    log:        $work/log"
  # The report, from its first line on, without the input's bytes and libFuzzer's statistics.
  awk 'p || /runtime error:|ERROR:|terminate called|ALARM:|Vnitrni chyba/ { p = 1 }
       p && !/^(MS: |0x[0-9a-f]+,|stat::|base unit)/ { print "    | " substr($0, 1, 240) }' "$work/log" | head -60
  [ "${FUZZ_KEEP_GOING:-0}" = 1 ] || exit 1
done
exit $failed
