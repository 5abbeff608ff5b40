#include "framework/application.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/application_events.h"
#include "framework/button.h"
#include "framework/edit.h"
#include "framework/error_text.h"
#include "framework/module_file.h"
#include "tests/windows/framework_fixture.h"

namespace {

TEST(ApplicationTitle, FollowsTheExecutableName) {
  struct Case {
    std::string path;
    std::string title;
  };
  const Case cases[] = {
      {"C:\\tools\\MYTOOL.V2.EXE", "Mytool"},
      {"C:\\tools\\mytool.exe", "mytool"},
      {"C:\\tools\\MyTool", "Mytool"},
      {"C:\\dir.v1\\TOOL.EXE", "Tool"},
      {"TOOL.EXE", "Tool"},
      {"E:MYTOOL.EXE", "Mytool"},
      {"C:\\tools\\.EXE", ""},
      {"C:\\tools\\X.EXE", "X"},
      // "表" and "ソ" end in byte 0x5C: no directory separator.
      {"C:\\tools\\表ABC.EXE", "表abc"},
      {"C:\\表\\ソフトABC.EXE", "ソフトabc"},
      // CharLowerBuffA lowers double-byte letters as well; the first character stays.
      {"C:\\tools\\ＡＢＣ.EXE", "Ａｂｃ"},
  };
  for (const Case& c : cases) EXPECT_EQ(ApplicationTitle(c.path), c.title) << c.path;
}

TEST(ErrorBoxText, AppendsAPeriodAfterCharactersSortingAfterIt) {
  struct Case {
    std::string message;
    std::string text;
  };
  const Case cases[] = {
      {"", ""},
      {"abc", "abc."},
      {"abc.", "abc."},
      {"abc!", "abc!"},
      {"abc-", "abc-"},
      {"abc/", "abc/."},
      {"abc ", "abc "},
      {"I/O エラー (21)", "I/O エラー (21)"},
      {"ファイルが見つかりません", "ファイルが見つかりません."},
      {"終わりは表", "終わりは表."},
      {"終わりは句点。", "終わりは句点。."},
      {"ｶﾅ", "ｶﾅ."},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorBoxText(c.message), c.text) << c.message;
}

TEST(GenericErrorText, NamesClassModuleAndAddress) {
  EXPECT_EQ(GenericErrorText("std::runtime_error", "VellunoraDecoder.exe", 0),
            "std::runtime_error がモジュール VellunoraDecoder.exe の 00000000 で発生しました。\r\n\r\n");
  EXPECT_EQ(GenericErrorText("int", "a.exe", 0x401a2bu), "int がモジュール a.exe の 00401A2B で発生しました。\r\n\r\n");
}

TEST(TApplication, OnlyOneExistsAtATime) {
  EXPECT_EQ(Application, nullptr);
  {
    TApplication first;
    EXPECT_EQ(Application, &first);
    EXPECT_THROW(TApplication second, EInvalidOperation);
    EXPECT_EQ(Application, &first);
  }
  EXPECT_EQ(Application, nullptr);
}

TEST(TApplication, RefusedWindowClassRaisesAsARefusedWindowDoes) {
  // A class of that name already registered by this module makes the registration fail.
  WNDCLASSEXA taken{};
  taken.cbSize = sizeof taken;
  taken.lpfnWndProc = &DefWindowProcA;
  taken.hInstance = GetModuleHandleA(nullptr);
  taken.lpszClassName = "FrameworkApplication";
  const WindowClassRegistration occupied(taken);
  ASSERT_TRUE(occupied.Registered());
  ExpectRaises<EOutOfResources>([] { TApplication application; }, "ウィンドウを作成できません");
  EXPECT_EQ(Application, nullptr);
}

TEST(TApplication, InitializeEntersTheApartmentAndTheEndLeavesIt) {
  {
    TApplication application;
    application.Initialize();
    const HRESULT other = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(other, RPC_E_CHANGED_MODE);
    if (SUCCEEDED(other)) CoUninitialize();
  }
  const HRESULT after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  EXPECT_EQ(after, S_OK);
  if (SUCCEEDED(after)) CoUninitialize();
}

using ApplicationTest = FrameworkTest;

TEST_F(ApplicationTest, TitleComesFromThisExecutable) {
  EXPECT_EQ(application.Title(), "windows_ui_tests");
  EXPECT_EQ(application.Title(), ApplicationTitle(ExecutablePath()));
}

TEST_F(ApplicationTest, OwnWindowCarriesTitleAndIconAndOwnsTheForms) {
  char caption[64] = {};
  GetWindowTextA(application.Handle(), caption, sizeof caption);
  EXPECT_EQ(std::string(caption), application.Title());
  EXPECT_NE(GetClassLongPtrA(application.Handle(), GCLP_HICON), 0u);
  TForm form(application);
  EXPECT_EQ(GetWindow(form.Handle(), GW_OWNER), application.Handle());
}

TEST_F(ApplicationTest, FirstFormIsTheMainForm) {
  EXPECT_EQ(application.MainForm(), nullptr);
  {
    TForm first(application);
    TForm second(application);
    EXPECT_EQ(application.MainForm(), &first);
  }
  EXPECT_EQ(application.MainForm(), nullptr);
}

class ReferenceCheckingForm : public TForm {
 public:
  static ReferenceCheckingForm* reference;
  static bool referenceWasSelf;
  explicit ReferenceCheckingForm(TApplication& application) : TForm(application) {
    referenceWasSelf = reference == this;
  }
};
ReferenceCheckingForm* ReferenceCheckingForm::reference = nullptr;
bool ReferenceCheckingForm::referenceWasSelf = false;

TEST_F(ApplicationTest, CreateFormSetsTheReferenceBeforeConstruction) {
  ReferenceCheckingForm& form = application.CreateForm(ReferenceCheckingForm::reference);
  EXPECT_TRUE(ReferenceCheckingForm::referenceWasSelf);
  EXPECT_EQ(ReferenceCheckingForm::reference, &form);
  EXPECT_EQ(application.MainForm(), &form);
  EXPECT_TRUE(form.HandleAllocated());
  EXPECT_FALSE(IsWindowVisible(form.Handle()));
}

class FailingForm : public TForm {
 public:
  explicit FailingForm(TApplication& application) : TForm(application) { throw EInOutError(3); }
};

TEST_F(ApplicationTest, CreateFormClearsTheReferenceWhenConstructionFails) {
  FailingForm* reference = nullptr;
  EXPECT_THROW(application.CreateForm(reference), EInOutError);
  EXPECT_EQ(reference, nullptr);
  EXPECT_EQ(application.MainForm(), nullptr);
}

TEST_F(ApplicationTest, StartupFailureShowsOneBoxAndReturnsZero) {
  RecordExceptions();
  FailingForm* reference = nullptr;
  const int exitCode = RunApplication(application, [&](TApplication& app) { app.CreateForm(reference); });
  EXPECT_EQ(exitCode, 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "ファイル名の指定が間違っています.");
  EXPECT_EQ(boxes[0].caption, application.Title());
  EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_ICONERROR));
  EXPECT_TRUE(exceptions.empty()) << "start-up errors do not go to the hook";
}

TEST_F(ApplicationTest, StartupFailureAfterCreationNeverShowsTheForm) {
  TForm* reference = nullptr;
  const int exitCode = RunApplication(application, [&](TApplication& app) {
    app.CreateForm(reference);
    throw EInOutError(21);
  });
  EXPECT_EQ(exitCode, 0);
  ASSERT_NE(reference, nullptr);
  EXPECT_FALSE(IsWindowVisible(reference->Handle()));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "I/O エラー (21)");
}

TEST_F(ApplicationTest, StartupFailureOfAnotherKindShowsTheGenericBox) {
  const int exitCode = RunApplication(application, [](TApplication&) { throw std::runtime_error("x"); });
  EXPECT_EQ(exitCode, 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, nullptr);
  EXPECT_EQ(boxes[0].caption, "アプリケーション エラー");
  EXPECT_EQ(boxes[0].text,
            "std::runtime_error がモジュール windows_ui_tests.exe の 00000000 で発生しました。\r\n\r\n");
  EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_TASKMODAL | MB_ICONERROR));
}

TEST_F(ApplicationTest, StartupAbortIsSilent) {
  EXPECT_EQ(RunApplication(application, [](TApplication&) { throw EAbort(); }), 0);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ApplicationTest, RunEndsWhenTheMainFormIsClosedByItsCloseBox) {
  TForm* form = nullptr;
  const int exitCode = RunApplication(application, [&](TApplication& app) {
    app.CreateForm(form);
    PostMessageA(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_TRUE(application.Terminated());
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(IsWindow(form->Handle())) << "closing asks to terminate; the form lives on";
}

TEST_F(ApplicationTest, RunWithoutMainFormReturnsAtOnce) {
  application.Run();
  EXPECT_FALSE(application.Terminated());
}

class CloseTestForm : public TForm {
 public:
  explicit CloseTestForm(TApplication& application) : TForm(application), button(*this) {
    button.OnClick = [this](TObject&) {
      Close();
      ranAfterClose = true;
    };
  }
  TButton button;
  bool ranAfterClose = false;
};

TEST_F(ApplicationTest, ApplicationWindowHandsTheFocusToTheMainForm) {
  CloseTestForm form(application);
  application.ShowMainForm(SW_SHOWNORMAL);
  SetFocus(application.Handle());
  PumpMessages();
  EXPECT_EQ(GetActiveWindow(), form.Handle());
  EXPECT_EQ(GetFocus(), form.button.Handle());
}

TEST_F(ApplicationTest, ClosingTheApplicationWindowClosesTheMainForm) {
  CloseTestForm form(application);
  application.ShowMainForm(SW_SHOWNORMAL);
  PostMessageA(application.Handle(), WM_CLOSE, 0, 0);
  application.Run();
  EXPECT_TRUE(application.Terminated());
}

TEST_F(ApplicationTest, ClosingInsideAHandlerLetsItFinishAndTheLoopEndsOnQuit) {
  CloseTestForm* form = nullptr;
  RunApplication(application, [&](TApplication& app) {
    app.CreateForm(form);
    PostMessageA(form->button.Handle(), BM_CLICK, 0, 0);
  });
  EXPECT_TRUE(form->ranAfterClose);
  EXPECT_TRUE(application.Terminated());
  MSG left;
  EXPECT_FALSE(PeekMessageA(&left, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the loop took the quit message";
}

TEST_F(ApplicationTest, ShowMainFormHonoursTheShowCommand) {
  struct Case {
    int showCommand;
    bool zoomed;
    bool applicationIconic;
  };
  const Case cases[] = {
      {SW_SHOWNORMAL, false, false},
      {SW_SHOWDEFAULT, false, false},
      // A fixed dialog frame keeps its designed size: never maximised.
      {SW_SHOWMAXIMIZED, false, false},
      {SW_SHOWMINNOACTIVE, false, true},
  };
  for (const Case& c : cases) {
    TForm form(application);
    form.SetClientSize(200, 100);
    application.ShowMainForm(c.showCommand);
    EXPECT_EQ(IsZoomed(form.Handle()) != FALSE, c.zoomed) << c.showCommand;
    RECT client{};
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 200) << c.showCommand;
    EXPECT_EQ(IsIconic(application.Handle()) != FALSE, c.applicationIconic) << c.showCommand;
    ShowWindow(application.Handle(), SW_RESTORE);
    PumpMessages();
  }
}

class KeyFilteringForm : public TForm {
 public:
  explicit KeyFilteringForm(TApplication& application) : TForm(application), edit(*this) {}
  TEdit edit;

 protected:
  bool PreprocessKey(MSG& message) override { return message.message == WM_CHAR && message.wParam == 'x'; }
};

// The idle work runs only once the queue is empty, through the dispatcher's components.
TEST_F(ApplicationTest, LoopDoesIdleWorkWhenTheQueueIsEmpty) {
  KeyFilteringForm* form = nullptr;
  TApplicationEvents events(application);
  std::vector<std::string> seen;
  events.OnIdle = [&](TObject& sender) {
    EXPECT_EQ(&sender, &application);
    seen.push_back(form->edit.Text());
    form->Close();
  };
  RunApplication(application, [&](TApplication& app) {
    app.CreateForm(form);
    for (char key : {'a', 'b'}) PostMessageA(form->edit.Handle(), WM_CHAR, static_cast<WPARAM>(key), 0);
  });
  EXPECT_EQ(seen, std::vector<std::string>{"ab"});
  EXPECT_TRUE(application.Terminated());
}

TEST_F(ApplicationTest, LoopOffersKeysToTheFormFirst) {
  KeyFilteringForm* form = nullptr;
  RunApplication(application, [&](TApplication& app) {
    app.CreateForm(form);
    for (char key : {'a', 'x', 'b'}) PostMessageA(form->edit.Handle(), WM_CHAR, static_cast<WPARAM>(key), 0);
    PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(form->edit.Text(), "ab");
}

}  // namespace
