#!/usr/bin/env bash
# Installs the Debian packages the build uses, when they are missing. Without the required
# ones nothing builds: run as root it installs them, otherwise it names them and fails. The
# optional ones only add parts (CMake leaves out what it does not find): run as root it
# installs them too, otherwise it names them in one line and goes on.
set -euo pipefail

have() { command -v "$1" >/dev/null 2>&1; }

required=()
have cmake || required+=(cmake)
have g++ || required+=(g++)
have make || required+=(make)
[ -f /usr/include/gtest/gtest.h ] || required+=(libgtest-dev)

# The optional packages, and each group's packages with what they add.
optional=()
groups=()
add_optional() {  # <what it adds> <package>...
  local what=$1
  shift
  optional+=("$@")
  groups+=("$* ($what)")
}
# Highway: the vector kernels.
[ -f /usr/include/hwy/highway.h ] || add_optional "vector kernels" libhwy-dev
# Open MPI: kadre also runs as several processes under mpirun.
mpi=()
have mpicxx || mpi+=(libopenmpi-dev)
have mpirun || mpi+=(openmpi-bin)
[ ${#mpi[@]} -eq 0 ] || add_optional "runs across processes" "${mpi[@]}"
# GDAL and cairo (found through pkg-config): kadre-map, the maps and GIS layers of the results.
maps=()
have gdal-config || maps+=(libgdal-dev)
[ -f /usr/include/cairo/cairo.h ] || maps+=(libcairo2-dev)
have pkg-config || maps+=(pkg-config)
[ ${#maps[@]} -eq 0 ] || add_optional "kadre-map" "${maps[@]}"
# Leaflet, embedded into the report of kadre-map --html when it is built.
[ -f /usr/share/javascript/leaflet/leaflet.js ] || add_optional "kadre-map --html" libjs-leaflet
# Headless Chromium driven by Selenium: the tests of the report in a real browser.
browser=()
have chromium || browser+=(chromium)
have chromedriver || browser+=(chromium-driver)
/usr/bin/python3 -c 'import selenium' >/dev/null 2>&1 || browser+=(python3-selenium)
[ ${#browser[@]} -eq 0 ] || add_optional "report tests in a browser" "${browser[@]}"
# clang with libFuzzer and its OpenMP runtime: the fuzz targets.
fuzz=()
have clang++ || fuzz+=(clang)
compgen -G '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null ||
  fuzz+=(libclang-rt-dev)
compgen -G '/usr/lib/llvm-*/lib/libomp.so' >/dev/null || fuzz+=(libomp-dev)
[ ${#fuzz[@]} -eq 0 ] || add_optional "make fuzz" "${fuzz[@]}"
# libnetcdf: result files named *.nc.
[ -f /usr/include/netcdf.h ] || add_optional "NetCDF result files" libnetcdf-dev
# Python 3 with pybind11, pandas and xarray: the Python module kadre (make python) and its tests.
py=()
have python3-config || py+=(python3-dev)
[ -f /usr/include/pybind11/pybind11.h ] || py+=(pybind11-dev)
for module in numpy pandas xarray pytest; do
  /usr/bin/python3 -c "import $module" >/dev/null 2>&1 || py+=("python3-$module")
done
[ ${#py[@]} -eq 0 ] || add_optional "Python module" "${py[@]}"
# clang-format: the format check of scripts/check-layers.sh.
have clang-format || add_optional "format check" clang-format

if [ "$(id -u)" -ne 0 ]; then
  if [ ${#optional[@]} -gt 0 ]; then
    list=$(printf '%s, ' "${groups[@]}")
    echo "Optional packages missing, left out: ${list%, }; to add: sudo apt-get install -y ${optional[*]}"
  fi
  if [ ${#required[@]} -gt 0 ]; then
    echo "Missing Debian packages: ${required[*]}" >&2
    echo "Install them with: sudo apt-get install -y ${required[*]}" >&2
    exit 1
  fi
  exit 0
fi

[ ${#required[@]} -gt 0 ] || [ ${#optional[@]} -gt 0 ] || exit 0
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
if [ ${#required[@]} -gt 0 ]; then
  echo "Installing missing Debian packages: ${required[*]}"
  apt-get install -y -qq "${required[@]}" >/dev/null
fi
# Group by group: a group that cannot be installed is left out, as for a user without root.
for group in "${groups[@]}"; do
  packages=${group% (*}
  echo "Installing missing optional Debian packages: $group"
  # shellcheck disable=SC2086 # the group's package names, split at blanks
  apt-get install -y -qq $packages >/dev/null || echo "Not installed, left out: $group"
done
