#!/usr/bin/env python3
"""Dumps every dBase table of a folder as JSON, read by dbfread (an independent reader).

Usage: dbfdump.py FOLDER
Prints {"file name": {"version", "language_driver", "fields": [[name, type, length,
decimals]], "records": [[text, ...]]}}. Values are in the tables' text form: characters
without trailing blanks, numbers in shortest form, dates yyyy-MM-dd, logicals T/F, empty "".
"""
import datetime
import json
import os
import sys

import dbfread


def text(value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "T" if value else "F"
    if isinstance(value, (int, float)):
        if float(value).is_integer():
            return str(int(value))
        return repr(float(value))
    if isinstance(value, (datetime.date, datetime.datetime)):
        return value.strftime("%Y-%m-%d")
    return str(value)


def dump(path):
    # The language driver picks the code page; a character GBK cannot decode fails loudly.
    table = dbfread.DBF(path, char_decode_errors="strict", load=True)
    return {
        "version": table.header.dbversion,
        "language_driver": table.header.language_driver,
        "fields": [[f.name, f.type, f.length, f.decimal_count] for f in table.fields],
        "records": [[text(v) for v in record.values()] for record in table.records],
    }


def main():
    folder = sys.argv[1]
    result = {}
    for name in sorted(os.listdir(folder)):
        if name.lower().endswith(".dbf"):
            try:
                result[name] = dump(os.path.join(folder, name))
            except Exception as error:  # reported per table, so one bad file names itself
                result[name] = {"error": "%s: %s" % (type(error).__name__, error)}
    json.dump(result, sys.stdout)  # ASCII escapes: safe whatever the locale


if __name__ == "__main__":
    main()
