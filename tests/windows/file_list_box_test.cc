#include "browsing/file_list_box.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "browsing/directory_list_box.h"
#include "browsing/file_name_text.h"
#include "framework/current_directory.h"
#include "framework/edit.h"
#include "framework/exceptions.h"
#include "framework/font.h"
#include "framework/form.h"
#include "platform/path_text.h"
#include "tests/support/double_byte_names.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/browsing_fixture.h"
#include "tests/windows/framework_fixture.h"
#include "tests/windows/glyph_pixels.h"

namespace {

using Texts = std::vector<std::string>;

std::string AsciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Records the screen cursor at every item the native list is asked to add, and refuses
// items from the refuseFrom-th add on (0: all; -1: none).
class TestFileList : public TFileListBox {
 public:
  using TFileListBox::TFileListBox;

  std::vector<HCURSOR> cursorsAtAdd;
  int refuseFrom = -1;
  int glyphLoads = 0;

 protected:
  void LoadGlyphs() override {
    ++glyphLoads;
    TFileListBox::LoadGlyphs();
  }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == LB_ADDSTRING) {
      cursorsAtAdd.push_back(GetCursor());
      if (refuseFrom >= 0 && static_cast<int>(cursorsAtAdd.size()) > refuseFrom) return LB_ERRSPACE;
    }
    return TFileListBox::HandleMessage(message, wParam, lParam);
  }
};

class FileListBox : public FrameworkTest {
 protected:
  FileListBox() : savedDirectory(CurrentDirectory()), form(application), list(form) {
    form.SetClientSize(320, 300);
    list.SetBounds(10, 10, 220, 260);
    list.OnClick = [this](TObject&) { events.push_back("click"); };
    list.OnChange = [this](TObject& sender) {
      EXPECT_EQ(&sender, &list);
      events.push_back("change");
    };
  }
  // The folders go after the list; none may still be the current directory then.
  ~FileListBox() override { SetCurrentDirectoryA(savedDirectory.c_str()); }

  int Changes() const { return static_cast<int>(std::count(events.begin(), events.end(), "change")); }
  // Shows the folder with the mask and forgets the events that took.
  void ShowFolder(const std::string& path, const std::string& mask) {
    list.SetFolder(path);
    list.SetMask(mask);
    list.ItemCount();
    events.clear();
  }

  std::string savedDirectory;
  TempFolder folder;
  TForm form;
  TestFileList list;
  std::vector<std::string> events;
};

TEST_F(FileListBox, ConstructionDefaults) {
  ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str()));
  TFileListBox fresh(form);
  EXPECT_EQ(fresh.Width(), 145);
  EXPECT_EQ(fresh.Height(), 97);
  EXPECT_EQ(fresh.Folder(), CurrentDirectory());
  EXPECT_EQ(fresh.Mask(), "*.*");
  EXPECT_EQ(fresh.FileType(), TFileType{ftNormal});
  EXPECT_EQ(fresh.FileType().AttributeMask(), 0u);
  EXPECT_FALSE(fresh.MultiSelect());
  EXPECT_TRUE(fresh.ExtendedSelect());
  EXPECT_TRUE(fresh.Sorted());
  EXPECT_FALSE(fresh.IntegralHeight());
  EXPECT_FALSE(fresh.ShowGlyphs());
  EXPECT_EQ(fresh.LastSelIndex(), -1);
  EXPECT_EQ(fresh.FileEdit(), nullptr);
  EXPECT_EQ(fresh.DirList(), nullptr);
  EXPECT_EQ(fresh.ItemHeight(), fresh.Font().TextHeight());
  EXPECT_FALSE(fresh.HandleAllocated());
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(fresh.Handle(), GWL_STYLE));
  // The scroll bar styles show only while a bar is needed, so they are not looked at here.
  const DWORD wanted = LBS_NOTIFY | LBS_SORT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
  EXPECT_EQ(style & wanted, wanted);
  EXPECT_EQ(style & (LBS_EXTENDEDSEL | LBS_MULTIPLESEL), 0u);
}

TEST(FileType, AttributeMaskIsTheOrOfTheMembersBits) {
  EXPECT_EQ(TFileType{}.AttributeMask(), 0u);
  EXPECT_EQ((TFileType{ftReadOnly, ftHidden, ftSystem, ftVolumeID, ftDirectory, ftArchive}.AttributeMask()), 0x3Fu);
  EXPECT_EQ((TFileType{ftNormal, ftDirectory}.AttributeMask()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ((TFileType{ftArchive, ftReadOnly}.AttributeMask()),
            static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE((TFileType{ftNormal, ftVolumeID}.Contains(ftVolumeID)));
  EXPECT_FALSE(TFileType{ftNormal}.Contains(ftHidden));
}

TEST_F(FileListBox, MaskListsTheMatchesOfEachPatternInOneSortedList) {
  ASSERT_TRUE(MakeDirectory(folder / "sub"));
  for (const char* name : {"a.$S$", "b.$S$", "c.txt", "D.TXT", "aS", "e.S", "sub\\z.txt"}) ASSERT_TRUE(MakeFile(folder / name)) << name;
  ShowFolder(folder.path(), "*.*");
  struct Case {
    std::string mask;
    Texts items;
  };
  const Case cases[] = {
      {"*.$S$", {"a.$S$", "b.$S$"}},
      {"*.txt", {"c.txt", "D.TXT"}},
      {"*.$S$;*.txt", {"a.$S$", "b.$S$", "c.txt", "D.TXT"}},
      {"*.txt;c*", {"c.txt", "c.txt", "D.TXT"}},
      {"", {}},
      {";", {}},
      {";;*.txt;", {"c.txt", "D.TXT"}},
      {"*.none", {}},
      {"sub\\*.txt", {"z.txt"}},
  };
  for (const Case& c : cases) {
    events.clear();
    EXPECT_NO_THROW(list.SetMask(c.mask)) << c.mask;
    EXPECT_EQ(list.Mask(), c.mask);
    EXPECT_EQ(ItemTexts(list), c.items) << c.mask;
    EXPECT_EQ(events, Texts{"change"}) << c.mask;
  }
}

TEST_F(FileListBox, FileTypeListsEntriesByTheirAttributes) {
  ASSERT_TRUE(MakeFile(folder / "plain.txt"));
  ASSERT_TRUE(MakeFile(folder / "ro.txt", FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(MakeFile(folder / "hid.txt", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(MakeFile(folder / "sys.txt", FILE_ATTRIBUTE_SYSTEM));
  ASSERT_TRUE(MakeFile(folder / "hidro.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(MakeDirectory(folder / "sub"));
  ASSERT_TRUE(MakeDirectory(folder / "hsub", FILE_ATTRIBUTE_HIDDEN));
  ShowFolder(folder.path(), "*.*");
  struct Case {
    const char* name;
    TFileType type;
    Texts items;
  };
  const Case cases[] = {
      {"normal", {ftNormal}, {"plain.txt", "ro.txt"}},
      {"normal and directories", {ftNormal, ftDirectory}, {"[..]", "[.]", "[sub]", "plain.txt", "ro.txt"}},
      {"read-only", {ftReadOnly}, {"ro.txt"}},
      {"hidden", {ftHidden}, {"hid.txt", "hidro.txt"}},
      {"system", {ftSystem}, {"sys.txt"}},
      {"archive", {ftArchive}, {"plain.txt", "ro.txt"}},
      {"directories", {ftDirectory}, {"[..]", "[.]", "[sub]"}},
      {"hidden directories", {ftDirectory, ftHidden}, {"[..]", "[.]", "[hsub]", "[sub]", "hid.txt", "hidro.txt"}},
      {"read-only or hidden", {ftReadOnly, ftHidden}, {"hid.txt", "hidro.txt", "ro.txt"}},
      {"normal with hidden and system",
       {ftNormal, ftHidden, ftSystem},
       {"hid.txt", "hidro.txt", "plain.txt", "ro.txt", "sys.txt"}},
      {"nothing", {}, {}},
  };
  for (const Case& c : cases) {
    list.SetFileType(c.type);
    EXPECT_EQ(ItemTexts(list), c.items) << c.name;
  }
}

TEST_F(FileListBox, SortsWithoutRegardToCaseAndKeepsDuplicates) {
  ASSERT_TRUE(MakeFile(folder / "b.txt"));
  ASSERT_TRUE(MakeFile(folder / "D.txt"));
  ShowFolder(folder.path(), "*.*");
  EXPECT_EQ(list.AddListItem("C.txt"), 1);
  EXPECT_EQ(list.AddListItem("b.txt"), 0);
  EXPECT_EQ(list.AddListItem(std::string("a\0z", 3)), 0);
  EXPECT_EQ(ItemTexts(list), (Texts{"a", "b.txt", "b.txt", "C.txt", "D.txt"}));
  EXPECT_TRUE(events.empty()) << "adding notifies nothing";
}

TEST_F(FileListBox, AddBeforeTheWindowExistsFillsFirst) {
  for (const char* name : {"a.$S$", "c.$S$", "x.txt"}) ASSERT_TRUE(MakeFile(folder / name)) << name;
  list.SetFolder(folder.path());
  list.SetMask("*.$S$");
  ASSERT_FALSE(list.HandleAllocated());
  int marker = 0;
  EXPECT_EQ(list.AddListItem("b.$S$", &marker), 1);
  EXPECT_EQ(ItemTexts(list), (Texts{"a.$S$", "b.$S$", "c.$S$"}));
  EXPECT_EQ(list.ItemObject(1), &marker);
  EXPECT_EQ(events, Texts{"change"}) << "the fill notified once";
  list.AddListItem("a.$S$");
  EXPECT_EQ(ItemTexts(list), (Texts{"a.$S$", "a.$S$", "b.$S$", "c.$S$"}));
}

TEST_F(FileListBox, RefillHappensOnlyWhenFolderMaskOrFileTypeChange) {
  ASSERT_TRUE(MakeDirectory(folder / "other"));
  ASSERT_TRUE(MakeFile(folder / "a.txt"));
  ASSERT_TRUE(MakeFile(folder / "other\\o.txt"));
  ShowFolder(folder.path(), "*.txt");
  list.AddListItem("added");
  const Texts withAdded{"a.txt", "added"};
  struct Step {
    const char* name;
    std::function<void()> action;
    Texts items;
    int changes;
  };
  const Step steps[] = {
      {"same folder upper-cased", [&] { list.SetFolder(AsciiUpper(folder.path())); }, withAdded, 0},
      {"same folder", [&] { list.SetFolder(folder.path()); }, withAdded, 0},
      {"same mask", [&] { list.SetMask("*.txt"); }, withAdded, 0},
      {"same file type", [&] { list.SetFileType({ftNormal}); }, withAdded, 0},
      {"mask in other case", [&] { list.SetMask("*.TXT"); }, {"a.txt"}, 1},
      {"added again", [&] { list.AddListItem("added"); }, withAdded, 1},
      {"other file type", [&] { list.SetFileType({ftNormal, ftReadOnly}); }, {"a.txt"}, 2},
      {"added once more", [&] { list.AddListItem("added"); }, withAdded, 2},
      {"other folder", [&] { list.SetFolder(folder / "other"); }, {"o.txt"}, 3},
  };
  for (const Step& step : steps) {
    step.action();
    EXPECT_EQ(ItemTexts(list), step.items) << step.name;
    EXPECT_EQ(Changes(), step.changes) << step.name;
  }
  EXPECT_EQ(list.Folder(), folder / "other");
}

TEST_F(FileListBox, RecreationLeavesOnlyTheSearchResultUnselected) {
  for (const char* name : {"a.txt", "b.txt"}) ASSERT_TRUE(MakeFile(folder / name)) << name;
  ShowFolder(folder.path(), "*.*");
  list.AddListItem("added");
  list.SetCurrentIndex(1);
  list.SetMultiSelect(true);
  EXPECT_EQ(ItemTexts(list), (Texts{"a.txt", "b.txt"}));
  for (int i = 0; i < list.ItemCount(); ++i) EXPECT_FALSE(list.ItemSelected(i)) << i;
  EXPECT_EQ(events, Texts{"change"});
  list.AddListItem("added");
  list.SetItemHeight(list.ItemHeight() + 7);
  EXPECT_EQ(ItemTexts(list), (Texts{"a.txt", "b.txt"}));
}

TEST_F(FileListBox, SelectAllItemsNeedsMultiSelect) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) ASSERT_TRUE(MakeFile(folder / name)) << name;
  ShowFolder(folder.path(), "*.*");
  list.SelectAllItems();
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(list.ItemSelected(i)) << i;
  list.SetMultiSelect(true);
  list.SelectAllItems();
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(list.ItemSelected(i)) << i;
}

TEST_F(FileListBox, EmptyMultiSelectListHasNoCurrentIndex) {
  list.SetFolder(folder.path());
  list.SetMultiSelect(true);
  EXPECT_EQ(list.ItemCount(), 0) << "\".\" and \"..\" are directories";
  EXPECT_EQ(list.CurrentIndex(), -1);
  EXPECT_EQ(list.SelectedName(), "");
  EXPECT_EQ(list.SelectedFile(), "");
}

TEST_F(FileListBox, IndexOutsideTheListRaisesWithTheIndex) {
  ASSERT_TRUE(MakeFile(folder / "a.txt"));
  ASSERT_TRUE(MakeFile(folder / "b.txt"));
  ShowFolder(folder.path(), "*.*");
  for (int index : {-1, 2, 9}) {
    const std::string message = "リストのインデックスが範囲を超えています (" + std::to_string(index) + ")";
    ExpectRaises<EStringListError>([&] { list.ItemText(index); }, message);
    ExpectRaises<EListError>([&] { list.ItemSelected(index); }, message);
  }
}

TEST_F(FileListBox, RefusedItemRaisesOutOfResources) {
  ShowFolder(folder.path(), "*.*");
  list.refuseFrom = 0;
  ExpectRaises<EOutOfResources>([&] { list.AddListItem("a"); }, "行を挿入できません");
}

TEST_F(FileListBox, FolderThatCannotBeEnteredChangesNothing) {
  ASSERT_TRUE(MakeFile(folder / "a.txt"));
  ASSERT_TRUE(MakeFile(folder / "file"));
  ShowFolder(folder.path(), "*.*");
  list.AddListItem("added");
  const Texts before = ItemTexts(list);
  for (const std::string& path : {folder / "missing", folder / "file", folder / "missing\\deeper"}) {
    SCOPED_TRACE(path);
    if (const auto error = Raised<EInOutError>([&] { list.SetFolder(path); })) {
      EXPECT_NE(error->ErrorCode(), 0u);
      EXPECT_EQ(error->Message(), InOutErrorMessage(error->ErrorCode()));
    }
    EXPECT_EQ(TakeIOResult(), 0u) << path;
    EXPECT_EQ(list.Folder(), folder.path()) << path;
    EXPECT_EQ(ItemTexts(list), before) << path;
  }
  EXPECT_TRUE(events.empty());
}

TEST_F(FileListBox, RefillOfAVanishedFolderKeepsTheItems) {
  ASSERT_TRUE(MakeDirectory(folder / "gone"));
  ASSERT_TRUE(MakeFile(folder / "gone\\a.txt"));
  ShowFolder(folder / "gone", "*.*");
  ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str()));
  ASSERT_TRUE(DeleteFileA((folder / "gone\\a.txt").c_str()));
  ASSERT_TRUE(RemoveDirectoryA((folder / "gone").c_str()));
  const HCURSOR cross = LoadCursorA(nullptr, MAKEINTRESOURCEA(32515));  // IDC_CROSS
  SetCursor(cross);
  EXPECT_THROW(list.SetMask("*.txt"), EInOutError);
  EXPECT_EQ(list.Mask(), "*.txt");
  EXPECT_EQ(ItemTexts(list), Texts{"a.txt"});
  EXPECT_EQ(GetCursor(), cross);
  EXPECT_TRUE(events.empty());
}

TEST_F(FileListBox, FolderIsTheSystemsFormOfAPathRelativeToTheStoredFolder) {
  ASSERT_TRUE(MakeDirectory(folder / "sub"));
  ASSERT_TRUE(MakeDirectory(folder / "sub\\deeper"));
  list.SetFolder(folder.path());
  struct Step {
    std::string path;
    std::string folder;
  };
  const Step steps[] = {
      {"sub", folder / "sub"},
      {"deeper\\", folder / "sub\\deeper"},
      {"..\\..", folder.path()},
      {folder / "sub\\", folder / "sub"},
      {"C:\\", "C:\\"},
      {folder.path(), folder.path()},
  };
  for (const Step& step : steps) {
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\windows"));
    list.SetFolder(step.path);
    EXPECT_EQ(list.Folder(), step.folder) << step.path;
    EXPECT_EQ(CurrentDirectory(), step.folder) << step.path;
  }
  // A stored folder that no longer exists leaves a relative path to the current directory.
  ASSERT_TRUE(MakeDirectory(folder / "gone"));
  list.SetFolder(folder / "gone");
  ASSERT_TRUE(SetCurrentDirectoryA((folder / "sub").c_str()));
  ASSERT_TRUE(RemoveDirectoryA((folder / "gone").c_str()));
  list.SetFolder("deeper");
  EXPECT_EQ(list.Folder(), folder / "sub\\deeper");
}

TEST_F(FileListBox, RefillNotifiesAndForgetsTheSelection) {
  ASSERT_TRUE(MakeFile(folder / "a.txt"));
  ASSERT_TRUE(MakeFile(folder / "b.txt"));
  TEdit edit(form);
  ShowFolder(folder.path(), "*.*");
  list.SetCurrentIndex(1);
  list.SetFileEdit(&edit);
  EXPECT_EQ(edit.Text(), "b.txt") << "linking shows the selected name";
  list.SetMask("*.txt");
  EXPECT_EQ(list.LastSelIndex(), -1);
  EXPECT_EQ(edit.Text(), "*.txt") << "nothing selected shows the mask";
  EXPECT_EQ(SendMessageA(edit.Handle(), EM_GETSEL, 0, 0), MAKELRESULT(0, 5)) << "all of it selected";
  EXPECT_EQ(events, Texts{"change"});
}

TEST_F(FileListBox, ClickNotifiesOnlyWhenTheCurrentItemMoves) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) ASSERT_TRUE(MakeFile(folder / name)) << name;
  TEdit edit(form);
  ShowFolder(folder.path(), "*.*");
  list.SetFileEdit(&edit);
  form.Show();
  const int height = list.ItemHeight();
  const auto click = [&](int item, WPARAM keys) {
    const LPARAM point = MAKELPARAM(30, item * height + height / 2);
    PostMessageA(list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON | keys, point);
    PostMessageA(list.Handle(), WM_LBUTTONUP, keys, point);
    PumpMessages();
  };
  click(1, 0);
  EXPECT_EQ(events, (Texts{"click", "change"})) << "the base's click runs first";
  EXPECT_EQ(list.LastSelIndex(), 1);
  EXPECT_EQ(edit.Text(), "b.txt");
  events.clear();
  click(1, 0);
  EXPECT_EQ(Changes(), 0);

  list.SetMultiSelect(true);
  click(2, 0);
  EXPECT_EQ(Changes(), 2) << "the refill and the click";
  EXPECT_EQ(edit.Text(), "c.txt");
  events.clear();
  click(2, MK_CONTROL);
  EXPECT_FALSE(list.ItemSelected(2)) << "Ctrl+click toggled the item off";
  EXPECT_EQ(events, Texts{"click"}) << "the current item stayed";
}

TEST_F(FileListBox, FileEditLinkIsClearedWhenTheEditGoes) {
  ShowFolder(folder.path(), "*.$S$");
  auto edit = std::make_unique<TEdit>(form);
  auto other = std::make_unique<TEdit>(form);
  list.SetFileEdit(other.get());
  list.SetFileEdit(edit.get());
  EXPECT_EQ(edit->Text(), "*.$S$");
  other.reset();
  EXPECT_EQ(list.FileEdit(), edit.get()) << "an edit linked before leaves the link";
  edit.reset();
  EXPECT_EQ(list.FileEdit(), nullptr);
  EXPECT_NO_THROW(list.SetMask("*.*")) << "a notification after the edit went";
}

// Entries arrive in the order of the mask's patterns, one file each.
class FileListBusyCursor : public FileListBox {
 protected:
  static constexpr int kFiles = 104;

  FileListBusyCursor() {
    for (int i = 0; i < kFiles; ++i) EXPECT_TRUE(MakeFile(folder / Name(i))) << Name(i);
    ShowFolder(folder.path(), "*.none");
    list.cursorsAtAdd.clear();
    SetCursor(cross);
  }
  static std::string Name(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "f%03d.txt", i);
    return name;
  }
  // One pattern per file, for the files numbered in order.
  static std::string MaskOf(const std::vector<int>& order) {
    std::string mask;
    for (int i : order) mask += Name(i) + ";";
    return mask;
  }
  static std::vector<int> Ascending() {
    std::vector<int> order;
    for (int i = 0; i < kFiles; ++i) order.push_back(i);
    return order;
  }

  const HCURSOR cross = LoadCursorA(nullptr, MAKEINTRESOURCEA(32515));  // IDC_CROSS
  const HCURSOR busy = LoadCursorA(nullptr, MAKEINTRESOURCEA(32514));   // IDC_WAIT
};

TEST_F(FileListBusyCursor, ShowsFromTheEntryAfterPosition100AndRestoresAfter) {
  list.SetMask(MaskOf(Ascending()));
  ASSERT_EQ(list.ItemCount(), kFiles);
  ASSERT_EQ(list.cursorsAtAdd.size(), static_cast<size_t>(kFiles));
  // The 101st entry lands at position 100; the cursor is busy for every add after it.
  for (int i = 0; i < kFiles; ++i) EXPECT_EQ(list.cursorsAtAdd[static_cast<size_t>(i)], i <= 100 ? cross : busy) << i;
  EXPECT_EQ(GetCursor(), cross);
}

TEST_F(FileListBusyCursor, NeverShowsWhenNoEntryLandsAtPosition100) {
  std::vector<int> descending = Ascending();
  std::reverse(descending.begin(), descending.end());
  // Positions 0 to 99, then 0, then 101, 101 and 103: past 100 without landing on it.
  std::vector<int> skipping;
  for (int i = 1; i <= 100; ++i) skipping.push_back(i);
  skipping.insert(skipping.end(), {0, 102, 101, 103});
  for (const auto& order : {descending, skipping}) {
    list.cursorsAtAdd.clear();
    list.SetMask(MaskOf(order));
    ASSERT_EQ(list.ItemCount(), kFiles);
    for (HCURSOR cursor : list.cursorsAtAdd) EXPECT_EQ(cursor, cross);
    EXPECT_EQ(GetCursor(), cross);
  }
}

TEST_F(FileListBusyCursor, IsRestoredWhenTheRefillFails) {
  list.refuseFrom = 102;
  ExpectRaises<EOutOfResources>([&] { list.SetMask(MaskOf(Ascending())); }, "行を挿入できません");
  EXPECT_EQ(list.cursorsAtAdd.back(), busy);
  EXPECT_EQ(GetCursor(), cross);
  EXPECT_TRUE(events.empty()) << "an incomplete refill notifies nothing";
}

TEST_F(FileListBox, ProgramsGetTheExecutableGlyphOtherFilesTheUnknownOne) {
  ASSERT_TRUE(MakeDirectory(folder / "sub"));
  const Texts programs{"p.exe", "Q.COM", "r.Bat", "s.pif"};
  const Texts others{"t.txt", "u", "v.exe.txt", "w.pifx"};
  for (const auto& name : programs) ASSERT_TRUE(MakeFile(folder / name)) << name;
  for (const auto& name : others) ASSERT_TRUE(MakeFile(folder / name)) << name;
  list.SetFileType({ftNormal, ftDirectory});
  ShowFolder(folder.path(), "*.*");
  const auto objectOf = [&](const std::string& text) {
    const Texts items = ItemTexts(list);
    return list.ItemObject(static_cast<int>(std::find(items.begin(), items.end(), text) - items.begin()));
  };
  std::set<void*> programObjects;
  std::set<void*> otherObjects;
  for (const auto& name : programs) programObjects.insert(objectOf(name));
  for (const auto& name : others) otherObjects.insert(objectOf(name));
  ASSERT_EQ(programObjects.size(), 1u);
  ASSERT_EQ(otherObjects.size(), 1u);
  EXPECT_NE(*programObjects.begin(), nullptr);
  EXPECT_NE(*otherObjects.begin(), nullptr);
  EXPECT_NE(*programObjects.begin(), *otherObjects.begin());
  EXPECT_EQ(objectOf("[sub]"), nullptr) << "no glyph for a directory while ShowGlyphs is off";
  list.SetItemHeight(20);  // high enough that ShowGlyphs re-creates nothing
  list.SetShowGlyphs(true);
  EXPECT_EQ(objectOf("[sub]"), nullptr) << "only the next refill attaches it";
  list.SetMask("*");
  void* folderObject = objectOf("[sub]");
  EXPECT_NE(folderObject, nullptr);
  EXPECT_EQ(programObjects.count(folderObject) + otherObjects.count(folderObject), 0u);
}

TEST_F(FileListBox, ShowGlyphsRaisesALowItemHeightTo16) {
  ASSERT_LT(list.Font().TextHeight(), 16) << "the case needs a font lower than the glyphs";
  ASSERT_TRUE(MakeFile(folder / "a.txt"));
  ShowFolder(folder.path(), "*.*");
  list.AddListItem("added");
  list.SetShowGlyphs(true);
  EXPECT_EQ(list.ItemHeight(), 16);
  EXPECT_EQ(SendMessageA(list.Handle(), LB_GETITEMHEIGHT, 0, 0), 16);
  EXPECT_EQ(ItemTexts(list), Texts{"a.txt"}) << "the new height re-created the list";
  list.SetShowGlyphs(false);
  EXPECT_EQ(list.ItemHeight(), 16);
  list.AddListItem("added");
  list.SetShowGlyphs(true);
  EXPECT_EQ(ItemTexts(list), (Texts{"a.txt", "added"})) << "a high enough item height is kept";
  EXPECT_EQ(list.glyphLoads, 1) << "the subclass's LoadGlyphs, once";
  // A font change fits the item height again, the glyphs' floor included.
  list.SetFont(TFont(-30, list.Font().Face()));
  EXPECT_EQ(list.ItemHeight(), std::max(list.Font().TextHeight(), 16));
  EXPECT_GT(list.ItemHeight(), 16);
  list.SetFont(TFont(-8, list.Font().Face()));
  EXPECT_EQ(list.ItemHeight(), 16);

  TFileListBox glyphsFirst(form);
  glyphsFirst.SetShowGlyphs(true);
  EXPECT_EQ(glyphsFirst.ItemHeight(), 16);
}

// The leftmost column in rows [top, bottom) of dc, from column from on, that is not
// background; -1 for none.
int LeftmostInk(HDC dc, int from, int top, int bottom, COLORREF background) {
  for (int x = from; x < 200; ++x) {
    for (int y = top; y < bottom; ++y) {
      if (GetPixel(dc, x, y) != background) return x;
    }
  }
  return -1;
}

bool RowsBlank(HDC dc, int from, int top, int bottom, COLORREF background) {
  for (int y = top; y < bottom; ++y) {
    for (int x = from; x < 200; ++x) {
      if (GetPixel(dc, x, y) != background) return false;
    }
  }
  return true;
}

TEST_F(FileListBox, ItemsDrawGlyphCenteredAndTextAfterIt) {
  ASSERT_TRUE(MakeFile(folder / "b.exe"));
  ASSERT_TRUE(MakeFile(folder / "c.txt"));
  list.SetItemHeight(20);
  ShowFolder(folder.path(), "*.*");
  form.Show();
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  const HWND handle = list.Handle();
  const auto redraw = [&] { RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); };
  redraw();
  HDC dc = GetDC(handle);
  const int plainText = LeftmostInk(dc, 0, 20, 40, window);
  ReleaseDC(handle, dc);
  EXPECT_GE(plainText, 2);

  list.SetShowGlyphs(true);
  list.SetCurrentIndex(0);
  redraw();
  dc = GetDC(handle);
  // (0 + 20 - 15) / 2 and (20 + 40 - 15) / 2 round toward zero, to 2 and 22.
  EXPECT_TRUE(GlyphDrawnAt(dc, 2, 2, ReadResourcePixels("EXECUTABLE"), GetSysColor(COLOR_HIGHLIGHT)));
  EXPECT_TRUE(GlyphDrawnAt(dc, 2, 22, ReadResourcePixels("UNKNOWNFILE"), window));
  EXPECT_EQ(LeftmostInk(dc, 18, 20, 40, window), plainText + 20) << "text offset 16 + 6 instead of 2";
  EXPECT_TRUE(RowsBlank(dc, 18, 20 + list.Font().TextHeight(), 40, window)) << "text at the item's top";
  ReleaseDC(handle, dc);
}

TEST_F(FileListBox, DoubleByteNamesEndingInTheSeparatorByte) {
  const std::string directory = folder / (kSo + kHyo);
  ASSERT_TRUE(MakeDirectory(directory));
  for (const std::string& name : {kSo + ".$S$", kHyo + "計算.$S$", std::string("x.$S$")}) {
    ASSERT_TRUE(MakeFile(directory + "\\" + name));
  }
  TEdit edit(form);
  list.SetFileEdit(&edit);
  list.SetFileType({ftNormal, ftDirectory});
  ShowFolder(folder.path(), "*.*");
  EXPECT_EQ(ItemTexts(list), (Texts{"[..]", "[.]", "[" + kSo + kHyo + "]"}));

  list.SetFileType({ftNormal});
  list.SetFolder(directory);
  EXPECT_EQ(list.Folder(), directory);
  const Texts items = ItemTexts(list);
  EXPECT_EQ(std::set<std::string>(items.begin(), items.end()),
            (std::set<std::string>{kSo + ".$S$", kHyo + "計算.$S$", "x.$S$"}));
  list.ApplyEditText(directory + "\\" + kHyo + "計算.$S$");
  EXPECT_EQ(list.SelectedName(), kHyo + "計算.$S$");
  EXPECT_EQ(list.SelectedFile(), directory + "\\" + kHyo + "計算.$S$");
  EXPECT_EQ(edit.Text(), kHyo + "計算.$S$");
  list.ApplyEditText(directory + "\\*.$S$");
  EXPECT_EQ(list.Mask(), "*.$S$");
}

// ApplyEditText, from a list on folder with Mask "*.$S$", single selection, nothing
// selected, and the process's current directory at folder.
class FileListEditText : public FileListBox {
 protected:
  FileListEditText() : edit(form) {
    EXPECT_TRUE(MakeDirectory(folder / "sub"));
    for (const char* name : {"a.$S$", "b.$S$", "c.txt", "sub\\s.$S$"}) EXPECT_TRUE(MakeFile(folder / name)) << name;
    EXPECT_TRUE(MakeFile(folder / "h.$S$", FILE_ATTRIBUTE_HIDDEN));
    list.SetFileEdit(&edit);
    ShowFolder(folder.path(), "*.$S$");
  }
  TEdit edit;
};

TEST_F(FileListEditText, GoesToTheFolderAndTakesThePatternOrTheName) {
  struct Case {
    std::string text;
    std::string folder;
    std::string mask;
    Texts items;
    std::string selected;
  };
  const Texts listed{"a.$S$", "b.$S$"};
  const Case cases[] = {
      {"", folder.path(), "*.$S$", listed, ""},
      {folder / "b.$S$", folder.path(), "*.$S$", listed, "b.$S$"},
      {"a.$S$", folder.path(), "*.$S$", listed, "a.$S$"},
      {AsciiUpper(folder / "a.$s$"), folder.path(), "*.$S$", listed, "a.$S$"},
      {folder / "sub\\s.$S$", folder / "sub", "*.$S$", {"s.$S$"}, "s.$S$"},
      {folder / "sub", folder / "sub", "*.$S$", {"s.$S$"}, ""},
      {"sub\\", folder / "sub", "*.$S$", {"s.$S$"}, ""},
      {folder / "*.txt", folder.path(), "*.txt", {"c.txt"}, ""},
      {folder / "sub\\*.txt", folder / "sub", "*.txt", {}, ""},
      {folder / "c.txt", folder.path(), "c.txt", {"c.txt"}, "c.txt"},
      {folder / "h.$S$", folder.path(), "h.$S$", {}, ""},
  };
  for (const Case& c : cases) {
    ShowFolder(folder.path(), "*.$S$");
    list.SetCurrentIndex(-1);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str()));
    EXPECT_NO_THROW(list.ApplyEditText(c.text)) << c.text;
    EXPECT_EQ(list.Folder(), c.folder) << c.text;
    EXPECT_EQ(list.Mask(), c.mask) << c.text;
    EXPECT_EQ(ItemTexts(list), c.items) << c.text;
    EXPECT_EQ(list.SelectedName(), c.selected) << c.text;
    if (!c.selected.empty()) {
      EXPECT_EQ(edit.Text(), c.selected) << c.text;
      EXPECT_EQ(list.SelectedFile(), platform::PathInFolder(c.folder, c.selected)) << c.text;
    }
    EXPECT_EQ(Changes() > 0, c.text != "") << c.text;
  }
}

TEST_F(FileListEditText, NameNotInTheCurrentDirectoryRaisesAfterSelecting) {
  TempFolder elsewhere;
  ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.path().c_str()));
  const std::string text = folder / "b.$S$";
  ExpectRaises<EInvalidOperation>([&] { list.ApplyEditText(text); }, "不正なファイル名 - " + text);
  EXPECT_EQ(list.SelectedName(), "b.$S$") << "the selection happened first";
  EXPECT_EQ(InvalidFileNameMessage("x"), "不正なファイル名 - x");
}

TEST_F(FileListEditText, TheSelectedFileItselfChangesNothing) {
  list.ApplyEditText(folder / "b.$S$");
  TempFolder elsewhere;
  ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.path().c_str()));
  events.clear();
  EXPECT_NO_THROW(list.ApplyEditText(AsciiUpper(folder / "b.$S$")));
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(CurrentDirectory(), elsewhere.path());
}

TEST_F(FileListEditText, GoesThroughTheDirectoryListWhenLinked) {
  TDirectoryListBox directories(form);
  directories.SetFileList(&list);
  EXPECT_EQ(list.DirList(), &directories);
  list.ApplyEditText(folder / "sub\\s.$S$");
  EXPECT_EQ(directories.Folder(), folder / "sub");
  EXPECT_EQ(list.Folder(), folder / "sub") << "the directory list passed its Folder on";
  EXPECT_EQ(list.SelectedName(), "s.$S$");
}

TEST_F(FileListEditText, LinksAreClearedWhenEitherListGoes) {
  auto directories = std::make_unique<TDirectoryListBox>(form);
  auto files = std::make_unique<TFileListBox>(form);
  directories->SetFileList(files.get());
  files.reset();
  EXPECT_EQ(directories->FileList(), nullptr);
  directories->SetFileList(&list);
  directories.reset();
  EXPECT_EQ(list.DirList(), nullptr);
  list.ApplyEditText(folder / "sub\\s.$S$");
  EXPECT_EQ(list.Folder(), folder / "sub");
}

TEST_F(FileListEditText, NameSearchStartsAtTheSecondItemAndEndsWithTheFirst) {
  list.AddListItem("a.$S$");
  ASSERT_EQ(ItemTexts(list), (Texts{"a.$S$", "a.$S$", "b.$S$"}));
  list.ApplyEditText(folder / "a.$S$");
  EXPECT_EQ(list.CurrentIndex(), 1);
  list.SetCurrentIndex(-1);
  list.ApplyEditText(folder / "b.$S$");
  EXPECT_EQ(list.CurrentIndex(), 2);
}

TEST_F(FileListEditText, MissingFileRaisesFromThePathSplitting) {
  EXPECT_THROW(list.ApplyEditText(folder / "none.$S$"), EInOutError);
  EXPECT_EQ(TakeIOResult(), 0u);
  EXPECT_EQ(list.Folder(), folder.path());
  EXPECT_EQ(list.Mask(), "*.$S$");
  EXPECT_TRUE(events.empty());
}

}  // namespace
