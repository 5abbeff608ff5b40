// The start button's run over the file list.

#include <algorithm>

#include "dialog/dialog_texts.h"
#include "dialog/ok_right_dlg.h"
#include "framework/application.h"

int TOKRightDlg::ProgressAfterPass(int index, int count, int step) {
  return std::clamp((index + 1) * 100 / count, step, 100);
}

namespace {

class RunningMark {
 public:
  explicit RunningMark(bool& running) : running_(running) { running_ = true; }
  RunningMark(const RunningMark&) = delete;
  RunningMark& operator=(const RunningMark&) = delete;
  ~RunningMark() { running_ = false; }

 private:
  bool& running_;
};

}  // namespace

void TOKRightDlg::OKBtnClick(TObject&) {
  if (running_) return;
  {
    const RunningMark mark(running_);
    Run();
  }
  TakeHeldDrops();
}

void TOKRightDlg::Run() {
  if (Edit1.Text().empty()) {
    Owner().ShowMessageBox(Handle(), kNoOutputFolderText, kMessageTitle, MB_OK);
    OKBtn.SetFocus();
    return;
  }
  StopFlag = 0;
  DoneFlag = 0;
  const int count = FileListBox1.ItemCount();
  if (count <= 0) return;
  const int step = 100 / count;

  // The list's count is read again on every pass: a message box may not change it, but the
  // loop never relies on that.
  for (int index = 0; index <= FileListBox1.ItemCount() - 1; ++index) {
    const int position = ProgressAfterPass(index, count, step);
    if (FileListBox1.ItemSelected(index)) {
      fileProgress_.Begin(position);
      // Always one "\": at a drive's root "C:\" + "\" + name gives two, which the file
      // system takes as one.
      DecodeFile(DirectoryListBox1.Folder() + "\\" + FileListBox1.ItemText(index));
    }
    ProgressBar1.SetPosition(position);
    if (StopFlag == 1) break;
  }

  if (DoneFlag == 1) {
    ProgressBar1.SetPosition(100);
    Owner().ShowMessageBox(Handle(), kCompletedText, kMessageTitle, MB_OK);
    PauseFunction(kPauseMilliseconds);
    Close();
  } else {
    ProgressBar1.SetPosition(0);
  }
}
