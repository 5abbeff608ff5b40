// The main dialog in a real window: construction, layout, keyboard, the run and the
// command-line files. Message boxes and pauses go through their seams.

#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "dialog/dialog_texts.h"
#include "dialog/ok_right_dlg.h"
#include "framework/current_directory.h"
#include "framework/exceptions.h"
#include "framework/font.h"
#include "tests/support/log_fixture.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/browsing_fixture.h"
#include "tests/windows/framework_fixture.h"
#include "tests/windows/responsiveness_probe.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr char kPassword[] = "pass";

std::string DesktopDirectory() {
  char path[MAX_PATH] = {};
  SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path);
  return path;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What the shell hands a window that accepts files: a DROPFILES block with the paths in the
// ANSI code page, each ended by a zero and the list by another. The receiver releases it.
HDROP MakeDrop(const std::vector<std::string>& paths) {
  std::string list;
  for (const std::string& path : paths) list.append(path).push_back('\0');
  list.push_back('\0');
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
  auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
  files->pFiles = sizeof(DROPFILES);
  files->fWide = FALSE;
  std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), list.data(), list.size());
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

// A log of size bytes whose first block holds the magic under password; the rest are bytes
// that decrypt to anything, as they would in a real log.
void WriteLargeLog(const std::string& path, uint64_t size) {
  const std::vector<uint8_t> head = MakeSampleLog(kPassword, 8, 1);
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
  const std::vector<char> chunk(1 << 20, 'x');
  for (uint64_t written = head.size(); written < size; written += chunk.size()) {
    file.write(chunk.data(), static_cast<std::streamsize>(std::min<uint64_t>(chunk.size(), size - written)));
  }
  ASSERT_TRUE(file.good()) << path;
}

// An I/O error under another class name, in other letter case or of a subclass.
template <const char* kName>
class ENamedIOError : public EInOutError {
 public:
  ENamedIOError() : EInOutError(ERROR_PATH_NOT_FOUND) {}
  const char* ClassName() const override { return kName; }
};
constexpr char kOtherCase[] = "einouterror";
constexpr char kSubclassName[] = "EInOutErrorEx";

class DialogTest : public FrameworkTest {
 protected:
  DialogTest() : original_(CurrentDirectory()) {
    ChangeCurrentDirectory(logs.path());
    TOKRightDlg::CommandLineSource = [this] { return commandLine; };
    // Answers every box: OK unless the test queued other answers for the questions.
    application.SetMessageBoxFunction(
        [this](HWND, const std::string& text, const std::string& caption, UINT flags) {
          shown.push_back(text);
          EXPECT_EQ(caption, kMessageTitle);
          barAtBox.push_back(OKRightDlg ? OKRightDlg->ProgressBar1.Position() : -1);
          if (flags == MB_OKCANCEL && !answers.empty()) {
            const int answer = answers.front();
            answers.erase(answers.begin());
            return answer;
          }
          return IDOK;
        });
  }
  ~DialogTest() override {
    TOKRightDlg::CommandLineSource = [] { return std::string(GetCommandLineA()); };
    // A test's folder on E: is gone by now: E: must not stay remembered inside it, or the next
    // test's "E:\..." paths would be split on the wrong drive.
    SetEnvironmentVariableA("=E:", "E:\\");
    SetCurrentDirectoryA(original_.c_str());
    // A close request left in the thread's queue would end the next test's loop.
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  // Two selected files and a wrong password, the question answered with answers.
  void RunWithWrongPassword(std::vector<int> questionAnswers) {
    Log(logs, "A.$S$");
    Log(logs, "B.$S$");
    answers = std::move(questionAnswers);
    TOKRightDlg& dialog = Create();
    dialog.Edit10.SetText("wrong");
    dialog.Edit1.SetText(out.path());
    Select(dialog, {0, 1});
    dialog.OKBtnClick(dialog.OKBtn);
    EXPECT_EQ(dialog.ProgressBar1.Position(), 0);
    EXPECT_FALSE(CloseRequested());
    EXPECT_EQ(logs.Names(), (std::vector<std::string>{"A.$S$", "B.$S$"}));
    EXPECT_TRUE(out.Names().empty());
  }

  TOKRightDlg& Create() {
    TOKRightDlg& dialog = application.CreateForm(OKRightDlg);
    dialog.PauseFunction = [this](unsigned milliseconds) { pauses.push_back(milliseconds); };
    dialog.Show();
    return dialog;
  }

  // Writes an encrypted log into folder and returns its ciphertext.
  Bytes Log(const TempFolder& folder, const std::string& name, const char* password = kPassword) {
    Bytes cipher = MakeSampleLog(password, 300, static_cast<uint32_t>(name.size()));
    WriteFileBytes(folder / name, cipher);
    return cipher;
  }

  // Boxes that dispatch what is queued, as MessageBoxA's own loop does, then call then with
  // their owner; every question is answered Cancel.
  void DispatchQueuedInBoxes(std::function<void(HWND owner)> then = nullptr) {
    application.SetMessageBoxFunction(
        [this, then](HWND owner, const std::string& text, const std::string&, UINT flags) {
          shown.push_back(text);
          application.ProcessMessages();
          if (then) then(owner);
          return flags == MB_OKCANCEL ? IDCANCEL : IDOK;
        });
  }

  bool CloseRequested() {
    application.ProcessMessages();
    return application.Terminated();
  }

  void Select(TOKRightDlg& dialog, std::initializer_list<int> indexes) {
    for (int index : indexes) dialog.FileListBox1.SetItemSelected(index, true);
  }

  // Drops paths on the dialog and lets it handle the drop; returns the drop's handle.
  HDROP Drop(TOKRightDlg& dialog, const std::vector<std::string>& paths) {
    const HDROP drop = MakeDrop(paths);
    PostMessageA(dialog.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    application.ProcessMessages();
    return drop;
  }

  std::string original_;
  TempFolder logs;
  TempFolder out;
  std::string commandLine = "VellunoraDecoder.exe";
  std::vector<std::string> shown;
  std::vector<int> barAtBox;
  std::vector<int> answers;
  std::vector<unsigned> pauses;
};

TEST_F(DialogTest, StartsWithAnEmptyFocusedPasswordTheDesktopAndTheCurrentDirectory) {
  Log(logs, "LOG1.$S$");
  Log(logs, "LOG2.$S$");
  WriteFileBytes(logs / "notes.txt", Bytes{1});
  TOKRightDlg& dialog = Create();
  EXPECT_EQ(dialog.Caption(), kDialogCaption);
  EXPECT_EQ(GetFocus(), dialog.Edit10.Handle());
  EXPECT_EQ(dialog.Edit10.Text(), "");
  EXPECT_EQ(dialog.Edit1.Text(), DesktopDirectory());
  EXPECT_EQ(dialog.DirectoryListBox1.Folder(), logs.path());
  EXPECT_EQ(dialog.FileListBox1.Folder(), logs.path());
  EXPECT_EQ(ItemTexts(dialog.FileListBox1), (std::vector<std::string>{"LOG1.$S$", "LOG2.$S$"}));
  EXPECT_FALSE(dialog.FileListBox1.ItemSelected(0));
  EXPECT_FALSE(dialog.FileListBox1.ItemSelected(1));
  EXPECT_EQ(dialog.ProgressBar1.Position(), 0);
  EXPECT_EQ(dialog.StopFlag, 0);
  EXPECT_EQ(dialog.DoneFlag, 0);
}

TEST_F(DialogTest, LayoutIsTheDesignedOneScaledByTheTextHeight) {
  TOKRightDlg& dialog = Create();
  const int height = application.DefaultFont().TextHeight();
  const auto scaled = [height](int value) { return ScaleDesigned(value, height, 13); };
  struct Row {
    const char* name;
    TWinControl* control;
    int left, top, width, height;
    const TLabel* sizedToText = nullptr;
  };
  const Row rows[] = {
      {"Label1", &dialog.Label1, 8, 209, 329, 13, &dialog.Label1},
      {"fainuno", &dialog.fainuno, 8, 36, 68, 13, &dialog.fainuno},
      {"Label2", &dialog.Label2, 8, 331, 71, 13, &dialog.Label2},
      {"Label3", &dialog.Label3, 8, 8, 47, 13, &dialog.Label3},
      {"DriveComboBox1", &dialog.DriveComboBox1, 82, 33, 159, 19},
      {"OKBtn", &dialog.OKBtn, 283, 228, 75, 25},
      {"CancelBtn", &dialog.CancelBtn, 283, 300, 75, 25},
      {"DirectoryListBox1", &dialog.DirectoryListBox1, 8, 58, 350, 145},
      {"Button1", &dialog.Button1, 305, 348, 53, 25},
      {"Edit1", &dialog.Edit1, 8, 350, 297, 21},
      {"FileListBox1", &dialog.FileListBox1, 8, 228, 269, 97},
      {"Edit10", &dialog.Edit10, 82, 6, 159, 21},
      {"ProgressBar1", &dialog.ProgressBar1, 8, 377, 335, 16},
      {"Button2", &dialog.Button2, 283, 259, 75, 25},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.control->Left(), scaled(row.left)) << row.name;
    EXPECT_EQ(row.control->Top(), scaled(row.top)) << row.name;
    const TLabel* label = row.sizedToText;
    EXPECT_EQ(row.control->Width(), label ? label->TextWidth(label->Caption()) : scaled(row.width)) << row.name;
    EXPECT_EQ(row.control->Height(), scaled(row.height)) << row.name;
  }
  EXPECT_EQ(dialog.ClientWidth(), scaled(366));
  EXPECT_EQ(dialog.ClientHeight(), scaled(398));
  EXPECT_EQ(dialog.OKBtn.Caption(), kStartCaption);
  EXPECT_EQ(dialog.Button1.Caption(), "参　照");
  EXPECT_EQ(dialog.fainuno.Caption(), "ファイルの場所");
  EXPECT_EQ(dialog.Label2.Caption(), "出力先フォルダ");
  EXPECT_EQ(dialog.Label3.Caption(), "パスワード");
  EXPECT_EQ(dialog.Button2.Caption(), "全選択");
  EXPECT_EQ(dialog.CancelBtn.Caption(), "キャンセル");
}

TEST_F(DialogTest, TabWalksTheFieldsInTheirOrderWithSelectAllLast) {
  TOKRightDlg& dialog = Create();
  const HWND order[] = {dialog.DriveComboBox1.Handle(), dialog.DirectoryListBox1.Handle(),
                        dialog.FileListBox1.Handle(),   dialog.OKBtn.Handle(),
                        dialog.CancelBtn.Handle(),      dialog.Edit1.Handle(),
                        dialog.Button1.Handle(),        dialog.Button2.Handle(),
                        dialog.Edit10.Handle()};
  HWND at = dialog.Edit10.Handle();
  for (HWND next : order) {
    at = GetNextDlgTabItem(dialog.Handle(), at, FALSE);
    EXPECT_EQ(at, next);
  }
}

TEST_F(DialogTest, PasswordTakesAtMost24BytesAndShowsStars) {
  TOKRightDlg& dialog = Create();
  for (int i = 0; i < 25; ++i) PostMessageA(dialog.Edit10.Handle(), WM_CHAR, static_cast<WPARAM>('a' + i), 1);
  application.ProcessMessages();
  EXPECT_EQ(dialog.Edit10.Text(), "abcdefghijklmnopqrstuvwx");
  EXPECT_EQ(SendMessageA(dialog.Edit10.Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
}

TEST_F(DialogTest, OutputFolderCannotBeTypedInto) {
  TOKRightDlg& dialog = Create();
  const std::string before = dialog.Edit1.Text();
  PostMessageA(dialog.Edit1.Handle(), WM_CHAR, 'x', 1);
  application.ProcessMessages();
  EXPECT_EQ(dialog.Edit1.Text(), before);
}

TEST_F(DialogTest, SelectAllSelectsEveryItemWhateverWasSelected) {
  Log(logs, "A.$S$");
  Log(logs, "B.$S$");
  Log(logs, "C.$S$");
  TOKRightDlg& dialog = Create();
  Select(dialog, {1});
  dialog.Button2Click(dialog.Button2);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(dialog.FileListBox1.ItemSelected(i)) << i;
}

TEST_F(DialogTest, MissingOutputFolderIsAskedForAndNothingElseChanges) {
  Log(logs, "A.$S$");
  TOKRightDlg& dialog = Create();
  dialog.Edit1.SetText("");
  dialog.StopFlag = 1;
  dialog.DoneFlag = 1;
  dialog.ProgressBar1.SetPosition(40);
  Select(dialog, {0});
  dialog.OKBtnClick(dialog.OKBtn);
  EXPECT_EQ(shown, std::vector<std::string>{kNoOutputFolderText});
  EXPECT_EQ(GetFocus(), dialog.OKBtn.Handle());
  EXPECT_EQ(dialog.StopFlag, 1);
  EXPECT_EQ(dialog.DoneFlag, 1);
  EXPECT_EQ(dialog.ProgressBar1.Position(), 40);
  EXPECT_TRUE(Exists(logs / "A.$S$"));
}

TEST_F(DialogTest, EmptyListOrNothingSelectedChangesNothingVisible) {
  {
    TOKRightDlg& dialog = Create();
    dialog.Edit1.SetText(out.path());
    dialog.ProgressBar1.SetPosition(40);
    dialog.Button2Click(dialog.Button2);
    EXPECT_EQ(dialog.FileListBox1.ItemCount(), 0);
    dialog.OKBtnClick(dialog.OKBtn);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(dialog.ProgressBar1.Position(), 40) << "an empty list leaves the bar";
  }
}

TEST_F(DialogTest, RunOverUnselectedItemsTouchesNoFileAndResetsTheBar) {
  Log(logs, "A.$S$");
  Log(logs, "B.$S$");
  TOKRightDlg& dialog = Create();
  dialog.Edit1.SetText(out.path());
  dialog.OKBtnClick(dialog.OKBtn);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(dialog.ProgressBar1.Position(), 0);
  EXPECT_FALSE(CloseRequested());
  EXPECT_TRUE(Exists(logs / "A.$S$"));
  EXPECT_TRUE(out.Names().empty());
}

TEST_F(DialogTest, SelectedFilesAreDecryptedInListOrderThenCompletionPauseAndClose) {
  const Bytes a = Log(logs, "A.$S$");
  Log(logs, "B.$S$");
  const Bytes c = Log(logs, "C.$S$");
  TOKRightDlg& dialog = Create();
  dialog.Edit10.SetText(kPassword);
  dialog.Edit1.SetText(out.path());
  Select(dialog, {0, 2});
  dialog.OKBtnClick(dialog.OKBtn);
  EXPECT_EQ(shown, std::vector<std::string>{kCompletedText});
  EXPECT_EQ(barAtBox, std::vector<int>{100});
  EXPECT_EQ(pauses, std::vector<unsigned>{1000});
  EXPECT_TRUE(CloseRequested());
  EXPECT_EQ(ReadFileBytes(out / "A.CSV"), ReferenceDecrypt(kPassword, a));
  EXPECT_EQ(ReadFileBytes(out / "C.CSV"), ReferenceDecrypt(kPassword, c));
  EXPECT_EQ(logs.Names(), std::vector<std::string>{"B.$S$"});
}

TEST_F(DialogTest, WrongPasswordAnsweredCancelTwiceAsksForEachFileAndStaysOpen) {
  RunWithWrongPassword({IDCANCEL, IDCANCEL});
  EXPECT_EQ(shown, (std::vector<std::string>{kWrongPasswordText, kAbortQuestionText,
                                             kWrongPasswordText, kAbortQuestionText}));
  EXPECT_TRUE(pauses.empty());
}

TEST_F(DialogTest, WrongPasswordAnsweredOkStopsAfterTheFirstFileAndStaysOpen) {
  RunWithWrongPassword({IDOK});
  EXPECT_EQ(shown, (std::vector<std::string>{kWrongPasswordText, kAbortQuestionText}));
  EXPECT_EQ(pauses, std::vector<unsigned>{1000});
  // The next run starts afresh and goes through the whole list.
  OKRightDlg->Edit10.SetText(kPassword);
  OKRightDlg->OKBtnClick(OKRightDlg->OKBtn);
  EXPECT_EQ(out.Names(), (std::vector<std::string>{"A.CSV", "B.CSV"}));
}

TEST_F(DialogTest, BarAtEachBoxShowsThePassesBeforeItWithMoreThan100Items) {
  for (int i = 0; i < 120; ++i) Log(logs, std::to_string(1000 + i) + ".$S$");
  answers = {IDCANCEL, IDCANCEL, IDCANCEL};
  TOKRightDlg& dialog = Create();
  dialog.Edit10.SetText("wrong");
  dialog.Edit1.SetText(out.path());
  Select(dialog, {0, 60, 119});
  dialog.OKBtnClick(dialog.OKBtn);
  // The step is 0, yet the bar grows pass by pass: 60 and 119 of 120 passes are done.
  EXPECT_EQ(barAtBox, (std::vector<int>{0, 0, 50, 50, 99, 99}));
  EXPECT_EQ(dialog.ProgressBar1.Position(), 0);
}

TEST_F(DialogTest, FailureAfterASuccessClosesThenStillReportsCompletion) {
  const Bytes a = Log(logs, "A.$S$");
  Log(logs, "B.$S$");
  TOKRightDlg& dialog = Create();
  dialog.Edit10.SetText(kPassword);
  dialog.Edit1.SetText(out.path());
  Select(dialog, {0, 1});
  DeleteFileA((logs / "B.$S$").c_str());
  dialog.OKBtnClick(dialog.OKBtn);
  EXPECT_EQ(shown, (std::vector<std::string>{kDecodeFailedText, kCompletedText}));
  EXPECT_EQ(pauses, (std::vector<unsigned>{1000, 1000}));
  EXPECT_EQ(dialog.StopFlag, 1);
  EXPECT_EQ(dialog.ProgressBar1.Position(), 100);
  EXPECT_TRUE(CloseRequested());
  EXPECT_EQ(ReadFileBytes(out / "A.CSV"), ReferenceDecrypt(kPassword, a));
}

TEST_F(DialogTest, RootDirectoryGivesTwoSeparatorsAndStillDecrypts) {
  // A file of its own at the root of E:, which other tests share.
  const std::string name = "ROOT" + std::to_string(GetCurrentProcessId()) + ".$S$";
  const Bytes cipher = MakeSampleLog(kPassword, 100, 1);
  WriteFileBytes("E:\\" + name, cipher);
  ChangeCurrentDirectory("E:\\");
  TOKRightDlg& dialog = Create();
  ASSERT_EQ(dialog.DirectoryListBox1.Folder(), "E:\\");
  dialog.Edit10.SetText(kPassword);
  dialog.Edit1.SetText(out.path());
  const auto items = ItemTexts(dialog.FileListBox1);
  const auto found = std::find(items.begin(), items.end(), name);
  ASSERT_NE(found, items.end());
  Select(dialog, {static_cast<int>(found - items.begin())});
  dialog.OKBtnClick(dialog.OKBtn);
  EXPECT_EQ(shown, std::vector<std::string>{kCompletedText});
  EXPECT_FALSE(Exists("E:\\" + name));
  EXPECT_EQ(ReadFileBytes(out / (name.substr(0, name.size() - 4) + ".CSV")),
            ReferenceDecrypt(kPassword, cipher));
}

TEST_F(DialogTest, ExceptionInAHandlerShowsNothingAndKeepsTheDialogOpen) {
  TOKRightDlg& dialog = Create();
  dialog.Button2.OnClick = [](TObject&) { ChangeCurrentDirectory("Z:\\no\\such\\folder"); };
  SendMessageA(dialog.Button2.Handle(), BM_CLICK, 0, 0);
  application.ProcessMessages();
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(TakeIOResult(), 0u);
  EXPECT_FALSE(application.Terminated());
  EXPECT_TRUE(IsWindowVisible(dialog.Handle()));

  // A failure left pending when the error was raised is reset by the handler, for the
  // class name EInOutError in any case only.
  struct Row {
    TNotifyEvent raise;
    bool resets;
  };
  const Row rows[] = {
      {[](TObject&) { throw EInOutError(ERROR_PATH_NOT_FOUND); }, true},
      {[](TObject&) { throw ENamedIOError<kOtherCase>(); }, true},
      {[](TObject&) { throw ENamedIOError<kSubclassName>(); }, false},
      {[](TObject&) { throw EListError(0); }, false},
  };
  for (const Row& row : rows) {
    dialog.Button2.OnClick = [&row](TObject& sender) {
      TryChangeCurrentDirectory("Z:\\no\\such\\folder");
      row.raise(sender);
    };
    SendMessageA(dialog.Button2.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(TakeIOResult() == 0, row.resets) << &row - rows;
  }
  EXPECT_TRUE(shown.empty());
}

TEST_F(DialogTest, BrowseWritesTheChosenFolderAndCancelKeepsTheField) {
  TOKRightDlg& dialog = Create();
  dialog.Edit1.SetText(out.path());
  const auto browse = [&](std::function<void(HWND)> answer) {
    const BrowseDialogDriver driver(std::move(answer));
    dialog.Button1Click(dialog.Button1);
    EXPECT_TRUE(driver.Answered());
  };
  browse([](HWND box) { SendMessageA(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0); });
  EXPECT_EQ(dialog.Edit1.Text(), out.path());
  // The tree's root, the desktop, chosen.
  browse([](HWND box) {
    const HWND tree = GetDlgItem(box, kTreeViewId);
    const LPARAM root = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, root);
    SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(dialog.Edit1.Text(), DesktopDirectory());
}

// Files named on the command line: the directory the lists open, and the rows they show,
// none of them selected.
TEST_F(DialogTest, NamedFilesChooseTheDirectoryAndTheRows) {
  TempFolder onE{"E:\\"};
  Log(onE, "X.$S$");
  Log(onE, "Y.$S$");
  Log(logs, "A.$S$");
  Log(logs, "B.$S$");
  WriteFileBytes(logs / "other.log", Bytes{1});
  ASSERT_TRUE(CreateDirectoryA((logs / "sub").c_str(), nullptr));
  Log(logs, "sub\\X.$S$");
  Log(logs, "sub\\Y.$S$");
  TempFolder patterned;
  Log(patterned, "P.$S$");
  TempFolder first;
  TempFolder second;
  Log(first, "F.$S$");
  Log(second, "S.$S$");
  TempFolder parent;
  const std::string spaced = parent / "my logs";
  ASSERT_TRUE(CreateDirectoryA(spaced.c_str(), nullptr));
  WriteFileBytes(spaced + "\\Q.$S$", MakeSampleLog(kPassword, 16, 1));
  TempFolder elsewhere;
  Log(elsewhere, "X.$S$");
  TempFolder named;
  Log(named, "D.$S$");

  struct Row {
    const char* reason;
    std::string arguments;
    std::string folder;
    std::vector<std::string> items;
    bool labelShowsFolder = false;  // the folder's path is short enough to show whole
  };
  const Row rows[] = {
      {"a file on another drive: the drive box and the label follow",
       std::string("\"") + (onE / "X.$S$") + "\"", onE.path(), {"X.$S$", "Y.$S$"}, true},
      {"a relative path", "sub\\X.$S$", logs / "sub", {"X.$S$", "Y.$S$"}},
      {"a pattern", patterned / "*.$S$", patterned.path(), {"P.$S$"}},
      {"only the last named directory is shown", (first / "F.$S$") + " " + (second / "S.$S$"),
       second.path(), {"S.$S$"}},
      {"a quoted argument with blanks is one argument",
       std::string("\"\" \"") + spaced + "\\Q.$S$\" \"", spaced, {"Q.$S$"}},
      // A pattern, a name from another folder and a name listed already name no file of the
      // listed folder: left out, so that select all and a run never fail on them.
      {"files of the current directory are listed once",
       "A.$S$ a.$s$ other.log *.$S$ " + (elsewhere / "X.$S$") + " " + logs.path(), logs.path(),
       {"A.$S$", "B.$S$", "other.log"}},
      {"a named directory opens with its files", named.path(), named.path(), {"D.$S$"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.reason);
    ChangeCurrentDirectory(logs.path());
    commandLine = "VellunoraDecoder.exe " + row.arguments;
    TOKRightDlg& dialog = Create();
    EXPECT_EQ(dialog.DirectoryListBox1.Folder(), row.folder);
    EXPECT_EQ(ItemTexts(dialog.FileListBox1), row.items);
    for (int i = 0; i < dialog.FileListBox1.ItemCount(); ++i) {
      EXPECT_FALSE(dialog.FileListBox1.ItemSelected(i)) << i;
    }
    EXPECT_EQ(dialog.DriveComboBox1.DriveLetter(),
              static_cast<char>(std::tolower(static_cast<unsigned char>(row.folder[0]))));
    if (row.labelShowsFolder) {
      EXPECT_EQ(dialog.Label1.Caption(), row.folder);
    }
  }
}

TEST_F(DialogTest, UnresolvableArgumentFailsConstructionWithTheSystemsCode) {
  commandLine = "VellunoraDecoder.exe " + (logs / "missing.$S$");
  ExpectSystemError([&] { application.CreateForm(OKRightDlg); }, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OKRightDlg, nullptr);
}

// Files and folders dropped from the shell.

TEST_F(DialogTest, DroppedFilesAndFoldersAreTakenAsNamedFilesAndTheDropReleased) {
  TempFolder other{"E:\\"};
  Log(other, "X.$S$");
  Log(other, "Y.$S$");
  TempFolder second;
  Log(second, "S.$S$");
  Log(logs, "HERE.$S$");
  const std::string missing = logs / "missing.$S$";
  // Every box with its owner, caption and flags, errors included.
  application.SetMessageBoxFunction([this](HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    boxes.push_back({owner, text, caption, flags});
    return IDOK;
  });
  // The box that start-up shows for a path that cannot be resolved.
  commandLine = "VellunoraDecoder.exe " + missing;
  try {
    application.CreateForm(OKRightDlg);
  } catch (...) {
    application.ShowStartupError(std::current_exception());
  }
  ASSERT_EQ(boxes.size(), 1u);
  const RecordedBox startUpError = boxes.front();

  struct Row {
    const char* what;
    std::vector<std::string> paths;
    std::string folder;
    std::vector<std::string> items;
    bool fails = false;
  };
  // Each row drops on the dialog as the one before left it.
  const Row rows[] = {
      {"a folder", {second.path()}, second.path(), {"S.$S$"}},
      {"a file on another drive", {other / "X.$S$"}, other.path(), {"X.$S$", "Y.$S$"}},
      {"files of the folder shown and of another: listed once, the other left out",
       {logs / "HERE.$S$", other / "Y.$S$", other / "X.$S$"}, other.path(), {"X.$S$", "Y.$S$"}},
      {"several files: the last one's folder", {other / "X.$S$", second / "S.$S$"}, second.path(), {"S.$S$"}},
      {"one of them cannot be resolved: nothing taken", {other / "X.$S$", missing}, second.path(), {"S.$S$"}, true},
  };
  commandLine = "VellunoraDecoder.exe";
  TOKRightDlg& dialog = Create();
  // What the shell looks for before it offers a window the files.
  EXPECT_NE(GetWindowLongPtrA(dialog.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
  for (const Row& row : rows) {
    boxes.clear();
    const double dropped = Milliseconds();
    const HDROP drop = Drop(dialog, row.paths);
    UpdateWindow(dialog.FileListBox1.Handle());
    std::printf("[ measure  ] drop to list shown (%s): %.1f ms\n", row.what, Milliseconds() - dropped);
    EXPECT_EQ(dialog.DirectoryListBox1.Folder(), row.folder) << row.what;
    EXPECT_EQ(ItemTexts(dialog.FileListBox1), row.items) << row.what;
    EXPECT_EQ(GlobalSize(drop), 0u) << row.what << ": the drop was not released";
    if (row.folder == other.path()) {
      EXPECT_EQ(dialog.DriveComboBox1.DriveLetter(), 'e') << row.what;
    }
    ASSERT_EQ(boxes.size(), row.fails ? 1u : 0u) << row.what;
    if (row.fails) {
      EXPECT_EQ(boxes[0].text, startUpError.text);
      EXPECT_EQ(boxes[0].caption, startUpError.caption);
      EXPECT_EQ(boxes[0].flags, startUpError.flags);
      EXPECT_EQ(boxes[0].owner, startUpError.owner);
    }
  }
  EXPECT_FALSE(CloseRequested());
  EXPECT_TRUE(IsWindowVisible(dialog.Handle()));
}

// A drop during a run waits for the run's end, even when a box of the run lets the queued
// messages through, as MessageBoxA's own loop does: the run keeps the list and folder it began
// with, and drops are taken in the order they came.
TEST_F(DialogTest, DropsDuringARunAreTakenInOrderWhenTheRunEnds) {
  TempFolder first;
  Log(first, "F.$S$");
  TempFolder last;
  Log(last, "L.$S$");
  Log(logs, "A.$S$");
  Log(logs, "B.$S$");
  const HDROP early = MakeDrop({first / "F.$S$"});
  const HDROP late = MakeDrop({last / "L.$S$"});
  DispatchQueuedInBoxes([&](HWND owner) {
    // Dropped while the second file's question is up, so it is still queued when the run ends.
    if (shown.size() == 4) PostMessageA(owner, WM_DROPFILES, reinterpret_cast<WPARAM>(late), 0);
  });
  TOKRightDlg& dialog = Create();
  dialog.Edit10.SetText("wrong");
  dialog.Edit1.SetText(out.path());
  Select(dialog, {0, 1});
  PostMessageA(dialog.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(early), 0);
  dialog.OKBtnClick(dialog.OKBtn);
  EXPECT_EQ(shown, (std::vector<std::string>{kWrongPasswordText, kAbortQuestionText,
                                             kWrongPasswordText, kAbortQuestionText}));
  EXPECT_EQ(dialog.DirectoryListBox1.Folder(), first.path());
  EXPECT_EQ(GlobalSize(early), 0u) << "the drop taken during the run was not released";
  EXPECT_FALSE(CloseRequested());
  EXPECT_EQ(dialog.DirectoryListBox1.Folder(), last.path());
  EXPECT_EQ(ItemTexts(dialog.FileListBox1), std::vector<std::string>{"L.$S$"});
  EXPECT_EQ(GlobalSize(late), 0u);
}

// A click that came while the thread was busy between two reports (an output forced to the
// disk, a file that failed its password test) must not act inside a box of the run either,
// whose loop dispatches what is queued.
TEST_F(DialogTest, ClickQueuedDuringARunIsDroppedBeforeTheRunsBoxes) {
  Log(logs, "A.$S$");
  Log(logs, "B.$S$");
  DispatchQueuedInBoxes();
  TOKRightDlg& dialog = Create();
  dialog.Edit10.SetText("wrong");
  dialog.Edit1.SetText(out.path());
  Select(dialog, {0});
  PostMessageA(dialog.Button2.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageA(dialog.Button2.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  dialog.OKBtnClick(dialog.OKBtn);
  EXPECT_EQ(shown, (std::vector<std::string>{kWrongPasswordText, kAbortQuestionText}));
  EXPECT_FALSE(CloseRequested());
  EXPECT_FALSE(dialog.FileListBox1.ItemSelected(1));
}

// A file that takes seconds: the window answers the system and paints all along, while
// input stays blocked and the bar moves only within the file's pass.
TEST_F(DialogTest, LargeFileKeepsTheWindowAnsweringWithInputBlocked) {
  WriteLargeLog(logs / "BIG.$S$", uint64_t{256} << 20);
  Log(logs, "SMALL.$S$");
  TOKRightDlg& dialog = Create();
  dialog.Edit10.SetText(kPassword);
  dialog.Edit1.SetText(out.path());
  Select(dialog, {0});
  const HWND selectAll = dialog.Button2.Handle();
  const HWND start = dialog.OKBtn.Handle();
  std::vector<int> bars;
  ResponsivenessProbe probe(
      dialog.Handle(),
      [selectAll, start](int answered) {
        // Well inside the file, the user clicks select all, which would select SMALL, and
        // another program sends clicks to the start button, which would start a second run
        // over BIG inside the first, and to select all.
        if (answered != 3) return;
        PostMessageA(selectAll, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(selectAll, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        DWORD_PTR result = 0;
        SendMessageTimeoutA(start, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result);
        SendMessageTimeoutA(selectAll, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result);
      },
      [&] { bars.push_back(dialog.ProgressBar1.Position()); });
  dialog.OKBtnClick(dialog.OKBtn);
  const ResponsivenessProbe::Result seen = probe.Finish();
  std::printf("[ measure  ] 256 MiB file: %d WM_NULL answered, longest gap between paint messages %.0f ms\n",
              seen.answeredDuring, seen.longestPaintGap);

  EXPECT_GE(seen.answeredDuring, 5);
  EXPECT_EQ(seen.timedOut, 0);
  // The window is invalidated before each WM_NULL (under Wine the invalidation reaches the
  // thread when it next looks at its queue, so paints follow a look or two later).
  EXPECT_GT(seen.paints, 0);
  // Two items: the big file's pass ends at 50.
  ASSERT_FALSE(bars.empty());
  EXPECT_LE(*std::max_element(bars.begin(), bars.end()), 50);
  EXPECT_TRUE(std::any_of(bars.begin(), bars.end(), [](int bar) { return bar > 0 && bar < 50; }))
      << "the bar did not move within the file";
  EXPECT_EQ(shown, std::vector<std::string>{kCompletedText});
  EXPECT_TRUE(CloseRequested());
  EXPECT_FALSE(dialog.FileListBox1.ItemSelected(1));
  EXPECT_EQ(logs.Names(), std::vector<std::string>{"SMALL.$S$"});
  EXPECT_EQ(out.Names(), std::vector<std::string>{"BIG.CSV"});
}

}  // namespace
