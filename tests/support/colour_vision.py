#!/usr/bin/python3
"""How the editor's colours look to an eye that cannot tell red from green.

    colour_vision.py SCREENSHOT.png OUTDIR
        writes OUTDIR/deuteranopia.png and OUTDIR/protanopia.png: the screenshot as such an
        eye sees it (ImageMagick's convert does the pixels).
    colour_vision.py --palette NAME=#RRGGBB ... [--on #RRGGBB]
        prints each colour as the two simulations show it, and for each pair the distance
        between them (CIE76 Delta E; under about 10 two colours are hard to tell apart, under
        about 20 at a glance in small text), and the contrast ratio of each colour to the
        background given with --on.

The simulations are the full-severity matrices of Machado, Oliveira and Fernandes (2009),
applied in linear RGB."""

import itertools
import subprocess
import sys

MATRICES = {
    "deuteranopia": ((0.367322, 0.860646, -0.227968),
                     (0.280085, 0.672501, 0.047413),
                     (-0.011820, 0.042940, 0.968881)),
    "protanopia": ((0.152286, 1.052583, -0.204868),
                   (0.114503, 0.786281, 0.099216),
                   (-0.003882, -0.048116, 1.051998)),
}


def to_linear(c):
    c /= 255.0
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def to_srgb(c):
    c = min(max(c, 0.0), 1.0)
    c = 12.92 * c if c <= 0.0031308 else 1.055 * c ** (1 / 2.4) - 0.055
    return round(c * 255)


def parse(colour):
    colour = colour.lstrip("#")
    return tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4))


def simulate(rgb, matrix):
    lin = [to_linear(c) for c in rgb]
    return tuple(to_srgb(sum(m * c for m, c in zip(row, lin))) for row in matrix)


def lab(rgb):
    r, g, b = (to_linear(c) for c in rgb)
    xyz = (0.4124 * r + 0.3576 * g + 0.1805 * b,
           0.2126 * r + 0.7152 * g + 0.0722 * b,
           0.0193 * r + 0.1192 * g + 0.9505 * b)
    ref = (0.95047, 1.0, 1.08883)

    def f(t):
        return t ** (1 / 3) if t > 0.008856 else 7.787 * t + 16 / 116

    fx, fy, fz = (f(v / n) for v, n in zip(xyz, ref))
    return 116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)


def delta_e(a, b):
    return sum((x - y) ** 2 for x, y in zip(lab(a), lab(b))) ** 0.5


def luminance(rgb):
    r, g, b = (to_linear(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def hex_of(rgb):
    return "#%02X%02X%02X" % rgb


def palette(args):
    background = None
    colours = []
    it = iter(args)
    for arg in it:
        if arg == "--on":
            background = parse(next(it))
        else:
            name, value = arg.split("=")
            colours.append((name, parse(value)))
    for sight in ("normal",) + tuple(MATRICES):
        shown = [(n, c if sight == "normal" else simulate(c, MATRICES[sight])) for n, c in colours]
        print(sight + ":")
        for name, rgb in shown:
            extra = " contrast %.1f:1" % contrast(rgb, background) if background else ""
            print("  %-8s %s%s" % (name, hex_of(rgb), extra))
        for (n1, c1), (n2, c2) in itertools.combinations(shown, 2):
            print("  %s/%s Delta E %.0f" % (n1, n2, delta_e(c1, c2)))


def images(screenshot, outdir):
    for sight, matrix in MATRICES.items():
        values = " ".join("%f" % v for row in matrix for v in row)
        subprocess.run(["convert", screenshot, "-colorspace", "RGB", "-color-matrix", values,
                        "-colorspace", "sRGB", "%s/%s.png" % (outdir, sight)], check=True)


if __name__ == "__main__":
    if len(sys.argv) >= 2 and sys.argv[1] == "--palette":
        palette(sys.argv[2:])
    elif len(sys.argv) == 3:
        images(sys.argv[1], sys.argv[2])
    else:
        sys.exit(__doc__)
