#!/usr/bin/env bash
# Installs what the web page's build and its browser tests need, beyond
# scripts/install-deps.sh: Debian's emscripten (with node-acorn, which its
# 3.1.6 needs), chromium-headless-shell, and the npm packages pinned in
# web/package-lock.json (uPlot for the page, puppeteer-core for the tests).
# Runs apt-get and npm only for what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(emscripten node-acorn chromium-headless-shell)
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)

as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q "${missing[@]}"
fi

# npm ci when web/node_modules is missing or older than the lock file.
if [ ! -f web/node_modules/.package-lock.json ] || [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
  (cd web && npm ci --no-audit --no-fund)
fi
