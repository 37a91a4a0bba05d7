// Source processors: read the string constants of source files for the
// processing run. `TPasProcessor` evaluates the `resourcestring` sections of
// an Object Pascal unit (.pas); `TCPPProcessor` reads the STRINGTABLEs of a
// resource script (.rc) of one language, with identifiers from the script's
// #define lines, its included headers and its .hpp header (RcScript.h), or,
// in Pascal-unit mode, a Pascal constants unit through an inner
// `TPasProcessor`. What a loader passed over or could not keep exactly
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
// The operations that move literals out of source units into a generated
// constants file (finding literals, naming them, rewriting units, writing the
// constants unit or script) live in SrcProcsMove.cpp; a rewritten file keeps
// every byte outside the replaced spans (see SourceText.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/Exceptions.h"
#include "extract/source/QScanner.h"
#include "extract/source/RcScript.h"
#include "extract/source/SourceErrors.h"
#include "extract/source/SourceText.h"
#include "runtime/StringList.h"
#include "util/QObjectList.h"

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

// What applying the moved literals did (or, without writing, would do).
struct TMoveResult {
  int Literals = 0;                  // replaced spans
  int Units = 0;                     // rewritten units
  std::vector<std::string> Written;  // files written, in order
  std::vector<std::string> Constants;  // names declared in the constants file
};

class TSourceProcessor {
 public:
  using TSelectConstantsEvent = std::function<void(TUnitRec& unitRec, bool& cancel)>;

  virtual ~TSourceProcessor();
  TSourceProcessor(const TSourceProcessor&) = delete;
  TSourceProcessor& operator=(const TSourceProcessor&) = delete;

  TUnitRecList* Units = nullptr;  // not owned
  TSelectConstantsEvent OnSelectConstants;
  TQScanner Scanner;
  TStringList ExcludePatterns;
  bool ReuseNames = true;
  std::int32_t InsertLine = 0;
  std::string ConstFileName;
  std::string NamePrefix = "S";
  bool UnitPrefix = false;
  std::int32_t MaxNameChars = 20;
  bool CyrillicNames = false;
  // Code page of ANSI (unmarked) source files; 0 = the system ANSI code page.
  // The processing run sets the code page of the language it processes.
  unsigned CodePage = 0;
  // What the last LoadConstants passed over or changed, one line each
  // (file and line first); cleared by LoadConstants.
  std::vector<std::string> Warnings;

  TUnitRec& UnitRec() { return *unitRec_; }
  const TUnitRec& UnitRec() const { return *unitRec_; }
  bool SharesUnitRec() const { return sharesUnitRec_; }

  // ConstFileName without folder and extension.
  std::string ConstUnitName() const;
  void AssignSettings(const TSourceProcessor& other);

  virtual void Init() {}
  virtual std::string GetReference(const TStrConst& strConst) const;
  virtual void SelectConstants(TUnitRec& unitRec, bool& cancel);
  // Stores FileName and clears the constants; descendants then read the file.
  virtual void LoadConstants(const std::string& fileName);

  // The literal filter for the scanner's current token: it must hold a
  // letter (or a non-ASCII character) and match no exclude pattern.
  bool AcceptLiteral() const;

  // ---- Moving literals into the constants file (SrcProcsMove.cpp) ----

  // Finds the candidate literals of a unit whose Lines are loaded.
  virtual void ExtractLiterals(TUnitRec& unitRec);
  // Makes the unit refer to the constants file after it changed (Changed 1).
  virtual void UnitProcessed(TStringList& lines, int changed);
  // The whole move with OnSelectConstants choosing: nothing is written when
  // a unit is cancelled or anything fails. Raises "No units to process"
  // without Units.
  virtual void Process();
  // Writes the selected constants of Units (of the unit whose BaseName is
  // `unitFilter`, when given) into the constants file.
  virtual void WriteConstants(const std::string& unitFilter = std::string());

  // Reads the unit, finds its literals, lets the user select and puts the
  // changed text into `lines`: 0 unchanged, 1 changed, 2 cancelled.
  int ProcessUnit(TUnitRec& unitRec, TStringList& lines);
  // A new constant name for `value` (see the naming rules in SrcProcsMove.cpp).
  std::string MakeConstName(const std::string& value, const std::string& unitShortName) const;
  // The name an existing constant gives `value` (ReuseNames), "" when none.
  std::string ExistingName(const std::string& value) const;
  // Adds a literal found in `unit` under the name an existing constant gives
  // its value (selected at once, when ReuseNames) or a new one.
  void AddFoundLiteral(TUnitRec& unit, std::unique_ptr<TStrConst> literal, const std::string& unitShortName);

  // Two-step form of Process for front ends that select in batch:
  // FindLiterals loads the constants file and every enabled unit and finds
  // their literals; ApplyLiterals resolves names, rewrites the units with
  // selected constants and writes the constants file. Without `write` it
  // only computes what would be written. Nothing is written when a file
  // changed on disk since it was read.
  void FindLiterals();
  TMoveResult ApplyLiterals(bool write = true);
  // The unit's text with its selected literals replaced and the constants
  // file referred to (what ApplyLiterals would write), as UTF-8 lines.
  TStringList PreviewUnit(TUnitRec& unitRec);
  // The constants file: ConstFileName, or for C++ sources in Pascal-unit
  // mode the Pascal unit of the same name.
  virtual std::string ConstantsFile() const { return ConstFileName; }

 protected:
  // One file to write: its new bytes and, for a file that existed, the bytes
  // it held when read.
  struct PendingFile {
    std::string FileName;
    std::string Bytes;
    bool Existed = false;
    std::string OldBytes;
  };

  // Loads Lines and Source of a unit for moving literals.
  void ReadUnit(TUnitRec& unitRec);
  // The span edits of the selected constants plus UnitEdits.
  std::vector<TTextEdit> UnitChanges(TUnitRec& unitRec);
  // The edits of UnitProcessed, in the coordinates of `lines`.
  virtual std::vector<TTextEdit> UnitEdits(const TStringList& lines, int changed);
  // Gives conflicting names of selected constants new names and unifies
  // equal values (ReuseNames); raises for a name that is no identifier.
  void ResolveNames();
  // The files WriteConstants writes.
  virtual std::vector<PendingFile> BuildConstants(const std::string& unitFilter);
  // Selected constants of the units to declare, without duplicates, in order.
  std::vector<TStrConst*> ConstantsToWrite(const std::string& unitFilter) const;
  // Writes the files, each atomically, with the save retry; checks first
  // that none changed since it was read.
  static void CommitFiles(const std::vector<PendingFile>& files, std::vector<std::string>* written);
  // Identifier words of the units seen by FindLiterals (lower-case): new
  // names stay clear of them.
  std::set<std::string> UsedWords;
  virtual bool NamesIgnoreCase() const { return true; }
  // AcceptLiteral for a text joined from several literal tokens.
  bool AcceptsText(const std::string& text) const;

  TSourceProcessor();
  // Shares Units, UnitRec, ConstFileName and InsertLine of `other`.
  explicit TSourceProcessor(TSourceProcessor& other);

  // Zero-based line of the current token; at the end of the text, the line
  // of the last token.
  std::int32_t CurrentLine() const;

 private:
  std::unique_ptr<TUnitRec> ownedUnitRec_;
  TUnitRec* unitRec_;
  bool sharesUnitRec_ = false;
};

class TPasProcessor : public TSourceProcessor {
 public:
  TPasProcessor();
  // Shares the unit record and settings of `other` (Pascal-unit mode of
  // TCPPProcessor).
  explicit TPasProcessor(TSourceProcessor& other);

  bool HasResourcestring = false;

  void Init() override;
  std::string GetReference(const TStrConst& strConst) const override;
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

  void ExtractLiterals(TUnitRec& unitRec) override;
  void UnitProcessed(TStringList& lines, int changed) override;
  void WriteConstants(const std::string& unitFilter = std::string()) override;
  // Mode 0 adds `unitName` to the uses clause, 1 removes it, 2 renames it to
  // `newName`. True when `lines` changed.
  bool EditUsesClause(TStringList& lines, const std::string& unitName, int mode,
                      const std::string& newName = std::string());
  std::vector<TTextEdit> UsesClauseEdits(const TStringList& lines, const std::string& unitName, int mode,
                                         const std::string& newName = std::string());

 protected:
  std::vector<TTextEdit> UnitEdits(const TStringList& lines, int changed) override;
  std::vector<PendingFile> BuildConstants(const std::string& unitFilter) override;
  friend class TCPPProcessor;

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

  bool PascalUnitMode = true;
  std::int32_t IncludeLine = 0;
  std::uint16_t NextId = 50000;
  // The language being processed (0 = not known): a script with tables of
  // several languages yields those of this one (see SelectRcTables).
  std::uint16_t LangId = 0;
  // After LoadRCConstants: every STRINGTABLE met, with `Taken` set on those
  // read, and the language chosen (kRcNoLanguage when they have none).
  std::vector<TRcStringTable> Tables;
  int TakenLanguage = kRcNoLanguage;

  TPasProcessor* PasProcessor() const { return pasProcessor_.get(); }

  void Init() override;
  std::string GetReference(const TStrConst& strConst) const override;
  void LoadConstants(const std::string& fileName) override;
  // Reads the STRINGTABLEs of a resource script (of the language chosen by
  // LangId) into UnitRec.
  virtual void LoadRCConstants(const std::string& fileName);
  // Reads a Pascal constants unit through the inner Pascal processor.
  virtual void LoadPasConstants(const std::string& fileName);

  void ExtractLiterals(TUnitRec& unitRec) override;
  void UnitProcessed(TStringList& lines, int changed) override;
  void WriteConstants(const std::string& unitFilter = std::string()) override;
  std::string ConstantsFile() const override;

 protected:
  std::vector<TTextEdit> UnitEdits(const TStringList& lines, int changed) override;
  std::vector<PendingFile> BuildConstants(const std::string& unitFilter) override;
  bool NamesIgnoreCase() const override { return false; }

 private:
  // Turns the entries of the chosen tables into UnitRec's constants.
  void TakeRcEntries(TRcScript& script);

  std::unique_ptr<TPasProcessor> pasProcessor_;
};

}  // namespace sw
