#!/usr/bin/env bash
# Runs the bundled example and says where its results went.
set -euo pipefail
kadre="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
cd "$(dirname "$0")/../examples/demo"
mkdir -p output
"$kadre" demo.nml
echo
echo "Results of the example are in $(pwd)/output/"
