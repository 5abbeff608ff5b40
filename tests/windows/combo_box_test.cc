#include "framework/combo_box.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/form.h"
#include "tests/windows/framework_fixture.h"

namespace {

class TestCombo : public TComboBoxBase {
 public:
  using TComboBoxBase::TComboBoxBase;

  int created = 0;
  std::vector<int> drawn;
  std::vector<std::string> events;

 protected:
  void WindowCreated() override {
    TComboBoxBase::WindowCreated();
    ++created;
  }
  void DrawItem(const OwnerDrawItem& item) override {
    TComboBoxBase::DrawItem(item);
    drawn.push_back(item.index);
  }
  void Click() override {
    events.push_back("click " + Text());
    TComboBoxBase::Click();
  }
  void Change() override {
    events.push_back("change " + Text());
    TComboBoxBase::Change();
  }
};

class ComboBoxTest : public FrameworkTest {
 protected:
  ComboBoxTest() : form(application), combo(form) {
    form.SetClientSize(250, 200);
    combo.SetBounds(10, 10, 159, 19);
  }

  TForm form;
  TestCombo combo;
};

TEST_F(ComboBoxTest, ItemsStayInTheOrderAdded) {
  int hard = 0;
  EXPECT_EQ(combo.AddItem("c: [system]", &hard), 0);
  EXPECT_EQ(combo.AddItem("a:"), 1);
  EXPECT_EQ(combo.ItemCount(), 2);
  EXPECT_EQ(combo.ItemText(0), "c: [system]");
  EXPECT_EQ(combo.ItemObject(0), &hard);
  EXPECT_EQ(combo.ItemObject(1), nullptr);
  const auto style = GetWindowLongPtrA(combo.Handle(), GWL_STYLE);
  EXPECT_EQ(style & 0x3, CBS_DROPDOWNLIST);
  EXPECT_NE(style & CBS_OWNERDRAWFIXED, 0);
  EXPECT_EQ(style & CBS_SORT, 0);
}

TEST_F(ComboBoxTest, IndexOutsideTheListRaisesWithTheIndex) {
  combo.AddItem("a:");
  for (int index : {-1, 1}) {
    const std::string message = "リストのインデックスが範囲を超えています (" + std::to_string(index) + ")";
    ExpectRaises<EStringListError>([&] { combo.ItemText(index); }, message);
    ExpectRaises<EStringListError>([&] { combo.ItemObject(index); }, message);
  }
}

TEST_F(ComboBoxTest, ItemIndexSelectsWithoutNotifying) {
  combo.AddItem("a:");
  combo.AddItem("c: []");
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ(combo.Text(), "");
  combo.SetItemIndex(1);
  EXPECT_EQ(combo.ItemIndex(), 1);
  EXPECT_EQ(combo.Text(), "c: []");
  combo.SetItemIndex(-1);
  EXPECT_EQ(combo.Text(), "");
  EXPECT_TRUE(combo.events.empty());
}

TEST_F(ComboBoxTest, UserSelectionRunsClickThenChangeWithTheNewText) {
  int changes = 0;
  combo.OnChange = [&](TObject& sender) {
    EXPECT_EQ(&sender, &combo);
    ++changes;
  };
  combo.AddItem("a:");
  combo.AddItem("c: []");
  combo.SetItemIndex(0);
  form.Show();
  combo.SetFocus();
  SendMessageA(combo.Handle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(combo.events, (std::vector<std::string>{"click c: []", "change c: []"}));
  EXPECT_EQ(changes, 1);
}

TEST_F(ComboBoxTest, DropsDownAndCloses) {
  int dropDowns = 0;
  combo.OnDropDown = [&](TObject& sender) {
    EXPECT_EQ(&sender, &combo);
    ++dropDowns;
  };
  combo.AddItem("a:");
  form.Show();
  EXPECT_FALSE(combo.DroppedDown());
  combo.SetDroppedDown(true);
  EXPECT_TRUE(combo.DroppedDown());
  EXPECT_EQ(dropDowns, 1);
  combo.SetDroppedDown(false);
  EXPECT_FALSE(combo.DroppedDown());
  // A typed character drops the list down only with AutoDropDown.
  combo.SetFocus();
  for (bool autoDropDown : {false, true}) {
    combo.SetAutoDropDown(autoDropDown);
    const int before = dropDowns;
    SendMessageA(combo.Handle(), WM_CHAR, 'a', 1);
    // Wine rolls the list up again once the typed key has selected an item: the drop-down
    // notification is what tells that it dropped.
    EXPECT_EQ(dropDowns - before, autoDropDown ? 1 : 0);
    combo.SetDroppedDown(false);
  }
}

TEST_F(ComboBoxTest, ClosedBoxDrawsTheSelectedItem) {
  combo.AddItem("a:");
  combo.AddItem("c: []");
  combo.SetItemIndex(1);
  form.Show();
  combo.drawn.clear();
  RedrawWindow(combo.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(combo.drawn, std::vector<int>{1});
}

TEST_F(ComboBoxTest, ItemHeightRecreatesKeepingItems) {
  combo.AddItem("a:");
  combo.AddItem("c: []");
  EXPECT_EQ(SendMessageA(combo.Handle(), CB_GETITEMHEIGHT, 0, 0), 16);
  const LRESULT field = SendMessageA(combo.Handle(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
  combo.SetItemHeight(0);
  combo.SetItemHeight(16);
  EXPECT_EQ(combo.created, 1);
  combo.SetItemHeight(13);
  EXPECT_EQ(combo.created, 2);
  EXPECT_EQ(SendMessageA(combo.Handle(), CB_GETITEMHEIGHT, 0, 0), 13);
  // Wine reports the field with its border; the field follows the item height either way.
  EXPECT_EQ(SendMessageA(combo.Handle(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), field - 3);
  EXPECT_EQ(combo.ItemCount(), 2);
  EXPECT_EQ(combo.ItemText(1), "c: []");
}

}  // namespace
