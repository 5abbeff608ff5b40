#include "framework/application_events.h"

#include <algorithm>

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
  cancelled_ = false;
  // By index, because a handler may destroy components and so shorten the list.
  for (std::size_t i = events_.size(); i-- > 0 && !cancelled_;) {
    if (i >= events_.size()) continue;
    deliver(*events_[i]);
  }
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
