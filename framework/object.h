#pragma once
// The root of the framework's objects: what an event hands its handler as the sender, and
// what the application's exception handling is told the failure came from.

#include <functional>
#include <utility>

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
};

// An event without arguments beyond the object that raised it.
using TNotifyEvent = std::function<void(TObject& sender)>;

// A property write that acts only on a change: stores value in field and runs changed when
// the two differ; an equal value changes nothing.
template <typename Value, typename Changed>
void WriteProperty(Value& field, Value value, Changed&& changed) {
  if (field == value) return;
  field = std::move(value);
  changed();
}
