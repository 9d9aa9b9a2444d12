#!/usr/bin/env bash
# Runs the bundled examples and says where their results went.
set -euo pipefail
kadre="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
cd "$(dirname "$0")/../examples/demo"
mkdir -p output
echo "== Statistical evaluation (demo.nml) =="
"$kadre" demo.nml
echo
echo "== Hourly evaluation (hourly.nml) =="
"$kadre" hourly.nml
map="$(dirname "$kadre")/kadre-map"
if [ -x "$map" ]; then
  echo
  echo "== Maps and GIS layers (kadre-map) =="
  "$map" demo.nml
  "$map" hourly.nml
fi
echo
echo "Results of the examples are in $(pwd)/output/:"
echo "  stats.csv                              statistical indicators of every reference point"
echo "  hourly.csv, avg_hourly.csv, max_hourly.csv  hourly table, mean and maximum per point"
echo "  limits_hourly.csv                      the hourly results against the limit values"
echo "  summary_demo.csv, summary_hourly.csv   where the maximum of every column lies"
if [ -x "$map" ]; then
  echo "  demo.gpkg, hourly.gpkg, *.tif, *.png  GIS layers, rasters and maps of every indicator"
  echo "Map of the long-term average: $(pwd)/output/demo_ave.png"
  echo "Map of the hourly maximum:    $(pwd)/output/hourly_max.png"
fi
