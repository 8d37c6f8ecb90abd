#!/usr/bin/env bash
# What a long queue and a large preset store cost: peak memory of an offline render of a queue of
# many short tracks (against a queue of one), and the time and peak memory a session takes to
# open the panel, to open the load list, to delete one preset and to save one with a store of many
# presets (each against the same session with an empty store).
#   bench/scale.sh [TRACKS=10000] [PRESETS=100000]
set -euo pipefail
source "$(dirname "$0")/common.sh"
tracks=${1:-10000}
presets=${2:-100000}

build_tunely
make_device_root
data="$device/var/mobile/Library/Application Support/Tunely"

# The queue: one 0.05 s file named `tracks` times.
sox -n -r 44100 -c 2 -b 16 "$work/short.wav" synth 0.05 sine 440
queue=()
for ((i = 0; i < tracks; i++)); do queue+=("$work/short.wav"); done
measure "$tunely" play --device-root "$device" "$work/short.wav" --output "$work/out.wav"
one=$kib
measure "$tunely" play --device-root "$device" "${queue[@]}" --output "$work/out.wav"
echo "queue of $tracks tracks: peak memory $((kib / 1024)) MiB against $((one / 1024)) MiB for one" \
     "($(( (kib - one) * 1024 / tracks )) bytes a track), $seconds s"

# A store of `presets` presets as the player writes it, sorted names "Preset 000001" ...
store() {
  awk -v n="$1" 'BEGIN {
    print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    print "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"
    print "<plist version=\"1.0\">\n<dict>"
    for (i = 1; i <= n; i++) {
      printf "\t<key>Preset %06d</key>\n\t<dict>\n", i
      printf "\t\t<key>bassfreq</key>\n\t\t<string>80.000000</string>\n"
      printf "\t\t<key>bassgain</key>\n\t\t<string>0.500000</string>\n"
      printf "\t\t<key>bassintens</key>\n\t\t<string>3.000000</string>\n"
      printf "\t\t<key>filtbw</key>\n\t\t<string>5.000000</string>\n"
      printf "\t\t<key>filtfreq</key>\n\t\t<string>2222.000000</string>\n"
      printf "\t\t<key>filtgain</key>\n\t\t<string>%d.000000</string>\n", i % 24
      printf "\t\t<key>filttype</key>\n\t\t<string>2</string>\n\t</dict>\n"
    }
    print "</dict>\n</plist>"
  }'
}

# Scripts that stop at each stage: the panel open, the load list open, a preset deleted, a preset
# saved (from the panel alone).
cat > "$work/panel.script" <<'S'
0.1 tap eq-button
S
cat > "$work/list.script" <<'S'
0.1 tap eq-button
0.1 tap "Options"
0.1 tap "Load"
S
cat > "$work/delete.script" <<'S'
0.1 tap eq-button
0.1 tap "Options"
0.1 tap "Load"
0.1 delete "Preset 000001"
S
cat > "$work/save.script" <<'S'
0.1 tap eq-button
0.1 tap "Options"
0.1 tap "Save"
0.1 type nameField "Preset 100001"
0.1 tap "Save"
S
sox -n -r 44100 -c 2 -b 16 "$work/tenth.wav" synth 0.3 sine 440

run() {  # run SCRIPT: sets seconds and kib of a session with it
  measure "$tunely" play --device-root "$device" --script "$work/$1.script" "$work/tenth.wav" --output "$work/out.wav"
}
printf '%s\n' '<?xml version="1.0" encoding="UTF-8"?>' '<plist version="1.0"><dict/></plist>' > "$data/presets.plist"
run panel; base_s=$seconds base_k=$kib base_c=$cpu
store "$presets" > "$work/store.plist"
size=$(stat -c %s "$work/store.plist")
echo "store of $presets presets: $((size / 1024 / 1024)) MiB ($size bytes)"
for stage in panel list delete save; do
  cp "$work/store.plist" "$data/presets.plist"
  run "$stage"
  # A stage that did nothing would measure nothing.
  case $stage in
    delete) ! grep -q '<key>Preset 000001</key>' "$data/presets.plist" ||
              { echo "$0: the deletion did not happen" >&2; exit 1; } ;;
    save) grep -q '<key>Preset 100001</key>' "$data/presets.plist" ||
            { echo "$0: the save did not happen" >&2; exit 1; } ;;
  esac
  # On a shared machine the processor time (user + system) says more than the wall time.
  awk -v s="$seconds" -v b="$base_s" -v c="$cpu" -v bc="$base_c" -v k="$kib" -v bk="$base_k" -v f="$size" \
      -v st="$stage" 'BEGIN {
    printf "  %-6s %5.2f s (%+.2f s against an empty store; processor %+.2f s), peak memory %6.1f MiB (%+.1f MiB, %.2f x the file)\n",
      st, s, s - b, c - bc, k / 1024, (k - bk) / 1024, (k - bk) * 1024 / f }'
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
