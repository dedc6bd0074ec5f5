#!/usr/bin/env bash
# Installs the build into a scratch prefix, then builds and runs the client in client/: it finds
# the package with find_package(eudccore), touches every export of the umbrella header from C++
# (and those with C linkage from C), and compiles every installed header on its own.
set -euo pipefail
build="$1"
here="$(cd "$(dirname "$0")" && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
inst="$scratch/inst"
fail() {
  echo "install check: $*" >&2
  exit 1
}
cmake --install "$build" --prefix "$inst" >/dev/null
test -x "$inst/bin/eudcrestore"
test -f "$inst/include/eudccore/eudccore.h"
readelf -d "$inst/bin/eudcrestore" | grep -q 'RUNPATH.*\$ORIGIN:\$ORIGIN/../lib'
# One platform per process: the program defines none of the platform's functions itself.
test -f "$inst/lib/libeudcplatform.so.0"
if nm -D --defined-only "$inst/bin/eudcrestore" | grep -E ' T .*(GetLastError|CreateFile|RegOpenKey|EnableEUDC)'; then
  fail "eudcrestore defines platform functions of its own"
fi
test -f "$inst/lib/libeudcfoundation.a" || fail "the foundation library is not installed"
test ! -e "$inst/include/eudccore/platform/testing.h" || fail "the platform's test interface is installed"

# Every installed library header is in the umbrella and has its section in the client; those with
# C linkage are also used by the C client.
client="$scratch/client"
cp -r "$here/client" "$client"
for header in "$inst"/include/eudccore/*.h; do
  name="eudccore/$(basename "$header")"
  [ "$name" = eudccore/eudccore.h ] && continue
  grep -q "^#include \"$name\"" "$inst/include/eudccore/eudccore.h" || fail "the umbrella header lacks $name"
  grep -qF "$name" "$client/main.cpp" || fail "$name has no section in tests/install/client/main.cpp"
  if grep -q 'extern "C"' "$header"; then
    grep -qF "$name" "$client/main.c" || fail "$name declares C exports that tests/install/client/main.c does not use"
  fi
done

# Each installed header compiles alone, as a client includes it (C headers also as C).
mkdir "$client/headers"
n=0
while IFS= read -r header; do
  n=$((n + 1))
  echo "#include <${header#"$inst/include/"}>" >"$client/headers/h$n.cpp"
  if grep -q 'extern "C"' "$header"; then cp "$client/headers/h$n.cpp" "$client/headers/h$n.c"; fi
done < <(find "$inst/include" -name '*.h' | sort)

cmake -S "$client" -B "$client/build" -DCMAKE_PREFIX_PATH="$inst" >/dev/null
cmake --build "$client/build" >/dev/null
# On an empty workstation, which the client's calls must leave as it was.
export WINEPREFIX="$scratch/workstation" EUDC_HOST_FONTS=0
LD_LIBRARY_PATH="$inst/lib" "$client/build/client" || fail "the C++ client failed"
LD_LIBRARY_PATH="$inst/lib" "$client/build/cclient" || fail "the C client failed"
test ! -e "$WINEPREFIX" || fail "the client's calls wrote to the workstation"
# The client data kept on a workstation of its own, and found there again.
WINEPREFIX="$scratch/client-data" LD_LIBRARY_PATH="$inst/lib" "$client/build/client_data_round_trip" ||
  fail "the client data round trip failed"
test -s "$scratch/client-data/drive_c/windows/system32/client.dat" || fail "no client data file in the system folder"

# Every function and object the library exports is one the clients refer to (constructors and
# destructors of each kind count as one; vtables and type information come with their classes).
exported="$(nm -DC --defined-only "$inst/lib/libeudccore.so" | cut -d' ' -f3- |
  grep -Ev '^(_init|_fini|vtable for |typeinfo for |typeinfo name for |VTT for |(non-)?virtual thunk to )' | sort -u)"
used="$(for program in client cclient; do nm -DC --undefined-only "$client/build/$program"; done |
  sed -E 's/^ *U //; s/@.*$//' | sort -u)"
missing="$(comm -23 <(echo "$exported") <(echo "$used"))"
[ -z "$missing" ] || fail "exports that tests/install/client does not touch:
$missing"
echo "install check passed"
