#!/usr/bin/env bash
# Runs a case once as a single process and once under mpirun and compares: the same exit
# status, the same result files byte for byte, and the same console apart from the progress
# line and the elapsed time.
# Usage: mpi_equals_single.sh <kadre> <processes> <case directory> <arguments of kadre...>
set -euo pipefail
kadre=$1 np=$2 dir=$3
shift 3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

run() {  # <name> <launcher...>: runs the case in a fresh copy named <name>
  local name=$1
  shift
  mkdir -p "$scratch/$name"
  cp -R "$dir"/. "$scratch/$name"
  # A data case without its own param.nml uses the one the cases share.
  [ -f "$scratch/$name/param.nml" ] || cp "$dir/../param.nml" "$scratch/$name/"
  rm -rf "$scratch/$name/expected" "$scratch/$name/output"
  mkdir -p "$scratch/$name/output"
  set +e
  (cd "$scratch/$name" && "$@" "$kadre" "${args[@]}" >console.txt 2>/dev/null)
  echo $? >"$scratch/$name/status"
  set -e
}
console() { tr '\r' '\n' <"$1" | grep -v 'spocten ref\. bod' | sed -E 's/^ *[0-9.]+ s$/<time> s/'; }

args=("$@")
run single env
run mpi mpirun --allow-run-as-root --oversubscribe -np "$np"
failed=0
if ! cmp -s "$scratch/single/status" "$scratch/mpi/status"; then
  echo "status: $(cat "$scratch/single/status") alone, $(cat "$scratch/mpi/status") with $np processes"
  failed=1
fi
if ! diff <(console "$scratch/single/console.txt") <(console "$scratch/mpi/console.txt"); then
  echo "console differs"
  failed=1
fi
if ! diff -r "$scratch/single/output" "$scratch/mpi/output"; then
  echo "result files differ"
  failed=1
fi
[ $failed -eq 0 ] && echo "$(basename "$dir") ${args[*]}: $np processes give the files and console of one ($(ls "$scratch/mpi/output" | wc -l) files, status $(cat "$scratch/mpi/status"))"
exit $failed
