# The benchmark's profile as a chart: one stacked bar per camera, one colour
# per pass (median milliseconds, as the CSV of scripts/bench.sh --csv holds
# them), and each camera's floor marked across its bar. scripts/bench.sh
# --plot runs it; by hand:
#
#   gnuplot -e "csv='profile.csv'; svg='profile.svg'" bench/profile.gp
if (!exists("csv") || !exists("svg")) {
    print "usage: gnuplot -e \"csv='PROFILE.csv'; svg='CHART.svg'\" bench/profile.gp"
    exit status 2
}
set terminal svg size 820,480 dynamic font "Helvetica,12" background rgb "white"
set output svg
set datafile separator ","
# The header names the passes, and is not a camera.
set key autotitle columnhead
set title "Where a frame goes, pass by pass (median ms); the black mark is the floor"
set xlabel "camera"
set ylabel "milliseconds"
set key outside right top vertical Left reverse noenhanced samplen 1.5
set style data histograms
set style histogram rowstacked
set style fill solid 0.9 border rgb "#444444"
set boxwidth 0.7
set grid ytics lc rgb "#dddddd"
set yrange [0:*]
set xtics nomirror
set ytics nomirror
# One colour per pass, in the CSV's order: update, shadow, reflection,
# opaque, fire, sky, transparent, particles, mask, haze, water, composition.
array colours[12] = ["#9e9e9e", "#4a4a8c", "#4f9bd9", "#e4a33a", "#d95f02", "#1b3b6f", "#8cc084", \
                     "#f4d03f", "#c0392b", "#e59866", "#48c9b0", "#7f8c8d"]
plot for [i=2:13] csv using i:xtic(1) lc rgb colours[i - 1], \
     csv using 0:15:(0.4) with xerrorbars lc rgb "black" lw 3 pt 0 title "floor"
