#!/usr/bin/env bash
# Builds the Debian package from a plain build folder and checks it: its contents, the libraries
# it depends on, and a render by the packaged tunely equal to the build's. Where it may change
# the machine (CI, or TUNELY_INSTALL_PACKAGE=1, as root) the package is installed with apt-get,
# as a user would install it, the render is made by /usr/bin/tunely, and the package is purged
# again; elsewhere the package is unpacked into a temporary folder and run from there.
# Argument: the plain build folder.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rm -f "$build"/tunely_*.deb
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$build"/tunely_*.deb)
echo "built $(basename "$deb")"
dpkg-deb --field "$deb" Depends | tee "$work/depends"
for library in libsndfile1 libplist3 libsdl2 libcairo2 libpango; do
  grep -q "$library" "$work/depends" || { echo "the package does not depend on $library"; exit 1; }
done

mkdir -p "$work/run"
printf '0.5 tap eq-button\n1.0 switch powerSwitch on\n1.0 switch bassSwitch on\n1.5 tap "Done"\n' \
  >"$work/run/session.script"
render() {  # tunely, device root, output
  (cd "$work/run" && "$1" play --device-root "$2" --script session.script --no-window --output "$3") \
    >"$work/render.log" 2>&1 || { cat "$work/render.log"; exit 1; }
}
render "$build/tunely" "$work/build-root" "$work/built.wav"

if [ "$(id -u)" -eq 0 ] && { [ "${CI:-}" = true ] || [ "${TUNELY_INSTALL_PACKAGE:-}" = 1 ]; }; then
  if [ "$(dpkg-query -W -f='${Status}' tunely 2>/dev/null)" = "install ok installed" ]; then
    echo "a tunely package is already installed here: not replacing it"; exit 1
  fi
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; exit 1; }
  trap 'DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq tunely >/dev/null 2>&1; rm -rf "$work"' EXIT
  packaged=/usr/bin/tunely
  echo "installed with apt-get"
else
  dpkg-deb -x "$deb" "$work/unpacked"
  packaged="$work/unpacked/usr/bin/tunely"
  echo "unpacked into a temporary folder (set CI=true or TUNELY_INSTALL_PACKAGE=1 as root to install it)"
fi
render "$packaged" "$work/package-root" "$work/packaged.wav"
cmp "$work/built.wav" "$work/packaged.wav" || { echo "the packaged tunely rendered other bytes"; exit 1; }
echo "the packaged tunely renders the same bytes as the build's"
