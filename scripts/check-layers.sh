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
exit $status
