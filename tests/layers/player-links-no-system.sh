#!/usr/bin/env bash
# The player reaches the system only through the Lowtide.dylib it loads: its executable defines
# none of the system's code or variables, so there is no second, silent copy of the engine that
# host code could write to. Argument: the tunely executable.
set -euo pipefail
symbols=$(nm -C --defined-only "$1" | grep -E ' (lowtide|eqView|PresetManager|EQPreset|HazeTranslucentView)' || true)
if [ -n "$symbols" ]; then
  echo "tunely defines the system's symbols:"
  head -n 20 <<<"$symbols"
  exit 1
fi
echo "tunely defines none of the system's symbols"
