"""Pillow as a TGA oracle: pillow_oracle.py REFERENCE.rgba WIDTH HEIGHT FOLDER writes the picture
(straight RGBA, top row first) as every kind of TGA file Pillow makes, each NAME.tga beside Pillow's
decoding of it, NAME.tga.rgba, and prints their names."""
import itertools
import sys

from PIL import Image

with open(sys.argv[1], "rb") as f:
    picture = Image.frombytes("RGBA", (int(sys.argv[2]), int(sys.argv[3])), f.read())
kinds = itertools.product(["RGB", "RGBA", "L", "LA", "P"], ({}, {"compression": "tga_rle"}), (1, -1))
for mode, options, orientation in kinds:
    name = f"{sys.argv[4]}/pil_{mode}_{len(options)}_{orientation}.tga"
    picture.convert(mode).save(name, orientation=orientation, **options)
    with Image.open(name) as image, open(name + ".rgba", "wb") as out:
        out.write(image.convert("RGBA").tobytes())
    print(name)
