#!/usr/bin/env bash
# Renders a generated 600 s stereo file through the equalizer with `tunely play --output`, side
# by side with sox's `lowpass 80 bass +6 80` into the same 32-bit float format, in paired runs
# (the order alternating, so neither always finds the cache warm), and prints the medians, their
# ratio, both programs' CPU seconds, tunely's peak memory and the machine's load while it ran
# (the ratio means little on a busy machine); then the same render with --block-frames 512
# against the default block.
#   bench/render-vs-sox.sh [RUNS=11] [SECONDS=600]
set -euo pipefail
source "$(dirname "$0")/common.sh"
runs=${1:-11}
length=${2:-600}

build_tunely
make_device_root
echo "generating a ${length} s stereo 44.1 kHz 16-bit file..."
generate "$work/in.wav" "$length"

tunely_render=("$tunely" play --device-root "$device" "$work/in.wav" --output "$work/tunely.wav")
sox_render=(sox "$work/in.wav" -e floating-point -b 32 "$work/sox.wav" lowpass 80 bass +6 80)

: > "$work/tunely.txt"; : > "$work/sox.txt"; : > "$work/small.txt"; : > "$work/kib.txt"
: > "$work/tunely-cpu.txt"; : > "$work/sox-cpu.txt"
load_before=$(cut -d' ' -f1 /proc/loadavg)
run_tunely() {
  measure "${tunely_render[@]}"
  echo "$seconds" >> "$work/tunely.txt"; echo "$kib" >> "$work/kib.txt"; echo "$cpu" >> "$work/tunely-cpu.txt"
}
run_sox() {
  measure "${sox_render[@]}"
  echo "$seconds" >> "$work/sox.txt"; echo "$cpu" >> "$work/sox-cpu.txt"
}
for ((i = 0; i < runs; i++)); do
  if ((i % 2)); then
    run_sox; run_tunely
  else
    run_tunely; run_sox
  fi
  measure "${tunely_render[@]}" --block-frames 512; echo "$seconds" >> "$work/small.txt"
  printf '.'
done
echo

t=$(median < "$work/tunely.txt"); s=$(median < "$work/sox.txt"); b=$(median < "$work/small.txt")
k=$(median < "$work/kib.txt")
tc=$(median < "$work/tunely-cpu.txt"); sc=$(median < "$work/sox-cpu.txt")
load_after=$(cut -d' ' -f1 /proc/loadavg)
awk -v t="$t" -v s="$s" -v b="$b" -v k="$k" -v n="$runs" -v len="$length" -v tc="$tc" -v sc="$sc" \
    -v l0="$load_before" -v l1="$load_after" -v cores="$(nproc)" 'BEGIN {
  printf "%d paired runs, %d s of stereo audio, medians:\n", n, len
  printf "  tunely play --output          %6.3f s  (%.0f x real time)\n", t, len / t
  printf "  sox lowpass 80 bass +6 80     %6.3f s\n", s
  printf "  tunely / sox                  %6.2f   (target: at most 0.6)\n", t / s
  printf "  CPU seconds: tunely %.3f, sox %.3f\n", tc, sc
  printf "  tunely --block-frames 512     %6.3f s  (%.2f x the default block; target: at most 1.3)\n", b, b / t
  printf "  tunely peak memory            %6.1f MiB\n", k / 1024
  printf "  load average %.1f before, %.1f after, on %d cores\n", l0, l1, cores
}'
