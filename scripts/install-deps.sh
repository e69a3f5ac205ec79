#!/usr/bin/env bash
# Installs the Debian 12 packages Veltrona builds and tests with (as root, or through sudo).
set -euo pipefail
packages=(build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev libhpdf-dev
          libgtest-dev libgmock-dev poppler-utils clang-format)
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
