#pragma once
// The base of every window of ours. A control owns one native window, created on first need
// (so a subclass is fully constructed before its creation hooks run), and receives that
// window's messages through one guarded procedure, whether the window is of our own class
// or a standard control ("BUTTON", "LISTBOX", ...) that we subclass.
//
// Windows of our own classes are ANSI windows. A subclassed standard control is a Unicode
// window: its HandleMessage sees the UTF-16 form of messages (WM_CHAR carries a UTF-16
// unit); callers still talk to it with the ANSI entry points, which the system converts.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/object.h"

class TFont;

class TWinControl : public TObject {
 public:
  ~TWinControl() override;

  // The native window, created (after its parent's) on first use. Raises EOutOfResources
  // when the system refuses it, and whatever the creation hooks raise.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }

  TWinControl* Parent() const { return parent_; }

  // Position relative to the parent's client area (a top-level window: to the screen) and
  // size of the whole window, in pixels.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  virtual void SetBounds(int left, int top, int width, int height);
  // Multiplies position and size by numerator / denominator (MulDiv, each value on its own).
  virtual void ScaleBounds(int numerator, int denominator);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);

  // Controls of one parent take the focus with Tab in ascending TabOrder (ties in creation
  // order); only those with TabStop are visited. The default is the creation order.
  int TabOrder() const { return tabOrder_; }
  void SetTabOrder(int tabOrder);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool tabStop);

  bool Focused() const;
  void SetFocus();

  // The font the control uses: its own when one was set, else ParentFont().
  const TFont& Font() const { return font_ ? *font_ : ParentFont(); }
  // Gives the control a font of its own. The window and the windows of the children that use
  // their parent's font get it, and FontChanged runs for each of them.
  void SetFont(TFont font);

  // From now on each of the two controls hears of the other's destruction (ControlDestroyed),
  // so that a link between them is cleared by the control that goes. Either one going ends
  // the arrangement; asking again changes nothing.
  void WatchDestruction(TWinControl& other);

  // The child-window identifier, unique among the parent's controls.
  UINT ControlId() const { return id_; }

  // What a form's dialog keys (TForm::PreprocessKey) make of a control. The defaults are
  // those of a control that is no button.
  struct DialogKeyRole {
    // A push button: Enter clicks it while it has the focus, and the arrow keys move the
    // focus on from it. A label: it cannot take the focus, and the arrow keys pass it by.
    enum Kind { Other, Label, PushButton } kind = Other;
    // Of a push button: it has the focus, and so carries the default-button frame; Enter
    // clicks it while no button has the focus (Default); Esc clicks it (Cancel).
    bool focused = false;
    bool clickedByEnter = false;
    bool clickedByEscape = false;
  };
  virtual DialogKeyRole KeyRole() const;
  // The click that Enter or Esc stands for; the default does nothing.
  virtual void KeyClick();
  // Draws the default-button frame, or takes it away; the default does nothing.
  virtual void ShowDefaultFrame(bool framed);
  // A button below this control took or lost the focus, or its Default flag changed. The
  // default passes it on to the parent; a form moves the default-button frame.
  virtual void ButtonStateChanged();

  // The procedure of every window class of ours: finds the object attached at WM_NCCREATE
  // (or when a standard control was subclassed) and runs its HandleMessage in the guard.
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // A child control: it registers with parent and leaves it when destroyed.
  explicit TWinControl(TWinControl& parent);
  // A top-level window. ownerFont is the font of what owns it (a form's: its application's
  // default font), which the window uses until it has one of its own; it must outlive the
  // window.
  explicit TWinControl(const TFont& ownerFont);

  // Points link at other, for a link that the other control mirrors by a back link: the
  // control linked before gets its back link cleared (setBackLink with null), other gets it
  // set to self, and each of the two then hears of the other's destruction.
  template <typename Other, typename Self>
  void Relink(Other*& link, Other* other, Self* self, void (Other::*setBackLink)(Self*)) {
    if (link) (link->*setBackLink)(nullptr);
    link = other;
    if (!link) return;
    (link->*setBackLink)(self);
    WatchDestruction(*link);
  }

  struct CreateParams {
    const char* className = nullptr;
    // A class of ours whose procedure is the framework's: the object is attached at
    // WM_NCCREATE. Otherwise the standard control is subclassed right after creation.
    bool ownClass = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    // The owner of a top-level window; filled in with the parent's window for a child.
    HWND parentWindow = nullptr;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
  };
  // Called with the bounds, the parent window and the common styles (WS_CHILD, WS_VISIBLE,
  // WS_TABSTOP) already filled in.
  virtual void FillCreateParams(CreateParams& params) const = 0;

  // The font of a control without one of its own: its parent's; a top-level window's is its
  // owner's. A child whose parent has gone keeps to the owner's font of its top-level window.
  const TFont& ParentFont() const { return parent_ ? parent_->Font() : *ownerFont_; }
  // The font that Font gives has changed; the window already has it. Overrides call the base
  // first.
  virtual void FontChanged();
  // The component-removal notification: control, watched through WatchDestruction, is being
  // destroyed, and only its TWinControl part is left. Overrides clear their links to it and
  // must not raise.
  virtual void ControlDestroyed(const TWinControl& control);

  // Runs right after the native window was created and given its font. Overrides call the
  // base first.
  virtual void WindowCreated();
  // Runs before RecreateWindow destroys the native window, to save what the window holds.
  virtual void WindowDestroying();
  // Destroys the native window and creates it again with the current properties.
  void RecreateWindow();
  void DestroyHandle();

  // One message of the window (see above for its character set). The default hands it to
  // DefaultHandler.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The standard control's own procedure (CallWindowProcW), or DefWindowProcA for a class
  // of ours.
  LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);

  // The window's text (the stored one while there is no window).
  std::string ReadText() const;
  void WriteText(std::string text);

  // What the parent reflects to the control a notification concerns.
  virtual void CommandNotified(UINT code);
  virtual void DrawItemRequested(const DRAWITEMSTRUCT& item);
  virtual void MeasureItemRequested(MEASUREITEMSTRUCT& item);
  virtual void DeleteItemRequested(const DELETEITEMSTRUCT& item);

  // For containers: route a notification to the child it concerns (WM_COMMAND and
  // WM_DRAWITEM by window, WM_MEASUREITEM and WM_DELETEITEM by identifier), guarded with
  // that child as sender. False when no child of ours is concerned.
  bool ReflectCommand(WPARAM wParam, LPARAM lParam);
  bool ReflectDrawItem(const DRAWITEMSTRUCT& item);
  bool ReflectMeasureItem(MEASUREITEMSTRUCT& item);
  bool ReflectDeleteItem(const DELETEITEMSTRUCT& item);

  const std::vector<TWinControl*>& Children() const { return children_; }
  // Puts the child windows in TabOrder in the z-order that dialog navigation follows.
  void ArrangeTabOrder();

 private:
  void CreateHandle();
  void Detach();
  void ApplyFontChange();
  TWinControl* FindChild(HWND window) const;
  TWinControl* FindChildById(UINT id) const;

  TWinControl* parent_;
  const TFont* ownerFont_;
  std::vector<TWinControl*> children_;
  std::vector<TWinControl*> destructionWatchers_;
  std::unique_ptr<const TFont> font_;
  UINT nextChildId_ = 100;
  UINT id_ = 0;
  HWND handle_ = nullptr;
  WNDPROC originalProcedure_ = nullptr;
  std::string text_;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool visible_ = true;
  bool tabStop_ = false;
  int tabOrder_ = 0;
};

// Suspends a window's redrawing (WM_SETREDRAW) for a refill and resumes it, with a repaint,
// on every way out.
class RedrawSuspended {
 public:
  explicit RedrawSuspended(HWND window);
  RedrawSuspended(const RedrawSuspended&) = delete;
  RedrawSuspended& operator=(const RedrawSuspended&) = delete;
  ~RedrawSuspended();

 private:
  HWND window_;
};
