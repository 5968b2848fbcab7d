#!/usr/bin/env bash
# Runs one Windows program under Wine for ctest: a Wine prefix inside the build tree (never ~/.wine),
# no Wine debug chatter, and a display (Xvfb is started by test.sh when there is none).
set -e
exe=$1; shift
build_dir=$(cd "$(dirname "$exe")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)
export WINEPREFIX=${WINEPREFIX:-$build_dir/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$exe" "$@"
