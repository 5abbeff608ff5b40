#pragma once
// What the list-box and combo-box bases share: a native control whose items are a text and an
// object (a pointer-sized value, never owned or looked at by the control), owner-drawn at one
// fixed height. The items survive a re-creation of the native window; the parent's
// WM_MEASUREITEM and WM_DRAWITEM are answered here.
//
// Beside its object each item carries a kind tag, for a subclass that needs to know what an
// item stands for without comparing objects: an enumeration of the subclass's own, stored
// with the item in the native list's order. Items added without one have the kind whose
// value is 0.

#include <string>
#include <vector>

#include "framework/owner_draw.h"
#include "framework/win_control.h"

// The native control's messages for the item operations that "LISTBOX" and "COMBOBOX" share
// under different names, and the owner-draw control type.
struct ItemMessages {
  UINT addString;
  UINT resetContent;
  UINT getCount;
  UINT getTextLength;
  UINT getText;
  UINT getItemData;
  UINT setItemData;
  UINT ownerDrawType;
};

inline constexpr ItemMessages kListBoxMessages{LB_ADDSTRING,  LB_RESETCONTENT, LB_GETCOUNT,    LB_GETTEXTLEN,
                                               LB_GETTEXT,    LB_GETITEMDATA,  LB_SETITEMDATA, ODT_LISTBOX};
inline constexpr ItemMessages kComboBoxMessages{CB_ADDSTRING, CB_RESETCONTENT, CB_GETCOUNT,    CB_GETLBTEXTLEN,
                                                CB_GETLBTEXT, CB_GETITEMDATA,  CB_SETITEMDATA, ODT_COMBOBOX};

class TItemControl : public TWinControl {
 public:
  // Adds an item and returns its index: its sorted position in a sorted list, else the end.
  // The text is taken up to its first NUL; duplicates are allowed. Raises EOutOfResources
  // "行を挿入できません" when the native control refuses the item.
  int AddItem(const std::string& text, void* object = nullptr);
  void Clear();
  int ItemCount();
  // Raise EStringListError with the index when it is outside the list.
  std::string ItemText(int index);
  void* ItemObject(int index);

  // Height of every item in pixels (default 16). 0 or less, or the current value, is
  // ignored; anything else re-creates the native control.
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int itemHeight);

 protected:
  TItemControl(TWinControl& parent, const ItemMessages& messages);

  // AddItem with a kind tag, read back by ItemKind.
  template <typename Kind>
  int AddItem(const std::string& text, void* object, Kind kind) {
    return InsertItem(text, object, static_cast<int>(kind));
  }
  // Raises EStringListError with the index when it is outside the list.
  template <typename Kind>
  Kind ItemKind(int index) {
    return static_cast<Kind>(KindAt(index));
  }

  // Draws one item; the base draws its text. See owner_draw.h for what is prepared.
  virtual void DrawItem(const OwnerDrawItem& item);
  // Gives a new native window the item height (and whatever else of the layout it needs)
  // before the saved items go back in.
  virtual void ApplyItemLayout() = 0;

  // Applies the layout and puts back the items saved before a re-creation. Overrides call
  // the base first.
  void WindowCreated() override;
  void WindowDestroying() override;
  void DrawItemRequested(const DRAWITEMSTRUCT& item) override;
  void MeasureItemRequested(MEASUREITEMSTRUCT& item) override;

 private:
  struct Item {
    std::string text;
    void* object;
    int kind;
  };

  int InsertItem(const std::string& text, void* object, int kind);
  int KindAt(int index);

  const ItemMessages& messages_;
  int itemHeight_ = 16;
  // The kind tags, in the native list's order.
  std::vector<int> kinds_;
  std::vector<Item> savedItems_;
};
