// The main dialog in a real window: construction, layout, keyboard, the run and the
// command-line files. Message boxes and pauses go through their seams.

#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dialog/dialog_texts.h"
#include "dialog/ok_right_dlg.h"
#include "engine/messages.h"
#include "framework/exceptions.h"
#include "framework/font.h"
#include "tests/support/log_fixture.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/browsing_fixture.h"
#include "tests/windows/framework_fixture.h"

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

  bool CloseRequested() {
    application.ProcessMessages();
    return application.Terminated();
  }

  void Select(TOKRightDlg& dialog, std::initializer_list<int> indexes) {
    for (int index : indexes) dialog.FileListBox1.SetItemSelected(index, true);
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

// Files named on the command line.

TEST_F(DialogTest, NamedFileInAnotherDirectoryOpensThatDirectoryUnselected) {
  // On another drive than the current one: the drive box and the label follow.
  TempFolder other{"E:\\"};
  Log(other, "X.$S$");
  Log(other, "Y.$S$");
  Log(logs, "HERE.$S$");
  commandLine = "VellunoraDecoder.exe \"" + (other / "X.$S$") + "\"";
  TOKRightDlg& dialog = Create();
  EXPECT_EQ(dialog.DirectoryListBox1.Folder(), other.path());
  EXPECT_EQ(ItemTexts(dialog.FileListBox1), (std::vector<std::string>{"X.$S$", "Y.$S$"}));
  EXPECT_FALSE(dialog.FileListBox1.ItemSelected(0));
  EXPECT_EQ(dialog.DriveComboBox1.DriveLetter(), 'e');
  EXPECT_EQ(dialog.Label1.Caption(), other.path());
}

TEST_F(DialogTest, RelativeOrPatternArgumentOpensItsDirectory) {
  TempFolder other;
  Log(other, "P.$S$");
  ASSERT_TRUE(CreateDirectoryA((logs / "sub").c_str(), nullptr));
  Log(logs, "sub\\X.$S$");
  Log(logs, "sub\\Y.$S$");
  struct Row {
    std::string argument;
    std::string folder;
    std::vector<std::string> items;
  };
  const Row rows[] = {
      {"sub\\X.$S$", logs / "sub", {"X.$S$", "Y.$S$"}},
      {other / "*.$S$", other.path(), {"P.$S$"}},
  };
  for (const Row& row : rows) {
    ChangeCurrentDirectory(logs.path());
    commandLine = "VellunoraDecoder.exe " + row.argument;
    TOKRightDlg& dialog = Create();
    EXPECT_EQ(dialog.DirectoryListBox1.Folder(), row.folder) << row.argument;
    EXPECT_EQ(ItemTexts(dialog.FileListBox1), row.items) << row.argument;
  }
}

TEST_F(DialogTest, OnlyTheLastNamedDirectoryIsShown) {
  TempFolder first;
  TempFolder second;
  Log(first, "F.$S$");
  Log(second, "S.$S$");
  commandLine = "VellunoraDecoder.exe " + (first / "F.$S$") + " " + (second / "S.$S$");
  TOKRightDlg& dialog = Create();
  EXPECT_EQ(dialog.DirectoryListBox1.Folder(), second.path());
  EXPECT_EQ(ItemTexts(dialog.FileListBox1), std::vector<std::string>{"S.$S$"});
}

TEST_F(DialogTest, QuotedArgumentWithBlanksIsOneArgument) {
  TempFolder parent;
  const std::string spaced = parent / "my logs";
  ASSERT_TRUE(CreateDirectoryA(spaced.c_str(), nullptr));
  WriteFileBytes(spaced + "\\Q.$S$", MakeSampleLog(kPassword, 16, 1));
  commandLine = "VellunoraDecoder.exe \"\" \"" + spaced + "\\Q.$S$\" \"";
  TOKRightDlg& dialog = Create();
  EXPECT_EQ(dialog.DirectoryListBox1.Folder(), spaced);
  EXPECT_EQ(ItemTexts(dialog.FileListBox1), std::vector<std::string>{"Q.$S$"});
}

// Rows that name no file of the listed folder (a pattern, a name from another folder, a
// name listed already) are left out, so that select all and a run never fail on them.
TEST_F(DialogTest, NamedFilesInTheCurrentDirectoryAreListedOnce) {
  Log(logs, "A.$S$");
  Log(logs, "B.$S$");
  WriteFileBytes(logs / "other.log", Bytes{1});
  TempFolder elsewhere;
  Log(elsewhere, "X.$S$");
  commandLine = "VellunoraDecoder.exe A.$S$ a.$s$ other.log *.$S$ " + (elsewhere / "X.$S$") + " " + logs.path();
  TOKRightDlg& dialog = Create();
  EXPECT_EQ(dialog.DirectoryListBox1.Folder(), logs.path());
  EXPECT_EQ(ItemTexts(dialog.FileListBox1), (std::vector<std::string>{"A.$S$", "B.$S$", "other.log"}));
}

TEST_F(DialogTest, NamedDirectoryOpensWithItsFiles) {
  TempFolder other;
  Log(other, "D.$S$");
  commandLine = "VellunoraDecoder.exe " + other.path();
  TOKRightDlg& dialog = Create();
  EXPECT_EQ(dialog.DirectoryListBox1.Folder(), other.path());
  EXPECT_EQ(ItemTexts(dialog.FileListBox1), std::vector<std::string>{"D.$S$"});
}

TEST_F(DialogTest, UnresolvableArgumentFailsConstructionWithTheSystemsCode) {
  commandLine = "VellunoraDecoder.exe " + (logs / "missing.$S$");
  try {
    application.CreateForm(OKRightDlg);
    FAIL() << "no exception";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.ErrorCode(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
  }
  EXPECT_EQ(OKRightDlg, nullptr);
}

}  // namespace
