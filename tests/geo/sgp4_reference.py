#!/usr/bin/python3
"""Reference orbit states for the georeferencing tests, from the python3-sgp4
package used as a black box: TEME position and velocity of a satellite at
evenly spaced UTC instants, and the geodetic sub-satellite point computed here
independently (GMST of IAU 1982, closed-form geodetic latitude after Zhu 1993).

usage: sgp4_reference.py ELEMENT_FILE NAME START_UNIX STEP_S COUNT
prints: unix x y z vx vy vz lat lon   (km, km/s, degrees)
"""
import math
import sys

from sgp4.api import Satrec, jday


def elements(path, name):
    lines = [l.rstrip() for l in open(path, encoding="utf-8") if l.strip()]
    for i, l in enumerate(lines):
        if l.strip() == name and i + 2 < len(lines):
            return lines[i + 1], lines[i + 2]
    sys.exit("no elements for " + name)


def gmst(jd_ut1):
    t = (jd_ut1 - 2451545.0) / 36525.0
    sec = 67310.54841 + (876600.0 * 3600 + 8640184.812866) * t + 0.093104 * t * t - 6.2e-6 * t ** 3
    return math.fmod(math.radians(sec / 240.0), 2 * math.pi)


def geodetic(x, y, z):
    # closed form (J. Zhu, IEEE AES 30(3), 1994) on WGS84
    a = 6378.137
    f = 1 / 298.257223563
    b = a * (1 - f)
    e2 = f * (2 - f)
    ep2 = (a * a - b * b) / (b * b)
    p = math.hypot(x, y)
    th = math.atan2(z * a, p * b)
    lat = math.atan2(z + ep2 * b * math.sin(th) ** 3, p - e2 * a * math.cos(th) ** 3)
    return math.degrees(lat), math.degrees(math.atan2(y, x))


def main():
    path, name, start, step, count = sys.argv[1:6]
    l1, l2 = elements(path, name)
    sat = Satrec.twoline2rv(l1, l2)
    for i in range(int(count)):
        unix = float(start) + i * float(step)
        jd = unix / 86400.0 + 2440587.5
        whole = math.floor(jd)
        e, r, v = sat.sgp4(whole, jd - whole)
        if e != 0:
            sys.exit("sgp4 error %d" % e)
        g = gmst(jd)
        c, s = math.cos(-g), math.sin(-g)
        lat, lon = geodetic(c * r[0] - s * r[1], s * r[0] + c * r[1], r[2])
        print("%.3f %.6f %.6f %.6f %.9f %.9f %.9f %.7f %.7f" % ((unix,) + tuple(r) + tuple(v) + (lat, lon)))


main()
