#pragma once
// The drive box: a drop-down list of the machine's drives, each with a glyph for its kind
// and its volume label or network name. Choosing a drive sends its letter to the linked
// directory list, which goes to that drive's current directory; the list in turn writes
// the box's DriveLetter when its Folder moves to another drive, so both keep one drive.
//
// The items are read from the system on every window creation and every TextCase write;
// a drive that comes or goes in between is not seen until then. While its list is dropped
// down the native box asks for Enter and Esc itself (WM_GETDLGCODE), so they close the list
// instead of clicking the form's buttons.

#include <string>
#include <string_view>

#include "browsing/glyph.h"
#include "framework/combo_box.h"

class TDirectoryListBox;

enum TTextCase {
  tcLowerCase,  // "c: [system]"
  tcUpperCase,  // "C: [SYSTEM]"
};

class TDriveComboBox : public TComboBoxBase {
 public:
  // DriveLetter starts as the first character of the process's current directory, or 0
  // when that is a network path.
  explicit TDriveComboBox(TWinControl& parent);

  // The current drive's letter in the case TextCase gives, or 0 for none.
  char DriveLetter() const { return driveLetter_; }
  // Unless an item is selected and letter is DriveLetter in either case: stores letter in
  // TextCase's case (0: none), selects its item (0: none; a letter without an item keeps
  // the selection), calls the directory list's SwitchDrive and fires OnChange. What
  // SwitchDrive raises (EInOutError) leaves the new letter stored and selected, with
  // OnChange not fired.
  void SetDriveLetter(char letter);

  TTextCase TextCase() const { return textCase_; }
  // Rebuilds the items in the new case and writes DriveLetter again, also when the value
  // is unchanged.
  void SetTextCase(TTextCase textCase);

  // The directory list that follows this box. Linking clears the previous list's
  // LinkedDriveBox and sets the new one's to this box; neither drive changes. Another box
  // may keep the same list as its DirList: each box moves the list, and the list's
  // LinkedDriveBox is the box that linked it last. The link is cleared when the list is
  // destroyed, and the list's back link when this box is.
  TDirectoryListBox* DirList() const { return dirList_; }
  void SetDirList(TDirectoryListBox* dirList);

 protected:
  // One item for each present drive of a known kind, a to z.
  virtual void RebuildDrives();

  void Click() override;
  void DrawItem(const OwnerDrawItem& item) override;
  void WindowCreated() override;
  // Fits the item height to the new font and makes the native box again, which reads the
  // drives afresh.
  void FontChanged() override;
  void ControlDestroyed(const TWinControl& control) override;

 private:
  void FitItemHeight();
  Glyph* GlyphOfType(UINT driveType);

  TDirectoryListBox* dirList_ = nullptr;
  char driveLetter_ = '\0';
  TTextCase textCase_ = tcLowerCase;
  Glyph floppy_;
  Glyph hard_;
  Glyph network_;
  Glyph cdrom_;
  Glyph ram_;
};

// The text of the item for the drive of letter ("c", or "C" for upper case) of the given
// type (GetDriveTypeA), or empty when such a drive is not listed: "a:" for a removable
// drive, whose medium is never touched; "c: [label]" for a fixed, CD-ROM or RAM drive;
// "z: \\srv\share" for a remote one, or its label text when the remote name is unknown.
std::string DriveItemText(char letter, UINT driveType);

// "[name]" for the volume at letter's root, the name upper-cased by the file-name rule for
// an upper-case letter, else lower-cased; "[]" when the volume cannot be asked. The system
// asks the user nothing.
std::string VolumeLabelText(char letter);

// The remote name of the drive (WNetGetConnectionA of the system folder's MPR, loaded on
// the first call) in letter's case by the file-name rule, or VolumeLabelText when there is
// none or MPR cannot be loaded.
std::string RemoteNameText(char letter);
