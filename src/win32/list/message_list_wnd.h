#pragma once
// MessageListWnd: the pop-up list of messages with its preview pane. It sizes itself to its
// content, sits at a corner of the work area, slides, rolls or fades in and out, and closes by
// itself unless the user keeps it.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/check/display_list.h"
#include "core/config/profile.h"
#include "core/config/settings.h"
#include "core/list/list_behaviour.h"
#include "core/list/list_commands.h"
#include "core/list/list_placement.h"
#include "core/mime/charset.h"
#include "core/oauth/token_provider.h"
#include "win32/handles.h"
#include "win32/list/message_report_ctrl.h"
#include "win32/platform/windows_headers.h"
#include "win32/wnd.h"

namespace postwink::win {

inline constexpr const wchar_t* kMessageListClassName = L"PostwinkMessageList";
// The styles MainDialog creates it with.
inline constexpr DWORD kListWindowStyle = 0x80400000;      // WS_POPUP | WS_DLGFRAME
inline constexpr DWORD kListWindowUserExStyle = 0x300;     // window and client edges
inline constexpr DWORD kListWindowNewMailExStyle = 0x308;  // the same, top-most
inline constexpr int kListCtrlId = 1;
inline constexpr int kPreviewId = 2;

// What the window asks of the program around it.
struct ListWindowContext {
  Settings& settings;
  Profile& profile;  // the column layout goes here
  CharsetContext charsets;
  // Called when the window is activated and on every click in the list.
  std::function<void()> acknowledgeNewMail;
  // Where the tray icon is; the pointer resting there keeps the window open.
  std::function<Rect()> trayArea;
  // The program's temporary folder (ending in "\\"), where attachments are written; without
  // one no attachment opens.
  std::string tempFolder;
  // The log, for the conversation of an attachment fetched from an IMAP server.
  std::function<void(std::string_view)> log;
  // Access tokens for attachments of accounts that sign in with OAuth (not owned).
  TokenProvider* tokens = nullptr;
};

// Posted to itself: the preview pane's right button went up at lParam (pane coordinates).
inline constexpr UINT WM_PREVIEW_CONTEXT = WM_APP + 0x23;
// Sent to itself: open the link at wParam..lParam of the preview's text.
inline constexpr UINT WM_LIST_OPEN_LINK = WM_APP + 0x24;

class MessageListWnd : public Wnd {
 public:
  explicit MessageListWnd(ListWindowContext context);
  ~MessageListWnd() override;

  // Refused while a previous window of this object is shown. accountColours: the mailbox
  // colour of each account in order.
  bool Create(HWND parent, const DisplayList& list, const std::vector<uint32_t>& accountColours,
              DWORD style, DWORD exStyle, int autoCloseMs, bool activate);
  void Fill(const DisplayList& list, bool unreadOnly);
  void FitToContent();
  void ShowPreview(int row);
  void HidePreview();
  // byImage: the remove image of one row, which then selects the row that took its place.
  void RemoveRow(int row, bool byImage);

  bool Creating() const { return creating_; }
  bool Shown() const { return shown_; }
  int PreviewRow() const { return previewRow_; }
  bool PreviewVisible() const;
  MessageReportCtrl& List() { return list_; }
  HWND Preview() const { return preview_; }
  const ListEffects& Effects() const { return effects_; }
  // Set by the attachment dialog while it is open; it keeps the window from closing.
  void SetDialogOpen(bool open) { dialogOpen_ = open; }

 protected:
  std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnCreate();
  bool CreateList();
  void CreatePreview();
  void CreateImages();
  void MakeFonts();
  void LimitColumnWidths();
  // Moved to a monitor of another scale: new fonts, pictures and column widths, refitted.
  void OnDpiChanged(WPARAM wParam, LPARAM lParam);
  // The window rectangle the content asks for, at its corner of the work area.
  Rect FittedRect() const;
  void Layout();
  void Place(bool activate);
  void PlayShowAnimation();
  void OnClose();
  void OnDestroy();
  void OnTimer(UINT_PTR id);
  void RunTimerSteps(const TimerSteps& steps);
  CloseFacts CurrentCloseFacts() const;
  void OnActivate(bool active);
  LRESULT OnListNotify(const NMREPORTVIEW& nm);
  // The commands, the keys, the context menus, the links and the attachment menu
  // (message_list_commands.cpp).
  LRESULT OnPreviewNotify(NMHDR* header);
  bool RunKey(CommandPlace place, UINT key, bool ctrl);
  void OnCommand(UINT id);
  void OnContextMenu(HWND from, POINT at);
  ContextFacts CurrentContextFacts(CommandPlace place) const;
  void ShowContextMenu(CommandPlace place, POINT at);
  void OpenInEditor();
  void DeleteSelected();
  void ToggleRead();
  void SelectAllCommand();
  // The preview text from first to end, when it is a link that may open.
  void OpenLink(LONG first, LONG end);
  void ShowAttachmentMenu();
  void OpenRow(int row, bool ctrl);
  void FollowSelection();
  void SortByHeader(int column);
  MailItem* ItemAt(int row) const;

  ListWindowContext context_;
  const DisplayList* listData_ = nullptr;
  MessageReportCtrl list_;
  HWND preview_ = nullptr;
  GdiHandle listFont_;
  GdiHandle previewFont_;
  HIMAGELIST images_ = nullptr;
  int dpi_ = kDesignDpi;
  std::vector<uint32_t> accountColours_;
  // ShowParams
  ListEffects effects_;
  int autoCloseMs_ = 0;
  int animationMs_ = 0;
  bool keepOpen_ = true;
  bool activate_ = false;
  // State
  bool creating_ = false;
  bool shown_ = false;
  bool fitting_ = false;
  int previewRow_ = -2;
  const MailItem* markReadItem_ = nullptr;
  int nextColour_ = 0;
  HWND savedFocus_ = nullptr;
  bool dialogOpen_ = false;
  // Cleared when the object goes: a menu or the attachment dialog may outlast it (the hot key
  // closes the window while they are open), and their callers must not touch it then.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace postwink::win
