// Duplicate accelerators among siblings (see HotkeyRule.h).
#include "checks/HotkeyRule.h"

#include <map>
#include <set>
#include <unordered_map>

#include "base/Unicode.h"
#include "checks/FormTree.h"
#include "checks/TextRules.h"

namespace sw {

namespace {

constexpr const char* kCaptionProperties[] = {"Caption", "EditLabel.Caption"};

class THotkeyChecker {
 public:
  THotkeyChecker(const TCheckContext& context, TCheckSink& sink) : context_(context), sink_(sink) {
    for (const TExchangeUnit& unit : *context.Units) units_.emplace(unit.Item, &unit);
  }

  void Run() {
    for (const TFormTree& tree : context_.Forms->Forms) Visit(tree.Root);
  }

 private:
  struct TCaption {
    const TExchangeUnit* Unit;
    std::u16string_view Text;
  };

  const TExchangeUnit* Lookup(const TFormNode& node, const char* property) const {
    for (const TPropertySource& source : node.Sources) {
      const int index = context_.Storage->Forms->IndexOfName(source.Form);
      if (index < 0) continue;
      TLocForm* form = context_.Storage->Forms->Items(index);
      if (const TLocProperty* item = form->FindProperty(source.Path, property)) {
        const auto it = units_.find(item);
        return it == units_.end() ? nullptr : it->second;
      }
    }
    return nullptr;
  }

  void Visit(const TFormNode& parent) {
    std::map<char16_t, std::vector<TCaption>> byKey;
    std::set<const TExchangeUnit*> seen;
    for (const TFormNode& child : parent.Children) {
      for (const char* property : kCaptionProperties) {
        const TExchangeUnit* unit = Lookup(child, property);
        // One component may stand twice (a frame's merged parts): once is enough.
        if (!unit || unit->Kind != vkString || !seen.insert(unit).second) continue;
        const std::u16string_view text = unit->Item->Values(context_.Column)->Text;
        if (const char16_t key = AcceleratorKey(text)) byKey[key].push_back({unit, text});
      }
    }
    for (const auto& [key, captions] : byKey)
      if (captions.size() > 1) ReportClash(key, captions);
    for (const TFormNode& child : parent.Children) Visit(child);
  }

  void ReportClash(char16_t key, const std::vector<TCaption>& captions) {
    std::string letter;
    AppendUtf8(letter, key);
    for (const TCaption& caption : captions) {
      if (!context_.Native && caption.Unit->Status == TUnitStatus::Untranslated) continue;
      std::string others;
      for (const TCaption& other : captions)
        if (other.Unit != caption.Unit)
          others += (others.empty() ? "" : ", ") + other.Unit->Place + " (" + QuoteText(other.Text) + ")";
      std::string message = "the accelerator \"" + letter + "\" is also used by " + others;
      // A frame's or an ancestor's caption is met again in every form using it.
      if (reported_.insert({caption.Unit->Place, message}).second) sink_.Report(*caption.Unit, std::move(message));
    }
  }

  const TCheckContext& context_;
  TCheckSink& sink_;
  std::unordered_map<const TLocItem*, const TExchangeUnit*> units_;
  std::set<std::pair<std::string, std::string>> reported_;
};

}  // namespace

void CheckHotkeys(const TCheckContext& context, TCheckSink& sink) {
  if (!context.Forms || !context.Units) return;
  THotkeyChecker(context, sink).Run();
}

}  // namespace sw
