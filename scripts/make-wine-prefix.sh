#!/usr/bin/env bash
# Makes a fresh Wine prefix with Wine's own wineboot, as a user would, for the tests to copy.
#   scripts/make-wine-prefix.sh <folder>     (the folder is replaced)
set -euo pipefail
dest="${1:?usage: make-wine-prefix.sh <folder>}"
for tool in wineboot wineserver wine; do
  command -v "$tool" >/dev/null || { echo "make-wine-prefix: $tool not found (install the Debian package wine)" >&2; exit 1; }
done
rm -rf "$dest"
export WINEPREFIX="$dest" WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
wineboot -i >/dev/null 2>&1 || { echo "make-wine-prefix: wineboot -i failed" >&2; exit 1; }
wineserver -w
for f in system.reg user.reg drive_c/windows/system32; do
  [ -e "$dest/$f" ] || { echo "make-wine-prefix: $dest/$f is missing after wineboot" >&2; exit 1; }
done
touch "$dest/.eudc-template-ready"
