#!/usr/bin/env bash
# Counts the icons of a 2 GiB file (a real module followed by zeros, kept sparse) and prints the
# wall time and peak memory: the count must read only the pages that hold the module's headers
# and resources.
set -euo pipefail
cd "$(dirname "$0")/.."
module=${1:-/usr/lib/i386-linux-gnu/wine/i386-windows/shell32.dll}
cli=build/native/cli/iconextract
[ -x "$cli" ] || { cmake --preset native >/dev/null && cmake --build build/native -j"$(nproc)" --target iconextract; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$module" "$work/huge.dll"
truncate -s 2G "$work/huge.dll"
start=$(date +%s%N)
count=$(/usr/bin/time -f '%M' -o "$work/time" "$cli" count "$work/huge.dll")
end=$(date +%s%N)
echo "2 GiB file: $count icons in $(( (end - start) / 1000000 )) ms, peak RSS $(cat "$work/time") KiB"
