// The native forms' parent/child structure (see FormTree.h).
#include "checks/FormTree.h"

#include <algorithm>
#include <map>
#include <optional>

#include "base/AsciiText.h"
#include "extract/forms/LocFormProc.h"
#include "platform/FileSystem.h"
#include "runtime/FormReader.h"
#include "platform/PathNames.h"
#include "base/Exceptions.h"

namespace sw {

namespace {

// Ancestors and frames nest at most this deep; deeper is taken as a cycle.
constexpr int kMaxMergeDepth = 32;

// Walks a form stream as the form extraction walks it, naming each
// component by the path the storage keeps it under.
class TTreeWalker {
 public:
  explicit TTreeWalker(TFormReader& reader) : reader_(reader) {}

  TFormNode Root() {
    reader_.ReadSignature();
    Header header = ReadHeader();
    formName_ = header.Name;
    TFormNode root = Component("", header, 0);
    root.Name = header.Name;
    return root;
  }

 private:
  struct Header {
    std::string ClassName;  // with the child position, as paths use it
    std::string BareClass;
    std::string Name;
    bool Inline = false;
    bool Inherited = false;
  };

  Header ReadHeader() {
    std::uint8_t flags = 0;
    std::int32_t position = 0;
    reader_.ReadPrefix(flags, position);
    Header header;
    header.BareClass = reader_.ReadStr();
    header.Name = reader_.ReadStr();
    header.Inherited = (flags & ffInherited) != 0;
    header.Inline = !header.Inherited && (flags & ffInline) != 0;
    if (header.Inline) inlinePrefix_ = JoinWithDot(inlinePrefix_, header.Name);
    header.ClassName = header.BareClass;
    if (flags & ffChildPos) header.ClassName.append("[").append(std::to_string(position)).append("]");
    return header;
  }

  TFormNode Component(const std::string& rawName, const Header& header, int depth) {
    if (depth > MaxFormNesting)
      throw EReadError(Format(SFormNestingTooDeep, MaxFormNesting, static_cast<long long>(reader_.Position())));
    TFormNode node;
    node.Name = rawName;
    node.ClassName = header.BareClass;
    node.Inline = header.Inline;
    node.Inherited = header.Inherited;
    node.Sources.push_back({formName_, header.Inherited ? JoinWithDot(inlinePrefix_, rawName) : rawName});
    while (!reader_.EndOfList()) reader_.SkipProperty();
    reader_.ReadListEnd();
    int position = 1;
    while (!reader_.EndOfList()) {
      const std::string savedPrefix = inlinePrefix_;
      const Header child = ReadHeader();
      const std::string childName =
          child.Name.empty() ? rawName + "." + child.ClassName + std::to_string(position) : child.Name;
      node.Children.push_back(Component(childName, child, depth + 1));
      if (child.Inline) inlinePrefix_ = savedPrefix;
      ++position;
    }
    reader_.ReadListEnd();
    return node;
  }

  TFormReader& reader_;
  std::string formName_;
  std::string inlinePrefix_;
};

bool IsAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsIdentifier(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name)
    if (!IsAsciiAlnum(c) && c != '_') return false;
  return true;
}

bool IsIdentChar(char c) { return IsAsciiAlnum(c) || c == '_' || c == '.'; }

// Skips blanks and line breaks from `i`.
std::size_t SkipBlanks(const std::string& text, std::size_t i) {
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  return i;
}

// The ancestor class of `className` in a unit's text: "TX = class(TBase)"
// (Pascal) or "class TX : public TBase" (C++). The last part of a dotted
// name; "" when not found.
std::string AncestorIn(const std::string& text, const std::string& className) {
  const std::string upper = UpperAscii(text);
  const std::string wanted = UpperAscii(className);
  auto word = [&](std::size_t i) {
    std::size_t end = i;
    while (end < text.size() && IsIdentChar(text[end])) ++end;
    std::string name = text.substr(i, end - i);
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
  };
  for (std::size_t at = upper.find(wanted); at != std::string::npos; at = upper.find(wanted, at + 1)) {
    if (at > 0 && IsIdentChar(text[at - 1])) continue;
    std::size_t i = at + wanted.size();
    if (i < text.size() && IsIdentChar(text[i])) continue;
    i = SkipBlanks(text, i);
    if (i < text.size() && text[i] == '=') {  // Pascal
      i = SkipBlanks(text, i + 1);
      if (upper.compare(i, 5, "CLASS") != 0) continue;
      i = SkipBlanks(text, i + 5);
      if (i >= text.size() || text[i] != '(') continue;
      return word(SkipBlanks(text, i + 1));
    }
    if (i < text.size() && text[i] == ':' && (i + 1 >= text.size() || text[i + 1] != ':')) {  // C++
      const std::size_t classWord = upper.rfind("CLASS", at);
      if (classWord == std::string::npos || !std::all_of(text.begin() + static_cast<std::ptrdiff_t>(classWord + 5),
                                                         text.begin() + static_cast<std::ptrdiff_t>(at),
                                                         [](char c) { return c == ' ' || c == '\t'; }))
        continue;
      i = SkipBlanks(text, i + 1);
      for (const char* access : {"PUBLIC", "PROTECTED", "PRIVATE"})
        if (upper.compare(i, std::char_traits<char>::length(access), access) == 0)
          i = SkipBlanks(text, i + std::char_traits<char>::length(access));
      return word(i);
    }
  }
  return "";
}

struct TRawForm {
  std::string FileName;
  TFormNode Root;
  std::string Ancestor;  // of an inherited root, "" when unknown
};

class TMerger {
 public:
  explicit TMerger(const std::vector<TRawForm>& forms) : forms_(forms) {
    for (std::size_t i = 0; i < forms.size(); ++i) byClass_.try_emplace(UpperAscii(forms[i].Root.ClassName), i);
  }

  TFormNode Resolve(std::size_t index, int depth) {
    const TRawForm& form = forms_[index];
    const auto ancestor = depth < kMaxMergeDepth && form.Root.Inherited ? Find(form.Ancestor) : std::nullopt;
    if (!ancestor || *ancestor == index) return ResolveNode(form.Root, depth);
    TFormNode base = Resolve(*ancestor, depth + 1);
    base.Name = form.Root.Name;
    base.ClassName = form.Root.ClassName;
    base.Inherited = true;
    base.Sources.insert(base.Sources.begin(), form.Root.Sources.begin(), form.Root.Sources.end());
    Merge(base, form.Root, depth);
    return base;
  }

 private:
  std::optional<std::size_t> Find(const std::string& className) const {
    if (className.empty()) return std::nullopt;
    const auto it = byClass_.find(UpperAscii(className));
    if (it == byClass_.end()) return std::nullopt;
    return it->second;
  }

  TFormNode ResolveNode(const TFormNode& node, int depth) {
    const auto frame = node.Inline && depth < kMaxMergeDepth ? Find(node.ClassName) : std::nullopt;
    if (frame) {
      TFormNode base = Resolve(*frame, depth + 1);
      base.Name = node.Name;
      base.Inline = true;
      base.Sources.insert(base.Sources.begin(), node.Sources.begin(), node.Sources.end());
      Merge(base, node, depth);
      return base;
    }
    TFormNode copy;
    copy.Name = node.Name;
    copy.ClassName = node.ClassName;
    copy.Inline = node.Inline;
    copy.Inherited = node.Inherited;
    copy.Sources = node.Sources;
    for (const TFormNode& child : node.Children) copy.Children.push_back(ResolveNode(child, depth));
    return copy;
  }

  // Lays the children of `derived` over `base`: an inherited child over the
  // component of its name (looked for among the children, then deeper), a
  // new one added.
  void Merge(TFormNode& base, const TFormNode& derived, int depth) {
    for (const TFormNode& child : derived.Children) {
      TFormNode* target = child.Inherited ? FindByName(base, child.Name) : nullptr;
      if (!target) {
        base.Children.push_back(ResolveNode(child, depth));
        continue;
      }
      target->Sources.insert(target->Sources.begin(), child.Sources.begin(), child.Sources.end());
      Merge(*target, child, depth);
    }
  }

  static TFormNode* FindByName(TFormNode& node, const std::string& name) {
    for (TFormNode& child : node.Children)
      if (SameText(child.Name, name)) return &child;
    for (TFormNode& child : node.Children)
      if (TFormNode* found = FindByName(child, name)) return found;
    return nullptr;
  }

  const std::vector<TRawForm>& forms_;
  std::map<std::string, std::size_t> byClass_;
};

}  // namespace

TFormNode ReadFormNode(const std::string& fileBytes, LANGID langId) {
  TMemoryStream stream;
  TLocFormProcessor::ToBinaryStream(fileBytes, langId, stream);
  TFormReader reader(stream);
  TTreeWalker walker(reader);
  return walker.Root();
}

TFormTrees ReadFormTrees(const std::string& folder, LANGID langId) {
  TFormTrees trees;
  std::vector<TRawForm> forms;
  std::vector<platform::DirEntry> entries;
  try {
    entries = platform::ListFolder(folder);
  } catch (const Exception& e) {
    trees.Errors.push_back(e.Describe());
    return trees;
  }
  for (const auto& entry : entries) {
    if (entry.IsDirectory() || LowerAscii(ExtractFileExt(entry.Name)) != ".dfm") continue;
    const std::string path = JoinPath(folder, entry.Name);
    try {
      TRawForm form;
      form.FileName = path;
      form.Root = ReadFormNode(platform::ReadFileBytes(path), langId);
      if (form.Root.Inherited && IsIdentifier(form.Root.ClassName)) {
        const std::string stem = StripExt(entry.Name);
        for (const char* ext : {".pas", ".h"}) {
          const std::string unit = platform::FindFileIgnoringCase(folder, stem + ext);
          if (unit.empty()) continue;
          form.Ancestor = AncestorIn(platform::ReadFileBytes(unit), form.Root.ClassName);
          if (!form.Ancestor.empty()) break;
        }
      }
      forms.push_back(std::move(form));
    } catch (Exception& e) {
      trees.Errors.push_back(e.AttachFile(path).Describe());
    }
  }
  TMerger merger(forms);
  for (std::size_t i = 0; i < forms.size(); ++i) {
    TFormTree tree;
    tree.FileName = forms[i].FileName;
    tree.FormName = forms[i].Root.Name;
    tree.Root = merger.Resolve(i, 0);
    trees.Forms.push_back(std::move(tree));
  }
  return trees;
}

}  // namespace sw
