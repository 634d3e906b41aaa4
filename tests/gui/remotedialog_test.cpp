// The Remote Control dialog made modeless and driven with the messages a user
// causes, then run modally through the program's hook.
#include "gui/remotedialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "gui/modalui.h"
#include "resources/velmora_ids.h"

namespace {

class RemoteDialogTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (dialog) DestroyWindow(dialog);
  }

  void Make(const RemoteSettings& settings, std::vector<std::string> addresses = {}) {
    remote = std::make_unique<RemoteDialog>(settings, std::move(addresses),
                                            [this](const RemoteSettings& given) {
                                              applied.push_back(given);
                                              return answer;
                                            });
    dialog =
        CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_REMOTE_CONTROL), nullptr,
                           RemoteDialog::Proc, reinterpret_cast<LPARAM>(remote.get()));
    ASSERT_NE(dialog, nullptr);
    ShowWindow(dialog, SW_SHOWNA);
  }

  std::string Text(int id) const {
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
  }
  bool Checked(int id) const { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
  bool Enabled(int id) const { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
  // What a click on a button does: it checks itself, then tells the dialog.
  void Click(int id) { SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0); }
  void Type(int id, const char* text) { SetDlgItemTextA(dialog, id, text); }
  void Press(int button) { SendMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0); }
  bool StillOpen() const { return IsWindowVisible(dialog) != FALSE; }

  std::unique_ptr<RemoteDialog> remote;
  HWND dialog = nullptr;
  std::string answer;  // what the apply returns
  std::vector<RemoteSettings> applied;
};

}  // namespace

TEST_F(RemoteDialogTest, ShowsTheSettingsAndTheAddressesOneALine) {
  Make({true, 9000, 1, 9001}, {"192.168.1.20", "fe80::1"});
  char title[64] = "";
  GetWindowTextA(dialog, title, sizeof title);
  EXPECT_STREQ(title, "Remote Control");
  EXPECT_TRUE(Checked(IDC_REMOTE_ENABLED));
  EXPECT_EQ(Text(IDC_REMOTE_PORT), "9000");
  EXPECT_TRUE(Checked(IDC_REMOTE_LOCAL_NETWORK));
  EXPECT_FALSE(Checked(IDC_REMOTE_THIS_COMPUTER));
  EXPECT_TRUE(Checked(IDC_REMOTE_REPLY_FIXED));
  EXPECT_EQ(Text(IDC_REMOTE_REPLY_PORT), "9001");
  EXPECT_TRUE(Enabled(IDC_REMOTE_REPLY_PORT));
  EXPECT_EQ(Text(IDC_REMOTE_ADDRESSES), "192.168.1.20\r\nfe80::1");
  EXPECT_EQ(Text(IDC_REMOTE_STATUS), "");
  // The addresses are read, not typed; ports take digits only.
  HWND addresses = GetDlgItem(dialog, IDC_REMOTE_ADDRESSES);
  EXPECT_TRUE(GetWindowLongPtrA(addresses, GWL_STYLE) & ES_READONLY);
  EXPECT_TRUE(GetWindowLongPtrA(addresses, GWL_STYLE) & ES_MULTILINE);
  EXPECT_TRUE(GetWindowLongPtrA(GetDlgItem(dialog, IDC_REMOTE_PORT), GWL_STYLE) & ES_NUMBER);
}

TEST_F(RemoteDialogTest, TheDefaultsShowOffOn7420ForThisComputerReplyingToTheSender) {
  Make(RemoteSettings{});
  EXPECT_FALSE(Checked(IDC_REMOTE_ENABLED));
  EXPECT_EQ(Text(IDC_REMOTE_PORT), "7420");
  EXPECT_TRUE(Checked(IDC_REMOTE_THIS_COMPUTER));
  EXPECT_TRUE(Checked(IDC_REMOTE_REPLY_SENDER));
  EXPECT_FALSE(Enabled(IDC_REMOTE_REPLY_PORT));
  EXPECT_EQ(Text(IDC_REMOTE_ADDRESSES), "No network address was found.");
  Click(IDC_REMOTE_REPLY_FIXED);
  EXPECT_TRUE(Enabled(IDC_REMOTE_REPLY_PORT));
  Click(IDC_REMOTE_REPLY_SENDER);
  EXPECT_FALSE(Enabled(IDC_REMOTE_REPLY_PORT));
}

TEST_F(RemoteDialogTest, OkAppliesWhatIsShownAndClosesWhenItWorked) {
  Make(RemoteSettings{});
  Click(IDC_REMOTE_ENABLED);
  Type(IDC_REMOTE_PORT, "8000");
  Click(IDC_REMOTE_LOCAL_NETWORK);
  Click(IDC_REMOTE_REPLY_FIXED);
  Type(IDC_REMOTE_REPLY_PORT, "9000");
  Press(IDOK);
  ASSERT_EQ(applied.size(), 1u);
  EXPECT_EQ(applied[0], (RemoteSettings{true, 8000, 1, 9000}));
  EXPECT_TRUE(remote->Accepted());
  EXPECT_EQ(remote->Settings(), (RemoteSettings{true, 8000, 1, 9000}));
  EXPECT_FALSE(StillOpen());
}

TEST_F(RemoteDialogTest, AFailedApplyKeepsTheDialogOpenWithItsTextAndRemoteControlOff) {
  answer = "Port 7420 is in use by another program.";
  Make({true, 7420, 0, 0});
  Press(IDOK);
  ASSERT_EQ(applied.size(), 1u);
  EXPECT_TRUE(applied[0].enabled);
  EXPECT_TRUE(StillOpen());
  EXPECT_FALSE(remote->Accepted());
  EXPECT_EQ(Text(IDC_REMOTE_STATUS), "Port 7420 is in use by another program.");
  EXPECT_FALSE(Checked(IDC_REMOTE_ENABLED));
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_REMOTE_PORT));

  // Another port, switched on again, and the apply works this time.
  answer = "";
  Click(IDC_REMOTE_ENABLED);
  Type(IDC_REMOTE_PORT, "7421");
  Press(IDOK);
  ASSERT_EQ(applied.size(), 2u);
  EXPECT_EQ(remote->Settings(), (RemoteSettings{true, 7421, 0, 0}));
  EXPECT_FALSE(StillOpen());
}

TEST_F(RemoteDialogTest, APortThatIsNoPortIsSaidAndNothingIsApplied) {
  Make(RemoteSettings{});
  for (const char* text : {"", "0", "65536", "99999"}) {
    Type(IDC_REMOTE_PORT, text);
    Press(IDOK);
    EXPECT_EQ(Text(IDC_REMOTE_STATUS), "The receive port must be a number from 1 to 65535.")
        << text;
  }
  Type(IDC_REMOTE_PORT, "65535");
  Click(IDC_REMOTE_REPLY_FIXED);
  Press(IDOK);
  EXPECT_EQ(Text(IDC_REMOTE_STATUS), "The reply port must be a number from 1 to 65535.");
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_REMOTE_REPLY_PORT));
  EXPECT_TRUE(applied.empty());
  EXPECT_TRUE(StillOpen());
  // An unused reply port's box is not looked at.
  Click(IDC_REMOTE_REPLY_SENDER);
  Press(IDOK);
  ASSERT_EQ(applied.size(), 1u);
  EXPECT_EQ(applied[0], (RemoteSettings{false, 65535, 0, 0}));
}

namespace {

std::vector<HWND> liveRegionsChanged;

void CALLBACK NoteLiveRegion(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD,
                             DWORD) {
  if (object == OBJID_CLIENT && child == CHILDID_SELF) liveRegionsChanged.push_back(hwnd);
}

}  // namespace

// The focus goes to the box to mend: the reason is read out from the status
// line all the same, as a screen reader hears a live region change.
TEST_F(RemoteDialogTest, ARefusalIsReadOutThoughTheFocusMovesOn) {
  liveRegionsChanged.clear();
  const HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
                      NoteLiveRegion, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  Make(RemoteSettings{});
  Type(IDC_REMOTE_PORT, "0");
  Press(IDOK);
  answer = "Port 7420 is in use by another program.";
  Type(IDC_REMOTE_PORT, "7420");
  Press(IDOK);
  // Out-of-context events come through this thread's message queue.
  const DWORD end = GetTickCount() + 2000;
  MSG msg;
  while (liveRegionsChanged.size() < 2 && GetTickCount() < end) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
  UnhookWinEvent(hook);
  const HWND status = GetDlgItem(dialog, IDC_REMOTE_STATUS);
  EXPECT_EQ(liveRegionsChanged, (std::vector<HWND>{status, status}));
  EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_REMOTE_PORT));
}

namespace {

int modalButton = IDOK;

// Once the dialog is up: the check box clicked, then `modalButton` pressed.
void CALLBACK AnswerTheDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND shown = FindWindowA(nullptr, "Remote Control");
  if (shown == nullptr) return;
  KillTimer(nullptr, timer);
  SendDlgItemMessageA(shown, IDC_REMOTE_ENABLED, BM_CLICK, 0, 0);
  PostMessageA(shown, WM_COMMAND, static_cast<WPARAM>(modalButton), 0);
}

}  // namespace

// Modally, answered from inside its own loop as a user would: OK hands the
// applied settings back, Cancel leaves them as they were. Through the hook
// the dialog is answered for and nothing changes.
TEST(RemoteDialogModal, OkReturnsTheAppliedSettingsAndCancelChangesNothing) {
  for (const int button : {IDOK, IDCANCEL}) {
    modalButton = button;
    RemoteSettings settings{false, 9000, 0, 0};
    int applies = 0;
    SetTimer(nullptr, 0, 20, AnswerTheDialog);
    const bool accepted =
        RunRemoteDialog(nullptr, &settings, {"127.0.0.1"}, [&](const RemoteSettings&) {
          ++applies;
          return std::string();
        });
    EXPECT_EQ(accepted, button == IDOK);
    EXPECT_EQ(applies, button == IDOK ? 1 : 0);
    EXPECT_EQ(settings.enabled, button == IDOK);
    EXPECT_EQ(settings.port, 9000);
  }
  SetDialogHook([](HWND, int id, DLGPROC) { return INT_PTR{id == IDD_REMOTE_CONTROL ? IDOK : 0}; });
  RemoteSettings settings;
  EXPECT_FALSE(RunRemoteDialog(nullptr, &settings, {}, nullptr));
  EXPECT_EQ(settings, RemoteSettings{});
  SetDialogHook(nullptr);
}
