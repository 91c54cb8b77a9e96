#!/usr/bin/env bash
# Cross-builds SAT.DLL and its tests for 64-bit Windows (build-win64/) and for 32-bit Windows
# (build-win32/) with Debian's mingw-w64 compilers, then checks what each DLL exports and
# imports: exactly the seventeen functions, by their plain names (no stdcall @N), and
# nothing but the system's own DLLs.
set -euo pipefail
cd "$(dirname "$0")/.."
for arch in x86_64 i686; do
  command -v $arch-w64-mingw32-g++-posix >/dev/null || {
    echo "build-windows: $arch-w64-mingw32-g++-posix is missing; run scripts/install-wine.sh" >&2; exit 1; }
done

# The names the table of functions declares, in its order.
expected=$(gcc -E -P -x c -I driver/include driver/cfedriver.map.in | grep -o '[A-Za-z][A-Za-z0-9_]*;' | tr -d ';' | sort)
[ "$(echo "$expected" | wc -l)" = 17 ] || { echo "build-windows: the table does not give 17 names" >&2; exit 1; }

check_dll() {
  local arch=$1 dll=$2 dump exported imported
  dump=$($arch-w64-mingw32-objdump -p "$dll")
  # The export table lists "[ordinal] name" lines after "[Ordinal/Name Pointer] Table".
  exported=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s+\[ *[0-9]+\] ' | awk '{print $NF}' | sort)
  if [ "$exported" != "$expected" ]; then
    echo "build-windows: $dll exports other names than the seventeen functions:" >&2
    diff <(echo "$expected") <(echo "$exported") >&2 || true
    exit 1
  fi
  imported=$(echo "$dump" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  for name in $imported; do
    case $name in
      kernel32.dll | user32.dll | advapi32.dll | msvcrt.dll | ntdll.dll | api-ms-win-*) ;;
      *) echo "build-windows: $dll needs $name, which Windows does not bring" >&2; exit 1 ;;
    esac
  done
  echo "$dll: exports the 17 functions; imports $(echo $imported)"
}

for bits in 64 32; do
  arch=$([ $bits = 64 ] && echo x86_64 || echo i686)
  dir=build-win$bits
  cmake -S . -B $dir -G Ninja --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$arch.cmake -DCFE_WINE_BITS=$bits -DCFE_BUILD_TOOL=OFF \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build $dir -j"$(nproc)"
  check_dll $arch $dir/bin/SAT.DLL
done
