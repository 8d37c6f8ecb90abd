#!/usr/bin/env bash
# Builds tunely and Lowtide.dylib, then plays the built-in demo song through the equalizer, in a
# demo device root whose last state turns the bass boost up. The saved state is loaded 2.0 s after
# the player sets up its controls, so the first two seconds play flat and the rest boosted; the
# summary compares the levels going into and coming out of the equalizer.
# On the sound device when there is one, otherwise into build/demo/demo-through-tunely.wav.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/demo
jobs=${JOBS:-$(nproc)}

echo "=== building ==="
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUNELY_TESTS=OFF -DTUNELY_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" >/dev/null
echo "built $build/tunely"

root="$build/device"
data="$root/var/mobile/Library/Application Support/Tunely"
mkdir -p "$data"
# Bass x2 (+6 dB) below about 90 Hz against x0.5 above, and a 3 dB high shelf from 2222 Hz.
cat > "$data/last.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>bassgain</key>
	<string>0.500000</string>
	<key>bassfreq</key>
	<string>80.000000</string>
	<key>bassintens</key>
	<string>3.000000</string>
	<key>filtgain</key>
	<string>3.000000</string>
	<key>filtfreq</key>
	<string>2222.000000</string>
	<key>filtbw</key>
	<string>5.000000</string>
	<key>filttype</key>
	<string>2</string>
</dict>
</plist>
PLIST
echo "demo device root $root: last state with the bass boost turned up"

echo "=== playing the demo song (Ctrl-C stops) ==="
status=0
"$build/tunely" play --device-root "$root" || status=$?
if [ "$status" -eq 69 ]; then  # no sound device
  out="$build/demo-through-tunely.wav"
  echo "=== no sound device: rendering the demo song through the equalizer into $out ==="
  "$build/tunely" play --device-root "$root" --output "$out"
  echo "Listen to $out (the bass boost starts at 2.0 s)."
elif [ "$status" -ne 0 ]; then
  exit "$status"
fi
