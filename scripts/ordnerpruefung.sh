#!/usr/bin/env bash
# Stops with a message when the path of the folder it is called in (the checkout) holds a
# character the build cannot take, before anything is installed, set up or built. CMake refuses
# "#" in the output of a custom command (the floor check's) and already fails its compiler check
# at ";", its list separator. Ninja 1.11 ends a path in the compiler's dependency file at each of
# the others: its record then names no file, so that every build compiles everything again and
# the floor check refuses every object. Blanks, umlauts and the rest of the printable characters
# work; tests/OrdnernamenTest.cmake builds in such a folder.
set -euo pipefail

ordner="$PWD"
gefunden=()
for zeichen in '#' ';' '&' "'" '"' '\' '`' '*' '?' '<' '>' '|' '^'; do
  if [[ "$ordner" == *"$zeichen"* ]]; then
    gefunden+=("„$zeichen“")
  fi
done
if [[ "$ordner" =~ [[:cntrl:]] ]]; then
  gefunden+=("ein Steuerzeichen (etwa Tabulator oder Zeilenumbruch)")
fi
if [ ${#gefunden[@]} -eq 0 ]; then
  exit 0
fi

aufzaehlung="${gefunden[0]}"
for ((i = 1; i < ${#gefunden[@]}; i++)); do
  if [ "$i" -eq $((${#gefunden[@]} - 1)) ]; then
    aufzaehlung+=" und ${gefunden[$i]}"
  else
    aufzaehlung+=", ${gefunden[$i]}"
  fi
done
echo "Quinzelbrockat lässt sich in diesem Ordner nicht bauen: Sein Pfad „$ordner“ enthält $aufzaehlung. Mit # ; & ' \" \\ \` * ? < > | ^ oder einem Steuerzeichen im Pfad kommen CMake und Ninja nicht zurecht. Bitte den betroffenen Ordner umbenennen oder das Projekt an einen Ort verschieben, dessen Pfad keines dieser Zeichen enthält, und den Befehl dort erneut aufrufen." >&2
exit 1
