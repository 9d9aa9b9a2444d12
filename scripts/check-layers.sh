#!/usr/bin/env bash
# The layer check: every include and every call follows the arrows of the layer diagram (its
# one place is the head of src/CMakeLists.txt), and every C++ file is formatted as
# .clang-format has it. Links the layers in BUILD (default build; configured as `make build`
# does when it is not yet).
# Usage: scripts/check-layers.sh [BUILD]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
cd "$root"

# What each folder of src/ may use, itself included.
layers="core init model evaluation output maps prep driver apps"
allowed() {
  case "$1" in
    core) echo "core" ;;
    init) echo "core init" ;;
    model) echo "core model" ;;
    evaluation) echo "core model evaluation" ;;
    output) echo "core output" ;;
    maps) echo "core init model output maps" ;;
    prep) echo "core init output prep" ;;
    driver) echo "core init model evaluation output driver" ;;
    apps) echo "driver maps prep apps" ;;
  esac
}
may_use() { grep -qw -- "$2" <<<"$(allowed "$1")"; }

status=0

# Includes: "layer/file.h" must name a layer the including folder may use; a name without a
# folder is the including folder's own.
include_status=0
for layer in $layers; do
  while IFS= read -r hit; do
    file=${hit%%:*}
    target=$(sed -E 's/.*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$hit")
    target_layer=$layer
    [[ "$target" == */* ]] && target_layer=${target%%/*}
    if ! may_use "$layer" "$target_layer"; then
      echo "$file includes \"$target\": $layer may use only: $(allowed "$layer")"
      include_status=1
    fi
  done < <(grep -rn --include='*.h' --include='*.cpp' --include='*.inl' \
    '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "src/$layer" || true)
done
[[ $include_status -eq 0 ]] && echo "Layers: every include follows the arrows."
status=$((status | include_status))

# The libraries' DEPENDS and links in src/CMakeLists.txt may not reach further than the
# arrows, or the links below would let a wrong-way call through.
depends_status=0
while read -r layer depends; do
  for dep in $depends; do
    [[ "$dep" == kadre_* ]] || continue
    if ! may_use "$layer" "${dep#kadre_}"; then
      echo "src/CMakeLists.txt: kadre_$layer links $dep: $layer may use only: $(allowed "$layer")"
      depends_status=1
    fi
  done
done < <(perl -0777 -ne '
  while (/kadre_layer\(\s*(\w+)((?:(?!SOURCES)[^)])*)/g) { print "$1 $2" =~ s/\s+/ /gr, "\n" }
  while (/target_link_libraries\(\s*kadre_(\w+)([^)]*)/g) { print "$1 $2" =~ s/\s+/ /gr, "\n" }' \
  src/CMakeLists.txt)
status=$((status | depends_status))

# Calls: every object of a layer linked with only the layers it may use (target layer_links);
# a call into another layer, even one declared by hand without its header, is left undefined.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! command -v cmake >/dev/null 2>&1; then
  echo "Links: cmake missing (scripts/install-deps.sh names what to install), not checked."
  status=1
else
  link_status=0
  {
    if [[ ! -f "$build/CMakeCache.txt" ]]; then  # configured as make build does
      launcher=()
      command -v ccache >/dev/null 2>&1 &&
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
      cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKADRE_WERROR=ON "${launcher[@]}"
    fi
    cmake --build "$build" --target layer_links -j "$(nproc 2>/dev/null || echo 2)"
  } >"$log" 2>&1 || link_status=1
  if [[ $link_status -eq 0 ]]; then
    echo "Links: every layer links with only the layers it may use."
  else
    # "plume_rise.cpp:(.text+0x1a): undefined reference to `kadre::read_sources(...)'"
    sed -nE "s/^([^: ]+\.(cpp|h|inl)):.*undefined reference to \`(.*)'$/\1 \3/p" "$log" |
      sort -u | while read -r file symbol; do
        path=$(find src -name "$file" | head -1)
        layer=$(cut -d/ -f2 <<<"${path:-src/?/}")
        echo "${path:-$file} calls $symbol, defined in no layer $layer may use: $(allowed "$layer")"
      done
    grep -q 'undefined reference' "$log" || tail -30 "$log"
    echo "Links: a layer does not link with only the layers it may use ($build, target layer_links)."
  fi
  status=$((status | link_status))
fi

# Formatting: every C++ file as .clang-format has it.
if command -v clang-format >/dev/null 2>&1; then
  if ! find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' -o -name '*.inl' \) -print0 |
    xargs -0 clang-format --dry-run --Werror 2>"$log"; then
    grep -E '^[^ ].*: (error|warning):' "$log" | cut -d: -f1 | sort -u |
      sed 's/$/: not formatted (clang-format -i)/'
    status=1
  else
    echo "Format: every C++ file as .clang-format has it."
  fi
else
  echo "Format: clang-format missing, not checked."
fi
exit $status
