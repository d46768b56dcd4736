// The main window: a borderless dialog that hosts the preview, the device picker and the
// connection controls.
#pragma once

#include <windows.h>

#include "app/resource.h"
#include "common/win/message_loop.h"
#include "common/win/update_ui.h"
#include "common/win/window_impl.h"

namespace vl {

class CMainDlg : public win::CDialogImpl<CMainDlg>,
                 public win::CMessageFilter,
                 public win::CIdleHandler,
                 public win::CUpdateUI {
 public:
  enum { IDD = IDD_MAINDLG };

  CMainDlg();
  ~CMainDlg() override;

  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnIdle() override;

  BEGIN_MSG_MAP(CMainDlg)
  MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
  MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  COMMAND_ID_HANDLER(IDOK, OnConnectCommand)
  COMMAND_ID_HANDLER(IDCANCEL, OnCloseCommand)
  END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnConnectCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnCloseCommand(WORD, WORD, HWND, BOOL&);
};

// The current main window (set by its constructor), for other threads and parts to address it.
CMainDlg* CurrentMainWindow();

}  // namespace vl
