#pragma once
// The combo-box base: a native "COMBOBOX" of the drop-down-list kind (no edit field),
// owner-drawn with items of one fixed height, unsorted, whose items are a text and an object
// (a pointer-sized value, never owned or looked at by the box). The same drawing serves the
// drop-down's items and the closed box. The native window is created on first need; a
// change of item height re-creates it, keeping the items but not the selection, and then
// runs WindowCreated.

#include <string>
#include <utility>
#include <vector>

#include "framework/owner_draw.h"
#include "framework/win_control.h"

class TComboBoxBase : public TWinControl {
 public:
  explicit TComboBoxBase(TWinControl& parent);

  // Adds an item at the end and returns its index. Raises EOutOfResources
  // "行を挿入できません" when the native box refuses the item.
  int AddItem(const std::string& text, void* object = nullptr);
  void Clear();
  int ItemCount();
  // Raise EStringListError with the index when it is outside the list.
  std::string ItemText(int index);
  void* ItemObject(int index);

  // The selected item, -1 for none. Writing selects it (-1 clears) and notifies nothing.
  int ItemIndex();
  void SetItemIndex(int index);
  // The text of the closed box: the selected item's text, or empty.
  std::string Text();

  // Height of every item and of the closed box's field in pixels (default 16). 0 or less,
  // or the current value, is ignored; anything else re-creates the native box.
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int itemHeight);

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
  // Draws one item; the base draws its text. See owner_draw.h for what is prepared.
  virtual void DrawItem(const OwnerDrawItem& item);

  void FillCreateParams(CreateParams& params) const override;
  // Puts back the items saved before a re-creation. Overrides call the base first.
  void WindowCreated() override;
  void WindowDestroying() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // A selection by the user runs Click, then Change; the list dropping down runs DropDown.
  void CommandNotified(UINT code) override;
  void DrawItemRequested(const DRAWITEMSTRUCT& item) override;
  void MeasureItemRequested(MEASUREITEMSTRUCT& item) override;

 private:
  int itemHeight_ = 16;
  bool autoDropDown_ = false;
  std::vector<std::pair<std::string, void*>> savedItems_;
};

// Items the drop-down shows before it scrolls.
inline constexpr int kDropDownCount = 8;
