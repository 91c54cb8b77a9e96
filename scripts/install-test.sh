#!/usr/bin/env bash
# Install test: builds the Debian packages, extracts them into a temporary root (dpkg-deb -x),
# checks the layout (also against cmake --install) and the dependencies, builds examples/c against the installed cfedriver.pc
# and CMake package, and runs it, the Python example and cfecli from there against the
# installed satemu. Usage: scripts/install-test.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
dir=${1:-build}
bash scripts/package.sh "$dir" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
for deb in "$dir"/packages/*.deb; do dpkg-deb -x "$deb" "$root"; done

fail() { echo "install-test: $*" >&2; exit 1; }
ma=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
lib=$root/usr/lib/$ma
for f in usr/lib/$ma/libcfedriver.so.3 usr/lib/$ma/libcfedriver.so.3.0.0.4 usr/lib/$ma/libcfedriver.so \
  usr/include/cfedriver.h usr/include/cfedriver_export.h usr/include/cfedriver_funcoes.h usr/lib/$ma/pkgconfig/cfedriver.pc usr/lib/$ma/cmake/cfedriver/cfedriverConfig.cmake \
  usr/lib/$ma/cmake/cfedriver/cfedriverConfigVersion.cmake usr/lib/udev/rules.d/60-cfedriver.rules \
  usr/bin/cfetool usr/bin/cfecli usr/bin/satemu usr/share/applications/cfetool.desktop \
  usr/share/icons/hicolor/scalable/apps/cfetool.svg usr/share/man/man1/cfetool.1.gz \
  usr/share/man/man1/cfecli.1.gz usr/share/man/man1/satemu.1.gz; do
  [ -e "$root/$f" ] || fail "/$f is not in the packages"
done
objdump -p "$lib/libcfedriver.so.3" | grep -q 'SONAME *libcfedriver.so.3$' || fail "SONAME is not libcfedriver.so.3"
desktop-file-validate "$root/usr/share/applications/cfetool.desktop" || fail "cfetool.desktop is not valid"
rule=$root/usr/lib/udev/rules.d/60-cfedriver.rules
for want in 'ATTRS{idVendor}=="0525"' 'ATTRS{idProduct}=="a4a7"' 'GROUP="dialout"' 'MODE="0660"' 'SYMLINK+="sat%n"' \
  'ENV{ID_MM_DEVICE_IGNORE}="1"'; do
  grep '^SUBSYSTEM=="tty"' "$rule" | grep -qF "$want" || fail "the udev rule lacks $want"
done

# cmake --install lays out the same files as the packages (their four components; other parts
# of the tree may install files of their own).
for component in runtime dev tool emulator; do
  DESTDIR=$work/cmake-root cmake --install "$dir" --prefix /usr --component "$component" >/dev/null
done
diff <(cd "$root" && find . ! -type d | sort) <(cd "$work/cmake-root" && find . ! -type d | sort) \
  || fail "cmake --install and the packages lay out different files"

# Dependencies: computed from the binaries, plus the library for the programs that load it.
depends() { dpkg-deb -f "$dir"/packages/"$1"_*.deb Depends; }
depends libcfedriver3 | grep -q 'libc6' || fail "libcfedriver3 does not depend on libc6: $(depends libcfedriver3)"
depends libcfedriver3 | grep -q 'libstdc++6' || fail "libcfedriver3 does not depend on libstdc++6"
depends cfetool | grep -q 'libqt6widgets6' || fail "cfetool does not depend on Qt: $(depends cfetool)"
for p in cfetool cfedriver-utils libcfedriver-dev; do
  depends "$p" | grep -q 'libcfedriver3 (= 3.0.0.4)' || fail "$p does not depend on libcfedriver3: $(depends "$p")"
done

# The C example with its Makefile (pkg-config) and with find_package, against the installed
# files only.
cp -r "$src/examples/c" "$work/make"
PKG_CONFIG_SYSROOT_DIR=$root PKG_CONFIG_LIBDIR=$lib/pkgconfig make -s -C "$work/make" >/dev/null
cmake -S "$src/examples/c" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$root/usr" >/dev/null
cmake --build "$work/cmake" >/dev/null
satemu=$root/usr/bin/satemu
bash tests/examples/check_example.sh "$satemu" "$lib" "$work/make/consultar"
bash tests/examples/check_example.sh "$satemu" "$lib" "$work/cmake/consultar"
bash tests/examples/check_example.sh "$satemu" "$lib" python3 "$src/examples/python/consultar.py"

# cfecli from /usr/bin: nothing beside it, so it loads libcfedriver.so.3 from the library path.
reply=$(LD_LIBRARY_PATH=$lib bash tests/support/with-satemu.sh "$satemu" "$root/usr/bin/cfecli" ConsultarSAT 41)
[ "$reply" = "000041|08000|SAT em operação||" ] || fail "installed cfecli answered: $reply"
echo "install-test: packages install, the examples and cfecli run from the installed files"
