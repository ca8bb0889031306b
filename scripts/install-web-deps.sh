#!/usr/bin/env bash
# Installs what the web page's build and its browser tests need, through
# scripts/install-deps.sh (with its packages): Debian's emscripten (with node-acorn, which its
# 3.1.6 needs), chromium-headless-shell, and the npm packages pinned in
# web/package-lock.json (uPlot for the page, puppeteer-core for the tests).
# Runs apt-get and npm only for what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(emscripten node-acorn chromium-headless-shell)
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)
scripts/install-deps.sh "${packages[@]}"

# npm ci when web/node_modules is missing or older than the lock file.
if [ ! -f web/node_modules/.package-lock.json ] || [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
  (cd web && npm ci --no-audit --no-fund)
fi
