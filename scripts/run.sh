#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on its embedded default:
# Zelmarine connected to a simulated instrument.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh default
bin=build/default

echo "== run: starting zelmarine-sim on 127.0.0.1:18080"
"$bin/sim/zelmarine-sim" --port 18080 --serial 12 --version 1203 --battery 87 --state 2 \
    --ch1 153 --ch2 147 &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
sleep 0.5
echo "== run: zelmarine-cli status"
"$bin/cli/zelmarine-cli" --host 127.0.0.1 --port 18080 status
