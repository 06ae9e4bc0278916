#pragma once
// Tells a window when the machine's IP addresses change (an adapter came up or went down, a
// new network was joined). The wait runs on a thread of its own; the window gets a posted
// message and does the rest on its own thread.

#include <thread>

#include "win32/handles.h"
#include "win32/platform/windows_headers.h"

namespace postwink::win {

class NetworkChangeWatcher {
 public:
  NetworkChangeWatcher(HWND target, UINT message);
  ~NetworkChangeWatcher();
  NetworkChangeWatcher(const NetworkChangeWatcher&) = delete;
  NetworkChangeWatcher& operator=(const NetworkChangeWatcher&) = delete;

 private:
  void Run();

  HWND target_;
  UINT message_;
  KernelHandle stop_;
  std::thread thread_;
};

}  // namespace postwink::win
