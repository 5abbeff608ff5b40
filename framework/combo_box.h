#pragma once
// The combo-box base: a native "COMBOBOX" of the drop-down-list kind (no edit field),
// unsorted, with the items of TItemControl; the item height is also the closed box's field's.
// The same drawing serves the drop-down's items and the closed box. The native window is
// created on first need; a change of item height re-creates it, keeping the items but not
// the selection, and then runs WindowCreated.

#include <string>

#include "framework/item_control.h"

class TComboBoxBase : public TItemControl {
 public:
  explicit TComboBoxBase(TWinControl& parent);

  // The selected item, -1 for none. Writing selects it (-1 clears) and notifies nothing.
  int ItemIndex();
  void SetItemIndex(int index);
  // The text of the closed box: the selected item's text, or empty.
  std::string Text();

  bool DroppedDown();
  void SetDroppedDown(bool droppedDown);

  // A character typed into the closed box drops its list down first (default false).
  bool AutoDropDown() const { return autoDropDown_; }
  void SetAutoDropDown(bool autoDropDown) { autoDropDown_ = autoDropDown; }

  TNotifyEvent OnClick;
  TNotifyEvent OnChange;
  // The list is about to drop down, by the user or by SetDroppedDown.
  TNotifyEvent OnDropDown;

 protected:
  // Fires OnClick.
  virtual void Click();
  // Fires OnChange.
  virtual void Change();
  // Fires OnDropDown.
  virtual void DropDown();

  void FillCreateParams(CreateParams& params) const override;
  void ApplyItemLayout() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // A selection by the user runs Click, then Change; the list dropping down runs DropDown.
  void CommandNotified(UINT code) override;

 private:
  bool autoDropDown_ = false;
};

// Items the drop-down shows before it scrolls.
inline constexpr int kDropDownCount = 8;
