#!/usr/bin/python3
"""The real NOAA 19 picture (north-up, as another decoder cut it) back into
the 909 image words as received, for the test-signal generator.

That decoder cut its lines a little off the word grid: its column 909 is
still partly image. The fraction is measured on rows with a clear
image/space step and the words are moved back by it, so that what the
generator sends lies where the satellite put it.

    turn_real_pass.py NORTH_UP.png OUT.pgm      (read with ImageMagick)
"""
import subprocess
import sys

import numpy as np

src, out = sys.argv[1:3]
raw = subprocess.run(["convert", src, "-depth", "8", "gray:-"], check=True, capture_output=True).stdout
width = int(subprocess.run(["identify", "-format", "%w", src], check=True, capture_output=True, text=True).stdout)
a = np.frombuffer(raw, dtype=np.uint8).reshape(-1, width).astype(np.float64)
image, edge, space = a[:, 908], a[:, 909], 0.5 * (a[:, 910] + a[:, 911])
clear = image - space >= 30
fraction = float(np.mean(np.clip((edge[clear] - space[clear]) / (image[clear] - space[clear]), 0, 1)))
x = np.arange(909) + fraction
k = np.minimum(x.astype(int), width - 2)
f = x - k
words = (1 - f) * a[:, k] + f * a[:, k + 1]
turned = np.clip(np.rint(words[::-1, ::-1]), 0, 255).astype(np.uint8)
with open(out, "wb") as o:
    o.write(b"P5 909 %d 255\n" % turned.shape[0])
    o.write(turned.tobytes())
print(f"moved back {fraction:.2f} words; {turned.shape[0]} lines")
