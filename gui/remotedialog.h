// The Remote Control dialog (resource IDD_REMOTE_CONTROL): on or off, the
// port the controllers send to, who may connect, where the replies go, and
// this computer's addresses to type into a tablet.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "remote/remotesettings.h"
#include "windows/liveregion.h"

// Puts `settings` in force: "" when it worked, else what the user is told
// ("Port 7420 is in use by another program.").
using RemoteSettingsApply = std::function<std::string(const RemoteSettings&)>;

// Shows `*settings` and `addresses` (one a line) modally over `owner`. OK
// checks the ports and calls `apply` with what is shown; when `apply` fails
// the dialog stays open with its text and the check box cleared, so a second
// OK leaves remote control off. True when OK closed it: `*settings` is then
// what was applied, for the caller to store. Cancel changes nothing.
bool RunRemoteDialog(HWND owner, RemoteSettings* settings,
                     const std::vector<std::string>& addresses, RemoteSettingsApply apply);

class RemoteDialog {
 public:
  RemoteDialog(const RemoteSettings& settings, std::vector<std::string> addresses,
               RemoteSettingsApply apply);

  // The dialog procedure; WM_INITDIALOG's lParam is the RemoteDialog.
  static INT_PTR CALLBACK Proc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

  // What OK applied; the settings given before that.
  const RemoteSettings& Settings() const { return settings_; }
  // Whether OK closed the dialog.
  bool Accepted() const { return accepted_; }

 private:
  void Show(HWND dialog);
  void ShowReplyPortBox(HWND dialog) const;
  // False, with the reason in the status line, when a port is no port.
  bool Read(HWND dialog, RemoteSettings* read) const;
  bool Refuse(HWND dialog, int box, const std::string& text) const;
  void Ok(HWND dialog);
  bool Command(HWND dialog, int id);

  RemoteSettings settings_;
  std::vector<std::string> addresses_;
  RemoteSettingsApply apply_;
  bool accepted_ = false;
  LiveRegion status_;  // the status line: a refusal is read out
};
