#!/usr/bin/env python3
"""Writes the input files of the TinyPad sample application.

TinyPad is a small text editor written in Object Pascal with a C++Builder
resource script. Its native language is English (src/en); German (src/de) and
French (src/fr) translations sit beside it. Each folder holds every kind of
input the processing run reads:

  MainForm.dfm    text form: menu, tool bar, an embedded frame, a list view
                  whose columns are a collection, a combo box with item lines
  AboutBox.dfm    binary form
  PrintForm.dfm   binary form behind a 16-bit resource header, holding a
                  report design (TfrxReport with memo views)
  Strings.pas     resourcestring unit (ANSI, Windows-1252)
  Messages.rc     STRINGTABLE whose identifiers are defined in Messages.hpp
  Version.res     compiled resource file with a string table

The files are committed; run this script after changing a text here.
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
from gen_library import (Obj, binary_form, pascal_unit, resource_header, resource_script,  # noqa: E402
                         resource_wrapped_form, string_table_res, text_form)

LANGS = [("en", 1033), ("de", 1031), ("fr", 1036)]

# Every translatable text, by key: English, German, French.
T = {
    "title": ("TinyPad", "TinyPad", "TinyPad"),
    "file": ("&File", "&Datei", "&Fichier"),
    "open": ("&Open...", "\u00d6&ffnen...", "&Ouvrir..."),
    "save": ("&Save", "&Speichern", "&Enregistrer"),
    "exit": ("E&xit", "&Beenden", "&Quitter"),
    "open_hint": ("Open a text file", "Eine Textdatei \u00f6ffnen", "Ouvrir un fichier texte"),
    "save_hint": ("Save the current file", "Die aktuelle Datei speichern", "Enregistrer le fichier courant"),
    "recent": ("Recent files", "Zuletzt ge\u00f6ffnet", "Fichiers r\u00e9cents"),
    "col_name": ("Name", "Name", "Nom"),
    "col_size": ("Size", "Gr\u00f6\u00dfe", "Taille"),
    "col_changed": ("Changed", "Ge\u00e4ndert", "Modifi\u00e9"),
    "enc_ansi": ("ANSI", "ANSI", "ANSI"),
    "enc_utf8": ("UTF-8", "UTF-8", "UTF-8"),
    "enc_utf16": ("Unicode (UTF-16)", "Unicode (UTF-16)", "Unicode (UTF-16)"),
    "frame_title": ("Document", "Dokument", "Document"),
    "frame_status": ("Ready", "Bereit", "Pr\u00eat"),
    "about": ("About TinyPad", "\u00dcber TinyPad", "\u00c0 propos de TinyPad"),
    "about_text": ("A very small text editor.", "Ein sehr kleiner Texteditor.",
                   "Un tout petit \u00e9diteur de texte."),
    "ok": ("OK", "OK", "OK"),
    "print": ("Print", "Drucken", "Imprimer"),
    "print_title": ("Printed with TinyPad", "Gedruckt mit TinyPad", "Imprim\u00e9 avec TinyPad"),
    "page": ("Page [Page#]", "Seite [Page#]", "Page [Page#]"),
    "SFileNotFound": ("File '%s' not found.", "Datei '%s' nicht gefunden.", "Fichier '%s' introuvable."),
    "SSaveChanges": ("Save changes to %s?", "\u00c4nderungen an %s speichern?",
                     "Enregistrer les modifications de %s ?"),
    "SLineCol": ("Line %d, column %d", "Zeile %d, Spalte %d", "Ligne %d, colonne %d"),
    "SReadOnly": ("The file is read-only.", "Die Datei ist schreibgesch\u00fctzt.",
                  "Le fichier est en lecture seule."),
    "IDS_READY": ("Ready", "Bereit", "Pr\u00eat"),
    "IDS_PRINTING": ("Printing \"%s\"...", "\u201e%s\u201c wird gedruckt...", "Impression de \u00ab %s \u00bb..."),
    "IDS_NOPRINTER": ("No printer is installed.", "Kein Drucker installiert.", "Aucune imprimante install\u00e9e."),
    "res_copyright": ("Copyright (c) TinyPad authors", "Copyright (c) TinyPad-Autoren",
                      "Copyright (c) les auteurs de TinyPad"),
    "res_version": ("Version 1.0", "Version 1.0", "Version 1.0"),
}


def t(key, lang):
    return T[key][[code for code, _ in LANGS].index(lang)]


def main_form(lang):
    s = lambda key: ("str", t(key, lang))  # noqa: E731
    menu = Obj("TMainMenu", "MainMenu1", [], [
        Obj("TMenuItem", "miFile", [("Caption", s("file"))], [
            Obj("TMenuItem", "miOpen", [("Caption", s("open")), ("Hint", s("open_hint")), ("ShortCut", ("int", 16463))]),
            Obj("TMenuItem", "miSave", [("Caption", s("save")), ("Hint", s("save_hint"))]),
            Obj("TMenuItem", "", [("Caption", ("str", "-"))]),
            Obj("TMenuItem", "miExit", [("Caption", s("exit"))]),
        ]),
    ])
    frame = Obj("TDocFrame", "DocFrame", [("Left", ("int", 0)), ("Top", ("int", 0))], [
        Obj("TLabel", "lblTitle", [("Caption", s("frame_title"))], kind="inherited"),
        Obj("TStatusBar", "StatusBar", [("SimpleText", s("frame_status"))], kind="inherited"),
    ], kind="inline")
    recent = Obj("TListView", "lvRecent", [
        ("Columns", ("collection", [[("Caption", s("col_name")), ("Width", ("int", 200))],
                                    [("Caption", s("col_size")), ("Width", ("int", 80))],
                                    [("Caption", s("col_changed")), ("Width", ("int", 120))]])),
        ("Hint", s("recent")), ("ShowHint", ("bool", True)), ("ViewStyle", ("ident", "vsReport")),
    ])
    encoding = Obj("TComboBox", "cbEncoding", [
        ("Style", ("ident", "csDropDownList")),
        ("Items.Strings", ("strings", [t("enc_ansi", lang), t("enc_utf8", lang), t("enc_utf16", lang)])),
        ("Font.Charset", ("ident", "DEFAULT_CHARSET")),
    ])
    return Obj("TMainForm", "MainForm", [
        ("Left", ("int", 192)), ("Top", ("int", 110)), ("Caption", s("title")),
        ("ClientHeight", ("int", 480)), ("ClientWidth", ("int", 640)), ("Menu", ("ident", "MainMenu1")),
    ], [menu, frame, recent, encoding])


def about_box(lang):
    s = lambda key: ("str", t(key, lang))  # noqa: E731
    return Obj("TAboutBox", "AboutBox", [("Caption", s("about")), ("BorderStyle", ("ident", "bsDialog"))], [
        Obj("TLabel", "lblText", [("Caption", s("about_text")), ("WordWrap", ("bool", True))]),
        Obj("TButton", "btnOK", [("Caption", s("ok")), ("ModalResult", ("int", 1)), ("Default", ("bool", True))]),
    ])


def print_form(lang):
    s = lambda key: ("str", t(key, lang))  # noqa: E731
    report = Obj("TfrxReport", "frxReport", [("Version", ("str", "6.9"))], [
        Obj("TfrxReportPage", "Page1", [("PaperWidth", ("int", 210))], [
            Obj("TfrxMemoView", "mTitle", [("Memo.UTF8W", ("strings", [t("print_title", lang)]))]),
            Obj("TfrxMemoView", "mPage", [("Memo.UTF8W", ("strings", [t("page", lang)]))]),
        ]),
    ])
    return Obj("TPrintForm", "PrintForm", [("Caption", s("print"))], [
        Obj("TButton", "btnPrint", [("Caption", s("print"))]), report])


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for lang, lang_id in LANGS:
        folder = os.path.join(here, "src", lang)
        os.makedirs(folder, exist_ok=True)
        files = {
            "MainForm.dfm": text_form(main_form(lang)),
            "AboutBox.dfm": binary_form(about_box(lang)),
            "PrintForm.dfm": resource_wrapped_form(print_form(lang)),
            "Strings.pas": pascal_unit("Strings", [(k, t(k, lang)) for k in
                                                   ("SFileNotFound", "SSaveChanges", "SLineCol", "SReadOnly")]),
            "Messages.rc": resource_script("Messages.hpp", [(k, 0, t(k, lang)) for k in
                                                            ("IDS_READY", "IDS_PRINTING", "IDS_NOPRINTER")]),
            "Messages.hpp": resource_header([("IDS_READY", 1001, ""), ("IDS_PRINTING", 1002, ""),
                                             ("IDS_NOPRINTER", 1003, "")]),
            "Version.res": string_table_res({200: t("res_copyright", lang), 201: t("res_version", lang)}, lang_id),
        }
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as fh:
                fh.write(data)


if __name__ == "__main__":
    main()
