#!/usr/bin/env bash
# Installs what is missing, builds the window, korvo and the virtual sensor (not the tests),
# starts a group of virtual sensors on COM1..COM16 and starts the program on them. Without a
# display it runs under Xvfb, writes a screenshot of the multiplexer window and says where.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
bash "$root/scripts/setup.sh"
BUILD_DIR="$build" bash "$root/scripts/build.sh" korvo-km-scope korvo korvo-sim
bin="$build/bin"

# Sixteen virtual sensors: several models, and one of a sibling series on COM4 that the program
# must refuse.
sim_log="$build/korvo-sim.log"
# For the line monitor: P5..P16 held at their taught value (in tolerance), P9 well above it, P7
# silent after connecting (stale); P1..P3 keep their moving edges.
line_edges=""
for p in 5 6 8 10 11 12 13 14 15 16; do line_edges="$line_edges --edges $p:2500:$((3661 + p))"; done
line_edges="$line_edges --edges 9:2500:3900"
"$bin/korvo-sim" --count 16 --first-com 1 --map "$bin/COMPORTS.map" \
  --model 1:80:318 --model 2:250:318 --model 104:21000:316 --model 1:80:318 --model 102:500:316 \
  --id KORVO-KM --id KORVO-KM --id KORVO-KM --id KORVO-GX --id KORVO-KM \
  $line_edges --silent 7 >"$sim_log" 2>&1 &
sim_pid=$!
cleanup() { kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; }
trap cleanup EXIT
for _ in $(seq 50); do
  [ "$(grep -c '^COM' "$sim_log" 2>/dev/null || true)" -ge 16 ] && break
  sleep 0.1
done
echo "Virtual sensors:"; sed 's/^/  /' "$sim_log"

if [ -n "${DISPLAY:-}" ]; then
  "$bin/korvo-km-scope"
else
  shot="$build/multiplexer.png"
  shot2="$build/scope.png"
  shot3="$build/run.png"
  shot4="$build/video.png"
  shot5="$build/line.png"
  # Under Xvfb: a screenshot of the multiplexer window, then INIT of group 1 and the scope toggle
  # of P3 (clicked at their places in the window), a screenshot of the scope window on it, then
  # RUN for a few seconds and VIDEO for a few seconds, each with a screenshot.
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    "$1/korvo-km-scope" & app=$!
    sleep 4
    import -window root "$2"
    win=$(xdotool search --name "Multiplexer" | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool mousemove $((X + 386)) $((Y + 421)) click 1; sleep 2
    xdotool mousemove $((X + 208)) $((Y + 168)) click 1; sleep 5
    import -window root "$3"
    scope=$(xdotool search --name "^KORVO-KM-Scope V" | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$scope")"
    xdotool mousemove $((X + 405)) $((Y + 82)) click 1; sleep 3
    import -window root "$4"
    xdotool mousemove $((X + 733)) $((Y + 82)) click 1; sleep 1
    xdotool mousemove $((X + 487)) $((Y + 82)) click 1; sleep 3
    import -window root "$5"
    xdotool mousemove $((X + 733)) $((Y + 82)) click 1; sleep 1
    win=$(xdotool search --name "Multiplexer" | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool mousemove $((X + 58)) $((Y + 521)) click 1; sleep 8
    import -window root "$6"
    kill $app; wait $app 2>/dev/null || true' _ "$bin" "$shot" "$shot2" "$shot3" "$shot4" "$shot5"
  echo "No display: ran the program under Xvfb."
  echo "Screenshot of the multiplexer window: $shot"
  echo "Screenshot after INIT and the scope toggle of P3: $shot2"
  echo "Screenshots of run mode and video mode on that sensor: $shot3, $shot4"
  echo "Screenshot of the line monitor (LINE) over the group: $shot5"
fi
