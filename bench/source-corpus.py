#!/usr/bin/env python3
"""Runs the source loaders over the resource scripts and Pascal units that
Debian packages ship and compares them with independent readers:

* every .rc file with a STRINGTABLE: `shelfwright-cli scan --json` against the
  string tables of the .res that llvm-rc compiles from it (the tables of the
  language the loader took; llvm-rc's default 0409 for tables without one);
* every .pas/.pp unit with a resourcestring section: whether it loads, and,
  where the Free Pascal packages ship the unit's compiled .rsj, whether the
  names and values equal fpc's.

Usage: bench/source-corpus.py [--install] [--cli PATH] [--limit N] [--verbose]
--install installs the source packages (apt-get) when they are missing.
Prints the counts and the reasons of the differences.
"""
import argparse
import collections
import glob
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

PACKAGES = [
    "fpc-source-3.2.2", "lazarus-src-2.2", "fp-compiler-3.2.2", "fp-units-fcl-3.2.2",
    # Windows resource scripts in examples and templates
    "codeblocks-common", "libtbb-doc", "firebird3.0-examples", "libglfw3-doc",
    "openscenegraph-examples", "libace-doc", "libirrlicht-doc",
    # the reference compilers
    "llvm", "clang",
]
RSJ_ROOT = "/usr/lib/x86_64-linux-gnu/fpc"
HERE = os.path.dirname(os.path.abspath(__file__))


def installed(package):
    r = subprocess.run(["dpkg-query", "-W", "-f=${Status}", package], capture_output=True, text=True)
    return "install ok installed" in r.stdout


def install(packages):
    missing = [p for p in packages if not installed(p)]
    if missing:
        print("installing", " ".join(missing), flush=True)
        subprocess.run(["apt-get", "install", "-y", "-qq", "--no-install-recommends"] + missing, check=True)


def package_files(package):
    r = subprocess.run(["dpkg", "-L", package], capture_output=True, text=True)
    return [f for f in r.stdout.splitlines() if os.path.isfile(f)]


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def contains(path, pattern):
    try:
        return re.search(pattern, read_bytes(path)) is not None
    except OSError:
        return False


# ---- resource scripts -----------------------------------------------------------------

def stub_headers(folder):
    """System headers for llvm-rc holding the symbols the loader knows."""
    source = open(os.path.join(HERE, "..", "src", "extract", "source", "WinSymbols.cpp")).read()
    defines = "".join("#define %s %s\n" % (n, v) for n, v in re.findall(r'\{"(\w+)", (0x[0-9A-F]+)\}', source))
    defines += "#define MAKELANGID(p, s) (((s) << 10) | (p))\n"
    defines += "".join("#define VK_F%d 0x%X\n" % (n, 0x6F + n) for n in range(1, 25))
    defines += "".join("#define VK_OEM_%d 0x%X\n" % (n, v) for n, v in
                       [(1, 0xBA), (2, 0xBF), (3, 0xC0), (4, 0xDB), (5, 0xDC), (6, 0xDD), (7, 0xDE), (8, 0xDF)])
    defines += "".join("#define VK_%s 0x%X\n" % (n, v) for n, v in
                       [("BACK", 8), ("TAB", 9), ("RETURN", 13), ("ESCAPE", 27), ("SPACE", 32), ("PRIOR", 33),
                        ("NEXT", 34), ("END", 35), ("HOME", 36), ("LEFT", 37), ("UP", 38), ("RIGHT", 39),
                        ("DOWN", 40), ("INSERT", 45), ("DELETE", 46), ("ADD", 0x6B), ("SUBTRACT", 0x6D)])
    for name in ["windres.h", "newres.h", "windows.h", "winres.h", "afxres.h", "winver.h", "commctrl.h", "richedit.h", "dlgs.h",
                 "winuser.h", "winnt.h", "winresrc.h", "afxres.rc", "wxprec.h"]:
        with open(os.path.join(folder, name), "w") as f:
            f.write("#pragma once\n" + (defines if name.endswith(".h") else ""))


def res_tables(data):
    """(language, id) -> text of the string tables of a .res file."""
    out, p = {}, 0
    while p + 8 <= len(data):
        size, header = struct.unpack_from("<II", data, p)
        q = p + 8

        def rid(q):
            if struct.unpack_from("<H", data, q)[0] == 0xFFFF:
                return struct.unpack_from("<H", data, q + 2)[0], q + 4
            s = ""
            while True:
                c = struct.unpack_from("<H", data, q)[0]
                q += 2
                if c == 0:
                    return s, q
                s += chr(c)
        rtype, q = rid(q)
        name, q = rid(q)
        q = (q + 3) & ~3
        _, _, lang, _, _ = struct.unpack_from("<IHHII", data, q)
        d = p + header
        if rtype == 6:
            r = d
            for i in range(16):
                n = struct.unpack_from("<H", data, r)[0]
                r += 2
                units = data[r:r + 2 * n]
                r += 2 * n
                if n:
                    out[(lang, (name - 1) * 16 + i)] = units.decode("utf-16-le", "replace")
        p = (d + size + 3) & ~3
    return out


def compare_script(cli, path, stubs, work, verbose, reasons, counts):
    r = subprocess.run([cli, "scan", path, "--json", "--codepage", "1252"], capture_output=True)
    try:
        ours = json.loads(r.stdout.decode("utf-8", "replace"))
    except ValueError:
        ours = None
    if r.returncode != 0 or ours is None:
        counts["rc fail"] += 1
        reasons["loader: " + r.stderr.decode("utf-8", "replace").strip().splitlines()[-1][:90]] += 1
        if verbose:
            print("FAIL", path, r.stderr.decode("utf-8", "replace").strip().replace("\r\n", " | "))
        return
    counts["rc load"] += 1
    res = os.path.join(work, "out.res")
    if os.path.exists(res):
        os.remove(res)
    # The loader finds quoted includes without regard to case (as Windows
    # does); llvm-rc gets them under the spelling the script uses.
    folder = os.path.dirname(path)
    spelled = os.path.join(work, "spelled")
    shutil.rmtree(spelled, ignore_errors=True)
    os.makedirs(spelled)
    for name in re.findall(rb'#\s*include\s*"([^"]+)"', read_bytes(path)):
        name = name.decode("latin-1")
        if "/" in name or "\\" in name or os.path.exists(os.path.join(folder, name)):
            continue
        for other in os.listdir(folder):
            if other.lower() == name.lower():
                shutil.copyfile(os.path.join(folder, other), os.path.join(spelled, name))
    # llvm-rc reads an argument starting with "/" as an option: the script is
    # named relative to its folder.
    rc = subprocess.run(["llvm-rc", "-c", "1252", "-I", stubs, "-I", spelled, "-fo", res, os.path.basename(path)],
                        cwd=os.path.dirname(path), capture_output=True, text=True, errors="replace")
    reduced = False
    if rc.returncode != 0:
        last = (rc.stderr.strip().splitlines() or ["?"])[-1]
        reasons["llvm-rc fails on the whole script: " + re.sub(r"\d+", "N", last)[:80]] += 1
        if verbose:
            print("LLVM-RC", path, last)
        # Other statements may need what this machine lacks (icons named with
        # Windows paths, style symbols of the system headers): compile the
        # script reduced to its directives, LANGUAGE statements and tables.
        lines = read_bytes(path).decode("latin-1").splitlines()
        keep = [False] * len(lines)
        for i, line in enumerate(lines):
            text = line.strip()
            keep[i] = text.startswith("#") or text.upper().startswith("LANGUAGE")
        for table in ours.get("tables", []):
            if os.path.abspath(table["file"]) != os.path.abspath(path):
                continue
            i = table["line"]
            while i < len(lines):
                keep[i] = True
                if i > table["line"] and lines[i].strip().upper() in ("END", "}"):
                    break
                i += 1
        script = os.path.join(work, "reduced.rc")
        try:
            with open(script, "w", encoding="latin-1") as f:
                f.write("\n".join(l if k else "" for l, k in zip(lines, keep)) + "\n")
        except OSError:
            counts["rc llvm-rc fails"] += 1
            return
        rc = subprocess.run(["llvm-rc", "-c", "1252", "-I", stubs, "-I", spelled, "-I", folder, "-fo", res,
                             os.path.basename(script)], cwd=work, capture_output=True, text=True, errors="replace")
        os.remove(script)
        if rc.returncode != 0:
            counts["rc llvm-rc fails"] += 1
            last = (rc.stderr.strip().splitlines() or ["?"])[-1]
            reasons["llvm-rc fails on the reduced script too: " + re.sub(r"\d+", "N", last)[:80]] += 1
            return
        reduced = True
        counts["rc reduced"] += 1
    tables = res_tables(read_bytes(res))
    language = ours.get("language")
    lang = 0x0409 if language in (None, "none") else int(language, 16)
    theirs = {i: t for (l, i), t in tables.items() if l == lang}
    mine = {c["id"]: c["text"] for c in ours["constants"]}
    counts["rc strings"] += len(mine)
    if mine == theirs:
        counts["rc agree"] += 1
    else:
        counts["rc differ"] += 1
        diff = sorted(set(mine.items()) ^ set(theirs.items()))[:3]
        reasons["differs from llvm-rc"] += 1
        if verbose:
            print("DIFF", path, diff)


# ---- Pascal units -----------------------------------------------------------------------

def rsj_index():
    index = collections.defaultdict(list)
    for f in glob.glob(os.path.join(RSJ_ROOT, "*", "units", "*", "*", "*.rsj")):
        index[os.path.basename(f)[:-4].lower()].append(f)
    return index


def norm(text):
    return text.replace("\r\n", "\n")


def compare_unit(cli, path, rsjs, work, verbose, reasons, counts):
    # The command line scans units by their .pas extension; fpc's .pp units
    # are read through a copy (the unit name comes from the heading).
    scanned = path
    if not path.lower().endswith(".pas"):
        scanned = os.path.join(work, "unit.pas")
        shutil.copyfile(path, scanned)
    r = subprocess.run([cli, "scan", scanned, "--json", "--codepage", "1252"], capture_output=True)
    try:
        ours = json.loads(r.stdout.decode("utf-8", "replace"))
    except ValueError:
        ours = None
    if r.returncode != 0 or ours is None:
        counts["pas fail"] += 1
        msg = r.stderr.decode("utf-8", "replace").strip().replace("\r\n", " ")
        reasons["loader: " + re.sub(r"File: .*", "", msg)[:80]] += 1
        if verbose:
            print("FAIL", path, msg)
        return
    counts["pas load"] += 1
    if ours["warnings"]:
        counts["pas with warnings"] += 1
    if not ours["unit"]:
        counts["pas no unit"] += 1  # programs and libraries yield nothing
        return
    unit = ours["unit"].lower()
    if unit not in rsjs:
        return
    counts["pas with rsj"] += 1
    mine = {unit + "." + c["name"].lower(): norm(c["text"]) for c in ours["constants"]}
    best = None
    for f in rsjs[unit]:
        try:
            data = json.loads(read_bytes(f).decode("utf-8", "replace"))
        except ValueError:
            continue
        theirs = {s["name"]: norm(s["value"]) for s in data.get("strings", [])}
        if theirs == mine:
            best = True
            break
        best = (theirs, f)
    if best is True:
        counts["pas agree"] += 1
        return
    counts["pas differ"] += 1
    if best:
        theirs, f = best
        only_ours, only_theirs = set(mine) - set(theirs), set(theirs) - set(mine)
        if only_theirs and not only_ours:
            reasons["fpc has more strings (from {$I} include files, which are not followed)"] += 1
        elif only_ours and not only_theirs:
            reasons["loader has more strings (branch fpc does not compile)"] += 1
        elif only_ours or only_theirs:
            reasons["different names (other source of the same unit)"] += 1
        else:
            reasons["same names, different values"] += 1
        if verbose:
            d = [(k, mine.get(k), theirs.get(k)) for k in sorted(set(mine) | set(theirs)) if mine.get(k) != theirs.get(k)]
            print("DIFF", path, f, d[:2])


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--install", action="store_true")
    ap.add_argument("--cli", default=os.path.join(HERE, "..", "build", "default", "src", "cli", "shelfwright-cli"))
    ap.add_argument("--limit", type=int, default=0)
    ap.add_argument("--verbose", action="store_true")
    args = ap.parse_args()
    if args.install:
        install(PACKAGES)
    if not os.path.exists(args.cli):
        sys.exit("build shelfwright-cli first (or pass --cli)")
    files = []
    for p in PACKAGES:
        if installed(p):
            files += package_files(p)
    scripts = sorted(f for f in files if f.lower().endswith(".rc") and contains(f, rb"(?i)stringtable"))
    units = sorted(f for f in files if f.lower().endswith((".pas", ".pp")) and contains(f, rb"(?i)resourcestring"))
    if args.limit:
        units = units[:args.limit]
    counts, reasons = collections.Counter(), collections.Counter()
    work = tempfile.mkdtemp(prefix="corpus-")
    stubs = os.path.join(work, "include")
    os.makedirs(stubs)
    stub_headers(stubs)
    have_rc = shutil.which("llvm-rc") is not None
    for s in scripts:
        if have_rc:
            compare_script(args.cli, s, stubs, work, args.verbose, reasons, counts)
    rsjs = rsj_index()
    for u in units:
        compare_unit(args.cli, u, rsjs, work, args.verbose, reasons, counts)
    shutil.rmtree(work, ignore_errors=True)
    print("resource scripts with a STRINGTABLE: %d" % len(scripts))
    print("  loaded %d, failed %d; llvm-rc compiled %d (%d of them reduced to their tables; agree %d, differ %d), "
          "llvm-rc failed %d" % (
        counts["rc load"], counts["rc fail"], counts["rc agree"] + counts["rc differ"], counts["rc reduced"],
        counts["rc agree"], counts["rc differ"], counts["rc llvm-rc fails"]))
    print("  strings in the tables taken: %d" % counts["rc strings"])
    print("Pascal units with resourcestring: %d" % len(units))
    print("  loaded %d (%d with warnings, %d programs without a unit heading), failed %d; "
          "with an fpc .rsj %d (agree %d, differ %d)" % (
        counts["pas load"], counts["pas with warnings"], counts["pas no unit"], counts["pas fail"], counts["pas with rsj"],
        counts["pas agree"], counts["pas differ"]))
    print("reasons:")
    for reason, n in reasons.most_common():
        print("  %5d  %s" % (n, reason))


if __name__ == "__main__":
    main()
