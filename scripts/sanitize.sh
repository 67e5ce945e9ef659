#!/usr/bin/env bash
# Builds everything with clang under AddressSanitizer (with its leak check) and UBSan in
# build-sanitize/ and runs all tests offscreen. Every report of a sanitizer, also one from a
# program that a test starts, fails the run and is listed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/ordnerpruefung.sh
bash scripts/setup.sh

ordner="$PWD/build-sanitize"
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# A report ends its program with a non-zero exit, which fails its test (or the build, when the
# test discovery hits it). The reports stay in the output: the crash test interposes libc's file
# calls, which a sanitizer's log file would reach before the sanitizer is set up.
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_string_checks=1"
# Leaks inside system libraries only; the file says why each one is there. Its path is quoted:
# the sanitizers end an unquoted value at a blank, "," or ":".
export LSAN_OPTIONS="suppressions='$PWD/scripts/sanitize-leaks.supp':print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

cmake -S . -B "$ordner" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  "${launcher[@]}" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
  -DQB_TESTS=ON -DQB_BENCHMARKS=OFF -DQB_FUZZ=OFF
cmake --build "$ordner" --parallel "$(nproc)"

status=0
(cd "$ordner" && ctest --output-on-failure --parallel "$(nproc)" --timeout 900) || status=$?

# The tour walks every view with real fetches from a program without the test server, whose
# library would set up the TLS library early: an order of start and exit no test program has.
bilder=$(mktemp -d)
rundgang="$ordner/rundgang.log"
"$ordner/tour/quinzelbrockat_tour" "$bilder" >"$rundgang" 2>&1 || status=$?
rm -rf "$bilder"

# Also a report that did not fail its test, such as one from a program a test started.
protokoll="$ordner/Testing/Temporary/LastTest.log"
muster='^==[0-9]+==(ERROR|WARNING): (Address|Leak|UndefinedBehavior)Sanitizer|: runtime error: '
berichte=0
for datei in "$protokoll" "$rundgang"; do
  if [ -f "$datei" ]; then
    anzahl=$(grep -cE "$muster" "$datei" || true)
    if [ "$anzahl" -gt 0 ]; then
      grep -nE "$muster" "$datei" >&2
    fi
    berichte=$((berichte + anzahl))
  fi
done
echo "Sanitizer-Berichte: $berichte"
if [ "$berichte" -gt 0 ] && [ "$status" -eq 0 ]; then
  status=1
fi
exit "$status"
