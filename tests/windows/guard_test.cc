#include "framework/guard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "framework/button.h"
#include "framework/current_directory.h"
#include "framework/list_box.h"
#include "tests/support/temp_folder.h"
#include "tests/windows/framework_fixture.h"

namespace {

// A shown form with one button whose click runs the test's handler.
class ButtonForm : public TForm {
 public:
  explicit ButtonForm(TApplication& application) : TForm(application), button(*this) {
    SetClientSize(200, 100);
    button.SetBounds(10, 10, 80, 25);
    button.OnClick = [this](TObject&) {
      ++clicks;
      if (handler) handler();
    };
  }
  TButton button;
  std::function<void()> handler;
  int clicks = 0;
};

class GuardTest : public FrameworkTest {
 protected:
  GuardTest() : form(application) { form.Show(); }

  void Click() { SendMessageA(form.button.Handle(), BM_CLICK, 0, 0); }

  ButtonForm form;
};

TEST_F(GuardTest, ErrorInAClickHandlerReachesTheHookWithTheButtonAndShowsNothing) {
  RecordExceptions();
  bool rest = false;
  form.handler = [&] {
    throw EInvalidOperation("broken");
    rest = true;
  };
  Click();
  ASSERT_EQ(exceptions.size(), 1u);
  EXPECT_EQ(exceptions[0].sender, &form.button);
  EXPECT_EQ(exceptions[0].className, "EInvalidOperation");
  EXPECT_EQ(exceptions[0].message, "broken");
  EXPECT_FALSE(rest) << "the rest of the handler is abandoned";
  EXPECT_TRUE(boxes.empty());
  EXPECT_TRUE(IsWindowVisible(form.Handle()));

  Click();
  EXPECT_EQ(form.clicks, 2);
  EXPECT_EQ(exceptions.size(), 2u);
}

TEST_F(GuardTest, PostedMouseClicksGoThroughTheLoopAndTheButtonStaysUsable) {
  RecordExceptions();
  form.handler = [] { throw EListError(4); };
  const HWND button = form.button.Handle();
  for (int click = 0; click < 2; ++click) {
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  }
  PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
  application.Run();
  EXPECT_TRUE(application.Terminated());
  EXPECT_EQ(form.clicks, 2);
  ASSERT_EQ(exceptions.size(), 2u);
  EXPECT_EQ(exceptions[1].sender, &form.button);
  EXPECT_EQ(exceptions[1].className, "EListError");
  EXPECT_TRUE(boxes.empty());
}

TEST_F(GuardTest, AbortNeverReachesTheHook) {
  RecordExceptions();
  form.handler = [] { throw EAbort(); };
  Click();
  EXPECT_EQ(form.clicks, 1);
  EXPECT_TRUE(exceptions.empty());
  EXPECT_TRUE(boxes.empty());
}

TEST_F(GuardTest, ObjectsOutsideTheHierarchyGetTheGenericBoxWhateverTheHook) {
  RecordExceptions();
  struct Case {
    std::function<void()> raise;
    std::string className;
  };
  const Case cases[] = {
      {[] { throw std::runtime_error("x"); }, "std::runtime_error"},
      {[] { throw 42; }, "int"},
  };
  for (const Case& c : cases) {
    boxes.clear();
    form.handler = c.raise;
    Click();
    ASSERT_EQ(boxes.size(), 1u) << c.className;
    EXPECT_EQ(boxes[0].text,
              c.className + " がモジュール windows_ui_tests.exe の 00000000 で発生しました。\r\n\r\n");
    EXPECT_EQ(boxes[0].caption, "アプリケーション エラー");
    EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_TASKMODAL | MB_ICONERROR));
    EXPECT_EQ(boxes[0].owner, nullptr);
  }
  EXPECT_TRUE(exceptions.empty());
}

TEST_F(GuardTest, FailedDirectoryChangeLeavesNoPendingIOResult) {
  RecordExceptions();
  TempFolder folder;
  const std::string before = CurrentDirectory();
  form.handler = [&] { ChangeCurrentDirectory(folder / "missing"); };
  Click();
  ASSERT_EQ(exceptions.size(), 1u);
  EXPECT_EQ(exceptions[0].className, "EInOutError");
  EXPECT_EQ(exceptions[0].message, "ファイルが見つかりません");
  EXPECT_EQ(TakeIOResult(), 0u);
  EXPECT_EQ(CurrentDirectory(), before);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(GuardTest, MouseCaptureIsCancelled) {
  RecordExceptions();
  form.handler = [&] {
    SetCapture(form.Handle());
    throw EInvalidOperation("captured");
  };
  Click();
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(exceptions.size(), 1u);
}

TEST_F(GuardTest, WithoutHookTheDefaultBoxShowsTheMessage) {
  application.OnException = nullptr;
  form.handler = [] { throw EInOutError(5); };
  Click();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "ファイルへのアクセスが拒否されました.");
  EXPECT_EQ(boxes[0].caption, application.Title());
  EXPECT_EQ(boxes[0].flags, static_cast<UINT>(MB_ICONERROR));
}

TEST_F(GuardTest, DispatcherWithoutHandlersShowsTheDefaultBox) {
  TApplicationEvents unassigned(application);
  form.handler = [] { throw EOutOfResources("行を挿入できません"); };
  Click();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "行を挿入できません.");
}

TEST_F(GuardTest, DispatcherWalksTheComponentsNewestFirst) {
  std::string order;
  TApplicationEvents first(application);
  TApplicationEvents unassigned(application);
  TApplicationEvents last(application);
  first.OnException = [&](TObject*, const Exception&) { order += "first "; };
  last.OnException = [&](TObject*, const Exception&) { order += "last "; };
  application.Dispatcher().Add(first);
  EXPECT_EQ(application.Dispatcher().Count(), 3u);
  form.handler = [] { throw EInvalidOperation("x"); };
  Click();
  EXPECT_EQ(order, "last first ");
  // A component that cancels the dispatch ends the walk; the exception stays handled.
  last.OnException = [&](TObject*, const Exception&) {
    order += "cancel ";
    last.CancelDispatch();
  };
  Click();
  Click();
  EXPECT_EQ(order, "last first cancel cancel ");
  EXPECT_TRUE(boxes.empty());
  // A walk started inside a handler (an exception while it shows a box) has a cancel of its
  // own: the outer walk stays cancelled after an inner one, and is not cancelled by one.
  const auto inner = [&] {
    application.HandleException(nullptr, std::make_exception_ptr(EInvalidOperation("inner")));
  };
  struct Row {
    bool cancelOuter;
    bool cancelInner;
    std::string order;
  };
  for (const Row& row : {Row{true, false, "last:x last:inner first:inner "},
                         Row{false, true, "last:x last:inner first:x "}}) {
    order.clear();
    last.OnException = [&](TObject*, const Exception& error) {
      const bool isInner = error.Message() == "inner";
      order += "last:" + error.Message() + " ";
      if (isInner ? row.cancelInner : row.cancelOuter) last.CancelDispatch();
      if (!isInner) inner();
    };
    first.OnException = [&](TObject*, const Exception& error) { order += "first:" + error.Message() + " "; };
    Click();
    EXPECT_EQ(order, row.order);
  }
}

// A handler that destroys an older component: each remaining one still hears it once.
TEST_F(GuardTest, HandlerDestroyingAComponentLeavesTheOthersOneEventEach) {
  std::string order;
  auto oldest = std::make_unique<TApplicationEvents>(application);
  TApplicationEvents middle(application);
  TApplicationEvents newest(application);
  oldest->OnException = [&](TObject*, const Exception&) { order += "oldest "; };
  middle.OnException = [&](TObject*, const Exception&) { order += "middle "; };
  newest.OnException = [&](TObject*, const Exception&) {
    order += "newest ";
    oldest.reset();
  };
  form.handler = [] { throw EInvalidOperation("x"); };
  Click();
  EXPECT_EQ(order, "newest middle ");
}

TEST_F(GuardTest, HookThatRaisesLeavesTheFormUsable) {
  TApplicationEvents raising(application);
  int calls = 0;
  raising.OnException = [&](TObject*, const Exception&) {
    ++calls;
    throw std::runtime_error("hook");
  };
  form.handler = [] { throw EInvalidOperation("x"); };
  Click();
  Click();
  EXPECT_EQ(form.clicks, 2);
  EXPECT_EQ(calls, 2);
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
}

class ThrowingForm : public TForm {
 public:
  using TForm::TForm;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_APP) throw EInvalidOperation("form");
    return TForm::HandleMessage(message, wParam, lParam);
  }
};

TEST_F(GuardTest, ErrorInAFormsOwnMessageNamesTheFormAndReturnsZero) {
  RecordExceptions();
  ThrowingForm other(application);
  EXPECT_EQ(SendMessageA(other.Handle(), WM_APP, 0, 0), 0);
  ASSERT_EQ(exceptions.size(), 1u);
  EXPECT_EQ(exceptions[0].sender, &other);
}

class ThrowingList : public TListBoxBase {
 public:
  using TListBoxBase::TListBoxBase;

 protected:
  void DrawItem(const OwnerDrawItem&) override { throw EStringListError(0); }
};

TEST_F(GuardTest, ErrorWhileDrawingAnItemNamesTheList) {
  RecordExceptions();
  ThrowingList list(form);
  list.SetBounds(100, 10, 90, 80);
  list.AddItem("a");
  RedrawWindow(list.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ASSERT_FALSE(exceptions.empty());
  EXPECT_EQ(exceptions[0].sender, &list);
  EXPECT_EQ(exceptions[0].className, "EStringListError");
}

struct Enumeration {
  int visited = 0;
};

BOOL CALLBACK FailingEnumeration(HWND, LPARAM data) {
  auto& state = *reinterpret_cast<Enumeration*>(data);
  return Guarded<BOOL>(nullptr, FALSE, [&]() -> BOOL {
    ++state.visited;
    throw EInvalidOperation("enumeration");
  });
}

TEST_F(GuardTest, CallbacksReturnTheirFallbackAndHandTheErrorOn) {
  RecordExceptions();
  ButtonForm second(application);
  second.Handle();
  Enumeration enumeration;
  EnumThreadWindows(GetCurrentThreadId(), &FailingEnumeration, reinterpret_cast<LPARAM>(&enumeration));
  EXPECT_EQ(enumeration.visited, 1) << "the fallback FALSE ends the enumeration";
  ASSERT_EQ(exceptions.size(), 1u);
  EXPECT_EQ(exceptions[0].message, "enumeration");
}

class FailingKeyForm : public TForm {
 public:
  explicit FailingKeyForm(TApplication& application) : TForm(application), button(*this) {}
  TButton button;

 protected:
  bool PreprocessKey(MSG&) override { throw EInvalidOperation("key"); }
};

TEST_F(GuardTest, ErrorInTheLoopItselfNamesTheApplication) {
  RecordExceptions();
  FailingKeyForm keyForm(application);
  keyForm.Show();
  PostMessageA(keyForm.button.Handle(), WM_KEYDOWN, 'A', 0);
  PostMessageA(form.Handle(), WM_CLOSE, 0, 0);
  application.Run();
  ASSERT_EQ(exceptions.size(), 1u);
  EXPECT_EQ(exceptions[0].sender, &application);
  EXPECT_TRUE(application.Terminated());
}

}  // namespace
