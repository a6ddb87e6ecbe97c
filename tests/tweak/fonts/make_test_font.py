#!/usr/bin/python3
"""Builds ClockAxesNoHeight.ttf, a tiny variable font for the clock-font loader's tests.

It has the axes "Weight" (wght 100-1000), "Width" (wdth 60-100) and "Softness" (SOFT 0-100) but
no height axis. Its digits are chamfered boxes: weight thickens the walls, width narrows the box,
softness cuts the corners.

    /usr/bin/python3 make_test_font.py [-o ClockAxesNoHeight.ttf]
"""

import argparse
import os
import sys

from fontTools.designspaceLib import AxisDescriptor, DesignSpaceDocument, SourceDescriptor
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools import varLib

AXES = [("wght", "Weight", 100, 100, 1000), ("wdth", "Width", 60, 100, 100),
        ("SOFT", "Softness", 0, 0, 100)]
DIGITS = ["zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"]


def chamfered_box(pen, x0, y0, x1, y1, c, clockwise):
    pts = [(x0 + c, y0), (x1 - c, y0), (x1, y0 + c), (x1, y1 - c), (x1 - c, y1), (x0 + c, y1),
           (x0, y1 - c), (x0, y0 + c)]
    if clockwise:
        pts.reverse()
    pen.moveTo(pts[0])
    for p in pts[1:]:
        pen.lineTo(p)
    pen.closePath()


def master(wght, wdth, soft):
    width = round(500 * wdth / 100)
    wall = 20 + 0.15 * (wght - 100)
    chamfer = 4 + soft  # never 0: coinciding points would be merged
    glyphs, metrics = {}, {}
    for name in [".notdef", "space"] + DIGITS + ["colon"]:
        pen = TTGlyphPen(None)
        advance = width + 100
        if name in DIGITS or name == ".notdef":
            # TrueType outer contours run clockwise.
            chamfered_box(pen, 50, 0, 50 + width, 700, chamfer, True)
            chamfered_box(pen, 50 + wall, wall, 50 + width - wall, 700 - wall, chamfer / 2, False)
        elif name == "colon":
            advance = 260
            chamfered_box(pen, 80, 100, 180, 200, chamfer / 4, True)
            chamfered_box(pen, 80, 400, 180, 500, chamfer / 4, True)
        glyphs[name] = pen.glyph()
        metrics[name] = (advance, 50 if name != "space" else 0)
    fb = FontBuilder(1000, isTTF=True)
    fb.setupGlyphOrder(list(glyphs))
    cmap = {0x20: "space", 0x3A: "colon"}
    cmap.update({0x30 + i: n for i, n in enumerate(DIGITS)})
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable({"familyName": "QV Clock Test No Height", "styleName": "Regular",
                       "psName": "QVClockTestNoHeight-Regular"})
    fb.setupOS2(sTypoAscender=800, sTypoDescender=-200, usWinAscent=800, usWinDescent=200)
    fb.setupPost()
    return fb.font


def build():
    doc = DesignSpaceDocument()
    for tag, name, lo, default, hi in AXES:
        a = AxisDescriptor()
        a.tag, a.name, a.minimum, a.default, a.maximum = tag, name, lo, default, hi
        doc.addAxis(a)
    # The default master, then one master at the far end of each axis.
    for loc in [(100, 100, 0), (1000, 100, 0), (100, 60, 0), (100, 100, 100)]:
        src = SourceDescriptor()
        src.font = master(*loc)
        src.location = {a[1]: v for a, v in zip(AXES, loc)}
        doc.addSource(src)
    font, _, _ = varLib.build(doc)
    font["head"].created = font["head"].modified = 3786912000
    font.recalcTimestamp = False
    return font


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-o", "--output", default=os.path.join(here, "ClockAxesNoHeight.ttf"))
    args = parser.parse_args(argv)
    build().save(args.output)
    print(f"wrote {args.output} ({os.path.getsize(args.output)} bytes)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
