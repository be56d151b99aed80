#!/usr/bin/python3
"""Writes N photo-like 4000 x 3000 JPEG files into a folder (for the listing benchmark).

usage: make_photos.py FOLDER [N]
"""
import os
import sys

import numpy as np
from PIL import Image

folder = sys.argv[1]
n = int(sys.argv[2]) if len(sys.argv) > 2 else 300
os.makedirs(folder, exist_ok=True)
rng = np.random.default_rng(7)
h, w = 3000, 4000
y, x = np.mgrid[0:h, 0:w].astype(np.float32)
for i in range(n):
    name = os.path.join(folder, f"photo{i:03d}.jpg")
    if os.path.exists(name):
        continue
    # Smooth colour fields with fine noise: compresses like a photograph (a few MB).
    r = 128 + 90 * np.sin(x / (300 + 7 * i) + i) * np.cos(y / 410)
    g = 128 + 90 * np.sin(y / (250 + 5 * i) - i) * np.cos(x / 530)
    b = 128 + 90 * np.cos((x + y) / (350 + 3 * i))
    noise = rng.normal(0, 12, (h, w)).astype(np.float32)
    img = np.stack([r + noise, g + noise, b + noise], axis=-1).clip(0, 255).astype(np.uint8)
    Image.fromarray(img).save(name, quality=88)
    print(name, flush=True)
