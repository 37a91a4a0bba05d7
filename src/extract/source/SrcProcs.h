// Source processors: read the string constants of source files for the
// processing run. `TPasProcessor` evaluates the `resourcestring` sections of
// an Object Pascal unit (.pas); `TCPPProcessor` reads the first STRINGTABLE
// of a resource script (.rc) with identifiers from #define lines of the
// script and of its .hpp header, or, in Pascal-unit mode, a Pascal constants
// unit through an inner `TPasProcessor`.
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
// constants unit or script) are not part of this module yet; the virtual
// operations below are where they attach.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "extract/source/QScanner.h"
#include "base/Exceptions.h"
#include "runtime/StringList.h"
#include "util/QObjectList.h"

namespace sw {

SW_DECLARE_EXCEPTION(ESrcProcessError, Exception)

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
  int SelectedCount() const;
  // First item whose Name equals `name` without regard to ASCII case, else -1.
  int IndexOfName(const std::string& name) const;
};

// One source unit and its constants.
class TUnitRec {
 public:
  TStrConstList Constants;
  std::string FileName;
  std::string UnitName;
  TStringList Lines;  // UTF-8
  bool Enabled = true;
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

 protected:
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
  // the constants read before the error stay in UnitRec.
  void LoadConstants(const std::string& fileName) override;
};

class TCPPProcessor : public TSourceProcessor {
 public:
  TCPPProcessor();
  ~TCPPProcessor() override;

  bool PascalUnitMode = true;
  std::int32_t IncludeLine = 0;
  std::uint16_t NextId = 50000;

  TPasProcessor* PasProcessor() const { return pasProcessor_.get(); }

  void Init() override;
  std::string GetReference(const TStrConst& strConst) const override;
  void LoadConstants(const std::string& fileName) override;
  // Reads the first STRINGTABLE of a resource script into UnitRec.
  virtual void LoadRCConstants(const std::string& fileName);
  // Reads a Pascal constants unit through the inner Pascal processor.
  virtual void LoadPasConstants(const std::string& fileName);

 private:
  // Called with the current token "#": reads "#define NAME number".
  void ReadDefine();
  [[noreturn]] void RCFormatError(const std::string& fileName, const char* detail) const;

  std::unique_ptr<TPasProcessor> pasProcessor_;
};

}  // namespace sw
