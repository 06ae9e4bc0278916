#include "win32/platform/token_command_win32.h"

#include <atomic>
#include <chrono>
#include <mutex>

#include "win32/handles.h"
#include "win32/platform/oauth_texts_win32.h"
#include "win32/wide_text.h"

namespace postwink::win {
namespace {

CommandOutput Failed(std::string error) {
  CommandOutput out;
  out.error = std::move(error);
  return out;
}

// The command interpreter's full path, as the system names it.
std::wstring Interpreter() {
  wchar_t path[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"ComSpec", path, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return path;
  n = GetSystemDirectoryW(path, MAX_PATH);
  return (n > 0 && n < MAX_PATH ? std::wstring(path) + L"\\" : std::wstring()) + L"cmd.exe";
}

// Only the handles the child is meant to have are inheritable while it is made, so that two
// commands started at once do not hold each other's output open.
std::mutex creating;

}  // namespace

CommandOutput RunTokenCommand(const std::string& command, int timeoutMs, size_t maxBytes) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  auto remaining = [&deadline]() -> DWORD {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
  };

  // A named pipe, since only it can be read with a time limit (overlapped).
  static std::atomic<unsigned> serial{0};
  std::wstring name = L"\\\\.\\pipe\\Postwink-token-" + std::to_wstring(GetCurrentProcessId()) +
                      L"-" + std::to_wstring(++serial);
  KernelHandle reader(CreateNamedPipeW(
      name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
      PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, 64 * 1024, 0, nullptr));
  if (!reader) return Failed(texts::kCommandNotStarted);
  KernelHandle writer(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  KernelHandle nothing(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
  // The job ends the command and everything it started when the time is up.
  KernelHandle job(CreateJobObjectW(nullptr, nullptr));
  if (!writer || !nothing || !job) return Failed(texts::kCommandNotStarted);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);

  std::wstring line = L"\"" + Interpreter() + L"\" /d /s /c \"" + Widen(command) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nothing.get();
  startup.hStdOutput = writer.get();
  startup.hStdError = nothing.get();
  PROCESS_INFORMATION info{};
  BOOL started;
  {
    std::lock_guard<std::mutex> lock(creating);
    SetHandleInformation(writer.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    SetHandleInformation(nothing.get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                             CREATE_NO_WINDOW | CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT,
                             nullptr, nullptr, &startup, &info);
    SetHandleInformation(writer.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(nothing.get(), HANDLE_FLAG_INHERIT, 0);
  }
  if (!started) return Failed(texts::kCommandNotStarted);
  KernelHandle process(info.hProcess);
  KernelHandle thread(info.hThread);
  AssignProcessToJobObject(job.get(), process.get());
  ResumeThread(thread.get());
  // Only the child holds the write end now: its end (and its children's) is the end of output.
  writer.reset();
  nothing.reset();

  std::string output;
  KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  char piece[4096];
  bool timedOut = false;
  bool tooLong = false;
  for (;;) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    DWORD got = 0;
    if (!ReadFile(reader.get(), piece, sizeof piece, &got, &overlapped)) {
      DWORD error = GetLastError();
      if (error == ERROR_BROKEN_PIPE) break;
      if (error != ERROR_IO_PENDING) break;
      if (WaitForSingleObject(event.get(), remaining()) != WAIT_OBJECT_0) {
        CancelIo(reader.get());
        GetOverlappedResult(reader.get(), &overlapped, &got, TRUE);
        timedOut = true;
        break;
      }
      if (!GetOverlappedResult(reader.get(), &overlapped, &got, FALSE)) break;
    }
    if (output.size() + got > maxBytes) {
      output.append(piece, maxBytes - output.size());
      tooLong = true;
      break;
    }
    output.append(piece, got);
  }
  size_t end = output.find_first_of("\r\n");
  if (tooLong && end != std::string::npos) {
    // The token is in; whatever the command writes on is not waited for.
    tooLong = false;
    TerminateJobObject(job.get(), 0);
    WaitForSingleObject(process.get(), remaining());
  }
  DWORD exitCode = STILL_ACTIVE;
  if (!timedOut && !tooLong && WaitForSingleObject(process.get(), remaining()) != WAIT_OBJECT_0) {
    timedOut = true;
  }
  if (timedOut || tooLong) {
    TerminateJobObject(job.get(), 1);
    return Failed(timedOut ? texts::kCommandTimedOut : texts::kCommandTooLong);
  }
  GetExitCodeProcess(process.get(), &exitCode);
  if (exitCode != 0) {
    return Failed(texts::kCommandExitCode + std::to_string(exitCode));
  }
  CommandOutput result;
  result.ok = true;
  result.firstLine = output.substr(0, end);
  SecureZeroMemory(output.data(), output.size());
  return result;
}

void WinTokenCommandRunner::Run(const std::string& command, int timeoutMs, size_t maxBytes,
                                std::function<void(CommandOutput)> done) {
  RunOffThread<CommandOutput>(
      poster_,
      [command, timeoutMs, maxBytes] { return RunTokenCommand(command, timeoutMs, maxBytes); },
      std::move(done), Failed(texts::kCommandNotStarted));
}

}  // namespace postwink::win
