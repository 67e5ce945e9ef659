#!/usr/bin/env bash
# Installs what is missing, builds the application in build/ and starts it. Arguments are
# passed on to the application.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target quinzelbrockat --parallel "$(nproc)"
exec build/src/app/quinzelbrockat "$@"
