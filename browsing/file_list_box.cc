#include "browsing/file_list_box.h"

#include <algorithm>
#include <array>

#include "browsing/directory_list_box.h"
#include "browsing/file_name_text.h"
#include "browsing/split_command_path.h"
#include "browsing/split_path_text.h"
#include "framework/current_directory.h"
#include "framework/edit.h"
#include "framework/exceptions.h"
#include "framework/font.h"
#include "framework/system_cursor.h"
#include "platform/file.h"
#include "platform/path_text.h"
#include "platform/win_handles.h"

namespace {

// Past this sorted position a refill is long enough to show the busy cursor.
constexpr int kBusyPosition = 100;
constexpr int kDefaultWidth = 145;
constexpr DWORD kPassedOverUnlessAsked = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

// Puts the screen cursor back on every way out of a refill.
class CursorRestorer {
 public:
  CursorRestorer() : saved_(GetCursor()) {}
  CursorRestorer(const CursorRestorer&) = delete;
  CursorRestorer& operator=(const CursorRestorer&) = delete;
  ~CursorRestorer() { SetCursor(saved_); }

 private:
  HCURSOR saved_;
};

bool IsProgramExtension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string extension = LowerFileName(name.substr(dot));
  constexpr std::array<std::string_view, 4> kPrograms = {".exe", ".com", ".bat", ".pif"};
  for (std::string_view program : kPrograms) {
    if (extension == program) return true;
  }
  return false;
}

}  // namespace

std::string InvalidFileNameMessage(std::string_view text) {
  std::string message = "不正なファイル名 - ";
  message += text;
  return message;
}

TFileListBox::TFileListBox(TWinControl& parent) : TListBoxBase(parent), folder_(CurrentDirectory()) {
  SetBounds(Left(), Top(), kDefaultWidth, Height());
  SetSorted(true);
  FitItemHeight();
}

void TFileListBox::LoadGlyphs() {
  executable_ = Glyph("EXECUTABLE");
  closedFolder_ = Glyph("CLOSEDFOLDER");
  unknownFile_ = Glyph("UNKNOWNFILE");
}

// Without ShowGlyphs the glyphs play no part, so construction fits without loading them.
void TFileListBox::FitItemHeight() {
  int height = Font().TextHeight();
  if (showGlyphs_) {
    glyphs_.Ensure();
    height = std::max(height, executable_.Height() + 1);
  }
  SetItemHeight(height);
}

void TFileListBox::FontChanged() {
  TListBoxBase::FontChanged();
  FitItemHeight();
}

void TFileListBox::SetFolder(const std::string& path) {
  if (SamePath(path, folder_)) return;
  // A relative path is meant relative to the folder shown, not to wherever the process
  // happens to be.
  if (platform::QueryPathKind(folder_) == platform::PathKind::Directory) ChangeCurrentDirectory(folder_);
  ChangeCurrentDirectory(path);
  folder_ = CurrentDirectory();
  RefillFromFolder();
}

void TFileListBox::SetMask(const std::string& mask) {
  WriteProperty(mask_, mask, [this] { RefillFromFolder(); });
}

void TFileListBox::SetFileType(TFileType fileType) {
  WriteProperty(fileType_, fileType, [this] { RefillFromFolder(); });
}

void TFileListBox::SetFileEdit(TEdit* edit) {
  fileEdit_ = edit;
  if (!fileEdit_) return;
  WatchDestruction(*fileEdit_);
  const std::string name = SelectedName();
  fileEdit_->SetText(name.empty() ? mask_ : name);
}

void TFileListBox::SetShowGlyphs(bool showGlyphs) {
  if (showGlyphs == showGlyphs_) return;
  showGlyphs_ = showGlyphs;
  glyphs_.Ensure();
  if (showGlyphs_ && ItemHeight() < executable_.Height() + 1) FitItemHeight();
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

std::string TFileListBox::SelectedName() {
  const int index = CurrentIndex();
  if (index < 0 || ItemCount() == 0 || !ItemSelected(index)) return {};
  return ItemText(index);
}

std::string TFileListBox::SelectedFile() {
  const std::string name = SelectedName();
  return name.empty() ? std::string() : platform::PathInFolder(folder_, name);
}

void TFileListBox::ApplyEditText(const std::string& text) {
  if (SamePath(SelectedFile(), text) || text.empty()) return;
  const CommandPathParts parts = SplitCommandPath(text);
  if (dirList_) {
    dirList_->SetFolder(text);
  } else if (parts.driveLetter != '\0') {
    SetFolder(std::string(1, parts.driveLetter) + ":" + parts.directoryPart);
  } else {
    SetFolder(parts.directoryPart);
  }
  if (IsPattern(parts.filePart)) {
    SetMask(parts.filePart);
    return;
  }
  if (parts.filePart.empty()) return;
  SelectByName(parts.filePart);
  if (platform::QueryPathKind(parts.filePart) != platform::PathKind::File) throw EInvalidOperation(InvalidFileNameMessage(text));
  // The file exists but the mask hides it: show it by its own name.
  if (SelectedName().empty()) {
    SetMask(parts.filePart);
    SelectByName(parts.filePart);
  }
}

void TFileListBox::SelectByName(const std::string& name) {
  if (SamePath(name, SelectedName())) return;
  // Starting after item 0 and wrapping around, the search ends with item 0.
  const LRESULT found = SendMessageA(Handle(), LB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(name.c_str()));
  SetCurrentIndex(found == LB_ERR ? -1 : static_cast<int>(found));
  NotifyChanged();
}

void TFileListBox::ControlDestroyed(const TWinControl& control) {
  TListBoxBase::ControlDestroyed(control);
  if (fileEdit_ == &control) fileEdit_ = nullptr;
  if (dirList_ == &control) dirList_ = nullptr;
}

void TFileListBox::NotifyChanged() {
  lastSelIndex_ = CurrentIndex();
  if (fileEdit_) {
    const std::string name = SelectedName();
    fileEdit_->SetText(name.empty() ? mask_ : name);
    fileEdit_->SelectAll();
  }
  if (OnChange) OnChange(*this);
}

void TFileListBox::RefillFromFolder() {
  if (!HandleAllocated()) return;
  ChangeCurrentDirectory(folder_);
  {
    const RedrawSuspended suspended(Handle());
    Clear();
    const CursorRestorer cursor;
    int lastPosition = -1;
    // ";" is never the second byte of a double-byte character, so a byte split is safe.
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = mask_.find(';', start);
      AddSearchResult(mask_.substr(start, end == std::string::npos ? std::string::npos : end - start), lastPosition);
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  NotifyChanged();
}

void TFileListBox::AddSearchResult(const std::string& pattern, int& lastPosition) {
  if (pattern.empty()) return;
  platform::FileSearch search(pattern);
  if (!search.Found()) return;
  const DWORD attributeMask = fileType_.AttributeMask();
  const bool everyKind = fileType_.Contains(ftNormal);
  do {
    const WIN32_FIND_DATAA& entry = search.Entry();
    const DWORD attributes = entry.dwFileAttributes;
    const bool passedOver = (attributes & kPassedOverUnlessAsked & ~attributeMask) != 0;
    if (!passedOver && (everyKind || (attributes & attributeMask) != 0)) {
      if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        std::string text = "[";
        text += entry.cFileName;
        text += ']';
        lastPosition = AddItem(text, showGlyphs_ ? &closedFolder_ : nullptr);
      } else {
        lastPosition = AddItem(entry.cFileName, FileGlyph(entry.cFileName));
      }
    }
    if (lastPosition == kBusyPosition) SetCursor(SystemCursor(SystemCursorId::Wait));
  } while (search.Next());
}

Glyph* TFileListBox::FileGlyph(std::string_view name) {
  return IsProgramExtension(name) ? &executable_ : &unknownFile_;
}

void TFileListBox::WindowCreated() {
  TListBoxBase::WindowCreated();
  glyphs_.Ensure();
  RefillFromFolder();
}

void TFileListBox::Click() {
  TListBoxBase::Click();
  if (CurrentIndex() != lastSelIndex_) NotifyChanged();
}

void TFileListBox::DrawItem(const OwnerDrawItem& item) {
  // An opaque text call of nothing fills the rectangle in the background colour already
  // set, without making a brush.
  ExtTextOutA(item.dc, 0, 0, ETO_OPAQUE, &item.rect, nullptr, 0, nullptr);
  int textOffset = kItemMargin;
  const auto* glyph = static_cast<const Glyph*>(ItemObject(item.index));
  if (showGlyphs_ && glyph) {
    DrawItemGlyph(*glyph, item, item.rect.left + kItemMargin);
    textOffset = kItemMargin + glyph->Width() + kGlyphTextGap;
  }
  const std::string text = ItemText(item.index);
  TextOutA(item.dc, item.rect.left + textOffset, item.rect.top, text.c_str(), static_cast<int>(text.size()));
}
