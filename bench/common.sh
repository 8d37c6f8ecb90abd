# Shared by the benchmark scripts: the built tunely, a device root whose last state turns the
# equalizer on, test files generated with sox, and wall time and peak memory of one run.
# Sourced, not run.

bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD:-$bench_root/build/bench}
work=${WORK:-$(mktemp -d "${TMPDIR:-/tmp}/tunely-bench-XXXXXX")}
trap 'rm -rf "$work"' EXIT

need() {
  command -v "$1" >/dev/null || { echo "$0: needs $1 (bash scripts/install-deps.sh)" >&2; exit 1; }
}
need sox
[ -x /usr/bin/time ] || { echo "$0: needs GNU time (/usr/bin/time)" >&2; exit 1; }

# Builds tunely in $BUILD (an existing build folder keeps its settings).
build_tunely() {
  [ -f "$build/CMakeCache.txt" ] ||
    cmake -S "$bench_root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUNELY_TESTS=OFF \
      -DTUNELY_BENCH=OFF >/dev/null
  cmake --build "$build" -j "${JOBS:-2}" --target tunely >/dev/null
  tunely=$build/tunely
}

# A device root whose last state turns the bass boost and a high shelf on (loaded 2.0 s in, as
# the player's controls do).
make_device_root() {
  device=$work/device
  local data="$device/var/mobile/Library/Application Support/Tunely"
  mkdir -p "$data"
  cat > "$data/last.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>bassgain</key><string>0.500000</string>
	<key>bassfreq</key><string>80.000000</string>
	<key>bassintens</key><string>3.000000</string>
	<key>filtgain</key><string>3.000000</string>
	<key>filtfreq</key><string>2222.000000</string>
	<key>filtbw</key><string>5.000000</string>
	<key>filttype</key><string>2</string>
</dict>
</plist>
PLIST
}

# generate FILE SECONDS: a 16-bit stereo 44.1 kHz file with bass, mids and noise, different in
# each channel, like a CD track.
generate() {
  sox -c 3 -r 44100 -n -b 16 "$1" synth "$2" sine 55 sine 220 pinknoise \
    remix 1,2v0.4,3v0.2 2v0.5,1,3v0.2 gain -12
}

# measure COMMAND...: sets `seconds` (wall), `cpu` (user + system seconds) and `kib` (peak
# resident memory) of one run.
measure() {
  /usr/bin/time -f "%e %M %U %S" -o "$work/time.txt" "$@" >/dev/null 2>&1 ||
    { echo "$0: failed: $*" >&2; exit 1; }
  local user system
  read -r seconds kib user system < "$work/time.txt"
  cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
