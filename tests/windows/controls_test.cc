#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/button.h"
#include "framework/edit.h"
#include "framework/font.h"
#include "framework/form.h"
#include "framework/layout_arithmetic.h"
#include "framework/label.h"
#include "framework/list_box.h"
#include "framework/progress_bar.h"
#include "tests/windows/framework_fixture.h"

namespace {

// The layout's rounding is MulDiv's, checked against the system's own.
TEST(ScaleDesigned, AgreesWithTheSystemsMulDiv) {
  for (int value = -300; value <= 300; ++value) {
    for (int textHeight = 1; textHeight <= 40; ++textHeight) {
      ASSERT_EQ(ScaleDesigned(value, textHeight, kDesignedTextHeight), MulDiv(value, textHeight, kDesignedTextHeight))
          << value << " " << textHeight;
    }
  }
  for (const int divisor : {2, -2, 4, -13}) {
    for (const int value : {-3, -1, 1, 3, 5, 2147483647, -2147483647}) {
      EXPECT_EQ(ScaleDesigned(value, 26, divisor), MulDiv(value, 26, divisor)) << value << " / " << divisor;
    }
  }
}

TEST(DefaultFontHeight, IsEightPointsAtTheScreenResolution) {
  EXPECT_EQ(DefaultFontHeight(96), -11);
  EXPECT_EQ(DefaultFontHeight(120), -13);
  EXPECT_EQ(DefaultFontHeight(144), -16);
  EXPECT_EQ(DefaultFontHeight(72), -8);
}

// Sets (or with nullptr removes) the substitute of "MS Shell Dlg 2" for one test and puts
// the machine's value back afterwards.
class FontSubstitute {
 public:
  explicit FontSubstitute(const char* face) {
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                    nullptr);
    DWORD size = sizeof saved_;
    hadValue_ = RegQueryValueExA(key_, kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(saved_), &size) ==
                ERROR_SUCCESS;
    Write(face);
  }
  ~FontSubstitute() {
    Write(hadValue_ ? saved_ : nullptr);
    RegCloseKey(key_);
  }

 private:
  void Write(const char* face) {
    if (face) {
      RegSetValueExA(key_, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(face),
                     static_cast<DWORD>(std::string(face).size() + 1));
    } else {
      RegDeleteValueA(key_, kValue);
    }
  }

  static constexpr char kKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes";
  static constexpr char kValue[] = "MS Shell Dlg 2";
  HKEY key_ = nullptr;
  char saved_[64] = {};
  bool hadValue_ = false;
};

TEST(DefaultFontFace, IsTheSubstituteOfMsShellDlg2OrMsSansSerif) {
  struct Case {
    const char* substitute;
    std::string face;
  };
  const Case cases[] = {
      {"Tahoma", "Tahoma"},
      {"ＭＳ ゴシック", "ＭＳ ゴシック"},
      {"", "MS Sans Serif"},
      {nullptr, "MS Sans Serif"},
  };
  for (const Case& c : cases) {
    const FontSubstitute substitute(c.substitute);
    EXPECT_EQ(DefaultFontFace(), c.face) << (c.substitute ? c.substitute : "(none)");
  }
}

// A top-level window of a standard class, owner of the font its controls use, as a form
// hands them its application's.
class FontOwner : public TWinControl {
 public:
  explicit FontOwner(const TFont& font) : TWinControl(font) {}
  ~FontOwner() override { DestroyHandle(); }

 protected:
  void FillCreateParams(CreateParams& params) const override {
    params.className = "STATIC";
    params.style |= WS_POPUP;
  }
};

TEST(TWinControl, ControlsWorkWithoutAnApplicationObject) {
  ASSERT_EQ(Application, nullptr);
  const TFont font(-13, "Tahoma");
  FontOwner owner(font);
  owner.SetBounds(0, 0, 200, 200);
  TListBoxBase list(owner);
  TButton button(owner);
  EXPECT_EQ(list.AddItem("b"), 0);
  EXPECT_EQ(list.ItemText(0), "b");
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(list.Handle(), WM_GETFONT, 0, 0)), font.Handle());
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(button.Handle(), WM_GETFONT, 0, 0)), font.Handle());
  EXPECT_EQ(&button.Font(), &font);
}

using ControlsTest = FrameworkTest;

TEST_F(ControlsTest, ApplicationFontIsTheDefaultFont) {
  const TFont& font = application.DefaultFont();
  EXPECT_EQ(font.Height(), DefaultFontHeight(ScreenPixelsPerInch()));
  EXPECT_EQ(font.Face(), DefaultFontFace());
  LOGFONTA logical{};
  ASSERT_NE(GetObjectA(font.Handle(), sizeof logical, &logical), 0);
  EXPECT_EQ(logical.lfHeight, font.Height());
  EXPECT_EQ(std::string(logical.lfFaceName), font.Face());
  EXPECT_GT(font.TextHeight(), 0);
}

TEST_F(ControlsTest, FormHasAFixedDialogFrameOfTheGivenClientSize) {
  TForm form(application);
  form.SetCaption("Vellunora復号化ツール　Ver1.03");
  form.SetClientSize(366, 398);
  const HWND window = form.Handle();
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), static_cast<DWORD>(WS_CAPTION | WS_SYSMENU));
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
  EXPECT_NE(exStyle & WS_EX_DLGMODALFRAME, 0u);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 366);
  EXPECT_EQ(client.bottom, 398);
  char caption[64] = {};
  GetWindowTextA(window, caption, sizeof caption);
  EXPECT_EQ(std::string(caption), "Vellunora復号化ツール　Ver1.03");
}

TEST_F(ControlsTest, FormIsPaintedInTheButtonFaceColour) {
  TForm form(application);
  form.SetClientSize(120, 80);
  form.Show();
  EXPECT_EQ(GetClassLongPtrA(form.Handle(), GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));
  EXPECT_EQ(PixelAt(form.Handle(), 60, 40), GetSysColor(COLOR_BTNFACE));
}

TEST_F(ControlsTest, ScreenCenterPlacesTheFormOnlyAtItsFirstShow) {
  TForm form(application);
  form.SetClientSize(366, 398);
  form.SetPosition(poScreenCenter);
  form.Show();
  RECT window{};
  GetWindowRect(form.Handle(), &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  EXPECT_EQ(window.left, CenteredCoordinate(GetSystemMetrics(SM_CXSCREEN), width, GetSystemMetrics(SM_XVIRTUALSCREEN)));
  EXPECT_EQ(window.top, CenteredCoordinate(GetSystemMetrics(SM_CYSCREEN), height, GetSystemMetrics(SM_YVIRTUALSCREEN)));

  form.Hide();
  form.SetBounds(10, 20, width, height);
  form.Show();
  GetWindowRect(form.Handle(), &window);
  EXPECT_EQ(window.left, 10);
  EXPECT_EQ(window.top, 20);
}

class ThreeControlForm : public TForm {
 public:
  explicit ThreeControlForm(TApplication& application)
      : TForm(application), label(*this), first(*this), second(*this), third(*this) {
    SetClientSize(300, 200);
    first.SetBounds(10, 10, 80, 25);
    second.SetBounds(10, 40, 100, 21);
    third.SetBounds(10, 70, 80, 25);
    // Tab order differs from the creation order.
    third.SetTabOrder(0);
    second.SetTabOrder(1);
    first.SetTabOrder(2);
  }
  TLabel label;
  TButton first;
  TEdit second;
  TButton third;
};

TEST_F(ControlsTest, ActivationFocusesTheFirstControlInTabOrderAndTabFollowsIt) {
  ThreeControlForm form(application);
  form.Show();
  EXPECT_EQ(GetFocus(), form.third.Handle());
  EXPECT_EQ(GetNextDlgTabItem(form.Handle(), form.third.Handle(), FALSE), form.second.Handle());
  EXPECT_EQ(GetNextDlgTabItem(form.Handle(), form.second.Handle(), FALSE), form.first.Handle());
  EXPECT_EQ(GetNextDlgTabItem(form.Handle(), form.first.Handle(), FALSE), form.third.Handle());
}

TEST_F(ControlsTest, ReactivationReturnsTheFocusToTheLastFocusedControl) {
  ThreeControlForm form(application);
  TForm other(application);
  other.SetClientSize(100, 50);
  form.Show();
  form.second.SetFocus();
  other.Show();
  EXPECT_NE(GetActiveWindow(), form.Handle());
  SetActiveWindow(form.Handle());
  EXPECT_EQ(GetFocus(), form.second.Handle());
}

TEST_F(ControlsTest, ScaleToFontScalesEveryBoundByTheTextHeightRatio) {
  ThreeControlForm form(application);
  const int textHeight = application.DefaultFont().TextHeight();
  form.ScaleToFont(textHeight);
  EXPECT_EQ(form.first.Width(), 80) << "equal heights change nothing";
  form.ScaleToFont(textHeight * 2);
  EXPECT_EQ(form.ClientWidth(), 150);
  EXPECT_EQ(form.ClientHeight(), 100);
  EXPECT_EQ(form.second.Left(), 5);
  EXPECT_EQ(form.second.Top(), 20);
  EXPECT_EQ(form.second.Width(), 50);
  EXPECT_EQ(form.second.Height(), 11);
  form.Show();
  RECT client{};
  GetClientRect(form.Handle(), &client);
  EXPECT_EQ(client.right, 150);
  RECT bounds{};
  GetWindowRect(form.first.Handle(), &bounds);
  EXPECT_EQ(bounds.right - bounds.left, 40);
}

TEST_F(ControlsTest, ButtonDefaultFlagSetsTheDefaultFrame) {
  TForm form(application);
  TButton button(form);
  button.SetCaption("復号化開始");
  button.SetDefault(true);
  EXPECT_EQ(GetWindowLongPtrA(button.Handle(), GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
  button.SetDefault(false);
  EXPECT_EQ(GetWindowLongPtrA(button.Handle(), GWL_STYLE) & 0xF, BS_PUSHBUTTON);
  EXPECT_EQ(button.Caption(), "復号化開始");
  button.SetCancel(true);
  EXPECT_TRUE(button.Cancel());
}

class EditTest : public FrameworkTest {
 protected:
  EditTest() : form(application), edit(form) { form.Show(); }

  // Each byte as one posted WM_CHAR, as an ANSI program receives typed text.
  void Type(std::string_view text) {
    for (char key : text) PostMessageA(edit.Handle(), WM_CHAR, static_cast<unsigned char>(key), 1);
    PumpMessages();
  }

  TForm form;
  TEdit edit;
};

TEST_F(EditTest, MaxLengthCountsBytes) {
  struct Case {
    std::string typed;
    std::string kept;
  };
  const std::string full(24, 'a');
  const Case cases[] = {
      {full, full},
      {full + "b", full},
      {std::string(22, 'a') + "ア", std::string(22, 'a') + "ア"},
      {std::string(23, 'a') + "ア", std::string(23, 'a')},
      {"パスワード" + std::string(15, 'x'), "パスワード" + std::string(14, 'x')},
  };
  edit.SetMaxLength(24);
  for (const Case& c : cases) {
    edit.SetText("");
    Type(c.typed);
    EXPECT_EQ(edit.Text(), c.kept) << c.typed;
  }
}

TEST_F(EditTest, PasteBeyondMaxLengthIsRefused) {
  edit.SetMaxLength(5);
  edit.SetText("abc");
  SendMessageA(edit.Handle(), EM_SETSEL, 3, 3);
  for (const std::string& clip : {std::string("ア"), std::string("イ"), std::string("x")}) {
    ASSERT_TRUE(OpenClipboard(form.Handle()));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, clip.size() + 1);
    std::memcpy(GlobalLock(memory), clip.c_str(), clip.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_TEXT, memory);
    CloseClipboard();
    SendMessageA(edit.Handle(), WM_PASTE, 0, 0);
  }
  EXPECT_EQ(edit.Text(), "abcア");
}

TEST_F(EditTest, PasswordCharHidesButKeepsTheText) {
  edit.SetPasswordChar('*');
  Type("secret");
  EXPECT_EQ(SendMessageA(edit.Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  EXPECT_EQ(edit.Text(), "secret");
}

TEST_F(EditTest, ReadOnlyRefusesTyping) {
  edit.SetText("C:\\out");
  edit.SetReadOnly(true);
  Type("x");
  EXPECT_EQ(edit.Text(), "C:\\out");
  EXPECT_NE(GetWindowLongPtrA(edit.Handle(), GWL_STYLE) & ES_READONLY, 0);
  edit.SelectAll();
  DWORD start = 1;
  DWORD end = 0;
  SendMessageA(edit.Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 6u);
}

TEST_F(ControlsTest, LabelSizesItselfToItsCaption) {
  TForm form(application);
  TLabel label(form);
  label.SetBounds(8, 36, 1, 1);
  label.SetCaption("ファイルの場所 & more");
  EXPECT_EQ(label.Width(), label.TextWidth("ファイルの場所 & more"));
  EXPECT_EQ(label.Height(), application.DefaultFont().TextHeight());
  EXPECT_EQ(label.Left(), 8);
  EXPECT_NE(GetWindowLongPtrA(label.Handle(), GWL_STYLE) & SS_NOPREFIX, 0);
  // The form's new font reaches the label, which fits it.
  form.SetFont(TFont(-30, application.DefaultFont().Face()));
  EXPECT_EQ(&label.Font(), &form.Font());
  EXPECT_EQ(label.Height(), form.Font().TextHeight());
  EXPECT_EQ(SendMessageA(label.Handle(), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(form.Font().Handle()));
  label.SetAutoSize(false);
  label.SetBounds(8, 36, 47, 13);
  label.SetCaption("パスワード");
  EXPECT_EQ(label.Width(), 47);
}

TEST_F(ControlsTest, ProgressBarKeepsItsRangeAndPosition) {
  TForm form(application);
  TProgressBar bar(form);
  bar.SetPosition(40);
  const HWND window = bar.Handle();
  EXPECT_EQ(SendMessageA(window, PBM_GETPOS, 0, 0), 40);
  EXPECT_EQ(SendMessageA(window, PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ(SendMessageA(window, PBM_GETRANGE, FALSE, 0), 100);
  bar.SetPosition(150);
  EXPECT_EQ(bar.Position(), 100);
  EXPECT_EQ(SendMessageA(window, PBM_GETPOS, 0, 0), 100);
  bar.SetRange(0, 10);
  EXPECT_EQ(bar.Position(), 10);
  EXPECT_FALSE(bar.TabStop());
}

}  // namespace
