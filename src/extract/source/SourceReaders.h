// Source processors: read the string constants of source files for the
// processing run. `TPasProcessor` evaluates the `resourcestring` sections of
// an Object Pascal unit (.pas); `TCPPProcessor` reads the STRINGTABLEs of a
// resource script (.rc) of one language, with identifiers from the script's
// #define lines, its included headers and its .hpp header (RcScript.h). What a loader passed over or could not keep exactly
// (duplicate names or ids, character codes that are not characters, include
// files not read, the language of the tables taken) is listed in `Warnings`.
//
// Encodings: a file that starts with a UTF-8 or UTF-16 (LE/BE) byte-order
// mark is decoded as such; otherwise its bytes are in the code page the
// caller sets in `CodePage` (0 = the system ANSI code page), and in a
// resource script `#pragma code_page(N)` / `code_page(DEFAULT)` switches the
// code page for the lines that follow. Lines, names and values are held as
// UTF-8; `TUnitRec` records the file's encoding and the code page used.
//
// Moving literals out of source units into a constants file is not done
// here: see the literals layer (src/literals/), which uses these readers for
// the constants file and the records below for the literals it finds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Exceptions.h"
#include "extract/source/SourceScanner.h"
#include "extract/source/RcScript.h"
#include "extract/source/SourceErrors.h"
#include "extract/source/SourceText.h"
#include "runtime/StringList.h"
#include "util/OwningList.h"

namespace sw {

// ESrcProcessError: see SourceErrors.h.

class TUnitRec;

// One string constant.
class TStrConst {
 public:
  explicit TStrConst(TUnitRec* owner) : Owner(owner) {}

  // Selecting a constant also selects every constant of the same unit record
  // whose value equals this one's without regard to (ASCII) case.
  void SetSelected(bool flag);
  bool Selected() const { return selected_; }

  TUnitRec* Owner;           // not owned
  TStringList Parts;         // pieces of the value in source order (Pascal)
  std::string Comment;       // the "//" line above the declaration (Pascal)
  std::string Value;         // the decoded text, UTF-8
  std::string Name;
  std::int32_t FirstLine = 0;
  std::int32_t LastLine = 0;
  std::int32_t StartCol = 0;
  std::int32_t EndCol = 0;
  std::uint16_t Id = 0;      // string identifier (resource scripts)
  TTokenKind Kind = ttNone;

 private:
  bool selected_ = false;
};

class TStrConstList : public TQObjectList<TStrConst> {
 public:
  TStrConstList();
  ~TStrConstList() override;
  TStrConstList(TStrConstList&&) noexcept;
  TStrConstList& operator=(TStrConstList&&) noexcept;
  int SelectedCount() const;
  // First item whose Name equals `name` without regard to ASCII case, else -1.
  int IndexOfName(const std::string& name) const;

  // From BeginNameIndex to EndNameIndex IndexOfName looks names up in an
  // index instead of walking the list: for a loader that only appends items
  // and renames none meanwhile. The index follows appended items by itself.
  void BeginNameIndex();
  void EndNameIndex();

 private:
  struct TNameIndex;
  mutable std::unique_ptr<TNameIndex> nameIndex_;
};

// One source unit and its constants.
class TUnitRec {
 public:
  TStrConstList Constants;
  std::string FileName;
  std::string UnitName;
  TStringList Lines;  // UTF-8
  bool Enabled = true;
  // The file as read for moving literals (its bytes and their map to Lines).
  std::shared_ptr<TSourceText> Source;
  // How the file was stored: Ansi (then in `CodePage`), Utf8, Utf16LE or Utf16BE.
  TextEncoding Encoding = TextEncoding::Ansi;
  unsigned CodePage = 0;

  // Reads FileName into Lines as UTF-8, decoding ANSI bytes with `codePage`
  // (0 = system ANSI code page); sets Encoding and CodePage.
  void LoadLines(unsigned codePage);
  // File name without folder and without everything from its first ".".
  std::string BaseName() const;
};

class TUnitRecList : public TQObjectList<TUnitRec> {
 public:
  // First constant of any unit whose Name equals `name` ignoring ASCII case.
  TStrConst* FindConstant(const std::string& name) const;
  int TotalSelected() const;
};

// Reads a source file into UTF-8 lines. A byte-order mark decides the
// encoding; otherwise the bytes are decoded with `codePage`, and with
// `honourCodePagePragmas` a `#pragma code_page(N)` line switches the code page
// of the lines after it (`DEFAULT` goes back to `codePage`). `lineCodePages`
// (optional) receives the code page in force for each line. Returns the
// encoding found.
TextEncoding LoadSourceLines(const std::string& fileName, unsigned codePage, bool honourCodePagePragmas,
                             TStringList& lines, std::vector<unsigned>* lineCodePages = nullptr);
// The same from the file's bytes, already read.
TextEncoding DecodeSourceLines(std::string bytes, unsigned codePage, bool honourCodePagePragmas, TStringList& lines,
                               std::vector<unsigned>* lineCodePages = nullptr);

// Sets a scanner up for Object Pascal or for C/C++: its mode and keywords.
void SetUpPascalScanner(TQScanner& scanner);
void SetUpCppScanner(TQScanner& scanner);

class TSourceProcessor {
 public:
  virtual ~TSourceProcessor();
  TSourceProcessor(const TSourceProcessor&) = delete;
  TSourceProcessor& operator=(const TSourceProcessor&) = delete;

  TQScanner Scanner;
  // Where a new declaration would go: the line after the last one read.
  std::int32_t InsertLine = 0;
  // Code page of ANSI (unmarked) source files; 0 = the system ANSI code page.
  // The processing run sets the code page of the language it processes.
  unsigned CodePage = 0;
  // What the last LoadConstants passed over or changed, one line each
  // (file and line first); cleared by LoadConstants.
  std::vector<std::string> Warnings;

  TUnitRec& UnitRec() { return unitRec_; }
  const TUnitRec& UnitRec() const { return unitRec_; }

  virtual void Init() {}
  // Stores FileName and clears the constants; descendants then read the file.
  virtual void LoadConstants(const std::string& fileName);

 protected:
  TSourceProcessor() = default;

  // Zero-based line of the current token; at the end of the text, the line
  // of the last token.
  std::int32_t CurrentLine() const;

 private:
  TUnitRec unitRec_;
};

class TPasProcessor : public TSourceProcessor {
 public:
  TPasProcessor();

  bool HasResourcestring = false;

  void Init() override;
  // Reads the resourcestring constants of a unit, fully evaluated, into
  // UnitRec. Raises ESrcProcessError for a malformed resourcestring section;
  // the constants read before the error stay in UnitRec. The unit name may
  // be dotted (Company.Product.Strings); hint directives after a value are
  // passed over; every branch of {$IFDEF}-style conditions is read (they are
  // comments to the scanner) and a name declared again is a warning, the
  // first declaration standing; {$I file} includes are not followed (a
  // warning says so); a character code that is half a surrogate pair becomes
  // U+FFFD with a warning.
  void LoadConstants(const std::string& fileName) override;
  // The same from the bytes of the file `fileName`, already read.
  void LoadConstantsFromBytes(const std::string& fileName, std::string bytes);

 private:
  // The steps of LoadConstants.
  bool ReadUnitHeading();
  // Moves to the next "resourcestring" or "const"; false at the end.
  bool FindSection(bool& constSection);
  void ReadSection(bool constSection, TStrConstList& locals);
  // Reads the "+"-joined pieces of a value into `item`; false when a piece
  // is not a text (a numeric or computed constant).
  bool ReadValue(TStrConst& item, const TStrConstList& locals);
  // Passes over deprecated ['message'], platform, experimental, library.
  void SkipHintDirectives();
  // Warns of {$I file} / {$INCLUDE file} directives in the loaded lines.
  void NoteIncludes();
  void TakeScannerWarnings();
  [[noreturn]] void FormatError(const std::string& what) const;
};

class TCPPProcessor : public TSourceProcessor {
 public:
  TCPPProcessor();
  ~TCPPProcessor() override;

  // One below the smallest identifier above 45000 of the script read (50000
  // when none): where new identifiers start counting down.
  std::uint16_t NextId = 50000;
  // The language being processed (0 = not known): a script with tables of
  // several languages yields those of this one (see SelectRcTables).
  std::uint16_t LangId = 0;
  // After LoadConstants: every STRINGTABLE met, with `Taken` set on those
  // read, and the language chosen (kRcNoLanguage when they have none).
  std::vector<TRcStringTable> Tables;
  int TakenLanguage = kRcNoLanguage;
  // How files are read and looked up (null: from disk, unrecorded); the
  // look-up of the script's own header is recorded too.
  TRcFileAccess* Files = nullptr;

  void Init() override;
  // Reads the STRINGTABLEs of a resource script (of the language chosen by
  // LangId) into UnitRec.
  void LoadConstants(const std::string& fileName) override;

 private:
  // Turns the entries of the chosen tables into UnitRec's constants.
  void TakeRcEntries(TRcScript& script);
};

}  // namespace sw
