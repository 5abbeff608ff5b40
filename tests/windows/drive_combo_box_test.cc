#include "browsing/drive_combo_box.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "browsing/directory_list_box.h"
#include "browsing/file_name_text.h"
#include "browsing/glyph.h"
#include "framework/button.h"
#include "framework/current_directory.h"
#include "framework/exceptions.h"
#include "framework/font.h"
#include "framework/form.h"
#include "tests/support/double_byte_names.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/browsing_fixture.h"
#include "tests/windows/framework_fixture.h"
#include "tests/windows/glyph_pixels.h"

namespace {

// "ア" ends in 0x41 ("A"), "ソ" and "表" in 0x5C ("\"): none of them may change with the
// letters around them.
const std::string kA = "\x83\x41";
const std::u8string kLabel = u8"Sysアソ表x";

TEST(DriveComboText, UpperFileNameKeepsDoubleByteCharactersWhole) {
  EXPECT_EQ(UpperFileName("sys" + kA + kSo + kHyo + "x"), "SYS" + kA + kSo + kHyo + "X");
  EXPECT_EQ(UpperFileName("\\\\srv\\share"), "\\\\SRV\\SHARE");
  EXPECT_EQ(UpperFileName(""), "");
}

TEST(DriveComboText, TypesWithoutAnItem) {
  for (UINT type : {UINT{DRIVE_UNKNOWN}, UINT{DRIVE_NO_ROOT_DIR}, 7u}) EXPECT_EQ(DriveItemText('c', type), "") << type;
  // A removable drive shows its letter only, whatever its medium.
  EXPECT_EQ(DriveItemText('a', DRIVE_REMOVABLE), "a:");
  EXPECT_EQ(DriveItemText('A', DRIVE_REMOVABLE), "A:");
}

// Extra drives of every kind, on folders of their own, for one test.
class DriveComboBoxTest : public FrameworkTest {
 protected:
  void SetUp() override {
    original_ = CurrentDirectory();
    ASSERT_TRUE(WriteVolumeLabel(labelled_.path(), kLabel));
    ASSERT_TRUE(MakeDirectory(plain_ / "sub"));
    drives_.push_back(std::make_unique<MountedDrive>('f', DRIVE_CDROM, labelled_.path()));
    drives_.push_back(std::make_unique<MountedDrive>('g', DRIVE_REMOTE, labelled_.path()));
    drives_.push_back(std::make_unique<MountedDrive>('h', DRIVE_RAMDISK, plain_.path()));
    drives_.push_back(std::make_unique<MountedDrive>('i', DRIVE_REMOVABLE, plain_.path()));
    drives_.push_back(std::make_unique<MountedDrive>('j', DRIVE_CDROM, ""));
    // Present, but the root does not exist: no item.
    drives_.push_back(std::make_unique<MountedDrive>('k', DRIVE_FIXED, plain_ / "missing"));
    for (const auto& drive : drives_) ASSERT_TRUE(drive->Mounted()) << drive->Root();
    // C:, E: and Z: are the drives that Wine gives the prefix.
    ASSERT_EQ(GetLogicalDrives(), 0x020007F4u);
    ChangeCurrentDirectory(e_.path());
  }

  void TearDown() override {
    form_.reset();
    ChangeCurrentDirectory("E:\\");
    ChangeCurrentDirectory(original_);
  }

  // A form with the box and a directory list linked to it, made in the current directory.
  struct DriveForm : TForm {
    explicit DriveForm(TApplication& application) : TForm(application), drives(*this), list(*this), ok(*this) {
      SetClientSize(300, 260);
      drives.SetBounds(10, 10, 159, 19);
      list.SetBounds(10, 40, 250, 150);
      ok.SetBounds(10, 200, 75, 25);
      ok.SetDefault(true);
      ok.OnClick = [this](TObject&) { ++okClicks; };
      drives.SetDirList(&list);
      drives.OnChange = [this](TObject& sender) {
        EXPECT_EQ(&sender, &drives);
        events.push_back("change " + std::string(1, drives.DriveLetter()));
      };
      list.OnChange = [this](TObject&) { events.push_back("list " + list.Folder()); };
    }
    TDriveComboBox drives;
    TDirectoryListBox list;
    TButton ok;
    std::vector<std::string> events;
    int okClicks = 0;
  };

  DriveForm& Show() {
    form_ = std::make_unique<DriveForm>(application);
    form_->Show();
    PumpMessages();
    form_->events.clear();
    return *form_;
  }

  // The user types a drive's letter into the closed box, which selects its item.
  void Choose(char letter) {
    form_->drives.SetFocus();
    PostMessageA(form_->drives.Handle(), WM_CHAR, static_cast<WPARAM>(letter), 1);
    application.ProcessMessages();
  }

  std::string original_;
  TempFolder e_{"E:\\"};
  TempFolder labelled_;
  TempFolder plain_;
  std::vector<std::unique_ptr<MountedDrive>> drives_;
  std::unique_ptr<DriveForm> form_;
};

TEST_F(DriveComboBoxTest, ItemsOfEveryDriveKindInLowerCase) {
  DriveForm& form = Show();
  // The remote drive has no network name under Wine: its label stands in.
  EXPECT_EQ(ItemTexts(form_->drives), (std::vector<std::string>{"c: []", "e: []", "f: [sys" + kA + kSo + kHyo + "x]",
                                                "g: [sys" + kA + kSo + kHyo + "x]", "h: []", "i:", "j: []", "z: []"}));
  EXPECT_EQ(form.drives.DriveLetter(), 'e');
  EXPECT_EQ(form.drives.ItemIndex(), 1);
  EXPECT_EQ(form.drives.ItemHeight(), std::max(application.DefaultFont().TextHeight(), 11));
  // A font change fits the item height and makes the box again once, which reads the drives
  // afresh, also when the height stays.
  const MountedDrive added('l', DRIVE_FIXED, plain_.path());
  ASSERT_TRUE(added.Mounted());
  for (int height : {-30, -6, -5}) {
    SCOPED_TRACE(height);
    form.events.clear();
    form.drives.SetFont(TFont(height, form.drives.Font().Face()));
    EXPECT_EQ(form.drives.ItemHeight(), std::max(form.drives.Font().TextHeight(), 11));
    EXPECT_EQ(form.drives.ItemCount(), 9);
    EXPECT_EQ(form.drives.Text(), "e: []");
    EXPECT_EQ(form.events, std::vector<std::string>{"change e"});
  }
}

TEST_F(DriveComboBoxTest, EachItemCarriesItsKindsGlyph) {
  DriveForm& form = Show();
  const char* const glyphs[] = {"HARD", "HARD", "CDROM", "NETWORK", "RAM", "FLOPPY", "CDROM", "HARD"};
  ASSERT_EQ(form.drives.ItemCount(), 8);
  form.drives.SetDroppedDown(true);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(form.drives.Handle(), &info));
  const HWND dropped = info.hwndList;
  const COLORREF fill = GetSysColor(COLOR_WINDOW);
  int checked = 0;
  for (int index = 0; index < 8; ++index) {
    if (index == form.drives.ItemIndex()) continue;  // drawn in the highlight colour
    SCOPED_TRACE(glyphs[index]);
    RECT item{};
    SendMessageA(dropped, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    // 64-bit Wine drops the list one row short and scrolls it to the selected item, whatever
    // the top index is set to: an item out of view cannot be read back.
    RECT client{};
    GetClientRect(dropped, &client);
    if (item.top < client.top || item.bottom > client.bottom) continue;
    ++checked;
    const ResourcePixels glyph = ReadResourcePixels(glyphs[index]);
    ASSERT_EQ(glyph.width, 16);
    UpdateWindow(dropped);
    const HDC dc = GetDC(dropped);
    EXPECT_TRUE(GlyphDrawnAt(dc, item.left + 2, (item.top + item.bottom - glyph.height) / 2, glyph, fill));
    ReleaseDC(dropped, dc);
    // The text, vertically centered, starts 6 pixels after the glyph; "&" is no prefix.
    const std::string text = form.drives.ItemText(index);
    const RECT textArea{item.left + 22, item.top, item.right, item.bottom};
    const auto expected = RenderPixels(dropped, item.right - textArea.left, item.bottom - item.top, [&](HDC memory) {
      RECT all{0, 0, item.right - textArea.left, item.bottom - item.top};
      FillRect(memory, &all, GetSysColorBrush(COLOR_WINDOW));
      SelectObject(memory, application.DefaultFont().Handle());
      SetBkColor(memory, fill);
      SetTextColor(memory, GetSysColor(COLOR_WINDOWTEXT));
      DrawTextA(memory, text.c_str(), -1, &all, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    });
    EXPECT_EQ(CapturePixels(dropped, textArea), expected);
  }
  EXPECT_GE(checked, 6) << "too few items in view";
  form.drives.SetDroppedDown(false);
}

TEST_F(DriveComboBoxTest, UpperCaseRebuildsEveryItemAndKeepsTheDrive) {
  DriveForm& form = Show();
  form.drives.SetTextCase(tcUpperCase);
  EXPECT_EQ(ItemTexts(form_->drives), (std::vector<std::string>{"C: []", "E: []", "F: [SYS" + kA + kSo + kHyo + "X]",
                                                "G: [SYS" + kA + kSo + kHyo + "X]", "H: []", "I:", "J: []", "Z: []"}));
  EXPECT_EQ(form.drives.DriveLetter(), 'E');
  EXPECT_EQ(form.drives.Text(), "E: []");
  EXPECT_EQ(form.events, std::vector<std::string>{"change E"});
  // Written again with the same value, it still rebuilds and notifies.
  form.drives.SetTextCase(tcUpperCase);
  EXPECT_EQ(form.events, (std::vector<std::string>{"change E", "change E"}));
  form.drives.SetTextCase(tcLowerCase);
  EXPECT_EQ(form.drives.Text(), "e: []");
  EXPECT_EQ(form.drives.DriveLetter(), 'e');
}

// Wine cannot name the volume of a drive it has only as a link: the label stays unread.
TEST_F(DriveComboBoxTest, LabelTextOfAVolumeThatCannotBeAskedIsEmpty) {
  TempFolder unnamed;
  ASSERT_TRUE(WriteVolumeLabel(unnamed.path(), kLabel));
  const LinkedDrive bare('l', unnamed.path());
  ASSERT_TRUE(bare.Linked());
  EXPECT_EQ(VolumeLabelText('l'), "[]");
  EXPECT_EQ(DriveItemText('l', GetDriveTypeA("l:\\")), "l: []");
  EXPECT_EQ(VolumeLabelText('f'), "[sys" + kA + kSo + kHyo + "x]");
  EXPECT_EQ(VolumeLabelText('F'), "[SYS" + kA + kSo + kHyo + "X]");
  EXPECT_EQ(RemoteNameText('G'), "[SYS" + kA + kSo + kHyo + "X]");
  SetErrorMode(0);
  const VolumeQuestions questions;
  EXPECT_EQ(VolumeLabelText('j'), "[]");
  EXPECT_EQ(GetErrorMode(), 0u);
  // Critical errors fail while the volume is asked, not only afterwards.
  EXPECT_EQ(questions.modes, std::vector<UINT>{SEM_FAILCRITICALERRORS});
}

TEST_F(DriveComboBoxTest, DriveLetterWriteSelectsSwitchesAndNotifiesOnce) {
  DriveForm& form = Show();
  const std::string h = ResolvedDirectory("h:");
  ASSERT_FALSE(h.empty());
  form.drives.SetDriveLetter('H');
  EXPECT_EQ(form.drives.DriveLetter(), 'h');
  EXPECT_EQ(form.drives.Text(), "h: []");
  EXPECT_EQ(form.list.Folder(), h);
  EXPECT_EQ(form.events, (std::vector<std::string>{"list " + h, "change h"}));

  form.events.clear();
  form.drives.SetDriveLetter('h');
  form.drives.SetDriveLetter('H');
  EXPECT_TRUE(form.events.empty());

  // No drive: the selection goes, 0 reaches the list, which stays where it is.
  form.drives.SetDriveLetter('\0');
  EXPECT_EQ(form.drives.DriveLetter(), '\0');
  EXPECT_EQ(form.drives.ItemIndex(), -1);
  EXPECT_EQ(form.list.Folder(), h);
  EXPECT_EQ(form.events, (std::vector<std::string>{"list " + h, std::string("change ") + '\0'}));
  form.list.SetFolder(e_.path());
}

TEST_F(DriveComboBoxTest, ChoosingAnotherDriveNotifiesTwiceTheSameOnce) {
  DriveForm& form = Show();
  const std::string h = ResolvedDirectory("h:");
  Choose('h');
  EXPECT_EQ(form.drives.DriveLetter(), 'h');
  EXPECT_EQ(form.list.Folder(), h);
  EXPECT_EQ(form.events, (std::vector<std::string>{"list " + h, "change h", "change h"}));
  form.events.clear();
  Choose('h');
  EXPECT_EQ(form.events, std::vector<std::string>{"change h"});
  form.list.SetFolder(e_.path());
}

TEST_F(DriveComboBoxTest, DriveThatCannotBeEnteredKeepsTheListWhereItWas) {
  RecordExceptions();
  DriveForm& form = Show();
  const DWORD code = RefusalCode("j:");
  ASSERT_NE(code, 0u);
  Choose('j');
  ASSERT_EQ(exceptions.size(), 1u);
  EXPECT_EQ(exceptions[0].className, "EInOutError");
  EXPECT_EQ(exceptions[0].sender, &form.drives);
  EXPECT_EQ(exceptions[0].message, InOutErrorMessage(code));
  EXPECT_EQ(form.drives.DriveLetter(), 'j');
  EXPECT_EQ(form.drives.Text(), "j: []");
  EXPECT_EQ(form.list.Folder(), e_.path());
  EXPECT_TRUE(form.events.empty());
  // The letter already matches: choosing it again does nothing but the selection's change.
  Choose('j');
  EXPECT_EQ(exceptions.size(), 1u);
  EXPECT_EQ(form.events, std::vector<std::string>{"change j"});
  form.events.clear();
  const std::string i = ResolvedDirectory("i:");
  Choose('i');
  EXPECT_EQ(form.list.Folder(), i);
  EXPECT_EQ(form.events, (std::vector<std::string>{"list " + i, "change i", "change i"}));
  form.list.SetFolder(e_.path());
}

TEST_F(DriveComboBoxTest, EnterAndEscCloseTheDropDownInsteadOfClickingButtons) {
  DriveForm& form = Show();
  const auto press = [&](WORD key) {
    PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageA(GetFocus(), WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    application.ProcessMessages();
  };
  form.drives.SetFocus();
  for (WORD key : {WORD{VK_RETURN}, WORD{VK_ESCAPE}}) {
    form.drives.SetDroppedDown(true);
    ASSERT_TRUE(form.drives.DroppedDown());
    press(key);
    EXPECT_FALSE(form.drives.DroppedDown()) << key;
    EXPECT_EQ(form.okClicks, 0) << key;
  }
  press(VK_RETURN);
  EXPECT_EQ(form.okClicks, 1);
}

TEST_F(DriveComboBoxTest, LinksAreClearedOnBothSides) {
  DriveForm& form = Show();
  EXPECT_EQ(form.list.LinkedDriveBox(), &form.drives);
  {
    TDirectoryListBox other(form);
    form.drives.SetDirList(&other);
    EXPECT_EQ(form.list.LinkedDriveBox(), nullptr);
    EXPECT_EQ(other.LinkedDriveBox(), &form.drives);
  }
  EXPECT_EQ(form.drives.DirList(), nullptr);
  form.drives.SetDirList(&form.list);
  auto box = std::make_unique<TDriveComboBox>(form);
  box->SetDirList(&form.list);
  EXPECT_EQ(form.list.LinkedDriveBox(), box.get());
  // Two boxes drive one list.
  ASSERT_EQ(form.drives.DirList(), &form.list);
  const std::string h = ResolvedDirectory("h:");
  form.drives.SetDriveLetter('h');
  EXPECT_EQ(form.list.Folder(), h);
  box.reset();
  EXPECT_EQ(form.list.LinkedDriveBox(), nullptr);
  form.list.SetFolder(e_.path());
}

}  // namespace
