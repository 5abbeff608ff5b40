// The dialog keys, with real key messages through the application's message handling.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/button.h"
#include "framework/edit.h"
#include "framework/form.h"
#include "framework/label.h"
#include "framework/progress_bar.h"
#include "tests/windows/framework_fixture.h"

namespace {

// Tab order: edit, ok, cancel, progress bar (not a tab stop), other; ok is the default
// button, cancel the cancel button.
class KeyForm : public TForm {
 public:
  explicit KeyForm(TApplication& application)
      : TForm(application), label(*this), edit(*this), other(*this), ok(*this), cancel(*this),
        bar(*this) {
    SetClientSize(300, 200);
    edit.SetBounds(10, 10, 100, 21);
    ok.SetBounds(10, 40, 75, 25);
    cancel.SetBounds(10, 70, 75, 25);
    bar.SetBounds(10, 100, 100, 16);
    other.SetBounds(10, 120, 75, 25);
    edit.SetTabOrder(0);
    ok.SetTabOrder(1);
    cancel.SetTabOrder(2);
    bar.SetTabOrder(3);
    other.SetTabOrder(4);
    ok.SetDefault(true);
    cancel.SetCancel(true);
    for (TButton* button : {&ok, &cancel, &other}) {
      button->OnClick = [this](TObject& sender) { clicks.push_back(&sender); };
    }
  }
  TLabel label;
  TEdit edit;
  TButton other;
  TButton ok;
  TButton cancel;
  TProgressBar bar;
  std::vector<TObject*> clicks;
};

class FormKeysTest : public FrameworkTest {
 protected:
  FormKeysTest() : form(application) { form.Show(); }

  void Press(WORD key, bool shift = false) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    state[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(state);
    PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageA(GetFocus(), WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    application.ProcessMessages();
    state[VK_SHIFT] = 0;
    SetKeyboardState(state);
  }

  bool Framed(const TButton& button) {
    return (GetWindowLongPtrA(const_cast<TButton&>(button).Handle(), GWL_STYLE) & 0xF) ==
           BS_DEFPUSHBUTTON;
  }

  KeyForm form;
};

TEST_F(FormKeysTest, TabAndShiftTabFollowTheTabOrderAndSkipTheProgressBar) {
  form.edit.SetFocus();
  const HWND expected[] = {form.ok.Handle(), form.cancel.Handle(), form.other.Handle(),
                           form.edit.Handle()};
  for (HWND window : expected) {
    Press(VK_TAB);
    EXPECT_EQ(GetFocus(), window);
  }
  Press(VK_TAB, true);
  EXPECT_EQ(GetFocus(), form.other.Handle());
}

TEST_F(FormKeysTest, EnterClicksTheDefaultButtonOutsideButtonsWithoutMovingTheFocus) {
  form.edit.SetFocus();
  Press(VK_RETURN);
  EXPECT_EQ(form.clicks, std::vector<TObject*>{&form.ok});
  EXPECT_EQ(GetFocus(), form.edit.Handle());
}

TEST_F(FormKeysTest, EnterOnAnotherButtonClicksThatButtonAndItCarriesTheFrame) {
  form.other.SetFocus();
  application.ProcessMessages();
  EXPECT_TRUE(Framed(form.other));
  EXPECT_FALSE(Framed(form.ok));
  Press(VK_RETURN);
  EXPECT_EQ(form.clicks, std::vector<TObject*>{&form.other});
  // Leaving the buttons gives the frame back to the default button.
  form.edit.SetFocus();
  application.ProcessMessages();
  EXPECT_TRUE(Framed(form.ok));
  EXPECT_FALSE(Framed(form.other));
}

TEST_F(FormKeysTest, EscClicksTheCancelButton) {
  form.edit.SetFocus();
  Press(VK_ESCAPE);
  EXPECT_EQ(form.clicks, std::vector<TObject*>{&form.cancel});
}

TEST_F(FormKeysTest, EnterWithShiftOrOnADisabledDefaultButtonClicksNothing) {
  form.edit.SetFocus();
  Press(VK_RETURN, true);
  EnableWindow(form.ok.Handle(), FALSE);
  Press(VK_RETURN);
  EXPECT_TRUE(form.clicks.empty());
}

TEST_F(FormKeysTest, ArrowsOnButtonsWalkTheTabOrderIncludingTheProgressBarAndWrap) {
  form.cancel.SetFocus();
  Press(VK_RIGHT);
  EXPECT_EQ(GetFocus(), form.bar.Handle());
  form.other.SetFocus();
  Press(VK_DOWN);
  EXPECT_EQ(GetFocus(), form.edit.Handle()) << "wraps around after the last control";
  form.ok.SetFocus();
  Press(VK_LEFT);
  EXPECT_EQ(GetFocus(), form.edit.Handle());
  form.ok.SetFocus();
  Press(VK_UP);
  EXPECT_EQ(GetFocus(), form.edit.Handle());
}

TEST_F(FormKeysTest, ArrowsInAnEditStayWithTheEdit) {
  form.edit.SetFocus();
  Press(VK_RIGHT);
  EXPECT_EQ(GetFocus(), form.edit.Handle());
}

}  // namespace
