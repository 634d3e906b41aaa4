#include "gui/remotedialog.h"

#include "gui/modalui.h"
#include "platform/log.h"
#include "platform/widetext.h"
#include "resources/velmora_ids.h"

namespace {

void SetText(HWND dialog, int id, const std::string& text) {
  SetDlgItemTextW(dialog, id, platform::WideFromUtf8(text).c_str());
}

std::string Text(HWND dialog, int id) {
  wchar_t text[64] = L"";
  GetDlgItemTextW(dialog, id, text, 64);
  return platform::Utf8FromWide(text);
}

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// The edit controls break lines at CR LF only.
std::string AddressLines(const std::vector<std::string>& addresses) {
  if (addresses.empty()) return "No network address was found.";
  std::string lines;
  for (const std::string& address : addresses) lines += (lines.empty() ? "" : "\r\n") + address;
  return lines;
}

}  // namespace

RemoteDialog::RemoteDialog(const RemoteSettings& settings, std::vector<std::string> addresses,
                           RemoteSettingsApply apply)
    : settings_(settings), addresses_(std::move(addresses)), apply_(std::move(apply)) {}

// The reason in the status line, read out, and the box to mend it focused.
bool RemoteDialog::Refuse(HWND dialog, int box, const std::string& text) const {
  SetText(dialog, IDC_REMOTE_STATUS, text);
  status_.Announce();
  HWND control = GetDlgItem(dialog, box);
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
  SendMessageW(control, EM_SETSEL, 0, -1);
  return false;
}

void RemoteDialog::Show(HWND dialog) {
  CheckDlgButton(dialog, IDC_REMOTE_ENABLED, settings_.enabled ? BST_CHECKED : BST_UNCHECKED);
  SetText(dialog, IDC_REMOTE_PORT, std::to_string(settings_.port));
  CheckRadioButton(dialog, IDC_REMOTE_THIS_COMPUTER, IDC_REMOTE_LOCAL_NETWORK,
                   settings_.scope == 1 ? IDC_REMOTE_LOCAL_NETWORK : IDC_REMOTE_THIS_COMPUTER);
  const bool fixed = settings_.replyPort != 0;
  CheckRadioButton(dialog, IDC_REMOTE_REPLY_SENDER, IDC_REMOTE_REPLY_FIXED,
                   fixed ? IDC_REMOTE_REPLY_FIXED : IDC_REMOTE_REPLY_SENDER);
  SetText(dialog, IDC_REMOTE_REPLY_PORT, fixed ? std::to_string(settings_.replyPort) : "");
  SetText(dialog, IDC_REMOTE_ADDRESSES, AddressLines(addresses_));
  SetText(dialog, IDC_REMOTE_STATUS, "");
  status_.Attach(GetDlgItem(dialog, IDC_REMOTE_STATUS));
  // A port number has five digits.
  SendDlgItemMessageW(dialog, IDC_REMOTE_PORT, EM_LIMITTEXT, 5, 0);
  SendDlgItemMessageW(dialog, IDC_REMOTE_REPLY_PORT, EM_LIMITTEXT, 5, 0);
  ShowReplyPortBox(dialog);
}

// The fixed port's box takes input only while its button is chosen.
void RemoteDialog::ShowReplyPortBox(HWND dialog) const {
  EnableWindow(GetDlgItem(dialog, IDC_REMOTE_REPLY_PORT),
               IsChecked(dialog, IDC_REMOTE_REPLY_FIXED));
}

bool RemoteDialog::Read(HWND dialog, RemoteSettings* read) const {
  read->enabled = IsChecked(dialog, IDC_REMOTE_ENABLED);
  read->scope = IsChecked(dialog, IDC_REMOTE_LOCAL_NETWORK) ? 1 : 0;
  // ES_NUMBER still lets a paste through: the text is checked, not trusted.
  if (!ParsePortText(Text(dialog, IDC_REMOTE_PORT), &read->port))
    return Refuse(dialog, IDC_REMOTE_PORT, "The receive port must be a number from 1 to 65535.");
  read->replyPort = 0;
  if (IsChecked(dialog, IDC_REMOTE_REPLY_FIXED) &&
      !ParsePortText(Text(dialog, IDC_REMOTE_REPLY_PORT), &read->replyPort)) {
    return Refuse(dialog, IDC_REMOTE_REPLY_PORT,
                  "The reply port must be a number from 1 to 65535.");
  }
  return true;
}

void RemoteDialog::Ok(HWND dialog) {
  RemoteSettings read;
  if (!Read(dialog, &read)) return;
  const std::string problem = apply_ ? apply_(read) : std::string();
  if (!problem.empty()) {
    // Nearly always the port cannot be had: the user goes on with it.
    platform::Log("Remote control was not started: %s\n", problem.c_str());
    CheckDlgButton(dialog, IDC_REMOTE_ENABLED, BST_UNCHECKED);
    Refuse(dialog, IDC_REMOTE_PORT, problem);
    return;
  }
  settings_ = read;
  accepted_ = true;
  EndDialog(dialog, IDOK);
}

bool RemoteDialog::Command(HWND dialog, int id) {
  switch (id) {
    case IDOK:
      Ok(dialog);
      return true;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return true;
    case IDC_REMOTE_REPLY_SENDER:
    case IDC_REMOTE_REPLY_FIXED:
      ShowReplyPortBox(dialog);
      return true;
    default:
      return false;
  }
}

INT_PTR CALLBACK RemoteDialog::Proc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    reinterpret_cast<RemoteDialog*>(lParam)->Show(dialog);
    return TRUE;
  }
  auto* self = reinterpret_cast<RemoteDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (self == nullptr) return FALSE;
  if (msg == WM_DESTROY) self->status_.Detach();
  if (msg != WM_COMMAND) return FALSE;
  return self->Command(dialog, LOWORD(wParam)) ? TRUE : FALSE;
}

bool RunRemoteDialog(HWND owner, RemoteSettings* settings,
                     const std::vector<std::string>& addresses, RemoteSettingsApply apply) {
  RemoteDialog remote(*settings, addresses, std::move(apply));
  RunModalDialog(owner, IDD_REMOTE_CONTROL, RemoteDialog::Proc, reinterpret_cast<LPARAM>(&remote));
  if (!remote.Accepted()) return false;
  *settings = remote.Settings();
  return true;
}
