#pragma once
// Where the user's tray icons are looked for, and how numbered animation frames are collected.

#include <functional>
#include <string>
#include <vector>

namespace postwink {

// The icon folder with its trailing separator: USERICON when it is set (a separator is added
// unless it already ends with "\" or "/"), otherwise the folder "ico" beside the program.
// programDirectory ends with a backslash.
std::string IconFolder(const std::string& userIcon, const std::string& programDirectory);

// Loads prefix1.ico, prefix2.ico, ... from the folder until the first number that gives no icon;
// the frames found so far are the animation (new1, new2 and new4 make two frames).
template <typename Icon>
std::vector<Icon> LoadNumberedFrames(const std::string& folder, const std::string& prefix,
                                     const std::function<Icon(const std::string&)>& load) {
  std::vector<Icon> frames;
  for (int n = 1;; ++n) {
    Icon icon = load(folder + prefix + std::to_string(n) + ".ico");
    if (!icon) break;
    frames.push_back(std::move(icon));
  }
  return frames;
}

}  // namespace postwink
