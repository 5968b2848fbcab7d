#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: native unit tests (also under
# ASan+UBSan), the Windows tests under Wine on Xvfb (32- and 64-bit), and each fuzz target for a
# short bounded time on its seed corpus. Exits non-zero when anything failed.
#   FUZZ_SECONDS=N   time per fuzz target (default 20)
#   PRESETS="..."    the presets to build and test (default: all)
set -uo pipefail
cd "$(dirname "$0")"
root=$PWD
presets=${PRESETS:-"native asan win32 win64 fuzz"}
fuzz_seconds=${FUZZ_SECONDS:-20}
jobs=$(nproc)

./scripts/install-deps.sh || { echo "test.sh: installing dependencies failed"; exit 1; }
source ./scripts/display.sh

failures=()
summary=()
total_passed=0
total_failed=0

step() {  # step NAME COMMAND...: runs a command, remembers a failure, goes on.
  local name=$1; shift
  echo "=== $name"
  if ! "$@"; then failures+=("$name"); return 1; fi
}

build() {
  local preset=$1
  cmake --preset "$preset" >/dev/null && cmake --build "build/$preset" -j"$jobs"
}

run_ctest() {
  local preset=$1 log
  log=$(mktemp)
  (cd "build/$preset" && ctest --output-on-failure -j"$jobs" --timeout 600) 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -1)
  summary+=("$preset: $line")
  if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    total_failed=$((total_failed + BASH_REMATCH[1]))
    total_passed=$((total_passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  else
    total_failed=$((total_failed + 1))  # ctest did not even report: count it as a failure
  fi
  rm -f "$log"
  return "$rc"
}

prepare_wine_prefix() {
  # One prefix per build tree, made once; later runs reuse it.
  local prefix=$root/build/$1/wineprefix
  if [ ! -f "$prefix/system.reg" ]; then
    WINEPREFIX=$prefix WINEDEBUG=-all wineboot -i >/dev/null 2>&1
    WINEPREFIX=$prefix wineserver -w
  fi
}

run_fuzzers() {
  local dir=build/fuzz/tests/fuzz corpus=build/fuzz/corpus rc=0
  "$dir/make_fuzz_seeds" build/fuzz/seeds >/dev/null || return 1
  for target in pe ne icon_file save render; do
    mkdir -p "$corpus/$target"
    if "$dir/fuzz_$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 \
        "$corpus/$target" "build/fuzz/seeds/$target" >"build/fuzz/fuzz_$target.log" 2>&1; then
      echo "fuzz_$target: clean, $(grep -Eo 'Done [0-9]+ runs' "build/fuzz/fuzz_$target.log")"
    else
      echo "fuzz_$target: FAILED"; tail -40 "build/fuzz/fuzz_$target.log"; rc=1
    fi
  done
  summary+=("fuzz: $([ $rc = 0 ] && echo "5 targets clean for ${fuzz_seconds}s each" || echo "a target failed")")
  return $rc
}

for preset in $presets; do
  step "build $preset" build "$preset" || continue
  case $preset in
    native|asan) step "test $preset" run_ctest "$preset" ;;
    win32|win64) prepare_wine_prefix "$preset"; step "test $preset" run_ctest "$preset" ;;
    fuzz) step "fuzz" run_fuzzers ;;
  esac
done

echo
echo "=== summary"
for line in "${summary[@]}"; do echo "$line"; done
[ ${#failures[@]} -gt 0 ] && echo "failed steps: ${failures[*]}"
echo "total: $total_passed passed, $total_failed failed"
[ ${#failures[@]} -eq 0 ] || exit 1
