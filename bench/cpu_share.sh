#!/usr/bin/env bash
# The game's share of one core in a real window under Xvfb: idle on the title menu, then walking in the field
# with an arrow key held down. Figures only.
#   bench/cpu_share.sh GAME WORLD [SECONDS]
# GAME is the built quorvath, WORLD a world folder; the game runs in a fresh folder that links to WORLD's media/
# and pict/, without sound (SDL's dummy audio driver), so no saved game is read or written in WORLD.
set -euo pipefail
game=$(realpath "$1")
world=$(realpath "$2")
seconds=${3:-5}

for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "cpu_share: $tool is not installed" >&2; exit 0; }
done

folder=$(mktemp -d /tmp/quorvath-cpu-XXXXXX)
ln -s "$world/media" "$folder/media"
ln -s "$world/pict" "$folder/pict"

# A free display for our own X server.
display=99
while [ -e "/tmp/.X${display}-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
game_pid=""
cleanup() {
  if [ -n "$game_pid" ]; then kill "$game_pid" 2>/dev/null || true; wait "$game_pid" 2>/dev/null || true; fi
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  rm -rf "$folder"
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 300); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

(cd "$folder" && SDL_AUDIODRIVER=dummy exec "$game") &
game_pid=$!
window=""
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name '^Quorvath$' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "cpu_share: the game window did not appear" >&2; exit 1; }
xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 1

ticks_per_second=$(getconf CLK_TCK)
# Core share of the game over the given seconds, from the user and system time in /proc/PID/stat.
share() {
  local before after
  before=$(awk '{print $14 + $15}' "/proc/$game_pid/stat")
  sleep "$seconds"
  after=$(awk '{print $14 + $15}' "/proc/$game_pid/stat")
  awk -v a="$before" -v b="$after" -v t="$ticks_per_second" -v s="$seconds" \
    'BEGIN { printf "%.1f%%", 100 * (b - a) / t / s }'
}

title=$(share)
# Row 1 of the title menu starts a new game; then the hero walks left. Keys are held long enough for the 80 ms
# frame clock to see them, through the focused window as a real keyboard would send them.
xdotool keydown Down sleep 0.25 keyup Down sleep 0.2 keydown v sleep 0.25 keyup v
sleep 1
xdotool keydown Left
walking=$(share)
# QUORVATH_CPU_SHOT=FILE keeps a picture of the window after the walk, to see that the hero did walk.
[ -n "${QUORVATH_CPU_SHOT:-}" ] && command -v import >/dev/null && import -window root "$QUORVATH_CPU_SHOT" || true
xdotool keyup Left
echo "cpu_share: one core's share over ${seconds} s: idle on the title ${title}, walking in the field ${walking}"
