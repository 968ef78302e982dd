#!/usr/bin/env python3
"""Writes a deterministic corpus of C-like sources for timing linewright-count.

About 20,000 files and 250 MB in a few hundred directories, with comments, braces, FIXMEs,
blank lines and a share of CRLF files. The same arguments always give the same bytes.

Usage: make_corpus.py [DIR] [--files N] [--megabytes M]   (default DIR: bench/corpus)
"""
import argparse
import os
import random

WORDS = ["value", "count", "index", "buffer", "node", "state", "result", "length", "offset",
         "handle", "config", "parser", "token", "stream", "cache", "entry", "table", "queue"]
EXTENSIONS = [".c", ".cpp", ".h", ".hxx", ".cxx", ".inl", ".txt"]


def line(rng):
    kind = rng.random()
    a, b = rng.choice(WORDS), rng.choice(WORDS)
    if kind < 0.08:
        return ""
    if kind < 0.14:
        return rng.choice(["{", "}", "    }", "  {"])
    if kind < 0.22:
        return "    // %s the %s before %s" % (a, b, rng.choice(WORDS))
    if kind < 0.26:
        return "/* %s: %s */ int %s_%d;" % (a, b, a, rng.randrange(1000))
    if kind < 0.27:
        return "    // FIXME: %s leaks when %s is empty" % (a, b)
    if kind < 0.30:
        return "/*\n * %s %s\n * %s\n */" % (a, b, rng.choice(WORDS))
    return "    %s = %s_%s(%s, %d); /* %s */" % (a, b, rng.choice(WORDS), a, rng.randrange(100), b) \
        if kind < 0.40 else "    %s->%s += %s[%d] * %d;" % (a, b, rng.choice(WORDS),
                                                          rng.randrange(64), rng.randrange(9))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dir", nargs="?",
                        default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus"))
    parser.add_argument("--files", type=int, default=20000)
    parser.add_argument("--megabytes", type=int, default=250)
    args = parser.parse_args()

    rng = random.Random(20261209)
    mean_size = args.megabytes * 1024 * 1024 // args.files
    directories = [""]
    while len(directories) < 300:
        parent = rng.choice(directories)
        directories.append(os.path.join(parent, "%s%d" % (rng.choice(WORDS), len(directories))))
    for d in directories:
        os.makedirs(os.path.join(args.dir, d), exist_ok=True)

    # A pool of lines to draw from keeps generation quick while the files still differ.
    pool = [line(rng) for _ in range(20000)]
    written = 0
    for i in range(args.files):
        d = directories[i % len(directories)]
        name = "%s_%d%s" % (rng.choice(WORDS), i, rng.choice(EXTENSIONS))
        size = max(64, int(rng.expovariate(1.0 / mean_size)))
        start = rng.randrange(len(pool))
        parts, length, k = [], 0, start
        while length < size:
            text = pool[k % len(pool)]
            parts.append(text)
            length += len(text) + 1
            k += 7
        body = "\n".join(parts) + "\n"
        if i % 5 == 0:
            body = body.replace("\n", "\r\n")
        data = body.encode()
        with open(os.path.join(args.dir, d, name), "wb") as f:
            f.write(data)
        written += len(data)
    print("%d files, %.1f MB in %d directories under %s"
          % (args.files, written / 1048576, len(directories), args.dir))


if __name__ == "__main__":
    main()
