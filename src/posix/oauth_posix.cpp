#include "posix/oauth_posix.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include "core/oauth/redirect_request.h"
#include "core/oauth/sha256.h"

namespace postwink {
namespace {

int64_t NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// The host of an http(s) address, without brackets, port or path.
std::string HostOf(const std::string& url) {
  size_t start = url.find("://");
  if (start == std::string::npos) return {};
  start += 3;
  size_t end = url.find_first_of("/?#", start);
  std::string authority = url.substr(start, end == std::string::npos ? end : end - start);
  if (size_t at = authority.rfind('@'); at != std::string::npos) authority.erase(0, at + 1);
  if (!authority.empty() && authority[0] == '[')
    return authority.substr(1, authority.find(']') - 1);
  return authority.substr(0, authority.find(':'));
}

bool IsLoopbackHost(const std::string& host) {
  return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

struct Body {
  std::string text;
  size_t max = 0;
  bool tooLarge = false;
};

size_t Collect(char* data, size_t size, size_t count, void* user) {
  Body& body = *static_cast<Body*>(user);
  size_t bytes = size * count;
  if (body.text.size() + bytes > body.max) {
    body.tooLarge = true;
    return 0;  // ends the transfer
  }
  body.text.append(data, bytes);
  return bytes;
}

struct CurlHandle {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct CurlList {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

}  // namespace

void CurlHttpsClient::Post(const HttpsPost& request, std::function<void(HttpsAnswer)> done) {
  HttpsAnswer answer;
  const bool https = request.url.rfind("https://", 0) == 0;
  const bool loopbackHttp =
      request.url.rfind("http://", 0) == 0 && IsLoopbackHost(HostOf(request.url));
  if (!https && !loopbackHttp) {
    answer.error = "https:// only: " + request.url;
    done(std::move(answer));
    return;
  }
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  std::unique_ptr<CURL, CurlHandle> curl(initialised ? curl_easy_init() : nullptr);
  if (!curl) {
    answer.error = "libcurl";
    done(std::move(answer));
    return;
  }
  Body body;
  body.max = request.maxResponseBytes;
  char errorText[CURL_ERROR_SIZE] = "";
  std::unique_ptr<curl_slist, CurlList> headers(
      curl_slist_append(nullptr, "Accept: application/json"));
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, https ? "https" : "http");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.formBody.c_str());
  curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE, static_cast<long>(request.formBody.size()));
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeoutMs));
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.timeoutMs));
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
  // The same trust store as the mail connections' OpenSSL.
  if (const char* ca = std::getenv("SSL_CERT_FILE"); ca && *ca) {
    curl_easy_setopt(c, CURLOPT_CAINFO, ca);
  }
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Collect);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(c, CURLOPT_USERAGENT, "Postwink");
  CURLcode result = curl_easy_perform(c);
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  if (body.tooLarge) {
    answer.status = static_cast<int>(status);
    answer.tooLarge = true;
  } else if (result != CURLE_OK) {
    answer.error = errorText[0] ? errorText : curl_easy_strerror(result);
  } else {
    answer.status = static_cast<int>(status);
  }
  answer.body = std::move(body.text);
  done(std::move(answer));
}

FileRefreshTokenStore::FileRefreshTokenStore(std::string folder)
    : folder_(folder.empty() ? DefaultFolder() : std::move(folder)) {}

std::string FileRefreshTokenStore::DefaultFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  std::string base;
  if (state && *state == '/') {
    base = state;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && *home ? home : ".") + "/.local/state";
  }
  return base + "/postwink/oauth";
}

std::string FileRefreshTokenStore::PathFor(const std::string& key) const {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string name;
  for (uint8_t b : Sha256(key)) {
    name.push_back(kHex[b >> 4]);
    name.push_back(kHex[b & 15]);
  }
  return folder_ + "/" + name + ".token";
}

std::optional<std::string> FileRefreshTokenStore::Load(const std::string& key) {
  int fd = open(PathFor(key).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof buffer)) > 0 && text.size() < kMaxTokenResponseBytes) {
    text.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

bool FileRefreshTokenStore::Save(const std::string& key, std::string_view refreshToken) {
  // Every folder on the way is made private to the user; one that exists keeps its mode, but
  // the last is closed to others whatever it was.
  for (size_t slash = folder_.find('/', 1);; slash = folder_.find('/', slash + 1)) {
    std::string part = folder_.substr(0, slash);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  if (chmod(folder_.c_str(), 0700) != 0) return false;
  std::string path = PathFor(key);
  std::string temp = path + ".new";
  unlink(temp.c_str());
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  std::string text(refreshToken);
  text.push_back('\n');
  bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ok = fsync(fd) == 0 && ok;
  ok = close(fd) == 0 && ok;
  if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  return true;
}

bool FileRefreshTokenStore::Erase(const std::string& key) {
  return unlink(PathFor(key).c_str()) == 0;
}

void ShellCommandRunner::Run(const std::string& command, int timeoutMs, size_t maxBytes,
                             std::function<void(CommandOutput)> done) {
  CommandOutput output;
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) {
    output.error = std::strerror(errno);
    done(std::move(output));
    return;
  }
  pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    dup2(pipeFds[1], STDOUT_FILENO);
    int devNull = open("/dev/null", O_RDONLY);
    if (devNull >= 0) dup2(devNull, STDIN_FILENO);
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeFds[1]);
  if (pid < 0) {
    close(pipeFds[0]);
    output.error = std::strerror(errno);
    done(std::move(output));
    return;
  }
  setpgid(pid, pid);
  std::string text;
  bool timedOut = false;
  const int64_t deadline = NowMs() + timeoutMs;
  while (true) {
    int64_t left = deadline - NowMs();
    if (left <= 0) {
      timedOut = true;
      break;
    }
    pollfd p{pipeFds[0], POLLIN, 0};
    int ready = poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    char buffer[4096];
    ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(
                            std::min<size_t>(static_cast<size_t>(n), maxBytes - text.size())));
    // The first line is all that is wanted: the rest is not waited for.
    if (text.find('\n') != std::string::npos || text.size() >= maxBytes) break;
  }
  close(pipeFds[0]);
  const bool lineRead = text.find('\n') != std::string::npos;
  int status = 0;
  // The command gets what is left of its time to exit, so that its exit status counts; one
  // still running then is ended with its children (and its first line, if any, taken).
  pid_t ended = 0;
  while (!timedOut && (ended = waitpid(pid, &status, WNOHANG)) == 0 && NowMs() < deadline) {
    usleep(10000);
  }
  if (ended == 0) {
    kill(-pid, SIGKILL);
    waitpid(pid, &status, 0);
    if (lineRead) {
      status = 0;
      timedOut = false;
    } else {
      timedOut = true;
    }
  }
  // A command that writes on after its first line dies of the pipe closed on it (the shell
  // reports that as 128 + SIGPIPE): that end is ours, not a failure.
  const bool ourPipe = lineRead && ((WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) ||
                                    (WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGPIPE));
  if (ourPipe) status = 0;
  if (timedOut) {
    output.error = "time-out after " + std::to_string(timeoutMs / 1000) + " s";
  } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
    output.error = "exit status " + std::to_string(WEXITSTATUS(status));
  } else if (WIFSIGNALED(status)) {
    output.error = "signal " + std::to_string(WTERMSIG(status));
  } else {
    output.ok = true;
    output.firstLine = text.substr(0, text.find('\n'));
    if (!output.firstLine.empty() && output.firstLine.back() == '\r') output.firstLine.pop_back();
  }
  done(std::move(output));
}

bool CommandBrowser::Open(const std::string& url) {
  if (command_.empty()) return false;
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    // Twice forked, so that nobody waits for the browser and no zombie is left.
    if (fork() != 0) _exit(0);
    std::string script = command_ + " \"$1\"";
    execl("/bin/sh", "sh", "-c", script.c_str(), "sh", url.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return true;
}

PosixLoopbackListener::~PosixLoopbackListener() { Stop(); }

int PosixLoopbackListener::Start(std::function<LoopbackAnswer(std::string_view)> onRequest,
                                 std::function<void()> onTimeout, int timeoutMs) {
  Stop();
  int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 8) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(s);
    return 0;
  }
  socket_ = s;
  timeoutMs_ = timeoutMs;
  onRequest_ = std::move(onRequest);
  onTimeout_ = std::move(onTimeout);
  return ntohs(address.sin_port);
}

void PosixLoopbackListener::Stop() {
  if (socket_ >= 0) close(socket_);
  socket_ = -1;
}

void PosixLoopbackListener::Serve() {
  // A browser's request comes at once; one that trickles is dropped after this long.
  constexpr int kRequestMs = 10000;
  const int64_t deadline = NowMs() + timeoutMs_;
  while (socket_ >= 0) {
    int64_t left = deadline - NowMs();
    pollfd p{socket_, POLLIN, 0};
    int ready = left > 0 ? poll(&p, 1, static_cast<int>(left)) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      Stop();
      if (onTimeout_) onTimeout_();
      return;
    }
    int client = accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    std::string head;
    const int64_t requestEnd = NowMs() + kRequestMs;
    bool complete = false;
    while (head.size() < kMaxRedirectRequestBytes) {
      int64_t wait = std::min(requestEnd, deadline) - NowMs();
      pollfd c{client, POLLIN, 0};
      if (wait <= 0 || poll(&c, 1, static_cast<int>(wait)) <= 0) break;
      char buffer[2048];
      ssize_t n = read(client, buffer, sizeof buffer);
      if (n <= 0) break;
      head.append(buffer, static_cast<size_t>(n));
      if (head.find("\r\n\r\n") != std::string::npos || head.find("\n\n") != std::string::npos) {
        complete = true;
        break;
      }
    }
    if (!complete) {
      close(client);
      continue;
    }
    LoopbackAnswer answer = onRequest_(head);
    const char* data = answer.response.data();
    size_t unsent = answer.response.size();
    while (unsent > 0) {
      ssize_t n = send(client, data, unsent, MSG_NOSIGNAL);
      if (n <= 0) break;
      data += n;
      unsent -= static_cast<size_t>(n);
    }
    close(client);
    if (answer.finished) Stop();
  }
}

bool DevRandom::Fill(std::span<uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = getrandom(bytes.data() + done, bytes.size() - done, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace postwink
