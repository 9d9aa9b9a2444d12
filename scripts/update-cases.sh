#!/bin/sh
# Regenerates expected/ of every case under tests/cases after a deliberate change of the
# results: runs the given kadre binary in a scratch copy of each case (with the shared
# tests/cases/param.nml unless the case has its own) and stores its standard output
# (console.txt), its exit status (status) and every file it wrote into output/.
# Usage: scripts/update-cases.sh [path to kadre binary] [case name ...]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
kadre=$(realpath "${1:-$root/build/kadre}")
[ $# -gt 0 ] && shift
[ -x "$kadre" ] || { echo "no kadre binary at $kadre" >&2; exit 2; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for dir in "$root"/tests/cases/*/; do
  name=$(basename "$dir")
  if [ $# -gt 0 ]; then
    case " $* " in *" $name "*) ;; *) continue ;; esac
  fi
  work="$scratch/$name"
  mkdir -p "$work"
  cp -R "$dir". "$work"
  [ -f "$work/param.nml" ] || cp "$root/tests/cases/param.nml" "$work/"
  rm -rf "$work/expected" "$work/console_is_a_file"
  mkdir -p "$work/output"
  set +e
  if [ -e "$dir/console_is_a_file" ]; then
    (cd "$work" && "$kadre" $(cat args) >"$scratch/$name.console" 2>"$scratch/$name.stderr")
  else
    # On a terminal, as the case runner's console is: the progress line after every point (into
    # a file it comes once a second). stty keeps the line breaks as the program writes them.
    (cd "$work" && script -qec "stty -onlcr; exec '$kadre' $(cat args) 2>'$scratch/$name.stderr'" \
      /dev/null </dev/null >"$scratch/$name.console")
  fi
  status=$?
  set -e
  rm -rf "$dir/expected"
  mkdir -p "$dir/expected"
  cp "$scratch/$name.console" "$dir/expected/console.txt"
  echo "$status" >"$dir/expected/status"
  [ -s "$scratch/$name.stderr" ] && cp "$scratch/$name.stderr" "$dir/expected/stderr.txt"
  cp -R "$work/output/." "$dir/expected/"
  echo "$name: status $status, $(ls "$work/output" | wc -l) result file(s)"
done
