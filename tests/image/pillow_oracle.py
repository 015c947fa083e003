"""Pillow as an independent TGA oracle for the image tests.

  pillow_oracle.py write REFERENCE.rgba WIDTH HEIGHT FOLDER
      Writes the reference picture (straight RGBA, top row first) as every kind of TGA file
      Pillow produces into FOLDER, and beside each NAME.tga Pillow's own decoding NAME.rgba.
      Prints the file names, one a line.
  pillow_oracle.py decode FILE.tga...
      Writes Pillow's decoding of each file to FILE.tga.rgba.
"""
import sys

from PIL import Image

MODES = ["RGB", "RGBA", "L", "LA", "P", "1"]


def decode(path):
    with Image.open(path) as image:
        data = image.convert("RGBA").tobytes()
    with open(path + ".rgba", "wb") as out:
        out.write(data)


def write(reference, width, height, folder):
    with open(reference, "rb") as f:
        picture = Image.frombytes("RGBA", (width, height), f.read())
    for mode in MODES:
        image = picture.convert(mode)
        for compression in (None, "tga_rle"):
            for orientation, origin in ((1, "top"), (-1, "bottom")):
                name = f"{folder}/pil_{mode}_{compression or 'raw'}_{origin}.tga"
                options = {"compression": compression} if compression else {}
                image.save(name, orientation=orientation, **options)
                if mode != "1":
                    decode(name)
                print(name)


if __name__ == "__main__":
    if sys.argv[1] == "write":
        write(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5])
    else:
        for path in sys.argv[2:]:
            decode(path)
