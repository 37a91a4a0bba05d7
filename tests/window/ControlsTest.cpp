// The control models' event rules the window logic relies on: a text or check
// state changed from code fires the control's event, a list selection changed
// from code does not; selections follow inserted and deleted entries.
#include "window/Controls.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

TEST(ControlsTest, EditFiresChangeForEveryNewTextAndKeepsItsLimit) {
  TEditModel edit("ed");
  int changes = 0;
  edit.OnChange = [&] { ++changes; };
  edit.SetText("abc");
  edit.SetText("abc");
  EXPECT_EQ(changes, 1);
  edit.SelectAll();
  EXPECT_TRUE(edit.AllSelected());
  edit.SetText("abcd");
  EXPECT_FALSE(edit.AllSelected());
  EXPECT_EQ(changes, 2);

  edit.MaxLength = 3;
  edit.SetText("xyzw");
  EXPECT_EQ(edit.Text(), "xyz");
  edit.SetText("xyzq");  // the same text once cut
  EXPECT_EQ(changes, 3);
}

TEST(ControlsTest, CheckBoxFiresClickWhenItsStateChanges) {
  TCheckBoxModel box("cb", "Box", true);
  int clicks = 0;
  box.OnClick = [&] { ++clicks; };
  box.SetChecked(true);
  box.SetChecked(false);
  box.SetChecked(false);
  EXPECT_EQ(clicks, 1);
}

TEST(ControlsTest, ComboSelectionFromCodeIsSilentAndFollowsDeletions) {
  TComboBoxModel combo("cb");
  int changes = 0;
  combo.OnChange = [&] { ++changes; };
  for (const char* item : {"a", "b", "c"}) combo.AddItem(item);
  combo.SetItemIndex(2);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(combo.Text(), "c");
  combo.DeleteItem(0);
  EXPECT_EQ(combo.ItemIndex(), 1);
  combo.DeleteItem(1);
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Text(), "");
  combo.SetItemIndex(5);
  EXPECT_EQ(combo.ItemIndex(), -1);
  combo.UserSelect(0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(combo.Text(), "b");
}

TEST(ControlsTest, ListSelectionFollowsInsertedAndDeletedRows) {
  TListViewModel list("lv");
  int clicks = 0;
  int dropped = 99;
  list.OnClick = [&] { ++clicks; };
  list.OnDragDrop = [&](int row) { dropped = row; };
  for (const char* caption : {"a", "b", "c"}) list.AddRow({caption, {}});
  list.SetSelected(1);
  EXPECT_EQ(clicks, 0);
  list.InsertRow(0, {"z", {}});
  EXPECT_EQ(list.Selected(), 2);
  EXPECT_EQ(list.Rows()[2].Caption, "b");
  list.InsertRow(3, {"y", {}});
  EXPECT_EQ(list.Selected(), 2);
  list.DeleteRow(0);
  EXPECT_EQ(list.Selected(), 1);
  list.DeleteRow(1);
  EXPECT_EQ(list.Selected(), -1);
  list.UserClick(7);
  EXPECT_EQ(list.Selected(), -1);
  EXPECT_EQ(clicks, 1);
  list.UserDragDrop(-1);
  EXPECT_EQ(dropped, -1);
}

TEST(ControlsTest, DisabledButtonIgnoresClicks) {
  TButtonModel button("bt", "Go");
  int clicks = 0;
  button.OnClick = [&] { ++clicks; };
  button.SetEnabled(false);
  button.Click();
  button.SetEnabled(true);
  button.Click();
  EXPECT_EQ(clicks, 1);
}

TEST(ControlsTest, FocusFromCodeEntersAtOnceOnlyWithoutAView) {
  TEditModel edit("ed");
  int enters = 0;
  int requests = 0;
  edit.OnEnter = [&] { ++enters; };
  edit.SetFocus();
  EXPECT_EQ(enters, 1);
  edit.OnFocusRequest = [&] { ++requests; };
  edit.SetFocus();
  EXPECT_EQ(enters, 1) << "the view reports the focus when it arrives";
  EXPECT_EQ(requests, 1);
  EXPECT_EQ(edit.FocusRequests(), 2);
}

}  // namespace
}  // namespace sw
