#!/bin/sh
# Draws the spectra of one run with gnuplot.
#
# Usage: scripts/plot_srs.sh RUN_DIR [OUTPUT_BASE]
#
# RUN_DIR holds a finished run's srs.out, srs2.txt and fatigue spectrum file
# (time_history_fatigue_Q..._b....txt; the newest when there are several).
# Writes OUTPUT_BASE.png and OUTPUT_BASE.svg, by default RUN_DIR/srs_plot:
# the positive and negative spectra on log-log axes above the fatigue
# spectrum. Exits 3 when gnuplot is missing (scripts/ensure-plot-tools
# installs it) and 2 when a file of the run is missing.
set -e

dir=${1:?usage: plot_srs.sh RUN_DIR [OUTPUT_BASE]}
out=${2:-$dir/srs_plot}

command -v gnuplot >/dev/null 2>&1 || {
    echo "plot_srs: gnuplot is not installed (scripts/ensure-plot-tools)" >&2
    exit 3
}
for f in srs.out srs2.txt; do
    [ -s "$dir/$f" ] || { echo "plot_srs: no $f in $dir" >&2; exit 2; }
done
fatigue=$(ls -t "$dir"/time_history_fatigue_Q*_b*.txt 2>/dev/null | head -n 1)
[ -n "$fatigue" ] || { echo "plot_srs: no fatigue spectrum file in $dir" >&2; exit 2; }

# The report's own lines: "  Input file =NAME " and "  damp=VALUE ".
input=$(sed -n 's/^  Input file =\(.*\) $/\1/p' "$dir/srs.out" | head -n 1)
damp=$(sed -n 's/^  damp=\([^ ]*\) *$/\1/p' "$dir/srs.out" | head -n 1)
q=$(awk -v d="$damp" 'BEGIN { if (d + 0 > 0) printf "%.4g", 1 / (2 * d); else print "inf" }')
b=$(basename "$fatigue" .txt | sed 's/.*_b//; s/p4$/.4/')

# Single quotes end a gnuplot string; double them inside the texts.
quote() { printf "%s" "$1" | sed "s/'/''/g"; }
title="Shock response spectrum of $(quote "$input"), damping ratio $damp (Q = $q)"

plot_commands() {
    cat <<EOF
set termoption noenhanced
set multiplot layout 2,1
set logscale xy
set autoscale xfix
set grid xtics ytics mxtics mytics lc rgb '#cccccc'
set key top left box opaque
set xlabel 'natural frequency (Hz)'
set ylabel 'peak acceleration (G)'
set title '$title'
plot '$(quote "$dir/srs2.txt")' using 1:2 with linespoints pt 7 ps 0.4 lw 1.5 lc rgb '#1f77b4' title 'positive', \
     '' using 1:3 with linespoints pt 5 ps 0.4 lw 1.5 lc rgb '#d62728' title 'negative'
set ylabel 'fatigue sum (G^b)'
set title 'Fatigue response spectrum, b = $b'
plot '$(quote "$fatigue")' using 1:2 with linespoints pt 7 ps 0.4 lw 1.5 lc rgb '#2ca02c' title 'sum of crest^b'
unset multiplot
EOF
}

{
    echo "set terminal pngcairo size 900,800 font 'DejaVu Sans,10'"
    echo "set output '$(quote "$out.png")'"
    plot_commands
    echo "set terminal svg size 900,800 font 'DejaVu Sans,10'"
    echo "set output '$(quote "$out.svg")'"
    plot_commands
} | gnuplot
echo "$out.png"
echo "$out.svg"
