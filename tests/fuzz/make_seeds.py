#!/usr/bin/env python3
"""Makes the starting seeds of every fuzz target, one folder per target.

    make_seeds.py OUT_DIR RARPACK

Archives come from our own archive writer (rarpack); MP3 files from the `lame` command and the
JPEG from `ffmpeg` when they are installed; everything else is written here byte by byte. The
committed corpus (tests/fuzz/corpus/) grew from these seeds through fuzzing and was minimised with
libFuzzer's -merge=1; run this again only to start a corpus afresh.
"""
import math
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# ---- archives --------------------------------------------------------------------------------


def sample_files(work):
    """Small files of the kinds a show archive holds: text, noise, a sound wave, a picture row."""
    rnd = random.Random(1)
    files = {
        "text.txt": b"a line of text for the fuzz seeds\n" * 40,
        "noise.bin": bytes(rnd.randrange(256) for _ in range(600)),
        "wave.raw": bytes(int(128 + 100 * math.sin(i / 5)) & 0xFF for i in range(1200)),
        "ramp.bin": bytes((i * 7) & 0xFF for i in range(800)),
    }
    for name, data in files.items():
        write(work, name, data)
    return list(files)


def rar_entries(archive):
    """(flags, unpacked size, crc, method, data) of each file entry of a RAR 2.x archive."""
    entries = []
    at = 7 + struct.unpack_from("<H", archive, 7 + 5)[0]
    while at + 32 <= len(archive):
        _, kind, flags, size = struct.unpack_from("<HBHH", archive, at)
        packed = struct.unpack_from("<I", archive, at + 7)[0] if flags & 0x8000 else 0
        if kind == 0x74:
            unpacked, crc = struct.unpack_from("<I", archive, at + 11)[0], struct.unpack_from("<I", archive, at + 16)[0]
            method = archive[at + 25]
            entries.append((flags, unpacked, crc, method, archive[at + size:at + size + packed]))
        at += size + packed
    return entries


def archive_seeds(out, rarpack):
    work = tempfile.mkdtemp()
    try:
        files = sample_files(work)
        archives = {}
        for i, opts in enumerate([["-m0"], [], ["-s"], ["-mm"], ["-s", "-mm"], ["-mm-"], ["-ppw"],
                                  ["-m0", "-ppw"], ["-s", "-ppw"]]):
            name = "seed%d.rar" % i
            subprocess.run([rarpack, "a"] + opts + [name] + files, cwd=work, check=True, stdout=subprocess.DEVNULL)
            with open(os.path.join(work, name), "rb") as f:
                archives[tuple(opts)] = f.read()
            write(os.path.join(out, "archive_extract_fuzz"), name, archives[tuple(opts)])

        # The cipher target takes plain packed data with a small header (archive_cipher_fuzz.cpp).
        for opts, data in archives.items():
            if "-ppw" in opts:
                continue
            entries = rar_entries(data)
            solid = "-s" in opts
            for k, (flags, unpacked, crc, method, packed) in enumerate(entries[:2]):
                mode = (1 if method == 0x30 else 0)
                head = bytes([mode]) + struct.pack("<I", unpacked)[:3] + struct.pack("<I", crc) + bytes(4)
                write(os.path.join(out, "archive_cipher_fuzz"), "%s-%d" % ("".join(opts) or "plain", k), head + packed)
            if solid and len(entries) >= 2:
                first, second = entries[0], entries[1]
                share = len(first[4]) * 256 // (len(first[4]) + len(second[4])) + 1
                head = (bytes([2]) + struct.pack("<I", second[1])[:3] + struct.pack("<I", second[2]) +
                        struct.pack("<I", first[1])[:3] + bytes([min(share, 255)]))
                write(os.path.join(out, "archive_cipher_fuzz"), "%s-pair" % "".join(opts), head + first[4] + second[4])

            # The decoder alone: two sizes (multiples of 4), then two data halves of equal length.
            if solid and len(entries) >= 2:
                (_, u1, _, _, p1), (_, u2, _, _, p2) = entries[0], entries[1]
                n = max(len(p1), len(p2))
                sizes = bytes([u1 >> 10 & 0xFF, u1 >> 2 & 0xFF, u2 >> 10 & 0xFF, u2 >> 2 & 0xFF])
                write(os.path.join(out, "unpack20_fuzz"), "%s-pair" % "".join(opts),
                      sizes + p1.ljust(n, b"\0") + p2.ljust(n, b"\0"))
            for k, (_, u, _, method, p) in enumerate(entries):
                if method != 0x30:
                    sizes = bytes([u >> 10 & 0xFF, u >> 2 & 0xFF, 0, 0])
                    write(os.path.join(out, "unpack20_fuzz"), "%s-%d" % ("".join(opts) or "plain", k), sizes + p + p)
    finally:
        shutil.rmtree(work)


# ---- pictures --------------------------------------------------------------------------------


def bmp(width, height, bits, rows, palette=b"", compression=0):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, len(rows), 2835, 2835,
                       len(palette) // 4, 0)
    offset = 14 + len(info) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) + info + palette + rows


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png(width, height, color_type, depth, rows, extra=b""):
    head = struct.pack(">IIBBBBB", width, height, depth, color_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", head) + extra + png_chunk(b"IDAT", zlib.compress(rows)) +
            png_chunk(b"IEND", b""))


def tga(image_type, width, height, bpp, pixels, palette=b"", map_bits=0, descriptor=0):
    head = struct.pack("<BBBHHBHHHHBB", 0, 1 if palette else 0, image_type, 0, len(palette) * 8 // max(map_bits, 8)
                       if palette else 0, map_bits, 0, 0, width, height, bpp, descriptor)
    return head + palette + pixels + b"\0" * 8 + b"TRUEVISION-XFILE.\0"


def image_seeds(out):
    d = os.path.join(out, "image_decode_fuzz")
    write(d, "rgb24.bmp", bmp(3, 2, 24, bytes(range(12)) + bytes(range(12, 24))))
    grey = b"".join(struct.pack("<BBBB", i * 85, i * 85, i * 85, 0) for i in range(4))
    write(d, "pal8.bmp", bmp(4, 2, 8, bytes([0, 1, 2, 3, 3, 2, 1, 0]), grey))
    write(d, "rle8.bmp", bmp(4, 2, 8, bytes([4, 1, 0, 0, 2, 2, 2, 3, 0, 1]), grey, compression=1))
    write(d, "rle4.bmp", bmp(4, 2, 4, bytes([4, 0x12, 0, 0, 4, 0x30, 0, 1]), grey, compression=2))
    write(d, "argb32.bmp", bmp(2, 2, 32, bytes(range(16))))
    write(d, "rgb.tga", tga(2, 2, 2, 24, bytes(range(12))))
    write(d, "rgba-rle.tga", tga(10, 3, 1, 32, bytes([0x82, 1, 2, 3, 4])))
    write(d, "map.tga", tga(1, 2, 1, 8, bytes([0, 1]), bytes(range(6)), 24))
    write(d, "grey-rle.tga", tga(11, 4, 1, 8, bytes([0x01, 9, 8, 0x81, 7]), descriptor=0x20))
    # 16384 x 16384 declared in 300 bytes of runs: refused from its header, past the largest texture.
    write(d, "huge-rle.tga", tga(10, 16384, 16384, 32, b"".join(bytes([0xFF, i, 0x40, 0x80, 0xFF]) for i in range(60))))
    write(d, "rgb.png", png(2, 2, 2, 8, b"\0" + bytes(range(6)) + b"\1" + bytes(range(6))))
    write(d, "pal.png", png(2, 1, 3, 4, b"\0\x01", png_chunk(b"PLTE", bytes(range(6))) + png_chunk(b"tRNS", b"\x80")))
    write(d, "grey16.png", png(1, 2, 0, 16, b"\0\x12\x34\0\xff\xff"))
    write(d, "ga.png", png(2, 1, 4, 8, b"\2\x10\x20\x30\x40"))
    if shutil.which("ffmpeg"):
        path = os.path.join(tempfile.mkdtemp(), "small.jpg")
        subprocess.run(["ffmpeg", "-loglevel", "error", "-f", "lavfi", "-i", "testsrc=size=16x8", "-frames:v", "1",
                        "-q:v", "20", path], check=True)
        with open(path, "rb") as f:
            write(d, "small.jpg", f.read())
        shutil.rmtree(os.path.dirname(path))


# ---- .x meshes -------------------------------------------------------------------------------

MESH_TEXT = b"""xof 0302txt 0032
template Vector { <3d82ab5e-62da-11cf-ab39-0020af71e433> FLOAT x; FLOAT y; FLOAT z; }
Material red { 1.0;0.0;0.0;1.0;; 8.0; 1.0;1.0;1.0;; 0.0;0.0;0.0;; TextureFilename { "red.bmp"; } }
Frame top {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 1,2,3,1;; }
  Mesh quad {
    4; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;;
    1; 4;0,1,2,3;;
    MeshNormals { 1; 0.0;0.0;1.0;; 1; 4;0,0,0,0;; }
    MeshTextureCoords { 4; 0.0;0.0;, 1.0;0.0;, 1.0;1.0;, 0.0;1.0;; }
    MeshVertexColors { 2; 0;1.0;0.0;0.0;1.0;, 2;0.0;1.0;0.0;1.0;; }
    MeshMaterialList { 1; 1; 0;; { red } }
  }
}
"""


def xbin_name(s):
    return struct.pack("<HI", 1, len(s)) + s


def xbin_ints(values):
    return struct.pack("<HI", 6, len(values)) + b"".join(struct.pack("<I", v) for v in values)


def xbin_floats(values, doubles):
    return struct.pack("<HI", 7, len(values)) + b"".join(struct.pack("<d" if doubles else "<f", v) for v in values)


def mesh_binary(doubles):
    body = (xbin_name(b"Mesh") + struct.pack("<H", 10) + xbin_ints([3]) +
            xbin_floats([0, 0, 0, 1, 0, 0, 0, 1, 0], doubles) + xbin_ints([1, 3, 0, 1, 2]) +
            xbin_name(b"MeshNormals") + struct.pack("<H", 10) + xbin_ints([1]) + xbin_floats([0, 0, 1], doubles) +
            xbin_ints([1, 3, 0, 0, 0]) + struct.pack("<H", 11) + struct.pack("<H", 11))
    return b"xof 0302bin " + (b"0064" if doubles else b"0032") + body


def mszip(file, block):
    out = bytearray(file[:16])
    out[8:12] = b"tzip" if file[8:12] == b"txt " else b"bzip"
    out += struct.pack("<I", len(file))
    for start in range(16, len(file), block):
        plain = file[start:start + block]
        z = zlib.compressobj(9, zlib.DEFLATED, -15, zdict=file[max(16, start - 32768):start] if start > 16 else None) \
            if start > 16 else zlib.compressobj(9, zlib.DEFLATED, -15)
        packed = z.compress(plain) + z.flush()
        out += struct.pack("<HH", len(plain), len(packed) + 2) + b"CK" + packed
    return bytes(out)


def xfile_seeds(out):
    d = os.path.join(out, "xfile_parse_fuzz")
    write(d, "mesh.x", MESH_TEXT)
    write(d, "mesh32.x", mesh_binary(False))
    write(d, "mesh64.x", mesh_binary(True))
    write(d, "mesh-tzip.x", mszip(MESH_TEXT, 256))
    write(d, "mesh-bzip.x", mszip(mesh_binary(False), 64))


# ---- part.txt, resource scripts, MP3 ---------------------------------------------------------


def text_seeds(out, root):
    d = os.path.join(out, "part_keywords_fuzz")
    write(d, "all.txt", b"".join(b"part%02d\r\n" % i for i in range(1, 11)))
    write(d, "variants.txt", b"room\njelly\nsecret\nstoned\nlesbian")
    write(d, "ctrlz.txt", b"part01\r\r\npart02\x1apart03\n")
    d = os.path.join(out, "rc_script_fuzz")
    with open(os.path.join(root, "resources", "vornhold.rc"), "rb") as f:
        script = f.read()
    with open(os.path.join(root, "resources", "resource_ids.h"), "rb") as f:
        ids = f.read()
    # The show's own script, with its header of ids inlined (the target reads one file) and its
    # picture replaced by the one the target provides.
    script = re.sub(rb'BITMAP\s+"[^"]*"', b'BITMAP "pic.bmp"', script.replace(b'#include "resource_ids.h"', ids))
    write(d, "vornhold.rc", script)
    write(d, "small.rc", b"""#define IDC_GO 1001
7 BITMAP DISCARDABLE "pic.bmp"
100 DIALOGEX 0, 0, 180, 90, 5
STYLE DS_MODALFRAME | WS_POPUP | NOT WS_BORDER
EXSTYLE WS_EX_TOPMOST
CAPTION "Set \\"up\\""
FONT 8, "MS Sans Serif", 400, 0, 1
MENU 3
CLASS "cls"
{
    DEFPUSHBUTTON   "Go",IDC_GO,7,69,50,14
    PUSHBUTTON      "Cancel",IDCANCEL,123,69,50,14, NOT WS_TABSTOP
    AUTORADIOBUTTON "A",1002,7,7,40,10,WS_GROUP
    GROUPBOX        "Mode",-1,5,2,100,40
    LTEXT           "Text",IDC_STATIC,7,50,100,8
    COMBOBOX        1003,60,7,100,60,CBS_DROPDOWNLIST | WS_VSCROLL, 0, 0x10
    CONTROL         7,-1,"Static",SS_BITMAP,110,2,60,30
    CONTROL         "x",1004,BUTTON,BS_AUTORADIOBUTTON,7,30,30,10, WS_EX_TOOLWINDOW, 3
}
""")


def mp3_seeds(out):
    if not shutil.which("lame"):
        return
    d = os.path.join(out, "mp3_stream_fuzz")
    work = tempfile.mkdtemp()
    try:
        for name, rate, channels, args in [("mono22k.mp3", 22050, 1, ["-b", "32"]),
                                           ("stereo44k.mp3", 44100, 2, ["-b", "64"]),
                                           ("tagged48k.mp3", 48000, 2, ["-b", "32", "--add-id3v2", "--tt", "t"]),
                                           ("vbr8k.mp3", 8000, 1, ["-V", "9"]),
                                           ("plain32k.mp3", 32000, 1, ["-b", "32", "-t", "--id3v1-only", "--tt", "x"])]:
            frames = rate // 20
            pcm = b"".join(struct.pack("<h", int(8000 * math.sin(i / 7))) * channels for i in range(frames))
            raw = os.path.join(work, "in.raw")
            with open(raw, "wb") as f:
                f.write(pcm)
            mode = ["-m", "m"] if channels == 1 else ["-m", "s"]
            subprocess.run(["lame", "--quiet", "-r", "-s", str(rate / 1000), "--bitwidth", "16", "--signed",
                            "--little-endian"] + mode + args + [raw, os.path.join(work, name)], check=True)
            with open(os.path.join(work, name), "rb") as f:
                write(d, name, f.read())
    finally:
        shutil.rmtree(work)


def main():
    out, rarpack = sys.argv[1], os.path.abspath(sys.argv[2])
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    archive_seeds(out, rarpack)
    image_seeds(out)
    xfile_seeds(out)
    text_seeds(out, root)
    mp3_seeds(out)


if __name__ == "__main__":
    main()
