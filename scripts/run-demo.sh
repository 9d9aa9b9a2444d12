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
  # The demo's coordinates are read as UTM zone 33N, so that the report is a geographic map.
  html=(--html)
  for config in demo.nml hourly.nml; do
    "$map" "$config" --crs EPSG:32633 "${html[@]}" ||
      { html=(); "$map" "$config" --crs EPSG:32633; }
  done
fi
# A study from the GIS files of examples/gis (GeoJSON sources, a DEM in longitude/latitude,
# CSV tables): kadre-prep writes it, kadre runs it, kadre-map maps it in the study's system.
prep="$(dirname "$kadre")/kadre-prep"
if [ -x "$prep" ]; then
  echo
  echo "== A study from GIS data (kadre-prep, examples/gis) =="
  (
    cd ../gis
    "$prep" --out study --crs EPSG:32633 --sources sources.geojson --dem dem.asc --cell 50 \
      --fill-nodata --receptors grid:300 --margin 1500 --receptors receptors.csv \
      --area-cell 20 --pollutant-class 2 --rose rose.csv --met met.csv \
      --profile TRF=traffic.csv --climate ../demo/input/climate.txt
    cd study
    "$kadre" run.nml
    if [ -x "$map" ]; then "$map" run.nml --indicator ave --indicator max "${html[@]}"; fi
  )
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
  if [ ${#html[@]} -gt 0 ]; then
    echo "Study reports (open in a browser): $(pwd)/output/demo.html"
    echo "                                   $(pwd)/output/hourly.html"
  fi
fi
if [ -x "$prep" ]; then
  echo "The study from GIS data is in $(cd ../gis/study && pwd)/ (run.nml, input/, output/)."
fi
