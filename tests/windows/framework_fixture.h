#pragma once
// A live application object for one test, whose message boxes are recorded instead of
// shown, and whose exception hook records what reaches it.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/application_events.h"
#include "framework/exceptions.h"

struct RecordedBox {
  HWND owner;
  std::string text;
  std::string caption;
  UINT flags;
};

struct RecordedException {
  TObject* sender;
  std::string className;
  std::string message;
};

class FrameworkTest : public ::testing::Test {
 protected:
  FrameworkTest();

  // Registers an application-events component that records every exception it receives.
  void RecordExceptions();

  TApplication application;
  std::vector<RecordedBox> boxes;
  std::vector<RecordedException> exceptions;
  std::vector<std::unique_ptr<TApplicationEvents>> events;
};

// What action raised as an Error; nothing, and a failure, when it returned.
template <typename Error, typename Action>
std::optional<Error> Raised(Action&& action) {
  try {
    action();
  } catch (const Error& error) {
    return error;
  }
  ADD_FAILURE() << "nothing raised";
  return std::nullopt;
}

// Expects action to raise an Error whose message is message.
template <typename Error, typename Action>
void ExpectRaises(Action&& action, const std::string& message) {
  if (const auto error = Raised<Error>(action)) {
    EXPECT_EQ(error->Message(), message);
  }
}

// Expects action to raise EInOutError with the system's error code.
template <typename Action>
void ExpectSystemError(Action&& action, uint32_t code) {
  if (const auto error = Raised<EInOutError>(action)) {
    EXPECT_EQ(error->ErrorCode(), code);
  }
}

// Dispatches the messages waiting in this thread's queue, as the loop would.
void PumpMessages();

// The pixel colour at client point (x, y) of window, as drawn on the screen.
COLORREF PixelAt(HWND window, int x, int y);
