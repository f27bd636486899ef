#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need. With --clang it also
# installs what the instrumented build needs (scripts/test-sanitizers.sh, scripts/fuzz.sh): clang,
# its sanitizer and libFuzzer runtimes, and llvm-symbolizer for readable reports. With --package,
# what building and checking the Debian package needs (scripts/package.sh, package-check.sh).
# Safe to run again: it asks apt only for what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-charts-dev qt6-serialport-dev qt6-tools-dev libqt6uitools6 libsqlite3-dev qt6-serialbus-dev libmosquitto-dev mosquitto
  openssl
  libqt6opengl6-dev libgl-dev libglx-dev libxkbcommon-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils xdotool imagemagick fonts-dejavu-core
  procps python3 ser2net tzdata
)
for option in "$@"; do
  case "$option" in
    --clang) packages+=(clang libclang-rt-dev llvm) ;;
    --package) packages+=(dpkg-dev fakeroot file gzip xz-utils lintian desktop-file-utils appstream systemd) ;;
    *) echo "setup.sh: unknown option $option" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
