#!/usr/bin/env bash
# Installs what is missing, builds everything in build/ and runs all tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/ordnerpruefung.sh
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc)"
cd build
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
