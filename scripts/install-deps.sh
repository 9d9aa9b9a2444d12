#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing.
set -euo pipefail

need=()
command -v cmake >/dev/null 2>&1 || need+=(cmake)
command -v g++ >/dev/null 2>&1 || need+=(g++)
command -v make >/dev/null 2>&1 || need+=(make)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
# Open MPI: kadre also runs as several processes under mpirun (built when CMake finds it).
command -v mpicxx >/dev/null 2>&1 || need+=(libopenmpi-dev)
command -v mpirun >/dev/null 2>&1 || need+=(openmpi-bin)
# GDAL and cairo: kadre-map, the maps and GIS layers of the results (built when CMake finds them).
command -v gdal-config >/dev/null 2>&1 || need+=(libgdal-dev)
[ -f /usr/include/cairo/cairo.h ] || need+=(libcairo2-dev)
command -v pkg-config >/dev/null 2>&1 || need+=(pkg-config)
# Highway: the vector kernels (built when CMake finds it).
[ -f /usr/include/hwy/highway.h ] || need+=(libhwy-dev)
# clang with libFuzzer and its OpenMP runtime: the fuzz targets (make fuzz).
command -v clang++ >/dev/null 2>&1 || need+=(clang)
compgen -G '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null || need+=(libclang-rt-dev)
compgen -G '/usr/lib/llvm-*/lib/libomp.so' >/dev/null || need+=(libomp-dev)
# libgomp comes with g++; its development files with libgcc's dev package.
if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages: ${need[*]}" >&2
  echo "Install them with: sudo apt-get install -y ${need[*]}" >&2
  exit 1
fi
echo "Installing missing Debian packages: ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${need[@]}" >/dev/null
