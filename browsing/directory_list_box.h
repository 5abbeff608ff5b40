#pragma once
// The directory list: one entry for each level of the current directory's path, from the
// drive's root down to the directory itself, then the directory's subdirectories. Opening
// an entry (double click, Enter) makes it current. Every change of Folder is passed to the
// linked file list, shown shortened in the linked label, and fired as OnChange, once each.
// The process's current directory follows Folder and is never put back.

#include <string>
#include <string_view>
#include <vector>

#include "browsing/directory_list_text.h"
#include "browsing/glyph.h"
#include "framework/list_box.h"

class TFileListBox;
class TDriveComboBox;
class TLabel;

// names sorted without regard to case in the user locale, a name equal to an earlier one
// without regard to case left out.
std::vector<std::string> SortedFolderNames(const std::vector<std::string>& names);

// The names of folder's subdirectories in the order the system finds them, hidden and
// system ones, "." and ".." left out; none when folder cannot be searched.
std::vector<std::string> ListSubfolders(const std::string& folder);

class TDirectoryListBox : public TListBoxBase {
 public:
  // Folder starts as the process's current directory.
  explicit TDirectoryListBox(TWinControl& parent);

  // The current directory as the system reports it ("C:\logs", a root "C:\", a network
  // path "\\srv\share\a").
  const std::string& Folder() const { return folder_; }
  // Goes to path (absolute, drive-relative, relative, "..", another drive). A path equal
  // to Folder by ComparePaths, or an empty one, changes nothing. Raises EInOutError with
  // the system's error code when the directory cannot be entered; Folder, the items and
  // the linked controls then keep their state (Folder excepted when the drive had already
  // been switched).
  virtual void SetFolder(const std::string& path);

  // The first character of Folder ("\" for a network path).
  char DriveLetter() const;
  // Goes to that drive's current directory unless the letter is the current one in either
  // case. 0 (no drive) changes nothing and raises nothing: a network path is then reached
  // by a Folder write, which enters it directly.
  void SetDriveLetter(char letter);

  // The file list that follows this list. Linking clears the previous file list's DirList
  // back link and sets the new one's to this list, but not its Folder. Another directory
  // list may keep the same file list as its FileList; the file list's DirList is the one
  // that linked it last. Either list's destruction clears the other's link to it.
  TFileListBox* FileList() const { return fileList_; }
  void SetFileList(TFileListBox* fileList);

  // Set and cleared by the drive box that names this list as its DirList.
  TDriveComboBox* LinkedDriveBox() const { return linkedDriveBox_; }
  void SetLinkedDriveBox(TDriveComboBox* driveBox) { linkedDriveBox_ = driveBox; }

  // The label that shows Folder, shortened to fit; its caption is replaced at once. The
  // link is cleared when the label is destroyed.
  TLabel* DirLabel() const { return dirLabel_; }
  void SetDirLabel(TLabel* label);

  bool InDriveSwitch() const { return inDriveSwitch_; }
  // The case flags of Folder's volume at the last rebuild. When the volume cannot be
  // asked, it counts as keeping case and not case-sensitive.
  bool VolumeKeepsCase() const { return volumeKeepsCase_; }
  bool VolumeCaseSensitive() const { return volumeCaseSensitive_; }

  // Makes letter's drive current (its remembered directory) unless it is the current one
  // in either case; 0 means no drive and only rebuilds. Outside a Folder write the list is
  // rebuilt and NotifyChanged runs. Raises EInOutError when the drive cannot be entered.
  void SwitchDrive(char letter);

  // -1, 0 or +1: the user locale's order of a and b, lower-cased by the file-name rule
  // first unless the volume is case-sensitive.
  int ComparePaths(std::string_view a, std::string_view b) const;

  // The full path item index stands for; empty when index is not below ItemCount. Raises
  // EStringListError for a negative index.
  std::string ItemPath(int index);
  // Folder := ItemPath(CurrentIndex()).
  void OpenSelected();

  TNotifyEvent OnChange;

 protected:
  // Passes Folder to the file list, updates the label, fires OnChange.
  virtual void NotifyChanged();
  // Loads the three folder glyphs. It runs once, when they are first needed (the window's
  // creation or a font change), so that a subclass's replacement is the one that runs, which
  // a call from this class's constructor would not reach.
  virtual void LoadGlyphs();
  // Refills the items from Folder and selects the current directory's entry.
  virtual void RebuildTree();

  void WindowCreated() override;
  // Fits the item height to the new font.
  void FontChanged() override;
  void ControlDestroyed(const TWinControl& control) override;
  void DblClick() override;
  void KeyPress(char& key) override;
  void DrawItem(const OwnerDrawItem& item) override;

  // What LoadGlyphs fills. The items point at these objects, so they are assigned, never
  // replaced by others.
  Glyph openFolder_;
  Glyph closedFolder_;
  Glyph currentFolder_;

 private:
  void EnterFolder(const std::string& path);
  void UpdateDirLabel();
  void FitItemHeight();
  void ReadVolumeFlags(const std::string& root);
  void AddEntry(const std::string& text, FolderEntryKind kind);
  std::string DisplayText(const std::string& text) const;

  GlyphsLoadedOnce glyphs_{[this] { LoadGlyphs(); }};
  TFileListBox* fileList_ = nullptr;
  TDriveComboBox* linkedDriveBox_ = nullptr;
  TLabel* dirLabel_ = nullptr;
  bool inDriveSwitch_ = false;
  bool volumeKeepsCase_ = true;
  bool volumeCaseSensitive_ = false;
  std::string folder_;
};
