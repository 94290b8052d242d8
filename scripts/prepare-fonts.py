#!/usr/bin/python3
"""Prepares the fonts the templates use from Debian's DejaVu (fonts-dejavu-core) into templates/fonts/.

Run once by hand (needs python3-fonttools); the prepared files are committed. The hinting programs
(fpgm, prep, cvt and each glyph's instructions) go: a PDF is not hinted, and Qt runs them for every
glyph it embeds. The licence lets a modified font be shipped only under a new name, so the family
"DejaVu Sans" becomes "DAMDFE Sans".
"""
import pathlib
import sys

from fontTools.ttLib import TTFont

SOURCE = pathlib.Path("/usr/share/fonts/truetype/dejavu")
TARGET = pathlib.Path(__file__).resolve().parent.parent / "templates" / "fonts"
FACES = ["DejaVuSans", "DejaVuSans-Bold", "DejaVuSansCondensed", "DejaVuSansCondensed-Bold"]
LICENCE_NOTE = """The fonts in this folder are DejaVu Sans and DejaVu Sans Condensed ({version}, as
Debian's fonts-dejavu-core ships them), renamed "DAMDFE Sans" and "DAMDFE Sans Condensed" and
stripped of their hinting programs by scripts/prepare-fonts.py. The glyphs are unchanged.

"""


def renamed(text):
    return text.replace("DejaVu Sans", "DAMDFE Sans").replace("DejaVuSans", "DAMDFESans")


def prepare(face):
    font = TTFont(SOURCE / f"{face}.ttf", recalcTimestamp=False)
    for table in ("fpgm", "prep", "cvt ", "hdmx", "LTSH", "VDMX"):
        if table in font:
            del font[table]
    glyphs = font["glyf"]
    for name in font.getGlyphOrder():
        glyphs[name].removeHinting()
    maxp = font["maxp"]
    maxp.maxZones = 1
    maxp.maxTwilightPoints = maxp.maxStorage = maxp.maxFunctionDefs = 0
    maxp.maxInstructionDefs = maxp.maxStackElements = maxp.maxSizeOfInstructions = 0
    for record in font["name"].names:
        if record.nameID in (1, 3, 4, 6, 16, 17, 18, 21):
            record.string = renamed(record.toUnicode())
    font.save(TARGET / f"{renamed(face)}.ttf")
    return font


def main():
    TARGET.mkdir(parents=True, exist_ok=True)
    fonts = [prepare(face) for face in FACES]
    version = fonts[0]["name"].getDebugName(5)
    licence = fonts[0]["name"].getDebugName(13)
    (TARGET / "LICENSE").write_text(LICENCE_NOTE.format(version=version) + licence.strip() + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
