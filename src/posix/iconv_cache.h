#pragma once
// iconv descriptors kept open per thread: opening one loads and unloads a gconv module each
// time, which costs more than converting a typical mail body.
#include <iconv.h>

#include <map>
#include <string>
#include <utility>

namespace postwink {

// A descriptor for the pair in its initial shift state, or (iconv_t)-1 when iconv lacks it.
inline iconv_t CachedIconv(const char* to, const char* from) {
  struct Cache {
    std::map<std::pair<std::string, std::string>, iconv_t> open;
    ~Cache() {
      for (auto& entry : open) {
        if (entry.second != reinterpret_cast<iconv_t>(-1)) iconv_close(entry.second);
      }
    }
  };
  thread_local Cache cache;
  auto key = std::make_pair(std::string(to), std::string(from));
  auto found = cache.open.find(key);
  if (found == cache.open.end()) found = cache.open.emplace(key, iconv_open(to, from)).first;
  iconv_t cd = found->second;
  if (cd != reinterpret_cast<iconv_t>(-1)) iconv(cd, nullptr, nullptr, nullptr, nullptr);
  return cd;
}

}  // namespace postwink
