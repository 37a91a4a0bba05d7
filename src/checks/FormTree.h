// The parent/child structure of a library's native forms, which the
// translation storage does not keep (it holds each component under one
// flattened path). Every form file of a folder (binary, behind a resource
// header, or text) is read into a tree of components, each knowing where
// its properties are stored: the storage's form and component path, named
// exactly as the form extraction names them (LocFormProc.h: an inherited
// component inside an inline frame is "<frame>.<name>", a component without
// a name "<parent>.<class><position>").
//
// Frames and inherited forms are merged in:
// - an inline frame (`inline DocFrame: TDocFrame`) gets the components of
//   the form file whose root has its class; the host's `inherited`
//   components below it override them (their properties are looked up in
//   the host first, then in the frame's own form);
// - an inherited form (`inherited Form2: TForm2`) starts from its ancestor's
//   tree: the ancestor class is read from the unit beside the form file
//   (`TForm2 = class(TBaseForm)` in the .pas, `class TForm2 : public
//   TBaseForm` in the .h), and the form file holding the root of that class
//   gives its components.
// An ancestor or frame that cannot be found leaves only what the file itself
// holds; a cycle of ancestors stops where it closes.
//
// A form file that cannot be read is recorded ("file: message") and left
// out; nothing here raises for what the files hold. Properties are skipped,
// not interpreted: the values come from the storage.
#pragma once

#include <string>
#include <vector>

#include "util/LocaleCatalogue.h"

namespace sw {

// Where a component's properties are stored.
struct TPropertySource {
  std::string Form;  // the storage's form (the root component's name)
  std::string Path;  // the component path in that form ("" for the form itself)
};

struct TFormNode {
  std::string Name;
  std::string ClassName;  // without a child position
  bool Inline = false;
  bool Inherited = false;
  // Looked up in order; the first that holds a property gives it.
  std::vector<TPropertySource> Sources;
  std::vector<TFormNode> Children;
};

struct TFormTree {
  std::string FileName;
  std::string FormName;
  TFormNode Root;  // frames and ancestors merged in
};

class TFormTrees {
 public:
  std::vector<TFormTree> Forms;
  std::vector<std::string> Errors;  // "file: message" of the files left out
};

// Reads every form file (.dfm) of `folder` (not its sub-folders), text forms
// decoded with `langId`'s code page, and merges frames and ancestors.
TFormTrees ReadFormTrees(const std::string& folder, LANGID langId);

// One form file's own tree, nothing merged; raises the form reader's errors.
TFormNode ReadFormNode(const std::string& fileBytes, LANGID langId);

}  // namespace sw
