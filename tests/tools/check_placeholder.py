#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks the placeholder picture that `kavorn-companion placeholder --raw` writes.

Independent of the project's code: the layout is worked out here from its definition
(fractions of the width w and height h, bar rectangles snapped outward to whole pixels, the
rectangle drawn later winning a shared column or row), and compared with the raw BGRA bytes.

usage: check_placeholder.py KAVORN_COMPANION WxH WORKDIR
"""
import math
import os
import subprocess
import sys

TOP = [(.75, .75, .75), (.75, .75, 0), (0, .75, .75), (0, .75, 0), (.75, 0, .75), (.75, 0, 0),
       (0, 0, .75)]
MIDDLE = [(0, 0, .75), (.075,) * 3, (.75, 0, .75), (.075,) * 3, (0, .75, .75), (.075,) * 3,
          (.75, .75, .75)]
BOTTOM = [((0, .129, .298), 1.25), ((1, 1, 1), 1.25), ((.196, 0, .416), 1.25),
          ((.075,) * 3, 1.25), ((.035,) * 3, 1 / 3), ((.075,) * 3, 1 / 3), ((.114,) * 3, 1 / 3),
          ((.075,) * 3, 1.0)]
CARD = (0.04, 0.04, 0.05)

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def main():
    tool, size, workdir = sys.argv[1], sys.argv[2], sys.argv[3]
    w, h = (int(v) for v in size.split("x"))
    path = os.path.join(workdir, f"placeholder-{size}.raw")
    subprocess.run([tool, "placeholder", "--size", size, "--raw", "-o", path], check=True)
    data = open(path, "rb").read()
    os.unlink(path)
    if len(data) != w * h * 4:
        print(f"FAIL: {len(data)} bytes, expected {w * h * 4}")
        return 1

    def pixel(x, y):  # y from the bottom
        i = ((h - 1 - y) * w + x) * 4
        return data[i + 2], data[i + 1], data[i], data[i + 3]

    def near(p, colour, tolerance=1):
        return all(abs(p[k] - round(colour[k] * 255)) <= tolerance for k in range(3))

    check(data[3::4] == b"\xff" * (w * h), "every pixel's alpha is 255")

    u = w / 7
    bottom = h * (1 - 0.67 - 0.08)
    middle = h * 0.08
    t0 = bottom + middle
    t = (h - bottom) - middle
    bar_starts = [math.floor(u * i) for i in range(7)]
    bottom_starts, x = [], 0.0
    for _, factor in BOTTOM:
        bottom_starts.append(math.floor(x))
        x += u * factor
    check(math.ceil(x) == w, f"the bottom row ends at the right edge ({x})")
    middle_first, top_first = math.ceil(bottom), math.ceil(t0)

    if (w, h) == (1920, 1080):
        check(bar_starts == [0, 274, 548, 822, 1097, 1371, 1645], f"bar columns {bar_starts}")
        check(bottom_starts == [0, 342, 685, 1028, 1371, 1462, 1554, 1645],
              f"bottom columns {bottom_starts}")
        check((middle_first, top_first) == (270, 357), f"rows {middle_first}, {top_first}")

    def band(starts, x):
        return max(i for i, s in enumerate(starts) if s <= x)

    card_left, card_bottom = 0.22 * w, t0 + 0.3 * t
    card_right, card_top = card_left + 0.56 * w, card_bottom + 0.2 * h
    radius = 0.012 * h
    centre = card_bottom + 0.1 * h
    title_base, subtitle_base = centre + 0.012 * h, centre - 0.05 * h

    rows = {
        "top": ([top_first, top_first + 5, math.ceil(card_top) + 2, h - 1], TOP, bar_starts),
        "middle": ([middle_first, top_first - 1], MIDDLE, bar_starts),
        "bottom": ([0, middle_first - 1], [c for c, _ in BOTTOM], bottom_starts),
    }
    for name, (ys, colours, starts) in rows.items():
        for y in ys:
            bad = [x for x in range(w) if not near(pixel(x, y), colours[band(starts, x)])]
            check(not bad, f"{name} band row {y}: wrong colour at x {bad[:5]}")

    # The card: solid inside, blended on the pixels its edges cross, rounded at the corners.
    def bar_colour(x):
        return TOP[band(bar_starts, x)]

    lx, rx = math.floor(card_left), math.floor(card_right)
    by, ty = math.floor(card_bottom), math.floor(card_top)
    my = by + int(radius) + 4
    mx = lx + int(radius) + 4
    check(near(pixel(lx - 1, my), bar_colour(lx - 1)), "left of the card")
    check(not near(pixel(lx, my), CARD) and not near(pixel(lx, my), bar_colour(lx)),
          "the card's left edge pixel is blended")
    check(near(pixel(lx + 1, my), CARD), "inside the card's left edge")
    check(near(pixel(rx - 1, my), CARD), "inside the card's right edge")
    check(near(pixel(rx + 1, my), bar_colour(rx + 1)), "right of the card")
    check(near(pixel(mx, by - 1), bar_colour(mx)), "below the card")
    check(near(pixel(mx, by + 1), CARD), "inside the card's bottom edge")
    check(near(pixel(mx, ty - 1), CARD), "inside the card's top edge")
    check(near(pixel(mx, ty + 1), bar_colour(mx)), "above the card")
    for cx, cy, dx, dy in ((lx + 1, by + 1, 1, 1), (rx - 1, by + 1, -1, 1),
                           (lx + 1, ty - 1, 1, -1), (rx - 1, ty - 1, -1, -1)):
        check(near(pixel(cx, cy), bar_colour(cx)), f"corner pixel {cx},{cy} is outside the card")
        d = int(radius / 3) + 2
        check(near(pixel(cx + dx * d, cy + dy * d), CARD), f"corner {cx},{cy}: card inside")

    # The two lines: centred on w/2, standing on their baselines, in their greys.
    split = (title_base + subtitle_base) / 2

    def ink(y_from, y_to, threshold):
        xs, bottoms, brightest = [], [], 0
        for x in range(lx + int(radius) + 1, rx - int(radius) - 1):
            lowest = None
            for y in range(int(y_from), int(y_to)):
                r, g, b, _ = pixel(x, y)
                brightest = max(brightest, r)
                if r >= threshold:
                    lowest = y if lowest is None else min(lowest, y)
            if lowest is not None:
                xs.append(x)
                bottoms.append(lowest)
        return xs, bottoms, brightest

    for name, (y_from, y_to, threshold, base, grey) in {
            "title": (split, card_top - 1, 128, title_base, 0.95),
            "subtitle": (by + 2, split, 100, subtitle_base, 0.65)}.items():
        xs, bottoms, brightest = ink(y_from, y_to, threshold)
        if not xs:
            check(False, f"{name}: no ink")
            continue
        middle_x = (min(xs) + max(xs) + 1) / 2
        check(abs(middle_x - w / 2) <= 3, f"{name} is centred on {middle_x}, not {w / 2}")
        baseline = max(set(bottoms), key=bottoms.count)
        check(abs(baseline - base) <= 1.5, f"{name} stands on row {baseline}, not {base:.2f}")
        check(abs(brightest - grey * 255) <= 1.5, f"{name} ink {brightest}, not {grey * 255}")

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print(f"placeholder {size}: layout as specified")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
