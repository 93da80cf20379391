#!/usr/bin/env python3
"""Checks the Debian package that tools/package made: unpacks it with dpkg-deb -x and
looks at what a desktop gets from it.

Usage: check_package.py PACKAGE_FOLDER SAMPLE_DEMO
Exits 77 (skipped) when the folder holds no package.
"""
import glob
import gzip
import os
import re
import struct
import subprocess
import sys
import tempfile

ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
FILES = [
    "usr/bin/obitrak",
    "usr/bin/obitrak-report",
    "usr/share/applications/obitrak.desktop",
    "usr/share/mime/packages/obitrak.xml",
    "usr/share/man/man1/obitrak-report.1",
    "usr/share/icons/hicolor/scalable/apps/obitrak.svg",
] + ["usr/share/obitrak/packs/%s.pack" % p for p in (
    "action", "arena", "chaos", "ctf", "gladiator", "lithium", "lox", "rogue", "xatrix")
] + ["usr/share/icons/hicolor/%dx%d/apps/obitrak.png" % (s, s) for s in ICON_SIZES]
# Libraries the programs link; dpkg-shlibdeps must have found each.
DEPENDS = ("libc6", "libstdc++6", "libqt6widgets6", "zlib1g", "libsqlite3-0")

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, encoding="latin-1", **kw)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    return struct.unpack(">II", head[16:24])


def check_programs(root, sample):
    report = os.path.join(root, "usr/bin/obitrak-report")
    plain = run([report, sample])
    check(plain.returncode == 0 and "Demo name   : sample.dm2" in plain.stdout,
          "obitrak-report reports the sample: " + plain.stderr)
    with tempfile.TemporaryDirectory() as tmp:
        packed = os.path.join(tmp, "sample.dm2.gz")
        with open(sample, "rb") as src, gzip.open(packed, "wb") as dst:
            dst.write(src.read())
        archived = run([report, packed])
        check(archived.stdout.replace("sample.dm2.gz", "sample.dm2") == plain.stdout,
              "the gzip demo reports as the plain one")
    version = run([report, "--version"])
    check(version.returncode == 0 and version.stdout.strip() != "", "obitrak-report --version")


def main():
    folder, sample = sys.argv[1], sys.argv[2]
    debs = sorted(glob.glob(os.path.join(folder, "obitrak_*.deb")))
    if not debs:
        print("no package in %s: run tools/package" % folder)
        return 77
    deb = debs[-1]
    with tempfile.TemporaryDirectory() as root:
        subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
        for f in FILES:
            check(os.path.isfile(os.path.join(root, f)), "missing " + f)
        for s in ICON_SIZES:
            path = os.path.join(root, "usr/share/icons/hicolor/%dx%d/apps/obitrak.png" % (s, s))
            if os.path.isfile(path):
                check(png_size(path) == (s, s), "icon %d is %s" % (s, png_size(path)))
        desktop = run(["desktop-file-validate",
                       os.path.join(root, "usr/share/applications/obitrak.desktop")])
        check(desktop.returncode == 0 and desktop.stdout == "", "desktop entry: " + desktop.stdout)
        mime = run(["xmllint", "--noout", os.path.join(root, "usr/share/mime/packages/obitrak.xml")])
        check(mime.returncode == 0, "MIME package: " + mime.stderr)
        entry = open(os.path.join(root, "usr/share/applications/obitrak.desktop")).read()
        xml = open(os.path.join(root, "usr/share/mime/packages/obitrak.xml")).read()
        check("MimeType=application/x-quake2-demo;" in entry and
              'type="application/x-quake2-demo"' in xml, "entry and MIME package name one type")
        man = open(os.path.join(root, "usr/share/man/man1/obitrak-report.1")).read()
        for option in ("--format", "--teamplay", "--output", "--colors", "--phrases", "--jobs",
                       "--progress", "--summary", "--library", "--no-pack", "--site", "--watch",
                       "--aliases", "--version", "--help"):
            check(option.replace("-", "\\-") in man, "the manual page documents " + option)
        # Every option the page names is one the program accepts (its --help lists them).
        usage = run([os.path.join(root, "usr/bin/obitrak-report"), "--help"]).stdout
        for line in re.findall(r"^\.B[IR]? (.*)$", man, re.M):
            for option in re.findall(r"(?<![\w-])-{1,2}[a-z][a-z-]*", line.replace("\\-", "-")):
                check(option + " " in usage or option + "," in usage,
                      "the manual page's " + option + " is an option of the program")
        check_programs(root, sample)
    depends = run(["dpkg-deb", "-f", deb, "Depends"]).stdout
    for lib in DEPENDS:
        check(lib + " " in depends or lib + "," in depends, "Depends lacks %s: %s" % (lib, depends))
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
