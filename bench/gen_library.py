#!/usr/bin/env python3
"""Writers for the input files a library holds, and a generator of large
synthetic libraries for timing whole processing runs.

The writers produce the four kinds of input the processing run reads:
  - form files (.dfm): the binary form stream ("TPF0"), the same behind a
    16-bit resource header, and the text form;
  - compiled resource files (.res): 32-bit resource files with string tables;
  - Object Pascal units (.pas) with a resourcestring section;
  - resource scripts (.rc) with a STRINGTABLE whose identifiers come from a
    .hpp header.

Used as a program it writes a library of the requested size: one folder per
language (native first) holding the same set of files with translated texts,
plus a settings file describing it.

    gen_library.py OUT [--forms N] [--strings N] [--langs N] [--units N]
"""

import argparse
import os
import struct

# ---- Form files ---------------------------------------------------------------


class Obj:
    """One component of a form: class, name, properties and children.

    Property values are tuples: ("str", text), ("int", n), ("ident", name),
    ("bool", flag), ("strings", [texts]), ("set", [names]), ("float", x),
    ("collection", [[(prop, value), ...], ...]).
    """

    def __init__(self, cls, name, props=None, children=None, kind="object"):
        self.cls = cls
        self.name = name
        self.props = props or []
        self.children = children or []
        self.kind = kind  # "object", "inherited" or "inline"


def _short(text):
    data = text.encode("ascii")
    assert len(data) < 256
    return bytes([len(data)]) + data


def _bin_string(text):
    try:
        data = text.encode("ascii")
        if len(data) <= 255:
            return b"\x06" + bytes([len(data)]) + data
        return b"\x0c" + struct.pack("<I", len(data)) + data
    except UnicodeEncodeError:
        data = text.encode("utf-16-le")
        return b"\x12" + struct.pack("<I", len(data) // 2) + data


def _bin_int(n):
    if -128 <= n <= 127:
        return b"\x02" + struct.pack("<b", n)
    if -32768 <= n <= 32767:
        return b"\x03" + struct.pack("<h", n)
    return b"\x04" + struct.pack("<i", n)


def _bin_value(value):
    kind, payload = value
    if kind == "str":
        return _bin_string(payload)
    if kind == "int":
        return _bin_int(payload)
    if kind == "ident":
        return b"\x07" + _short(payload)
    if kind == "bool":
        return b"\x09" if payload else b"\x08"
    if kind == "float":
        # 80-bit extended: sign/exponent word and 64-bit mantissa.
        import math
        if payload == 0:
            return b"\x05" + bytes(10)
        m, e = math.frexp(abs(payload))
        mant = int(m * (1 << 64))
        exp = e - 1 + 16383
        if payload < 0:
            exp |= 0x8000
        return b"\x05" + struct.pack("<QH", mant, exp)
    if kind == "strings":
        return b"\x01" + b"".join(_bin_string(s) for s in payload) + b"\x00"
    if kind == "set":
        return b"\x0b" + b"".join(_short(s) for s in payload) + b"\x00"
    if kind == "collection":
        out = b"\x0e"
        for item in payload:
            out += b"\x01" + b"".join(_short(p) + _bin_value(v) for p, v in item) + b"\x00"
        return out + b"\x00"
    raise ValueError(kind)


def _bin_component(obj):
    out = b""
    if obj.kind == "inherited":
        out += b"\xf1"
    elif obj.kind == "inline":
        out += b"\xf4"
    out += _short(obj.cls) + _short(obj.name)
    for prop, value in obj.props:
        out += _short(prop) + _bin_value(value)
    out += b"\x00"
    for child in obj.children:
        out += _bin_component(child)
    return out + b"\x00"


def binary_form(root):
    """The binary form stream of a component tree."""
    return b"TPF0" + _bin_component(root)


def resource_wrapped_form(root):
    """The binary form stream behind a 16-bit resource header."""
    data = binary_form(root)
    name = root.cls.upper().encode("ascii") + b"\x00"
    return b"\xff\x0a\x00" + name + struct.pack("<HI", 0x1030, len(data)) + data


def _text_string(text):
    pieces = []
    quoted = ""
    for ch in text:
        if 32 <= ord(ch) < 127:
            quoted += ch + ("'" if ch == "'" else "")
        else:
            if quoted:
                pieces.append("'" + quoted + "'")
                quoted = ""
            pieces.append("#" + str(ord(ch)))
    if quoted or not pieces:
        pieces.append("'" + quoted + "'")
    return "".join(pieces)


def _text_value(value, indent):
    kind, payload = value
    if kind == "str":
        return _text_string(payload)
    if kind == "int":
        return str(payload)
    if kind == "ident":
        return payload
    if kind == "bool":
        return "True" if payload else "False"
    if kind == "float":
        return repr(float(payload))
    if kind == "strings":
        inner = "\n".join(indent + "  " + _text_string(s) for s in payload)
        return "(\n" + inner + ")"
    if kind == "set":
        return "[" + ", ".join(payload) + "]"
    if kind == "collection":
        lines = ["<"]
        for item in payload:
            lines.append(indent + "  item")
            for prop, v in item:
                lines.append(indent + "    " + prop + " = " + _text_value(v, indent + "    "))
            lines.append(indent + "  end")
        return "\n".join(lines) + ">"
    raise ValueError(kind)


def _text_component(obj, indent):
    lines = [indent + obj.kind + " " + (obj.name + ": " if obj.name else "") + obj.cls]
    for prop, value in obj.props:
        lines.append(indent + "  " + prop + " = " + _text_value(value, indent + "  "))
    for child in obj.children:
        lines.extend(_text_component(child, indent + "  "))
    lines.append(indent + "end")
    return lines


def text_form(root):
    """The text form of a component tree, CR LF line ends."""
    return ("\r\n".join(_text_component(root, "")) + "\r\n").replace("\n", "\r\n").replace("\r\r\n", "\r\n").encode(
        "ascii")


# ---- Compiled resource files ---------------------------------------------------


def _res_entry(res_type, name, data, lang=0x0409):
    header = struct.pack("<HH", 0xFFFF, res_type) + struct.pack("<HH", 0xFFFF, name)
    header += struct.pack("<IHHII", 0, 0x1030, lang, 0, 0)
    out = struct.pack("<II", len(data), 8 + len(header)) + header + data
    while len(out) % 4:
        out += b"\x00"
    return out


def string_table_res(strings, lang=0x0409):
    """A 32-bit .res file holding the given {id: text} in string tables."""
    out = struct.pack("<II", 0, 32) + struct.pack("<HHHH", 0xFFFF, 0, 0xFFFF, 0) + bytes(16)
    tables = {}
    for sid, text in strings.items():
        tables.setdefault(sid // 16 + 1, {})[sid % 16] = text
    for block in sorted(tables):
        data = b""
        for slot in range(16):
            text = tables[block].get(slot, "")
            encoded = text.encode("utf-16-le")
            data += struct.pack("<H", len(encoded) // 2) + encoded
        out += _res_entry(6, block, data, lang)
    return out


# ---- Sources -------------------------------------------------------------------


def _pascal_literal(text, codec):
    out = ""
    quoted = ""
    for ch in text:
        if ord(ch) >= 32:
            quoted += ch + ("'" if ch == "'" else "")
        else:
            if quoted:
                out += "'" + quoted + "'"
                quoted = ""
            out += "#" + str(ord(ch))
    if quoted or not out:
        out += "'" + quoted + "'"
    return out


def pascal_unit(unit_name, constants, codec="cp1252"):
    """An Object Pascal unit with a resourcestring section."""
    lines = ["unit " + unit_name + ";", "", "interface", "", "resourcestring"]
    for name, text in constants:
        lines.append("  " + name + " = " + _pascal_literal(text, codec) + ";")
    lines += ["", "implementation", "", "end."]
    return ("\r\n".join(lines) + "\r\n").encode(codec)


def _c_literal(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def resource_script(header_name, constants, codec="cp1252"):
    """A resource script whose STRINGTABLE names identifiers of a header."""
    lines = ['#include "' + header_name + '"', "", "STRINGTABLE", "BEGIN"]
    for name, _sid, text in constants:
        lines.append("  " + name + ", " + _c_literal(text))
    lines.append("END")
    return ("\r\n".join(lines) + "\r\n").encode(codec)


def resource_header(constants):
    lines = ["#ifndef RESOURCE_IDS", "#define RESOURCE_IDS"]
    for name, sid, _text in constants:
        lines.append("#define " + name + " " + str(sid))
    lines.append("#endif")
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


# ---- Synthetic libraries -------------------------------------------------------

LANGUAGES = [
    (1033, "ENU", "en"), (1031, "DEU", "de"), (1036, "FRA", "fr"), (1040, "ITA", "it"),
    (3082, "ESN", "es"), (1043, "NLD", "nl"), (1053, "SVE", "sv"), (1046, "PTB", "pt"),
    (1030, "DAN", "da"), (1044, "NOR", "no"), (1035, "FIN", "fi"), (1045, "PLK", "pl"),
]

WORDS = ["Open", "Save", "Close", "Print", "File", "Edit", "View", "Help", "Name", "Value", "Total",
         "Customer", "Invoice", "Order", "Amount", "Date", "Search", "Settings", "Report", "Export"]


def _text(seed, prefix):
    words = [WORDS[(seed * 7 + k * 3) % len(WORDS)] for k in range(1 + seed % 4)]
    return prefix + " ".join(words) + " " + str(seed)


def _form(index, strings, prefix):
    """A form with `strings` translatable texts spread over its components."""
    root = Obj("TForm%d" % index, "Form%d" % index, [("Left", ("int", 10)), ("Caption", ("str", ""))])
    n = 0
    texts = iter(range(strings))

    def nxt():
        nonlocal n
        n += 1
        return _text(index * 1000 + n, prefix)

    remaining = strings
    root.props[1] = ("Caption", ("str", nxt()))
    remaining -= 1
    comp = 0
    while remaining > 0:
        comp += 1
        if comp % 5 == 0 and remaining >= 3:
            root.children.append(Obj("TListView", "ListView%d" % comp, [
                ("Columns", ("collection", [[("Caption", ("str", nxt())), ("Width", ("int", 80))],
                                            [("Caption", ("str", nxt())), ("Width", ("int", 120))]])),
                ("Hint", ("str", nxt()))]))
            remaining -= 3
        elif comp % 3 == 0 and remaining >= 2:
            root.children.append(Obj("TComboBox", "ComboBox%d" % comp, [
                ("Items.Strings", ("strings", [nxt(), nxt()])), ("TabOrder", ("int", comp))]))
            remaining -= 2
        else:
            root.children.append(Obj("TButton", "Button%d" % comp, [
                ("Caption", ("str", nxt())), ("TabOrder", ("int", comp)), ("Visible", ("bool", True))]))
            remaining -= 1
    del texts
    return root


def generate(out, forms, strings, langs, units, binary_every=2):
    """Writes a synthetic library below `out`; returns the settings file."""
    languages = LANGUAGES[:langs]
    form_strings = strings * 60 // 100
    pas_strings = strings * 25 // 100
    rc_strings = strings * 10 // 100
    res_strings = strings - form_strings - pas_strings - rc_strings
    per_form = max(1, form_strings // max(1, forms))
    per_unit = max(1, pas_strings // max(1, units))
    rc_files = max(1, (rc_strings + 1999) // 2000)
    res_files = max(1, (res_strings + 1999) // 2000)
    for i, (lang_id, abbr, folder) in enumerate(languages):
        prefix = "" if i == 0 else "[" + abbr + "] "
        base = os.path.join(out, "src", folder)
        os.makedirs(base, exist_ok=True)
        for f in range(1, forms + 1):
            root = _form(f, per_form, prefix)
            if f % binary_every == 0:
                data = binary_form(root) if f % (2 * binary_every) else resource_wrapped_form(root)
            else:
                data = text_form(root)
            with open(os.path.join(base, "Form%d.dfm" % f), "wb") as fh:
                fh.write(data)
        for u in range(1, units + 1):
            consts = [("SText%d_%d" % (u, k), _text(u * 100000 + k, prefix)) for k in range(per_unit)]
            with open(os.path.join(base, "Unit%d.pas" % u), "wb") as fh:
                fh.write(pascal_unit("Unit%d" % u, consts))
        sid = 1000
        for r in range(1, rc_files + 1):
            count = min(2000, rc_strings - (r - 1) * 2000)
            consts = []
            for k in range(max(0, count)):
                consts.append(("IDS_R%d_%d" % (r, k), sid, _text(r * 100000 + k + 7, prefix)))
                sid += 1
            with open(os.path.join(base, "Script%d.rc" % r), "wb") as fh:
                fh.write(resource_script("Script%d.hpp" % r, consts))
            with open(os.path.join(base, "Script%d.hpp" % r), "wb") as fh:
                fh.write(resource_header(consts))
        sid = 40000
        for r in range(1, res_files + 1):
            count = min(2000, res_strings - (r - 1) * 2000)
            table = {}
            for k in range(max(0, count)):
                table[sid] = _text(r * 100000 + k + 13, prefix)
                sid += 1
            with open(os.path.join(base, "Strings%d.res" % r), "wb") as fh:
                fh.write(string_table_res(table, lang_id))
    settings = os.path.join(out, "shelfwright.ini")
    lines = ["[Main]", "LastLib=1", "[Library1]", "Name=Synthetic", "ShortName=Synth",
             "SrcDir=" + os.path.join(out, "src"), "DestDir=" + os.path.join(out, "out"), "ScanFiles=15",
             "[Languages1Lib]"]
    lines += ["%d=%s" % (lang_id, folder) for lang_id, _abbr, folder in languages]
    with open(settings, "wb") as fh:
        fh.write(("\r\n".join(lines) + "\r\n").encode("ascii"))
    return settings


def main():
    parser = argparse.ArgumentParser(description="Generate a large synthetic library")
    parser.add_argument("out", help="folder to write the library into")
    parser.add_argument("--forms", type=int, default=2000, help="form files per language")
    parser.add_argument("--strings", type=int, default=100000, help="translatable strings per language")
    parser.add_argument("--langs", type=int, default=10, help="languages, native included (at most %d)" %
                        len(LANGUAGES))
    parser.add_argument("--units", type=int, default=100, help=".pas units per language")
    parser.add_argument("--binary-every", type=int, default=2,
                        help="every n-th form is binary (every 2n-th resource-wrapped); the rest text")
    args = parser.parse_args()
    if not 1 <= args.langs <= len(LANGUAGES):
        parser.error("--langs must be between 1 and %d" % len(LANGUAGES))
    settings = generate(args.out, args.forms, args.strings, args.langs, args.units, args.binary_every)
    print(settings)


if __name__ == "__main__":
    main()
