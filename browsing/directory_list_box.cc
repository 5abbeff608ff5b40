#include "browsing/directory_list_box.h"

#include <windows.h>

#include <algorithm>

#include "browsing/drive_combo_box.h"
#include "browsing/file_list_box.h"
#include "browsing/file_name_text.h"
#include "browsing/split_command_path.h"
#include "browsing/volume_query.h"
#include "framework/current_directory.h"
#include "framework/exceptions.h"
#include "framework/font.h"
#include "framework/label.h"
#include "platform/file.h"
#include "platform/path_text.h"
#include "platform/win_handles.h"

namespace {

constexpr char kEnter = 13;
// Each level of the path is indented this much further than the one above it.
constexpr int kLevelIndent = 4;
// OPENFOLDER, CLOSEDFOLDER and CURRENTFOLDER are 16 x 15 pixels.
constexpr int kFolderGlyphHeight = 15;

int CompareIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) -
         CSTR_EQUAL;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The subfolders' names.

std::vector<std::string> SortedFolderNames(const std::vector<std::string>& names) {
  std::vector<std::string> sorted;
  for (const std::string& name : names) {
    const auto position = std::lower_bound(sorted.begin(), sorted.end(), name, [](const std::string& a, const std::string& b) {
      return CompareIgnoringCase(a, b) < 0;
    });
    if (position != sorted.end() && CompareIgnoringCase(*position, name) == 0) continue;
    sorted.insert(position, name);
  }
  return sorted;
}

std::vector<std::string> ListSubfolders(const std::string& folder) {
  std::vector<std::string> names;
  platform::FileSearch search(platform::PathInFolder(folder, "*.*"));
  if (!search.Found()) return names;
  constexpr DWORD kPassedOver = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    const WIN32_FIND_DATAA& found = search.Entry();
    const std::string_view name = found.cFileName;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || (found.dwFileAttributes & kPassedOver) != 0) {
      continue;
    }
    if (name == "." || name == "..") continue;
    names.emplace_back(name);
  } while (search.Next());
  return names;
}

// ---------------------------------------------------------------------------------------
// The control.

TDirectoryListBox::TDirectoryListBox(TWinControl& parent) : TListBoxBase(parent), folder_(CurrentDirectory()) {
  SetBounds(Left(), Top(), 145, Height());
  // The glyphs are not loaded yet (LoadGlyphs): the floor is that of the folder pictures
  // this class loads.
  SetItemHeight(std::max(Font().TextHeight(), kFolderGlyphHeight + 1));
}

char TDirectoryListBox::DriveLetter() const { return folder_.empty() ? '\0' : folder_.front(); }

void TDirectoryListBox::SetFolder(const std::string& path) {
  if (path.empty() || ComparePaths(path, folder_) == 0) return;
  const CommandPathParts parts = SplitCommandPath(path);
  if (parts.driveLetter != DriveLetter()) {
    inDriveSwitch_ = true;
    try {
      if (linkedDriveBox_) {
        linkedDriveBox_->SetDriveLetter(parts.driveLetter);
      } else {
        SwitchDrive(parts.driveLetter);
      }
    } catch (...) {
      inDriveSwitch_ = false;
      throw;
    }
    inDriveSwitch_ = false;
  }
  EnterFolder(parts.directoryPart);
}

// "\0:" would name no directory at all: going to no drive leaves the list where it is, and
// a network path is reached by writing it to Folder, which enters it directly.
void TDirectoryListBox::SetDriveLetter(char letter) {
  if (letter == '\0' || platform::UpperDriveLetter(letter) == platform::UpperDriveLetter(DriveLetter())) return;
  SetFolder(std::string{letter, ':'});
}

void TDirectoryListBox::SetFileList(TFileListBox* fileList) {
  Relink(fileList_, fileList, this, &TFileListBox::SetDirList);
}

void TDirectoryListBox::SetDirLabel(TLabel* label) {
  dirLabel_ = label;
  if (dirLabel_) WatchDestruction(*dirLabel_);
  UpdateDirLabel();
}

void TDirectoryListBox::ControlDestroyed(const TWinControl& control) {
  TListBoxBase::ControlDestroyed(control);
  if (&control == fileList_) fileList_ = nullptr;
  if (&control == linkedDriveBox_) linkedDriveBox_ = nullptr;
  if (&control == dirLabel_) dirLabel_ = nullptr;
}

void TDirectoryListBox::SwitchDrive(char letter) {
  if (platform::UpperDriveLetter(letter) == platform::UpperDriveLetter(DriveLetter())) return;
  if (letter != '\0') {
    // The system resolves "E:" to the drive's remembered directory.
    ChangeCurrentDirectory(std::string{letter, ':'});
    folder_ = CurrentDirectory();
  }
  // Within a Folder write, EnterFolder rebuilds and notifies once the directory is entered.
  if (inDriveSwitch_) return;
  RebuildTree();
  NotifyChanged();
}

void TDirectoryListBox::EnterFolder(const std::string& path) {
  // A relative or drive-relative path is meant relative to Folder.
  if (platform::QueryPathKind(folder_) == platform::PathKind::Directory) ChangeCurrentDirectory(folder_);
  ChangeCurrentDirectory(path);
  folder_ = CurrentDirectory();
  RebuildTree();
  NotifyChanged();
}

int TDirectoryListBox::ComparePaths(std::string_view a, std::string_view b) const {
  if (volumeCaseSensitive_) return CompareLocaleText(a, b);
  return CompareLocaleText(LowerFileName(a), LowerFileName(b));
}

std::string TDirectoryListBox::ItemPath(int index) {
  if (index < 0) throw EStringListError(index);
  if (index >= ItemCount()) return {};
  if (index == 0) return PathLevelPath(folder_, 0);
  switch (ItemKind<FolderEntryKind>(index)) {
    case FolderEntryKind::Closed: return platform::PathInFolder(folder_, ItemText(index));
    case FolderEntryKind::Current: return folder_;
    case FolderEntryKind::Open: break;
  }
  return PathLevelPath(folder_, index);
}

void TDirectoryListBox::OpenSelected() { SetFolder(ItemPath(CurrentIndex())); }

void TDirectoryListBox::NotifyChanged() {
  if (fileList_) fileList_->SetFolder(folder_);
  UpdateDirLabel();
  if (OnChange) OnChange(*this);
}

void TDirectoryListBox::RebuildTree() {
  // Creating the window rebuilds the tree (WindowCreated).
  if (!HandleAllocated()) {
    Handle();
    return;
  }
  int currentIndex = -1;
  {
    const RedrawSuspended suspended(Handle());
    Clear();
    const std::string root = PathLevelPath(folder_, 0);
    ReadVolumeFlags(root);
    for (const FolderEntry& entry : PathLevelEntries(folder_)) AddEntry(entry.text, entry.kind);
    currentIndex = ItemCount() - 1;
    for (const std::string& name : SortedFolderNames(ListSubfolders(folder_))) {
      AddEntry(name, FolderEntryKind::Closed);
    }
  }
  SetCurrentIndex(currentIndex);
}

void TDirectoryListBox::ReadVolumeFlags(const std::string& root) {
  // A volume that cannot be asked (a drive that is not ready) is taken as the common case:
  // names keep their case and compare without regard to it.
  const std::optional<DWORD> flags = VolumeFileSystemFlags(root);
  volumeKeepsCase_ = !flags || (*flags & (FILE_CASE_SENSITIVE_SEARCH | FILE_CASE_PRESERVED_NAMES)) != 0;
  volumeCaseSensitive_ = flags && (*flags & FILE_CASE_SENSITIVE_SEARCH) != 0;
}

void TDirectoryListBox::AddEntry(const std::string& text, FolderEntryKind kind) {
  Glyph* glyph = &openFolder_;
  if (kind == FolderEntryKind::Current) glyph = &currentFolder_;
  if (kind == FolderEntryKind::Closed) glyph = &closedFolder_;
  AddItem(text, glyph, kind);
}

void TDirectoryListBox::UpdateDirLabel() {
  if (!dirLabel_) return;
  // A label that sizes itself to its text would always fit: the list's width is the limit.
  const int width = dirLabel_->AutoSize() ? Width() : dirLabel_->Width();
  const TLabel& label = *dirLabel_;
  dirLabel_->SetCaption(
      platform::ShortenPathToWidth(folder_, [&label](std::string_view text) { return label.TextWidth(text); }, width));
}

void TDirectoryListBox::LoadGlyphs() {
  openFolder_ = Glyph("OPENFOLDER");
  closedFolder_ = Glyph("CLOSEDFOLDER");
  currentFolder_ = Glyph("CURRENTFOLDER");
}

void TDirectoryListBox::FitItemHeight() {
  glyphs_.Ensure();
  SetItemHeight(std::max(Font().TextHeight(), openFolder_.Height() + 1));
}

void TDirectoryListBox::FontChanged() {
  TListBoxBase::FontChanged();
  FitItemHeight();
}

std::string TDirectoryListBox::DisplayText(const std::string& text) const {
  if (volumeKeepsCase_ || volumeCaseSensitive_) return text;
  return LowerFileName(text, FileNameCase::Locale);
}

void TDirectoryListBox::WindowCreated() {
  TListBoxBase::WindowCreated();
  glyphs_.Ensure();
  RebuildTree();
}

void TDirectoryListBox::DblClick() {
  TListBoxBase::DblClick();
  OpenSelected();
}

void TDirectoryListBox::KeyPress(char& key) {
  TListBoxBase::KeyPress(key);
  if (key == kEnter) OpenSelected();
}

void TDirectoryListBox::DrawItem(const OwnerDrawItem& item) {
  // A subdirectory stands one level below the current directory, wherever its item is.
  const int level =
      ItemKind<FolderEntryKind>(item.index) == FolderEntryKind::Closed ? platform::PathDepth(folder_) + 1 : item.index;
  const int indent = level * kLevelIndent + kItemMargin;
  int glyphWidth = kDefaultGlyphWidth;
  if (const auto* glyph = static_cast<const Glyph*>(ItemObject(item.index))) {
    glyphWidth = glyph->Width();
    DrawItemGlyph(*glyph, item, item.rect.left + indent);
  }
  const std::string text = DisplayText(ItemText(item.index));
  TextOutA(item.dc, item.rect.left + indent + glyphWidth + kGlyphTextGap, item.rect.top, text.data(),
           static_cast<int>(text.size()));
}
