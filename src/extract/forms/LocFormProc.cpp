// Form extraction and property rules; see LocFormProc.h.
#include "extract/forms/LocFormProc.h"

#include <algorithm>

#include "runtime/FormTextConverter.h"
#include "base/Unicode.h"
#include "util/Messages.h"
#include "util/LocaleCatalogue.h"
#include "base/AsciiText.h"
#include "base/AnsiText.h"
#include "runtime/StringList.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

inline constexpr const char* kReportClass = "TfrxReport";
inline constexpr const char* kCollectionItemClass = "TCollectionItem";
inline constexpr const char* kCharsetSuffix = ".Font.Charset";

bool Matches(const std::string& text, const TCompiledPropRules::Rule& rule) {
  return !rule.CannotMatch(text) && MatchesMask(text, rule.Mask, false);
}

// A rule line split into its marker and mask; false for an empty line.
bool SplitRule(const std::string& line, char& marker, std::string& mask) {
  const std::string rule = TrimSpaces(line);
  if (rule.empty()) return false;
  marker = rule[0];
  mask = rule.substr(1);
  return true;
}

std::u16string TrimWideBlanks(const std::u16string& text) {
  std::size_t first = 0, last = text.size();
  while (first < last && text[first] <= u' ') ++first;
  while (last > first && text[last - 1] <= u' ') --last;
  return text.substr(first, last - first);
}

}  // namespace

// ---- Reading the file --------------------------------------------------------

void TLocFormProcessor::ProcessFile(const std::string& fileName) {
  TMemoryStream file;
  file.LoadFromFile(fileName);
  ProcessBytes(file.AsString());
}

void TLocFormProcessor::ProcessBytes(const std::string& bytes) {
  TMemoryStream stream;
  ToBinaryStream(bytes, LangId, stream);
  ProcessStream(stream);
}

void TLocFormProcessor::ToBinaryStream(const std::string& bytes, LANGID langId, TMemoryStream& stream) {
  stream.Clear();
  if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF && bytes[1] == 0x0A && bytes[2] == 0) {
    // The 16-bit resource header: 0xFF, the type word 10, the name up to its
    // zero byte, a flags word and a size; the binary stream follows.
    stream.Write(bytes.data(), bytes.size());
    stream.SetPosition(0);
    TFormReader header(stream);
    if (header.ReadByte() != 0xFF || header.ReadU16() != 10) throw EReadError(SInvalidImage);
    try {
      while (header.ReadByte() != 0) {
      }
      header.ReadU16();
      header.ReadU32();
    } catch (const EReadError&) {
      throw EReadError(SInvalidImage);
    }
    stream.SetPosition(header.Position());
  } else if (bytes.size() >= 3 && bytes.compare(0, 3, "TPF") == 0) {
    stream.Write(bytes.data(), bytes.size());
    stream.SetPosition(0);
  } else {
    ObjectTextToBinary(bytes, stream, [langId](std::string_view raw) { return AnsiToWideByLang(raw, langId); });
    stream.SetPosition(0);
  }
}

void TLocFormProcessor::ProcessStream(TStream& stream) {
  if (!Storage) {
    Exception error(SFormNoStorage);
    error.AddContext(Format(SFormProcessingError, ""));
    throw error;
  }
  TFormRecord record;
  WalkStream(stream, record);
  ApplyRecord(record);
}

void TLocFormProcessor::WalkStream(TStream& stream, TFormRecord& record) {
  record = TFormRecord();
  record_ = &record;
  BinaryBuffer.Clear();
  InlinePrefix.clear();
  inReport_ = false;
  FormName.clear();
  CurrentClass.clear();
  try {
    TFormReader reader(stream);
    reader.ReadSignature();
    std::string className, name;
    bool isInline = false;
    ReadComponentHeader(reader, className, name, isInline);
    FormName = name;
    AddStep(TFormStep::Form, {}, FormName);
    ProcessComponent(reader, "", className, 0);
  } catch (Exception& e) {
    e.AddContext(Format(SFormProcessingError, FormName));
    record.Error = std::current_exception();
  }
  record_ = nullptr;
}

TFormStep& TLocFormProcessor::AddStep(std::uint8_t kind, const std::string& path, const std::string& name) {
  TFormStep& step = record_->Steps.emplace_back();
  step.Kind = kind;
  step.Path = path;
  step.Name = name;
  return step;
}

void TLocFormProcessor::AddPropertyStep(const std::string& path, const std::string& propName, bool reportText) {
  TFormStep& step = AddStep(TFormStep::Property, path, propName);
  step.Flag = reportText;
  step.ValueKind = Value.Kind;
  switch (Value.Kind) {
    case vkFloat:
      step.Float = Value.Float;
      break;
    case vkInteger:
      step.Integer = Value.Integer;
      break;
    case vkString:
    case vkStrings:
      step.WideText = Value.WideText;
      if (step.WideText.empty() && Value.Kind == vkString) step.Text = Value.Text;
      break;
    default:
      break;
  }
}

void TLocFormProcessor::CheckDepth(const TFormReader& reader, int depth) const {
  if (depth > MaxFormNesting)
    throw EReadError(Format(SFormNestingTooDeep, MaxFormNesting, static_cast<long long>(reader.Position())));
}

void TLocFormProcessor::ReadComponentHeader(TFormReader& reader, std::string& className, std::string& name,
                                            bool& isInline) {
  std::uint8_t flags = 0;
  std::int32_t position = 0;
  reader.ReadPrefix(flags, position);
  className = reader.ReadStr();
  name = reader.ReadStr();
  InheritedFlag = (flags & ffInherited) != 0;
  isInline = !InheritedFlag && (flags & ffInline) != 0;
  if (isInline) InlinePrefix = JoinWithDot(InlinePrefix, name);
  if (flags & ffChildPos) className.append("[").append(std::to_string(position)).append("]");
}

void TLocFormProcessor::ProcessComponent(TFormReader& reader, const std::string& rawName,
                                         const std::string& className, int depth) {
  CheckDepth(reader, depth);
  const std::string path = InheritedFlag ? JoinWithDot(InlinePrefix, rawName) : rawName;
  AddStep(TFormStep::Enter, path);
  while (!reader.EndOfList()) ProcessProperty(reader, path, className, depth);
  reader.ReadListEnd();
  AddStep(TFormStep::Leave);

  int position = 1;
  while (!reader.EndOfList()) {
    // Restoring the saved prefix equals cutting the last segment for every
    // sound name, and stays right for an empty or dotted frame name.
    const std::string savedPrefix = InlinePrefix;
    std::string childClass, childName;
    bool childInline = false;
    ReadComponentHeader(reader, childClass, childName, childInline);
    const bool startsReport = childClass == kReportClass;
    if (startsReport) {
      AddStep(TFormStep::ReportBegin, {}, Format(SFormReportGroup, FormName, childName));
      inReport_ = true;
    }
    CurrentClass = childClass;
    if (childName.empty()) childName = rawName + "." + childClass + std::to_string(position);
    ProcessComponent(reader, childName, childClass, depth + 1);
    if (childInline) InlinePrefix = savedPrefix;
    ++position;
    if (startsReport) {
      AddStep(TFormStep::ReportEnd);
      inReport_ = false;
    }
  }
  reader.ReadListEnd();
}

void TLocFormProcessor::ProcessProperty(TFormReader& reader, const std::string& path, const std::string& className,
                                        int depth) {
  const std::string name = reader.ReadStr();
  const bool recordable = ReadValue(reader, path, name, depth + 1);
  if (name == "Font.Charset") {
    if (IsComponentExcluded(path, className)) {
      AddStep(TFormStep::Drop);
    } else {
      // The native pass records the component even when its character set
      // is not excluded; a translation has nothing to do then.
      const bool excluded = IsCharsetExcluded(path, className);
      if (Column == 0 || excluded) AddStep(TFormStep::Charset, path).Flag = excluded;
    }
    return;
  }
  if (!recordable) return;
  const bool reportText = inReport_ && (name == "Memo.UTF8W" || name == "Memo.UTF8");
  // A translation pass updates whatever the native pass recorded, without
  // the rules or the text test: the step decides nothing there.
  if (Column != 0) {
    AddPropertyStep(path, name, reportText);
    return;
  }
  // The text test decides whether a native property becomes an item.
  if (reportText) {
    if (IsTranslatableText()) AddPropertyStep(path, name, true);
    return;
  }
  const TPropRuleMatch match = MatchPropRules(className, path, name);
  if (match.Selected && (match.Star || IsTranslatableText())) AddPropertyStep(path, name, false);
}

bool TLocFormProcessor::ReadValue(TFormReader& reader, const std::string& path, const std::string& propName,
                                  int depth) {
  CheckDepth(reader, depth);
  const std::uint8_t tag = reader.ReadValue();
  if (tag > vaMaxValueType)
    throw EReadError(Format(SFormValueReadError, path, ".", propName, std::to_string(tag & 0x7F)));
  if (tag == vaCollection) {
    ReadCollection(reader, path, propName, depth);
    return false;
  }
  if (tag == vaDate) {
    reader.ReadDatePayload();
    return false;
  }
  Value.Text.clear();
  Value.WideText.clear();
  switch (tag) {
    case vaList: {
      // Elements are gathered apart so that a nested list cannot clobber them.
      std::vector<std::u16string> lines;
      bool allStrings = true;
      while (!reader.EndOfList()) {
        const bool recordable = ReadValue(reader, path, propName, depth + 1);
        if (recordable && Value.Kind == vkString)
          lines.push_back(Value.WideText.empty() ? AnsiToWideByLang(Value.Text, LangId) : Value.WideText);
        else
          allStrings = false;
      }
      reader.ReadListEnd();
      Value.Kind = allStrings ? vkStrings : vkList;
      Value.Text.clear();
      Value.WideText.clear();
      for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) Value.WideText += u"\r\n";
        Value.WideText += lines[i];
      }
      Value.Strings = std::move(lines);
      if (!allStrings) Value.Strings.clear();
      return true;
    }
    case vaInt8:
    case vaInt16:
    case vaInt32:
      Value.Kind = vkInteger;
      Value.Integer = reader.ReadIntegerPayload(tag);
      return true;
    case vaExtended:
      Value.Kind = vkFloat;
      Value.Float = reader.ReadExtendedPayload();
      return true;
    case vaSingle:
      Value.Kind = vkFloat;
      Value.Float = reader.ReadSinglePayload();
      return true;
    case vaCurrency:
      Value.Kind = vkFloat;
      Value.Float = static_cast<double>(reader.ReadCurrencyPayload()) / 10000.0;
      return true;
    case vaString:
    case vaLString:
      Value.Kind = vkString;
      reader.ReadStringPayload(tag, Value.Text);
      Value.WideText = AnsiToWideByLang(Value.Text, LangId);
      return true;
    case vaWString:
      Value.Kind = vkString;
      reader.ReadWideStringPayload(Value.WideText);
      return true;
    case vaUTF8String:
      Value.Kind = vkString;
      Value.WideText = Utf8ToUtf16(reader.ReadUtf8StringPayload());
      return true;
    case vaInt64:
      Value.Kind = vkInt64;
      Value.Int64 = reader.ReadInt64Payload();
      return true;
    case vaBinary:
      Value.Kind = vkBinary;
      BinaryBuffer.Clear();
      reader.ReadBinaryPayload([this](const std::uint8_t* data, std::size_t n) { BinaryBuffer.WriteBuffer(data, n); });
      return true;
    case vaSet: {
      Value.Kind = vkSet;
      const auto names = reader.ReadSetPayload();
      for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) Value.Text += ',';
        Value.Text += names[i];
      }
      return true;
    }
    case vaIdent:
      Value.Kind = vkIdent;
      Value.Text = reader.ReadStr();
      return true;
    case vaNull:
      Value.Kind = vkIdent;
      Value.Text = "Null";
      return true;
    case vaFalse:
      Value.Kind = vkIdent;
      Value.Text = "False";
      return true;
    case vaTrue:
      Value.Kind = vkIdent;
      Value.Text = "True";
      return true;
    case vaNil:
      Value.Kind = vkIdent;
      Value.Text = "nil";
      return true;
    default:
      throw EReadError(SInvalidPropertyValue);
  }
}

void TLocFormProcessor::ReadCollection(TFormReader& reader, const std::string& path, const std::string& propName,
                                       int depth) {
  std::int32_t index = 0;
  const std::string owner = JoinWithDot(path, propName);
  while (!reader.EndOfList()) {
    const std::uint8_t next = reader.NextValue();
    if (next == vaInt8 || next == vaInt16 || next == vaInt32) index = reader.ReadInteger();
    reader.CheckValue(vaList);
    const std::string itemPath = owner + "[" + std::to_string(index) + "]";
    AddStep(TFormStep::Enter, itemPath);
    while (!reader.EndOfList()) ProcessProperty(reader, itemPath, kCollectionItemClass, depth + 1);
    reader.ReadListEnd();
    AddStep(TFormStep::Leave);
    if (index < INT32_MAX) ++index;
  }
  reader.ReadListEnd();
}

// ---- Property rules ------------------------------------------------------------

void TCompiledPropRules::Compile(const TStringList& lines) {
  source_ = lines.Lines();
  excludes_.clear();
  includes_.clear();
  char marker;
  std::string mask;
  for (const std::string& line : lines) {
    if (!SplitRule(line, marker, mask)) continue;
    Rule rule{marker, mask};
    const auto stars = static_cast<std::size_t>(std::count(mask.begin(), mask.end(), '*'));
    rule.Star = stars > 0;
    rule.Length = mask.size() - stars;
    (marker == '-' ? excludes_ : includes_).push_back(std::move(rule));
  }
}

const TCompiledPropRules& TLocFormProcessor::Rules() const {
  if (!rules_.IsFrom(PropRules)) rules_.Compile(PropRules);
  return rules_;
}

namespace {

// `out` = the parts joined, reusing its storage.
template <typename... Parts>
std::string& Spell(std::string& out, const Parts&... parts) {
  out.clear();
  (out.append(parts), ...);
  return out;
}

// `out` = PN with everything before its first "." replaced by `y`.
std::string& SpellReplaceHead(std::string& out, std::string_view pn, std::string_view y) {
  const auto dot = pn.find('.');
  return dot == std::string_view::npos ? Spell(out, y) : Spell(out, y, pn.substr(dot));
}

// `out` = `a` and `b` joined with a dot, or whichever is not empty.
std::string& SpellJoinWithDot(std::string& out, std::string_view a, std::string_view b) {
  if (a.empty()) return Spell(out, b);
  if (b.empty()) return Spell(out, a);
  return Spell(out, a, ".", b);
}

}  // namespace

TPropRuleMatch TLocFormProcessor::MatchPropRules(const std::string& className, const std::string& path,
                                                 const std::string& propName) const {
  TPropRuleMatch result;
  if (SameText(propName, "color") || propName.find(".charset") != std::string::npos) return result;
  const TCompiledPropRules& rules = Rules();
  const std::string& f = FormName;
  const std::string& p = path;
  const std::string& n = propName;
  const std::string& c = className;
  const std::string& k = CurrentClass;
  // Every spelling is built once per property, not once per rule.
  std::string* w = spellings_;
  const std::string& pn = Spell(w[0], p, ".", n);
  const std::string& dotN = Spell(w[1], ".", n);
  const std::string& fc = Spell(w[2], f, ".", c);
  const std::string& fcN = Spell(w[3], f, ".", c, dotN);
  if (!rules.Excludes().empty()) {
    const std::string& headC = SpellReplaceHead(w[4], pn, c);
    const std::string& headK = SpellReplaceHead(w[5], pn, k);
    const std::string& fpN = SpellJoinWithDot(w[6], f, p).append(dotN);
    for (const TCompiledPropRules::Rule& rule : rules.Excludes()) {
      const std::string& mask = rule.Mask;
      if (SameText(c, mask) || Matches(headC, rule) || SameText(k, mask) || Matches(headK, rule) ||
          Matches(pn, rule) || Matches(dotN, rule) || Matches(fpN, rule) || Matches(fc, rule) || Matches(fcN, rule))
        return TPropRuleMatch{};
    }
  }
  if (rules.Includes().empty()) return result;
  const std::string& cN = Spell(w[7], c, dotN);
  const std::string& pN = Spell(w[8], p, dotN);
  const std::string& f_pN = Spell(w[9], f, ".", p, dotN);
  const std::string& fN = Spell(w[10], f, dotN);
  for (const TCompiledPropRules::Rule& rule : rules.Includes()) {
    if (Matches(dotN, rule) || Matches(cN, rule) || Matches(pN, rule) || Matches(f_pN, rule) || Matches(fc, rule) ||
        Matches(fcN, rule) || Matches(fN, rule)) {
      result.Selected = true;
      result.Star = rule.Marker == '*';
      break;
    }
  }
  return result;
}

bool TLocFormProcessor::IsComponentExcluded(const std::string& path, const std::string& className) const {
  const TCompiledPropRules& rules = Rules();
  if (rules.Excludes().empty()) return false;
  const std::string& fc = Spell(spellings_[0], FormName, ".", className);
  const std::string& fp = Spell(spellings_[1], FormName, ".", path);
  for (const TCompiledPropRules::Rule& rule : rules.Excludes()) {
    if (SameText(className, rule.Mask) || SameText(CurrentClass, rule.Mask) || Matches(path, rule) ||
        Matches(fc, rule) || Matches(fp, rule))
      return true;
  }
  return false;
}

bool TLocFormProcessor::IsCharsetExcluded(const std::string& path, const std::string& className) const {
  const TCompiledPropRules& rules = Rules();
  if (rules.Excludes().empty()) return false;
  const std::string& cs = Spell(spellings_[0], className, kCharsetSuffix);
  const std::string& ks = Spell(spellings_[1], CurrentClass, kCharsetSuffix);
  const std::string& ps = Spell(spellings_[2], path, kCharsetSuffix);
  const std::string& fcs = Spell(spellings_[3], FormName, ".", className, kCharsetSuffix);
  const std::string& fps = Spell(spellings_[4], FormName, ".", path, kCharsetSuffix);
  for (const TCompiledPropRules::Rule& rule : rules.Excludes()) {
    if (SameText(cs, rule.Mask) || SameText(ks, rule.Mask) || Matches(ps, rule) || Matches(fcs, rule) ||
        Matches(fps, rule))
      return true;
  }
  return false;
}

bool TLocFormProcessor::IsTranslatableText() const {
  switch (Value.Kind) {
    case vkString: {
      if (TrimWideBlanks(Value.WideText).empty() && TrimSpaces(Value.Text).empty()) return false;
      if (!Value.WideText.empty()) {
        bool found = false;
        for (char16_t ch : Value.WideText) {
          const bool neutral = (ch >= 32 && ch <= 64) || (ch >= 91 && ch <= 96) || (ch >= 123 && ch <= 126);
          if (ch > 255 || !neutral) {
            found = true;
            break;
          }
        }
        if (!found) return false;
      }
      if (!Value.Text.empty()) {
        bool found = false;
        for (unsigned char ch : Value.Text) {
          if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || ch >= 128) {
            found = true;
            break;
          }
        }
        if (!found) return false;
      }
      return true;
    }
    case vkStrings:
      return !Value.Strings.empty();
    default:
      return true;
  }
}

// ---- Applying a record ----------------------------------------------------------

namespace {

TVariant StepVariant(const TFormStep& step) {
  switch (step.ValueKind) {
    case vkFloat:
      return TVariant(step.Float);
    case vkInteger:
      return TVariant(step.Integer);
    case vkString:
      return step.WideText.empty() ? TVariant(step.Text) : TVariant(step.WideText);
    case vkStrings:
      // The lines stay wide: narrowing them through one code page would turn
      // every character outside it into "?".
      return TVariant(step.WideText);
    default:
      return TVariant(std::int32_t{0});
  }
}

bool HasText(const TFormStep& step) { return step.ValueKind == vkString || step.ValueKind == vkStrings; }

}  // namespace

void TLocFormProcessor::ApplyRecord(const TFormRecord& record) {
  if (!Storage) throw Exception(SFormNoStorage);
  const bool native = Column == 0;
  TLocForm* form = nullptr;
  TLocExtGroup* group = nullptr;
  // The component each entered step found when it was entered.
  std::vector<TLocComponent*> entered;
  for (const TFormStep& step : record.Steps) {
    if (step.Kind == TFormStep::Form) {
      if (native) {
        form = Storage->Forms->FindOrAdd(step.Name);
      } else {
        // A translation only updates what the native pass has: it creates
        // no form, and a form it lacks is not looked at further.
        const int index = Storage->Forms->IndexOfName(step.Name);
        if (index < 0) return;
        form = Storage->Forms->Items(index);
      }
      form->Attributes = 0;
      continue;
    }
    if (!form) break;  // a record always names its form first
    switch (step.Kind) {
      case TFormStep::Enter:
        entered.push_back(form->FindComponent(step.Path));
        break;
      case TFormStep::Leave:
        if (!entered.empty()) entered.pop_back();
        break;
      case TFormStep::Drop: {
        // The form itself is never removed, and a component is removed only
        // once: a repeated property must not free it twice.
        if (entered.empty()) break;
        TLocComponent*& component = entered.back();
        if (component && component != form) {
          const int index = form->Components->IndexOf(component);
          if (index >= 0) {
            form->Components->Delete(index);
            form->Components->LastIndex = -1;
          }
        }
        component = nullptr;
        break;
      }
      case TFormStep::Charset: {
        // The root's own character set belongs to the form, not to a
        // component without a name.
        TLocComponent* target = form;
        if (!step.Path.empty()) {
          const int index = form->Components->IndexOfName(step.Path);
          target = native ? form->Components->FindOrAdd(step.Path)
                   : index < 0 ? nullptr
                               : form->Components->Items(index);
        }
        if (target && step.Flag) target->SetAttr(caCharsetExcluded, true);
        break;
      }
      case TFormStep::ReportBegin:
        if (native) {
          group = Storage->ExtGroups->FindOrAdd(step.Name);
        } else {
          const int index = Storage->ExtGroups->IndexOfName(step.Name);
          group = index < 0 ? nullptr : Storage->ExtGroups->Items(index);
        }
        break;
      case TFormStep::ReportEnd:
        group = nullptr;
        break;
      case TFormStep::Property:
        if (step.Flag && group)
          StoreReportText(group, step);
        else if (!step.Flag || !native)
          StoreProperty(form, step);
        break;
      default:
        break;
    }
  }
  if (record.Error) std::rethrow_exception(record.Error);
}

void TLocFormProcessor::StoreProperty(TLocForm* form, const TFormStep& step) {
  TLocProperty* item = form->FindProperty(step.Path, step.Name);
  if (item) {
    item->SetValueKind(step.ValueKind);
  } else {
    if (Column != 0) return;
    // The storage numbers the items.
    item = form->FindOrAddProperty(-1, step.Path, step.ValueKind, step.Name);
  }
  item->SetNativeState(lsNotRecorded, false);
  item->SetValueFromVariant(Column, StepVariant(step), Revision);
  if (HasText(step)) item->SetNativeState(lsHasText, !step.WideText.empty());
}

void TLocFormProcessor::StoreReportText(TLocExtGroup* group, const TFormStep& step) {
  const std::string name = step.Path + ".Text";
  TLocExtItem* item = group->ExtItems->FindByName(name);
  if (!item) {
    if (Column != 0) return;
    // Report texts are numbered with the properties.
    item = group->FindOrAddExtItem(Storage->ReservePropertyId(-1), name, step.ValueKind);
  }
  item->SetValueFromVariant(Column, StepVariant(step), Revision);
  if (HasText(step)) item->SetNativeState(lsHasText, !step.WideText.empty());
}

}  // namespace sw
