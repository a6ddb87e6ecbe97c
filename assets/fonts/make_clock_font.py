#!/usr/bin/python3
"""Builds SFAdaptiveSoftNumeric-VF.otf, the variable face the glass clock is set in.

The face is a numeric display design for very large digits: every glyph is drawn from a
centre-line skeleton (straight segments joined by circular fillets) that is offset to both sides
by the stroke thickness, so the same construction yields every master of the variable font with
the same points in the same order. Four axes drive the construction:

    wght  Weight    100-1000  stroke thickness
    wdth  Width      60-100   width of the digit body
    HGHT  Height    100-500   height of the digit body (the line's ascent and descent follow it)
    SOFT  Softness    0-100   fillet radii, from sharp corners to fully round bowls and caps

Masters sit at every combination of the axis ends (plus a middle master on weight and on
softness), so the interpolation is exact at each corner of the design space. The result is a CFF2
font (outline deltas blended in the charstrings) with fvar, STAT, HVAR for the advances and MVAR
for the vertical metrics.

Run with the system interpreter, which has fontTools:
    /usr/bin/python3 make_clock_font.py [-o SFAdaptiveSoftNumeric-VF.otf]
"""

import argparse
import itertools
import math
import os
import sys

from fontTools.designspaceLib import (AxisDescriptor, DesignSpaceDocument, InstanceDescriptor,
                                      SourceDescriptor)
from fontTools.fontBuilder import FontBuilder
from fontTools.otlLib.builder import buildStatTable
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools import varLib

FAMILY = "SF Adaptive Soft Numeric"
PS_FAMILY = "SFAdaptiveSoftNumeric"
UPM = 1000
# 2024-01-01 00:00:00 in the head table's epoch (seconds since 1904).
TIMESTAMP = 3786912000

# (tag, name, minimum, default, maximum, master locations)
AXES = [
    ("wght", "Weight", 100, 400, 1000, (100, 400, 1000)),
    ("wdth", "Width", 60, 100, 100, (60, 100)),
    ("HGHT", "Height", 100, 500, 500, (100, 500)),
    ("SOFT", "Softness", 0, 50, 100, (0, 50, 100)),
]

NAMED_INSTANCES = [
    ("Thin", dict(wght=100, wdth=100, HGHT=350, SOFT=56)),
    ("Regular", dict(wght=400, wdth=100, HGHT=350, SOFT=56)),
    ("Bold", dict(wght=700, wdth=100, HGHT=350, SOFT=56)),
    ("Heavy", dict(wght=900, wdth=100, HGHT=350, SOFT=56)),
    ("Clock", dict(wght=750, wdth=100, HGHT=350, SOFT=56)),
    ("Condensed Bold", dict(wght=700, wdth=60, HGHT=350, SOFT=56)),
    ("Square Bold", dict(wght=700, wdth=100, HGHT=350, SOFT=0)),
    ("Round Bold", dict(wght=700, wdth=100, HGHT=350, SOFT=100)),
]


# ------------------------------------------------------------------------------------------------
# Plane geometry


def add(a, b):
    return (a[0] + b[0], a[1] + b[1])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1])


def mul(a, k):
    return (a[0] * k, a[1] * k)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1]


def cross(a, b):
    return a[0] * b[1] - a[1] * b[0]


def length(a):
    return math.hypot(a[0], a[1])


def unit(a):
    n = length(a)
    return (a[0] / n, a[1] / n)


def intersect(p, d, q, e):
    """Where the line through p along d meets the line through q along e (None if parallel)."""
    den = cross(d, e)
    if abs(den) < 1e-9:
        return None
    t = cross(sub(q, p), e) / den
    return add(p, mul(d, t))


def signed_area(pts):
    return 0.5 * sum(cross(pts[i], pts[(i + 1) % len(pts)]) for i in range(len(pts)))


# ------------------------------------------------------------------------------------------------
# Contours: a closed polygon whose every vertex carries a fillet radius. Every vertex becomes one
# line and one cubic arc, whatever its radius (a radius of 0 gives a degenerate arc), so contours
# built from the same recipe always have the same points.


class Polygon:
    def __init__(self, vertices, radii):
        assert len(vertices) == len(radii) and len(vertices) >= 3
        self.vertices = list(vertices)
        self.radii = [max(0.0, r) for r in radii]

    def oriented(self, counter_clockwise):
        if (signed_area(self.vertices) > 0) == counter_clockwise:
            return self
        return Polygon(self.vertices[::-1], self.radii[::-1])

    def transformed(self, fn):
        return Polygon([fn(v) for v in self.vertices], self.radii)

    def draw(self, pen):
        n = len(self.vertices)
        v = self.vertices
        # Pass 1: at each vertex, the directions of its two edges, the half of the angle between
        # them, and the tangent length its fillet wants along both edges.
        edges, halves, want = [], [], []
        for i in range(n):
            u1 = unit(sub(v[i - 1], v[i]))
            u2 = unit(sub(v[(i + 1) % n], v[i]))
            half = math.acos(max(-1.0, min(1.0, dot(u1, u2)))) / 2
            straight = half > math.pi / 2 - 1e-6
            edges.append((u1, u2))
            halves.append(half)
            want.append(0.0 if straight else self.radii[i] / math.tan(half))
        # Pass 2: shrink fillets that would overrun an edge, sharing the edge in proportion.
        scale = [1.0] * n
        for i in range(n):
            j = (i + 1) % n
            total = want[i] + want[j]
            edge = length(sub(v[j], v[i]))
            if total > edge:
                scale[i] = min(scale[i], edge / total)
                scale[j] = min(scale[j], edge / total)
        # Pass 3: one line and one arc per vertex; the arc's handles are those of a circular arc.
        corners = []
        for i in range(n):
            u1, u2 = edges[i]
            t = want[i] * scale[i]
            r = t * math.tan(halves[i]) if halves[i] < math.pi / 2 - 1e-6 else 0.0
            turn = math.pi - 2 * halves[i]
            handle = 4.0 / 3.0 * math.tan(turn / 4) * r
            tin = add(v[i], mul(u1, t))
            tout = add(v[i], mul(u2, t))
            corners.append((tin, sub(tin, mul(u1, handle)), sub(tout, mul(u2, handle)), tout))
        pen.moveTo(corners[0][3])
        for tin, c1, c2, tout in corners[1:] + corners[:1]:
            pen.lineTo(tin)
            pen.curveTo(c1, c2, tout)
        pen.closePath()


# ------------------------------------------------------------------------------------------------
# Strokes: a centre-line skeleton offset to both sides. Horizontal runs get the bar thickness,
# vertical runs the stem thickness, slanted runs an elliptical blend of the two.


class Pen:
    """Stroke thicknesses and radii shared by every stroke of one master."""

    def __init__(self, stem, bar, soft):
        self.stem = stem
        self.bar = bar
        self.soft = soft

    def thickness(self, d):
        return math.hypot(self.stem * d[1], self.bar * d[0])

    def cap(self, d):
        """Fillet radius of a terminal's corners: square when hard, a half round when soft."""
        return self.soft * 0.5 * self.thickness(d) * 0.98

    def inner_floor(self):
        return self.soft * 0.32 * min(self.stem, self.bar)


def stroke(pen, pts, radii=None, closed=False, start_cut=None, end_cut=None, start_cap=None,
           end_cap=None):
    """Outlines of the stroke along `pts`.

    radii: the centre-line fillet radius at each vertex (interior vertices of an open stroke;
    every vertex of a closed one). start_cut / end_cut: the direction of the line that cuts a
    terminal (default: square to the stroke). start_cap / end_cap: fillet radius of a terminal's
    corners (default: the pen's). Returns a list of Polygons, outer ones counter-clockwise.
    """
    n = len(pts)
    segs = n if closed else n - 1
    dirs = [unit(sub(pts[(i + 1) % n], pts[i])) for i in range(segs)]
    normals = [(-d[1], d[0]) for d in dirs]
    halves = [pen.thickness(d) / 2 for d in dirs]
    radii = list(radii or [0.0] * n)
    if not closed and len(radii) == n - 2:
        radii = [0.0] + radii + [0.0]

    def side(sign, j):
        return add(pts[j], mul(normals[j], sign * halves[j])), dirs[j]

    def join(sign, i):
        a = (i - 1) % segs
        b = i % segs
        pa, da = side(sign, a)
        pb, db = side(sign, b)
        p = intersect(pa, da, pb, db)
        if p is None:
            p = add(pts[i], mul(normals[b], sign * halves[b]))
        h = (halves[a] + halves[b]) / 2
        turn_left = cross(dirs[a], dirs[b]) > 0
        inner = (sign > 0) == turn_left
        r = max(radii[i] - h, pen.inner_floor() if radii[i] > 0 else 0.0) if inner \
            else radii[i] + h
        return p, r

    if closed:
        out = []
        for sign in (1, -1):
            joins = [join(sign, i) for i in range(n)]
            out.append(Polygon([p for p, _ in joins], [r for _, r in joins]))
        outer, inner = sorted(out, key=lambda poly: -abs(signed_area(poly.vertices)))
        return [outer.oriented(True), inner.oriented(False)]

    def terminal(sign, j, at, cut):
        p, d = side(sign, j)
        c = cut if cut is not None else normals[j]
        return intersect(p, d, pts[at], c)

    sc = start_cap if start_cap is not None else pen.cap(dirs[0])
    ec = end_cap if end_cap is not None else pen.cap(dirs[-1])
    left = [(terminal(1, 0, 0, start_cut), sc)] + [join(1, i) for i in range(1, n - 1)] + \
        [(terminal(1, segs - 1, n - 1, end_cut), ec)]
    right = [(terminal(-1, 0, 0, start_cut), sc)] + [join(-1, i) for i in range(1, n - 1)] + \
        [(terminal(-1, segs - 1, n - 1, end_cut), ec)]
    ring = left + right[::-1]
    return [Polygon([p for p, _ in ring], [r for _, r in ring]).oriented(True)]


def box(x0, y0, x1, y1, r):
    return Polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], [r] * 4)


# Softness master value -> roundness of the construction (0 sharp, 1 fully round).
ROUNDNESS = {0: 0.0, 50: 0.78, 100: 1.0}

# ------------------------------------------------------------------------------------------------
# The design. All lengths are font units; the digit body spans x in [L, R], y in [0, H].


class Master:
    def __init__(self, wght, wdth, hght, soft):
        self.loc = dict(wght=wght, wdth=wdth, HGHT=hght, SOFT=soft)
        # Roundness grows fast at first: half way along the axis the bowls are already most of
        # the way to round, which is where the clock's default sits.
        self.f = ROUNDNESS[soft]
        self.W = 560.0 * wdth / 100.0
        self.H = 360.0 + 1.28 * hght
        t = (wght - 100.0) / 900.0
        base = 30.0 + 200.0 * t ** 0.85
        self.stem = min(base * (0.65 + 0.35 * wdth / 100.0), 0.36 * self.W)
        self.bar = min(base * 0.88, 0.19 * self.H)
        self.side = 46.0 + 0.05 * self.W
        self.L = self.side
        self.R = self.side + self.W
        self.advance = self.W + 2 * self.side
        self.pen = Pen(self.stem, self.bar, self.f)
        # Round bowls reach a little past the flat tops and the baseline so that they look as
        # tall as the flat ones.
        self.overshoot = self.f * 0.012 * self.H

    # Skeleton helpers: centre lines of the outer stems and bars.
    @property
    def xl(self):
        return self.L + self.stem / 2

    @property
    def xr(self):
        return self.R - self.stem / 2

    @property
    def yt(self):
        return self.H - self.bar / 2

    @property
    def yb(self):
        return self.bar / 2

    @property
    def yt_round(self):
        return self.yt + self.overshoot

    @property
    def yb_round(self):
        return self.yb - self.overshoot

    def bowl(self, w, h):
        """Centre-line fillet radius of a bowl w wide and h tall."""
        return self.f * min(w, h) / 2

    def hook(self):
        """Centre-line length of a terminal that turns back from a bar."""
        return self.bar / 2 + 0.09 * self.H + 0.25 * self.bar


def glyph_zero(m):
    w, h = m.xr - m.xl, m.yt - m.yb
    r = m.bowl(w, h)
    pts = [(m.xl, m.yb_round), (m.xr, m.yb_round), (m.xr, m.yt_round), (m.xl, m.yt_round)]
    return stroke(m.pen, pts, [r] * 4, closed=True)


def glyph_one(m):
    # A stem with a slanted flag; the stem sits a little right of centre so that the pair reads
    # as centred.
    stem, bar = m.stem, m.bar
    cx = (m.L + m.R) / 2 + 0.07 * m.W
    x0, x1 = cx - stem / 2, cx + stem / 2
    flag = 0.30 * m.W
    drop = 0.16 * m.H
    slope = drop / flag
    thick = bar * math.sqrt(1 + slope * slope)
    f = m.f
    rc = f * 0.5 * stem * 0.98
    pts = [(x0, 0), (x1, 0), (x1, m.H), (x0, m.H), (x0 - flag, m.H - drop),
           (x0 - flag, m.H - drop - thick), (x0, m.H - thick)]
    radii = [rc, rc, rc, f * 0.4 * stem, f * 0.5 * bar * 0.9, f * 0.5 * bar * 0.9,
             f * 0.5 * bar]
    return [Polygon(pts, radii).oriented(True)]


def glyph_two(m):
    top_h = 0.50 * m.H
    y1 = m.H - top_h + m.bar / 2
    r_top = m.bowl(m.xr - m.xl, top_h)
    y2 = m.yb + 0.16 * m.H
    pts = [(m.xl, m.yt_round - m.hook()), (m.xl, m.yt_round), (m.xr, m.yt_round), (m.xr, y1),
           (m.xl, y2), (m.xl, m.yb), (m.R, m.yb)]
    radii = [m.f * 0.9 * m.bar + r_top * 0.35, r_top, r_top * 0.9, m.f * 0.25 * m.W,
             m.f * 0.3 * m.stem]
    return stroke(m.pen, pts, radii, end_cut=(0, 1))


def glyph_three(m):
    ym = 0.53 * m.H
    inset = 0.07 * m.W
    xr_top = m.xr - inset
    r_top = m.bowl(xr_top - m.xl, m.yt - ym)
    r_bot = m.bowl(m.xr - m.xl, ym - m.yb)
    xm = m.L + 0.30 * m.W
    # The upper bowl ends in the middle bar's open terminal; the lower bowl starts square inside
    # that bar, so the two read as one stroke.
    upper = stroke(m.pen, [(m.xl, m.yt_round - m.hook()), (m.xl, m.yt_round),
                           (xr_top, m.yt_round), (xr_top, ym), (xm, ym)],
                   [m.f * 0.9 * m.bar + r_top * 0.35, r_top, r_top])
    lower = stroke(m.pen, [(xm + m.stem * 0.5, ym), (m.xr, ym), (m.xr, m.yb_round),
                           (m.xl, m.yb_round), (m.xl, m.yb_round + m.hook())],
                   [r_bot, r_bot, m.f * 0.9 * m.bar + r_bot * 0.35], start_cap=0.0)
    return upper + lower


def glyph_four(m):
    yc = 0.30 * m.H
    xs = m.xr - 0.10 * m.W
    r = m.f * 0.3 * m.W
    arm = stroke(m.pen, [(m.xl, m.H), (m.xl, yc), (m.R, yc)], [r], start_cut=(1, 0),
                 end_cut=(0, 1))
    stem = stroke(m.pen, [(xs, m.H), (xs, 0)], start_cut=(1, 0), end_cut=(1, 0))
    return arm + stem


def glyph_five(m):
    yb5 = 0.60 * m.H
    r_bowl = m.bowl(m.xr - m.xl, yb5 - m.yb)
    pts = [(m.R, m.yt), (m.xl, m.yt), (m.xl, yb5), (m.xr, yb5), (m.xr, m.yb_round),
           (m.xl, m.yb_round), (m.xl, m.yb_round + m.hook())]
    radii = [m.f * 0.45 * m.stem, m.f * 0.25 * m.stem, r_bowl, r_bowl,
             m.f * 0.9 * m.bar + r_bowl * 0.35]
    return stroke(m.pen, pts, radii, start_cut=(0, 1))


def glyph_six(m):
    yb6 = 0.58 * m.H
    r_bowl = m.bowl(m.xr - m.xl, yb6 - m.yb)
    r_top = m.bowl(m.xr - m.xl, m.yt - yb6)
    y_bar = yb6 - m.bar / 2
    # One stroke: the top hook, down the left side, round the bowl, and back into the stem,
    # turning down at the end so that the bowl's counter gets a rounded corner there too.
    pts = [(m.xr, m.yt_round - m.hook()), (m.xr, m.yt_round), (m.xl, m.yt_round),
           (m.xl, m.yb_round), (m.xr, m.yb_round),
           (m.xr, y_bar), (m.xl, y_bar), (m.xl, y_bar - 0.5 * (y_bar - m.yb))]
    radii = [m.f * 0.9 * m.bar + r_top * 0.35, r_top, r_bowl, r_bowl, r_bowl, r_bowl * 0.6]
    return stroke(m.pen, pts, radii, end_cap=0.0)


def glyph_seven(m):
    y7 = 0.70 * m.H
    xb = m.L + 0.30 * m.W
    pts = [(m.L, m.yt), (m.xr, m.yt), (m.xr, y7), (xb, 0)]
    radii = [m.f * 0.35 * m.W, m.f * 0.2 * m.W]
    return stroke(m.pen, pts, radii, start_cut=(0, 1), end_cut=(1, 0))


def glyph_eight(m):
    ym = 0.54 * m.H
    inset = 0.06 * m.W
    top = [(m.xl + inset, ym), (m.xr - inset, ym), (m.xr - inset, m.yt_round),
           (m.xl + inset, m.yt_round)]
    bottom = [(m.xl, m.yb_round), (m.xr, m.yb_round), (m.xr, ym), (m.xl, ym)]
    r_top = m.bowl(m.xr - m.xl - 2 * inset, m.yt - ym)
    r_bot = m.bowl(m.xr - m.xl, ym - m.yb)
    return stroke(m.pen, top, [r_top] * 4, closed=True) + \
        stroke(m.pen, bottom, [r_bot] * 4, closed=True)


def glyph_nine(m):
    # The six turned half way round the centre of the body.
    cx, cy = (m.L + m.R) / 2, m.H / 2
    return [p.transformed(lambda v: (2 * cx - v[0], 2 * cy - v[1])) for p in glyph_six(m)]


def dot_size(m):
    return min(1.08 * max(m.stem, m.bar) + 10, 0.42 * m.W)


def glyph_colon(m):
    d = dot_size(m)
    x0 = m.colon_side
    r = m.f * d / 2 * 0.98
    gap = max(0.30 * m.H, 1.6 * d)
    cy = 0.5 * m.H
    return [box(x0, cy - gap / 2 - d / 2, x0 + d, cy - gap / 2 + d / 2, r).oriented(True),
            box(x0, cy + gap / 2 - d / 2, x0 + d, cy + gap / 2 + d / 2, r).oriented(True)]


def glyph_period(m):
    d = dot_size(m)
    x0 = m.colon_side
    return [box(x0, 0, x0 + d, d, m.f * d / 2 * 0.98).oriented(True)]


def glyph_hyphen(m):
    y = 0.48 * m.H
    x0, x1 = m.L + 0.16 * m.W, m.R - 0.16 * m.W
    return stroke(m.pen, [(x0, y), (x1, y)])


def glyph_A(m):
    ym = 0.40 * m.H
    r = m.bowl(m.xr - m.xl, m.H)
    arch = stroke(m.pen, [(m.xl, 0), (m.xl, m.yt), (m.xr, m.yt), (m.xr, 0)], [r, r],
                  start_cut=(1, 0), end_cut=(1, 0))
    bar = stroke(m.pen, [(m.xl, ym), (m.xr, ym)], start_cap=0.0, end_cap=0.0)
    return arch + bar


def glyph_P(m):
    yb = 0.42 * m.H
    r = m.bowl(m.xr - m.xl, m.yt - yb)
    stem = stroke(m.pen, [(m.xl, 0), (m.xl, m.yt)], start_cut=(1, 0), end_cap=0.0)
    bowl = stroke(m.pen, [(m.xl, m.yt), (m.xr, m.yt), (m.xr, yb), (m.xl, yb)], [r, r],
                  start_cap=0.0, end_cap=0.0)
    # The stem's top-left corner is a true corner of the letter.
    corner = stroke(m.pen, [(m.xl, m.yt - m.bar), (m.xl, m.yt), (m.xl + m.stem, m.yt)],
                    [m.f * 0.2 * m.stem], start_cap=0.0, end_cap=0.0)
    return stem + bowl + corner


def glyph_M(m):
    r = m.bowl((m.xr - m.xl) / 2, m.H) * 0.8
    xc = (m.L + m.R) / 2
    arch = stroke(m.pen, [(m.xl, 0), (m.xl, m.yt), (m.xr, m.yt), (m.xr, 0)], [r, r],
                  start_cut=(1, 0), end_cut=(1, 0))
    # The middle stem is lighter than the outer ones so that the two counters stay open.
    middle = Pen(m.stem * 0.72, m.bar, m.f)
    mid = stroke(middle, [(xc, m.yt), (xc, 0.16 * m.H)], start_cap=0.0, end_cut=(1, 0))
    return arch + mid


def glyph_notdef(m):
    x0, x1 = m.L + 20, m.R - 20
    t = 40
    return [box(x0, 0, x1, m.H, 0).oriented(True),
            box(x0 + t, t, x1 - t, m.H - t, 0).oriented(False)]


# name, code points, drawing, advance ("digit", "colon" or a fraction of the digit advance)
GLYPHS = [
    (".notdef", [], glyph_notdef, "digit"),
    ("space", [0x0020], None, 0.40),
    ("uni00A0", [0x00A0], None, 0.40),
    ("figurespace", [0x2007], None, "digit"),
    ("thinspace", [0x2009], None, 0.20),
    ("uni202F", [0x202F], None, 0.25),
    ("zero", [0x30], glyph_zero, "digit"),
    ("one", [0x31], glyph_one, "digit"),
    ("two", [0x32], glyph_two, "digit"),
    ("three", [0x33], glyph_three, "digit"),
    ("four", [0x34], glyph_four, "digit"),
    ("five", [0x35], glyph_five, "digit"),
    ("six", [0x36], glyph_six, "digit"),
    ("seven", [0x37], glyph_seven, "digit"),
    ("eight", [0x38], glyph_eight, "digit"),
    ("nine", [0x39], glyph_nine, "digit"),
    ("colon", [0x3A, 0x2236], glyph_colon, "colon"),
    ("period", [0x2E], glyph_period, "colon"),
    ("hyphen", [0x2D, 0x2010, 0x2212], glyph_hyphen, "digit"),
    ("A", [0x41, 0x61], glyph_A, "digit"),
    ("M", [0x4D, 0x6D], glyph_M, "digit"),
    ("P", [0x50, 0x70], glyph_P, "digit"),
]


def advance_of(m, kind):
    if kind == "digit":
        return m.advance
    if kind == "colon":
        return m.colon_advance
    return kind * m.advance


def build_master(loc):
    m = Master(loc["wght"], loc["wdth"], loc["HGHT"], loc["SOFT"])
    d = dot_size(m)
    m.colon_side = 0.55 * d + 0.04 * m.W
    m.colon_advance = d + 2 * m.colon_side

    order = [g[0] for g in GLYPHS]
    charstrings, metrics, cmap = {}, {}, {}
    for name, codes, draw, kind in GLYPHS:
        width = round(advance_of(m, kind))
        pen = T2CharStringPen(width, None)
        if draw is not None:
            for poly in draw(m):
                poly.draw(pen)
        charstrings[name] = pen.getCharString(optimize=False)
        metrics[name] = (width, 0)
        for c in codes:
            cmap[c] = name

    ascent = round(m.H + 0.06 * m.H)
    descent = round(0.10 * m.H + 40)
    fb = FontBuilder(UPM, isTTF=False)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap(cmap)
    fb.setupCFF(PS_FAMILY + "-Regular", {"FullName": FAMILY}, charstrings, {})
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=ascent, descent=-descent, lineGap=0)
    fb.setupNameTable({"familyName": FAMILY, "styleName": "Regular",
                       "psName": PS_FAMILY + "-Regular",
                       "version": "Version 1.000",
                       "copyright": "Generated by make_clock_font.py"})
    fb.setupOS2(version=4, sTypoAscender=ascent, sTypoDescender=-descent, sTypoLineGap=0,
                usWinAscent=ascent, usWinDescent=descent,
                sxHeight=round(0.7 * m.H), sCapHeight=round(m.H),
                usWeightClass=400, usWidthClass=5, fsSelection=0x40 | 0x80,
                achVendID="QVRN")
    fb.setupPost()
    font = fb.font
    # Left side bearings come from the outlines.
    cff = font["CFF "].cff
    gs = cff[cff.fontNames[0]].CharStrings
    for name in order:
        cs = gs[name]
        bounds = cs.calcBounds(gs)
        font["hmtx"][name] = (metrics[name][0], bounds[0] if bounds else 0)
    font["hhea"].advanceWidthMax = max(w for w, _ in font["hmtx"].metrics.values())
    return font


def build_variable_font():
    doc = DesignSpaceDocument()
    for tag, name, lo, default, hi, _ in AXES:
        a = AxisDescriptor()
        a.tag, a.name, a.minimum, a.default, a.maximum = tag, name, lo, default, hi
        doc.addAxis(a)
    default_loc = {name: default for _, name, _, default, _, _ in AXES}
    locations = list(itertools.product(*[stops for *_, stops in AXES]))
    # The default master goes first.
    locations.sort(key=lambda l: l != tuple(default_loc[a[1]] for a in AXES))
    for values in locations:
        by_tag = {a[0]: v for a, v in zip(AXES, values)}
        src = SourceDescriptor()
        src.font = build_master(by_tag)
        src.location = {a[1]: v for a, v in zip(AXES, values)}
        src.name = "master-" + "-".join(f"{a[0]}{v}" for a, v in zip(AXES, values))
        doc.addSource(src)
    for style, loc in NAMED_INSTANCES:
        inst = InstanceDescriptor()
        inst.familyName = FAMILY
        inst.styleName = style
        inst.postScriptFontName = PS_FAMILY + "-" + style.replace(" ", "")
        inst.location = {a[1]: loc[a[0]] for a in AXES}
        doc.addInstance(inst)

    font, _, _ = varLib.build(doc, optimize=True)
    buildStatTable(font, [
        dict(tag="wght", name="Weight", ordering=0, values=[
            dict(value=100, name="Thin"),
            dict(value=400, name="Regular", flags=0x2),
            dict(value=700, name="Bold"),
            dict(value=900, name="Heavy"),
        ]),
        dict(tag="wdth", name="Width", ordering=1, values=[
            dict(value=60, name="Condensed"),
            dict(value=100, name="Normal", flags=0x2),
        ]),
        dict(tag="HGHT", name="Height", ordering=2, values=[
            dict(value=100, name="Short"),
            dict(value=500, name="Tall", flags=0x2),
        ]),
        dict(tag="SOFT", name="Softness", ordering=3, values=[
            dict(value=0, name="Sharp"),
            dict(value=50, name="Soft", flags=0x2),
            dict(value=100, name="Round"),
        ]),
    ])
    return font


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-o", "--output",
                        default=os.path.join(here, "SFAdaptiveSoftNumeric-VF.otf"))
    args = parser.parse_args(argv)
    font = build_variable_font()
    # A fixed time stamp keeps the file identical from one run to the next.
    font["head"].created = font["head"].modified = TIMESTAMP
    font.recalcTimestamp = False
    font.save(args.output)
    print(f"wrote {args.output} ({os.path.getsize(args.output)} bytes)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
