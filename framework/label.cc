#include "framework/label.h"

#include "framework/font.h"

TLabel::TLabel(TWinControl& parent) : TWinControl(parent) { AdjustSize(); }

void TLabel::SetCaption(std::string caption) {
  // Sized first: the static control paints a new text at once, at the size it has then,
  // and a later resize repaints only the strip it adds. The other way round, a caption
  // that grows keeps the first paint's wrapped, cut-off text beside the new strip.
  AdjustSizeTo(caption);
  WriteText(std::move(caption));
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

void TLabel::AdjustSize() { AdjustSizeTo(Caption()); }

void TLabel::AdjustSizeTo(std::string_view caption) {
  if (autoSize_) SetBounds(Left(), Top(), TextWidth(caption), Font().TextHeight());
}

void TLabel::FillCreateParams(CreateParams& params) const {
  params.className = "STATIC";
  params.style |= SS_LEFT | SS_NOPREFIX;
}
