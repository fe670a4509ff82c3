#!/usr/bin/env bash
# Installs the tool chain the project builds and tests with, when it is missing.
# A mirror may answer `apt-get update` with a partial failure; we retry and go on
# as soon as every needed package is installable.
set -u
PKGS=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 xvfb xauth xdotool
      imagemagick fonts-dejavu-core cmake ninja-build googletest libgtest-dev clang libclang-rt-14-dev g++ xxd)

missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

installable() {
  for p in "${missing[@]}"; do
    apt-cache show "$p" >/dev/null 2>&1 || return 1
  done
}

for attempt in 1 2 3 4 5; do
  $SUDO apt-get update -q >/dev/null 2>&1 || true
  installable && break
  echo "setup: package lists incomplete (attempt $attempt), retrying" >&2
  sleep $((attempt * 3))
done

for attempt in 1 2 3; do
  if $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"; then
    exit 0
  fi
  echo "setup: apt-get install failed (attempt $attempt), retrying" >&2
  sleep $((attempt * 5))
  $SUDO apt-get update -q >/dev/null 2>&1 || true
done
echo "setup: could not install: ${missing[*]}" >&2
exit 1
