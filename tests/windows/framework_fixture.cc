#include "tests/windows/framework_fixture.h"

FrameworkTest::FrameworkTest() {
  application.SetMessageBoxFunction([this](HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    boxes.push_back({owner, text, caption, flags});
    return IDOK;
  });
}

void FrameworkTest::RecordExceptions() {
  auto& recorder = events.emplace_back(std::make_unique<TApplicationEvents>(application));
  recorder->OnException = [this](TObject* sender, const Exception& error) {
    exceptions.push_back({sender, error.ClassName(), error.Message()});
  };
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

COLORREF PixelAt(HWND window, int x, int y) {
  UpdateWindow(window);
  const HDC dc = GetDC(window);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return colour;
}
