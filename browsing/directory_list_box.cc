#include "browsing/directory_list_box.h"

#include <windows.h>

#include <algorithm>

#include "browsing/drive_combo_box.h"
#include "browsing/file_list_box.h"
#include "browsing/file_name_text.h"
#include "browsing/split_command_path.h"
#include "browsing/volume_query.h"
#include "framework/exceptions.h"
#include "framework/font.h"
#include "framework/label.h"
#include "platform/path_text.h"
#include "platform/win_handles.h"

namespace {

constexpr char kEnter = 13;
// Each level of the path is indented this much further than the one above it.
constexpr int kLevelIndent = 4;
// OPENFOLDER, CLOSEDFOLDER and CURRENTFOLDER are 16 x 15 pixels.
constexpr int kFolderGlyphHeight = 15;
constexpr std::string_view kEllipsisFolder = "...\\";

char UpperLetter(char letter) {
  return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
}

std::size_t FindSeparatorFrom(std::string_view text, std::size_t start) {
  for (std::size_t i = start; i < text.size(); i += platform::CharacterLength(text, i)) {
    if (text[i] == '\\') return i;
  }
  return std::string_view::npos;
}

bool EndsInSeparator(std::string_view text) {
  const std::size_t last = platform::LastCharacterIndex(text);
  return last != std::string_view::npos && text[last] == '\\';
}

// The byte length of text's first count whole characters.
std::size_t LeadingCharacters(std::string_view text, std::size_t count) {
  std::size_t end = 0;
  for (; count > 0 && end < text.size(); --count) end += platform::CharacterLength(text, end);
  return end;
}

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int CompareIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) -
         CSTR_EQUAL;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The tree's text, without the file system.

int PathDepth(std::string_view path) {
  int depth = 0;
  for (std::size_t i = 0; i < path.size(); i += platform::CharacterLength(path, i)) {
    if (path[i] == '\\') ++depth;
  }
  return depth;
}

std::vector<FolderEntry> PathLevelEntries(std::string_view folder) {
  std::vector<FolderEntry> entries;
  const std::string root = DrivePart(folder) + "\\";
  std::string_view rest = folder;
  const bool network = root.size() >= 2 && root[1] == '\\';
  if (network) {
    entries.push_back({root, FolderEntryKind::Open});
    rest = folder.size() > root.size() ? folder.substr(root.size()) : std::string_view();
  }
  if (rest.empty()) return entries;
  if (!EndsInSeparator(rest)) {
    bool first = !network;
    for (std::size_t separator = FindSeparatorFrom(rest, 0); separator != std::string_view::npos;
         separator = FindSeparatorFrom(rest, 0)) {
      std::string level(rest.substr(0, separator));
      // "C:" stands for the root only with its separator.
      if (first) level += '\\';
      first = false;
      entries.push_back({std::move(level), FolderEntryKind::Open});
      rest = rest.substr(separator + 1);
    }
  }
  entries.push_back({std::string(rest), FolderEntryKind::Current});
  return entries;
}

std::string PathLevelPath(std::string_view folder, int index) {
  const std::string drive = DrivePart(folder);
  if (index <= 0) return drive + "\\";
  const std::string_view rest = folder.substr(drive.size());
  std::size_t stop = 0;
  int separators = 0;
  for (; stop < rest.size(); stop += platform::CharacterLength(rest, stop)) {
    if (rest[stop] == '\\' && ++separators == index + 1) break;
  }
  return drive + std::string(rest.substr(0, stop));
}

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
  platform::FileSearch search(JoinPath(folder, "*.*"));
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

std::string DropLeadingFolder(std::string_view dir) {
  if (dir == "\\") return {};
  const bool leadingSeparator = dir.starts_with('\\');
  if (leadingSeparator) dir.remove_prefix(1);
  // An earlier "...\" goes before the next folder is replaced by one.
  if (dir.starts_with('.')) dir.remove_prefix(LeadingCharacters(dir, kEllipsisFolder.size()));
  std::string dropped;
  const std::size_t separator = FindSeparatorFrom(dir, 0);
  if (separator != std::string_view::npos) {
    dropped = kEllipsisFolder;
    dropped += dir.substr(separator + 1);
  }
  if (leadingSeparator) dropped.insert(0, 1, '\\');
  return dropped;
}

std::string ShortenPathToWidth(std::string_view path, const std::function<int(std::string_view)>& textWidth,
                               int width) {
  std::string result(path);
  const std::size_t separator = platform::FindLastSeparator(path, "\\:");
  const std::size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
  std::string dir(path.substr(0, nameStart));
  const std::string name(path.substr(nameStart));
  std::string drive;
  if (dir.size() >= 2 && dir[1] == ':' && platform::CharacterLength(dir, 0) == 1) {
    drive = dir.substr(0, 2);
    dir.erase(0, 2);
  }
  while ((!dir.empty() || !drive.empty()) && textWidth(result) > width) {
    if (dir == "\\...\\") {
      drive.clear();
      dir = kEllipsisFolder;
    } else if (dir.empty()) {
      drive.clear();
    } else {
      dir = DropLeadingFolder(dir);
    }
    result = drive + dir + name;
  }
  return result;
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
  if (letter == '\0' || UpperLetter(letter) == UpperLetter(DriveLetter())) return;
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
  if (UpperLetter(letter) == UpperLetter(DriveLetter())) return;
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
  if (IsDirectory(folder_)) ChangeCurrentDirectory(folder_);
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
    case FolderEntryKind::Closed: return JoinPath(folder_, ItemText(index));
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
      ShortenPathToWidth(folder_, [&label](std::string_view text) { return label.TextWidth(text); }, width));
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
      ItemKind<FolderEntryKind>(item.index) == FolderEntryKind::Closed ? PathDepth(folder_) + 1 : item.index;
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
