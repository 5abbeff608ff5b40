#pragma once
// The root of the framework's objects: what an event hands its handler as the sender, and
// what the application's exception handling is told the failure came from.

#include <functional>

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};

// An event without arguments beyond the object that raised it.
using TNotifyEvent = std::function<void(TObject& sender)>;
