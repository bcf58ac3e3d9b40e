#!/usr/bin/env python3
"""OR TYPEFLAGS into named type infos of an MSFT-format type library.

widl cannot express some attributes (nonextensible on a dispinterface), so the
build patches the flags word of those type infos after compiling the IDL:

    tlb_fixup.py in.tlb [out.tlb] --flags NAME=0x80 [--flags NAME=0x80 ...]

Without out.tlb the input is rewritten in place. Every name must exist; on any
error nothing is written and the exit status is 1.

MSFT layout used here (little endian, all fields 32-bit unless noted):
  header (0x54 bytes): magic "MSFT" at 0x00, varflags at 0x14,
      nrtypeinfos at 0x20
  nrtypeinfos ints (per-typeinfo offsets), then one int if varflags has the
      help-DLL bit (0x100)
  segment directory: 15 x {offset, length, res08, res0c}; res0c is 0x0f;
      segment 0 is the type-info table, segment 7 the name table
  type-info table: nrtypeinfos records of 0x64 bytes; flags at +0x30,
      name offset (into the name table) at +0x34
  name table entry: {hreftype, next_hash, namelen}, then namelen & 0xff bytes
"""
import argparse
import os
import struct
import sys
import tempfile

HEADER_SIZE = 0x54
HELPDLL_FLAG = 0x100
SEG_COUNT = 15
SEG_SIZE = 16
SEG_TYPEINFO, SEG_NAMES = 0, 7
TYPEINFO_SIZE = 0x64
TI_FLAGS, TI_NAME = 0x30, 0x34
NAME_INTRO = 12


class FixupError(Exception):
    pass


def u32(data, pos):
    if pos < 0 or pos + 4 > len(data):
        raise FixupError(f"truncated file: need 4 bytes at 0x{pos:x}")
    return struct.unpack_from("<i", data, pos)[0]


def segment(data, segdir, index):
    off, length, _, _ = struct.unpack_from("<4i", data, segdir + index * SEG_SIZE)
    if off < 0 or length < 0 or off + length > len(data):
        raise FixupError(f"segment {index} (0x{off:x}+0x{length:x}) lies outside the file")
    return off, length


def type_infos(data):
    """Yield (name, flags offset in file) for every type info in the library."""
    if len(data) < HEADER_SIZE or data[:4] != b"MSFT":
        raise FixupError("not an MSFT type library (bad magic)")
    count = u32(data, 0x20)
    if count < 0:
        raise FixupError(f"bad type info count {count}")
    segdir = HEADER_SIZE + 4 * count + (4 if u32(data, 0x14) & HELPDLL_FLAG else 0)
    if segdir + SEG_COUNT * SEG_SIZE > len(data):
        raise FixupError("truncated file: segment directory missing")
    # The loader uses the same marker to decide it found the directory.
    if u32(data, segdir + 12) != 0x0F:
        raise FixupError("segment directory not found where the header says")
    ti_off, ti_len = segment(data, segdir, SEG_TYPEINFO)
    nt_off, nt_len = segment(data, segdir, SEG_NAMES)
    if count * TYPEINFO_SIZE > ti_len:
        raise FixupError(f"type info table holds fewer than {count} entries")
    for i in range(count):
        rec = ti_off + i * TYPEINFO_SIZE
        name_pos = u32(data, rec + TI_NAME)
        if name_pos < 0 or name_pos + NAME_INTRO > nt_len:
            raise FixupError(f"type info {i}: name offset 0x{name_pos:x} outside the name table")
        start = nt_off + name_pos + NAME_INTRO
        length = u32(data, nt_off + name_pos + 8) & 0xFF
        if start + length > nt_off + nt_len:
            raise FixupError(f"type info {i}: name runs past the name table")
        yield data[start:start + length].decode("latin-1"), rec + TI_FLAGS


def parse_flag(text):
    name, sep, value = text.partition("=")
    try:
        bits = int(value, 0)
    except ValueError:
        bits = -1
    if not sep or not name or not 0 < bits <= 0xFFFF:
        raise argparse.ArgumentTypeError(f"expected NAME=FLAGS with 16-bit FLAGS, got {text!r}")
    return name, bits


def fixup(data, wanted):
    """Return a patched copy of data; wanted maps type info name -> bits."""
    out = bytearray(data)
    found = set()
    for name, pos in type_infos(data):
        if name in wanted:
            struct.pack_into("<I", out, pos, struct.unpack_from("<I", out, pos)[0] | wanted[name])
            found.add(name)
    missing = sorted(set(wanted) - found)
    if missing:
        raise FixupError("no type info named " + ", ".join(missing))
    return bytes(out)


def main(argv=None):
    ap = argparse.ArgumentParser(description="OR TYPEFLAGS into named type infos of an MSFT .tlb")
    ap.add_argument("input")
    ap.add_argument("output", nargs="?", help="default: rewrite input in place")
    ap.add_argument("--flags", type=parse_flag, action="append", required=True,
                    metavar="NAME=FLAGS", help="e.g. _DCorvaneCtrlEvents=0x80 (repeatable)")
    args = ap.parse_args(argv)
    wanted = {}
    for name, bits in args.flags:
        wanted[name] = wanted.get(name, 0) | bits
    output = args.output or args.input
    try:
        with open(args.input, "rb") as f:
            patched = fixup(f.read(), wanted)
        # Write beside the target and rename, so a failure never leaves half a file.
        fd, tmp = tempfile.mkstemp(dir=os.path.dirname(os.path.abspath(output)), suffix=".tmp")
        try:
            with os.fdopen(fd, "wb") as f:
                f.write(patched)
            os.chmod(tmp, os.stat(args.input).st_mode & 0o7777)
            os.replace(tmp, output)
        except BaseException:
            os.unlink(tmp)
            raise
    except (OSError, FixupError) as e:
        print(f"tlb_fixup: {args.input}: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
