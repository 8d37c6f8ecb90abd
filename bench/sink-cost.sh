#!/usr/bin/env bash
# What `tunely sink --no-window` costs: 60 s of 48 kHz stereo played into it through a private
# headless PipeWire (a null sink, no sound card), with the equalizer's settings on. Prints the
# sink process's CPU seconds per second of audio, and the latency it adds, measured: clicks
# played into the sink reach the null sink's left channel through it, and the same clicks reach
# its right channel straight from the player, in the same recording (quantum 1024 frames).
# Usage: bench/sink-cost.sh [BUILD_DIR [SINK_OPTION...]]   (default build/plain; e.g. --no-limiter)
set -euo pipefail
build=${1:-build/plain}
shift || true
tunely=$(realpath "$build/tunely")
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work/runtime PIPEWIRE_RUNTIME_DIR=$work/runtime HOME=$work/home
mkdir -p "$XDG_RUNTIME_DIR" "$HOME" && chmod 700 "$XDG_RUNTIME_DIR"
cat > "$work/pipewire.conf" <<'CONF'
context.properties = { default.clock.rate = 48000 default.clock.quantum = 1024 core.daemon = true
  core.name = pipewire-0 mem.allow-mlock = false log.level = 1 }
context.spa-libs = { audio.convert.* = audioconvert/libspa-audioconvert support.* = support/libspa-support }
context.modules = [ { name = libpipewire-module-protocol-native } { name = libpipewire-module-metadata }
  { name = libpipewire-module-spa-node-factory } { name = libpipewire-module-client-node }
  { name = libpipewire-module-adapter } { name = libpipewire-module-link-factory }
  { name = libpipewire-module-access } { name = libpipewire-module-session-manager } ]
context.objects = [
  { factory = spa-node-factory args = { factory.name = support.node.driver node.name = Dummy-Driver
    node.group = pipewire.dummy priority.driver = 20000 } }
  { factory = adapter args = { factory.name = support.null-audio-sink node.name = null-sink
    media.class = Audio/Sink audio.position = [ FL FR ] node.driver = true priority.driver = 30000 } } ]
CONF
pipewire -c "$work/pipewire.conf" >"$work/pipewire.log" 2>&1 & pids+=($!)
dbus-run-session -- sh -c "echo \$\$ > '$work/wp.pid'; exec wireplumber" >"$work/wp.log" 2>&1 & pids+=($!)
for _ in $(seq 50); do pw-cli ls Node 2>/dev/null | grep -q '"null-sink"' && [ -s "$work/wp.pid" ] && break; sleep 0.2; done
pids=("$(cat "$work/wp.pid")" "${pids[@]}")

root=$work/device
mkdir -p "$root/var/mobile/Library/Application Support/Tunely"
cat > "$root/var/mobile/Library/Application Support/Tunely/last.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict>
<key>bassfreq</key><string>80.000000</string><key>bassgain</key><string>0.800000</string>
<key>bassintens</key><string>2.000000</string><key>filtbw</key><string>5.000000</string>
<key>filtfreq</key><string>2222.000000</string><key>filtgain</key><string>6.000000</string>
<key>filttype</key><string>2</string></dict></plist>
PLIST
sox -n -r 48000 -c 2 -b 32 -e float "$work/noise.wav" synth 60 pinknoise vol 0.5

"$tunely" sink --no-window --device-root "$root" --target null-sink "$@" >"$work/sink.log" 2>&1 & sink=$!
pids=("$sink" "${pids[@]}")
for _ in $(seq 50); do grep -q "The graph runs at" "$work/sink.log" && break; sleep 0.2; done
sleep 2.5  # the last state is in force
ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$sink/stat"; }
before=$(cpu)
pw-play --target tunely "$work/noise.wav" &
play=$!
sleep 2
wait "$play"
after=$(cpu)
echo "CPU per audio second: $(echo "scale=5; ($after - $before) / $ticks / 60" | bc) s (60 s of 48 kHz stereo)"
# The latency: one player plays clicks into the sink (left channel) and, through a second link
# of its left output, straight into the null sink's right channel. Both arrive in one recording
# of the null sink, so the distance between a click on the right and the same click on the left
# is what the sink adds, whatever the recorder's and the player's own delays.
# Clicks every half second from 1 s on, in the left channel only (sox reads them as text).
awk 'BEGIN { print "; Sample Rate 48000"; print "; Channels 2"
             for (i = 0; i < 6 * 48000; i++) printf "%.8f %s 0\n", i / 48000, (i >= 48000 && i % 24000 == 0) ? "0.5" : "0" }' \
  > "$work/clicks.dat"
sox "$work/clicks.dat" -b 32 -e float "$work/clicks.wav"
pw-record --target null-sink -P '{ stream.capture.sink=true }' --format f32 --rate 48000 --channels 2 \
  "$work/heard.wav" & recorder=$!
pids=("$recorder" "${pids[@]}")
sleep 1
pw-play --target tunely -P '{ node.name = tunely-bench-clicks }' "$work/clicks.wav" & play=$!
for _ in $(seq 50); do
  pw-link tunely-bench-clicks:output_FL null-sink:playback_FR 2>/dev/null && break
  sleep 0.1
done
wait "$play"
sleep 1
kill -INT "$recorder"; wait "$recorder" || true
# Onsets: the first frame over 0.05 after a tenth of a second of quiet, per channel; each click
# on the right is paired with the first one on the left at or after it.
sox -V1 "$work/heard.wav" -t dat - | awk '
  /^;/ { next }
  { for (c = 0; c < 2; c++) if (($(c + 2) > 0.05 || $(c + 2) < -0.05)) { if (n - last[c] > 4800) onset[c, count[c]++] = n; last[c] = n }
    n++ }
  BEGIN { last[0] = last[1] = -1e9 }
  END {
    j = 0; low = 1e9; high = -1; pairs = 0
    for (i = 0; i < count[1]; i++) {
      while (j < count[0] && onset[0, j] < onset[1, i]) j++
      if (j == count[0]) break
      d = onset[0, j] - onset[1, i]; pairs++
      if (d < low) low = d; if (d > high) high = d
    }
    if (pairs == 0) { print "Latency added: not measured (no click came both ways)"; exit 1 }
    printf "Latency added: %d to %d frames = %.1f to %.1f ms at 48 kHz, quantum 1024 (%d clicks)\n",
      low, high, low * 1000 / 48000, high * 1000 / 48000, pairs
  }'
