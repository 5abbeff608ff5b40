#pragma once
// The main dialog: password, drive, directory and file lists, output folder, and the run.

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "browsing/directory_list_box.h"
#include "browsing/drive_combo_box.h"
#include "browsing/file_list_box.h"
#include "dialog/file_progress.h"
#include "dialog/policy/decode_file.h"
#include "framework/application_events.h"
#include "framework/button.h"
#include "framework/edit.h"
#include "framework/form.h"
#include "framework/label.h"
#include "framework/progress_bar.h"

class TOKRightDlg : public TForm, private DecodeHost {
 public:
  // Builds the dialog for application: the components with their layout and links, the
  // empty password, the desktop directory as output folder, then the files named on the
  // command line. Raises EInOutError when a named path cannot be resolved.
  explicit TOKRightDlg(TApplication& application);

  TButton OKBtn;
  TButton CancelBtn;
  TDirectoryListBox DirectoryListBox1;
  TLabel Label1;
  TLabel fainuno;
  TDriveComboBox DriveComboBox1;
  TButton Button1;
  TEdit Edit1;
  TLabel Label2;
  TFileListBox FileListBox1;
  TLabel Label3;
  TEdit Edit10;
  TProgressBar ProgressBar1;
  TButton Button2;
  TApplicationEvents ApplicationEvents1;

  void Button1Click(TObject& Sender);
  void CancelBtnClick(TObject& Sender);
  // The batch run: every selected file of the list, in list order, through DecodeFile.
  void OKBtnClick(TObject& Sender);
  void Button2Click(TObject& Sender);
  // Swallows every exception that escapes a handler; an EInOutError's pending I/O result
  // is reset.
  void ApplicationEvents1Exception(TObject* Sender, const Exception& E);

  // Decrypts one file, reporting by message box and the two flags.
  void DecodeFile(const std::string& path);

  // 1: the run must not decrypt another file. Set by DecodeFile, cleared by the run.
  uint8_t StopFlag = 0;
  // 1: a file of this run was decrypted completely. Set by DecodeFile, cleared by the run.
  uint8_t DoneFlag = 0;

  // The run's 1000 ms pauses go through here (Sleep), so tests need not wait.
  std::function<void(unsigned milliseconds)> PauseFunction;

  // Where construction reads the command line (GetCommandLineA), so tests can name files.
  static std::function<std::string()> CommandLineSource;

 protected:
  void WindowCreated() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void LayOut();
  void TakeOutputFolderFromDesktop();
  void TakeCommandLineFiles();
  // Paths named on the command line or dropped: each is split (SplitCommandPath), the names
  // of files in the last one's folder join the file list, and the lists move to that folder.
  // Raises EInOutError when a path cannot be resolved (before the list changes) or the
  // directory list cannot enter the folder.
  void TakeFiles(const std::vector<std::string>& paths);
  // Files and folders dropped from the shell, taken as the command line's are; a path that
  // cannot be resolved is reported as at start-up, and the dialog stays open. During a run
  // they are held until it ends.
  void FilesDropped(HDROP drop);
  void TakeDroppedPaths(const std::vector<std::string>& paths);
  void TakeHeldDrops();
  // The run itself, which OKBtnClick starts unless one goes on.
  void Run();
  // The bar after the pass over item index: grows with the list, never below step, never
  // above 100.
  static int ProgressAfterPass(int index, int count, int step);

  std::string PasswordText() const override;
  std::string OutputFolderText() const override;
  void SetStopFlag() override;
  void SetDoneFlag() override;
  MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                            MessageButtons buttons) override;
  void Pause(unsigned milliseconds) override;
  void CloseDialog() override;
  void ReportProgress(uint64_t done, uint64_t total) override;

  FileProgress fileProgress_{ProgressBar1};
  // Set while the start button's run goes on: the run looks at the queue, and a click that
  // another program sends meanwhile must not start a second run inside the first.
  bool running_ = false;
  // The paths of drops that a box of the run let through (its loop dispatches what is queued):
  // the run walks the list and folder it began with, so they wait, in the order they came.
  std::vector<std::vector<std::string>> heldDrops_;
};

// The one dialog of the program; it points at the object from the start of its construction.
extern "C" TOKRightDlg* OKRightDlg;
