#include "dialog/ok_right_dlg.h"

#include <shlobj.h>
#include <windows.h>

#include "browsing/folder_picker.h"
#include "dialog/dialog_texts.h"
#include "framework/application.h"
#include "framework/current_directory.h"
#include "framework/font.h"
#include "framework/handles.h"

TOKRightDlg* OKRightDlg = nullptr;

namespace {

// Left, top, width, height.
struct Bounds {
  int left, top, width, height;
};

void Place(TWinControl& control, Bounds bounds) {
  control.SetBounds(bounds.left, bounds.top, bounds.width, bounds.height);
}

constexpr int kNotInTabOrder = -1;
constexpr int kPasswordBytes = 24;

}  // namespace

TOKRightDlg::TOKRightDlg(TApplication& application)
    : TForm(application),
      OKBtn(*this),
      CancelBtn(*this),
      DirectoryListBox1(*this),
      Label1(*this),
      fainuno(*this),
      DriveComboBox1(*this),
      Button1(*this),
      Edit1(*this),
      Label2(*this),
      FileListBox1(*this),
      Label3(*this),
      Edit10(*this),
      ProgressBar1(*this),
      Button2(*this),
      ApplicationEvents1(application),
      PauseFunction([](unsigned milliseconds) { Sleep(milliseconds); }) {
  LayOut();
  Edit10.SetText("");
  TakeOutputFolderFromDesktop();
  TakeCommandLineFiles();
}

void TOKRightDlg::LayOut() {
  SetCaption(kDialogCaption);
  SetClientSize(366, 398);
  SetPosition(poScreenCenter);

  // Every control's place at the designed text height of 13 pixels, and its stop in the Tab
  // walk; labels are not in it.
  const struct {
    TWinControl& control;
    Bounds bounds;
    int tabOrder;
  } places[] = {
      {Edit10, {82, 6, 159, 21}, 0},
      {DriveComboBox1, {82, 33, 159, 19}, 1},
      {DirectoryListBox1, {8, 58, 350, 145}, 2},
      {FileListBox1, {8, 228, 269, 97}, 3},
      {OKBtn, {283, 228, 75, 25}, 4},
      {CancelBtn, {283, 300, 75, 25}, 5},
      {Edit1, {8, 350, 297, 21}, 6},
      {Button1, {305, 348, 53, 25}, 7},
      {ProgressBar1, {8, 377, 335, 16}, 8},
      {Button2, {283, 259, 75, 25}, 9},
      {Label1, {8, 209, 329, 13}, kNotInTabOrder},
      {fainuno, {8, 36, 68, 13}, kNotInTabOrder},
      {Label2, {8, 331, 71, 13}, kNotInTabOrder},
      {Label3, {8, 8, 47, 13}, kNotInTabOrder},
  };
  for (const auto& place : places) {
    Place(place.control, place.bounds);
    if (place.tabOrder != kNotInTabOrder) place.control.SetTabOrder(place.tabOrder);
  }

  // Label1's caption is the directory list's to write.
  const struct {
    TLabel& label;
    const char* caption;
  } labels[] = {
      {fainuno, kDriveLabelCaption},
      {Label2, kOutputLabelCaption},
      {Label3, kPasswordLabelCaption},
  };
  for (const auto& label : labels) label.label.SetCaption(label.caption);

  const struct {
    TButton& button;
    const char* caption;
    void (TOKRightDlg::*click)(TObject&);
  } buttons[] = {
      {OKBtn, kStartCaption, &TOKRightDlg::OKBtnClick},
      {CancelBtn, kCancelCaption, &TOKRightDlg::CancelBtnClick},
      {Button1, kBrowseCaption, &TOKRightDlg::Button1Click},
      {Button2, kSelectAllCaption, &TOKRightDlg::Button2Click},
  };
  for (const auto& button : buttons) {
    button.button.SetCaption(button.caption);
    button.button.OnClick = [this, click = button.click](TObject& sender) {
      (this->*click)(sender);
    };
  }
  OKBtn.SetDefault(true);
  CancelBtn.SetCancel(true);

  DirectoryListBox1.SetItemHeight(16);
  DirectoryListBox1.SetDirLabel(&Label1);
  DirectoryListBox1.SetFileList(&FileListBox1);
  DriveComboBox1.SetDirList(&DirectoryListBox1);
  FileListBox1.SetMask(kFileMask);
  FileListBox1.SetMultiSelect(true);
  FileListBox1.SetItemHeight(13);

  Edit1.SetReadOnly(true);
  Edit10.SetMaxLength(kPasswordBytes);
  Edit10.SetPasswordChar('*');
  ProgressBar1.SetRange(0, 100);
  ProgressBar1.SetPosition(0);
  ProgressBar1.SetTabStop(false);

  ApplicationEvents1.OnException = [this](TObject* sender, const Exception& error) {
    ApplicationEvents1Exception(sender, error);
  };
  ScaleToFont(kDesignedTextHeight);
}

void TOKRightDlg::TakeOutputFolderFromDesktop() {
  // What the field holds when the shell has no desktop directory: nothing, which the run
  // answers by asking for an output folder.
  TaskMemory<ITEMIDLIST> list;
  if (FAILED(SHGetSpecialFolderLocation(Owner().Handle(), CSIDL_DESKTOPDIRECTORY, list.Put())) || !list) {
    return;
  }
  char path[MAX_PATH] = {};
  if (SHGetPathFromIDListA(list.Get(), path)) Edit1.SetText(path);
}

// During a run the buttons act only on clicks that another program sends (the run answers
// sent messages so as not to look hung, and drops the user's input): they are ignored.
void TOKRightDlg::Button1Click(TObject&) {
  if (running_) return;
  std::string folder;
  if (PickFolder(kPickFolderCaption, L"", folder, TBrowseOptions{boNewDialogStyle}, nullptr)) {
    Edit1.SetText(folder);
  }
}

void TOKRightDlg::Button2Click(TObject&) {
  if (!running_) FileListBox1.SelectAllItems();
}

void TOKRightDlg::CancelBtnClick(TObject&) {
  if (!running_) Close();
}

void TOKRightDlg::ApplicationEvents1Exception(TObject*, const Exception& E) {
  if (lstrcmpiA(E.ClassName(), "EInOutError") == 0) TakeIOResult();
}

void TOKRightDlg::DecodeFile(const std::string& path) { ::DecodeFile(*this, path); }

std::string TOKRightDlg::PasswordText() const { return Edit10.Text(); }

std::string TOKRightDlg::OutputFolderText() const { return Edit1.Text(); }

void TOKRightDlg::SetStopFlag() { StopFlag = 1; }

void TOKRightDlg::SetDoneFlag() { DoneFlag = 1; }

MessageAnswer TOKRightDlg::ShowMessage(std::string_view text, std::string_view title,
                                       MessageButtons buttons) {
  const int answer = Owner().ShowMessageBox(Handle(), std::string(text), std::string(title),
                                            static_cast<UINT>(buttons));
  return answer == IDOK ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

void TOKRightDlg::Pause(unsigned milliseconds) { PauseFunction(milliseconds); }

void TOKRightDlg::CloseDialog() { Close(); }

void TOKRightDlg::ReportProgress(uint64_t done, uint64_t total) { fileProgress_.Report(done, total); }
