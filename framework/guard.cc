#include "framework/guard.h"

#include <exception>

#include "framework/application.h"

void HandleEscapedException(TObject* sender) noexcept {
  try {
    if (Application) Application->HandleException(sender, std::current_exception());
  } catch (...) {
    // Dropped: see guard.h.
  }
}
