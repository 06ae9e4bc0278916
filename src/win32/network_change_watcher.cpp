#include "win32/network_change_watcher.h"

// after windows_headers.h
#include <iphlpapi.h>

namespace postwink::win {

NetworkChangeWatcher::NetworkChangeWatcher(HWND target, UINT message)
    : target_(target), message_(message), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (stop_) thread_ = std::thread([this] { Run(); });
}

NetworkChangeWatcher::~NetworkChangeWatcher() {
  if (!thread_.joinable()) return;
  SetEvent(stop_.get());
  thread_.join();
}

void NetworkChangeWatcher::Run() {
  KernelHandle changed(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (!changed) return;
  for (;;) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = changed.get();
    HANDLE unused = nullptr;
    // A system without the notification leaves the program to its interval timer.
    if (NotifyAddrChange(&unused, &overlapped) != ERROR_IO_PENDING) return;
    HANDLE events[2] = {stop_.get(), changed.get()};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
      // The request must be over before its OVERLAPPED goes out of scope.
      if (CancelIPChangeNotify(&overlapped)) WaitForSingleObject(changed.get(), 1000);
      return;
    }
    PostMessageW(target_, message_, 0, 0);
  }
}

}  // namespace postwink::win
