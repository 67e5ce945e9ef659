#!/usr/bin/env bash
# Installs what is missing, builds the application in build/ and starts it. Arguments are
# passed on to the application.
set -euo pipefail
cd "$(dirname "$0")/.."

# Without a display the program could only refuse to start: say so before installing and
# building for it, with the program's own message and under the program's own conditions.
anzeige="${QT_QPA_PLATFORM:-}${DISPLAY:-}${WAYLAND_DISPLAY:-}"
for argument in "$@"; do
  if [ "$argument" = "-platform" ] || [ "$argument" = "--platform" ]; then
    anzeige=ja
  fi
done
if [ -z "$anzeige" ]; then
  echo "Quinzelbrockat braucht eine grafische Oberfläche, findet aber keine: Weder DISPLAY noch WAYLAND_DISPLAY ist gesetzt. Bitte in einer Desktop-Sitzung starten oder ohne Bildschirm mit „xvfb-run -a“ davor." >&2
  exit 1
fi

bash scripts/ordnerpruefung.sh
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target quinzelbrockat --parallel "$(nproc)"
exec build/src/app/quinzelbrockat "$@"
