#include "framework/label.h"

#include "framework/font.h"

TLabel::TLabel(TWinControl& parent) : TWinControl(&parent) { AdjustSize(); }

void TLabel::SetCaption(std::string caption) {
  WriteText(std::move(caption));
  AdjustSize();
}

void TLabel::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  AdjustSize();
}

int TLabel::TextWidth(std::string_view text) const { return Font().TextWidth(text); }

void TLabel::ScaleBounds(int numerator, int denominator) {
  TWinControl::ScaleBounds(numerator, denominator);
  AdjustSize();
}

void TLabel::FontChanged() {
  TWinControl::FontChanged();
  AdjustSize();
}

void TLabel::AdjustSize() {
  if (autoSize_) SetBounds(Left(), Top(), TextWidth(Caption()), Font().TextHeight());
}

void TLabel::FillCreateParams(CreateParams& params) const {
  params.className = "STATIC";
  params.style |= SS_LEFT | SS_NOPREFIX;
}
