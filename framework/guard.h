#pragma once
// The one guard that every window procedure and every callback the system calls runs its
// work in. With MinGW's i686 exception model an exception cannot unwind through system
// frames (DispatchMessage, SendMessage, an enumeration or the folder-browse dialog): the
// process would end. So nothing may leave a callback; what escapes is handed to the
// application object instead, and the callback returns a fallback value as if handled.

#include <utility>

class TObject;

// Hands the exception being handled to the application's exception handling with sender as
// the object whose work failed. Call only inside a catch block. Never raises: an exception
// raised by the handling itself is dropped, since nothing above could take it, and so is
// everything while no application object exists.
void HandleEscapedException(TObject* sender) noexcept;

// Runs body and returns its result; if anything escapes it, hands that to the application
// (see HandleEscapedException) and returns fallback.
template <typename Result, typename Body>
Result Guarded(TObject* sender, Result fallback, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    HandleEscapedException(sender);
    return fallback;
  }
}
