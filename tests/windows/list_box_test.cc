#include "framework/list_box.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "framework/font.h"
#include "framework/form.h"
#include "framework/type_ahead.h"
#include "tests/windows/browsing_fixture.h"
#include "tests/windows/framework_fixture.h"

namespace {

// A list that counts its window creations and draws, takes key times from the test, and
// reports what a subclass sees of each typed key after the base has handled it.
class TestList : public TListBoxBase {
 public:
  using TListBoxBase::TListBoxBase;

  int created = 0;
  int measured = 0;
  std::vector<void*> deleted;
  std::vector<int> drawn;
  std::vector<int> keysAfterBase;
  std::uint32_t now = 0;
  bool refuseItems = false;

  enum class Kind { Plain, Marked, Other };
  int AddKind(const std::string& text, Kind kind) { return AddItem(text, nullptr, kind); }
  Kind KindOf(int index) { return ItemKind<Kind>(index); }

 protected:
  void WindowCreated() override {
    TListBoxBase::WindowCreated();
    ++created;
  }
  void MeasureItemRequested(MEASUREITEMSTRUCT& item) override {
    TListBoxBase::MeasureItemRequested(item);
    ++measured;
  }
  void DeleteItemRequested(const DELETEITEMSTRUCT& item) override {
    deleted.push_back(reinterpret_cast<void*>(item.itemData));
  }
  void DrawItem(const OwnerDrawItem& item) override {
    TListBoxBase::DrawItem(item);
    drawn.push_back(item.index);
  }
  void KeyPress(char& key) override {
    TListBoxBase::KeyPress(key);
    keysAfterBase.push_back(static_cast<unsigned char>(key));
  }
  std::uint32_t KeyTime() const override { return now; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == LB_ADDSTRING && refuseItems) return LB_ERRSPACE;
    return TListBoxBase::HandleMessage(message, wParam, lParam);
  }
};

class ListBoxTest : public FrameworkTest {
 protected:
  ListBoxTest() : form(application), list(form) {
    form.SetClientSize(300, 250);
    list.SetBounds(10, 10, 200, 200);
    list.OnClick = [this](TObject& sender) {
      EXPECT_EQ(&sender, &list);
      ++clicks;
    };
  }

  int IndexOf(const std::string& text) {
    for (int i = 0; i < list.ItemCount(); ++i) {
      if (list.ItemText(i) == text) return i;
    }
    return -1;
  }

  TForm form;
  TestList list;
  int clicks = 0;
};

TEST_F(ListBoxTest, SortedInsertionReturnsEachItemsPosition) {
  list.SetSorted(true);
  struct Step {
    std::string text;
    int index;
  };
  const Step steps[] = {{"m", 0}, {"c", 0}, {"x", 2}, {"a", 0}, {"d", 2}, {"c", 1}};
  for (const Step& step : steps) EXPECT_EQ(list.AddItem(step.text), step.index) << step.text;
  EXPECT_EQ(ItemTexts(list), (std::vector<std::string>{"a", "c", "c", "d", "m", "x"}));
}

TEST_F(ListBoxTest, UnsortedInsertionAppends) {
  EXPECT_EQ(list.AddItem("b"), 0);
  EXPECT_EQ(list.AddItem("a"), 1);
  EXPECT_EQ(list.AddItem("b"), 2);
  EXPECT_EQ(ItemTexts(list), (std::vector<std::string>{"b", "a", "b"}));
}

TEST_F(ListBoxTest, ItemsKeepTheirObjectsAndTextsUpToNul) {
  int first = 0;
  int second = 0;
  list.SetSorted(true);
  list.AddItem("zeta", &first);
  list.AddItem(std::string("alpha\0hidden", 12), &second);
  EXPECT_EQ(list.ItemText(0), "alpha");
  EXPECT_EQ(list.ItemObject(0), &second);
  EXPECT_EQ(list.ItemObject(1), &first);
  list.AddItem("ソフト表");
  EXPECT_EQ(list.ItemText(2), "ソフト表");
}

TEST_F(ListBoxTest, KindTagsFollowTheirItemsThroughSortingAndRecreation) {
  using Kind = TestList::Kind;
  list.SetSorted(true);
  list.AddKind("c", Kind::Marked);
  list.AddKind("a", Kind::Other);
  list.AddItem("b");
  const std::vector<Kind> expected{Kind::Other, Kind::Plain, Kind::Marked};
  for (const bool multiSelect : {false, true}) {
    list.SetMultiSelect(multiSelect);
    std::vector<Kind> kinds;
    for (int i = 0; i < list.ItemCount(); ++i) kinds.push_back(list.KindOf(i));
    EXPECT_EQ(kinds, expected) << "multiSelect " << multiSelect;
  }
  list.Clear();
  list.AddItem("z");
  EXPECT_EQ(list.KindOf(0), Kind::Plain);
  ExpectRaises<EStringListError>([&] { list.KindOf(1); }, "リストのインデックスが範囲を超えています (1)");
}

TEST_F(ListBoxTest, IndexOutsideTheListRaisesWithTheIndex) {
  list.AddItem("a");
  list.AddItem("b");
  for (int index : {-1, 2, 7}) {
    const std::string message = "リストのインデックスが範囲を超えています (" + std::to_string(index) + ")";
    ExpectRaises<EStringListError>([&] { list.ItemText(index); }, message);
    ExpectRaises<EStringListError>([&] { list.ItemObject(index); }, message);
    ExpectRaises<EListError>([&] { list.ItemSelected(index); }, message);
    ExpectRaises<EListError>([&] { list.SetItemSelected(index, true); }, message);
  }
}

TEST_F(ListBoxTest, DeletedItemsAreReportedToTheList) {
  int first = 0;
  int second = 0;
  list.AddItem("a", &first);
  list.AddItem("b", &second);
  list.Clear();
  EXPECT_EQ(list.ItemCount(), 0);
  EXPECT_EQ(std::set<void*>(list.deleted.begin(), list.deleted.end()), (std::set<void*>{&first, &second}));
  EXPECT_EQ(list.deleted.size(), 2u);
}

TEST_F(ListBoxTest, RefusedItemRaisesOutOfResources) {
  list.refuseItems = true;
  ExpectRaises<EOutOfResources>([&] { list.AddItem("a"); }, "行を挿入できません");
}

TEST_F(ListBoxTest, SelectAllNeedsMultiSelect) {
  for (const char* text : {"a", "b", "c"}) list.AddItem(text);
  list.SelectAll();
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(list.ItemSelected(i)) << i;
  list.SetMultiSelect(true);
  list.SetItemSelected(1, true);
  list.SelectAll();
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(list.ItemSelected(i)) << i;
}

TEST_F(ListBoxTest, CurrentIndexFollowsTheSelectionKind) {
  EXPECT_EQ(list.CurrentIndex(), -1);
  for (const char* text : {"a", "b", "c"}) list.AddItem(text);
  EXPECT_EQ(list.CurrentIndex(), -1);
  list.SetCurrentIndex(2);
  EXPECT_EQ(list.CurrentIndex(), 2);
  EXPECT_TRUE(list.ItemSelected(2));
  list.SetItemSelected(2, false);
  EXPECT_EQ(list.CurrentIndex(), -1);

  list.SetMultiSelect(true);
  list.SetCurrentIndex(1);
  EXPECT_EQ(list.CurrentIndex(), 1);
  EXPECT_FALSE(list.ItemSelected(1)) << "only the focus rectangle moves";
}

TEST_F(ListBoxTest, EmptyMultiSelectListHasNoCurrentIndex) {
  list.SetMultiSelect(true);
  EXPECT_EQ(list.CurrentIndex(), -1);
}

TEST_F(ListBoxTest, SelectionKindChangeRecreatesTheWindowKeepingItems) {
  int object = 0;
  list.AddItem("b", &object);
  list.AddItem("a");
  list.SetCurrentIndex(0);
  EXPECT_EQ(list.created, 1);
  struct Step {
    bool multiSelect;
    bool extendedSelect;
    LONG_PTR style;
  };
  const Step steps[] = {
      {true, true, LBS_EXTENDEDSEL},
      {true, false, LBS_MULTIPLESEL},
      {false, false, 0},
  };
  int expectedCreations = 1;
  for (const Step& step : steps) {
    list.SetMultiSelect(step.multiSelect);
    list.SetExtendedSelect(step.extendedSelect);
    ++expectedCreations;
    EXPECT_EQ(list.created, expectedCreations);
    EXPECT_EQ(GetWindowLongPtrA(list.Handle(), GWL_STYLE) & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL), step.style);
    EXPECT_EQ(ItemTexts(list), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(list.ItemObject(0), &object);
    EXPECT_FALSE(list.ItemSelected(0)) << "the selection is not kept";
  }
  list.SetMultiSelect(false);
  EXPECT_EQ(list.created, expectedCreations) << "an unchanged value re-creates nothing";
}

TEST_F(ListBoxTest, ItemHeightIgnoresZeroAndUnchangedAndElseRecreates) {
  list.AddItem("a");
  EXPECT_EQ(list.measured, 1) << "measured through the parent at creation";
  EXPECT_EQ(SendMessageA(list.Handle(), LB_GETITEMHEIGHT, 0, 0), 16);
  list.SetItemHeight(0);
  list.SetItemHeight(-3);
  list.SetItemHeight(16);
  EXPECT_EQ(list.created, 1);
  const int fitted = list.Font().TextHeight();
  list.SetItemHeight(fitted);
  EXPECT_EQ(list.ItemHeight(), fitted);
  EXPECT_EQ(list.created, fitted == 16 ? 1 : 2);
  list.SetItemHeight(21);
  EXPECT_EQ(SendMessageA(list.Handle(), LB_GETITEMHEIGHT, 0, 0), 21);
  EXPECT_EQ(ItemTexts(list), std::vector<std::string>{"a"});
}

TEST_F(ListBoxTest, ColumnsShareTheWidthAndKeepTheItems) {
  for (int i = 0; i < 30; ++i) list.AddItem(std::to_string(i));
  struct Row {
    int columns;
    int width;  // of the list
    int creations;
  };
  // Only going between one column and several makes the window again.
  // More columns than pixels still gives each a pixel: the list divides by the width.
  const Row rows[] = {{2, 200, 2}, {4, 200, 2}, {4, 160, 2}, {300, 160, 2}, {4, 3, 2}, {-1, 160, 3}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.columns);
    list.SetColumns(row.columns);
    list.SetBounds(10, 10, row.width, 200);
    EXPECT_EQ(list.created, row.creations);
    EXPECT_EQ(ItemTexts(list).size(), 30u);
    const bool several = row.columns > 0;
    EXPECT_EQ((GetWindowLongPtrA(list.Handle(), GWL_STYLE) & LBS_MULTICOLUMN) != 0, several);
    RECT client{};
    RECT item{};
    GetClientRect(list.Handle(), &client);
    SendMessageA(list.Handle(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.right - item.left,
              several ? std::max(1L, client.right / row.columns) : client.right);
  }
  EXPECT_EQ(list.Columns(), 0);
}

TEST_F(ListBoxTest, UserClicksRunClickAndDoubleClick) {
  int doubleClicks = 0;
  list.OnDblClick = [&](TObject&) { ++doubleClicks; };
  for (const char* text : {"a", "b", "c"}) list.AddItem(text);
  form.Show();
  const LPARAM onSecondItem = MAKELPARAM(20, 16 + 8);
  PostMessageA(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, onSecondItem);
  PostMessageA(list.Handle(), WM_LBUTTONUP, 0, onSecondItem);
  PumpMessages();
  EXPECT_EQ(list.CurrentIndex(), 1);
  EXPECT_EQ(clicks, 1);
  PostMessageA(list.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, onSecondItem);
  PostMessageA(list.Handle(), WM_LBUTTONUP, 0, onSecondItem);
  PumpMessages();
  EXPECT_EQ(doubleClicks, 1);
}

TEST_F(ListBoxTest, ItemsAreDrawnByTheListInHighlightOrWindowColour) {
  for (const char* text : {"a", "b", "c"}) list.AddItem(text);
  list.SetCurrentIndex(1);
  form.Show();
  list.drawn.clear();
  RedrawWindow(list.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(std::set<int>(list.drawn.begin(), list.drawn.end()), (std::set<int>{0, 1, 2}));
  EXPECT_EQ(PixelAt(list.Handle(), 150, 16 + 8), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(PixelAt(list.Handle(), 150, 32 + 8), GetSysColor(COLOR_WINDOW));
}

TEST_F(ListBoxTest, EmptyListDrawsNoItem) {
  form.Show();
  list.SetFocus();
  RedrawWindow(list.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_TRUE(list.drawn.empty());
}

// Type-ahead: keys are sent as real WM_CHAR messages, with times set by the test.
struct Key {
  unsigned char byte;
  std::uint32_t time;
};

class TypeAheadTest : public ListBoxTest {
 protected:
  TypeAheadTest() {
    list.SetSorted(true);
    for (const char* text : {"alpha", "Beta", "bravo", "charlie", "ソフト", "表計算"}) list.AddItem(text);
  }

  // Each byte as one posted WM_CHAR, as an ANSI program receives typed text.
  void Type(const std::vector<Key>& keys) {
    for (const Key& key : keys) {
      list.now = key.time;
      PostMessageA(list.Handle(), WM_CHAR, key.byte, 1);
      PumpMessages();
    }
  }
};

constexpr unsigned char kBackspace = 8;
// "ソ" is 0x83 0x5C and "表" 0x95 0x5C in code page 932.
constexpr unsigned char kSoLead = 0x83;
constexpr unsigned char kHyoLead = 0x95;
constexpr unsigned char kTrail = 0x5C;

TEST_F(TypeAheadTest, FirstItemBeginningWithTheTypedTextBecomesCurrent) {
  struct Case {
    const char* name;
    std::vector<Key> keys;
    std::string current;  // empty: none
    int clicks;
  };
  const Case cases[] = {
      {"one letter", {{'b', 0}}, "Beta", 1},
      {"letters within 499 ms", {{'b', 1000}, {'r', 1499}}, "bravo", 2},
      {"500 ms restarts", {{'b', 1000}, {'r', 1500}}, "Beta", 1},
      {"case ignored", {{'B', 0}, {'R', 10}}, "bravo", 2},
      {"no match changes nothing", {{'z', 0}}, "", 0},
      {"longer text without match keeps the item", {{'c', 0}, {'z', 10}}, "charlie", 1},
      {"double-byte character", {{kSoLead, 0}, {kTrail, 0}}, "ソフト", 1},
      {"lead byte alone waits", {{kHyoLead, 0}}, "", 0},
      {"backspace to empty shows item 0", {{'b', 0}, {kBackspace, 10}}, "alpha", 2},
      {"backspace after a pause restarts empty", {{'c', 0}, {kBackspace, 600}}, "alpha", 2},
      {"backspace removes a whole double-byte character",
       {{kHyoLead, 0}, {kTrail, 0}, {kBackspace, 10}, {'c', 20}},
       "charlie",
       3},
      {"time wraps around", {{'b', 0xFFFFFF00u}, {'r', 0x000000F0u}}, "bravo", 2},
      {"wrapped time restarts after 500 ms", {{'b', 0xFFFFFF00u}, {'r', 0x00000100u}}, "Beta", 1},
  };
  for (const Case& c : cases) {
    // A long pause first, so each case starts with an empty search text; the second
    // Backspace covers a lead byte left waiting by the case before.
    const std::uint32_t pause = c.keys.front().time - 5000;
    Type({{kBackspace, pause}, {kBackspace, pause}});
    list.SetCurrentIndex(-1);
    clicks = 0;
    Type(c.keys);
    EXPECT_EQ(list.CurrentIndex(), c.current.empty() ? -1 : IndexOf(c.current)) << c.name;
    EXPECT_EQ(clicks, c.clicks) << c.name;
  }
}

TEST_F(TypeAheadTest, KeysAreConsumedExceptBackspaceEnterAndEscape) {
  Type({{'b', 0}, {kBackspace, 10}, {13, 20}, {27, 30}, {kSoLead, 40}, {kTrail, 40}});
  EXPECT_EQ(list.keysAfterBase, (std::vector<int>{0, kBackspace, 13, 27, 0, 0}));
}

TEST_F(TypeAheadTest, MultiSelectionKeepsOnlyTheFoundItem) {
  list.SetMultiSelect(true);
  list.SetItemSelected(0, true);
  list.SetItemSelected(3, true);
  Type({{'b', 0}, {'r', 10}});
  const int bravo = IndexOf("bravo");
  EXPECT_EQ(list.CurrentIndex(), bravo);
  for (int i = 0; i < list.ItemCount(); ++i) EXPECT_EQ(list.ItemSelected(i), i == bravo) << i;
}

TEST_F(TypeAheadTest, UnicodeCharacterCountsAsItsTwoBytes) {
  list.now = 0;
  SendMessageW(list.Handle(), WM_CHAR, L'\x8868', 1);  // "表"
  EXPECT_EQ(list.CurrentIndex(), IndexOf("表計算"));
  EXPECT_EQ(list.keysAfterBase, (std::vector<int>{0, 0}));
}

}  // namespace
