#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian/Ubuntu machine, skipping what is there.
# Safe to run again: a second run only checks.
set -euo pipefail

need_i386=1
packages=(
  cmake g++ ninja-build pkg-config python3
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  libgtest-dev googletest libpng-dev
  clang libclang-rt-14-dev
  wine wine32:i386 wine64 xvfb xauth x11-utils
  fonts-wqy-microhei fonts-wine locales
  icoutils imagemagick time
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  if [ "$need_i386" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The Chinese texts need a CJK locale to render in screenshots.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  if [ -f /etc/locale.gen ]; then
    "${sudo_cmd[@]}" sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
    "${sudo_cmd[@]}" locale-gen >/dev/null
  fi
fi
echo "install-deps: all present"
