// Owners of Win32 handles: each closes its handle exactly once, and none can be copied.
#pragma once

#include "platform/win32/win32_api.h"

namespace morvane {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Handle get() const { return handle_; }
  bool valid() const { return Traits::Valid(handle_); }
  explicit operator bool() const { return valid(); }

  // Closes the handle held so far and gives the slot for a function's out-parameter.
  Handle* Receive() {
    Reset();
    return &handle_;
  }
  Handle Release() {
    const Handle handle = handle_;
    handle_ = Traits::kNone;
    return handle;
  }
  void Reset(Handle handle = Traits::kNone) {
    if (Traits::Valid(handle_)) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::kNone;
};

// Kernel objects (processes, threads, pipes, files, snapshots), closed with CloseHandle. Win32
// functions report failure with NULL or with INVALID_HANDLE_VALUE depending on the function, so
// neither counts as a handle.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static inline const HANDLE kNone = nullptr;
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};

// File searches of FindFirstFileA, closed with FindClose.
struct FindHandleTraits {
  using Handle = HANDLE;
  static inline const HANDLE kNone = INVALID_HANDLE_VALUE;
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::FindClose(h); }
};

using ScopedHandle = UniqueHandle<KernelHandleTraits>;
using ScopedFindHandle = UniqueHandle<FindHandleTraits>;

}  // namespace morvane
