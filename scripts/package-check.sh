#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh), unpacks it into a scratch root and checks it as
# installed: the window starts under Xvfb from the installed files until its multiplexer window
# shows, keeping its settings in the configuration home; korvo answers --help; korvo-serve.service
# and its settings file are in place and systemd-analyze passes the unit; lintian checks the
# package, desktop-file-validate the desktop entry and appstreamcli the AppStream metadata.
# Prints the package size and the time taken.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
start=$(date +%s)
deb="$(bash "$root/scripts/package.sh" | tail -n 1)"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch/root"
usr="$scratch/root/usr"
fail=0
check() {  # name, command...
  local name="$1"; shift
  if "$@"; then echo "ok    $name"; else echo "FAIL  $name"; fail=1; fi
}

# The installed program has no layouts beside it: it reads them from usr/share/korvo-km-scope and
# keeps its settings in $XDG_CONFIG_HOME/korvo-km-scope, which it creates.
shown() {
  local out
  out="$(XDG_CONFIG_HOME="$scratch/config" KORVO_EXIT_AFTER_SHOW=1 timeout 60 \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$usr/bin/korvo-km-scope" 2>"$scratch/window.log")" || true
  [ "$out" = "shown" ] || { sed 's/^/      /' "$scratch/window.log"; return 1; }
  [ -d "$scratch/config/korvo-km-scope" ]
}
check "installed korvo-km-scope shows its multiplexer window" shown
check "korvo --help" bash -c '"$1" --help >/dev/null' _ "$usr/bin/korvo"
check "korvo-sim --help" bash -c '"$1" --help >/dev/null' _ "$usr/bin/korvo-sim"
check "desktop-file-validate" desktop-file-validate "$usr/share/applications/korvo-km-scope.desktop"
# appstreamcli fails on warnings too; only its errors (E:) fail the check, the rest is shown.
appstream() {
  local out
  out="$(appstreamcli validate --no-net "$usr/share/metainfo/korvo-km-scope.metainfo.xml" 2>&1)" || true
  sed -n 's/^\([EWI]\): /      \1: /p' <<<"$out"
  ! grep -q '^E:' <<<"$out"
}
if command -v appstreamcli >/dev/null 2>&1; then
  check "appstreamcli validate (no errors)" appstream
fi

# korvo-serve.service: the unit and its settings file where systemd and the administrator look, the
# settings kept by dpkg as a conffile and readable by root only, maintainer scripts that parse and
# never enable or start the service (its ports must be set first).
dpkg-deb -e "$deb" "$scratch/control"
unit="$scratch/root/lib/systemd/system/korvo-serve.service"
check "korvo-serve.service in /lib/systemd/system" test -f "$unit"
check "/etc/default/korvo-serve, mode 0640" \
  bash -c '[ "$(stat -c %a "$1")" = 640 ]' _ "$scratch/root/etc/default/korvo-serve"
check "conffiles lists /etc/default/korvo-serve" \
  grep -qx /etc/default/korvo-serve "$scratch/control/conffiles"
check "postinst, prerm, postrm pass sh -n" bash -c 'for f; do sh -n "$f" || exit 1; done' _ \
  "$scratch/control/postinst" "$scratch/control/prerm" "$scratch/control/postrm"
check "postinst neither enables nor starts korvo-serve" \
  bash -c '! grep -v "^ *#" "$1" | grep -Eqw "enable|start|--now"' _ "$scratch/control/postinst"
# systemd-analyze reports every fault in the unit; the one it is allowed is that /usr/bin/korvo is
# not on this machine (it is in the scratch root only).
unit_verifies() {
  local out
  out="$(systemd-analyze verify --man=no "$unit" 2>&1)" || true
  if [ ! -x /usr/bin/korvo ]; then
    out="$(grep -v '^korvo-serve.service: Command /usr/bin/korvo is not executable' <<<"$out")" || true
  fi
  [ -z "$out" ] || { sed 's/^/      /' <<<"$out"; return 1; }
}
check "systemd-analyze verify korvo-serve.service" unit_verifies
# lintian prints every tag it finds; only errors fail the check.
check "lintian (no errors)" lintian --info --fail-on error "$deb"

echo "package: $deb ($(du -k "$deb" | cut -f1) KiB; installed $(du -sk "$scratch/root" | cut -f1) KiB)"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
echo "time: $(( $(date +%s) - start )) s"
exit $fail
