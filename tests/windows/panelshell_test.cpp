// The control panel's shell as a user meets it: start-up, the tree and its
// pages, the status bar and menu, the driver's notifications, a driver that
// is missing at start or goes away, and the single running copy (two real
// processes).
#include <gtest/gtest.h>

#include <string>

#include "panel/app/resstrings.h"
#include "panel/notifypost.h"
#include "panel/shell/aboutdlg.h"
#include "panel/shell/mainframe.h"
#include "tests/support/childprocess.h"
#include "tests/windows/panelwindow.h"

namespace {

using testsupport::PumpUntil;

struct TreeEntry {
  PanelPage page;
  const wchar_t* title;
};
// The tree's order: Streams is offered right after Synchronisation.
const TreeEntry kTree[] = {
    {PanelPage::kDevices, L"Devices"},
    {PanelPage::kInputChannels, L"Input Channels"},
    {PanelPage::kOutputChannels, L"Output Channels"},
    {PanelPage::kSync, L"Synchronisation"},
    {PanelPage::kStreams, L"Streams"},
    {PanelPage::kSettings, L"Settings"},
};

std::vector<HTREEITEM> TreeItems(HWND tree) {
  std::vector<HTREEITEM> items;
  for (auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
       item != nullptr; item = reinterpret_cast<HTREEITEM>(SendMessageW(
                            tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
    items.push_back(item);
  return items;
}

std::wstring ItemText(HWND tree, HTREEITEM item) {
  wchar_t text[64] = {};
  TVITEMW info{};
  info.mask = TVIF_TEXT;
  info.hItem = item;
  info.pszText = text;
  info.cchTextMax = 64;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));
  return text;
}

int VisiblePages(CQDL_CPLView& view) {
  int visible = 0;
  for (int page = 0; page < kPanelPageCount; ++page)
    visible += IsWindowVisible(view.Page(static_cast<PanelPage>(page)).Handle()) != FALSE;
  return visible;
}

TEST_F(PanelWindow, StartsOnTheDevicesPageInAFixedWindowTitledFromTheStringTable) {
  CQDL_CPLView& view = Open();
  EXPECT_EQ(Text(Frame()), L"Korvane FireWire Control Panel");
  const LONG_PTR style = GetWindowLongPtrW(Frame(), GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
  EXPECT_EQ(view.ShownPage(), PanelPage::kDevices);
  EXPECT_EQ(VisiblePages(view), 1);
  EXPECT_EQ(StatusText(0), L"Devices");
  EXPECT_FALSE(view.SettingsPage().Polling());
  EXPECT_TRUE(CDriverData::Instance().IsOpen());
  EXPECT_TRUE(view.Notifier().IsRunning());

  // The frame holds the form and the status bar exactly, the pages right of
  // the tree.
  RECT client, form, page, tree;
  GetClientRect(Frame(), &client);
  GetWindowRect(view.Handle(), &form);
  EXPECT_EQ(client.bottom,
            form.bottom - form.top + application->MainWindow()->GetStatusBar().Height());
  GetWindowRect(view.Tree(), &tree);
  GetWindowRect(view.Page(PanelPage::kDevices).Handle(), &page);
  EXPECT_GT(page.left, tree.right);
  EXPECT_LE(page.right, form.right);
}

TEST_F(PanelWindow, TheAsioOptionOpensOnTheSettingsPageWithItsPollRunning) {
  CQDL_CPLView& view = Open(true);
  EXPECT_EQ(view.ShownPage(), PanelPage::kSettings);
  EXPECT_EQ(StatusText(0), L"Settings");
  EXPECT_TRUE(view.SettingsPage().Polling());
}

TEST_F(PanelWindow, EachTreeItemShowsItsPageAloneAndItsTitleInTheStatusBar) {
  CQDL_CPLView& view = Open();
  const std::vector<HTREEITEM> items = TreeItems(view.Tree());
  ASSERT_EQ(items.size(), std::size(kTree));
  for (std::size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(kTree[i].title);
    EXPECT_EQ(ItemText(view.Tree(), items[i]), kTree[i].title);
    SendMessageW(view.Tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[i]));
    EXPECT_EQ(view.ShownPage(), kTree[i].page);
    EXPECT_EQ(VisiblePages(view), 1);
    EXPECT_EQ(StatusText(0), kTree[i].title);
    // The drop-out poll runs only while the Settings page is on display.
    EXPECT_EQ(view.SettingsPage().Polling(), kTree[i].page == PanelPage::kSettings);
  }
}

TEST_F(PanelWindow, EnterAndEscapeNeverCloseTheViewOrAPage) {
  CQDL_CPLView& view = Open(true);
  // What the dialog manager sends for the two keys.
  for (WORD key : {IDOK, IDCANCEL}) {
    SendMessageW(view.Handle(), WM_COMMAND, MAKEWPARAM(key, BN_CLICKED), 0);
    for (int page = 0; page < kPanelPageCount; ++page)
      SendMessageW(view.Page(static_cast<PanelPage>(page)).Handle(), WM_COMMAND,
                   MAKEWPARAM(key, BN_CLICKED), 0);
  }
  EXPECT_TRUE(IsWindow(view.Handle()));
  for (int page = 0; page < kPanelPageCount; ++page)
    EXPECT_TRUE(IsWindow(view.Page(static_cast<PanelPage>(page)).Handle())) << "page " << page;
  EXPECT_EQ(view.ShownPage(), PanelPage::kSettings);
}

// Ends the modal dialog that this thread shows, once it is up, and keeps
// where it stood.
struct ModalProbe {
  RECT shownAt{};
  bool seen = false;
} probe;

void CALLBACK EndModalDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM found) -> BOOL {
        wchar_t title[64] = {};
        GetWindowTextW(window, title, 64);
        if (!IsWindowVisible(window) || std::wstring(title) != L"Edit Device Name") return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&dialog));
  if (dialog == nullptr) return;
  KillTimer(nullptr, timer);
  GetWindowRect(dialog, &probe.shownAt);
  probe.seen = true;
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

TEST_F(PanelWindow, TheKeyboardGoesOnWorkingThroughAPagesButtonsAndItsDialogs) {
  CQDL_CPLView& view = Open();
  CPanelPage& page = view.Page(PanelPage::kDevices);
  CListView& list = static_cast<CDevicesPage&>(page).List();
  ASSERT_EQ(list.Count(), 2);
  list.SelectAndFocus(1);
  const LPARAM second = list.ItemData(1);

  // Enter on a focused button of a page: the dialog manager runs for the view
  // and sends the button's command there.
  HWND up = page.Item(IDC_UP);
  SetFocus(up);
  ASSERT_EQ(GetFocus(), up);
  SendMessageW(view.Handle(), WM_COMMAND, MAKEWPARAM(IDC_UP, BN_CLICKED),
               reinterpret_cast<LPARAM>(up));
  EXPECT_EQ(list.ItemData(0), second);
  // Up is disabled in the top row; the focus it had stays on the page.
  EXPECT_FALSE(Enabled(up));
  HWND focus = GetFocus();
  EXPECT_TRUE(focus != nullptr && IsChild(page.Handle(), focus) && Enabled(focus));

  // The rename dialog comes up over the panel; once it ends, the focus is
  // back on the button that opened it.
  HWND rename = page.Item(IDC_EDIT_DEVICE_NAME);
  SetFocus(rename);
  probe = {};
  ASSERT_NE(SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &EndModalDialog), 0u);
  Click(rename);
  ASSERT_TRUE(probe.seen);
  RECT frame;
  GetWindowRect(Frame(), &frame);
  EXPECT_NEAR((probe.shownAt.left + probe.shownAt.right) / 2, (frame.left + frame.right) / 2, 1);
  EXPECT_NEAR((probe.shownAt.top + probe.shownAt.bottom) / 2, (frame.top + frame.bottom) / 2, 1);
  testsupport::PumpPending();
  EXPECT_EQ(GetFocus(), rename);
}

TEST_F(PanelWindow, TheMenuRoutesItsCommandsAndShowsTheirPromptsThenReady) {
  Open();
  HMENU menu = GetMenu(Frame());
  SendMessageW(Frame(), WM_MENUSELECT, MAKEWPARAM(ID_APP_EXIT, MF_STRING),
               reinterpret_cast<LPARAM>(menu));
  EXPECT_EQ(StatusText(0), L"Close the control panel");
  SendMessageW(Frame(), WM_MENUSELECT, MAKEWPARAM(ID_APP_ABOUT, MF_STRING),
               reinterpret_cast<LPARAM>(menu));
  EXPECT_EQ(StatusText(0), L"Show the control panel's version");
  SendMessageW(Frame(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(StatusText(0), L"Ready");

  // "About" reaches the application, which runs the About box.
  std::wstring shown;
  app::Dialog::SetModalHook([&](app::Dialog& dialog, HWND owner) -> INT_PTR {
    EXPECT_EQ(dialog.TemplateId(), static_cast<unsigned>(IDD_ABOUTBOX));
    EXPECT_EQ(owner, Frame());
    if (!dialog.CreateModeless(owner)) return -1;
    shown = Text(dialog.Item(IDC_ABOUT_TEXT));
    Click(dialog.Item(IDOK));
    return dialog.Result();
  });
  SendMessageW(Frame(), WM_COMMAND, ID_APP_ABOUT, 0);
  EXPECT_EQ(shown.rfind(L"Korvane FireWire Control Panel V2.11.0\n\n", 0), 0u)
      << app::ToAnsi(shown);

  // A second start's message switches to the Settings page.
  PostMessageW(Frame(), WM_SHOW_SETTINGS, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return View().ShownPage() == PanelPage::kSettings; }));

  // "Exit" closes the window.
  SendMessageW(Frame(), WM_COMMAND, ID_APP_EXIT, 0);
  EXPECT_FALSE(IsWindow(Frame()));
  MSG quit;
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(PanelWindow, QueuedDriverNotificationsRefreshEveryPageOnce) {
  CQDL_CPLView& view = Open();
  // A change the driver reports reaches the view through the notifier's thread.
  const int before = view.Page(PanelPage::kDevices).RefreshCount();
  ASSERT_EQ(machine->SetDeviceCount(1), 0u);
  EXPECT_TRUE(PumpUntil([&] { return view.SyncPage().List().Count() == 2; }));
  EXPECT_GT(view.Page(PanelPage::kDevices).RefreshCount(), before);

  // Kinds 3, 2 and 1 queued at once: one refresh of every page, then none.
  view.Notifier().SetTarget(nullptr, 0, 0, 0);
  testsupport::PumpPending();
  ASSERT_EQ(Driver().SetClockMaster(ClockMaster{0, kClockMasterPc, 0}), 0u);
  ASSERT_EQ(Driver().SetAsioBuffer(BufferSetting{{6000, 0, 0, 0}}), 0u);
  ASSERT_EQ(Driver().StopStreaming(), 0u);
  int counts[kPanelPageCount];
  for (int page = 0; page < kPanelPageCount; ++page)
    counts[page] = view.Page(static_cast<PanelPage>(page)).RefreshCount();
  SendMessageW(view.Handle(), WM_DRIVER_NOTIFY, 0, 0);
  for (int page = 0; page < kPanelPageCount; ++page)
    EXPECT_EQ(view.Page(static_cast<PanelPage>(page)).RefreshCount(), counts[page] + 1)
        << "page " << page;
  SendMessageW(view.Handle(), WM_DRIVER_NOTIFY, 0, 0);
  EXPECT_EQ(view.Page(PanelPage::kSync).RefreshCount(),
            counts[static_cast<int>(PanelPage::kSync)] + 1);
  Driver().StartStreaming();
}

TEST_F(PanelWindow, ADriverMissingAtStartIsTakenUpWhenItsDevicesArrive) {
  ASSERT_EQ(machine->SetFault(tc::kFaultControlAbsent, 1), 0u);
  ASSERT_EQ(machine->SetDeviceCount(0), 0u);
  CQDL_CPLView& view = Open(true);
  EXPECT_FALSE(CDriverData::Instance().IsOpen());
  EXPECT_FALSE(view.Notifier().IsRunning());
  CPanelPage& settings = view.SettingsPage();
  EXPECT_FALSE(Enabled(settings.Item(IDC_STREAM_SLIDER)));
  EXPECT_FALSE(Enabled(settings.Item(IDC_ASIO_SLIDER)));
  EXPECT_EQ(Text(settings.Item(IDC_ASIO_TEXT)), L"");
  EXPECT_EQ(view.SyncPage().List().Count(), 0);

  ASSERT_EQ(machine->SetFault(tc::kFaultControlAbsent, 0), 0u);
  ASSERT_EQ(machine->SetDeviceCount(1), 0u);
  EXPECT_TRUE(PumpUntil([&] { return view.SyncPage().List().Count() == 2; }));
  EXPECT_TRUE(CDriverData::Instance().IsOpen());
  EXPECT_TRUE(view.Notifier().IsRunning());
  EXPECT_TRUE(Enabled(settings.Item(IDC_ASIO_SLIDER)));
}

TEST_F(PanelWindow, ADriverThatWentAwayIsOpenedAgainWhenItsDevicesArrive) {
  CQDL_CPLView& view = Open();
  ASSERT_EQ(view.SyncPage().List().Count(), 3);
  ASSERT_EQ(machine->SetFault(tc::kFaultRequestFailure, DriverRequest::kGetDeviceList,
                              ERROR_DEVICE_REMOVED),
            0u);
  view.RefreshAllPages();
  EXPECT_FALSE(CDriverData::Instance().IsOpen());
  EXPECT_EQ(view.SyncPage().List().Count(), 0);

  ASSERT_EQ(machine->SetFault(tc::kFaultRequestFailure, 0, 0), 0u);
  ASSERT_EQ(machine->SetDeviceCount(1), 0u);
  EXPECT_TRUE(PumpUntil([&] { return view.SyncPage().List().Count() == 2; }));
  EXPECT_TRUE(CDriverData::Instance().IsOpen());
}

// ---- Two processes ----

std::wstring WindowsPath(const char* unixPath) {
  std::wstring path = L"Z:" + app::FromAnsi(unixPath);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

std::wstring ProgramPath() { return WindowsPath(QDL_CPL_PATH); }

// The panel started as its own process.
struct Process : testsupport::ChildProcess {
  bool Start(const std::wstring& arguments) { return ChildProcess::Start(ProgramPath(), arguments); }
};

HWND RunningPanel() { return FindWindowW(nullptr, L"Korvane FireWire Control Panel"); }

// Whether the page holding control `id` is on display in another process.
bool PageShown(HWND frame, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      frame,
      [](HWND child, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        if (GetDlgCtrlID(child) != s->id) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found != nullptr && IsWindowVisible(GetParent(search.found));
}

// The driver restarts under the running panel: its control device goes, and
// comes back with its units. A change another program then makes on the new
// driver must still reach the panel.
TEST_F(PanelWindow, AfterTheDriverCameBackAnotherProgramsRateChangeRefreshesThePanel) {
  CQDL_CPLView& view = Open();
  view.SelectPage(PanelPage::kSync);
  const CDriverData& panel = CDriverData::Instance();
  ASSERT_EQ(panel.devices.size(), 2u);
  const std::uint32_t before = panel.devices[0]->deviceId;
  ASSERT_EQ(machine->SetControlPresent(false), 0u);
  ASSERT_EQ(machine->SetControlPresent(true), 0u);
  // The units that came back are new ones, under new identifiers.
  ASSERT_TRUE(PumpUntil([&] {
    return panel.IsOpen() && panel.devices.size() == 2 && panel.devices[0]->deviceId != before;
  }));

  const std::uint32_t other = panel.rateInfo.currentRate == 48000 ? 44100 : 48000;
  testsupport::ChildProcess setter;
  ASSERT_TRUE(
      setter.Start(WindowsPath(PANELCHECK_PATH), std::to_wstring(other).insert(0, L"--rate ")));
  ASSERT_TRUE(testsupport::Eventually([&] { return setter.Ended(); }));
  ASSERT_EQ(setter.ExitCode(), 0u);
  EXPECT_TRUE(PumpUntil([&] { return panel.rateInfo.currentRate == other; }));
  HWND combo = view.SyncPage().Item(IDC_RATE_COMBO);
  const LRESULT shown = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(shown), 0),
            static_cast<LRESULT>(other));

  // The fixture's own client died with the old driver: one request lets it
  // close, so the next test opens it afresh.
  qdl::DriverVersion version{};
  Driver().GetDriverVersion(&version);
}

TEST(PanelProcesses, ASecondCopyWithAsioSwitchesTheFirstToSettingsAndEnds) {
  // Both copies run on a simulated driver of their own.
  SetEnvironmentVariableW(L"KORVANE_SIMULATOR", L"devices=1");
  Process first;
  ASSERT_TRUE(first.Start(L""));
  ASSERT_TRUE(testsupport::Eventually([] { return RunningPanel() != nullptr; }));
  HWND frame = RunningPanel();
  EXPECT_TRUE(testsupport::Eventually([&] { return PageShown(frame, IDC_DEVICE_LIST); }));
  EXPECT_FALSE(PageShown(frame, IDC_STREAM_SLIDER));

  // Without the option the second copy only brings the first forward.
  {
    Process second;
    ASSERT_TRUE(second.Start(L"/quiet"));
    EXPECT_TRUE(testsupport::Eventually([&] { return second.Ended(); }));
    EXPECT_NE(second.ExitCode(), 0u);
    EXPECT_TRUE(PageShown(frame, IDC_DEVICE_LIST));
  }

  ShowWindow(frame, SW_MINIMIZE);
  ASSERT_TRUE(testsupport::Eventually([&] { return IsIconic(frame) != FALSE; }));
  Process second;
  ASSERT_TRUE(second.Start(L"x -ASIO"));
  EXPECT_TRUE(testsupport::Eventually([&] { return second.Ended(); }));
  EXPECT_NE(second.ExitCode(), 0u);
  EXPECT_TRUE(testsupport::Eventually([&] { return PageShown(frame, IDC_STREAM_SLIDER); }));
  EXPECT_FALSE(PageShown(frame, IDC_DEVICE_LIST));
  EXPECT_FALSE(IsIconic(frame));
  EXPECT_EQ(RunningPanel(), frame);

  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_TRUE(testsupport::Eventually([&] { return first.Ended(); }));
  EXPECT_EQ(first.ExitCode(), 0u);
  SetEnvironmentVariableW(L"KORVANE_SIMULATOR", nullptr);
}

}  // namespace
