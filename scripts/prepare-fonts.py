#!/usr/bin/python3
"""Prepares the fonts the templates use from Debian's DejaVu (fonts-dejavu-core) into templates/fonts/.

Run once by hand (needs python3-fonttools); the prepared files are committed. Embedding a font in a
PDF is most of what Qt spends on a page, so the fonts are made cheap to embed: the hinting programs
(fpgm, prep, cvt and each glyph's instructions) go, as a PDF is not hinted and Qt would run them for
every glyph, and only the characters below stay. The licence lets a modified font be shipped only
under a new name, so the family "DejaVu Sans" becomes "DAMDFE Sans".
"""
import pathlib
import sys

from fontTools import subset
from fontTools.ttLib import TTFont
from fontTools.ttLib.tables._c_m_a_p import CmapSubtable

SOURCE = pathlib.Path("/usr/share/fonts/truetype/dejavu")
TARGET = pathlib.Path(__file__).resolve().parent.parent / "templates" / "fonts"
FACES = ["DejaVuSans", "DejaVuSans-Bold", "DejaVuSansCondensed", "DejaVuSansCondensed-Bold"]
# An MDF-e's texts are Latin-1 (its schema's string pattern); the templates add punctuation and
# symbols. Qt looks each glyph of the font up for every code point when it embeds it in a PDF, so
# a small character map makes that cheap. Characters outside fall back to the machine's fonts.
CHARACTERS = [
    (0x0020, 0x007E),  # Basic Latin
    (0x00A0, 0x024F),  # Latin-1 Supplement, Latin Extended-A and -B
    (0x02B0, 0x036F),  # spacing modifiers, combining diacritics
    (0x2000, 0x206F),  # general punctuation
    (0x20A0, 0x20CF),  # currency
    (0x2100, 0x218F),  # letterlike symbols, number forms
    (0x2190, 0x21FF),  # arrows
    (0x2200, 0x22FF),  # mathematical operators
    (0x25A0, 0x25FF),  # geometric shapes
]
LICENCE_NOTE = """The fonts in this folder are DejaVu Sans and DejaVu Sans Condensed ({version}, as
Debian's fonts-dejavu-core ships them), renamed "DAMDFE Sans" and "DAMDFE Sans Condensed" and
stripped of their hinting programs and of the characters a DAMDFE does not use by
scripts/prepare-fonts.py. The glyphs kept are unchanged.

"""


def renamed(text):
    return text.replace("DejaVu Sans", "DAMDFE Sans").replace("DejaVuSans", "DAMDFESans")


def prepare(face):
    font = TTFont(SOURCE / f"{face}.ttf", recalcTimestamp=False)
    options = subset.Options()
    options.hinting = False  # fpgm, prep, cvt and every glyph's instructions
    options.layout_features = ["*"]  # kerning and the rest as before
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.legacy_kern = True
    options.notdef_outline = True
    options.recalc_timestamp = False
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=[c for first, last in CHARACTERS for c in range(first, last + 1)])
    subsetter.subset(font)
    # FreeType auto-hints a TrueType font that has no hinting program at all, which costs far more
    # than the programs did; a non-zero bound on glyph instructions (there are none) keeps its own
    # hinter, which then has nothing to run.
    font["maxp"].maxSizeOfInstructions = 1
    # One table from the first character to the last: a code point outside is answered at once.
    mapping = font.getBestCmap()
    table = CmapSubtable.newSubtable(6)
    table.platformID, table.platEncID, table.language = 3, 1, 0
    table.cmap = mapping
    font["cmap"].tables = [table]
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
