#!/bin/sh
# The plot script on a real run: the half-sine example is run by the built
# program, then plotted; the PNG must be a non-empty PNG and the SVG an SVG.
# Exits 77 (skipped) when gnuplot is not installed.
#
# Usage: plot_srs_test.sh TARVELIN_BINARY SOURCE_DIR
set -e
program=$1
source=$2
command -v gnuplot >/dev/null 2>&1 || { echo "gnuplot not installed: skipped"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$source/examples/half_sine.txt" "$work/"
# A new session has no controlling terminal, so the final key wait is skipped.
(cd "$work" && setsid -w "$program" < "$source/examples/half_sine.answers" > console.txt)

"$source/scripts/plot_srs.sh" "$work" "$work/plot"
size=$(wc -c < "$work/plot.png")
[ "$size" -gt 1000 ] || { echo "plot.png has $size bytes"; exit 1; }
[ "$(head -c 8 "$work/plot.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    { echo "plot.png is not a PNG"; exit 1; }
grep -q '<svg' "$work/plot.svg" || { echo "plot.svg is not an SVG"; exit 1; }

# A directory without a run is refused, not plotted empty.
if "$source/scripts/plot_srs.sh" "$work/nothing" 2>/dev/null; then
    echo "plot_srs.sh accepted a directory without a run"; exit 1
fi
echo "plot_srs: PNG of $size bytes"
