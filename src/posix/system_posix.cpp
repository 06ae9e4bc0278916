// POSIX implementations of the core's system interfaces.
#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

#include "core/platform/system.h"
#include "posix/iconv_cache.h"

namespace postwink {
namespace {

class PosixClock final : public Clock {
 public:
  LocalTime Now() const override {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    localtime_r(&ts.tv_sec, &local);
    LocalTime t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.dayOfWeek = local.tm_wday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec;
    t.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
    return t;
  }
  int64_t UnixSeconds() const override { return static_cast<int64_t>(time(nullptr)); }
  int64_t MonotonicMs() const override {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
  }
  std::string LocaleDateTimeText() const override {
    time_t now = time(nullptr);
    tm local{};
    if (!localtime_r(&now, &local)) return {};
    char buf[64];
    size_t n = strftime(buf, sizeof buf, "%Y/%m/%d %H:%M:%S", &local);
    return std::string(buf, n);
  }
};

// write() until everything is written; a short write is not an error, an interrupted one is
// retried.
bool WriteAllTo(int fd, std::string_view data) {
  const char* p = data.data();
  size_t left = data.size();
  while (left > 0) {
    ssize_t w = write(fd, p, left);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += w;
    left -= static_cast<size_t>(w);
  }
  return true;
}

class PosixFileSystem final : public FileSystem {
 public:
  std::optional<std::string> ReadAll(const std::string& path) const override {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return std::nullopt;
    std::string data;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
    bool ok = !ferror(f);
    fclose(f);
    if (!ok) return std::nullopt;
    return data;
  }

  bool WriteAtomic(const std::string& path, std::string_view data) override {
    std::string temp = path + ".tmp" + std::to_string(getpid());
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    // The replacement keeps the permissions of the file it replaces.
    struct stat old {};
    if (stat(path.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);
    bool ok = WriteAllTo(fd, data);
    if (ok && fsync(fd) != 0) ok = false;
    if (close(fd) != 0) ok = false;
    if (ok && rename(temp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) unlink(temp.c_str());
    return ok;
  }

  bool Append(const std::string& path, std::string_view data) override {
    FILE* f = fopen(path.c_str(), "ab");
    if (!f) return false;
    bool ok = fwrite(data.data(), 1, data.size(), f) == data.size();
    if (fclose(f) != 0) ok = false;
    return ok;
  }

  bool Exists(const std::string& path) const override {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
  }
  bool IsDirectory(const std::string& path) const override {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }
  bool RemoveFile(const std::string& path) override { return unlink(path.c_str()) == 0; }
  bool CreateDirectory(const std::string& path) override {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    if (mkdir(p.c_str(), 0700) == 0) return true;
    return errno == EEXIST && IsDirectory(p);
  }
  bool RemoveTree(const std::string& path) override {
    std::string dir = path;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    bool all = true;
    for (const std::string& name : ListDirectory(dir)) {
      std::string child = dir + "/" + name;
      struct stat st {};
      if (lstat(child.c_str(), &st) != 0) {
        all = false;
      } else if (S_ISDIR(st.st_mode)) {
        all = RemoveTree(child) && all;
      } else if (unlink(child.c_str()) != 0) {
        all = false;
      }
    }
    return rmdir(dir.c_str()) == 0 && all;
  }
  std::vector<std::string> ListDirectory(const std::string& path) const override {
    std::vector<std::string> names;
    DIR* d = opendir(path.c_str());
    if (!d) return names;
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(std::move(name));
    }
    closedir(d);
    return names;
  }
  char Separator() const override { return '/'; }

  std::optional<std::string> CreateUniqueFile(const std::string& folder,
                                              std::string_view prefix) override {
    std::string head = folder + std::string(prefix.substr(0, 3));
    // Start from a value that differs between processes, as GetTempFileName does with the
    // system time, and take the first name that an exclusive create gets.
    // Later calls go on after the last name taken.
    if (nextUnique_ == 0) nextUnique_ = static_cast<unsigned>(getpid() ^ time(nullptr));
    for (unsigned i = 0; i < 0x10000; ++i) {
      unsigned number = nextUnique_++ & 0xFFFF;
      if (number == 0) continue;
      char digits[8];
      snprintf(digits, sizeof digits, "%X", number);
      std::string path = head + digits + ".tmp";
      int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
      if (fd >= 0) {
        close(fd);
        return path;
      }
      if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
  }

  bool WriteWhole(const std::string& path, std::string_view data) override {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return false;
    bool ok = WriteAllTo(fd, data);
    return close(fd) == 0 && ok;
  }

 private:
  unsigned nextUnique_ = 0;
};

// iconv in both directions; a character that the target lacks becomes "?".
std::string IconvConvert(const char* to, const char* from, std::string_view in, size_t unit,
                         std::string_view replacement) {
  iconv_t cd = CachedIconv(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out;
  out.resize(in.size() * 2 + 16);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  size_t used = 0;
  while (srcLeft > 0) {
    char* dst = out.data() + used;
    size_t dstLeft = out.size() - used;
    size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    used = out.size() - dstLeft;
    if (r != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
    } else {
      // EILSEQ or EINVAL: replace one input unit and go on.
      if (out.size() - used < replacement.size() + 8) out.resize(out.size() * 2);
      out.replace(used, replacement.size(), replacement);
      used += replacement.size();
      size_t skip = srcLeft < unit ? srcLeft : unit;
      // A character outside the BMP is one surrogate pair: one "?" for it, not two.
      if (unit == 2 && srcLeft >= 4) {
        unsigned hi = static_cast<unsigned char>(src[0]) | static_cast<unsigned char>(src[1]) << 8;
        unsigned lo = static_cast<unsigned char>(src[2]) | static_cast<unsigned char>(src[3]) << 8;
        if (hi >= 0xD800 && hi <= 0xDBFF && lo >= 0xDC00 && lo <= 0xDFFF) skip = 4;
      }
      src += skip;
      srcLeft -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  out.resize(used);
  return out;
}

class PosixCodePage final : public CodePage {
 public:
  std::u16string Widen(std::string_view cp932) const override {
    static const char16_t kQuestion[] = u"?";
    std::string bytes = IconvConvert("UTF-16LE", "CP932", cp932, 1,
                                     std::string_view(reinterpret_cast<const char*>(kQuestion), 2));
    std::u16string out(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i) {
      out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return out;
  }
  std::string Narrow(std::u16string_view text) const override {
    std::string le(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
      le[2 * i] = static_cast<char>(text[i] & 0xFF);
      le[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return IconvConvert("CP932", "UTF-16LE", le, 2, "?");
  }
};

}  // namespace

std::optional<std::string> PrivateTempFolder() {
  const char* tmp = getenv("TMPDIR");
  std::string folder = tmp && *tmp ? tmp : "/tmp";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  folder += "/Postwink-" + std::to_string(geteuid());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
  // What is checked is what was opened, without following a link to somewhere else.
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  bool ok = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
  if (ok && (st.st_mode & 077) != 0) ok = fchmod(fd, 0700) == 0;
  close(fd);
  if (!ok) return std::nullopt;
  return folder + "/";
}

System& PlatformSystem() {
  static PosixClock clock;
  static PosixFileSystem files;
  static PosixCodePage codePage;
  static CRandom random;
  static System system{clock, files, codePage, random};
  return system;
}

}  // namespace postwink
