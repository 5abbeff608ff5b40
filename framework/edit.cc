#include "framework/edit.h"

#include "platform/secure_wipe.h"

TEdit::TEdit(TWinControl& parent) : TWinControl(parent) {
  SetTabStop(true);
  SetBounds(0, 0, 121, 21);
}

void TEdit::SetMaxLength(int bytes) {
  maxLength_ = bytes < 0 ? 0 : bytes;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETLIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TEdit::SetPasswordChar(char passwordChar) {
  passwordChar_ = passwordChar;
  if (HandleAllocated()) {
    SendMessageA(Handle(), EM_SETPASSWORDCHAR, static_cast<unsigned char>(passwordChar), 0);
    InvalidateRect(Handle(), nullptr, TRUE);
  }
}

void TEdit::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

void TEdit::SelectAll() { SendMessageA(Handle(), EM_SETSEL, 0, -1); }

void TEdit::FillCreateParams(CreateParams& params) const {
  params.className = "EDIT";
  params.exStyle |= WS_EX_CLIENTEDGE;
  params.style |= ES_LEFT | ES_AUTOHSCROLL;
  if (passwordChar_ != 0) params.style |= ES_PASSWORD;
  if (readOnly_) params.style |= ES_READONLY;
}

void TEdit::WindowCreated() {
  TWinControl::WindowCreated();
  SendMessageA(Handle(), EM_SETLIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
  if (passwordChar_ != 0) SendMessageA(Handle(), EM_SETPASSWORDCHAR, static_cast<unsigned char>(passwordChar_), 0);
}

LRESULT TEdit::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CHAR:
    case WM_PASTE: return InputWithinLimit(message, wParam, lParam);
    default: return DefaultHandler(message, wParam, lParam);
  }
}

// The native limit counts bytes on Windows but UTF-16 units under Wine, so the byte count is
// checked after the control took the input, and input that went over it is taken back.
LRESULT TEdit::InputWithinLimit(UINT message, WPARAM wParam, LPARAM lParam) {
  if (maxLength_ == 0) return DefaultHandler(message, wParam, lParam);
  // The copies may hold a password: they are wiped, not just freed.
  std::string before = ReadText();
  DWORD selectionStart = 0;
  DWORD selectionEnd = 0;
  SendMessageA(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart),
               reinterpret_cast<LPARAM>(&selectionEnd));
  const LRESULT result = DefaultHandler(message, wParam, lParam);
  std::string after = ReadText();
  if (after.size() > static_cast<std::size_t>(maxLength_)) {
    SetWindowTextA(Handle(), before.c_str());
    SendMessageA(Handle(), EM_SETSEL, selectionStart, static_cast<LPARAM>(selectionEnd));
    MessageBeep(MB_OK);
  }
  SecureWipe(after);
  SecureWipe(before);
  return result;
}
