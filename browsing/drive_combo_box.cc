#include "browsing/drive_combo_box.h"

#include <windows.h>
#include <winnetwk.h>

#include <algorithm>

#include "browsing/directory_list_box.h"
#include "browsing/file_name_text.h"
#include "browsing/system_library.h"
#include "browsing/volume_query.h"
#include "framework/current_directory.h"
#include "framework/font.h"
#include "platform/path_text.h"

namespace {

constexpr int kLetterCount = 26;

char LowerLetter(char letter) {
  return letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
}

bool IsUpperCaseLetter(char letter) { return letter >= 'A' && letter <= 'Z'; }

// A name shown beside a drive follows the case of the drive's letter.
std::string InLettersCase(char letter, std::string_view name) {
  return IsUpperCaseLetter(letter) ? UpperFileName(name) : LowerFileName(name);
}

std::string DriveRoot(char letter) { return std::string{letter, ':', '\\'}; }

std::string WithName(char letter, const std::string& name) {
  return std::string{letter, ':', ' '} + name;
}

// WNetGetConnectionA from the system's MPR, loaded on the first remote drive and kept for
// the process's life; null when it cannot be had, which shows the label as any failure does.
decltype(WNetGetConnectionA)* RemoteConnectionQuery() {
  static const SystemLibrary mpr("mpr.dll");
  static const auto query = mpr.Find<decltype(WNetGetConnectionA)>("WNetGetConnectionA");
  return query;
}

}  // namespace

std::string VolumeLabelText(char letter) {
  // Appended rather than concatenated: GCC 12 warns falsely (-Wrestrict) on "[" + text.
  std::string text = "[";
  text += InLettersCase(letter, VolumeName(DriveRoot(letter)).value_or(""));
  text += ']';
  return text;
}

std::string RemoteNameText(char letter) {
  const auto query = RemoteConnectionQuery();
  if (!query) return VolumeLabelText(letter);
  const std::string local{platform::UpperDriveLetter(letter), ':'};
  char remote[MAX_PATH + 1] = {};
  DWORD size = sizeof remote;
  if (query(local.c_str(), remote, &size) != NO_ERROR) return VolumeLabelText(letter);
  remote[MAX_PATH] = '\0';
  return InLettersCase(letter, remote);
}

std::string DriveItemText(char letter, UINT driveType) {
  switch (driveType) {
    // The medium of a removable drive is never touched: a floppy drive would spin up or
    // ask for a disk.
    case DRIVE_REMOVABLE: return std::string{letter, ':'};
    case DRIVE_FIXED:
    case DRIVE_CDROM:
    case DRIVE_RAMDISK: return WithName(letter, VolumeLabelText(letter));
    case DRIVE_REMOTE: return WithName(letter, RemoteNameText(letter));
    default: return {};
  }
}

TDriveComboBox::TDriveComboBox(TWinControl& parent)
    : TComboBoxBase(parent),
      floppy_("FLOPPY"),
      hard_("HARD"),
      network_("NETWORK"),
      cdrom_("CDROM"),
      ram_("RAM") {
  const std::string current = CurrentDirectory();
  if (!current.empty() && current.front() != '\\') driveLetter_ = current.front();
  FitItemHeight();
}

void TDriveComboBox::SetDriveLetter(char letter) {
  // Without a window nothing is selected yet; creating it selects DriveLetter's item.
  const bool selected = HandleAllocated() && ItemIndex() >= 0;
  if (selected && platform::UpperDriveLetter(letter) == platform::UpperDriveLetter(driveLetter_)) return;
  if (letter != '\0') {
    driveLetter_ = textCase_ == tcUpperCase ? platform::UpperDriveLetter(letter) : LowerLetter(platform::UpperDriveLetter(letter));
    if (HandleAllocated()) {
      const int count = ItemCount();
      for (int index = 0; index < count; ++index) {
        const std::string text = ItemText(index);
        if (text.size() >= 2 && platform::UpperDriveLetter(text[0]) == platform::UpperDriveLetter(driveLetter_) && text[1] == ':') {
          SetItemIndex(index);
          break;
        }
      }
    }
  } else {
    driveLetter_ = '\0';
    if (HandleAllocated()) SetItemIndex(-1);
  }
  if (dirList_) dirList_->SwitchDrive(driveLetter_);
  Change();
}

void TDriveComboBox::SetTextCase(TTextCase textCase) {
  textCase_ = textCase;
  const char remembered = driveLetter_;
  RebuildDrives();
  SetDriveLetter(remembered);
}

void TDriveComboBox::SetDirList(TDirectoryListBox* dirList) {
  Relink(dirList_, dirList, this, &TDirectoryListBox::SetLinkedDriveBox);
}

void TDriveComboBox::ControlDestroyed(const TWinControl& control) {
  TComboBoxBase::ControlDestroyed(control);
  if (&control == dirList_) dirList_ = nullptr;
}

void TDriveComboBox::RebuildDrives() {
  // Creating the window builds the items (WindowCreated).
  if (!HandleAllocated()) {
    Handle();
    return;
  }
  const RedrawSuspended suspended(Handle());
  Clear();
  const DWORD present = GetLogicalDrives();
  for (int bit = 0; bit < kLetterCount; ++bit) {
    if ((present & (1u << bit)) == 0) continue;
    char letter = static_cast<char>('a' + bit);
    const UINT type = GetDriveTypeA(DriveRoot(letter).c_str());
    if (textCase_ == tcUpperCase) letter = platform::UpperDriveLetter(letter);
    const std::string text = DriveItemText(letter, type);
    if (!text.empty()) AddItem(text, GlyphOfType(type));
  }
}

Glyph* TDriveComboBox::GlyphOfType(UINT driveType) {
  switch (driveType) {
    case DRIVE_REMOVABLE: return &floppy_;
    case DRIVE_FIXED: return &hard_;
    case DRIVE_REMOTE: return &network_;
    case DRIVE_CDROM: return &cdrom_;
    case DRIVE_RAMDISK: return &ram_;
    default: return nullptr;
  }
}

void TDriveComboBox::Click() {
  TComboBoxBase::Click();
  const int index = ItemIndex();
  if (index < 0) return;
  const std::string text = ItemText(index);
  if (!text.empty()) SetDriveLetter(text.front());
}

void TDriveComboBox::FitItemHeight() { SetItemHeight(std::max(Font().TextHeight(), floppy_.Height())); }

void TDriveComboBox::FontChanged() {
  TComboBoxBase::FontChanged();
  const int height = ItemHeight();
  FitItemHeight();
  // A new item height has made the box again already; once is enough.
  if (ItemHeight() == height) RecreateWindow();
}

void TDriveComboBox::WindowCreated() {
  TComboBoxBase::WindowCreated();
  RebuildDrives();
  // Nothing is selected yet, so this runs in full: it selects the drive's item and lets
  // the directory list follow.
  SetDriveLetter(driveLetter_);
}

void TDriveComboBox::DrawItem(const OwnerDrawItem& item) {
  RECT area = item.rect;
  int glyphWidth = kDefaultGlyphWidth;
  if (const auto* glyph = static_cast<const Glyph*>(ItemObject(item.index))) {
    glyphWidth = glyph->Width();
    DrawItemGlyph(*glyph, item, area.left + kItemMargin);
  }
  area.left += kItemMargin + glyphWidth + kGlyphTextGap;
  const std::string text = ItemText(item.index);
  DrawTextA(item.dc, text.c_str(), static_cast<int>(text.size()), &area, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}
