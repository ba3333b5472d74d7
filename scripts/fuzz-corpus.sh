#!/usr/bin/env bash
# Remakes the committed seed inputs of the fuzz targets (fuzz/corpus/<target>/) from the
# simulator's own replies and stream and from the record writers.
#   scripts/fuzz-corpus.sh [FOLDER]   (default: fuzz/corpus)
set -euo pipefail
cd "$(dirname "$0")/.."
folder="${1:-fuzz/corpus}"
cmake --preset fuzz >/dev/null
cmake --build build/fuzz --target zel_fuzz_seeds
export ASAN_OPTIONS="detect_leaks=0"
fresh="$(mktemp -d)"
trap 'rm -rf "$fresh"' EXIT
build/fuzz/fuzz/zel_fuzz_seeds "$fresh"
for target in "$fresh"/*/; do
    name="$(basename "$target")"
    rm -rf "${folder:?}/$name"
    mkdir -p "$folder/$name"
    cp "$target"* "$folder/$name/"
    echo "== corpus: $name: $(ls "$folder/$name" | wc -l) seeds"
done
