#!/usr/bin/python3
"""Independent pass prediction used to check the program's pass table.

Propagates each element set with the SGP4 model of Debian's python3-sgp4
(WGS-72 constants), rotates the position into the earth-fixed frame with the
IAU 1982 sidereal time of the same library, converts it to a geodetic point
on the WGS-72 ellipsoid, and takes the elevation with the program's spherical
model (sphere of radius 6367.4445 km, station 0.36 km above it). Every second
of the 24 hours after the given UTC instant is evaluated; a pass is a run of
seconds at or above the detection elevation whose highest elevation reaches
the pass threshold.

Output, one line per pass, tab separated, times in station time (UTC + 9 h):
satellite, start, end, time of maximum, maximum elevation (two decimals).
"""
import argparse
import datetime
import math
import sys

from sgp4.api import Satrec, WGS72
from sgp4.propagation import gstime

SPHERE_KM = 6367.4445
STATION_HEIGHT_KM = 0.36
A_KM = 6378.135
F = 1.0 / 298.26
E2 = F * (2.0 - F)
STATION_OFFSET = datetime.timedelta(hours=9)


def read_sets(path):
    with open(path, encoding="ascii", errors="replace") as f:
        lines = [l.rstrip("\r\n") for l in f]
    sets = []
    for i in range(0, len(lines) - 2, 3):
        name = lines[i][:24].rstrip()
        sets.append((name, lines[i + 1], lines[i + 2]))
    return sets


def short_name(name):
    n = name[:7]
    if len(n) >= 7 and n[6] == " ":
        n = n[:6]
    n = list(n)
    if len(n) >= 5 and n[4] == " ":
        n[4] = "-"
    if len(n) >= 6 and n[5] == " ":
        n[5] = "-"
    return "".join(n)


def geodetic(x, y, z):
    p = math.hypot(x, y)
    lon = math.atan2(y, x)
    lat = math.atan2(z, p * (1.0 - E2))
    for _ in range(20):
        n = A_KM / math.sqrt(1.0 - E2 * math.sin(lat) ** 2)
        h = p / math.cos(lat) - n
        lat = math.atan2(z, p * (1.0 - E2 * n / (n + h)))
    n = A_KM / math.sqrt(1.0 - E2 * math.sin(lat) ** 2)
    h = p / math.cos(lat) - n
    return lat, lon, h


def elevation_deg(lat, lon, h, st):
    rs = SPHERE_KM + h
    s = (rs * math.cos(lat) * math.cos(lon), rs * math.cos(lat) * math.sin(lon), rs * math.sin(lat))
    d = [s[i] - st["pos"][i] for i in range(3)]
    rho = math.sqrt(sum(c * c for c in d))
    up = sum(d[i] * st["up"][i] for i in range(3))
    return math.degrees(math.asin(up / rho))


def jd_parts(t):
    jd0 = 2440587.5 + (t - datetime.datetime(1970, 1, 1)).days
    fr = (t.hour * 3600 + t.minute * 60 + t.second) / 86400.0
    return jd0, fr


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--elements", required=True)
    ap.add_argument("--at", required=True, help='UTC "YYYY/MM/DD hh:mm:ss"')
    ap.add_argument("--station", required=True, help="LAT,LON degrees")
    ap.add_argument("--satellites", required=True)
    ap.add_argument("--min-elev", type=float, default=1.0)
    ap.add_argument("--max-elev", type=float, default=3.0)
    args = ap.parse_args()

    start = datetime.datetime.strptime(args.at, "%Y/%m/%d %H:%M:%S")
    lat0, lon0 = (math.radians(float(v)) for v in args.station.split(","))
    ro = SPHERE_KM + STATION_HEIGHT_KM
    up = (math.cos(lat0) * math.cos(lon0), math.cos(lat0) * math.sin(lon0), math.sin(lat0))
    st = {"pos": tuple(ro * c for c in up), "up": up}
    wanted = args.satellites.split(",")

    for name, l1, l2 in read_sets(args.elements):
        sat_name = short_name(name)
        if sat_name not in wanted:
            continue
        wanted.remove(sat_name)
        sat = Satrec.twoline2rv(l1, l2, WGS72)
        run = []
        for s in range(86401):
            t = start + datetime.timedelta(seconds=s)
            jd, fr = jd_parts(t)
            err, r, _ = sat.sgp4(jd, fr)
            if err != 0:
                sys.exit(f"{sat_name}: sgp4 error {err}")
            g = gstime(jd + fr)
            x = math.cos(g) * r[0] + math.sin(g) * r[1]
            y = -math.sin(g) * r[0] + math.cos(g) * r[1]
            el = elevation_deg(*geodetic(x, y, r[2]), st)
            if el >= args.min_elev:
                run.append((t, el))
            elif run:
                report(sat_name, run, args.max_elev)
                run = []
        if run:
            report(sat_name, run, args.max_elev, open_end=True)


def report(name, run, max_elev, open_end=False):
    best = max(run, key=lambda p: p[1])
    if best[1] < max_elev or open_end:
        return
    fmt = "%Y/%m/%d %H:%M:%S"
    print("\t".join([name, (run[0][0] + STATION_OFFSET).strftime(fmt), (run[-1][0] + STATION_OFFSET).strftime(fmt),
                     (best[0] + STATION_OFFSET).strftime(fmt), f"{best[1]:.2f}"]))


if __name__ == "__main__":
    main()
