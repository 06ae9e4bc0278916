// A small tool for the end-to-end scripts: finds windows of the programs running in the same
// Wine session, reads their texts and posts messages to them. Output is UTF-8.
//   e2e_driver find [--class C] [--title T] [--contains TEXT] [--visible 1] [--timeout MS]
//       one line per top-level window: hwnd pid visible class title; status 1 when none
//   e2e_driver gone HWND [--timeout MS]    status 0 once the window no longer exists
//   e2e_driver text HWND                   the window's text and its children's, one a line
//   e2e_driver post HWND MSG WPARAM LPARAM numbers in decimal or 0x hexadecimal
//   e2e_driver temp                        the user's temporary directory (long form)
//   e2e_driver trust-ca FILE.pem           adds the certificate to the user's trusted roots
//   e2e_driver untrust-ca FILE.pem         removes it again
// (Under Wine the roots of the current user are part of the prefix and no dialog asks.)
//   e2e_driver lock FILE MS                opens FILE sharing nothing, says "locked", holds it
//                                          for MS milliseconds (another program's lock)
#include <windows.h>
// after windows.h
#include <wincrypt.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

std::wstring TextOf(HWND hwnd) {
  wchar_t buf[1024];
  int n = GetWindowTextW(hwnd, buf, 1024);
  return std::wstring(buf, n > 0 ? n : 0);
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t buf[256];
  int n = GetClassNameW(hwnd, buf, 256);
  return std::wstring(buf, n > 0 ? n : 0);
}

unsigned long long Number(const wchar_t* text) { return wcstoull(text, nullptr, 0); }

HWND HandleArg(const wchar_t* text) { return reinterpret_cast<HWND>(Number(text)); }

struct Query {
  std::wstring className, title, contains;
  bool visibleOnly = false;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectText(HWND child, LPARAM param) {
  auto* texts = reinterpret_cast<std::wstring*>(param);
  *texts += TextOf(child) + L"\n";
  return TRUE;
}

BOOL CALLBACK Match(HWND hwnd, LPARAM param) {
  auto* q = reinterpret_cast<Query*>(param);
  if (q->visibleOnly && !IsWindowVisible(hwnd)) return TRUE;
  if (!q->className.empty() && ClassOf(hwnd) != q->className) return TRUE;
  if (!q->title.empty() && TextOf(hwnd) != q->title) return TRUE;
  if (!q->contains.empty()) {
    std::wstring all = TextOf(hwnd) + L"\n";
    EnumChildWindows(hwnd, CollectText, reinterpret_cast<LPARAM>(&all));
    if (all.find(q->contains) == std::wstring::npos) return TRUE;
  }
  q->found.push_back(hwnd);
  return TRUE;
}

int Find(int argc, wchar_t** argv) {
  Query q;
  DWORD timeout = 0;
  for (int i = 2; i + 1 < argc; i += 2) {
    std::wstring opt = argv[i];
    if (opt == L"--class")
      q.className = argv[i + 1];
    else if (opt == L"--title")
      q.title = argv[i + 1];
    else if (opt == L"--contains")
      q.contains = argv[i + 1];
    else if (opt == L"--visible")
      q.visibleOnly = Number(argv[i + 1]) != 0;
    else if (opt == L"--timeout")
      timeout = static_cast<DWORD>(Number(argv[i + 1]));
    else
      return 2;
  }
  ULONGLONG end = GetTickCount64() + timeout;
  for (;;) {
    q.found.clear();
    EnumWindows(Match, reinterpret_cast<LPARAM>(&q));
    if (!q.found.empty() || GetTickCount64() >= end) break;
    Sleep(200);
  }
  for (HWND hwnd : q.found) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    std::printf("0x%llx %lu %d %s %s\n",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hwnd)), pid,
                IsWindowVisible(hwnd) ? 1 : 0, Utf8(ClassOf(hwnd)).c_str(),
                Utf8(TextOf(hwnd)).c_str());
  }
  return q.found.empty() ? 1 : 0;
}

int Gone(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  HWND hwnd = HandleArg(argv[2]);
  DWORD timeout = argc >= 5 ? static_cast<DWORD>(Number(argv[4])) : 0;
  ULONGLONG end = GetTickCount64() + timeout;
  while (IsWindow(hwnd)) {
    if (GetTickCount64() >= end) return 1;
    Sleep(200);
  }
  return 0;
}

// The text as the window itself answers WM_GETTEXT: across processes GetWindowText reads only the
// stored caption, which a tool tip, for one, leaves empty.
std::wstring AnsweredTextOf(HWND hwnd) {
  wchar_t buf[1024] = {};
  DWORD_PTR n = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG,
                           2000, &n)) {
    return TextOf(hwnd);
  }
  return std::wstring(buf, n < 1024 ? n : 1023);
}

int Text(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  HWND hwnd = HandleArg(argv[2]);
  if (!IsWindow(hwnd)) return 1;
  std::wstring all = AnsweredTextOf(hwnd) + L"\n";
  EnumChildWindows(hwnd, CollectText, reinterpret_cast<LPARAM>(&all));
  std::fputs(Utf8(all).c_str(), stdout);
  return 0;
}

int Post(int argc, wchar_t** argv) {
  if (argc < 6) return 2;
  HWND hwnd = HandleArg(argv[2]);
  return PostMessageW(hwnd, static_cast<UINT>(Number(argv[3])),
                      static_cast<WPARAM>(Number(argv[4])), static_cast<LPARAM>(Number(argv[5])))
             ? 0
             : 1;
}

int Temp() {
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return 1;
  wchar_t longPath[1024];
  DWORD m = GetLongPathNameW(temp, longPath, 1024);
  std::printf("%s\n", Utf8(m > 0 && m < 1024 ? longPath : temp).c_str());
  return 0;
}

// The DER bytes of the first certificate in a PEM file.
std::vector<BYTE> ReadCertificate(const wchar_t* path) {
  std::vector<BYTE> der;
  FILE* f = _wfopen(path, L"rb");
  if (f == nullptr) return der;
  std::string pem;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) pem.append(buf, n);
  std::fclose(f);
  DWORD size = 0;
  if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                            nullptr)) {
    return der;
  }
  der.resize(size);
  if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr,
                            nullptr)) {
    der.clear();
  }
  return der;
}

int TrustCa(int argc, wchar_t** argv, bool trust) {
  if (argc < 3) return 2;
  std::vector<BYTE> der = ReadCertificate(argv[2]);
  if (der.empty()) return 1;
  // Removing needs the registry provider: the system provider reports success and deletes
  // nothing.
  HCERTSTORE store =
      CertOpenStore(trust ? CERT_STORE_PROV_SYSTEM_W : CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0,
                    CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
  if (store == nullptr) return 1;
  bool ok;
  if (trust) {
    ok = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(),
                                          static_cast<DWORD>(der.size()),
                                          CERT_STORE_ADD_REPLACE_EXISTING, nullptr) != FALSE;
  } else {
    ok = true;
    PCCERT_CONTEXT wanted =
        CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
    PCCERT_CONTEXT found = wanted ? CertFindCertificateInStore(store, X509_ASN_ENCODING, 0,
                                                               CERT_FIND_EXISTING, wanted, nullptr)
                                  : nullptr;
    if (found != nullptr) ok = CertDeleteCertificateFromStore(found) != FALSE;
    if (wanted != nullptr) CertFreeCertificateContext(wanted);
  }
  CertCloseStore(store, 0);
  return ok ? 0 : 1;
}

int Lock(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  HANDLE file = CreateFileW(argv[2], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  std::printf("locked\n");
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(Number(argv[3])));
  CloseHandle(file);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  std::wstring cmd = argv[1];
  int status = 2;
  if (cmd == L"find")
    status = Find(argc, argv);
  else if (cmd == L"gone")
    status = Gone(argc, argv);
  else if (cmd == L"text")
    status = Text(argc, argv);
  else if (cmd == L"post")
    status = Post(argc, argv);
  else if (cmd == L"temp")
    status = Temp();
  else if (cmd == L"trust-ca" || cmd == L"untrust-ca")
    status = TrustCa(argc, argv, cmd == L"trust-ca");
  else if (cmd == L"lock")
    status = Lock(argc, argv);
  std::fflush(stdout);
  return status;
}
