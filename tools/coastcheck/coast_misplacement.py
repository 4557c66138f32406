#!/usr/bin/python3
"""How far the coasts in a plate carree GeoTIFF lie from the true coast.

Reads the picture as an ESRI ASCII grid (gdal_translate -of AAIGrid), the
true coast as GMT multisegment lines (gmt coast -Df -W -M, from GSHHG's full
resolution) and which side of each probe is land (gmt select), and the
satellite's elements for the distance of each place from the ground track.

At every kilometre of straight, uncluttered coast it samples the picture
across the coast and finds where the grey crosses halfway between the sea's
level and the land's. That crossing's distance from the true coast is the
misplacement there (positive: the picture's coast lies inland). Places with
too little contrast or an uneven side (cloud, snow, rivers) are skipped.

    coast_misplacement.py GRID.asc COAST.txt TLE_FILE SATELLITE START_UNIX
        --land-probe-out FILE          (the probes for gmt select), then
    coast_misplacement.py ... --land-probe-in FILE [--places-out FILE]
"""
import math
import os
import sys

import numpy as np

A_WGS84 = 6378.137
F_WGS84 = 1 / 298.257223563
E2 = F_WGS84 * (2 - F_WGS84)

STEP_KM = 1.0        # between measured places along the coast
PROFILE_KM = 16.0    # each side of the coast
SIDE_FROM_KM = 8.0   # where a side's level is taken (out to PROFILE_KM)
STRAIGHT_KM = 10.0   # coast within this distance must be ...
STRAIGHT_TOL_KM = 1.5  # ... this close to its own straight line
MIN_CONTRAST = 20.0  # grey levels between land and sea
MAX_SPREAD = 0.2     # of the contrast, for each side's scatter
# where between sea and land the coast is read, and the widest edge (a
# quarter to three quarters of the way) that counts
LEVEL = float(os.environ.get("COAST_LEVEL", "0.5"))
MAX_WIDTH_KM = float(os.environ.get("COAST_MAX_WIDTH_KM", "99"))


def km_per_degree(lat):
    s = math.sin(math.radians(lat))
    w = math.sqrt(1 - E2 * s * s)
    meridian = A_WGS84 * (1 - E2) / w ** 3
    normal = A_WGS84 / w
    return meridian * math.pi / 180, normal * math.cos(math.radians(lat)) * math.pi / 180


def read_grid(path):
    header = {}
    with open(path) as f:
        for _ in range(6):
            k, v = f.readline().split()
            header[k.lower()] = float(v)
        data = np.loadtxt(f, dtype=np.float64)
    nodata = header.get("nodata_value")
    valid = np.ones_like(data, dtype=bool) if nodata is None else data != nodata
    cell = header["cellsize"]
    west = header["xllcorner"]
    north = header["yllcorner"] + cell * data.shape[0]
    return data, valid, west, north, cell


def read_coast(path):
    segments, current = [], []
    with open(path) as f:
        for line in f:
            if line.startswith(">"):
                if len(current) > 1:
                    segments.append(np.array(current))
                current = []
                continue
            lon, lat = map(float, line.split()[:2])
            current.append((lon, lat))
    if len(current) > 1:
        segments.append(np.array(current))
    return segments


def resample(segment, step_km):
    """Points every step_km along a polyline, with the unit tangent in km."""
    out = []
    carry = 0.0
    for (lon0, lat0), (lon1, lat1) in zip(segment[:-1], segment[1:]):
        ky, kx = km_per_degree(0.5 * (lat0 + lat1))
        dx, dy = (lon1 - lon0) * kx, (lat1 - lat0) * ky
        length = math.hypot(dx, dy)
        if length == 0:
            continue
        s = carry
        while s < length:
            f = s / length
            out.append((lon0 + f * (lon1 - lon0), lat0 + f * (lat1 - lat0), dx / length, dy / length))
            s += step_km
        carry = s - length
    return out


class Grid:
    def __init__(self, data, valid, west, north, cell):
        self.data, self.valid, self.west, self.north, self.cell = data, valid, west, north, cell

    def sample(self, lon, lat):
        x = (lon - self.west) / self.cell - 0.5
        y = (self.north - lat) / self.cell - 0.5
        i, j = int(math.floor(y)), int(math.floor(x))
        if i < 0 or j < 0 or i + 1 >= self.data.shape[0] or j + 1 >= self.data.shape[1]:
            return None
        if not self.valid[i:i + 2, j:j + 2].all():
            return None
        fy, fx = y - i, x - j
        d = self.data
        return ((1 - fy) * ((1 - fx) * d[i, j] + fx * d[i, j + 1]) +
                fy * ((1 - fx) * d[i + 1, j] + fx * d[i + 1, j + 1]))


def ground_track(tle_path, name, start_unix, seconds=1200):
    from sgp4.api import Satrec, jday
    lines = [l.rstrip() for l in open(tle_path)]
    for k, l in enumerate(lines):
        if l.strip() == name:
            sat = Satrec.twoline2rv(lines[k + 1], lines[k + 2])
            break
    else:
        sys.exit(f"no elements of {name}")
    import datetime
    track = []
    for t in range(-60, seconds, 2):
        when = datetime.datetime.utcfromtimestamp(start_unix + t)
        jd, fr = jday(when.year, when.month, when.day, when.hour, when.minute, when.second)
        e, r, _ = sat.sgp4(jd, fr)
        # TEME to Earth-fixed by the Greenwich sidereal angle (polar motion is metres)
        d = jd - 2451545.0 + fr
        gmst = math.radians((280.46061837 + 360.98564736629 * d) % 360)
        x = r[0] * math.cos(gmst) + r[1] * math.sin(gmst)
        y = -r[0] * math.sin(gmst) + r[1] * math.cos(gmst)
        z = r[2]
        lon = math.degrees(math.atan2(y, x))
        p = math.hypot(x, y)
        lat = math.atan2(z, p * (1 - E2))
        for _ in range(5):
            s = math.sin(lat)
            n = A_WGS84 / math.sqrt(1 - E2 * s * s)
            lat = math.atan2(z + E2 * n * s, p)
        track.append((lon, math.degrees(lat)))
    return track


def distance_from_track(track, lon, lat):
    ky, kx = km_per_degree(lat)
    return min(math.hypot((lon - tl) * kx, (lat - tt) * ky) for tl, tt in track)


def across_track(track, lon, lat):
    """Signed distance from the ground track (km, positive to the right of
    the direction of flight) and that right-hand direction (east, north)."""
    ky, kx = km_per_degree(lat)
    t = np.asarray(track)
    dx, dy = (lon - t[:, 0]) * kx, (lat - t[:, 1]) * ky
    j = int(np.clip(np.argmin(dx * dx + dy * dy), 1, len(t) - 2))
    fx, fy = (t[j + 1, 0] - t[j - 1, 0]) * kx, (t[j + 1, 1] - t[j - 1, 1]) * ky
    norm = math.hypot(fx, fy)
    rx, ry = fy / norm, -fx / norm
    return dx[j] * rx + dy[j] * ry, rx, ry


def print_across_profile(results, track):
    """Where across the swath the picture lies right or left of the true
    coast: from the places whose coast runs within 45 degrees of the track
    (their misplacement is mostly across it), by 100 km of distance from
    the track."""
    xs, es = [], []
    for lon, lat, _, where, nx, ny in results:
        x, rx, ry = across_track(track, lon, lat)
        c = nx * rx + ny * ry
        if abs(c) > 0.7:
            xs.append(x)
            es.append(where / c)
    xs, es = np.array(xs), np.array(es)
    print("across the track (km right of the ground track: median km the picture lies right of the coast, places)")
    parts = []
    for lo in range(-1600, 1600, 100):
        inside = (xs >= lo) & (xs < lo + 100)
        if inside.sum() >= 5:
            parts.append(f"{lo + 50:+d}: {np.median(es[inside]):+.1f} ({inside.sum()})")
    print("  " + "; ".join(parts))


def main():
    grid_path, coast_path, tle_path, name, start = sys.argv[1:6]
    probe_out = probe_in = None
    if len(sys.argv) > 7 and sys.argv[6] == "--land-probe-out":
        probe_out = sys.argv[7]
    if len(sys.argv) > 7 and sys.argv[6] == "--land-probe-in":
        probe_in = sys.argv[7]
    grid = Grid(*read_grid(grid_path))
    rows, cols = grid.data.shape
    south, east = grid.north - rows * grid.cell, grid.west + cols * grid.cell

    segments = read_coast(coast_path)
    places = []
    for s in segments:
        for p in resample(s, STEP_KM):
            if grid.west < p[0] < east and south < p[1] < grid.north:
                places.append(p)
    # every coast point, by 0.2 degree cell, for the straightness test
    buckets = {}
    for s in segments:
        for p in resample(s, 0.5):
            buckets.setdefault((int(math.floor(p[0] / 0.2)), int(math.floor(p[1] / 0.2))), []).append(p[:2])
    buckets = {k: np.array(v) for k, v in buckets.items()}

    def nearby(lon, lat):
        i, j = int(math.floor(lon / 0.2)), int(math.floor(lat / 0.2))
        parts = [buckets[(a, b)] for a in (i - 1, i, i + 1) for b in (j - 1, j, j + 1) if (a, b) in buckets]
        return np.concatenate(parts) if parts else np.zeros((0, 2))

    def probe(p, side):
        lon, lat, tx, ty = p
        ky, kx = km_per_degree(lat)
        nx, ny = ty, -tx  # right of the coast's direction
        return lon + side * 5.0 * nx / kx, lat + side * 5.0 * ny / ky

    if probe_out:
        with open(probe_out, "w") as f:
            for k, p in enumerate(places):
                lon, lat = probe(p, +1)
                f.write(f"{lon:.6f} {lat:.6f} {k}\n")
        print(f"{len(places)} places; land probes in {probe_out}")
        return
    land_right = set()
    with open(probe_in) as f:
        for line in f:
            land_right.add(int(line.split()[2]))

    track = ground_track(tle_path, name, float(start))
    results = []
    no_single_crossing = 0
    offsets = np.arange(-PROFILE_KM, PROFILE_KM + 1e-9, 0.5)
    for k, p in enumerate(places):
        lon, lat, tx, ty = p
        ky, kx = km_per_degree(lat)
        # straight and alone: all coast nearby lies close to one straight
        # line, which gives the coast's direction here
        near = nearby(lon, lat)
        ex, ey = (near[:, 0] - lon) * kx, (near[:, 1] - lat) * ky
        inside = np.hypot(ex, ey) < STRAIGHT_KM
        ex, ey = ex[inside], ey[inside]
        if len(ex) < 10:
            continue
        w, v = np.linalg.eigh(np.cov(np.vstack([ex, ey])))
        dx, dy = v[:, 1]
        if dx * tx + dy * ty < 0:
            dx, dy = -dx, -dy
        mx, my = ex.mean(), ey.mean()
        if np.any(np.abs((ex - mx) * dy - (ey - my) * dx) > STRAIGHT_TOL_KM):
            continue
        if abs(mx * dy - my * dx) > 0.5:  # this place itself off the line
            continue
        tx, ty = dx, dy
        side = 1.0 if k in land_right else -1.0
        nx, ny = side * ty, -side * tx  # towards land
        profile = []
        for s in offsets:
            v = grid.sample(lon + s * nx / kx, lat + s * ny / ky)
            if v is None:
                break
            profile.append(v)
        if len(profile) != len(offsets):
            continue
        profile = np.array(profile)
        sea = profile[offsets <= -SIDE_FROM_KM]
        land = profile[offsets >= SIDE_FROM_KM]
        sea_level, land_level = np.median(sea), np.median(land)
        contrast = land_level - sea_level
        if abs(contrast) < MIN_CONTRAST:
            continue
        if max(np.percentile(np.abs(sea - sea_level), 80), np.percentile(np.abs(land - land_level), 80)) > MAX_SPREAD * abs(contrast):
            continue
        half = sea_level + LEVEL * (land_level - sea_level)
        above = (profile - half) * np.sign(contrast) > 0
        window = np.abs(offsets) < SIDE_FROM_KM
        crossings = [i for i in range(len(offsets) - 1)
                     if window[i] and window[i + 1] and above[i] != above[i + 1]]
        if len(crossings) != 1:
            no_single_crossing += 1
            continue
        i = crossings[0]
        f = (half - profile[i]) / (profile[i + 1] - profile[i])
        where = offsets[i] + f * (offsets[i + 1] - offsets[i])
        # the edge's width: from a quarter to three quarters of the way
        rise = (profile - sea_level) / contrast
        inside = (offsets > where - 8) & (offsets < where + 8)
        quarter = offsets[inside & (rise > 0.25) & (rise < 0.75)]
        width = (quarter.max() - quarter.min() + 0.5) if len(quarter) else 0.0
        if width > MAX_WIDTH_KM:
            continue
        results.append((lon, lat, distance_from_track(track, lon, lat), where, nx, ny))

    print(f"{len(places)} coast places, {len(results)} measured; {no_single_crossing} clear of cloud "
          f"but without one crossing within {SIDE_FROM_KM:.0f} km left out")
    bins = [(0, 500, "near nadir (0-500 km)"), (500, 1000, "middle (500-1000 km)"),
            (1000, 1700, "edges (over 1000 km)"), (0, 1700, "all")]
    for lo, hi, label in bins:
        d = np.array([r[3] for r in results if lo <= r[2] < hi])
        if len(d) == 0:
            print(f"{label}: none")
            continue
        a = np.abs(d)
        # the one shift of the whole bin that explains most: d = -(shift . normal)
        n = np.array([(r[4], r[5]) for r in results if lo <= r[2] < hi])
        shift, *_ = np.linalg.lstsq(-n, d, rcond=None)
        rest = d + n @ shift
        print(f"{label}: {len(d)} places, median {np.median(a):.2f} km, 90 % under {np.percentile(a, 90):.2f} km, "
              f"mean signed {np.mean(d):+.2f} km, under 4 km {100 * np.mean(a < 4):.0f} %; "
              f"a common shift east {shift[0]:+.2f} north {shift[1]:+.2f} km leaves median {np.median(np.abs(rest)):.2f} km")
    print_across_profile(results, track)
    if len(sys.argv) > 9 and sys.argv[8] == "--places-out":
        with open(sys.argv[9], "w") as f:
            for r in results:
                f.write("%.5f %.5f %.1f %+.3f %.4f %.4f\n" % r)


if __name__ == "__main__":
    main()
