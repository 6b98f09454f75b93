#!/usr/bin/env python3
"""Reads a Word package independently of the program and prints, as JSON:
  "text":  per bookmark, the text that follows it up to the next bookmark or the end of its
           table cell ("\\t" tab, "\\n" line break, "¶" end of a paragraph);
  "count": how often each bookmark name occurs;
  "type":  the content type of word/document.xml.
"""
import json
import sys
import zipfile
import xml.etree.ElementTree as ET

W = "{http://schemas.openxmlformats.org/wordprocessingml/2006/main}"
CT = "{http://schemas.openxmlformats.org/package/2006/content-types}"


def tokens(node):
    tag = node.tag
    if tag == W + "bookmarkStart":
        yield ("bm", node.get(W + "name"))
    elif tag == W + "t":
        yield ("text", node.text or "")
    elif tag == W + "tab":
        yield ("text", "\t")
    elif tag == W + "br":
        yield ("text", "\n")
    for child in node:
        yield from tokens(child)
    if tag == W + "p":
        yield ("text", "¶")
    elif tag == W + "tc":
        yield ("stop", None)


def main(path):
    with zipfile.ZipFile(path) as package:
        if package.testzip() is not None:
            raise SystemExit("damaged package")
        root = ET.fromstring(package.read("word/document.xml"))
        types = ET.fromstring(package.read("[Content_Types].xml"))
    doc_type = next((o.get("ContentType") for o in types.iter(CT + "Override")
                     if o.get("PartName") == "/word/document.xml"), "")
    text, count, current = {}, {}, None
    for kind, value in tokens(root):
        if kind == "bm":
            count[value] = count.get(value, 0) + 1
            current = value
            text.setdefault(value, "")
        elif kind == "stop":
            current = None
        elif current is not None:
            text[current] += value
    json.dump({"text": text, "count": count, "type": doc_type}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
