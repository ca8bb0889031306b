#!/bin/sh
# Builds the web page (preset web, build-web/web/) for the browser tests in
# the source folder given; skipped (77) where emcc or uPlot is not installed
# (scripts/install-web-deps.sh installs both).
set -e
cd "$1"
if ! command -v emcc >/dev/null 2>&1; then
  echo "skipped: no emcc (scripts/install-web-deps.sh installs emscripten)"
  exit 77
fi
if [ ! -f web/node_modules/uplot/dist/uPlot.iife.min.js ]; then
  echo "skipped: no web/node_modules (scripts/install-web-deps.sh runs npm ci in web/)"
  exit 77
fi
cmake --preset web >/dev/null
cmake --build --preset web
