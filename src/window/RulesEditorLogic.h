// The property rules editor: the rules of one library ([PropRules<N>Lib]) or
// the default rules of every library without rules of its own ([PropRules]),
// as a list the user adds to, changes, removes from and reorders, and a test
// box that answers whether a property of a form ("MainForm.Panel1.Caption",
// with its component's class) is recorded under the rules shown, and which
// rule decides it. The answer comes from the matcher the form extraction
// itself uses (TLocFormProcessor::MatchPropRules).
//
// A rule is a marker ("+" includes, "*" includes also texts without a
// letter, "-" excludes) and a wildcard mask. The editor shows what is in
// force: a library without rules of its own starts from the defaults, and
// the defaults without [PropRules] from the built-in rules; "Use the
// defaults" goes back to that. OK hands the result to the caller, which
// writes it; the editor writes nothing itself.
#pragma once

#include <optional>
#include <string>

#include "window/Controls.h"
#include "runtime/StringList.h"

namespace sw {

class TRulesEditorLogic {
 public:
  enum class TScope { Library, Defaults };
  // `own`: the rules written for this scope (empty: none); `inherited`: what
  // is in force without them (for a library the default rules, for the
  // defaults the built-in ones). `libraryName` names the library in the title.
  TRulesEditorLogic(TScope scope, const std::string& libraryName, const TStringList& own,
                    const TStringList& inherited);

  TLabelModel dlgRules{"dlgRules"};
  // Whose rules these are and whether they are its own.
  TLabelModel lblScope{"lblScope"};
  TListViewModel lvRules{"lvRules"};
  TLabelModel lblKind{"lblKind", "&Kind:"};
  TComboBoxModel cbKind{"cbKind"};
  TLabelModel lblMask{"lblMask", "&Mask:"};
  TEditModel edMask{"edMask"};
  TButtonModel btAdd{"btAdd", "&Add"};
  TButtonModel btChange{"btChange", "C&hange"};
  TButtonModel btRemove{"btRemove", "&Remove"};
  TButtonModel btUp{"btUp", "Move &up"};
  TButtonModel btDown{"btDown", "Move do&wn"};
  TButtonModel btDefaults{"btDefaults", "Use the &defaults"};
  // Why the mask cannot be added ("" when it can).
  TLabelModel lblRuleError{"lblRuleError"};
  TLabelModel lblTestPath{"lblTestPath", "&Property:"};
  TEditModel edTestPath{"edTestPath"};
  TLabelModel lblTestClass{"lblTestClass", "C&lass:"};
  TEditModel edTestClass{"edTestClass"};
  TLabelModel lblTestResult{"lblTestResult"};
  TButtonModel btOK{"btOK", "OK"};
  TButtonModel btCancel{"btCancel", "Cancel"};

  // The kinds of `cbKind`, in its order.
  enum TKind { rkInclude = 0, rkIncludeAll = 1, rkExclude = 2 };

  const TStringList& Rules() const { return rules_; }
  // What OK leaves: the rules to write, or none when the scope keeps no
  // rules of its own (nothing changed, or "Use the defaults").
  std::optional<TStringList> Result() const;
  bool Modified() const { return modified_; }

  // Why `mask` with the chosen kind is no rule to add ("" when it is one).
  std::string RuleError(const std::string& mask) const;
  // The test box's answer for "Form.Component.Property" of class `className`
  // (`className` may be empty) under the rules shown.
  std::string TestText(const std::string& path, const std::string& className) const;
  // What a rule line means, as the list's second column says it.
  static std::string Meaning(const std::string& rule);

 private:
  void FillRows(int select);
  void SelectionChanged();
  void UpdateButtons();
  void UpdateTest();
  std::string RuleFromFields() const;
  void Add();
  void Change();
  void Remove();
  void Move(int delta);
  void UseDefaults();
  void Edited();

  TScope scope_;
  TStringList rules_;
  TStringList inherited_;
  bool own_ = false;
  bool modified_ = false;
};

}  // namespace sw
