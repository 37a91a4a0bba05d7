#include "storage/PropRules.h"

namespace sw {

void SetDefaultPropRules(TStringList& list) {
  list.Clear();
  for (const char* rule : {"+.Caption", "+.Hint", "+.Header", "+.DisplayLabel", "+.ReportTitle", "+.Text",
                           "+.Title.Caption", "+.Items.Strings", "+.Lines.Strings", "+.Hints.Strings",
                           "+.EditLabel.Caption", "+.Values"})
    list.Add(rule);
}

}  // namespace sw
