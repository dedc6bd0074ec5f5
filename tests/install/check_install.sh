#!/usr/bin/env bash
# Installs the build into a scratch prefix, then builds and runs a client that finds the library
# with find_package(eudccore) and links eudccore::eudccore.
set -euo pipefail
build="$1"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build" --prefix "$scratch/inst" >/dev/null
test -x "$scratch/inst/bin/eudcrestore"
test -f "$scratch/inst/include/eudccore/eudccore.h"
readelf -d "$scratch/inst/bin/eudcrestore" | grep -q 'RUNPATH.*\$ORIGIN:\$ORIGIN/../lib'
# One platform per process: the program defines none of the platform's functions itself.
test -f "$scratch/inst/lib/libeudcplatform.so.0"
if nm -D --defined-only "$scratch/inst/bin/eudcrestore" | grep -E ' T .*(GetLastError|CreateFile|RegOpenKey|EnableEUDC)'; then
  echo "eudcrestore defines platform functions of its own" >&2
  exit 1
fi
mkdir -p "$scratch/client"
cat > "$scratch/client/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(client CXX)
set(CMAKE_CXX_STANDARD 20)
find_package(eudccore REQUIRED)
add_executable(client main.cpp)
target_link_libraries(client PRIVATE eudccore::eudccore)
CMAKE
cat > "$scratch/client/main.cpp" <<'CPP'
#include <eudccore/eudccore.h>
int main() {
    AS400_2_Code converter(0);
    return converter.NHC(0) == 0xC241 && GetNewTteData(nullptr) > 0 ? 0 : 1;
}
CPP
cmake -S "$scratch/client" -B "$scratch/client/build" -DCMAKE_PREFIX_PATH="$scratch/inst" >/dev/null
cmake --build "$scratch/client/build" >/dev/null
LD_LIBRARY_PATH="$scratch/inst/lib" "$scratch/client/build/client"
echo "install check passed"
