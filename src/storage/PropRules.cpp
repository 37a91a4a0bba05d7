#include "storage/PropRules.h"

namespace sw {

void SetDefaultPropRules(TStringList& list) {
  list.Clear();
  for (const char* rule : {"+.Caption", "+.Hint", "+.Header", "+.DisplayLabel", "+.ReportTitle", "+.Text",
                           "+.Title.Caption", "+.Items.Strings", "+.Lines.Strings", "+.Hints.Strings",
                           "+.EditLabel.Caption", "+.Values",
                           // Texts real forms hold beyond the twelve above: a status bar's
                           // text in simple mode, the grey hint of an empty edit, the
                           // column titles of a key/value grid.
                           "+.SimpleText", "+.TextHint", "+.TitleCaptions.Strings",
                           // A file dialog's title and its file-type names; by class,
                           // because a data set's Filter is an expression, not a text.
                           "+TOpen*Dialog.Title", "+TSave*Dialog.Title", "+TOpen*Dialog.Filter",
                           "+TSave*Dialog.Filter",
                           // A task dialog's title and its other texts.
                           "+TTaskDialog.Title", "+TTaskDialog.*Text"})
    list.Add(rule);
}

}  // namespace sw
