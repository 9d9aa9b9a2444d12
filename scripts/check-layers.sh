#!/usr/bin/env bash
# Fails on an include that runs against the layers' arrows:
#   driver (src/*) -> evaluation -> model -> core;  driver -> init -> core;  driver -> output -> core
#   maps (kadre-map) -> init, output -> core
set -euo pipefail
cd "$(dirname "$0")/../src"

allowed() {
  case "$1" in
    core) echo "core" ;;
    init) echo "core init" ;;
    model) echo "core model" ;;
    evaluation) echo "core model evaluation" ;;
    output) echo "core output" ;;
    maps) echo "core init output maps" ;;
  esac
}

status=0
for layer in core init model evaluation output maps; do
  while IFS= read -r hit; do
    file=${hit%%:*}
    target=$(sed -E 's/.*#include "([^"]*)".*/\1/' <<<"$hit")
    target_layer=${target%%/*}
    [[ "$target" == */* ]] || target_layer=driver
    if ! grep -qw -- "$target_layer" <<<"$(allowed "$layer")"; then
      echo "src/$file includes \"$target\": $layer may use only: $(allowed "$layer")"
      status=1
    fi
  done < <(grep -rn --include='*.h' --include='*.cpp' --include='*.inl' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$layer" || true)
done
[[ $status -eq 0 ]] && echo "Layers: every include follows the arrows."

# Formatting: every C++ file as .clang-format has it.
cd ..
if command -v clang-format >/dev/null 2>&1; then
  if ! find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' -o -name '*.inl' \) -print0 |
      xargs -0 clang-format --dry-run --Werror 2>/tmp/kadre-format.$$; then
    grep -E '^[^ ].*: (error|warning):' /tmp/kadre-format.$$ | cut -d: -f1 | sort -u |
      sed 's/$/: not formatted (clang-format -i)/'
    status=1
  else
    echo "Format: every C++ file as .clang-format has it."
  fi
  rm -f /tmp/kadre-format.$$
else
  echo "Format: clang-format missing, not checked."
fi
exit $status
