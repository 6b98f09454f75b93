#!/usr/bin/env python3
"""Prints the records of a dBase table as JSON, read by the independent dbfread library.

Usage: dbfread_dump.py TABLE.dbf
Output: {"version": n, "fields": [[name, type, length, decimals], ...], "records": [[...], ...]}
"""
import datetime
import json
import sys

try:
    import dbfread
except ImportError:  # a Python of its own may hide the system's packages
    sys.path.append("/usr/lib/python3/dist-packages")
    import dbfread


def plain(value):
    if isinstance(value, (datetime.date, datetime.datetime)):
        return value.isoformat()
    if isinstance(value, bytes):
        return value.decode("gbk", "replace")
    return value


def main():
    table = dbfread.DBF(sys.argv[1], encoding="gbk", char_decode_errors="strict")
    out = {
        "version": table.dbversion if hasattr(table, "dbversion") else None,
        "fields": [[f.name, f.type, f.length, f.decimal_count] for f in table.fields],
        "records": [[plain(v) for v in record.values()] for record in table],
    }
    json.dump(out, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
