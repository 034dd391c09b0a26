#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
"""Writes worldmap/Coastlines.cpp from land-110m.json of the npm package world-atlas 2.0.2: Natural Earth's
1:110m land (public domain) as TopoJSON. The arcs are decoded, their rings simplified (Douglas-Peucker) to what
a picture 1000 pixels wide shows, and written as whole hundredths of a degree.

Usage: npm pack world-atlas@2.0.2 && tar xzf world-atlas-2.0.2.tgz
       python3 worldmap/tools/coastlines.py package/land-110m.json > worldmap/Coastlines.cpp
"""
import json
import sys

# A tenth of a degree is a quarter of a pixel on a map 1000 pixels wide: nothing a reader could see is lost.
TOLERANCE_DEG = 0.1
UNITS_PER_DEG = 100


def decode_arcs(topology):
    """The arcs in degrees: TopoJSON quantises them and stores each point as its step from the one before."""
    (sx, sy), (tx, ty) = topology["transform"]["scale"], topology["transform"]["translate"]
    arcs = []
    for arc in topology["arcs"]:
        x = y = 0
        points = []
        for dx, dy in arc:
            x += dx
            y += dy
            points.append((x * sx + tx, y * sy + ty))
        arcs.append(points)
    return arcs


def ring_of(arcs, indexes):
    """A ring from its arcs; ~i is arc i backwards, and each arc starts where the one before ended."""
    ring = []
    for index in indexes:
        points = arcs[index] if index >= 0 else list(reversed(arcs[~index]))
        ring.extend(points if not ring else points[1:])
    return ring


def simplify(points, tolerance):
    """Douglas-Peucker on the open polyline points, keeping both ends."""
    if len(points) < 3:
        return list(points)
    keep = [False] * len(points)
    keep[0] = keep[-1] = True
    stack = [(0, len(points) - 1)]
    while stack:
        first, last = stack.pop()
        (x1, y1), (x2, y2) = points[first], points[last]
        dx, dy = x2 - x1, y2 - y1
        length = (dx * dx + dy * dy) ** 0.5
        worst, where = -1.0, -1
        for i in range(first + 1, last):
            px, py = points[i]
            if length == 0.0:
                d = ((px - x1) ** 2 + (py - y1) ** 2) ** 0.5
            else:
                d = abs(dy * (px - x1) - dx * (py - y1)) / length
            if d > worst:
                worst, where = d, i
        if where >= 0 and worst > tolerance:
            keep[where] = True
            stack.append((first, where))
            stack.append((where, last))
    return [p for p, k in zip(points, keep) if k]


def main():
    topology = json.load(open(sys.argv[1]))
    arcs = decode_arcs(topology)
    rings = []
    for geometry in topology["objects"]["land"]["geometries"]:
        polygons = geometry["arcs"] if geometry["type"] == "MultiPolygon" else [geometry["arcs"]]
        for polygon in polygons:
            for indexes in polygon:
                ring = ring_of(arcs, indexes)
                # The ring is closed: split it in two halves, so that both ends of each are kept.
                middle = len(ring) // 2
                simple = simplify(ring[: middle + 1], TOLERANCE_DEG)[:-1] + simplify(ring[middle:], TOLERANCE_DEG)
                quantised = []
                for lon, lat in simple:
                    q = (round(lon * UNITS_PER_DEG), round(lat * UNITS_PER_DEG))
                    if not quantised or q != quantised[-1]:
                        quantised.append(q)
                if len(quantised) >= 4:  # a closed triangle at least
                    rings.append(quantised)
    out = sys.stdout
    out.write("// SPDX-License-Identifier: GPL-3.0-or-later\n")
    out.write("// Copyright the limbtimer and chordspan authors\n")
    out.write("// Written by worldmap/tools/coastlines.py from land-110m.json of world-atlas 2.0.2: Natural Earth 1:110m\n")
    out.write("// land, public domain. Do not edit; run the script again.\n")
    out.write('#include "Coastlines.h"\n\n#include <cstdint>\n\nnamespace worldmap {\nnamespace {\n\n')
    out.write("// East longitude and latitude of each ring's points in turn, hundredths of a degree.\n")
    out.write("constexpr std::int16_t LandPoints[] = {\n")
    flat = [v for ring in rings for point in ring for v in point]
    for i in range(0, len(flat), 16):
        out.write("    " + ", ".join(str(v) for v in flat[i : i + 16]) + ",\n")
    out.write("};\n\n// The number of points in each ring.\nconstexpr std::int16_t RingSizes[] = {\n")
    sizes = [len(ring) for ring in rings]
    for i in range(0, len(sizes), 16):
        out.write("    " + ", ".join(str(v) for v in sizes[i : i + 16]) + ",\n")
    out.write("};\n\n}  // namespace\n\n")
    out.write("std::vector<std::vector<GeoPoint>> LandRings() {\n")
    out.write("    std::vector<std::vector<GeoPoint>> rings;\n")
    out.write("    std::size_t next = 0;\n")
    out.write("    for (const std::int16_t size : RingSizes) {\n")
    out.write("        std::vector<GeoPoint>& ring = rings.emplace_back();\n")
    out.write("        for (std::int16_t i = 0; i < size; ++i, next += 2) {\n")
    out.write("            ring.push_back({LandPoints[next + 1] / 100.0, LandPoints[next] / 100.0});\n")
    out.write("        }\n    }\n    return rings;\n}\n\n}  // namespace worldmap\n")
    sys.stderr.write(f"{len(rings)} rings, {len(flat) // 2} points\n")


if __name__ == "__main__":
    main()
