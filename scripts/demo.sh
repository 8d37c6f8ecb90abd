#!/usr/bin/env bash
# Builds tunely and Lowtide.dylib, then plays the built-in demo song through the equalizer in a
# session that scripts/demo.script works: the song starts flat, the equalizer panel opens over
# the player, a low pass muffles the song, the bass boost comes in, a bright high shelf follows,
# and the panel closes (saving the last state). In a window on the sound device where there is
# a display and a sound device; otherwise rendered offline into build/demo/demo-through-tunely.wav.
# Either way the session's screenshots of the player and of the open panel land in build/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/demo
jobs=${JOBS:-$(nproc)}

echo "=== building ==="
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUNELY_TESTS=OFF -DTUNELY_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" >/dev/null
echo "built $build/tunely"

# A fresh demo device root each time, so every run starts flat and sounds the same.
root="$build/device"
rm -rf "$root"
rm -f "$build"/*.png

echo "=== playing the demo song (Ctrl-C, Ctrl-Q or closing the window stops) ==="
status=0
"$build/tunely" play --device-root "$root" --script scripts/demo.script || status=$?
if [ "$status" -eq 69 ]; then  # no sound device
  out="$build/demo-through-tunely.wav"
  rm -rf "$root"
  echo "=== no sound device: rendering the demo session offline into $out ==="
  "$build/tunely" play --device-root "$root" --script scripts/demo.script --output "$out"
  echo "Listen to $out: flat until 4 s, a low pass from 4 s, the bass boost from 8 s, a high shelf from 14 s."
elif [ "$status" -ne 0 ]; then
  exit "$status"
fi
echo "Screenshots: $build/player.png (the player), $build/panel.png (the panel open over it),"
echo "             $build/player-after.png (the player after the panel closed)."
echo "The panel saved its last state in $root/var/mobile/Library/Application Support/Tunely/last.plist."
