#pragma once
// Owners of system handles: each closes what it holds exactly once, on every way out.
// Copying is deleted, moving is allowed.

#include <windows.h>
#include <objbase.h>

#include <utility>

template <typename Handle, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, Handle{});
    }
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle{}; }
  void Reset() {
    if (handle_ != Handle{}) Traits::Close(std::exchange(handle_, Handle{}));
  }

 private:
  Handle handle_{};
};

struct GdiObjectTraits {
  static void Close(HGDIOBJ object) { DeleteObject(object); }
};
using UniqueFont = UniqueHandle<HFONT, GdiObjectTraits>;

struct RegistryKeyTraits {
  static void Close(HKEY key) { RegCloseKey(key); }
};
using RegistryKey = UniqueHandle<HKEY, RegistryKeyTraits>;

// The screen's device context, for measuring text. Get() is null when the system refuses it.
class ScreenDC {
 public:
  ScreenDC() : dc_(GetDC(nullptr)) {}
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  ~ScreenDC() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// Selects an object into a device context and puts the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    // HGDI_ERROR spelled without its macro, whose unsigned constant warns in the 64-bit build.
    const auto failed = reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(-1));
    if (previous_ && previous_ != failed) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// COM for the calling thread, apartment-threaded; released only if it was initialised here
// (a repeated initialisation that succeeds with S_FALSE must be balanced too).
class ComInitialization {
 public:
  ComInitialization() : result_(CoInitialize(nullptr)) {}
  ComInitialization(const ComInitialization&) = delete;
  ComInitialization& operator=(const ComInitialization&) = delete;
  ~ComInitialization() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

// A window class of ours, unregistered when the owner goes.
class WindowClassRegistration {
 public:
  explicit WindowClassRegistration(const WNDCLASSEXA& windowClass)
      : instance_(windowClass.hInstance), atom_(RegisterClassExA(&windowClass)) {}
  WindowClassRegistration(const WindowClassRegistration&) = delete;
  WindowClassRegistration& operator=(const WindowClassRegistration&) = delete;
  ~WindowClassRegistration() {
    if (atom_) UnregisterClassA(MAKEINTATOM(atom_), instance_);
  }
  bool Registered() const { return atom_ != 0; }

 private:
  HINSTANCE instance_;
  ATOM atom_;
};
