#!/bin/sh
# Regenerates the committed reference pass lists from the real element file.
set -e
here=$(dirname "$0")
data="$here/../../tests/data"
/usr/bin/python3 "$here/pass_reference.py" --elements "$data/noaa_2019-01-24.txt" \
    --at "2019/01/25 00:00:00" --station=35.6894875,139.6917064 \
    --satellites NOAA-15,NOAA-17,NOAA-18,NOAA-19 > "$here/passes_tokyo_20190125.tsv"
/usr/bin/python3 "$here/pass_reference.py" --elements "$data/noaa_2019-01-24.txt" \
    --at "2019/01/24 12:34:56" --station=-33.87,151.21 \
    --satellites NOAA-15,NOAA-17,NOAA-18,NOAA-19 > "$here/passes_sydney_20190124.tsv"
