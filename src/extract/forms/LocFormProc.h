// Form extraction: `TLocFormProcessor` reads one form file, walks its tree of
// components and records the translatable properties in a translation
// storage, one language column at a time. It accepts the three shapes of a
// form file: the binary form stream ("TPF0"), the same stream behind a
// 16-bit resource header (0xFF, RCDATA, name, flags, size) and the text form,
// which is first converted to the binary stream.
//
// The library's property rules decide what is recorded: a rule is a marker
// ("-" excludes, "*" includes and records even values that fail the
// translatable-text test, any other character includes) followed by a
// wildcard mask tested against several spellings of the property
// (".Caption", "TLabel.Caption", "Form1.Label1.Caption", ...). The same rules
// exclude whole components and the font character set of components. Texts
// of report designs (components of class "TfrxReport" and their children)
// are recorded as external items of the group "FRFORM:<form>:<report>".
//
// The walk itself touches no storage: it turns the stream into a record of
// the steps the storage takes (FormRecord.h), which `ApplyRecord` then puts
// into the storage. What was walked before an error stays in the storage
// when the error stops the walk; every error raised while the stream is
// read carries the prefix "Error during processing form <name>\r\n". It
// never talks to the user.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "extract/forms/FormRecord.h"
#include "runtime/FormReader.h"
#include "runtime/StringList.h"
#include "runtime/Streams.h"
#include "runtime/Variant.h"
#include "storage/LocStorage.h"

namespace sw {

// The value of the property just read.
struct TFormValue {
  std::uint8_t Kind = vkString;
  std::string Text;                    // narrow text (string, identifier, set names)
  std::u16string WideText;             // wide text; for a list its lines joined with CR LF
  std::vector<std::u16string> Strings; // lines of a list whose elements are all strings
  std::int32_t Integer = 0;
  double Float = 0;
  std::int64_t Int64 = 0;
};

struct TPropRuleMatch {
  bool Selected = false;
  bool Star = false;
};

// The property rules split once into their markers and masks: the excluding
// rules and, in their order, the including ones. Matching a property against
// them allocates nothing once the spellings' buffers have grown.
class TCompiledPropRules {
 public:
  struct Rule {
    char Marker = 0;
    std::string Mask;
    // What a text must have to stand a chance: exactly `Length` bytes, or
    // at least that many when the mask holds a "*" (the stars not counted).
    std::size_t Length = 0;
    bool Star = false;
    // Tells at once, from the length, that the mask cannot match `text`.
    bool CannotMatch(const std::string& text) const { return Star ? text.size() < Length : text.size() != Length; }
  };

  // True when built from exactly these lines.
  bool IsFrom(const TStringList& lines) const { return source_ == lines.Lines(); }
  void Compile(const TStringList& lines);

  const std::vector<Rule>& Excludes() const { return excludes_; }
  const std::vector<Rule>& Includes() const { return includes_; }

 private:
  std::vector<std::string> source_;
  std::vector<Rule> excludes_;
  std::vector<Rule> includes_;
};

class TLocFormProcessor {
 public:
  TLocFormProcessor() = default;
  TLocFormProcessor(const TLocFormProcessor&) = delete;
  TLocFormProcessor& operator=(const TLocFormProcessor&) = delete;

  TLocStorage* Storage = nullptr;  // not owned; only applying a record uses it
  // 0 for the native pass, which creates what it meets; a translation
  // updates only what exists.
  std::int32_t Column = 0;
  LANGID LangId = 0;
  std::int32_t Revision = 0;
  TStringList PropRules;
  std::string FormName;
  std::string InlinePrefix;
  bool InheritedFlag = false;
  std::string CurrentClass;
  TFormValue Value;
  TMemoryStream BinaryBuffer;

  void SetPropRules(const TStringList& rules) { PropRules.Assign(rules); }

  // Loads the file, brings it into the binary stream shape and processes it.
  // Raises EFOpenError for a file that cannot be opened and EParserError for
  // a text form that does not parse (both without the form prefix).
  void ProcessFile(const std::string& fileName);
  // Processes a file already in memory; `fileBytes` in any of the three shapes.
  void ProcessBytes(const std::string& fileBytes);
  // The first step of ProcessBytes: the binary form stream of `fileBytes`
  // (text forms decoded with `langId`'s code page) into `stream`, positioned
  // at its signature. It touches no processor, so files can be brought into
  // shape on other threads; it raises what ProcessBytes raises before the
  // stream is walked.
  static void ToBinaryStream(const std::string& fileBytes, LANGID langId, TMemoryStream& stream);
  // Processes a binary form stream from its current position: the walk,
  // then its record applied.
  void ProcessStream(TStream& stream);
  // The walk of a binary form stream from its current position into
  // `record`, an error included. It uses PropRules, LangId and Column (what
  // a native pass or a translation needs of the form) and no storage, so
  // it may run on any thread with a processor of its own.
  void WalkStream(TStream& stream, TFormRecord& record);
  // Puts what a walk recorded into Storage's Column at Revision, then
  // raises the walk's error, if any. A translation pass ignores a form the
  // storage does not have, with whatever error its walk met.
  void ApplyRecord(const TFormRecord& record);

  // Property rules.
  TPropRuleMatch MatchPropRules(const std::string& className, const std::string& path,
                                const std::string& propName) const;
  bool IsComponentExcluded(const std::string& path, const std::string& className) const;
  bool IsCharsetExcluded(const std::string& path, const std::string& className) const;
  bool IsTranslatableText() const;

 private:
  void ReadComponentHeader(TFormReader& reader, std::string& className, std::string& name, bool& isInline);
  void ProcessComponent(TFormReader& reader, const std::string& rawName, const std::string& className, int depth);
  void ProcessProperty(TFormReader& reader, const std::string& path, const std::string& className, int depth);
  // Appends a step to the record being walked; the property's value from `Value`.
  TFormStep& AddStep(std::uint8_t kind, const std::string& path = {}, const std::string& name = {});
  void AddPropertyStep(const std::string& path, const std::string& propName, bool reportText);
  // Fills `Value`; false for a collection or a date, whose own value is not
  // recorded.
  bool ReadValue(TFormReader& reader, const std::string& path, const std::string& propName, int depth);
  void ReadCollection(TFormReader& reader, const std::string& path, const std::string& propName, int depth);
  void CheckDepth(const TFormReader& reader, int depth) const;
  // The rules compiled from `PropRules`, recompiled when those change.
  const TCompiledPropRules& Rules() const;

  // Applying a record.
  void StoreProperty(TLocForm* form, const TFormStep& step);
  void StoreReportText(TLocExtGroup* group, const TFormStep& step);

  TFormRecord* record_ = nullptr;  // the record being walked into
  bool inReport_ = false;          // within a report design
  mutable TCompiledPropRules rules_;
  // Spellings of the property being matched, reused from property to property.
  mutable std::string spellings_[12];
};

}  // namespace sw
