#pragma once
// The list-box base: a native "LISTBOX" with the items of TItemControl. The native window is
// created on first need; changing a property that only a new window can take (selection
// kind, sorting, integral height, item height) re-creates it, keeping the items but not the
// selection, and then runs WindowCreated, where a subclass can refill the list.

#include <cstdint>
#include <string>

#include "framework/item_control.h"
#include "framework/type_ahead.h"

class TListBoxBase : public TItemControl {
 public:
  explicit TListBoxBase(TWinControl& parent);

  // Raise EListError with the index when it is outside the list.
  bool ItemSelected(int index);
  void SetItemSelected(int index, bool selected);
  // Selects every item, each on its own; does nothing without MultiSelect.
  void SelectAll();

  // Without MultiSelect the selected item (-1 for none); with MultiSelect the item with the
  // focus rectangle, or -1 when that index is not below ItemCount (an empty list gives -1).
  // Writing selects the item (single selection) or moves the focus rectangle (multiple).
  int CurrentIndex();
  void SetCurrentIndex(int index);

  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool multiSelect);
  // With MultiSelect: click selects one item, Shift+click a range, Ctrl+click toggles
  // (true, the default); or every click toggles (false).
  bool ExtendedSelect() const { return extendedSelect_; }
  void SetExtendedSelect(bool extendedSelect);
  // Items kept in the native list's order, alphabetical without regard to case (default false).
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  // The native list's height in whole items (default false).
  bool IntegralHeight() const { return integralHeight_; }
  void SetIntegralHeight(bool integralHeight);
  // Items in this many columns of equal width across the list, scrolled sideways; 0 (the
  // default, and what a negative value gives) keeps one column of the list's width. Going
  // between 0 and more columns re-creates the native list.
  int Columns() const { return columns_; }
  void SetColumns(int columns);

  void SetBounds(int left, int top, int width, int height) override;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;

 protected:
  // The user changed the selection (or type-ahead chose an item): fires OnClick.
  virtual void Click();
  // Fires OnDblClick.
  virtual void DblClick();
  // A typed character, one byte of the ANSI code page (a double-byte character comes as
  // two calls, lead byte first). The base runs the type-ahead search and sets key to 0 when
  // it consumed the key (every key but Backspace, Enter and Escape); a key left non-zero
  // goes on to the native list. Overrides call the base first.
  virtual void KeyPress(char& key);
  // The time of a typed key in milliseconds (GetTickCount).
  virtual std::uint32_t KeyTime() const;

  void FillCreateParams(CreateParams& params) const override;
  void ApplyItemLayout() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void CommandNotified(UINT code) override;

 private:
  LRESULT OnChar(WPARAM wParam, LPARAM lParam);
  void ShowTypedItem();
  void CheckIndex(int index);
  void FitColumnWidth();

  bool multiSelect_ = false;
  bool extendedSelect_ = true;
  bool sorted_ = false;
  bool integralHeight_ = false;
  int columns_ = 0;
  TypeAheadText typeAhead_;
};
