#include "framework/application.h"

#include <algorithm>

#include "framework/application_events.h"
#include "framework/error_text.h"
#include "framework/guard.h"
#include "framework/module_file.h"
#include "framework/system_cursor.h"
#include "framework/texts.h"
#include "platform/path_text.h"

TApplication* Application = nullptr;

namespace {

constexpr char kApplicationClassName[] = "FrameworkApplication";
// Posted by the application window to itself: hand the focus to the main form.
constexpr UINT kFocusMainForm = WM_APP;

WNDCLASSEXA ApplicationWindowClass() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &TWinControl::WindowProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(windowClass.hInstance, "MAINICON");
  windowClass.hIconSm = static_cast<HICON>(LoadImageA(windowClass.hInstance, "MAINICON", IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON),
                                                      GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  windowClass.lpszClassName = kApplicationClassName;
  return windowClass;
}

WNDCLASSEXA FormWindowClass() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &TWinControl::WindowProcedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = SystemCursor(SystemCursorId::Arrow);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszClassName = kFormClassName;
  return windowClass;
}

}  // namespace

// The application's own window: invisible (no size) but in the taskbar with the title, and
// the owner of the forms, so their taskbar entry is the application's.
class TApplication::Window : public TWinControl {
 public:
  explicit Window(TApplication& application) : TWinControl(application.DefaultFont()), application_(application) {
    SetVisible(false);
    WriteText(application.Title());
  }
  ~Window() override { DestroyHandle(); }

 protected:
  void FillCreateParams(CreateParams& params) const override {
    params.className = kApplicationClassName;
    params.ownClass = true;
    params.style |= WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;
  }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CLOSE: return OnClose();
      case WM_SETFOCUS: return OnSetFocus();
      case kFocusMainForm: return OnFocusMainForm();
      default: return DefaultHandler(message, wParam, lParam);
    }
  }

 private:
  // The taskbar entry's close command closes the main form.
  LRESULT OnClose() {
    if (TForm* main = application_.MainForm()) main->Close();
    return 0;
  }

  // Activated through its taskbar entry, the application activates the main form (which
  // focuses its control); later, because moving the activation while it is being set does
  // not hold.
  LRESULT OnSetFocus() {
    PostMessageA(Handle(), kFocusMainForm, 0, 0);
    return 0;
  }

  LRESULT OnFocusMainForm() {
    TForm* main = application_.MainForm();
    if (GetFocus() == Handle() && main && main->HandleAllocated() && IsWindowVisible(main->Handle()) &&
        IsWindowEnabled(main->Handle())) {
      SetActiveWindow(main->Handle());
    }
    return 0;
  }

  TApplication& application_;
};

TApplication::TApplication()
    : title_(ApplicationTitle(ExecutablePath())),
      applicationClass_(ApplicationWindowClass()),
      formClass_(FormWindowClass()),
      defaultFont_(CreateDefaultFont()) {
  if (Application) throw EInvalidOperation("TApplication");
  // Without its classes no window of ours could be made; said here, as a refused window is.
  if (!applicationClass_.Registered() || !formClass_.Registered()) throw EOutOfResources(kCannotCreateWindow);
  Application = this;
  try {
    window_ = std::make_unique<Window>(*this);
    window_->Handle();
    dispatcher_ = std::make_unique<TMultiCaster>(*this);
  } catch (...) {
    window_.reset();
    Application = nullptr;
    throw;
  }
}

TApplication::~TApplication() {
  while (!ownedForms_.empty()) ownedForms_.pop_back();
  window_.reset();
  Application = nullptr;
}

void TApplication::Initialize() {
  if (!com_) com_.emplace(CoInitialize(nullptr));
}

HWND TApplication::Handle() const { return window_ && window_->HandleAllocated() ? window_->Handle() : nullptr; }

void TApplication::FormCreated(TForm& form) {
  forms_.push_back(&form);
  if (!mainForm_) mainForm_ = &form;
}

void TApplication::FormDestroyed(TForm& form) {
  std::erase(forms_, &form);
  if (mainForm_ == &form) mainForm_ = nullptr;
}

void TApplication::AdoptForm(std::unique_ptr<TForm> form) { ownedForms_.push_back(std::move(form)); }

void TApplication::Run() {
  if (!mainForm_) return;
  ShowMainForm(StartupShowCommand());
  while (!terminated_) {
    Guarded<int>(this, 0, [this] {
      ProcessMessage();
      return 0;
    });
  }
}

void TApplication::ShowMainForm(int showCommand) {
  if (!mainForm_) return;
  ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  // A form has a fixed dialog frame whose controls stand where they were placed for its
  // designed size: a start maximised (3) would only spread empty face around them.
  mainForm_->Show(SW_SHOWNORMAL);
  if (showCommand == SW_SHOWMINNOACTIVE) ShowWindow(Handle(), SW_SHOWMINNOACTIVE);
}

void TApplication::ProcessMessage() {
  MSG message{};
  if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    Idle();
    return;
  }
  if (message.message == WM_QUIT) {
    terminated_ = true;
    return;
  }
  Dispatch(message);
}

void TApplication::Idle() {
  // Waits even when the idle work raises, or a handler raising on every call would keep the
  // loop busy and never let it sleep.
  struct WaitAfter {
    ~WaitAfter() { WaitMessage(); }
  } waitAfter;
  if (OnIdle) OnIdle(*this);
}

void TApplication::ProcessMessages() {
  MSG message{};
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      terminated_ = true;
      return;
    }
    Dispatch(message);
  }
}

void TApplication::Dispatch(MSG& message) {
  if (PreprocessMessage(message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

bool TApplication::PreprocessMessage(MSG& message) {
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !message.hwnd) return false;
  const HWND root = GetAncestor(message.hwnd, GA_ROOT);
  const auto form = std::find_if(forms_.begin(), forms_.end(), [root](TForm* candidate) {
    return candidate->HandleAllocated() && candidate->Handle() == root;
  });
  return form != forms_.end() && (*form)->PreprocessKey(message);
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::HandleException(TObject* sender, std::exception_ptr error) {
  if (const HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
  Report(sender, error, true);
}

void TApplication::ShowStartupError(std::exception_ptr error) { Report(this, error, false); }

void TApplication::Report(TObject* sender, std::exception_ptr error, bool useHook) {
  if (!error) return;
  try {
    std::rethrow_exception(error);
  } catch (const EAbort&) {
  } catch (const Exception& exception) {
    if (useHook && OnException) {
      OnException(sender, exception);
    } else {
      ShowException(exception);
    }
  } catch (...) {
    ShowGenericError(CurrentExceptionClassName());
  }
}

void TApplication::ShowException(const Exception& error) {
  ShowMessageBox(Handle(), ErrorBoxText(error.Message()), title_, MB_ICONERROR);
}

// C++ gives no raising address, so the rule for an address outside every module applies:
// the executable's name, and 0 (less the 0x1000 offset, 0 staying 0).
void TApplication::ShowGenericError(const std::string& className) {
  ShowMessageBox(nullptr, GenericErrorText(className, platform::LastName(ExecutablePath()), 0),
                 kApplicationErrorCaption, MB_TASKMODAL | MB_ICONERROR);
}

int TApplication::ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
  if (messageBox_) return messageBox_(owner, text, caption, flags);
  return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void TApplication::SetMessageBoxFunction(MessageBoxFunction function) { messageBox_ = std::move(function); }

std::string ApplicationTitle(std::string_view executablePath) {
  std::string title(platform::LastName(executablePath));
  for (std::size_t i = 0; i < title.size(); i += platform::CharacterLength(title, i)) {
    if (title[i] == '.') {
      title.resize(i);
      break;
    }
  }
  if (title.empty()) return title;
  const std::size_t first = platform::CharacterLength(title, 0);
  if (title.size() > first) CharLowerBuffA(title.data() + first, static_cast<DWORD>(title.size() - first));
  return title;
}

int StartupShowCommand() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWNORMAL;
}
