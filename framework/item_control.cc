#include "framework/item_control.h"

#include <algorithm>
#include <utility>

#include "framework/exceptions.h"
#include "framework/font.h"
#include "framework/texts.h"

TItemControl::TItemControl(TWinControl& parent, const ItemMessages& messages)
    : TWinControl(parent), messages_(messages) {}

int TItemControl::AddItem(const std::string& text, void* object) { return InsertItem(text, object, 0); }

int TItemControl::InsertItem(const std::string& text, void* object, int kind) {
  // Made first: a new window may fill itself, and the tags must follow those items too.
  const HWND window = Handle();
  const LRESULT index = SendMessageA(window, messages_.addString, 0, reinterpret_cast<LPARAM>(text.c_str()));
  // LB_ERR / CB_ERR and LB_ERRSPACE / CB_ERRSPACE.
  if (index < 0) throw EOutOfResources(kCannotInsertLine);
  SendMessageA(window, messages_.setItemData, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(object));
  const auto position = std::min(static_cast<std::size_t>(index), kinds_.size());
  kinds_.insert(kinds_.begin() + static_cast<std::ptrdiff_t>(position), kind);
  return static_cast<int>(index);
}

void TItemControl::Clear() {
  SendMessageA(Handle(), messages_.resetContent, 0, 0);
  kinds_.clear();
}

int TItemControl::ItemCount() { return static_cast<int>(SendMessageA(Handle(), messages_.getCount, 0, 0)); }

std::string TItemControl::ItemText(int index) {
  if (index < 0) throw EStringListError(index);
  const HWND window = Handle();
  const LRESULT length = SendMessageA(window, messages_.getTextLength, static_cast<WPARAM>(index), 0);
  if (length < 0) throw EStringListError(index);
  // The length may over-estimate double-byte text; the copy says how much came.
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied =
      SendMessageA(window, messages_.getText, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  if (copied < 0) throw EStringListError(index);
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

void* TItemControl::ItemObject(int index) {
  if (index < 0 || index >= ItemCount()) throw EStringListError(index);
  return reinterpret_cast<void*>(SendMessageA(Handle(), messages_.getItemData, static_cast<WPARAM>(index), 0));
}

int TItemControl::KindAt(int index) {
  if (index < 0 || index >= ItemCount()) throw EStringListError(index);
  // An item that did not come through InsertItem has no tag of ours: the kind 0.
  const auto position = static_cast<std::size_t>(index);
  return position < kinds_.size() ? kinds_[position] : 0;
}

void TItemControl::SetItemHeight(int itemHeight) {
  if (itemHeight <= 0 || itemHeight == itemHeight_) return;
  itemHeight_ = itemHeight;
  RecreateWindow();
}

void TItemControl::DrawItem(const OwnerDrawItem& item) { DrawItemText(item, ItemText(item.index)); }

void TItemControl::WindowCreated() {
  TWinControl::WindowCreated();
  // A new native window starts empty, whatever happened to the last one.
  kinds_.clear();
  ApplyItemLayout();
  if (savedItems_.empty()) return;
  const auto items = std::exchange(savedItems_, {});
  const RedrawSuspended suspended(Handle());
  for (const Item& item : items) InsertItem(item.text, item.object, item.kind);
}

void TItemControl::WindowDestroying() {
  TWinControl::WindowDestroying();
  savedItems_.clear();
  const int count = ItemCount();
  for (int index = 0; index < count; ++index) {
    savedItems_.push_back({ItemText(index), ItemObject(index), KindAt(index)});
  }
}

void TItemControl::DrawItemRequested(const DRAWITEMSTRUCT& item) {
  PaintOwnerDrawnItem(item, messages_.ownerDrawType, Font().Handle(),
                      [this](const OwnerDrawItem& drawn) { DrawItem(drawn); });
}

void TItemControl::MeasureItemRequested(MEASUREITEMSTRUCT& item) { item.itemHeight = static_cast<UINT>(itemHeight_); }
