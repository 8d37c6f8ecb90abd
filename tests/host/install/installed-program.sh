#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that the installed tunely stands on its
# own: run from another folder, in a private mount namespace where the source and build folders
# are hidden under empty mounts, it renders the same bytes as the build's tunely.
# Arguments: the build folder, the source folder.
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >"$work/install.log"
for file in bin/tunely lib/tunely/Lowtide.dylib lib/tunely/tunely-curve share/tunely/resources/eqView.plist \
            share/applications/tunely.desktop share/icons/hicolor/scalable/apps/tunely.svg \
            share/doc/tunely/README.md; do
  [ -e "$work/prefix/$file" ] || { echo "not installed: $file"; exit 1; }
done
# Debug information records where the sources were compiled; nothing else may name the folders.
for binary in "$work/prefix/bin/tunely" "$work/prefix/lib/tunely/"*; do
  objcopy --strip-debug "$binary" "$work/stripped"
  if strings -a "$work/stripped" | grep -F -e "$build" -e "$source"; then
    echo "$binary names the build or source folder (above)"
    exit 1
  fi
done

# Reference: the build's own tunely renders the demo song with a low pass and the bass boost.
mkdir -p "$work/run"
options=(--script "$work/run/session.script" --no-window)
printf '0.5 tap eq-button\n1.0 switch powerSwitch on\n1.0 switch bassSwitch on\n1.5 tap "Done"\n' \
  >"$work/run/session.script"
"$build/tunely" play --device-root "$work/build-root" "${options[@]}" --output "$work/built.wav" \
  >"$work/built.log" 2>&1 || { cat "$work/built.log"; exit 1; }
"$build/tunely" curve --filttype 0 --filtfreq 1000 -o "$work/built.csv" >>"$work/built.log" 2>&1 ||
  { cat "$work/built.log"; exit 1; }

# The installed one, where neither folder can be reached.
hide() {
  if [ "$(id -u)" -eq 0 ]; then unshare --mount --propagation private "$@"
  else unshare --mount --map-root-user --propagation private "$@"; fi
}
hide bash -c '
  set -e
  mount -t tmpfs empty "$1"
  [ "$2" = "$1" ] || [ ! -d "$2" ] || mount -t tmpfs empty "$2"
  cd "$3/run"
  "$3/prefix/bin/tunely" play --device-root "$3/installed-root" --script session.script \
    --no-window --output installed.wav
  "$3/prefix/bin/tunely" curve --filttype 0 --filtfreq 1000 -o installed.csv' hide "$source" "$build" "$work" >"$work/installed.log" 2>&1 ||
  { cat "$work/installed.log"; exit 1; }

if ! cmp "$work/built.wav" "$work/run/installed.wav"; then
  echo "the installed tunely rendered other bytes than the build's"
  exit 1
fi
if ! cmp "$work/built.csv" "$work/run/installed.csv"; then
  echo "the installed tunely curve wrote another curve than the build's"
  exit 1
fi
echo "installed tunely: same render and curve as the build's, with the build and source folders hidden"
