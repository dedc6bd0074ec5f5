#!/usr/bin/python3
"""The glyph copy of TTE_2_TTE done with fontTools, for comparison with tte_copy_bench.

Usage: fonttools_copy.py SOURCE TEMPLATE [--runs N] [--work DIR]

Each run copies TEMPLATE to a fresh destination file (not timed), then, timed: opens the source and
the destination, for every code U+E000..U+F8FF copies the glyf entry and the hmtx/vmtx metrics of
the source's glyph to the destination's glyph (both found through cmap), clears a destination glyph
the source lacks, and saves the destination. Prints the best run in seconds on standard output.
"""
import argparse
import os
import shutil
import sys
import tempfile
import time

from fontTools.ttLib import TTFont
from fontTools.ttLib.tables._g_l_y_f import Glyph

FIRST, LAST = 0xE000, 0xF8FF
# Metrics a cleared glyph gets, as in TTE_2_TTE.
RESET_H = (1024, 357)
RESET_V = (1024, 359)


def is_empty(glyph):
    return glyph is None or glyph.numberOfContours == 0


def copy_glyphs(source_path, destination_path):
    source = TTFont(source_path)
    destination = TTFont(destination_path)
    src_cmap, dst_cmap = source.getBestCmap(), destination.getBestCmap()
    src_glyf, dst_glyf = source["glyf"], destination["glyf"]
    src_hmtx, dst_hmtx = source["hmtx"], destination["hmtx"]
    src_vmtx = source["vmtx"] if "vmtx" in source else None
    dst_vmtx = destination["vmtx"] if "vmtx" in destination else None
    for code in range(FIRST, LAST + 1):
        name = dst_cmap.get(code)
        if name is None:
            continue
        src_name = src_cmap.get(code)
        glyph = src_glyf[src_name] if src_name is not None else None
        if is_empty(glyph):
            if not is_empty(dst_glyf[name]):
                dst_glyf[name] = Glyph()
                dst_hmtx[name] = RESET_H
                if dst_vmtx is not None:
                    dst_vmtx[name] = RESET_V
            continue
        dst_glyf[name] = glyph
        dst_hmtx[name] = src_hmtx[src_name]
        if dst_vmtx is not None:
            dst_vmtx[name] = src_vmtx[src_name] if src_vmtx is not None else RESET_V
    destination.save(destination_path)


def check_copy(source_path, destination_path):
    """Every code's outline and metrics in the destination match the source's."""
    source, destination = TTFont(source_path), TTFont(destination_path)
    src_cmap, dst_cmap = source.getBestCmap(), destination.getBestCmap()
    for code in range(FIRST, LAST + 1):
        s, d = src_cmap.get(code), dst_cmap.get(code)
        if s is None or d is None:
            continue
        sg, dg = source["glyf"][s], destination["glyf"][d]
        same = (sg.numberOfContours == dg.numberOfContours and
                (sg.numberOfContours == 0 or
                 (list(sg.coordinates) == list(dg.coordinates) and sg.endPtsOfContours == dg.endPtsOfContours)) and
                source["hmtx"][s] == destination["hmtx"][d])
        if same and "vmtx" in source and "vmtx" in destination:
            same = source["vmtx"][s] == destination["vmtx"][d]
        if not same:
            return "U+%04X differs" % code
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("source")
    parser.add_argument("template")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--work", help="folder for the destination file (default: a temporary folder)")
    args = parser.parse_args()

    work = args.work or tempfile.mkdtemp(prefix="fonttools_copy.")
    destination = os.path.join(work, "fonttools_destination.tte")
    best = None
    try:
        for _ in range(max(1, args.runs)):
            shutil.copyfile(args.template, destination)
            start = time.perf_counter()
            copy_glyphs(args.source, destination)
            elapsed = time.perf_counter() - start
            best = elapsed if best is None else min(best, elapsed)
        problem = check_copy(args.source, destination)
        if problem:
            print("fonttools_copy: wrong copy: " + problem, file=sys.stderr)
            return 1
    finally:
        if not args.work:
            shutil.rmtree(work, ignore_errors=True)
    print("%.6f" % best)
    return 0


if __name__ == "__main__":
    sys.exit(main())
