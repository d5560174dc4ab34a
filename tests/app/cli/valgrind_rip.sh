#!/usr/bin/env bash
# A console rip of a small disc under valgrind, in every format: no definite or indirect leak
# and no memory error.
set -euo pipefail
build=${1:?build folder}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tools/mkdiscimage" --tracks 40,75 "$work/disc" >/dev/null
mkdir -p "$work/program"
cp -r "$build/bin/." "$work/program/"
rm -f "$work/program"/*.ini
for format in wav mp3 ogg; do
  valgrind --quiet --leak-check=full --show-leak-kinds=definite,indirect \
           --errors-for-leak-kinds=definite,indirect --error-exitcode=99 \
           "$work/program/veltracdrip-cli" --image "$work/disc.cue" --out "$work/out-$format" \
           --format "$format" --overwrite >/dev/null || { echo "valgrind found a problem ($format)"; exit 1; }
done
echo "no leak, no memory error"
