#include <exception>

#include "framework/application.h"

int RunApplication(TApplication& application, const std::function<void(TApplication&)>& createForms) {
  try {
    application.Initialize();
    createForms(application);
    application.Run();
  } catch (...) {
    application.ShowStartupError(std::current_exception());
  }
  return 0;
}
