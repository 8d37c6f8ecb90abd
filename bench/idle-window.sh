#!/usr/bin/env bash
# The CPU an idle player costs: tunely plays live in a window on a virtual X server (Xvfb) with
# SDL's silent audio driver, a script pauses it after half a second, and the process's CPU time
# over the next 10 s is read from /proc. Also the same while playing, and with the equalizer
# panel, its options menu and its Save and Load dialogs open over the playing player, each left
# alone: what is drawn then is only what changes under them.
# Prints the figures; needs Xvfb and xdotool (bash scripts/install-deps.sh).
set -euo pipefail
source "$(dirname "$0")/common.sh"
need Xvfb
need xdotool
build_tunely

display=":$((60 + $$ % 30))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -S "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

sox -n -r 44100 -c 2 "$work/long.wav" synth 60 sine 220 >/dev/null

# CPU seconds the process has used so far (user + system), from /proc/PID/stat.
cpu_seconds() {
  local ticks
  ticks=$(awk '{print $14 + $15}' "/proc/$1/stat")
  echo "scale=3; $ticks / $(getconf CLK_TCK)" | bc
}

measure() {  # label, script
  printf '%s\n' "$2" >"$work/session.script"
  DISPLAY=$display SDL_AUDIODRIVER=dummy "$tunely" play --device-root "$work/device" "$work/long.wav" \
    --window --scale 1 --script "$work/session.script" >"$work/tunely.log" 2>&1 &
  local pid=$!
  sleep 2
  local before after
  before=$(cpu_seconds $pid)
  sleep 10
  after=$(cpu_seconds $pid)
  DISPLAY=$display xdotool search --name Tunely key ctrl+q >/dev/null 2>&1 || kill $pid
  wait $pid || true
  echo "$1: $(echo "scale=2; 100 * ($after - $before) / 10" | bc)% of one core over 10 s"
}

need bc
measure "paused player in a window" "0.5 tap play"
measure "playing player in a window" "# no steps"
measure "equalizer panel open over the playing player" "1.0 tap eq-button"
measure "options menu over the open panel" '0.6 tap eq-button
1.0 tap "Options"'
measure "save dialog over the open panel" '0.6 tap eq-button
1.0 tap "Options"
1.4 tap "Save"'
measure "load dialog over the open panel" '0.6 tap eq-button
1.0 tap "Options"
1.4 tap "Load"'

