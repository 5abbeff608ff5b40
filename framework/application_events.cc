#include "framework/application_events.h"

#include <algorithm>
#include <utility>

TApplicationEvents::TApplicationEvents(TApplication& application) : dispatcher_(application.Dispatcher()) {
  dispatcher_.Add(*this);
}

TApplicationEvents::~TApplicationEvents() { dispatcher_.Remove(*this); }

void TApplicationEvents::CancelDispatch() { dispatcher_.CancelDispatch(); }

void TApplicationEvents::DoException(TObject* sender, const Exception& error) {
  if (dynamic_cast<const EAbort*>(&error)) return;
  OnException(sender, error);
}

TMultiCaster::TMultiCaster(TApplication& application) : application_(application) {
  application_.OnException = [this](TObject* sender, const Exception& error) { DoException(sender, error); };
  application_.OnIdle = [this](TObject& sender) { DoIdle(sender); };
}

void TMultiCaster::Add(TApplicationEvents& events) {
  if (std::find(events_.begin(), events_.end(), &events) == events_.end()) events_.push_back(&events);
}

void TMultiCaster::Remove(TApplicationEvents& events) { std::erase(events_, &events); }

template <typename Deliver>
void TMultiCaster::Walk(Deliver&& deliver) {
  // A handler may start a walk of its own (an exception inside its message box): a cancel
  // belongs to the walk it was asked in, so the outer walk's flag waits aside meanwhile.
  const bool outerCancelled = std::exchange(cancelled_, false);
  // Over a copy, each still asked whether it is there, because a handler may destroy
  // components, older or newer, and a shifting list would give one component the event twice.
  const std::vector<TApplicationEvents*> walked = events_;
  for (auto it = walked.rbegin(); it != walked.rend() && !cancelled_; ++it) {
    if (std::find(events_.begin(), events_.end(), *it) == events_.end()) continue;
    deliver(**it);
  }
  cancelled_ = outerCancelled;
}

void TMultiCaster::DoException(TObject* sender, const Exception& error) {
  bool handled = false;
  Walk([&](TApplicationEvents& events) {
    if (!events.OnException) return;
    handled = true;
    events.DoException(sender, error);
  });
  if (!handled && !dynamic_cast<const EAbort*>(&error)) application_.ShowException(error);
}

void TMultiCaster::DoIdle(TObject& sender) {
  Walk([&](TApplicationEvents& events) {
    if (events.OnIdle) events.OnIdle(sender);
  });
}
