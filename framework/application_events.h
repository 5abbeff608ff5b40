#pragma once
// Components that want the application's exceptions, and the dispatcher that hands each
// exception to them. The dispatcher installs itself as the application's OnException; a
// form declares a TApplicationEvents and assigns its OnException.

#include <cstddef>
#include <vector>

#include "framework/application.h"

class TMultiCaster;

class TApplicationEvents : public TObject {
 public:
  // Registers with the application's dispatcher; leaves it when destroyed.
  explicit TApplicationEvents(TApplication& application);
  ~TApplicationEvents() override;

  // Receives every exception that the dispatcher hands on, except EAbort.
  TApplication::ExceptionEvent OnException;
  // Receives the loop's idle work.
  TApplication::IdleEvent OnIdle;

  // Called from one of this component's events: the components after it in the walk do
  // not receive the event.
  void CancelDispatch();

 private:
  friend class TMultiCaster;
  void DoException(TObject* sender, const Exception& error);

  TMultiCaster& dispatcher_;
};

class TMultiCaster {
 public:
  // Installs itself as application's OnException and OnIdle.
  explicit TMultiCaster(TApplication& application);
  TMultiCaster(const TMultiCaster&) = delete;
  TMultiCaster& operator=(const TMultiCaster&) = delete;

  // Adds a component once, in creation order; a component already listed is not added again.
  void Add(TApplicationEvents& events);
  void Remove(TApplicationEvents& events);
  std::size_t Count() const { return events_.size(); }

  // Walks the components from the newest to the first; each whose OnException is assigned
  // marks the exception handled and receives it; one that cancels the dispatch ends the
  // walk. When none was marked and the exception is not an EAbort, the application's
  // default error box shows it. What a component raises is passed on (that component was
  // marked, so no box follows).
  void DoException(TObject* sender, const Exception& error);
  // Walks the components in the same order with the idle work, each with OnIdle assigned
  // receiving it, until one cancels the dispatch.
  void DoIdle(TObject& sender);

  // Ends the walk under way after the current component.
  void CancelDispatch() { cancelled_ = true; }

 private:
  // Calls deliver for each component from the newest to the first until one cancels.
  template <typename Deliver>
  void Walk(Deliver&& deliver);

  TApplication& application_;
  std::vector<TApplicationEvents*> events_;
  bool cancelled_ = false;
};
