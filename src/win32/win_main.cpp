// Entry point of Postwink.exe.
#include "win32/checker_app.h"
#include "win32/platform/windows_headers.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  postwink::win::CheckerApp app(postwink::PlatformSystem());
  int code = 0;
  if (app.InitInstance(postwink::win::CommandLineArguments())) code = app.Run();
  app.ExitInstance();
  return code;
}
