#pragma once
// The application object: one per process, reachable as Application. It holds the title,
// the main form, the terminate flag and the exception hook, runs the message loop and is
// where every exception that escapes a handler ends up (see guard.h).
//
// Policy while the loop runs: an exception of the Exception hierarchy goes to OnException
// (the default error box only when no hook is set); EAbort is dropped silently; any other
// object is shown in the generic error box. The failing handler is abandoned and the loop
// goes on.

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "framework/exceptions.h"
#include "framework/font.h"
#include "framework/form.h"
#include "framework/handles.h"
#include "framework/object.h"

class TMultiCaster;

class TApplication : public TObject {
 public:
  using ExceptionEvent = std::function<void(TObject* sender, const Exception& error)>;
  using IdleEvent = std::function<void(TObject& sender)>;
  // Shows a message box and returns the button pressed, as MessageBoxA does.
  using MessageBoxFunction =
      std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT flags)>;

  // Takes the title from the executable's name, registers the window classes, creates the
  // application's own (taskbar) window with the icon resource MAINICON, the default font
  // and the event dispatcher, which installs itself as OnException. Raises
  // EInvalidOperation when another application object exists.
  TApplication();
  // Destroys the forms (newest first) and the window, then releases COM if Initialize
  // initialised it.
  ~TApplication() override;

  // Initialises COM for this thread (CoInitialize, apartment-threaded).
  void Initialize();

  // Creates a form owned by the application, with the application as owner: reference is
  // set to the object's address before its constructor runs, and back to null if the
  // constructor raises (which is passed on). The first form created becomes the main form.
  // Its window is created at once, hidden.
  template <typename Form>
  Form& CreateForm(Form*& reference);

  TForm* MainForm() const { return mainForm_; }
  const std::string& Title() const { return title_; }
  // The application's own window: owner of the forms, caption of the taskbar entry.
  HWND Handle() const;
  const TFont& DefaultFont() const { return defaultFont_; }
  TMultiCaster& Dispatcher() { return *dispatcher_; }

  // Shows the main form as StartupShowCommand asks and runs the loop until the quit
  // message arrives: each message waiting is taken and dispatched; when none is waiting,
  // OnIdle runs and the loop waits for the next one. Returns at once without a main form.
  void Run();
  // Shows the main form in its designed state, with the application minimised for show
  // command 7 (SW_SHOWMINNOACTIVE). A form's fixed dialog frame is never maximised, so 3
  // (SW_SHOWMAXIMIZED) shows it normal too.
  void ShowMainForm(int showCommand);
  // Handles every message waiting in the queue as the loop does, without waiting; a quit
  // message sets Terminated.
  void ProcessMessages();

  // Posts the quit message; the loop ends when it takes it from the queue.
  void Terminate();
  // Set when the loop took the quit message.
  bool Terminated() const { return terminated_; }

  // Where an exception that escaped a handler goes, with the object whose work failed:
  // cancels any mouse capture, then applies the policy above. Raises what the hook raises.
  void HandleException(TObject* sender, std::exception_ptr error);
  // An exception that escaped start-up: the default error box for an Exception, the
  // generic error box for anything else, nothing for EAbort.
  void ShowStartupError(std::exception_ptr error);
  // The default error box: the message (see ErrorBoxText), the title as caption, MB_ICONERROR.
  void ShowException(const Exception& error);
  ExceptionEvent OnException;
  // The loop's idle work, with the application as sender.
  IdleEvent OnIdle;

  // Every message box of the program goes through here, so tests can record them.
  int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);
  void SetMessageBoxFunction(MessageBoxFunction function);

 private:
  friend class TForm;
  class Window;

  void FormCreated(TForm& form);
  void FormDestroyed(TForm& form);
  void AdoptForm(std::unique_ptr<TForm> form);
  void ProcessMessage();
  void Idle();
  void Dispatch(MSG& message);
  bool PreprocessMessage(MSG& message);
  void ShowGenericError(const std::string& className);
  void Report(TObject* sender, std::exception_ptr error, bool useHook);

  std::string title_;
  WindowClassRegistration applicationClass_;
  WindowClassRegistration formClass_;
  TFont defaultFont_;
  std::unique_ptr<Window> window_;
  std::unique_ptr<TMultiCaster> dispatcher_;
  std::optional<ComInitialization> com_;
  MessageBoxFunction messageBox_;
  std::vector<TForm*> forms_;
  std::vector<std::unique_ptr<TForm>> ownedForms_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
};

// The one application object while it exists, else null.
extern TApplication* Application;

// The title for an executable path: its file name without the directory, cut at the first
// ".", with every character after the first lower-cased by CharLowerBuffA
// (C:\x\MYTOOL.V2.EXE gives "Mytool").
std::string ApplicationTitle(std::string_view executablePath);

// The show command the process was started with (SW_SHOWNORMAL when none was given).
int StartupShowCommand();

// The start-up guard for WinMain: initialises the application, runs createForms and the
// loop. An exception escaping before the loop takes over is shown (ShowStartupError).
// Returns the exit code, always 0.
int RunApplication(TApplication& application, const std::function<void(TApplication&)>& createForms);

template <typename Form>
Form& TApplication::CreateForm(Form*& reference) {
  static_assert(std::is_base_of_v<TForm, Form>);
  void* storage = ::operator new(sizeof(Form));
  reference = static_cast<Form*>(storage);
  Form* form = nullptr;
  try {
    form = ::new (storage) Form(*this);
  } catch (...) {
    reference = nullptr;
    ::operator delete(storage);
    throw;
  }
  AdoptForm(std::unique_ptr<TForm>(form));
  form->Handle();
  return *form;
}
