#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads a workbook with openpyxl, an independent reader, and prints what the
tests check as JSON: every cell of the first sheet with its text and
formatting, the column widths (of A to D, and under "column_widths" of every
column given one), the frozen panes, the footer, and the sheet's
<dimension> element; under "all", the cells of every sheet by sheet name;
the document's creation and modification dates."""
import json
import re
import sys
import zipfile

import openpyxl
from openpyxl.utils import get_column_letter

path = sys.argv[1]
# A file object: openpyxl judges a path by its extension (the template is ".xl").
book = openpyxl.load_workbook(open(path, "rb"))
sheet = book.worksheets[0]


def read_cells(sheet):
    cells = {}
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None and not cell.has_style:
                continue
            fill = cell.fill.fgColor.rgb if cell.fill and cell.fill.fill_type == "solid" else None
            cells[cell.coordinate] = {
                "value": cell.value,
                "type": cell.data_type,
                "format": cell.number_format,
                "bold": bool(cell.font.b),
                "italic": bool(cell.font.i),
                "size": float(cell.font.sz) if cell.font.sz else None,
                "font": cell.font.name,
                "fill": fill if isinstance(fill, str) else None,
                "align": cell.alignment.horizontal,
                "border": cell.border.bottom.style if cell.border and cell.border.bottom else None,
            }
    return cells


def column_widths(sheet):
    """The width each column of the sheet is given, by letter; a <col>
    element covers a range of columns."""
    widths = {}
    for dimension in sheet.column_dimensions.values():
        if not dimension.customWidth or dimension.min is None:
            continue
        for column in range(dimension.min, dimension.max + 1):
            widths[get_column_letter(column)] = dimension.width
    return widths


cells = read_cells(sheet)
# Before anything asks for a column: asking makes one with a default width.
widths = column_widths(sheet)
every = {s.title: {"cells": read_cells(s), "max_row": s.max_row, "max_column": s.max_column,
                   "charts": [{"title": "".join(r.t for p in c.title.tx.rich.p for r in (p.r or []))
                               if c.title and c.title.tx and c.title.tx.rich else None,
                               "series": [x.val.numRef.f for x in c.series]}
                              for c in s._charts]}
         for s in book.worksheets}
with zipfile.ZipFile(path) as package:
    xml = package.read("xl/worksheets/sheet1.xml").decode("utf-8")
    names = package.namelist()
dimension = re.search(r'<(?:\w+:)?dimension ref="([^"]*)"', xml)
print(json.dumps({
    "sheets": book.sheetnames,
    "max_row": sheet.max_row,
    "max_column": sheet.max_column,
    "cells": cells,
    "widths": {c: sheet.column_dimensions[c].width for c in "ABCD"},
    "column_widths": widths,
    "freeze": sheet.freeze_panes,
    "footer": sheet.oddFooter.left.text,
    "dimension": dimension.group(1) if dimension else None,
    "parts": names,
    "all": every,
    "active": book.active.title,
    "created": book.properties.created.isoformat() if book.properties.created else None,
    "modified": book.properties.modified.isoformat() if book.properties.modified else None,
}))
