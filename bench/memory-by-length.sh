#!/usr/bin/env bash
# Peak memory of `tunely play --output` for 60 s and 3600 s of stereo input: the player streams
# each track, so the two should be about the same.
#   bench/memory-by-length.sh [SHORT=60] [LONG=3600]
set -euo pipefail
source "$(dirname "$0")/common.sh"
short=${1:-60}
long=${2:-3600}

build_tunely
make_device_root
for length in "$short" "$long"; do
  echo "generating and rendering ${length} s of stereo audio..."
  generate "$work/in.wav" "$length"
  measure "$tunely" play --device-root "$device" "$work/in.wav" --output "$work/out.wav"
  echo "$kib" > "$work/kib-$length.txt"
  echo "  ${length} s: ${seconds} s wall"
  rm -f "$work/in.wav" "$work/out.wav"
done
awk -v a="$(cat "$work/kib-$short.txt")" -v b="$(cat "$work/kib-$long.txt")" -v s="$short" -v l="$long" 'BEGIN {
  printf "peak memory, %d s of input:  %6.1f MiB\n", s, a / 1024
  printf "peak memory, %d s of input: %6.1f MiB  (%+.1f%% against %d s; target: under 32 MiB and within 10%%)\n", l, b / 1024, 100 * (b - a) / a, s
}'
