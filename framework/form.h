#pragma once
// A top-level window with a fixed dialog frame: title bar with the system menu and the close
// box only, no minimise or maximise box and no icon, not resizable, the button-face colour as
// background and, until it is given one of its own, the application's default font. It is the
// parent of its controls and reflects their notifications to them.

#include <windows.h>

#include <string>

#include "framework/win_control.h"

class TApplication;

enum TPosition {
  poDesigned,      // at Left, Top
  poScreenCenter,  // centered on the primary screen when first shown
};

class TForm : public TWinControl {
 public:
  // The form registers with application; the first form becomes its main form.
  explicit TForm(TApplication& application);
  ~TForm() override;

  TApplication& Owner() const { return application_; }

  std::string Caption() const { return ReadText(); }
  void SetCaption(std::string caption) { WriteText(std::move(caption)); }

  int ClientWidth() const { return clientWidth_; }
  int ClientHeight() const { return clientHeight_; }
  // Sizes the window so that its client area has this size.
  void SetClientSize(int width, int height);

  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }

  // Creates the windows of all controls, places the form (poScreenCenter: the first time
  // only) and shows it with showCommand.
  void Show(int showCommand = SW_SHOWNORMAL);
  void Hide();

  // The main form asks the application to terminate (the quit message is posted and the
  // current handler runs on to its end); another form is hidden.
  void Close();

  // Scales the client size and every control's bounds by the font's text height over
  // designedTextHeight (see ScaleDesigned); nothing when they are equal.
  void ScaleToFont(int designedTextHeight);

  // The active button, which Enter clicks and which alone carries the default-button frame,
  // is the focused button while a button has the focus, else the Default one: the form
  // draws the frames again whenever a button's focus or Default flag changes.
  void ButtonStateChanged() override;

 protected:
  void FillCreateParams(CreateParams& params) const override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Called by the message loop with each keyboard message for this form or one of its
  // controls, before it is translated and dispatched. Returns true when the form has dealt
  // with the key (it is then not dispatched). The default handles the dialog keys unless the
  // focused control asks for the key itself (WM_GETDLGCODE): Tab and Shift+Tab move the
  // focus in tab order; Enter clicks the focused button, else the Default button; Esc
  // clicks the Cancel button (both only without Shift, Ctrl or Alt, and only for a button
  // that can take the focus); on a button the arrow keys move the focus to the next (Right,
  // Down) or previous (Left, Up) control in tab order, wrapping around.
  virtual bool PreprocessKey(MSG& message);

 private:
  friend class TApplication;

  LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
  LRESULT OnClose();
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
  LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);
  LRESULT OnMeasureItem(MEASUREITEMSTRUCT& item);
  LRESULT OnDeleteItem(const DELETEITEMSTRUCT& item);
  void CreateControlWindows();
  void PlaceForFirstShow();
  bool ClickButtonForKey(WPARAM key, HWND focus);
  void MoveFocusAlongTabOrder(HWND focus, bool forward);
  TWinControl* ButtonOf(HWND window) const;
  TWinControl* FindButton(bool DialogKeyRole::*role) const;

  TApplication& application_;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  TPosition position_ = poDesigned;
  bool shownBefore_ = false;
  HWND lastFocus_ = nullptr;
};

// Style bits of the fixed dialog frame.
inline constexpr DWORD kDialogFrameStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
inline constexpr DWORD kDialogFrameExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;


// The window class of forms.
inline constexpr char kFormClassName[] = "FrameworkForm";
