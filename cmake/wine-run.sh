#!/usr/bin/env bash
# Runs one Windows program under Wine for ctest: a Wine prefix inside the build tree (never ~/.wine),
# no Wine debug chatter, and a display (Xvfb is started by test.sh when there is none).
#
# Now and then Wine fails to load the program at all: its loader falls back to start.exe, which
# prints a "ShellExecuteEx" failure on stdout and exits with 1 (seen once in a CI run, with an
# internal error, on a test program that passes on every other run). The program never ran, so
# running it again hides no failure of its own; anything else is passed on as it is.
set -uo pipefail
exe=$1; shift
build_dir=$(cd "$(dirname "$exe")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)
export WINEPREFIX=${WINEPREFIX:-$build_dir/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

stdout_copy=$(mktemp)
trap 'rm -f "$stdout_copy"' EXIT
attempts=3
for attempt in $(seq "$attempts"); do
  # stdout goes to a file that is followed as it grows, not through a pipe: Wine's own helper
  # processes inherit stdout and may outlive the program, which would hold a pipe open.
  : >"$stdout_copy"
  wine "$exe" "$@" >"$stdout_copy" &
  program=$!
  trap 'kill "$program" 2>/dev/null' INT TERM  # a background job would not get the signal itself
  tail -n +1 -s 0.2 --pid="$program" -f "$stdout_copy" &
  follower=$!
  wait "$program"
  status=$?
  wait "$follower"
  if [ "$status" = 0 ] || ! grep -q ShellExecuteEx "$stdout_copy"; then exit "$status"; fi
  echo "wine-run.sh: Wine could not start $(basename "$exe") (attempt $attempt of $attempts)" >&2
  sleep 2
done
exit "$status"
