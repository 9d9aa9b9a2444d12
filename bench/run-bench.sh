#!/usr/bin/env bash
# Runs every benchmark case with the default number of threads and prints the figures; further
# arguments go to the bench program (--quick: the small statistical and hourly cases only).
# $1 is the kadre binary of the build; the bench program sits next to it in bench/.
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: $0 <build>/kadre [--quick] [--threads N] [--dir PATH]" >&2
  exit 2
fi
build="$(cd "$(dirname "$1")" && pwd)"
bench="$build/bench/kadre_bench"
if [ ! -x "$bench" ]; then
  echo "$bench not found: configure the build with -DKADRE_BENCH=ON" >&2
  exit 1
fi
shift
"$bench" all "$@"
