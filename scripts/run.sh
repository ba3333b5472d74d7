#!/usr/bin/env bash
# Installs what is missing, builds, and starts Zelmarine on its embedded default: the program
# connected to a simulated instrument running inside it (zelmarine --demo).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh default
program=build/default/app/zelmarine

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "== run: no display here; starting the program under xvfb-run (a virtual screen)."
    echo "   To see it, run on a desktop:  $program --demo"
    echo "   Or take a picture of it:      xvfb-run -a -s '-screen 0 1280x768x24' $program --demo"
    exec xvfb-run -a -s "-screen 0 1280x768x24" "$program" --demo
fi
echo "== run: $program --demo"
exec "$program" --demo
