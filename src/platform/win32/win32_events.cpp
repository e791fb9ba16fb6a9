#include <algorithm>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_platform.h"

namespace morvane {

namespace {

int64_t NowMs() { return static_cast<int64_t>(::GetTickCount64()); }

}  // namespace

bool Win32EventPump::DispatchPending() {
  if (quit_code_) return false;
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit_code_ = static_cast<int>(message.wParam);
      return false;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return true;
}

void Win32EventPump::FireTimers() {
  if (TimerSource* timers = ActiveTimers()) {
    const int64_t due = timers->NextTimerDue();
    if (due >= 0 && due <= NowMs()) timers->FireDueTimers(NowMs());
  }
}

void Win32EventPump::ProcessEvents() {
  if (DispatchPending()) FireTimers();
  if (quit_code_) {
    ::PostQuitMessage(*quit_code_);
    quit_code_.reset();
  }
}

void Win32EventPump::DelayWithEvents(int ms) {
  const int64_t deadline = NowMs() + std::max(ms, 0);
  while (true) {
    if (DispatchPending()) FireTimers();
    const int64_t now = NowMs();
    if (now >= deadline) break;
    int64_t wait = deadline - now;
    if (TimerSource* timers = ActiveTimers(); timers != nullptr && !quit_code_) {
      const int64_t due = timers->NextTimerDue();
      if (due >= 0) wait = std::clamp<int64_t>(due - now, 0, wait);
    }
    if (quit_code_) {
      // The thread's loop is ending: no more messages, only the rest of the delay.
      ::Sleep(static_cast<DWORD>(wait));
    } else {
      ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(wait), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
  }
  if (quit_code_) {
    ::PostQuitMessage(*quit_code_);
    quit_code_.reset();
  }
}

void Win32EventPump::Sleep(int ms) { ::Sleep(static_cast<DWORD>(std::max(ms, 0))); }

}  // namespace morvane
