#!/usr/bin/env python3
"""Writes the demonstration collection (ROMS/, SAMPLES/) for the games of demo/mame.

Every rom is made of a repeated text followed by four bytes chosen so that its CRC-32 is the
one in the catalogue. Rom sets are split: a clone's set holds only its own roms. On purpose,
"ghostrt" has no rom set, and "pixblast" keeps "pixblast.snd" under the name "pixblst.snd". The texts in docs/ and FAQ/ are
written by hand and left as they are."""
import os, re, shutil, struct, subprocess, zipfile, zlib

HERE = os.path.dirname(os.path.abspath(__file__))
FOLDER_ROM_SETS = {"moonrun"}
FOLDER_SAMPLE_SETS = {"astrolab"}
MISSING_ROM_SETS = {"ghostrt"}
RENAMED = {("pixblast", "pixblast.snd"): "pixblst.snd"}

TABLE = []
for i in range(256):
    c = i
    for _ in range(8):
        c = (c >> 1) ^ 0xEDB88320 if c & 1 else c >> 1
    TABLE.append(c)


def forge(prefix, crc):
    """prefix + 4 bytes whose CRC-32 is crc."""
    reg = zlib.crc32(prefix) ^ 0xFFFFFFFF
    want = crc ^ 0xFFFFFFFF
    for _ in range(4):
        i = next(k for k in range(256) if TABLE[k] >> 24 == want >> 24)
        want = (((want ^ TABLE[i]) << 8) & 0xFFFFFFFF) | i
    data = prefix + struct.pack("<I", want ^ reg)
    assert zlib.crc32(data) == crc
    return data


def rom_bytes(name, size, crc):
    text = ("%s: demonstration rom made for Velmora. " % name).encode()
    body = (text * (size // len(text) + 1))[: size - 4]
    return forge(body, crc)


def wav_bytes(name):
    seed = zlib.crc32(name.encode())
    samples = bytes(128 + (40 if (i // (8 + seed % 9)) % 2 else -40) for i in range(2048))
    fmt = struct.pack("<HHIIHH", 1, 1, 11025, 11025, 1, 8)
    return (b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVE" + b"fmt " +
            struct.pack("<I", 16) + fmt + b"data" + struct.pack("<I", len(samples)) + samples)


def write_set(folder, name, files, as_folder):
    os.makedirs(folder, exist_ok=True)
    if as_folder:
        os.makedirs(os.path.join(folder, name))
        for fname, data in files:
            with open(os.path.join(folder, name, fname), "wb") as f:
                f.write(data)
        return
    with zipfile.ZipFile(os.path.join(folder, name + ".zip"), "w", zipfile.ZIP_DEFLATED) as z:
        for fname, data in files:
            info = zipfile.ZipInfo(fname, date_time=(2001, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, data)


def main():
    catalogue = subprocess.run([os.path.join(HERE, "mame"), "-listinfo"], capture_output=True,
                               text=True, check=True).stdout
    for sub in ("ROMS", "SAMPLES"):
        shutil.rmtree(os.path.join(HERE, sub), ignore_errors=True)
    for block in re.findall(r"^(?:game|resource) \(\n(.*?)^\)", catalogue, re.M | re.S):
        name = re.search(r"^\tname (\S+)", block, re.M).group(1)
        roms = []
        for m in re.finditer(r"rom \( name (\S+)( merge \S+)? size (\d+) crc ([0-9a-f]+)", block):
            rom, merged, size, crc = m.group(1), m.group(2), int(m.group(3)), int(m.group(4), 16)
            if merged or crc == 0:
                continue
            roms.append((RENAMED.get((name, rom), rom), rom_bytes(rom, size, crc)))
        if roms and name not in MISSING_ROM_SETS:
            write_set(os.path.join(HERE, "ROMS"), name, roms, name in FOLDER_ROM_SETS)
        if "sampleof" not in block:
            samples = [(s, wav_bytes(s)) for s in re.findall(r"^\tsample (\S+)", block, re.M)]
            if samples:
                write_set(os.path.join(HERE, "SAMPLES"), name, samples, name in FOLDER_SAMPLE_SETS)


main()
