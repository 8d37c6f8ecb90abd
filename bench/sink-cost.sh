#!/usr/bin/env bash
# What `tunely sink --no-window` costs: 60 s of 48 kHz stereo played into it through a private
# headless PipeWire (a null sink, no sound card), with the equalizer's settings on. Prints the
# sink process's CPU seconds per second of audio and the latency it adds at the graph's quantum
# (1024 frames here).
# Usage: bench/sink-cost.sh [BUILD_DIR]   (default build/plain)
set -euo pipefail
build=${1:-build/plain}
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

"$tunely" sink --no-window --device-root "$root" --target null-sink >"$work/sink.log" 2>&1 & sink=$!
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
# The filtered block is queued in the cycle it came in and the null sink, the driver, takes it
# at the next: the sink adds one quantum, and the equalizer itself none (it works sample by
# sample, with no look-ahead).
echo "Latency added: at most one quantum, 1024 frames = $(echo "scale=1; 1024 * 1000 / 48000" | bc) ms"
