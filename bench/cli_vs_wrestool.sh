#!/usr/bin/env bash
# Saves every icon group of a large module with `iconextract save-all` and with icoutils'
# `wrestool -x -t14`, alternately, in the same run; prints the median wall times, their ratio, and
# the peak memory (maximum resident set size) of each.
#   bench/cli_vs_wrestool.sh [MODULE] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
module=${1:-/usr/lib/i386-linux-gnu/wine/i386-windows/shell32.dll}
runs=${2:-11}
cli=build/native/cli/iconextract
[ -x "$cli" ] || { cmake --preset native >/dev/null && cmake --build build/native -j"$(nproc)" --target iconextract; }
command -v wrestool >/dev/null || { echo "wrestool (icoutils) is not installed"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

measure() {  # measure OUT_DIR COMMAND...: prints "milliseconds kilobytes"
  local out=$1; shift
  rm -rf "$out"; mkdir -p "$out"
  local start end
  start=$(date +%s%N)
  /usr/bin/time -f '%M' -o "$work/time" "$@" >/dev/null 2>&1
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000 )) $(cat "$work/time")" | awk '{printf "%.1f %s\n", $1 / 1000, $2}'
}

median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

: >"$work/ours"; : >"$work/theirs"
for _ in $(seq "$runs"); do
  measure "$work/a" "$cli" save-all "$module" "$work/a" >>"$work/ours"
  measure "$work/b" wrestool -x -t14 -o "$work/b" "$module" >>"$work/theirs"
done
ours_t=$(cut -d' ' -f1 "$work/ours" | median); ours_m=$(cut -d' ' -f2 "$work/ours" | median)
theirs_t=$(cut -d' ' -f1 "$work/theirs" | median); theirs_m=$(cut -d' ' -f2 "$work/theirs" | median)
groups=$(ls "$work/a" | wc -l)
echo "module: $module ($groups icon groups, $runs runs each)"
echo "iconextract save-all: median ${ours_t} ms, peak RSS ${ours_m} KiB"
echo "wrestool -x -t14:     median ${theirs_t} ms, peak RSS ${theirs_m} KiB"
awk -v a="$ours_t" -v b="$theirs_t" 'BEGIN { if (b > 0) printf "ratio (ours / wrestool): %.3f\n", a / b; else print "ratio: wrestool too fast to time" }'
