#!/usr/bin/env bash
# Installs what is needed, builds, and runs the program's main job over a fresh copy of the demo
# working directory (build/run), so the repository stays clean: the shipped upload is stored and
# reported, a baton on the virtual upload station is downloaded, and a night-shift overview drawn.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc)"
cmake --build build --target demo-dir
cli=$PWD/build/app/cli/veltrona-cli
cd build/run
set -x
"$cli" store Raw.txt
"$cli" upload --virtual-station baton.txt --wire-log wire.log
"$cli" overview --site Alpha --from 2026-12-10 --to 2026-12-11 --night
{ set +x; } 2>/dev/null
echo "Reports, day files and logs written under build/run:"
find . -type f -newer Veltrona.ini | sort
