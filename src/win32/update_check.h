#pragma once
// The update check: one download of the update file over HTTP on a worker thread, and a notice
// to the main window when the file names a newer version than the program's own.

#include <memory>
#include <mutex>
#include <string>

#include "core/update/update_file.h"
#include "win32/platform/windows_headers.h"

namespace postwink::win {

inline constexpr UINT WM_UPDATE_FOUND = 0x4DF;

struct UpdateRequest {
  std::string url;
  int proxyUse = 0;
  std::string proxyServer;
  int proxyPort = 0;
  std::string folder;  // the temporary folder, ending with a backslash
};

struct DownloadResult {
  int code = 0;  // 0 saved, 1 session, URL or HTTP status, 2 reading, 3 writing the file
  std::string path;
};

DownloadResult DownloadUpdateFile(const UpdateRequest& request);

// Shared between the worker and the main window: the worker stores the path before it posts.
struct UpdateState {
  std::mutex mutex;
  std::string downloadedPath;
};

struct UpdateOutcome {
  int exitCode = 0;
  bool newer = false;
};

// The worker's whole run with the given own version text (ProductVersion).
UpdateOutcome RunUpdateCheck(const UpdateRequest& request, const std::string& ownVersion,
                             UpdateState& state);

// Starts the worker; it posts WM_UPDATE_FOUND to target when a newer version is announced.
void StartUpdateCheck(HWND target, UpdateRequest request, std::shared_ptr<UpdateState> state);

}  // namespace postwink::win
