#!/usr/bin/env python3
"""Writes the sample survey in examples/: one site of a few hundred points measured from
five traverse stations, as an SDR file, as the "Sokkia - sdr" listing and as comma lines.
The points are made up here; run this again to regenerate the files byte for byte."""
import math
import pathlib
import random

random.seed(20100101)
EXAMPLES = pathlib.Path(__file__).resolve().parent.parent / "examples"

stations = [("ST1", 5120.000, 7080.000), ("ST2", 5185.420, 7161.305), ("ST3", 5240.118, 7252.870),
            ("ST4", 5172.664, 7330.442), ("ST5", 5096.205, 7264.019)]


def height(x, y):
    return 142.0 + 0.045 * (x - 5100) + 0.018 * (y - 7100) + 1.2 * math.sin(x / 37.0) * math.cos(y / 29.0)


points = []  # (number, x, y, z, is_station)
number = 1
for index, (name, sx, sy) in enumerate(stations):
    points.append((name, sx, sy, round(height(sx, sy) + 1.5, 3), True))
    if index == 0:
        points += [("ОП1", 5101.334, 7061.902, round(height(5101.334, 7061.902), 3), False),
                   ("ОП2", 5138.771, 7049.516, round(height(5138.771, 7049.516), 3), False)]
    for _ in range(58):
        angle = random.uniform(0, 2 * math.pi)
        distance = random.uniform(4, 75)
        x = round(sx + distance * math.cos(angle), 3)
        y = round(sy + distance * math.sin(angle), 3)
        points.append((str(number), x, y, round(height(x, y) + random.uniform(-0.05, 0.05), 3), False))
        number += 1
    points.append((f"Р{index + 1}", round(sx + 3.1, 3), round(sy - 2.4, 3), round(height(sx + 3.1, sy - 2.4), 3), False))


def write(name, lines):
    (EXAMPLES / name).write_bytes("".join(line + "\r\n" for line in lines).encode("cp1251"))


def fixed(value):
    return f"{value:.3f}".rstrip("0").rstrip(".")


sdr = ["00NMSDR33 V04-04.02     12-Jun-10 09:41 113111", "10NMJOB  SITE-7", "13NMOBSERVER KORVELA SAMPLE",
       "13NMINSTRUMENT SET530R"]
for name, x, y, z, is_station in points:
    sdr.append(f"{'02TP' if is_station else '08TP'}{name:>16} {x:.3f} {y:.3f} {z:.3f}")
write("site.sdr", sdr)

listing = ["Sokkia - sdr", 'PROGRAM "vex"', "9:41:0", "12:6:2010", "N     X          Y          Z"]
for name, x, y, z, is_station in points:
    if not is_station:
        line = f"{name:<6}{fixed(x):<11}{fixed(y):<11}{fixed(z):<11}"
        listing.append(line.ljust(45))
write("site.txt", listing)

comma = ["site-7 points, comma lines"]
for name, x, y, z, is_station in points:
    if not is_station:
        comma.append(f"{name},--------,{fixed(x)},{fixed(y)},{fixed(z)}")
write("site-comma.txt", comma)

# A parcel's coordinate statement (.tdl) for the area window and `korvela-cli area`: line 1 is
# the title, line 2 the point count from its fifth character, then the X and the Y column.
parcel = [(5150.214, 7120.530), (5178.902, 7131.046), (5186.377, 7170.812), (5161.045, 7188.309),
          (5133.680, 7160.127)]
write("parcel.tdl", ["Ведомость координат участка 7", f"N = {len(parcel)}", "[X]"] +
      [fixed(x) for x, _ in parcel] + ["[Y]"] + [fixed(y) for _, y in parcel])
