#!/usr/bin/env bash
# Installs what is needed, builds, and runs the program's main job over a fresh copy of the demo
# working directory (build/run), so the repository stays clean.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc)"
cmake --build build --target demo-dir
./build/app/cli/veltrona-cli -C build/run store build/run/Raw.txt
echo "Reports written under build/run:"
find build/run -newer build/run/Veltrona.ini -type f | sort
