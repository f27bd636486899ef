#!/usr/bin/env bash
# Builds the Debian package of the program, korvo and korvo-sim into ./build-package (override
# with PACKAGE_BUILD_DIR) and prints its path on the last line. The build uses Debian's own
# hardening flags and builds only what the package holds. Install it with
#   sudo apt install ./build-package/korvo-km-scope_*.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${PACKAGE_BUILD_DIR:-$root/build-package}"
bash "$root/scripts/setup.sh" --package

if [ ! -f "$build/CMakeCache.txt" ]; then
  gen=()
  command -v ninja >/dev/null 2>&1 && gen=(-G Ninja)
  # CMAKE_SKIP_INSTALL_ALL_DEPENDENCY: installing (and so cpack) does not build the tests.
  CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  LDFLAGS="$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now" \
    cmake -S "$root" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
fi
cmake --build "$build" -j"$(nproc)" \
  --target korvo-km-scope korvo korvo-sim korvo_layouts korvo_install_data
rm -f "$build"/korvo-km-scope_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/korvo-km-scope_*.deb
