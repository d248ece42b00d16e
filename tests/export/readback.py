#!/usr/bin/env python3
"""Reads an exported sheet back the way another program would and prints it as JSON.

  readback.py xlsx FILE  -> {"sheets": [...], "rows": [[cell, ...], ...], "bold": [[...]],
                             "frozen": "A9", "widths": {"A": 6.8, ...}}
  readback.py csv FILE   -> {"bom": true, "rows": [[field, ...], ...]}

XLSX cells keep their type: numbers come out as JSON numbers, texts as strings, empty
cells as null. The CSV is read with Python's csv module (";" between fields).
"""
import csv
import io
import json
import sys


def read_xlsx(path):
    import openpyxl

    book = openpyxl.load_workbook(path)
    sheet = book.worksheets[0]
    rows, bold = [], []
    for row in sheet.iter_rows():
        rows.append([cell.value for cell in row])
        bold.append([bool(cell.font and cell.font.b) for cell in row])
    widths = {key: dim.width for key, dim in sheet.column_dimensions.items()}
    return {
        "sheets": book.sheetnames,
        "rows": rows,
        "bold": bold,
        "frozen": sheet.freeze_panes,
        "widths": widths,
    }


def read_csv(path):
    data = open(path, "rb").read()
    bom = data.startswith(b"\xef\xbb\xbf")
    text = data.decode("utf-8-sig")
    rows = list(csv.reader(io.StringIO(text, newline=""), delimiter=";"))
    return {"bom": bom, "rows": rows}


def main():
    kind, path = sys.argv[1], sys.argv[2]
    result = read_xlsx(path) if kind == "xlsx" else read_csv(path)
    json.dump(result, sys.stdout, ensure_ascii=False, default=str)


if __name__ == "__main__":
    main()
