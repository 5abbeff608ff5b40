#pragma once
// The one owner of a system handle, whatever kind it is: a kernel handle, a directory search,
// a GDI object, a device context, a COM interface, a block of the shell's memory. It closes
// what it holds exactly once, on every way out; copying is deleted, moving hands the handle
// over and leaves the source empty.
//
// Closer says how: a call operator that closes one handle, and optionally a static
// Valid(handle) for kinds where another value than the empty one also means none (a failed
// CreateFileA gives INVALID_HANDLE_VALUE). A closer may carry state (the allocator a block
// came from); it moves with the handle.

#include <utility>

namespace platform {

template <typename Handle, typename Closer>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle, Closer closer = Closer{}) : handle_(handle), closer_(std::move(closer)) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, Handle{})), closer_(std::move(other.closer_)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, Handle{});
      closer_ = std::move(other.closer_);
    }
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  Handle Get() const { return handle_; }
  // For an interface or a block: its members.
  Handle operator->() const { return handle_; }
  explicit operator bool() const { return IsHeld(handle_); }

  // Closes what is held, then gives the place where a call that hands out a new handle puts
  // it.
  Handle* Put() {
    Reset();
    return &handle_;
  }
  void Reset() {
    const Handle held = std::exchange(handle_, Handle{});
    if (IsHeld(held)) closer_(held);
  }

 private:
  static bool IsHeld(Handle handle) {
    if (handle == Handle{}) return false;
    if constexpr (requires { Closer::Valid(handle); }) {
      return Closer::Valid(handle);
    } else {
      return true;
    }
  }

  Handle handle_{};
  [[no_unique_address]] Closer closer_{};
};

}  // namespace platform
