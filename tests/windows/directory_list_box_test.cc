#include "browsing/directory_list_box.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "browsing/drive_combo_box.h"
#include "browsing/file_list_box.h"
#include "browsing/file_name_text.h"
#include "framework/current_directory.h"
#include "framework/exceptions.h"
#include "framework/font.h"
#include "framework/form.h"
#include "framework/label.h"
#include "platform/path_text.h"
#include "tests/support/double_byte_names.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/browsing_fixture.h"
#include "tests/windows/framework_fixture.h"
#include "tests/windows/glyph_pixels.h"

namespace {

std::string ListIndexMessage(int index) {
  return "リストのインデックスが範囲を超えています (" + std::to_string(index) + ")";
}

// ---------------------------------------------------------------------------------------
// The subfolders' order, in the user locale.

TEST(SortedFolderNames, IgnoreCaseAndKeepTheFirstOfEqualNames) {
  EXPECT_EQ(SortedFolderNames({"jan", "Gamma", "beta", "Dup", "Alpha", "dup", "DUP", "feb"}),
            (std::vector<std::string>{"Alpha", "beta", "Dup", "feb", "Gamma", "jan"}));
  EXPECT_EQ(SortedFolderNames({"b", "a", "B"}), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(SortedFolderNames({}), std::vector<std::string>{});
}

// ---------------------------------------------------------------------------------------
// The list in a real window, linked as the main dialog links it: a drive box with it as
// DirList, a file list as its FileList and a label as its DirLabel.

class CountingDirectoryList : public TDirectoryListBox {
 public:
  using TDirectoryListBox::TDirectoryListBox;
  int rebuilds = 0;
  int glyphLoads = 0;

 protected:
  void LoadGlyphs() override {
    ++glyphLoads;
    TDirectoryListBox::LoadGlyphs();
  }
  void RebuildTree() override {
    ++rebuilds;
    TDirectoryListBox::RebuildTree();
  }
};

class BrowsingForm : public TForm {
 public:
  explicit BrowsingForm(TApplication& application)
      : TForm(application), label(*this), list(*this), drives(*this), files(*this) {
    SetClientSize(400, 420);
    label.SetBounds(8, 209, 329, 13);
    list.SetBounds(8, 58, 350, 145);
    list.SetDirLabel(&label);
    list.SetFileList(&files);
    drives.SetBounds(82, 33, 159, 19);
    drives.SetDirList(&list);
    files.SetBounds(8, 228, 269, 97);
    files.SetMask("*.$S$");
    // The file list and the label have followed by the time OnChange fires.
    list.OnChange = [this](TObject& sender) {
      EXPECT_EQ(&sender, &list);
      if (list.FileList()) {
        EXPECT_EQ(list.FileList()->Folder(), list.Folder());
      }
      if (list.DirLabel()) {
        EXPECT_EQ(list.DirLabel()->Caption(), list.Folder());
      }
      changes.push_back(list.Folder());
    };
    drives.OnChange = [this](TObject&) {
      ++driveChanges;
      switchingDrive = list.InDriveSwitch();
    };
  }

  TLabel label;
  CountingDirectoryList list;
  TDriveComboBox drives;
  TFileListBox files;
  std::vector<std::string> changes;
  int driveChanges = 0;
  bool switchingDrive = false;
};

// A folder tree on E: and one on C:; the process starts in E:\...\logs\2008.
class DirectoryListBoxTest : public FrameworkTest {
 protected:
  void SetUp() override {
    original_ = CurrentDirectory();
    logs_ = e_ / "logs";
    year_ = logs_ + "\\2008";
    ASSERT_TRUE(MakeDirectory(logs_));
    ASSERT_TRUE(MakeFile(logs_ + "\\a.$S$"));
    ASSERT_TRUE(MakeDirectory(year_));
    for (const char* name : {"jan", "Gamma", "beta", "Alpha", "feb", "secret", "system"}) {
      ASSERT_TRUE(MakeDirectory(year_ + "\\" + name));
    }
    ASSERT_TRUE(MakeFile(year_ + "\\jan\\b.$S$"));
    ASSERT_TRUE(SetAttributes(year_ + "\\secret", FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetAttributes(year_ + "\\system", FILE_ATTRIBUTE_SYSTEM));
    // Two names that differ only in case, as a case-sensitive file system can hold them.
    ASSERT_TRUE(MakeUnixDirectory(UnixPath(year_) + "/Dup"));
    ASSERT_TRUE(MakeUnixDirectory(UnixPath(year_) + "/dup"));
    ASSERT_TRUE(MakeDirectory(e_ / kSo));
    ASSERT_TRUE(MakeDirectory(e_ / (kSo + "\\" + kHyo)));
    ASSERT_TRUE(MakeDirectory(c_ / "work"));
    ASSERT_TRUE(MakeFile(c_ / "work\\c.$S$"));
    ChangeCurrentDirectory(year_);
    form_ = std::make_unique<BrowsingForm>(application);
    form_->Show();
    PumpMessages();
  }

  void TearDown() override {
    form_.reset();
    ChangeCurrentDirectory("E:\\");
    ChangeCurrentDirectory(original_);
  }

  // The state that a failed change must leave alone.
  struct Snapshot {
    std::string folder;
    std::vector<std::string> texts;
    int current;
    std::string files;
    std::string caption;
    std::size_t changes;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
  };
  Snapshot Take() {
    return {list().Folder(), ItemTexts(list()), list().CurrentIndex(), form_->files.Folder(), form_->label.Caption(),
            form_->changes.size()};
  }

  CountingDirectoryList& list() { return form_->list; }

  // text as an unselected entry shows it at the top left of an area of its own size.
  std::vector<COLORREF> DrawnText(HWND window, const RECT& area, const std::string& text) {
    return RenderPixels(window, area.right - area.left, area.bottom - area.top, [&](HDC memory) {
      const RECT all{0, 0, area.right - area.left, area.bottom - area.top};
      FillRect(memory, &all, GetSysColorBrush(COLOR_WINDOW));
      SelectObject(memory, application.DefaultFont().Handle());
      SetBkColor(memory, GetSysColor(COLOR_WINDOW));
      SetTextColor(memory, GetSysColor(COLOR_WINDOWTEXT));
      TextOutA(memory, 0, 0, text.data(), static_cast<int>(text.size()));
    });
  }
  std::string Name(const TempFolder& folder) { return folder.path().substr(folder.path().find_last_of('\\') + 1); }

  std::string original_;
  TempFolder e_{"E:\\"};
  TempFolder c_;
  std::string logs_;
  std::string year_;
  std::unique_ptr<BrowsingForm> form_;
};

TEST_F(DirectoryListBoxTest, DeepPathShowsLevelsThenSortedVisibleSubfoldersOnce) {
  ASSERT_EQ(list().Folder(), year_);
  const std::vector<std::string> texts = ItemTexts(list());
  ASSERT_EQ(texts.size(), 10u);
  EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 4),
            (std::vector<std::string>{"E:\\", Name(e_), "logs", "2008"}));
  EXPECT_EQ(texts[4], "Alpha");
  EXPECT_EQ(texts[5], "beta");
  // Which of the two spellings comes first depends on the directory's order; one is listed.
  EXPECT_TRUE(texts[6] == "Dup" || texts[6] == "dup") << texts[6];
  EXPECT_EQ(std::vector<std::string>(texts.begin() + 7, texts.end()), (std::vector<std::string>{"feb", "Gamma", "jan"}));
  EXPECT_EQ(list().CurrentIndex(), 3);
  EXPECT_EQ(list().ItemHeight(), std::max(application.DefaultFont().TextHeight(), 16));
  EXPECT_EQ(list().glyphLoads, 1) << "the subclass's LoadGlyphs, once";
  // A font change fits the item height again, the glyphs' floor included.
  list().SetFont(TFont(-30, list().Font().Face()));
  EXPECT_EQ(list().ItemHeight(), list().Font().TextHeight());
  EXPECT_GT(list().ItemHeight(), 16);
  list().SetFont(TFont(-8, list().Font().Face()));
  EXPECT_EQ(list().ItemHeight(), 16);
}

TEST_F(DirectoryListBoxTest, ItemPathOfEveryKindOfEntry) {
  EXPECT_EQ(list().ItemPath(0), "E:\\");
  EXPECT_EQ(list().ItemPath(1), e_.path());
  EXPECT_EQ(list().ItemPath(2), logs_);
  EXPECT_EQ(list().ItemPath(3), year_);
  EXPECT_EQ(list().ItemPath(4), year_ + "\\Alpha");
  EXPECT_EQ(list().ItemPath(9), year_ + "\\jan");
  EXPECT_EQ(list().ItemPath(10), "");
  ExpectRaises<EStringListError>([&] { list().ItemPath(-1); }, ListIndexMessage(-1));
}

TEST_F(DirectoryListBoxTest, RootIsOneSelectedCurrentEntry) {
  list().SetFolder("E:\\");
  EXPECT_EQ(list().ItemText(0), "E:\\");
  EXPECT_EQ(list().CurrentIndex(), 0);
  EXPECT_EQ(list().ItemPath(0), "E:\\");
  const std::vector<std::string> texts = ItemTexts(list());
  EXPECT_NE(std::find(texts.begin(), texts.end(), Name(e_)), texts.end());
  for (int i = 1; i < list().ItemCount(); ++i) EXPECT_EQ(list().ItemPath(i), "E:\\" + list().ItemText(i));
  // A list made in the root selects its entry as soon as its window exists.
  TDirectoryListBox fresh(*form_);
  EXPECT_EQ(fresh.Folder(), "E:\\");
  EXPECT_EQ(fresh.CurrentIndex(), 0);
}

TEST_F(DirectoryListBoxTest, SamePathInOtherCaseChangesNothing) {
  const int rebuilds = list().rebuilds;
  const Snapshot before = Take();
  std::string upper = year_;
  CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
  list().SetFolder(upper);
  list().SetFolder(LowerFileName(year_));
  list().SetFolder("");
  EXPECT_EQ(Take(), before);
  EXPECT_EQ(list().rebuilds, rebuilds);
  EXPECT_FALSE(list().VolumeCaseSensitive());
  EXPECT_TRUE(list().VolumeKeepsCase());
}

// Every change reaches the file list, the label and OnChange once, and leaves the process
// in Folder.
TEST_F(DirectoryListBoxTest, RelativeAndParentPathsMoveOnceAndNotifyOnce) {
  struct Step {
    std::string written;
    std::string folder;
  };
  const Step steps[] = {{"jan", year_ + "\\jan"}, {"..", year_}, {"..", logs_}, {"2008\\feb", year_ + "\\feb"},
                        {"\\", "E:\\"}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.written);
    const int rebuilds = list().rebuilds;
    form_->changes.clear();
    list().SetFolder(step.written);
    EXPECT_EQ(list().Folder(), step.folder);
    EXPECT_EQ(form_->changes, std::vector<std::string>{step.folder});
    EXPECT_EQ(list().rebuilds, rebuilds + 1);
    EXPECT_EQ(form_->files.Folder(), step.folder);
    EXPECT_EQ(CurrentDirectory(), step.folder);
  }
}

TEST_F(DirectoryListBoxTest, AnotherDriveSwitchesTheDriveBoxAndRebuildsOnce) {
  ASSERT_EQ(form_->drives.DriveLetter(), 'e');
  // After each switch the label shows what painting it whole shows, not a stale first paint
  // beside the strip that its growing added.
  const auto expectLabelPaintedWhole = [this] {
    const HWND label = form_->label.Handle();
    RECT area{};
    GetClientRect(label, &area);
    const std::vector<COLORREF> shown = CapturePixels(label, area);
    InvalidateRect(label, nullptr, TRUE);
    EXPECT_EQ(CapturePixels(label, area), shown) << form_->label.Caption();
  };
  const int rebuilds = list().rebuilds;
  const int driveChanges = form_->driveChanges;
  const std::string work = c_ / "work";
  list().SetFolder(work);
  EXPECT_EQ(list().Folder(), work);
  EXPECT_EQ(list().rebuilds, rebuilds + 1);
  EXPECT_EQ(form_->changes, std::vector<std::string>{work});
  EXPECT_EQ(form_->driveChanges, driveChanges + 1);
  EXPECT_TRUE(form_->switchingDrive);
  EXPECT_EQ(form_->drives.DriveLetter(), 'c');
  EXPECT_EQ(form_->drives.Text().substr(0, 2), "c:");
  EXPECT_FALSE(list().InDriveSwitch());
  EXPECT_EQ(form_->files.Folder(), work);
  ASSERT_EQ(form_->files.ItemCount(), 1);
  EXPECT_EQ(form_->files.ItemText(0), "c.$S$");
  EXPECT_EQ(CurrentDirectory(), work);
  expectLabelPaintedWhole();
  // Drive E's remembered directory brings the list back to where it was.
  list().SetDriveLetter('E');
  EXPECT_EQ(list().Folder(), year_);
  EXPECT_EQ(form_->drives.DriveLetter(), 'e');
  expectLabelPaintedWhole();
  // Without a drive box the list switches the drive itself, still rebuilding once.
  form_->drives.SetDirList(nullptr);
  form_->changes.clear();
  const int unlinkedRebuilds = list().rebuilds;
  list().SetFolder(work);
  EXPECT_EQ(list().Folder(), work);
  EXPECT_EQ(list().rebuilds, unlinkedRebuilds + 1);
  EXPECT_EQ(form_->changes, std::vector<std::string>{work});
  EXPECT_EQ(form_->drives.DriveLetter(), 'e');
}

TEST_F(DirectoryListBoxTest, DriveLetterOfTheCurrentDriveOrOfNoDriveChangesNothing) {
  const Snapshot before = Take();
  for (char letter : {'e', 'E', '\0'}) list().SetDriveLetter(letter);
  EXPECT_EQ(Take(), before);
  EXPECT_EQ(list().DriveLetter(), 'E');
}

TEST_F(DirectoryListBoxTest, UnenterableFolderRaisesAndChangesNothing) {
  const Snapshot before = Take();
  ExpectRaises<EInOutError>([&] { list().SetFolder(year_ + "\\missing"); }, "ファイルが見つかりません");
  // The first missing folder on the way is the one refused.
  ExpectRaises<EInOutError>([&] { list().SetFolder(year_ + "\\missing\\deeper"); },
                            InOutErrorMessage(RefusalCode(year_ + "\\missing")));
  // No server answers under Wine: the split cannot enter the share's folder.
  EXPECT_THROW(list().SetFolder("\\\\srv\\share\\missing"), EInOutError);
  EXPECT_EQ(Take(), before);
  EXPECT_FALSE(list().InDriveSwitch());
  EXPECT_EQ(form_->drives.DriveLetter(), 'e');
  EXPECT_EQ(TakeIOResult(), 0u);
  // A folder on C: deleted while the drive is switched: Folder stays on the directory the
  // switch went to, and the tree, the file list and the label stay as they were.
  const std::string gone = c_ / "gone";
  ASSERT_TRUE(MakeDirectory(gone));
  // C:'s remembered directory may be a folder of an earlier test, long gone.
  ChangeCurrentDirectory(c_.path());
  ChangeCurrentDirectory(year_);
  std::string switchedTo;
  form_->drives.OnChange = [&](TObject&) {
    switchedTo = list().Folder();
    ChangeCurrentDirectory(c_.path());
    RemoveDirectoryA(gone.c_str());
  };
  EXPECT_THROW(list().SetFolder(gone), EInOutError);
  Snapshot after = Take();
  EXPECT_EQ(after.folder.substr(0, 2), "C:");
  EXPECT_EQ(after.folder, switchedTo);
  after.folder = before.folder;
  EXPECT_EQ(after, before);
  EXPECT_FALSE(list().InDriveSwitch());
  EXPECT_EQ(form_->drives.DriveLetter(), 'c');
}

// The split passes over a share it cannot find and the drive box lets go of its drive (a
// network path has none); entering the share then fails, as no server answers under Wine.
TEST_F(DirectoryListBoxTest, NetworkPathLeavesTheDriveBoxWithoutADrive) {
  const Snapshot before = Take();
  const std::string share = "\\\\srv\\share" + year_.substr(2);
  EXPECT_THROW(list().SetFolder(share), EInOutError);
  EXPECT_EQ(Take(), before);
  EXPECT_FALSE(list().InDriveSwitch());
  EXPECT_EQ(form_->drives.DriveLetter(), '\0');
  EXPECT_EQ(form_->drives.ItemIndex(), -1);
}

TEST_F(DirectoryListBoxTest, VanishedSubfolderRaisesOnDoubleClickAndChangesNothing) {
  RecordExceptions();
  ASSERT_EQ(list().ItemText(7), "feb");
  ASSERT_TRUE(RemoveDirectoryA((year_ + "\\feb").c_str()));
  const Snapshot before = Take();
  RECT item{};
  SendMessageA(list().Handle(), LB_GETITEMRECT, 7, reinterpret_cast<LPARAM>(&item));
  const LPARAM point = MAKELPARAM(item.left + 30, item.top + 2);
  PostMessageA(list().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageA(list().Handle(), WM_LBUTTONUP, 0, point);
  PostMessageA(list().Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, point);
  PostMessageA(list().Handle(), WM_LBUTTONUP, 0, point);
  PumpMessages();
  ASSERT_EQ(exceptions.size(), 1u);
  EXPECT_EQ(exceptions[0].className, "EInOutError");
  EXPECT_EQ(exceptions[0].message, "ファイルが見つかりません");
  Snapshot after = Take();
  EXPECT_EQ(after.current, 7);  // the click selected the entry
  after.current = before.current;
  EXPECT_EQ(after, before);
}

TEST_F(DirectoryListBoxTest, DoubleClickAndEnterOpenTheEntry) {
  RECT item{};
  SendMessageA(list().Handle(), LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&item));
  const LPARAM point = MAKELPARAM(item.left + 20, item.top + 2);
  PostMessageA(list().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageA(list().Handle(), WM_LBUTTONUP, 0, point);
  PostMessageA(list().Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, point);
  PostMessageA(list().Handle(), WM_LBUTTONUP, 0, point);
  PumpMessages();
  EXPECT_EQ(list().Folder(), logs_);
  EXPECT_EQ(form_->changes, std::vector<std::string>{logs_});

  // Enter on the entry "2008" (index 3 under logs' levels E:\, folder, logs) opens it.
  ASSERT_EQ(list().ItemText(3), "2008");
  list().SetCurrentIndex(3);
  list().SetFocus();
  PostMessageA(list().Handle(), WM_KEYDOWN, VK_RETURN, 1);
  PostMessageA(list().Handle(), WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));
  application.ProcessMessages();
  EXPECT_EQ(list().Folder(), year_);
  EXPECT_EQ(form_->changes, (std::vector<std::string>{logs_, year_}));
}

TEST_F(DirectoryListBoxTest, OpenSelectedWithoutCurrentEntryRaises) {
  list().SetCurrentIndex(-1);
  ExpectRaises<EStringListError>([&] { list().OpenSelected(); }, ListIndexMessage(-1));
  EXPECT_EQ(list().Folder(), year_);
}

TEST_F(DirectoryListBoxTest, DoubleByteNamesWhoseTrailByteIsTheSeparator) {
  const std::string folder = e_ / (kSo + "\\" + kHyo);
  list().SetFolder(folder);
  EXPECT_EQ(list().Folder(), folder);
  EXPECT_EQ(ItemTexts(list()), (std::vector<std::string>{"E:\\", Name(e_), kSo, kHyo}));
  EXPECT_EQ(list().ItemPath(2), e_ / kSo);
  list().SetFolder("..");
  EXPECT_EQ(list().Folder(), e_ / kSo);
  EXPECT_EQ(list().ItemText(3), kHyo);
  EXPECT_EQ(list().ItemPath(3), folder);
  form_->label.SetAutoSize(false);
  const TLabel& label = form_->label;
  const std::string shortened = "E:\\...\\" + kSo;
  form_->label.SetBounds(0, 0, label.TextWidth(shortened), 13);
  list().SetDirLabel(&form_->label);
  EXPECT_EQ(form_->label.Caption(), shortened);
}

TEST_F(DirectoryListBoxTest, LabelDropsLeadingFoldersAsItNarrows) {
  list().SetFolder("jan");
  // A label sized to its text is limited by the list's width: the whole path fits.
  EXPECT_EQ(form_->label.Caption(), year_ + "\\jan");
  // ... and a list narrower than the path shortens it.
  const int listWidth = list().Width();
  list().SetBounds(8, 58, form_->label.TextWidth("E:\\...\\jan"), 145);
  list().SetDirLabel(&form_->label);
  EXPECT_EQ(form_->label.Caption(), "E:\\...\\jan");
  list().SetBounds(8, 58, listWidth, 145);
  form_->label.SetAutoSize(false);
  const std::string rest = e_.path().substr(2);
  const std::vector<std::string> sequence = {"E:" + rest + "\\logs\\2008\\jan", "E:\\...\\logs\\2008\\jan",
                                             "E:\\...\\2008\\jan", "E:\\...\\jan", "...\\jan", "jan"};
  const TLabel& label = form_->label;
  for (std::size_t i = 0; i < sequence.size(); ++i) {
    for (int narrower : {0, 1}) {
      const std::size_t expected = std::min(i + static_cast<std::size_t>(narrower), sequence.size() - 1);
      form_->label.SetBounds(8, 209, label.TextWidth(sequence[i]) - narrower, 13);
      list().SetDirLabel(&form_->label);
      EXPECT_EQ(form_->label.Caption(), sequence[expected]) << "width " << label.Width();
    }
  }
}

TEST_F(DirectoryListBoxTest, LinksAreClearedOnBothSides) {
  EXPECT_EQ(form_->files.DirList(), &list());
  EXPECT_EQ(list().LinkedDriveBox(), &form_->drives);
  {
    TFileListBox other(*form_);
    list().SetFileList(&other);
    EXPECT_EQ(form_->files.DirList(), nullptr);
    EXPECT_EQ(other.DirList(), &list());
  }
  EXPECT_EQ(list().FileList(), nullptr);
  list().SetFolder("jan");
  EXPECT_EQ(form_->files.Folder(), year_);
  list().SetFileList(&form_->files);
  auto lone = std::make_unique<TDirectoryListBox>(*form_);
  form_->drives.SetDirList(lone.get());
  EXPECT_EQ(list().LinkedDriveBox(), nullptr);
  lone->SetFileList(&form_->files);
  EXPECT_EQ(list().FileList(), &form_->files) << "two directory lists may drive one file list";
  EXPECT_EQ(form_->files.DirList(), lone.get());
  lone.reset();
  EXPECT_EQ(form_->drives.DirList(), nullptr);
  EXPECT_EQ(form_->files.DirList(), nullptr);
  {
    TLabel label(*form_);
    list().SetDirLabel(&label);
  }
  EXPECT_EQ(list().DirLabel(), nullptr);
  list().SetFolder(logs_);
  EXPECT_EQ(form_->files.Folder(), logs_) << "the list still drives the file list";
}

// Each entry is drawn as the list's geometry says: the glyph at index x 4 + 2 (subfolders at
// (depth + 1) x 4 + 2), vertically centered, and the text 4 pixels after the glyph.
TEST_F(DirectoryListBoxTest, EntriesAreDrawnWithTheirIndents) {
  list().SetFolder(logs_);  // E:\, folder, logs (current, selected), 2008
  ASSERT_EQ(ItemTexts(list()).size(), 4u);
  const HWND window = list().Handle();
  const COLORREF fill = GetSysColor(COLOR_WINDOW);
  const ResourcePixels open = ReadResourcePixels("OPENFOLDER");
  const ResourcePixels closed = ReadResourcePixels("CLOSEDFOLDER");
  ASSERT_EQ(open.width, 16);
  struct Row {
    int index;
    const ResourcePixels& glyph;
    int indent;
  };
  const int depth = platform::PathDepth(logs_);
  const Row rows[] = {{0, open, 2}, {1, open, 6}, {3, closed, (depth + 1) * 4 + 2}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.index);
    RECT item{};
    SendMessageA(window, LB_GETITEMRECT, static_cast<WPARAM>(row.index), reinterpret_cast<LPARAM>(&item));
    const int top = (item.top + item.bottom - row.glyph.height) / 2;
    UpdateWindow(window);
    const HDC dc = GetDC(window);
    EXPECT_TRUE(GlyphDrawnAt(dc, item.left + row.indent, top, row.glyph, fill));
    ReleaseDC(window, dc);
    const RECT textArea{item.left + row.glyph.width + row.indent + 4, item.top, item.right, item.bottom};
    EXPECT_EQ(CapturePixels(window, textArea), DrawnText(window, textArea, list().ItemText(row.index)));
  }
}

// A volume that keeps no case (a CD-ROM file system) shows names lower-cased; one that
// cannot be asked (its drive gone) counts as keeping case, and its vanished folder lists no
// subfolders and raises nothing.
TEST_F(DirectoryListBoxTest, VolumeCaseFlagsFollowTheVolume) {
  TempFolder disc;
  ASSERT_TRUE(MakeDirectory(disc / "MixedCase"));
  auto cdrom = std::make_unique<MountedDrive>('g', DRIVE_CDROM, disc.path());
  ASSERT_TRUE(cdrom->Mounted());
  list().SetFolder("G:\\");
  EXPECT_FALSE(list().VolumeKeepsCase());
  EXPECT_FALSE(list().VolumeCaseSensitive());
  ASSERT_EQ(list().ItemCount(), 2);
  EXPECT_EQ(list().ItemText(1), "MixedCase");
  EXPECT_EQ(list().ComparePaths("G:\\MIXEDCASE", "g:\\mixedcase"), 0);
  const HWND window = list().Handle();
  RECT item{};
  SendMessageA(window, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  const RECT textArea{item.left + 16 + (platform::PathDepth("G:\\") + 1) * 4 + 2 + 4, item.top, item.right, item.bottom};
  EXPECT_EQ(CapturePixels(window, textArea), DrawnText(window, textArea, "mixedcase"));
  {
    // A case-sensitive volume, which Wine cannot make: paths compare exactly, names keep
    // their case.
    const VolumeQuestions sensitive(FILE_CASE_SENSITIVE_SEARCH);
    list().SetItemHeight(list().ItemHeight() + 1);
    EXPECT_TRUE(list().VolumeCaseSensitive());
    EXPECT_TRUE(list().VolumeKeepsCase());
    EXPECT_NE(list().ComparePaths("G:\\MIXEDCASE", "g:\\mixedcase"), 0);
    EXPECT_EQ(list().ComparePaths("G:\\MixedCase", "G:\\MixedCase"), 0);
    RECT sensitiveItem{};
    SendMessageA(window, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&sensitiveItem));
    const RECT sensitiveText{textArea.left, sensitiveItem.top, sensitiveItem.right, sensitiveItem.bottom};
    EXPECT_EQ(CapturePixels(window, sensitiveText), DrawnText(window, sensitiveText, "MixedCase"));
  }

  cdrom.reset();
  ASSERT_FALSE(GetVolumeInformationA("G:\\", nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));
  // A new window rebuilds the tree from the same Folder, the error mode kept as it was.
  SetErrorMode(0);
  const VolumeQuestions questions;
  list().SetItemHeight(list().ItemHeight() + 1);
  EXPECT_EQ(GetErrorMode(), 0u);
  // Critical errors fail while the volume is asked, not only afterwards.
  ASSERT_FALSE(questions.modes.empty());
  for (UINT mode : questions.modes) EXPECT_EQ(mode, UINT{SEM_FAILCRITICALERRORS});
  EXPECT_EQ(ItemTexts(list()), std::vector<std::string>{"G:\\"});
  EXPECT_TRUE(list().VolumeKeepsCase());
  EXPECT_FALSE(list().VolumeCaseSensitive());
  list().SetFolder(year_);
  EXPECT_EQ(list().Folder(), year_);
}

TEST_F(DirectoryListBoxTest, DriveWithoutMediumRaisesAndKeepsTheList) {
  const MountedDrive empty('h', DRIVE_CDROM, "");
  ASSERT_TRUE(empty.Mounted());
  const DWORD code = RefusalCode("h:");
  ASSERT_NE(code, 0u);
  const Snapshot before = Take();
  ExpectSystemError([&] { list().SetDriveLetter('h'); }, code);
  EXPECT_FALSE(list().InDriveSwitch());
  EXPECT_EQ(Take(), before);
  // The drive box had already taken the drive, as a user's choice would have; with no item
  // for it (the box was filled before the drive came) its selection stays.
  EXPECT_EQ(form_->drives.DriveLetter(), 'h');
  EXPECT_EQ(form_->drives.Text(), "e: []");
}

}  // namespace
