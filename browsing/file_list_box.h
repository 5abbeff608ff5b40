#pragma once
// The file list: the entries of one directory (Folder) that match one or more search
// patterns (Mask) and have the requested attributes (FileType), kept sorted and drawn by
// the list itself, optionally with a glyph before each name. The user selects one or
// several of them; the selection is mirrored into a linked edit field.
//
// The list's items are exactly the last search result plus what AddListItem added since.
// A refill runs on window creation (first need and every re-creation), on a Folder write
// that names another directory, and on a Mask or FileType write that changes the value;
// nothing else clears the list. Folder changes and refills leave the process's current
// directory at Folder and never put it back.

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "browsing/glyph.h"
#include "framework/list_box.h"

class TDirectoryListBox;
class TEdit;

// The kinds of entry a file list shows. All but ftNormal stand for one attribute bit of a
// directory entry: the member's position n is the bit 1 << n.
enum TFileAttr {
  ftReadOnly,   // FILE_ATTRIBUTE_READONLY 0x01
  ftHidden,     // FILE_ATTRIBUTE_HIDDEN 0x02
  ftSystem,     // FILE_ATTRIBUTE_SYSTEM 0x04
  ftVolumeID,   // the volume label bit 0x08
  ftDirectory,  // FILE_ATTRIBUTE_DIRECTORY 0x10
  ftArchive,    // FILE_ATTRIBUTE_ARCHIVE 0x20
  ftNormal,     // no bit: entries regardless of their attributes
};

// A set of TFileAttr.
class TFileType {
 public:
  constexpr TFileType() = default;
  constexpr TFileType(std::initializer_list<TFileAttr> members) {
    for (TFileAttr member : members) bits_ = static_cast<std::uint8_t>(bits_ | Bit(member));
  }

  constexpr bool Contains(TFileAttr member) const { return (bits_ & Bit(member)) != 0; }
  // The OR of the attribute bits of the members other than ftNormal; 0 for [ftNormal].
  constexpr DWORD AttributeMask() const { return bits_ & 0x3Fu; }

  friend constexpr bool operator==(TFileType, TFileType) = default;

 private:
  static constexpr std::uint8_t Bit(TFileAttr member) { return static_cast<std::uint8_t>(1u << member); }

  std::uint8_t bits_ = 0;
};

class TFileListBox : public TListBoxBase {
 public:
  // Width 145, FileType [ftNormal], Folder the process's current directory, Mask "*.*",
  // single selection, LastSelIndex -1, the glyphs loaded, sorted, the item height fitted to
  // the font. The window is made on first need, and is then filled.
  explicit TFileListBox(TWinControl& parent);

  // The directory shown, as the system reports the current directory (no trailing "\"
  // except at a drive root).
  const std::string& Folder() const { return folder_; }
  // Goes to path (absolute, or relative to Folder) and refills, unless path names Folder
  // itself without regard to case, which changes nothing and keeps every item. Raises
  // EInOutError with the system's error code when the directory cannot be entered; Folder
  // and the items are then unchanged.
  void SetFolder(const std::string& path);

  // Search patterns separated by ";" (default "*.*"); an empty pattern finds nothing.
  const std::string& Mask() const { return mask_; }
  // Stores and refills when mask differs exactly (letter case counts).
  void SetMask(const std::string& mask);

  TFileType FileType() const { return fileType_; }
  // Stores and refills when fileType differs.
  void SetFileType(TFileType fileType);

  // The edit field that mirrors the selected name (none by default). Linking sets its text
  // to SelectedName, or to Mask when nothing is selected; this needs the list's window. The
  // link is cleared when the edit is destroyed.
  TEdit* FileEdit() const { return fileEdit_; }
  void SetFileEdit(TEdit* edit);

  // Back link, set and cleared by the directory list whose FileList this list is, and
  // cleared when that list is destroyed.
  TDirectoryListBox* DirList() const { return dirList_; }
  void SetDirList(TDirectoryListBox* dirList) { dirList_ = dirList; }

  // Draw each item's object (a const Glyph*, or null for none) before its name; default
  // off. Turning it on raises the item height to the EXECUTABLE glyph's height + 1 when it
  // is lower (which re-creates and so refills the list) and repaints.
  bool ShowGlyphs() const { return showGlyphs_; }
  void SetShowGlyphs(bool showGlyphs);

  // CurrentIndex at the last change notification; -1 before the first.
  int LastSelIndex() const { return lastSelIndex_; }

  // Adds text (up to its first NUL) with object at its sorted position, duplicates allowed,
  // and returns that position. Makes (and so fills) the window first when there is none.
  // Raises EOutOfResources "行を挿入できません" when the native list refuses the item.
  int AddListItem(const std::string& text, void* object = nullptr) { return AddItem(text, object); }
  // Selects every item with MultiSelect; nothing without.
  void SelectAllItems() { SelectAll(); }

  // The text of the current item when there is one and it is selected; else "".
  std::string SelectedName();
  // "" when SelectedName is empty, else platform::PathInFolder(Folder, SelectedName).
  virtual std::string SelectedFile();
  // Takes a path typed by the user: goes to its directory (through DirList when linked),
  // takes a pattern as Mask, selects a named file. Nothing happens for an empty text or one
  // naming SelectedFile. Raises EInvalidOperation "不正なファイル名 - " + text when the name
  // is no existing file (a directory does not count), after the directory change and the
  // selection attempt; and what SplitCommandPath and the Folder write raise.
  virtual void ApplyEditText(const std::string& text);
  void SetSelectedFile(const std::string& text) { ApplyEditText(text); }

  // Fired by NotifyChanged with this list as sender.
  TNotifyEvent OnChange;

 protected:
  // LastSelIndex := CurrentIndex; FileEdit's text := SelectedName, or Mask when that is
  // empty, all of it selected; then OnChange.
  virtual void NotifyChanged();
  // Re-reads Folder with Mask and FileType into the list (nothing while there is no
  // window) and then notifies. Raises EInOutError, keeping the items, when Folder cannot be
  // entered, and EOutOfResources when the native list refuses an item.
  virtual void RefillFromFolder();
  // Loads the EXECUTABLE, CLOSEDFOLDER and UNKNOWNFILE glyphs. It runs once, when they are
  // first needed (the window's creation, ShowGlyphs or a font change), so that a subclass's
  // replacement is the one that runs, which a call from this class's constructor would not
  // reach.
  virtual void LoadGlyphs();

  void WindowCreated() override;
  // Fits the item height to the new font.
  void FontChanged() override;
  void ControlDestroyed(const TWinControl& control) override;
  void Click() override;
  void DrawItem(const OwnerDrawItem& item) override;

  // What LoadGlyphs fills. The items point at these objects, so they are assigned, never
  // replaced by others.
  Glyph executable_;
  Glyph closedFolder_;
  Glyph unknownFile_;

 private:
  void FitItemHeight();
  void AddSearchResult(const std::string& pattern, int& lastPosition);
  Glyph* FileGlyph(std::string_view name);
  void SelectByName(const std::string& name);

  std::string folder_;
  std::string mask_ = "*.*";
  TFileType fileType_{ftNormal};
  TEdit* fileEdit_ = nullptr;
  TDirectoryListBox* dirList_ = nullptr;
  int lastSelIndex_ = -1;
  GlyphsLoadedOnce glyphs_{[this] { LoadGlyphs(); }};
  bool showGlyphs_ = false;
};

// The message of the EInvalidOperation that ApplyEditText raises for text.
std::string InvalidFileNameMessage(std::string_view text);
