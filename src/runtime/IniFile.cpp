#include "runtime/IniFile.h"

#include <filesystem>

#include "platform/FileSystem.h"
#include "base/Exceptions.h"
#include "base/AnsiText.h"
#include "base/Numbers.h"

namespace sw {

namespace {

enum class LineKind { Blank, Comment, Section, Key, Other };

struct ParsedLine {
  LineKind Kind = LineKind::Other;
  std::string Name;   // section or key name, trimmed
  std::string Value;  // key value, trimmed
};

ParsedLine ParseLine(std::string_view line) {
  ParsedLine result;
  const std::string t = Trim(line);
  if (t.empty()) {
    result.Kind = LineKind::Blank;
  } else if (t[0] == ';') {
    result.Kind = LineKind::Comment;
  } else if (t[0] == '[') {
    const auto close = t.find(']');
    if (close != std::string::npos) {
      result.Kind = LineKind::Section;
      result.Name = Trim(std::string_view(t).substr(1, close - 1));
    }
  } else {
    const auto eq = t.find('=');
    result.Name = Trim(std::string_view(t).substr(0, eq));
    if (eq != std::string::npos) result.Value = Trim(std::string_view(t).substr(eq + 1));
    if (!result.Name.empty()) result.Kind = LineKind::Key;
  }
  return result;
}

bool SameName(std::string_view a, std::string_view b) { return a.size() == b.size() && LowerAnsi(a) == LowerAnsi(b); }

// A line break inside a name or value would split the line and let the text
// after it read back as keys or sections of its own.
std::string OneLine(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    if (c == '\r' || c == '\n') c = ' ';
  return result;
}

// "[name]". Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict)
// about "[" + std::string.
std::string SectionHeader(std::string_view name) {
  std::string header(1, '[');
  header += OneLine(name);
  header += ']';
  return header;
}

}  // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
  std::error_code ec;
  const auto status = std::filesystem::status(fileName_, ec);
  if (!ec && std::filesystem::is_directory(status)) throw EIniFileError(Format(SIniIsFolder, fileName_));
  if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
    throw EIniFileError(Format(SIniNotAFile, fileName_));
  if (platform::FileExists(fileName_)) lines_.LoadFromBytes(platform::ReadFileBytes(fileName_));
  // Text that came as UTF-16 is held as UTF-8 now; keep it UTF-8 with a mark.
  if (lines_.Encoding() == TextEncoding::Utf16LE || lines_.Encoding() == TextEncoding::Utf16BE)
    lines_.SetEncoding(TextEncoding::Utf8);
  CheckProfileText();
}

void TIniFile::CheckProfileText() const {
  // Another program's file given by mistake would be rewritten with the
  // settings appended to it; it is refused instead.
  bool hasText = false;
  bool hasSection = false;
  for (const auto& line : lines_) {
    if (line.find('\0') != std::string::npos) throw EIniFileError(Format(SIniHasNulBytes, fileName_));
    const LineKind kind = ParseLine(line).Kind;
    if (kind == LineKind::Section) hasSection = true;
    if (kind != LineKind::Blank && kind != LineKind::Comment) hasText = true;
  }
  if (hasText && !hasSection) throw EIniFileError(Format(SIniNoSection, fileName_));
}

TIniFile TIniFile::FromText(std::string_view text, std::string fileName) {
  TIniFile ini;
  ini.fileName_ = std::move(fileName);
  ini.lines_.SetText(std::string(text));
  return ini;
}

std::vector<std::pair<int, int>> TIniFile::SectionRanges(std::string_view section) const {
  std::vector<std::pair<int, int>> ranges;
  int open = -1;
  for (int i = 0; i < lines_.Count(); ++i) {
    const ParsedLine p = ParseLine(lines_[i]);
    if (p.Kind != LineKind::Section) continue;
    if (open >= 0) ranges.emplace_back(open, i);
    open = SameName(p.Name, section) ? i : -1;
  }
  if (open >= 0) ranges.emplace_back(open, lines_.Count());
  return ranges;
}

int TIniFile::FindKeyLine(std::string_view section, std::string_view ident) const {
  const std::string key = Trim(ident);
  for (const auto& [header, end] : SectionRanges(section))
    for (int i = header + 1; i < end; ++i) {
      const ParsedLine p = ParseLine(lines_[i]);
      if (p.Kind == LineKind::Key && SameName(p.Name, key)) return i;
    }
  return -1;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident,
                                 std::string_view defaultValue) const {
  const int line = FindKeyLine(section, ident);
  if (line < 0) return std::string(defaultValue);
  return ParseLine(lines_[line]).Value;
}

void TIniFile::WriteString(std::string_view section, std::string_view ident, std::string_view value) {
  const std::string key = OneLine(Trim(ident));
  const std::string newValue = OneLine(value);
  modified_ = true;
  const int line = FindKeyLine(section, key);
  if (line >= 0) {
    // The key keeps its spelling in the file.
    lines_[line] = ParseLine(lines_[line]).Name + "=" + newValue;
    return;
  }
  AddSectionLine(section, key + "=" + newValue);
}

void TIniFile::AddSectionLine(std::string_view section, std::string_view line) {
  modified_ = true;
  const auto ranges = SectionRanges(section);
  if (!ranges.empty()) {
    // After the section's last line that is not blank, so that blank lines
    // separating it from the next section stay below it.
    const auto [header, end] = ranges.front();
    int at = header + 1;
    for (int i = header + 1; i < end; ++i)
      if (ParseLine(lines_[i]).Kind != LineKind::Blank) at = i + 1;
    lines_.Insert(at, OneLine(line));
    return;
  }
  lines_.Add(SectionHeader(section));
  lines_.Add(OneLine(line));
}

int TIniFile::ReadInteger(std::string_view section, std::string_view ident, int defaultValue) const {
  const int line = FindKeyLine(section, ident);
  if (line < 0) return defaultValue;
  int value = 0;
  return TryStrToInt(ParseLine(lines_[line]).Value, value) ? value : defaultValue;
}

void TIniFile::WriteInteger(std::string_view section, std::string_view ident, int value) {
  WriteString(section, ident, std::to_string(value));
}

bool TIniFile::ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteBool(std::string_view section, std::string_view ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::ReadSection(std::string_view section, TStringList& keys) const {
  keys.Clear();
  for (const auto& [header, end] : SectionRanges(section))
    for (int i = header + 1; i < end; ++i) {
      ParsedLine p = ParseLine(lines_[i]);
      if (p.Kind == LineKind::Key) keys.Add(std::move(p.Name));
    }
}

void TIniFile::ReadSectionValues(std::string_view section, TStringList& out) const {
  out.Clear();
  for (const auto& [header, end] : SectionRanges(section))
    for (int i = header + 1; i < end; ++i) {
      const std::string& line = lines_[i];
      const ParsedLine p = ParseLine(line);
      if (p.Kind != LineKind::Key) continue;
      out.Add(line.find('=') == std::string::npos ? p.Name : p.Name + "=" + p.Value);
    }
}

void TIniFile::ReadSections(TStringList& sections) const {
  sections.Clear();
  for (const auto& line : lines_) {
    const ParsedLine p = ParseLine(line);
    if (p.Kind != LineKind::Section) continue;
    bool seen = false;
    for (const auto& s : sections)
      if (SameName(s, p.Name)) seen = true;
    if (!seen) sections.Add(p.Name);
  }
}

bool TIniFile::SectionExists(std::string_view section) const { return !SectionRanges(section).empty(); }

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) const {
  return FindKeyLine(section, ident) >= 0;
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident) {
  // Every line of that key, so that a duplicate further down does not take
  // the deleted value's place.
  for (int line = FindKeyLine(section, ident); line >= 0; line = FindKeyLine(section, ident)) {
    lines_.Delete(line);
    modified_ = true;
  }
}

void TIniFile::EraseSection(std::string_view section) {
  auto ranges = SectionRanges(section);
  auto& lines = lines_.Lines();
  for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
    lines.erase(lines.begin() + it->first, lines.begin() + it->second);
    modified_ = true;
  }
}

void TIniFile::WriteSectionLines(std::string_view section, const TStringList& content) {
  const auto ranges = SectionRanges(section);
  auto& lines = lines_.Lines();
  int at = lines_.Count();
  if (!ranges.empty()) {
    // Repeats go first (from the back), so the first section's lines keep their places.
    for (std::size_t r = ranges.size(); r-- > 1;)
      lines.erase(lines.begin() + ranges[r].first, lines.begin() + ranges[r].second);
    // The blank lines that end the first section stay below the new content.
    const auto [header, end] = ranges.front();
    int last = end;
    while (last > header + 1 && ParseLine(lines_[last - 1]).Kind == LineKind::Blank) --last;
    lines.erase(lines.begin() + header, lines.begin() + last);
    at = header;
  }
  modified_ = true;
  if (content.Count() == 0) return;
  std::vector<std::string> block{"[" + OneLine(section) + "]"};
  for (const auto& line : content) block.push_back(OneLine(line));
  lines.insert(lines.begin() + at, block.begin(), block.end());
}

void TIniFile::RenameSection(std::string_view section, std::string_view newName) {
  for (const auto& range : SectionRanges(section)) {
    lines_[range.first] = SectionHeader(newName);
    modified_ = true;
  }
}

void TIniFile::UpdateFile() {
  if (fileName_.empty()) throw EFCreateError(Format(SFCreateError, fileName_));
  lines_.SaveToFile(fileName_);
  modified_ = false;
}

}  // namespace sw
