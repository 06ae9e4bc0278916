#pragma once
// OpenSSL's s_server on loopback, started from a test under Wine (which runs a Unix program that
// CreateProcess is given, though with no process handle to wait on and no handles passed: files
// carry its input and output, and timeout(1) bounds its life), with a fresh self-signed
// certificate for "localhost". What the test types goes to its standard input, for the client or
// as a command ("R" asks for a renegotiation); what it prints is kept in a log that Output reads.
// It serves one connection.
#include <windows.h>
#include <winsock2.h>

#include <string>

namespace postwink::test {

class OpensslServer {
 public:
  static bool Available() {
    return GetFileAttributesW(L"Z:\\usr\\bin\\openssl") != INVALID_FILE_ATTRIBUTES &&
           GetFileAttributesW(L"Z:\\usr\\bin\\timeout") != INVALID_FILE_ATTRIBUTES;
  }

  // options: s_server's, after the certificate (for example "-tls1_2 -verify 1").
  explicit OpensslServer(const std::string& options) {
    static int serial = 0;
    dir_ = "/tmp/postwink-s_server-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++serial);
    CreateDirectoryW(Windows(dir_).c_str(), nullptr);
    if (!Run("/bin/sh -c \"exec /usr/bin/openssl req -x509 -newkey ec -pkeyopt "
             "ec_paramgen_curve:P-256 -nodes -days 2 -subj /CN=localhost -addext "
             "subjectAltName=DNS:localhost -keyout " +
             dir_ + "/key.pem -out " + dir_ + "/cert.pem 2>/dev/null\"")) {
      return;
    }
    for (int i = 0; i < 200 && Read("/cert.pem").find("END CERTIFICATE") == std::string::npos;
         ++i) {
      Sleep(50);
    }
    // Standard input follows a file that Type appends to, so that it never ends.
    CloseHandle(CreateFileW(Windows(dir_ + "/input").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr));
    bool started = Run("/bin/sh -c \"tail -f " + dir_ + "/input | exec /usr/bin/openssl s_server " +
                       "-accept 127.0.0.1:0 -naccept 1 -cert " + dir_ + "/cert.pem -key " + dir_ +
                       "/key.pem " + options + " >" + dir_ + "/server.log 2>&1\"");
    // s_server names the port it took once it listens.
    for (int i = 0; i < 200 && port_ == 0 && started; ++i) {
      std::string out = Output();
      size_t at = out.find("ACCEPT 127.0.0.1:");
      if (at != std::string::npos) port_ = atoi(out.c_str() + at + 17);
      if (port_ == 0) Sleep(50);
    }
  }

  ~OpensslServer() {
    // A server still waiting for its one connection takes one and ends (a refused connect when
    // it has had it).
    if (port_ != 0) {
      SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      a.sin_port = htons(static_cast<u_short>(port_));
      connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
      closesocket(s);
    }
    for (const char* name : {"/key.pem", "/cert.pem", "/input", "/server.log"}) {
      DeleteFileW(Windows(dir_ + name).c_str());
    }
    RemoveDirectoryW(Windows(dir_).c_str());
  }
  OpensslServer(const OpensslServer&) = delete;
  OpensslServer& operator=(const OpensslServer&) = delete;

  int Port() const { return port_; }

  // Writes to the server's standard input: a line to the client, or one of its commands.
  void Type(const std::string& text) {
    HANDLE f = CreateFileW(Windows(dir_ + "/input").c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
  }

  std::string Output() const { return Read("/server.log"); }

 private:
  std::string Read(const std::string& name) const {
    std::string out;
    HANDLE f = CreateFileW(Windows(dir_ + name).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return out;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    CloseHandle(f);
    return out;
  }

  static std::wstring Windows(const std::string& unixPath) {
    std::wstring path = L"Z:";
    for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
  }

  // Starts a Unix command, for a minute at most.
  static bool Run(const std::string& command) {
    std::wstring line = L"Z:\\usr\\bin\\timeout 60 ";
    for (char c : command) line += static_cast<wchar_t>(c);
    // The command's own redirections carry its output: it gets none of the test's handles, which
    // Wine would otherwise share with it.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE none =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = start.hStdOutput = start.hStdError = none;
    PROCESS_INFORMATION info{};
    BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &start, &info);
    CloseHandle(none);
    if (!started) return false;
    if (info.hThread != nullptr) CloseHandle(info.hThread);
    if (info.hProcess != nullptr) CloseHandle(info.hProcess);
    return true;
  }

  std::string dir_;
  int port_ = 0;
};

}  // namespace postwink::test
