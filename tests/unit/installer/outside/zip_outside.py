#!/usr/bin/env python3
"""Outside check of the installer's ZIP walk and deflate decoder.

Archives written by Info-ZIP zip and by Python's zipfile and zlib (every
level, fixed and dynamic Huffman blocks, Z_FIXED, stored blocks of 65535
bytes) are expanded by our walk and by unzip; the files must be the same
byte for byte, and our CRC-32 of each must be zlib's. Hostile names must be
refused with nothing written outside the target; a cut or damaged archive
must give a clear error and leave the good file already there.

    zip_outside.py <zip_unpack program>
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

TOOL = sys.argv[1]
failures = []


def fail(what):
    failures.append(what)
    print("FAIL:", what)


def sample_files():
    """Contents that reach every path of the decoder."""
    rnd = random.Random(27)
    words = [b"BOX", b"PATH", b"POLY", b"TEXT", b"CELL", b"LAYER", b"1", b"25", b"-300", b"4096"]
    text = b"".join(rnd.choice(words) + (b"\n" if rnd.random() < 0.2 else b" ") for _ in range(60000))
    return {
        "Text.tlc": text,
        "Random.bin": bytes(rnd.getrandbits(8) for _ in range(150000)),
        "Runs.bin": b"\0" * 70000 + b"x" * 40000 + bytes(range(256)) * 50,
        "Small.txt": b"hello, installer\n",
        "Empty.txt": b"",
        "Window.bin": (bytes(rnd.getrandbits(8) for _ in range(1000)) * 40)[:32768],
        "Window1.bin": (bytes(rnd.getrandbits(8) for _ in range(1000)) * 40)[:32769],
    }


def local_zip(path, members):
    """A ZIP of (name, method, raw data, original) written field by field,
    with its central directory, so unzip reads it too."""
    out = bytearray()
    central = bytearray()
    for name, method, raw, orig in members:
        nb = name.encode("latin-1")
        crc = zlib.crc32(orig) & 0xFFFFFFFF
        offset = len(out)
        out += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, method, 0x6D2C, 0x5A8B, crc, len(raw), len(orig), len(nb), 0)
        out += nb + raw
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, method, 0x6D2C, 0x5A8B, crc, len(raw),
                               len(orig), len(nb), 0, 0, 0, 0, 0, offset)
        central += nb
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(members), len(members), len(central), len(out), 0)
    with open(path, "wb") as f:
        f.write(out + central + end)


def raw_deflate(data, level, strategy=zlib.Z_DEFAULT_STRATEGY, pieces=1):
    c = zlib.compressobj(level, zlib.DEFLATED, -15, 9, strategy)
    out = b""
    step = max(1, len(data) // pieces)
    for i in range(0, len(data), step):
        out += c.compress(data[i:i + step])
        if pieces > 1:
            out += c.flush(zlib.Z_FULL_FLUSH)  # empty stored blocks between pieces
    return out + c.flush()


def run_tool(archive, target):
    p = subprocess.run([TOOL, "x", archive, target], capture_output=True, text=True)
    return p.returncode, p.stderr


def tree(folder):
    """name (any case) -> bytes of every file under folder."""
    got = {}
    for root, _, files in os.walk(folder):
        for n in files:
            full = os.path.join(root, n)
            with open(full, "rb") as f:
                got[os.path.relpath(full, folder).lower()] = f.read()
    return got


def same_as_unzip(work, archive, label):
    ours = os.path.join(work, "ours")
    ref = os.path.join(work, "ref")
    for d in (ours, ref):
        shutil.rmtree(d, ignore_errors=True)
        os.mkdir(d)
    code, err = run_tool(archive, ours)
    if code != 0:
        fail(f"{label}: result {code}: {err.strip()}")
        return
    p = subprocess.run(["unzip", "-qq", "-o", archive, "-d", ref], capture_output=True)
    if p.returncode != 0:
        fail(f"{label}: unzip failed: {p.stderr!r}")
        return
    a, b = tree(ours), tree(ref)
    if a != b:
        fail(f"{label}: differs from unzip: ours {sorted(a)} ref {sorted(b)} "
             f"changed {[n for n in a if n in b and a[n] != b[n]]}")
    # Our CRC-32 of every member against zlib's.
    files = [os.path.join(ours, n) for n in os.listdir(ours)]
    if files:
        out = subprocess.run([TOOL, "crc"] + files, capture_output=True, text=True).stdout.split("\n")
        for line in out:
            if not line:
                continue
            crc, path = line.split(" ", 1)
            with open(path, "rb") as f:
                want = zlib.crc32(f.read()) & 0xFFFFFFFF
            if int(crc, 16) != want:
                fail(f"{label}: CRC of {path} {crc}, zlib {want:08x}")


def main():
    work = tempfile.mkdtemp(prefix="zipoutside.")
    try:
        files = sample_files()
        src = os.path.join(work, "src")
        os.mkdir(src)
        for n, d in files.items():
            with open(os.path.join(src, n), "wb") as f:
                f.write(d)
        names = sorted(files)
        count = 0

        # Info-ZIP zip, stored and every level, members without folders.
        for level in range(10):
            arch = os.path.join(work, f"infozip{level}.zip")
            subprocess.run(["zip", "-q", "-j", "-X", f"-{level}", arch] + [os.path.join(src, n) for n in names],
                           check=True)
            same_as_unzip(work, arch, f"zip -{level}")
            count += 1

        # Python's zipfile, stored and deflated at every level.
        for level in [None] + list(range(10)):
            arch = os.path.join(work, f"pyzip{level}.zip")
            comp = zipfile.ZIP_STORED if level is None else zipfile.ZIP_DEFLATED
            with zipfile.ZipFile(arch, "w", comp, compresslevel=level) as z:
                for n in names:
                    z.writestr(n, files[n])
            same_as_unzip(work, arch, f"zipfile level {level}")
            count += 1

        # zlib's raw streams: every level, Z_FIXED (fixed codes only),
        # Huffman-only and run-length strategies, flushed pieces, and level 0
        # whose stored blocks are 65535 bytes long.
        streams = []
        for level in range(10):
            streams.append((f"level {level}", level, zlib.Z_DEFAULT_STRATEGY, 1))
        streams += [("Z_FIXED", 6, zlib.Z_FIXED, 1), ("Z_FIXED level 1", 1, zlib.Z_FIXED, 1),
                    ("Z_HUFFMAN_ONLY", 6, zlib.Z_HUFFMAN_ONLY, 1), ("Z_RLE", 6, zlib.Z_RLE, 1),
                    ("full flushes", 6, zlib.Z_DEFAULT_STRATEGY, 7)]
        for label, level, strategy, pieces in streams:
            members = [(n, 8, raw_deflate(files[n], level, strategy, pieces), files[n]) for n in names]
            arch = os.path.join(work, "zlib.zip")
            local_zip(arch, members)
            same_as_unzip(work, arch, f"zlib {label}")
            count += 1
        big = files["Random.bin"]
        stream = raw_deflate(big, 0)
        if b"\xff\xff\x00\x00" not in stream[:8]:
            fail("level 0 did not make a stored block of 65535 bytes")

        # Hostile names: refused with code 1, nothing written outside the
        # target (nor inside it but the good member).
        hostile = ["../x", "a/../../x", "/abs", "\\x", "C:x", "C:/x", "CON", "sub/", "sub/inner.txt"]
        for name in hostile:
            nest = os.path.join(work, "nest")
            shutil.rmtree(nest, ignore_errors=True)
            target = os.path.join(nest, "a", "b", "target")
            os.makedirs(target)
            arch = os.path.join(nest, "hostile.zip")
            local_zip(arch, [(name, 0, b"evil", b"evil"), ("good.txt", 0, b"good", b"good")])
            before = set(os.listdir(work))
            abs_before = os.path.exists("/abs")
            code, err = run_tool(arch, target)
            if code != 1:
                fail(f"name {name!r}: result {code}, want 1")
            if "can't unzip" not in err:
                fail(f"name {name!r}: no clear message: {err.strip()}")
            found = []
            for root, dirs, fs in os.walk(nest):
                found += [os.path.relpath(os.path.join(root, f), nest) for f in fs + dirs]
            want = {"hostile.zip", "a", "a/b", "a/b/target", "a/b/target/Good.txt"}
            if set(found) != want:
                fail(f"name {name!r}: files now {sorted(found)}")
            if set(os.listdir(work)) != before or os.path.exists("/abs") != abs_before:
                fail(f"name {name!r}: something landed beside the work folders")

        # A cut archive and a flipped byte: a clear error, and the good file
        # put there by a good archive stays as it was.
        good = os.path.join(work, "pyzip6.zip")
        with open(good, "rb") as f:
            whole = f.read()
        info = zipfile.ZipFile(good).infolist()
        first = next(i for i in info if i.filename == "Text.tlc")
        data_at = first.header_offset + 30 + len(first.filename.encode()) + len(first.extra)
        damaged = {
            "cut in a member": whole[:data_at + first.compress_size // 2],
            "cut after a member": whole[:data_at + first.compress_size],
            "flipped byte": whole[:data_at + first.compress_size // 2] +
                            bytes([whole[data_at + first.compress_size // 2] ^ 0x55]) +
                            whole[data_at + first.compress_size // 2 + 1:],
            "flipped CRC": whole[:first.header_offset + 14] + bytes([whole[first.header_offset + 14] ^ 1]) +
                           whole[first.header_offset + 15:],
        }
        for label, content in damaged.items():
            target = os.path.join(work, "installed")
            shutil.rmtree(target, ignore_errors=True)
            os.mkdir(target)
            code, err = run_tool(good, target)
            if code != 0:
                fail(f"{label}: the good archive gave {code}")
            before = tree(target)
            arch = os.path.join(work, "damaged.zip")
            with open(arch, "wb") as f:
                f.write(content)
            code, err = run_tool(arch, target)
            if code != 1:
                fail(f"{label}: result {code}, want 1: {err.strip()}")
            if not any(w in err for w in ("CRC error", "format wrong", "length error", "cut short")):
                fail(f"{label}: no clear message: {err.strip()}")
            if tree(target) != before:
                fail(f"{label}: installed files changed")
        print(f"{count} archives compared with unzip, {len(hostile)} hostile names, {len(damaged)} damaged archives")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if failures:
        sys.exit(1)


main()
