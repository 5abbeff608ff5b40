#pragma once
// Owners of the system handles that the windows code holds, each a UniqueHandle (see
// platform/unique_handle.h) with its own way of closing.

#include <windows.h>
#include <objbase.h>

#include <cstdint>

#include "platform/unique_handle.h"

using platform::UniqueHandle;

struct GdiObjectCloser {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using UniqueFont = UniqueHandle<HFONT, GdiObjectCloser>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiObjectCloser>;

struct RegistryKeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using RegistryKey = UniqueHandle<HKEY, RegistryKeyCloser>;

// A device context made by CreateCompatibleDC.
struct MemoryDCCloser {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
using MemoryDC = UniqueHandle<HDC, MemoryDCCloser>;

// The screen's device context (GetDC of no window), for measuring text. Get() is null when
// the system refuses it.
struct ScreenDCCloser {
  void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
class ScreenDC : public UniqueHandle<HDC, ScreenDCCloser> {
 public:
  ScreenDC() : UniqueHandle(GetDC(nullptr)) {}
};

// A COM interface pointer, released once.
struct ComReleaser {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using ComPtr = UniqueHandle<Interface*, ComReleaser>;

// Memory of the COM task allocator (CoTaskMemAlloc, or a shell call documented to use it).
struct TaskMemoryFreer {
  void operator()(void* block) const { CoTaskMemFree(block); }
};
template <typename Block>
using TaskMemory = UniqueHandle<Block*, TaskMemoryFreer>;

// Memory of a given allocator (the shell's IMalloc), freed through it; the allocator must
// outlive the block.
class AllocatorFreer {
 public:
  AllocatorFreer() = default;
  explicit AllocatorFreer(IMalloc& allocator) : allocator_(&allocator) {}
  void operator()(void* block) const { allocator_->Free(block); }

 private:
  IMalloc* allocator_ = nullptr;
};
template <typename Block>
using AllocatedBlock = UniqueHandle<Block*, AllocatorFreer>;

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

// Balances one initialisation of COM for the calling thread: result is what CoInitialize or
// CoInitializeEx has just answered, and CoUninitialize runs at the end only if it succeeded
// (S_FALSE, already initialised the same way, must be balanced too).
class ComInitialization {
 public:
  explicit ComInitialization(HRESULT result) : result_(result) {}
  ComInitialization(const ComInitialization&) = delete;
  ComInitialization& operator=(const ComInitialization&) = delete;
  ~ComInitialization() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

// A window class of ours, unregistered when the owner goes. Registered() is false when the
// system refused the class.
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
