#!/usr/bin/python3
"""Builds the icon font "psfont" from Font Awesome 4.7 and a digit font.

Every glyph named in the glyph table is placed at its private-use code point, so the
interface can address pictures by the code points it was designed with. Needs the
fontforge Python module (Debian: python3-fontforge).

usage: build_icon_font.py --table icon_glyphs.tsv --awesome fontawesome-webfont.ttf
                          --digits Roboto-Bold.ttf --output psfont.ttf
"""

import argparse
import contextlib
import math
import os
import sys

# fontforge stamps the build time into the font unless given a fixed one when it loads;
# a fixed stamp keeps rebuilds byte-identical.
os.environ.setdefault("SOURCE_DATE_EPOCH", "0")

import fontforge  # noqa: E402
import psMat  # noqa: E402

FAMILY = "psfont"

# Font Awesome 4.7 draws on a 1792 unit em from -256 to 1536; the composed glyphs use the
# same grid, so all pictures line up at any pixel size.
EM = 1792
ASCENT = 1536
DESCENT = 256
CENTRE_Y = (ASCENT - DESCENT) / 2  # the vertical middle of FA's round glyphs

# Ring of the circled digits: as wide as FA's circle glyphs, a rim heavy enough to stay
# visible at the 18 px of the quick paste labels.
RING_RADIUS = 780
RING_RIM = 150
RING_ADVANCE = 1792
DIGIT_HEIGHT = 760

OUTLINE_RIM = 120  # wall of hollowed glyphs
KAPPA = 0.5522847498  # control point distance of a quarter circle as a cubic Bezier


@contextlib.contextmanager
def quiet_stderr():
    """Silences fontforge's notes on opening a font (Font Awesome's glyph names disagree with
    their code points, which is harmless here); failures still raise."""
    sys.stderr.flush()
    saved = os.dup(2)
    with open(os.devnull, "w") as devnull:
        os.dup2(devnull.fileno(), 2)
    try:
        yield
    finally:
        os.dup2(saved, 2)
        os.close(saved)


def read_table(path):
    """Returns (name, code point, source) rows; raises on malformed lines."""
    rows = []
    with open(path, encoding="utf-8") as table:
        for number, line in enumerate(table, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.split("\t")
            if len(fields) != 4:
                raise ValueError(f"{path}:{number}: expected 4 tab separated fields")
            name, code, source, _picture = fields
            rows.append((name, int(code, 16), source))
    return rows


def draw_circle(pen, cx, cy, r):
    k = r * KAPPA
    pen.moveTo((cx, cy + r))
    pen.curveTo((cx + k, cy + r), (cx + r, cy + k), (cx + r, cy))
    pen.curveTo((cx + r, cy - k), (cx + k, cy - r), (cx, cy - r))
    pen.curveTo((cx - k, cy - r), (cx - r, cy - k), (cx - r, cy))
    pen.curveTo((cx - r, cy + k), (cx - k, cy + r), (cx, cy + r))
    pen.closePath()


def fit_into_em(glyph):
    """Scales a glyph down (never up) to fit the em height and re-centres it in its advance."""
    xmin, ymin, xmax, ymax = glyph.boundingBox()
    scale = min(1.0, (ASCENT + DESCENT) / (ymax - ymin))
    glyph.transform(psMat.scale(scale))
    xmin, ymin, xmax, ymax = glyph.boundingBox()
    width = math.ceil(xmax - xmin)
    dy = CENTRE_Y - (ymin + ymax) / 2
    glyph.transform(psMat.translate(-xmin, dy))
    glyph.width = width


def tilt(glyph):
    xmin, ymin, xmax, ymax = glyph.boundingBox()
    cx, cy = (xmin + xmax) / 2, (ymin + ymax) / 2
    turn = psMat.compose(psMat.translate(-cx, -cy), psMat.rotate(math.radians(-45)))
    glyph.transform(psMat.compose(turn, psMat.translate(cx, cy)))
    fit_into_em(glyph)


def hollow(glyph):
    """Keeps a rim of OUTLINE_RIM inside the glyph's outer outline; inner details (holes) go,
    since they would leave a tangle of rims at icon sizes."""
    shape = fontforge.layer()
    shape.is_quadratic = glyph.foreground.is_quadratic
    for contour in glyph.foreground:
        if contour.isClockwise():  # outer contours of a TrueType outline run clockwise
            shape += contour
    band = shape.dup()
    band.stroke("circular", 2 * OUTLINE_RIM, "round", "round")
    rim = shape.dup()
    rim += band
    rim.intersect()
    rim.correctDirection()
    glyph.foreground = rim


def copy_awesome(glyph, awesome, source):
    parts = source[len("fa:"):].split("/")
    template = awesome[int(parts[0], 16)]
    glyph.foreground = template.foreground
    glyph.width = template.width
    for modifier in parts[1:]:
        if modifier == "tilt":
            tilt(glyph)
        elif modifier == "outline":
            hollow(glyph)
        else:
            raise ValueError(f"unknown modifier '{modifier}' in {source}")


def compose_circled_digit(glyph, digits, digit):
    if len(digit) != 1 or not digit.isdigit():
        raise ValueError(f"circled source needs one digit, got '{digit}'")
    cx = RING_ADVANCE / 2
    pen = glyph.glyphPen()
    draw_circle(pen, cx, CENTRE_Y, RING_RADIUS)
    draw_circle(pen, cx, CENTRE_Y, RING_RADIUS - RING_RIM)
    pen = None  # the pen writes its contours into the glyph when released

    shape = digits[ord(digit)].foreground.dup()
    xmin, ymin, xmax, ymax = shape.boundingBox()
    scale = DIGIT_HEIGHT / (ymax - ymin)
    shape.transform(psMat.scale(scale))
    xmin, ymin, xmax, ymax = shape.boundingBox()
    shape.transform(psMat.translate(cx - (xmin + xmax) / 2, CENTRE_Y - (ymin + ymax) / 2))
    layer = glyph.foreground
    shape.is_quadratic = layer.is_quadratic
    layer += shape
    glyph.foreground = layer
    glyph.correctDirection()  # the inner circle becomes the ring's hole, the digit ink again
    glyph.width = RING_ADVANCE


def build(table, awesome_path, digits_path, output):
    with quiet_stderr():
        awesome = fontforge.open(awesome_path)
        digits = fontforge.open(digits_path)
    digits.em = EM  # rescales the digit outlines to this font's grid

    font = fontforge.font()
    font.em = EM
    font.ascent = ASCENT
    font.descent = DESCENT
    font.encoding = "UnicodeFull"
    font.familyname = FAMILY
    font.fontname = FAMILY
    font.fullname = FAMILY
    font.version = "1.0"
    font.hhea_linegap = 0  # an icon's line is exactly its em, so icons centre in their boxes
    font.os2_typolinegap = 0
    font.copyright = (
        "Pictures from Font Awesome 4.7 by Dave Gandy (SIL Open Font License 1.1); "
        "digits from Roboto by Google (Apache License 2.0)."
    )
    font.appendSFNTName("English (US)", "License", "SIL Open Font License 1.1")
    font.appendSFNTName("English (US)", "UniqueID", f"{FAMILY} 1.0")  # no build date

    seen = set()
    for name, code, source in table:
        if code in seen:
            raise ValueError(f"code point U+{code:04X} is listed twice")
        seen.add(code)
        glyph = font.createChar(code, name)
        if source.startswith("fa:"):
            copy_awesome(glyph, awesome, source)
        elif source.startswith("circled:"):
            compose_circled_digit(glyph, digits, source[len("circled:"):])
        else:
            raise ValueError(f"unknown source '{source}' for {name}")
        glyph.round()
        if glyph.foreground.isEmpty():
            raise ValueError(f"glyph {name} came out empty")

    font.generate(output)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--table", required=True)
    parser.add_argument("--awesome", required=True)
    parser.add_argument("--digits", required=True)
    parser.add_argument("--output", required=True)
    args = parser.parse_args()
    try:
        build(read_table(args.table), args.awesome, args.digits, args.output)
    except (OSError, ValueError) as error:
        print(f"build_icon_font: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
