// A small tool for the end-to-end scripts: finds windows of the programs running in the same
// Wine session, reads their texts and posts messages to them. Output is UTF-8.
//   e2e_driver find [--class C] [--title T] [--contains TEXT] [--visible 1] [--child ID]
//                   [--timeout MS]
//       one line per top-level window: hwnd pid visible class title; status 1 when none
//       (--child: only windows with a control of that id, such as a file dialog's name field)
//   e2e_driver gone HWND [--timeout MS]    status 0 once the window no longer exists
//   e2e_driver text HWND                   the window's text and its children's, one a line
//   e2e_driver post HWND MSG WPARAM LPARAM numbers in decimal or 0x hexadecimal
//   e2e_driver send HWND MSG WPARAM LPARAM sends it and prints the answer (status 1 when the
//                                          window does not answer within 10 s)
//   e2e_driver temp                        the user's temporary directory (long form)
//   e2e_driver rect HWND                   left top right bottom topmost(0/1) of the window
//   e2e_driver workarea                    left top right bottom of the primary work area
//   e2e_driver ctext HWND CLASS            the text the first descendant of that class answers
//   e2e_driver cell HWND ROW COLUMN        screen x y of a cell's centre in the report control
//                                          below HWND; status 1 when there is no such cell
//   e2e_driver cellrect HWND ROW COLUMN    that cell's left top right bottom in the control
//   e2e_driver fontheight HWND             the LOGFONT height of the report control's font
//   e2e_driver key VK [ctrl] [shift] [alt] presses and releases a key as the user would
//   e2e_driver foreground                  the foreground window's handle
//   e2e_driver trust-ca FILE.pem           adds the certificate to the user's trusted roots
//   e2e_driver untrust-ca FILE.pem         removes it again
// (Under Wine the roots of the current user are part of the prefix and no dialog asks.)
//   e2e_driver https-post URL BODY         the program's token request: "status N" and the body,
//                                          or "error TEXT"
//   e2e_driver lock FILE MS                opens FILE sharing nothing, says "locked", holds it
//                                          for MS milliseconds (another program's lock)
// Controls inside a dialog are named by the dialog and their id; of several with that id (the
// pages of a property sheet) the visible one is taken:
//   e2e_driver item HWND ID                the control's handle and whether it is visible
//   e2e_driver settext HWND ID TEXT        sets its text as typing it would (an edit field, a
//                                          drop-down's field)
//   e2e_driver gettext HWND ID             its text
//   e2e_driver click HWND ID               presses a button (posted: a dialog it opens may wait)
//   e2e_driver checked HWND ID             1 when a check box or radio button is checked
//   e2e_driver select HWND ID INDEX        chooses an entry of a drop-down list, as the user does
//   e2e_driver page HWND INDEX             shows a page of a property sheet
//   e2e_driver client HWND                 its client area on the screen: left top right bottom
//                                          (all that shows of a window on a display without a
//                                          window manager)
#include <windows.h>
// after windows.h
#include <wincrypt.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "win32/platform/winhttp_client.h"

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
  int child = 0;
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
  if (q->child != 0 && GetDlgItem(hwnd, q->child) == nullptr) return TRUE;
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
    else if (opt == L"--child")
      q.child = static_cast<int>(Number(argv[i + 1]));
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

int Send(int argc, wchar_t** argv) {
  if (argc < 6) return 2;
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(HandleArg(argv[2]), static_cast<UINT>(Number(argv[3])),
                           static_cast<WPARAM>(Number(argv[4])),
                           static_cast<LPARAM>(Number(argv[5])), SMTO_ABORTIFHUNG, 10000,
                           &answer)) {
    return 1;
  }
  std::printf("%llu\n", static_cast<unsigned long long>(answer));
  return 0;
}

// setting HWND AREA [NAME VALUE|-]: a setting change announced as Windows does, with the area's
// name; with NAME, that DWORD of the theme's key is written (or removed with "-") first.
int Setting(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  if (argc >= 6) {
    const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
    LSTATUS written;
    if (std::wstring(argv[5]) == L"-") {
      written = RegDeleteKeyValueW(HKEY_CURRENT_USER, key, argv[4]);
      if (written == ERROR_FILE_NOT_FOUND) written = ERROR_SUCCESS;
    } else {
      DWORD value = static_cast<DWORD>(Number(argv[5]));
      written = RegSetKeyValueW(HKEY_CURRENT_USER, key, argv[4], REG_DWORD, &value, sizeof value);
    }
    if (written != ERROR_SUCCESS) return 1;
  }
  DWORD_PTR answer = 0;
  return SendMessageTimeoutW(HandleArg(argv[2]), WM_SETTINGCHANGE, 0,
                             reinterpret_cast<LPARAM>(argv[3]), SMTO_ABORTIFHUNG, 10000, &answer)
             ? 0
             : 1;
}

int Rect(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  HWND hwnd = HandleArg(argv[2]);
  RECT r;
  if (!IsWindow(hwnd) || !GetWindowRect(hwnd, &r)) return 1;
  bool topMost = (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  std::printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right, r.bottom, topMost ? 1 : 0);
  return 0;
}

int WorkArea() {
  RECT r;
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return 1;
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  return 0;
}

struct ClassQuery {
  std::wstring className;
  HWND found = nullptr;
};

BOOL CALLBACK FindClass(HWND child, LPARAM param) {
  auto* q = reinterpret_cast<ClassQuery*>(param);
  // Class names are matched as the system matches them, without regard to case.
  if (_wcsicmp(ClassOf(child).c_str(), q->className.c_str()) != 0) return TRUE;
  q->found = child;
  return FALSE;
}

HWND Descendant(HWND parent, const std::wstring& className) {
  ClassQuery q{className};
  EnumChildWindows(parent, FindClass, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

// Any length: the length is asked first (a list or a message body is longer than a caption).
std::wstring LongTextOf(HWND hwnd) {
  DWORD_PTR n = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &n)) return {};
  std::wstring text(n + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, n + 1, reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 5000, &got)) {
    return {};
  }
  text.resize(got < n ? got : n);
  return text;
}

int ChildText(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  HWND child = Descendant(HandleArg(argv[2]), argv[3]);
  if (!child) return 1;
  std::fputs(Utf8(LongTextOf(child)).c_str(), stdout);
  std::fputs("\n", stdout);
  return 0;
}

// The report control's messages for a cell's rectangle (packed as four 16-bit values) and for
// its font's height.
constexpr UINT kReportGetCellRect = WM_USER + 0x41;
constexpr UINT kReportGetFontHeight = WM_USER + 0x42;

// A cell's rectangle in the report control below HWND, in its client coordinates.
bool CellRect(HWND window, const wchar_t* row, const wchar_t* column, HWND& report, RECT& rect) {
  report = Descendant(window, L"MFCReportCtrl");
  if (!report) return false;
  DWORD_PTR packed = 0;
  if (!SendMessageTimeoutW(report, kReportGetCellRect, static_cast<WPARAM>(Number(row)),
                           static_cast<LPARAM>(Number(column)), SMTO_ABORTIFHUNG, 5000, &packed) ||
      static_cast<LONG_PTR>(packed) == -1) {
    return false;
  }
  auto word = [&](int shift) {
    return static_cast<LONG>(static_cast<int16_t>((packed >> shift) & 0xFFFF));
  };
  rect = {word(0), word(16), word(32), word(48)};
  return true;
}

int Cell(int argc, wchar_t** argv, bool whole) {
  if (argc < 5) return 2;
  HWND report = nullptr;
  RECT r{};
  if (!CellRect(HandleArg(argv[2]), argv[3], argv[4], report, r)) return 1;
  if (whole) {
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
  }
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(report, &p);
  std::printf("%ld %ld\n", p.x, p.y);
  return 0;
}

// The character height (LOGFONT lfHeight) of the font the report control below HWND draws with.
int FontHeight(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  HWND report = Descendant(HandleArg(argv[2]), L"MFCReportCtrl");
  DWORD_PTR height = 0;
  if (!report ||
      !SendMessageTimeoutW(report, kReportGetFontHeight, 0, 0, SMTO_ABORTIFHUNG, 5000, &height)) {
    return 1;
  }
  std::printf("%ld\n", static_cast<long>(static_cast<LRESULT>(height)));
  return 0;
}

void KeyEvent(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

int Key(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  std::vector<WORD> modifiers;
  for (int i = 3; i < argc; ++i) {
    std::wstring m = argv[i];
    if (m == L"ctrl")
      modifiers.push_back(VK_CONTROL);
    else if (m == L"shift")
      modifiers.push_back(VK_SHIFT);
    else if (m == L"alt")
      modifiers.push_back(VK_MENU);
    else
      return 2;
  }
  for (WORD m : modifiers) KeyEvent(m, false);
  auto vk = static_cast<WORD>(Number(argv[2]));
  KeyEvent(vk, false);
  Sleep(30);
  KeyEvent(vk, true);
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) KeyEvent(*it, true);
  Sleep(50);
  return 0;
}

int Foreground() {
  std::printf("0x%llx\n",
              static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(GetForegroundWindow())));
  return 0;
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

int HttpsPost(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  postwink::HttpsPost request;
  request.url = Utf8(argv[2]);
  request.formBody = Utf8(argv[3]);
  postwink::HttpsAnswer answer = postwink::win::PostAndWait(request);
  if (answer.status == 0) {
    std::printf("error %s\n", answer.error.c_str());
  } else {
    std::printf("status %d %s\n", answer.status, answer.body.c_str());
  }
  return 0;
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

struct ItemQuery {
  int id;
  HWND found = nullptr;
};

BOOL CALLBACK MatchItem(HWND child, LPARAM param) {
  auto* q = reinterpret_cast<ItemQuery*>(param);
  if (GetDlgCtrlID(child) != q->id) return TRUE;
  if (q->found == nullptr || (IsWindowVisible(child) && !IsWindowVisible(q->found))) {
    q->found = child;
  }
  return TRUE;
}

HWND ItemOf(wchar_t** argv) {
  ItemQuery q{static_cast<int>(Number(argv[3]))};
  EnumChildWindows(HandleArg(argv[2]), MatchItem, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

int Item(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  HWND item = ItemOf(argv);
  if (item == nullptr) return 1;
  std::printf("0x%llx %d\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(item)),
              IsWindowVisible(item) ? 1 : 0);
  return 0;
}

int SetText(int argc, wchar_t** argv) {
  if (argc < 5) return 2;
  HWND item = ItemOf(argv);
  if (item == nullptr) return 1;
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]),
                             SMTO_ABORTIFHUNG, 5000, &result) &&
                 result
             ? 0
             : 1;
}

int GetText(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  HWND item = ItemOf(argv);
  if (item == nullptr) return 1;
  std::printf("%s\n", Utf8(AnsweredTextOf(item)).c_str());
  return 0;
}

int Click(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  HWND item = ItemOf(argv);
  return item != nullptr && PostMessageW(item, BM_CLICK, 0, 0) ? 0 : 1;
}

int Checked(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  HWND item = ItemOf(argv);
  if (item == nullptr) return 1;
  DWORD_PTR state = 0;
  SendMessageTimeoutW(item, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
  std::printf("%d\n", state == BST_CHECKED ? 1 : 0);
  return 0;
}

int Select(int argc, wchar_t** argv) {
  if (argc < 5) return 2;
  HWND item = ItemOf(argv);
  if (item == nullptr) return 1;
  WPARAM index = static_cast<WPARAM>(Number(argv[4]));
  DWORD_PTR result = 0;
  SendMessageTimeoutW(item, CB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 5000, &result);
  return PostMessageW(GetParent(item), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(item), CBN_SELCHANGE),
                      reinterpret_cast<LPARAM>(item))
             ? 0
             : 1;
}

int Page(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  constexpr UINT kSetCurrentPage = WM_USER + 101;  // PSM_SETCURSEL
  return PostMessageW(HandleArg(argv[2]), kSetCurrentPage, static_cast<WPARAM>(Number(argv[3])), 0)
             ? 0
             : 1;
}

int Client(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  HWND window = HandleArg(argv[2]);
  RECT r;
  if (!GetClientRect(window, &r)) return 1;
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
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
  else if (cmd == L"send")
    status = Send(argc, argv);
  else if (cmd == L"setting")
    status = Setting(argc, argv);
  else if (cmd == L"temp")
    status = Temp();
  else if (cmd == L"rect")
    status = Rect(argc, argv);
  else if (cmd == L"workarea")
    status = WorkArea();
  else if (cmd == L"ctext")
    status = ChildText(argc, argv);
  else if (cmd == L"cell")
    status = Cell(argc, argv, false);
  else if (cmd == L"cellrect")
    status = Cell(argc, argv, true);
  else if (cmd == L"fontheight")
    status = FontHeight(argc, argv);
  else if (cmd == L"key")
    status = Key(argc, argv);
  else if (cmd == L"foreground")
    status = Foreground();
  else if (cmd == L"trust-ca" || cmd == L"untrust-ca")
    status = TrustCa(argc, argv, cmd == L"trust-ca");
  else if (cmd == L"https-post")
    status = HttpsPost(argc, argv);
  else if (cmd == L"item")
    status = Item(argc, argv);
  else if (cmd == L"settext")
    status = SetText(argc, argv);
  else if (cmd == L"gettext")
    status = GetText(argc, argv);
  else if (cmd == L"click")
    status = Click(argc, argv);
  else if (cmd == L"checked")
    status = Checked(argc, argv);
  else if (cmd == L"select")
    status = Select(argc, argv);
  else if (cmd == L"page")
    status = Page(argc, argv);
  else if (cmd == L"client")
    status = Client(argc, argv);
  else if (cmd == L"lock")
    status = Lock(argc, argv);
  std::fflush(stdout);
  return status;
}
