#!/usr/bin/env python3
"""Small input files for vantrel-pack made from scratch: a 64-bit Windows
executable with a resource section, icons and pictures, with the fields
that hostile copies change as parameters.

    crafted.py seeds DIR   writes the fuzz seed corpora DIR/pe_resources
                           and DIR/icon
"""
import os
import struct
import sys
import zlib

SECTION_ALIGNMENT = 0x1000
DISCARDABLE = 0x42000040
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24


def align(value, alignment):
    return (value + alignment - 1) // alignment * alignment


def resource_tree(entries, rva):
    """A resource section at `rva` holding (type, name, language, data)
    entries; names may be numbers or texts."""
    tree = {}
    for kind, name, language, data in entries:
        tree.setdefault(kind, {}).setdefault(name, {})[language] = data
    tables, strings, leaves = [], bytearray(), []

    def table(children):
        tables.append(children)
        return len(tables) - 1

    root = table(tree)
    layout = {}
    for kind, names in sorted(tree.items(), key=lambda item: str(item[0])):
        layout[(kind,)] = table(names)
        for name, languages in sorted(names.items(), key=lambda item: str(item[0])):
            layout[(kind, name)] = table(languages)
    offsets, at = [], 0
    for children in tables:
        offsets.append(at)
        at += 16 + 8 * len(children)
    string_base = at
    string_at = {}
    for key in [k for names in tree.values() for k in names] + list(tree):
        if isinstance(key, str) and key not in string_at:
            string_at[key] = string_base + len(strings)
            text = key.encode("utf-16-le")
            strings += struct.pack("<H", len(key)) + text
    leaf_base = align(string_base + len(strings), 8)
    data_at = leaf_base + 16 * sum(len(l) for n in tree.values() for l in n.values())
    out = bytearray(data_at)
    out[string_base:string_base + len(strings)] = strings

    def key_field(key):
        return (0x80000000 | string_at[key]) if isinstance(key, str) else key

    def write_table(index, children, child_target):
        at = offsets[index]
        named = [k for k in children if isinstance(k, str)]
        struct.pack_into("<IIHHHH", out, at, 0, 0, 0, 0, len(named), len(children) - len(named))
        ordered = sorted(named) + sorted(k for k in children if not isinstance(k, str))
        for i, key in enumerate(ordered):
            struct.pack_into("<II", out, at + 16 + 8 * i, key_field(key), child_target(key))

    leaf = [leaf_base]

    def language_target(kind, name):
        def target(language):
            data = tree[kind][name][language]
            at = leaf[0]
            leaf[0] += 16
            while len(out) % 8:
                out.append(0)
            struct.pack_into("<IIII", out, at, rva + len(out), len(data), 0, 0)
            out.extend(data)
            return at
        return target

    write_table(root, tree, lambda kind: 0x80000000 | offsets[layout[(kind,)]])
    for kind, names in tree.items():
        write_table(layout[(kind,)], names,
                    lambda name, kind=kind: 0x80000000 | offsets[layout[(kind, name)]])
        for name, languages in names.items():
            write_table(layout[(kind, name)], languages, language_target(kind, name))
    return bytes(out)


def executable(resources=None, rsrc=None, file_alignment=0x200, directory_count=16):
    """A PE32+ program: .text (one ret), .rsrc (`rsrc` bytes, or a tree of
    `resources`), .reloc (discardable, after the resources)."""
    rsrc_rva = 2 * SECTION_ALIGNMENT
    if rsrc is None:
        rsrc = resource_tree(resources or [(RT_MANIFEST, 1, 0x409, b"<assembly/>")], rsrc_rva)
    sections = [(b".text", b"\xc3", 0x60000020), (b".rsrc", rsrc, 0x40000040),
                (b".reloc", b"\0" * 12, DISCARDABLE)]
    headers_size = 0x200
    out = bytearray(headers_size)
    out[0:2] = b"MZ"
    struct.pack_into("<I", out, 0x3c, 0x40)
    out[0x40:0x44] = b"PE\0\0"
    struct.pack_into("<HHIIIHH", out, 0x44, 0x8664, len(sections), 0, 0, 0, 240, 0x22)
    rva, raw = SECTION_ALIGNMENT, headers_size
    table = 0x58 + 240
    directories = {}
    for i, (name, data, characteristics) in enumerate(sections):
        raw_size = align(len(data), 0x200)
        struct.pack_into("<8sIIIIIIHHI", out, table + 40 * i, name, len(data), rva, raw_size,
                         raw, 0, 0, 0, 0, characteristics)
        directories[name] = (rva, len(data))
        out += data + b"\0" * (raw_size - len(data))
        rva += align(len(data), SECTION_ALIGNMENT)
        raw += raw_size
    optional = 0x58
    struct.pack_into("<HBBIIIII", out, optional, 0x20b, 14, 0, 0x200, len(out) - 0x400, 0,
                     SECTION_ALIGNMENT, SECTION_ALIGNMENT)
    struct.pack_into("<QII", out, optional + 24, 0x140000000, SECTION_ALIGNMENT, file_alignment)
    struct.pack_into("<HHHHHHIIIIHHQQQQII", out, optional + 40, 6, 0, 0, 0, 6, 0, 0, rva,
                     headers_size, 0, 2, 0x8160, 0x100000, 0x1000, 0x100000, 0x1000, 0,
                     directory_count)
    struct.pack_into("<II", out, optional + 112 + 8 * 2, *directories[b".rsrc"])
    struct.pack_into("<II", out, optional + 112 + 8 * 5, *directories[b".reloc"])
    return bytes(out)


def shared_block_resources(count, block):
    """`count` languages of one resource whose leaves share one data entry
    pointing at a block of `block` bytes."""
    rva = 2 * SECTION_ALIGNMENT
    head = 16 + 8 + 16 + 8 + 16 + 8 * count
    out = bytearray(align(head, 16) + 16)
    leaf = align(head, 16)
    struct.pack_into("<12xHHII", out, 0, 0, 1, RT_VERSION, 0x80000018)
    struct.pack_into("<12xHHII", out, 24, 0, 1, 1, 0x80000030)
    struct.pack_into("<12xHH", out, 48, 0, count)
    for i in range(count):
        struct.pack_into("<II", out, 64 + 8 * i, i, leaf)
    struct.pack_into("<IIII", out, leaf, rva + len(out), block, 0, 0)
    return bytes(out) + b"\0" * block


def wide_resources(width):
    """A type table of `width` entries that all lead to one name table of
    `width` entries: a tree of width x width leaves in a small file."""
    out = bytearray(2 * (16 + 8 * width) + 16 + 8 + 16)
    names = 16 + 8 * width
    languages = names + 16 + 8 * width
    struct.pack_into("<12xHH", out, 0, 0, width)
    struct.pack_into("<12xHH", out, names, 0, width)
    for i in range(width):
        struct.pack_into("<II", out, 16 + 8 * i, i + 1, 0x80000000 | names)
        struct.pack_into("<II", out, names + 16 + 8 * i, i + 1, 0x80000000 | languages)
    struct.pack_into("<12xHH", out, languages, 0, 0)
    return bytes(out)


def png(width, height, rgba=None):
    """A PNG picture; blank unless `rgba` pixels are given."""
    rows = rgba or b"".join(b"\0" + b"\0" * 4 * width for _ in range(height))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def bitmap(side, short=0):
    """A 32-bit icon bitmap (colour rows and mask rows), `short` bytes cut."""
    pixels = bytes((x * 16) % 256 for x in range(side * side * 4))
    mask = b"\0" * (align(side, 32) // 8 * side)
    data = struct.pack("<IiiHHIIiiII", 40, side, 2 * side, 1, 32, 0, 0, 0, 0, 0, 0) + pixels + mask
    return data[:len(data) - short]


def ico(images, count=None):
    """An .ico file of (width, data) images; `count` overrides the number
    the header gives, each extra entry naming the first image's bytes."""
    count = len(images) if count is None else count
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    offset = 6 + 16 * count
    placed = []
    for width, data in images:
        placed.append((width, offset, len(data)))
        offset += len(data)
    for i in range(count):
        width, at, size = placed[min(i, len(placed) - 1)] if i < len(placed) else placed[0]
        out += struct.pack("<BBBBHHII", width % 256, width % 256, 0, 0, 1, 32, size, at)
    for _, data in images:
        out += data
    return bytes(out)


def write_seeds(folder):
    seeds = {
        "pe_resources/three-types.exe": executable([
            (RT_VERSION, 1, 0x409, b"\0" * 64), (RT_MANIFEST, 1, 0x409, b"<assembly/>"),
            (RT_ICON, 1, 0x409, bitmap(2)), ("NAMED", "TEXT", 0, b"x" * 20)]),
        "pe_resources/no-resources.exe": executable(rsrc=b"\0" * 16),
        # Written back, the empty resource comes last, just at the end of
        # 512 bytes of resources: its address must stay inside the section.
        "pe_resources/empty-resource-last.exe": executable([
            (99, 1, 0x409, b""), (RT_MANIFEST, 1, 0x409, b"<assembly/>".ljust(352))]),
        "icon/two-images.ico": ico([(4, bitmap(4)), (2, png(2, 2))]),
        "icon/small.png": png(3, 2),
    }
    for name, data in seeds.items():
        path = os.path.join(folder, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as file:
            file.write(data)


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] != "seeds":
        sys.exit(__doc__)
    write_seeds(sys.argv[2])
