// The property rules editor's logic (see RulesEditorLogic.h).
#include "window/RulesEditorLogic.h"

#include "window/CountsLogic.h"
#include "extract/forms/LocFormProc.h"
#include "base/AsciiText.h"

namespace sw {

namespace {

char MarkerOf(int kind) { return kind == TRulesEditorLogic::rkExclude ? '-' : kind == TRulesEditorLogic::rkIncludeAll ? '*' : '+'; }

int KindOf(const std::string& rule) {
  const std::string trimmed = TrimSpaces(rule);
  if (trimmed.empty()) return TRulesEditorLogic::rkInclude;
  return trimmed[0] == '-' ? TRulesEditorLogic::rkExclude
         : trimmed[0] == '*' ? TRulesEditorLogic::rkIncludeAll
                             : TRulesEditorLogic::rkInclude;
}

std::string MaskOf(const std::string& rule) {
  const std::string trimmed = TrimSpaces(rule);
  return trimmed.empty() ? std::string() : trimmed.substr(1);
}

// Whether the rules select a property, through the extraction's own matcher.
bool Selects(const TStringList& rules, const std::string& form, const std::string& path, const std::string& property,
             const std::string& className) {
  TLocFormProcessor proc;
  proc.SetPropRules(rules);
  proc.FormName = form;
  return proc.MatchPropRules(className, path, property).Selected;
}

std::string Quoted(int index, const std::string& rule) { return "rule " + std::to_string(index + 1) + " \"" + rule + "\""; }

}  // namespace

TRulesEditorLogic::TRulesEditorLogic(TScope scope, const std::string& libraryName, const TStringList& own,
                                     const TStringList& inherited)
    : scope_(scope), inherited_(inherited), own_(!own.Empty()) {
  rules_.Assign(own_ ? own : inherited);
  dlgRules.SetCaption(scope == TScope::Library ? "Property Rules of " + libraryName : "Default Property Rules");
  lvRules.Columns = {{"Rule", 200}, {"Meaning", 320}};
  cbKind.AddItem("+ Include");
  cbKind.AddItem("* Include, also texts without letters");
  cbKind.AddItem("- Exclude");
  cbKind.SetItemIndex(rkInclude);
  edTestPath.SetText("MainForm.Panel1.Caption");
  edTestClass.SetText("TPanel");

  lvRules.OnClick = [this] { SelectionChanged(); };
  lvRules.OnKeyDown = [this](TListKey key, bool ctrl) {
    if (ctrl && (key == TListKey::Up || key == TListKey::Down)) {
      Move(key == TListKey::Up ? -1 : 1);
      return true;
    }
    if (key == TListKey::Delete) {
      Remove();
      return true;
    }
    return false;
  };
  lvRules.OnDragDrop = [this](int target) {
    const int from = lvRules.Selected();
    if (from < 0) return;
    const int to = target < 0 ? rules_.Count() - 1 : target;
    if (to == from) return;
    const std::string rule = rules_[from];
    rules_.Delete(from);
    rules_.Insert(to, rule);
    Edited();
    FillRows(to);
  };
  cbKind.OnChange = [this] { UpdateButtons(); };
  edMask.OnChange = [this] { UpdateButtons(); };
  edTestPath.OnChange = [this] { UpdateTest(); };
  edTestClass.OnChange = [this] { UpdateTest(); };
  btAdd.OnClick = [this] { Add(); };
  btChange.OnClick = [this] { Change(); };
  btRemove.OnClick = [this] { Remove(); };
  btUp.OnClick = [this] { Move(-1); };
  btDown.OnClick = [this] { Move(1); };
  btDefaults.OnClick = [this] { UseDefaults(); };
  FillRows(-1);
}

std::optional<TStringList> TRulesEditorLogic::Result() const {
  if (!own_) return std::nullopt;
  return rules_;
}

std::string TRulesEditorLogic::Meaning(const std::string& rule) {
  const std::string mask = MaskOf(rule);
  if (mask.empty()) return "no rule (empty)";
  switch (KindOf(rule)) {
    case rkExclude: return "never record " + mask;
    case rkIncludeAll: return "record " + mask + ", also without letters";
    default: return "record " + mask;
  }
}

std::string TRulesEditorLogic::RuleFromFields() const {
  return std::string(1, MarkerOf(cbKind.ItemIndex())) + TrimSpaces(edMask.Text());
}

std::string TRulesEditorLogic::RuleError(const std::string& mask) const {
  const std::string trimmed = TrimSpaces(mask);
  if (trimmed.empty()) return "Type a mask, such as .Caption or TLabel.Caption";
  // The settings keep a library's rules as keys: what follows a "=" is lost.
  if (trimmed.find('=') != std::string::npos) return "A mask cannot hold \"=\"";
  const std::string rule = std::string(1, MarkerOf(cbKind.ItemIndex())) + trimmed;
  for (int i = 0; i < rules_.Count(); ++i)
    if (SameText(TrimSpaces(rules_[i]), rule)) return "The list already holds this rule (" + Quoted(i, rule) + ")";
  return std::string();
}

void TRulesEditorLogic::FillRows(int select) {
  lvRules.ClearRows();
  for (const auto& rule : rules_) lvRules.AddRow({rule, {Meaning(rule)}});
  lvRules.SetSelected(select);
  if (scope_ == TScope::Library)
    lblScope.SetCaption(own_ ? "The library's own rules (" + CountOf(rules_.Count(), "rule", "rules") +
                                   "), in force instead of the default rules."
                             : "The library has no rules of its own: the default rules shown are in force. "
                               "A change gives it its own.");
  else
    lblScope.SetCaption(own_ ? "The default rules of every library without rules of its own (" +
                                   CountOf(rules_.Count(), "rule", "rules") + ")."
                             : "The built-in default rules are in force. A change makes these the defaults.");
  SelectionChanged();
}

void TRulesEditorLogic::SelectionChanged() {
  const int selected = lvRules.Selected();
  if (selected >= 0 && selected < rules_.Count()) {
    cbKind.SetItemIndex(KindOf(rules_[selected]));
    edMask.SetText(MaskOf(rules_[selected]));
  }
  UpdateButtons();
}

void TRulesEditorLogic::UpdateButtons() {
  const int selected = lvRules.Selected();
  const bool hasSelection = selected >= 0 && selected < rules_.Count();
  const std::string error = RuleError(edMask.Text());
  // The selected rule itself is no obstacle to changing it.
  const bool sameAsSelected = hasSelection && SameText(TrimSpaces(rules_[selected]), RuleFromFields());
  lblRuleError.SetCaption(sameAsSelected ? std::string() : error);
  btAdd.SetEnabled(error.empty());
  btChange.SetEnabled(hasSelection && error.empty());
  btRemove.SetEnabled(hasSelection);
  btUp.SetEnabled(hasSelection && selected > 0);
  btDown.SetEnabled(hasSelection && selected + 1 < rules_.Count());
  btDefaults.SetEnabled(own_);
  UpdateTest();
}

void TRulesEditorLogic::Edited() {
  modified_ = true;
  own_ = true;
}

void TRulesEditorLogic::Add() {
  if (!RuleError(edMask.Text()).empty()) return;
  // After the selected rule, else at the end: the order decides between rules.
  const int selected = lvRules.Selected();
  const int at = selected >= 0 && selected < rules_.Count() ? selected + 1 : rules_.Count();
  rules_.Insert(at, RuleFromFields());
  Edited();
  FillRows(at);
}

void TRulesEditorLogic::Change() {
  const int selected = lvRules.Selected();
  if (selected < 0 || selected >= rules_.Count() || !RuleError(edMask.Text()).empty()) return;
  rules_[selected] = RuleFromFields();
  Edited();
  FillRows(selected);
}

void TRulesEditorLogic::Remove() {
  const int selected = lvRules.Selected();
  if (selected < 0 || selected >= rules_.Count()) return;
  rules_.Delete(selected);
  Edited();
  FillRows(std::min(selected, rules_.Count() - 1));
}

void TRulesEditorLogic::Move(int delta) {
  const int selected = lvRules.Selected();
  const int to = selected + delta;
  if (selected < 0 || selected >= rules_.Count() || to < 0 || to >= rules_.Count()) return;
  const std::string rule = rules_[selected];
  rules_.Delete(selected);
  rules_.Insert(to, rule);
  Edited();
  FillRows(to);
}

void TRulesEditorLogic::UseDefaults() {
  rules_.Assign(inherited_);
  own_ = false;
  modified_ = true;
  FillRows(-1);
}

std::string TRulesEditorLogic::TestText(const std::string& path, const std::string& className) const {
  // "Form.Component.Property": the property may hold dots ("EditLabel.Caption"),
  // so only the first two parts are the form and the component.
  const std::string text = TrimSpaces(path);
  const std::size_t formEnd = text.find('.');
  if (text.empty() || formEnd == std::string::npos || formEnd == 0 || formEnd + 1 >= text.size())
    return "Type a property as Form.Component.Property, such as MainForm.Panel1.Caption";
  const std::string form = text.substr(0, formEnd);
  std::string component = text.substr(formEnd + 1);
  std::string property;
  const std::size_t componentEnd = component.find('.');
  if (componentEnd == std::string::npos) {
    // "Form.Caption": a property of the form itself.
    property = component;
    component.clear();
  } else {
    property = component.substr(componentEnd + 1);
    component.resize(componentEnd);
  }
  if (property.empty()) return "Type a property as Form.Component.Property, such as MainForm.Panel1.Caption";
  const std::string cls = TrimSpaces(className);
  if (!Selects({"+*"}, form, component, property, cls))
    return "Not recorded: " + property + " is never a text (colours and character sets are left alone)";
  const bool selected = Selects(rules_, form, component, property, cls);
  int includer = -1, excluder = -1;
  for (int i = 0; i < rules_.Count(); ++i) {
    const int kind = KindOf(rules_[i]);
    if (kind == rkExclude) {
      if (excluder < 0 && !Selects({"+*", rules_[i]}, form, component, property, cls)) excluder = i;
    } else if (includer < 0 && Selects({rules_[i]}, form, component, property, cls)) {
      includer = i;
    }
  }
  if (selected) {
    const bool star = KindOf(rules_[includer]) == rkIncludeAll;
    return "Recorded: " + Quoted(includer, TrimSpaces(rules_[includer])) + " includes it" +
           (star ? ", even without a letter" : " when its text holds a letter");
  }
  if (includer >= 0 && excluder >= 0)
    return "Not recorded: " + Quoted(includer, TrimSpaces(rules_[includer])) + " includes it, but " +
           Quoted(excluder, TrimSpaces(rules_[excluder])) + " excludes it";
  if (excluder >= 0) return "Not recorded: " + Quoted(excluder, TrimSpaces(rules_[excluder])) + " excludes it";
  return "Not recorded: no rule includes it";
}

void TRulesEditorLogic::UpdateTest() { lblTestResult.SetCaption(TestText(edTestPath.Text(), edTestClass.Text())); }

}  // namespace sw
