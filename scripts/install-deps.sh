#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need (only those missing).
# wine makes the real prefixes the end-to-end tests run on; mingw-w64 builds the probe that asks
# Wine the same Win32 questions as the layer; fontTools writes fonts the way other tools do; clang
# builds the sanitizer suite and the fuzz programs.
set -euo pipefail
packages=(g++ cmake make pkg-config gzip libgtest-dev libgmock-dev googletest libbenchmark-dev
          libfreetype-dev libfontconfig-dev opentype-sanitizer
          wine g++-mingw-w64-x86-64-posix python3-fonttools clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
