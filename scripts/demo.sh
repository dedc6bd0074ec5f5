#!/usr/bin/env bash
# Builds eudcrestore, makes a sample backup, installs both into a scratch folder the way the tool
# ships, runs it against a fresh demo prefix and shows what happened.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="${EUDC_BUILD_DIR:-$root/build}"  # another build folder may be named
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target eudcrestore make_sample_backup tte_report >/dev/null

scratch="$(mktemp -d /tmp/eudc-demo-XXXXXX)"
tool="$scratch/tool"
mkdir -p "$tool"
cp -P "$build"/bin/eudcrestore "$build"/bin/libeudccore.so* "$build"/bin/libeudcplatform.so* "$tool/"
"$build/tools/backup_writer/make_sample_backup" "$tool/TQClient.tqb"
export WINEPREFIX="$scratch/prefix"
export EUDC_HOST_FONTS=0

echo "== backup: $tool/TQClient.tqb ($(stat -c %s "$tool/TQClient.tqb") bytes)"
echo "== prefix: $WINEPREFIX"
echo "== running: eudcrestore Date:demo-1"
set +e
"$tool/eudcrestore" "Date:demo-1"
status=$?
set -e
echo "== exit status: $status"
if [ -d "$WINEPREFIX" ]; then
  echo "== the prefix now holds:"
  (cd "$WINEPREFIX" && find . -type f | sort)
  echo "== TTE files:"
  find "$WINEPREFIX/drive_c" -iname '*.tte' -printf '   %p  %s bytes\n' | sed "s|$WINEPREFIX/||"
  echo "== font slots of the backup and the glyphs their TTE files now hold:"
  "$build/tools/tte_report/tte_report" "$tool/TQClient.tqb"
  if [ -f "$WINEPREFIX/user.reg" ]; then
    echo "== EUDC links (user.reg):"
    sed -n '/^\[EUDC\\\\950\]/,/^$/p' "$WINEPREFIX/user.reg"
  fi
else
  echo "== the prefix was not created (nothing was written)"
fi
echo "== scratch folder kept at $scratch"
