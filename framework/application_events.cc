#include "framework/application_events.h"

#include <algorithm>

TApplicationEvents::TApplicationEvents(TApplication& application) : dispatcher_(application.Dispatcher()) {
  dispatcher_.Add(*this);
}

TApplicationEvents::~TApplicationEvents() { dispatcher_.Remove(*this); }

void TApplicationEvents::DoException(TObject* sender, const Exception& error) {
  if (dynamic_cast<const EAbort*>(&error)) return;
  OnException(sender, error);
}

TMultiCaster::TMultiCaster(TApplication& application) : application_(application) {
  application_.OnException = [this](TObject* sender, const Exception& error) { DoException(sender, error); };
}

void TMultiCaster::Add(TApplicationEvents& events) {
  if (std::find(events_.begin(), events_.end(), &events) == events_.end()) events_.push_back(&events);
}

void TMultiCaster::Remove(TApplicationEvents& events) { std::erase(events_, &events); }

void TMultiCaster::DoException(TObject* sender, const Exception& error) {
  bool handled = false;
  // By index, because a handler may destroy components and so shorten the list.
  for (std::size_t i = events_.size(); i-- > 0;) {
    if (i >= events_.size()) continue;
    TApplicationEvents& events = *events_[i];
    if (!events.OnException) continue;
    handled = true;
    events.DoException(sender, error);
  }
  if (!handled && !dynamic_cast<const EAbort*>(&error)) application_.ShowException(error);
}
