#!/usr/bin/env python3
"""Makes a reproducible folder tree for the walk and results benchmarks.

    gen_tree.py DIR [--files N] [--folders N] [--million] [--seed S]

Default: 200,000 files in 20,000 folders; --million makes 1,000,000 files in
100,000 folders. Folders are 1 to 12 levels deep, names are 5 to 40 characters
with spaces and mixed case, some folders are called Temp, Cache, Debug or
Release, extensions include the usual clutter (tmp, bak, log, old), sizes have
a long tail and times spread over ten years. Files are sparse (made with
truncate), so even a large tree costs next to no disk.
"""

import argparse
import math
import os
import random
import sys

WORDS = (
    "report draft final copy photo image backup data notes invoice letter summary "
    "budget project meeting minutes scan holiday music track video clip setup readme "
    "config module test sample archive export import old new version user home work "
    "plan design sketch chart table list index main util helper core build output "
    "Report Draft Final Photo Data Notes Project Music Video Setup Archive Build"
).split()

EXTENSIONS = [
    ("txt", 8), ("jpg", 10), ("png", 6), ("pdf", 5), ("doc", 3), ("docx", 4), ("xls", 2),
    ("mp3", 4), ("h", 5), ("cpp", 5), ("o", 4), ("dll", 3), ("so", 2), ("exe", 2),
    ("html", 4), ("js", 5), ("json", 4), ("xml", 3), ("zip", 2), ("gz", 2), ("py", 3),
    ("tmp", 3), ("bak", 2), ("log", 3), ("old", 1), ("$$$", 0.2), ("tar.gz", 1), ("", 3),
]
SPECIAL_FOLDERS = ["Temp", "Cache", "Debug", "Release", "tmp", "History"]
TEN_YEARS = 10 * 365 * 24 * 3600
NEWEST = 1_700_000_000  # November 2023


def make_name(rng, low, high):
    length = rng.randint(low, high)
    parts = []
    while sum(len(p) + 1 for p in parts) < length:
        word = rng.choice(WORDS)
        roll = rng.random()
        if roll < 0.2:
            word = word.capitalize()
        elif roll < 0.25:
            word = word.upper()
        parts.append(word)
        if rng.random() < 0.15:
            parts.append(str(rng.randint(1, 2024)))
    separator = " " if rng.random() < 0.6 else rng.choice("_-.")
    name = separator.join(parts)[:length].strip(" .")
    return name or "x" * low


def pick_extension(rng, table, total):
    roll = rng.random() * total
    for ext, weight in table:
        roll -= weight
        if roll <= 0:
            return ext
    return table[-1][0]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("dir")
    parser.add_argument("--files", type=int, default=200_000)
    parser.add_argument("--folders", type=int, default=20_000)
    parser.add_argument("--million", action="store_true", help="1,000,000 files in 100,000 folders")
    parser.add_argument("--seed", type=int, default=20240229)
    args = parser.parse_args()
    if args.million:
        args.files, args.folders = 1_000_000, 100_000

    root = os.path.abspath(args.dir)
    os.makedirs(root, exist_ok=True)
    if os.listdir(root):
        sys.exit(f"{root} is not empty; refusing to add to it")
    rng = random.Random(args.seed)

    # Folders: pick a depth (most between 2 and 6), then a parent one level up.
    by_depth = {0: [root]}
    folders = [root]
    # Every name taken in a folder, folders and files alike: a file without an
    # extension may otherwise be given the name of a sibling folder.
    used = set()
    depth_weights = [0, 6, 10, 12, 12, 10, 8, 6, 4, 3, 2, 1.5, 1]
    while len(folders) < args.folders:
        depth = rng.choices(range(13), weights=depth_weights)[0]
        while depth - 1 not in by_depth:
            depth -= 1
        parent = rng.choice(by_depth[depth - 1])
        if rng.random() < 0.02:
            name = rng.choice(SPECIAL_FOLDERS)
        else:
            name = make_name(rng, 5, 30)
        path = os.path.join(parent, name)
        if (parent, name) in used:
            continue
        used.add((parent, name))
        os.mkdir(path)
        folders.append(path)
        by_depth.setdefault(depth, []).append(path)

    total_weight = sum(w for _, w in EXTENSIONS)
    total_bytes = 0
    for i in range(args.files):
        folder = rng.choice(folders)
        ext = pick_extension(rng, EXTENSIONS, total_weight)
        stem = make_name(rng, 5, 36)
        name = f"{stem}.{ext}" if ext else stem
        if (folder, name) in used:
            name = f"{stem} ({i}).{ext}" if ext else f"{stem} ({i})"
        used.add((folder, name))
        size = min(int(math.exp(rng.gauss(8.5, 2.6))), 8 << 30)
        mtime = NEWEST - rng.randrange(TEN_YEARS)
        atime = min(NEWEST, mtime + rng.randrange(TEN_YEARS // 4))
        fd = os.open(os.path.join(folder, name), os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644)
        try:
            os.ftruncate(fd, size)
            os.utime(fd, (atime, mtime))
        finally:
            os.close(fd)
        total_bytes += size
    print(f"{args.files} files in {len(folders)} folders, {total_bytes / (1 << 30):.1f} GiB apparent, under {root}")


if __name__ == "__main__":
    main()
