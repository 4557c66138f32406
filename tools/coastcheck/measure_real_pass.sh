#!/bin/bash
# Coast misplacement of the real NOAA 19 pass (2019-05-21, Spain and
# Morocco) in the program's GeoTIFF, against GSHHG's full-resolution coast.
#
#   tools/coastcheck/measure_real_pass.sh BUILD_DIR WORK_DIR [RATE] [decode options]
#
# Needs, besides the build: gmt gmt-gshhg-full gdal-bin python3-numpy
# imagemagick (apt-get install them; the test suite does not).
set -euo pipefail
build=$(realpath "$1"); work=$2; rate=${3:-48000}; shift $(( $# < 3 ? $# : 3 ))
here=$(cd "$(dirname "$0")" && pwd); data=$here/../../tests/data
py=/usr/bin/python3
mkdir -p "$work" && cd "$work"
rm -rf data out && mkdir -p data out
cp "$data/noaa_2019-05-21.txt" data/SatTle.txt
cp "$here/../../data/AllWorld.map" data/; [ -n "${SORAE_MEASURE_INI:-}" ] && cp "$SORAE_MEASURE_INI" data/sorae-apt.ini; [ -n "${SORAE_MEASURE_INI:-}" ] && cp "$SORAE_MEASURE_INI" data/sorae-apt.ini
$py "$here/turn_real_pass.py" "$data/noaa19_20190521_170204Z_north-up.png" received.pgm
convert received.pgm received.png
wav=SDRSharp_20190521_170204Z_137500000Hz.wav
"$build/tools/testsignal/sorae-aptgen" --out "$wav" --rate "$rate" --lines 977 \
    --picture-a received.png --picture-b received.png > /dev/null
"$build/src/app/sorae-apt" decode "$wav" --satellite NOAA-19 --direction 'S>N' --geo \
    --data-dir data --out out "$@" 2>&1 | grep -E "time corrected|kept|roll" || true
tif=$(ls out/*B.tif)
gdal_translate -q -of AAIGrid "$tif" picture.asc
region=-32/9/14/48
gmt coast -R$region -Df -W -M > coast.txt
$py "$here/coast_misplacement.py" picture.asc coast.txt data/SatTle.txt "NOAA 19" 1558458124 \
    --land-probe-out probes.txt > /dev/null
gmt select probes.txt -R$region -Df -Ns/k/s/k/s > probes_land.txt
$py "$here/coast_misplacement.py" picture.asc coast.txt data/SatTle.txt "NOAA 19" 1558458124 \
    --land-probe-in probes_land.txt --places-out places.txt
