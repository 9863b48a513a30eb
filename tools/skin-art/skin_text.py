#!/usr/bin/env python3
"""Prints one text of the skin package, for scripts that render pages with real texts.

    skin_text.py SKIN_DIR LANGUAGE_INDEX KEY            a language file key (either section)
    skin_text.py SKIN_DIR LANGUAGE_INDEX --licence      the licence agreement of that language
                                                        (English when it has none)
"""
import os
import sys
import xml.etree.ElementTree as ET

FILES = ["english", "japanese", "chinese", "spanish", "german", "french", "russian",
         "portuguese", "arabic", "italiano", "chinesetrad", "korean", "nederland", "indonesian",
         "turkish", "hindi", "thai", "malay", "swedish", "czech"]
LICENCES = {0: "english", 1: "japanese", 2: "chinese", 3: "spanish", 4: "german", 5: "french",
            6: "russian", 7: "portuguese", 8: "arabic", 9: "italiano", 10: "chinesetrad"}


def language_text(skin, index, key):
    path = os.path.join(skin, "language", "language_%s.xml" % FILES[index])
    for label in ET.parse(path).getroot().iter("Label"):
        if label.get("name") == key:
            return label.get("text", "")
    return ""


def licence_text(skin, index):
    name = "license_" + LICENCES.get(index, "english")
    for element in ET.parse(os.path.join(skin, "License.xml")).getroot().iter("RichEdit"):
        if element.get("name") == name:
            return element.get("text", "")
    return ""


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    skin, index, key = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    sys.stdout.write(licence_text(skin, index) if key == "--licence" else language_text(skin, index, key))
    return 0


if __name__ == "__main__":
    sys.exit(main())
