#pragma once
// A live application object for one test, whose message boxes are recorded instead of
// shown, and whose exception hook records what reaches it.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/application_events.h"

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

// Expects action to raise an Error whose message is message.
template <typename Error, typename Action>
void ExpectRaises(Action&& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "nothing raised; expected " << message;
  } catch (const Error& error) {
    EXPECT_EQ(error.Message(), message);
  }
}

// Dispatches the messages waiting in this thread's queue, as the loop would.
void PumpMessages();

// The pixel colour at client point (x, y) of window, as drawn on the screen.
COLORREF PixelAt(HWND window, int x, int y);
