// The Devices, Channels and Streams pages as a user works them, on the
// simulated X-Tamber's kernel-mode driver: what they show, what each control
// does and what the driver ends up holding.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "panel/app/resstrings.h"
#include "panel/drivertext.h"
#include "panel/pages/ansiname.h"
#include "tests/windows/panelwindow.h"

namespace {

using testsupport::PumpUntil;

constexpr wchar_t kDefaultName[] = L"Korvane X-Tamber";

class DevicePages : public PanelWindow {
 protected:
  // Three units, the view open on `page`.
  void OpenOn(PanelPage page) {
    ASSERT_EQ(machine->Reset(3), 0u);
    Open().SelectPage(page);
  }
  CDevicesPage& Devices() { return static_cast<CDevicesPage&>(View().Page(PanelPage::kDevices)); }
  CChannelsPage& Channels(PanelPage page) { return static_cast<CChannelsPage&>(View().Page(page)); }
  CStreamsPage& Streams() { return static_cast<CStreamsPage&>(View().Page(PanelPage::kStreams)); }
  bool Shown(HWND window) { return IsWindowVisible(window) != FALSE; }

  // The next rename dialog shows its name (kept in `shownName`), is given
  // `text` and ends with `button`.
  void AnswerRename(int editId, std::wstring text, int button = IDOK) {
    app::Dialog::SetModalHook([this, editId, text, button](app::Dialog& dialog, HWND owner) {
      EXPECT_TRUE(dialog.CreateModeless(owner));
      shownName = Text(GetDlgItem(dialog.Handle(), editId));
      SetDlgItemTextW(dialog.Handle(), editId, text.c_str());
      SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
      return dialog.Result();
    });
  }
  int SetRequests(std::uint32_t code) {
    const auto requests = machine->Requests();
    return static_cast<int>(std::count_if(
        requests.begin(), requests.end(),
        [code](const auto& request) { return request.device == -1 && request.code == code; }));
  }

  // `units` units A, B, ... with the one in the last slot ranked first and A
  // last; then that unit leaves while the Streams page is shown, unheard by
  // the other pages (their rows stay as they were), and the view goes back
  // to `page`. The ids of A and B come back.
  void LeaveWhileStreamsShown(PanelPage page, std::uint32_t units, std::uint32_t* a,
                              std::uint32_t* b) {
    ASSERT_EQ(machine->Reset(units), 0u);
    Open().SelectPage(page);
    ASSERT_EQ(Driver().LoadDevices(), 0u);
    *a = Driver().devices[0]->deviceId;
    *b = Driver().devices[1]->deviceId;
    Driver().devices[0]->rank = units - 1;
    Driver().devices[units - 1]->rank = 0;
    ASSERT_EQ(Driver().StoreDevices(), 0u);
    View().RefreshAllPages();
    View().Notifier().SetTarget(nullptr, 0, 0, 0);
    testsupport::PumpPending();
    ASSERT_EQ(machine->SetDeviceCount(units - 1), 0u);
    UnseenReload(page);
  }
  // The Streams page reloads the units; the view goes back to `page`.
  void UnseenReload(PanelPage page) {
    View().SelectPage(PanelPage::kStreams);
    View().SelectPage(page);
  }

  std::wstring shownName;
};

TEST(AnsiName, DoubleByteCharactersAreKeptWholeOrLeftOut) {
  // Code page 932: a kanji is a lead and a trail byte.
  std::wstring text(38, L'a');
  text += L"\x6F22";
  EXPECT_EQ(AnsiName(text, 932), std::string(38, 'a'));
  EXPECT_EQ(AnsiName(L"\x6F22\x5B57", 932), "\x8A\xBF\x8E\x9A");
  EXPECT_EQ(AnsiName(L"M\xFCller", 1252), "M\xFCller");
}

TEST_F(DevicePages, UnitsNamedAfterTheirSerialNumberGetTheDefaultNameOnce) {
  OpenOn(PanelPage::kDevices);
  CListView& list = Devices().List();
  ASSERT_EQ(list.Count(), 3);
  ASSERT_EQ(Driver().LoadDevices(), 0u);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(list.Text(row, 0), kDefaultName);
    EXPECT_EQ(NameText(Driver().devices[static_cast<std::size_t>(row)]->name), "Korvane X-Tamber");
    EXPECT_EQ(list.Text(row, 1),
              app::FromAnsi(Driver().devices[static_cast<std::size_t>(row)]->serialNumber));
  }
  EXPECT_EQ(StatusText(1), L"3 Device(s) connected.");

  // Named back after its serial number, the unit keeps that name: the page
  // does not write the default again on the refresh the change brings.
  DeviceInfo renamed = *Driver().devices[1];
  SetName(renamed.name, renamed.serialNumber);
  ASSERT_EQ(Driver().SetDeviceInfo(renamed), 0u);
  const std::wstring serial = app::FromAnsi(renamed.serialNumber);
  ASSERT_TRUE(PumpUntil([&] { return list.Text(1, 0) == serial; }));
  ASSERT_EQ(machine->ClearLogs(), 0u);
  View().RefreshAllPages();
  EXPECT_EQ(list.Text(1, 0), serial);
  EXPECT_EQ(SetRequests(DriverRequest::kSetDeviceInfo), 0);
}

TEST_F(DevicePages, UpDownAndApplyRankTheDevicesAndTheChannelsFollow) {
  OpenOn(PanelPage::kDevices);
  CDevicesPage& page = Devices();
  EXPECT_FALSE(Enabled(page.Item(IDC_EDIT_DEVICE_NAME)));
  EXPECT_FALSE(Shown(page.Item(IDC_RANKING_HELP)));

  page.List().SelectAndFocus(1);
  EXPECT_TRUE(Enabled(page.Item(IDC_UP)) && Enabled(page.Item(IDC_DOWN)));
  EXPECT_TRUE(Shown(page.Item(IDC_RANKING_HELP)));
  ASSERT_EQ(Driver().LoadDevices(), 0u);
  const std::uint32_t third = Driver().devices[2]->deviceId;
  const std::uint32_t first = Driver().devices[0]->deviceId;

  // A move not applied is gone with the next refresh, and so is "Apply".
  Click(page.Item(IDC_DOWN));
  EXPECT_EQ(page.List().SelectedRow(), 2);
  EXPECT_TRUE(Enabled(page.Item(IDC_RANKING_APPLY)));
  View().RefreshAllPages();
  EXPECT_FALSE(Enabled(page.Item(IDC_RANKING_APPLY)));
  EXPECT_EQ(static_cast<std::uint32_t>(page.List().ItemData(2)), third);

  page.List().SelectAndFocus(2);
  Click(page.Item(IDC_UP));
  Click(page.Item(IDC_UP));
  EXPECT_EQ(page.List().SelectedRow(), 0);
  EXPECT_FALSE(Enabled(page.Item(IDC_UP)));
  EXPECT_TRUE(Enabled(page.Item(IDC_RANKING_APPLY)));
  ASSERT_EQ(Driver().LoadDevices(), 0u);
  EXPECT_EQ(Driver().devices[0]->deviceId, first)
      << "the driver hears of the order only with Apply";

  Click(page.Item(IDC_RANKING_APPLY));
  EXPECT_FALSE(Enabled(page.Item(IDC_RANKING_APPLY)));
  ASSERT_EQ(Driver().LoadDevices(), 0u);
  ASSERT_EQ(Driver().devices.size(), 3u);
  EXPECT_EQ(Driver().devices[0]->deviceId, third);
  EXPECT_EQ(Driver().devices[1]->deviceId, first);
  for (std::uint32_t rank = 0; rank < 3; ++rank) EXPECT_EQ(Driver().devices[rank]->rank, rank);

  // The Channels pages reloaded at once, before any notification was read.
  const CDriverData& panel = CDriverData::Instance();
  CListView& inputs = Channels(PanelPage::kInputChannels).List();
  ASSERT_GT(inputs.Count(), 0);
  EXPECT_EQ(panel.inputChannels[static_cast<std::size_t>(inputs.ItemData(0))]->deviceId, third);

  // Another page's reload that lost the records (a failed request) leaves
  // the rows without them: a move then keeps every row where it is.
  page.List().SelectAndFocus(1);
  CDriverData::Instance().devices.clear();
  Click(page.Item(IDC_UP));
  EXPECT_EQ(page.List().Count(), 3);
  EXPECT_EQ(page.List().Text(1, 0), kDefaultName);
}

TEST_F(DevicePages, ARenameStoresWhatTheNameFieldHolds) {
  OpenOn(PanelPage::kDevices);
  CDevicesPage& page = Devices();
  page.List().SelectAndFocus(0);

  const std::wstring fifty = L"Studio A rack 2, left side, the X-Tamber by door 5";
  ASSERT_EQ(fifty.size(), 50u);
  AnswerRename(IDC_DEVICE_NAME, fifty);
  Click(page.Item(IDC_EDIT_DEVICE_NAME));
  EXPECT_EQ(shownName, kDefaultName);
  ASSERT_EQ(Driver().LoadDevices(), 0u);
  EXPECT_EQ(NameText(Driver().devices[0]->name), app::ToAnsi(fifty.substr(0, 39)));
  EXPECT_EQ(page.List().Text(0, 0), fifty.substr(0, 39));

  // Text beyond ASCII goes to the driver in the system's code page.
  const std::wstring accented =
      L"B\xFChne S\xFC"
      L"d \xC9tage";
  AnswerRename(IDC_DEVICE_NAME, accented);
  Click(page.Item(IDC_EDIT_DEVICE_NAME));
  ASSERT_EQ(Driver().LoadDevices(), 0u);
  if (GetACP() == 1252) {
    EXPECT_EQ(NameText(Driver().devices[0]->name), "B\xFChne S\xFC" "d \xC9tage");
  }
  EXPECT_EQ(page.List().Text(0, 0), accented);
  // The Channels pages show the new name at once, before any notification is read.
  EXPECT_EQ(Channels(PanelPage::kInputChannels).List().Text(0, 0), accented);

  ASSERT_EQ(machine->ClearLogs(), 0u);
  AnswerRename(IDC_DEVICE_NAME, L"never sent", IDCANCEL);
  Click(page.Item(IDC_EDIT_DEVICE_NAME));
  EXPECT_EQ(SetRequests(DriverRequest::kSetDeviceInfo), 0);
}

// The driver notifies while the rename dialog is open: the unit ranked first
// leaves, and the ranks behind it close up. The rename must not send the rank
// the dialog started from.
TEST_F(DevicePages, ARenameKeepsTheRanksTheDriverHoldsWhenAUnitLeavesMeanwhile) {
  OpenOn(PanelPage::kDevices);
  ASSERT_EQ(Driver().LoadDevices(), 0u);
  const std::uint32_t a = Driver().devices[0]->deviceId, b = Driver().devices[1]->deviceId;
  Driver().devices[0]->rank = 2;  // C, B, A: the unit in the last slot first
  Driver().devices[2]->rank = 0;
  ASSERT_EQ(Driver().StoreDevices(), 0u);
  View().RefreshAllPages();
  CDevicesPage& page = Devices();
  for (int row = 0; row < page.List().Count(); ++row)
    if (static_cast<std::uint32_t>(page.List().ItemData(row)) == b) page.List().SelectAndFocus(row);

  app::Dialog::SetModalHook([&](app::Dialog& dialog, HWND owner) -> INT_PTR {
    if (!dialog.CreateModeless(owner)) return -1;
    SetDlgItemTextW(dialog.Handle(), IDC_DEVICE_NAME, L"Booth");
    EXPECT_EQ(machine->SetDeviceCount(2), 0u);  // the unit in the last slot, C, leaves
    EXPECT_TRUE(PumpUntil([&] { return page.List().Count() == 2; }));
    SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return dialog.Result();
  });
  Click(page.Item(IDC_EDIT_DEVICE_NAME));

  ASSERT_EQ(Driver().LoadDevices(), 0u);
  ASSERT_EQ(Driver().devices.size(), 2u);
  EXPECT_EQ(Driver().devices[0]->deviceId, b) << "B stays before A";
  EXPECT_EQ(Driver().devices[0]->rank, 0u);
  EXPECT_EQ(Driver().devices[1]->deviceId, a);
  EXPECT_EQ(Driver().devices[1]->rank, 1u);
  EXPECT_EQ(NameText(Driver().devices[0]->name), "Booth");
}

// Rows made before a unit left, while another page reloaded the units: each
// action reaches the row's own unit, and a row whose unit is gone only
// refreshes the page.
TEST_F(DevicePages, RowsFromBeforeAUnitLeftRenameAndRankOnlyTheirOwnUnits) {
  std::uint32_t a = 0, b = 0;
  LeaveWhileStreamsShown(PanelPage::kDevices, 3, &a, &b);
  CDevicesPage& page = Devices();
  ASSERT_EQ(page.List().Count(), 3);  // C, B, A

  int asked = 0;
  app::Dialog::SetModalHook([&](app::Dialog& dialog, HWND owner) -> INT_PTR {
    ++asked;
    if (!dialog.CreateModeless(owner)) return -1;
    SetDlgItemTextW(dialog.Handle(), IDC_DEVICE_NAME, L"Booth");
    SendMessageW(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return dialog.Result();
  });
  page.List().SelectAndFocus(1);
  Click(page.Item(IDC_EDIT_DEVICE_NAME));
  ASSERT_EQ(Driver().LoadDevices(), 0u);
  ASSERT_EQ(Driver().devices.size(), 2u);
  EXPECT_EQ(NameText(RecordOf(Driver().devices, b)->name), "Booth");
  EXPECT_EQ(NameText(RecordOf(Driver().devices, a)->name), "Korvane X-Tamber");

  EXPECT_EQ(asked, 1);
  ASSERT_EQ(page.List().Count(), 2);  // B, A

  // Rows moved, then B leaves before "Apply": no ranks go out, and the page
  // shows the unit that is left.
  page.List().SelectAndFocus(0);
  Click(page.Item(IDC_DOWN));
  ASSERT_TRUE(Enabled(page.Item(IDC_RANKING_APPLY)));
  ASSERT_EQ(machine->SetDeviceCount(1), 0u);
  UnseenReload(PanelPage::kDevices);
  ASSERT_EQ(page.List().Count(), 2);
  ASSERT_EQ(machine->ClearLogs(), 0u);
  Click(page.Item(IDC_RANKING_APPLY));
  EXPECT_EQ(SetRequests(DriverRequest::kSetDeviceInfo), 0);
  ASSERT_EQ(page.List().Count(), 1);
  EXPECT_EQ(static_cast<std::uint32_t>(page.List().ItemData(0)), a);
  EXPECT_FALSE(Enabled(page.Item(IDC_RANKING_APPLY)));

  // A's row, its unit gone too: no dialog, only the page as the units are.
  ASSERT_EQ(machine->SetDeviceCount(0), 0u);
  UnseenReload(PanelPage::kDevices);
  page.List().SelectAndFocus(0);
  Click(page.Item(IDC_EDIT_DEVICE_NAME));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(page.List().Count(), 0);
}

TEST_F(DevicePages, ACheckInTheClockMasterListFromBeforeAUnitLeftMakesOnlyItsOwnUnitMaster) {
  std::uint32_t a = 0, b = 0;
  LeaveWhileStreamsShown(PanelPage::kSync, 4, &a, &b);
  CSyncPage& sync = View().SyncPage();
  ASSERT_EQ(sync.List().Count(), 5);  // PC Driver, D, B, C, A
  ListView_SetCheckState(sync.List().Handle(), 2, TRUE);
  ASSERT_TRUE(sync.List().IsChecked(2));
  Click(sync.Item(IDC_SOURCES_APPLY));
  ClockMaster master{};
  ASSERT_EQ(Driver().GetClockMaster(&master), 0u);
  EXPECT_EQ(master.kind, kClockMasterDevice);
  EXPECT_EQ(master.deviceId, b);

  // C leaves: its row chooses no master, and the list shows the units as
  // they now are.
  ASSERT_EQ(machine->SetDeviceCount(2), 0u);
  UnseenReload(PanelPage::kSync);
  ASSERT_EQ(sync.List().Count(), 4);  // PC Driver, B, C, A
  ListView_SetCheckState(sync.List().Handle(), 2, TRUE);
  ASSERT_TRUE(PumpUntil([&] { return sync.List().Count() == 3; }));
  EXPECT_TRUE(sync.List().IsChecked(1));
  EXPECT_FALSE(Enabled(sync.Item(IDC_SOURCES_APPLY)));
  ASSERT_EQ(Driver().GetClockMaster(&master), 0u);
  EXPECT_EQ(master.deviceId, b);
}

// The driver leaves every channel record's own identifier at 0: each channel
// still gets its default name, once.
TEST_F(DevicePages, ChannelsGetTheirDefaultNamesWhenTheDriverLeavesTheirIdsAtZero) {
  ASSERT_EQ(machine->Reset(3), 0u);
  ASSERT_EQ(machine->SetFault(tc::kFaultChannelIdZero, 1), 0u);
  Open().SelectPage(PanelPage::kInputChannels);
  ASSERT_EQ(Channels(PanelPage::kInputChannels).List().Count(), 24);
  // This driver refuses the names (a record names no channel it knows), so
  // the names stay; what counts is that each channel was offered its own.
  EXPECT_EQ(SetRequests(DriverRequest::kSetChannelInfo), 48);
  View().RefreshAllPages();
  EXPECT_EQ(SetRequests(DriverRequest::kSetChannelInfo), 48);
}

// The check box shows the driver's mode after every fill, and after a write
// the driver refused.
TEST_F(DevicePages, TheAsioNameModeIsTheDriversAfterEveryFill) {
  OpenOn(PanelPage::kInputChannels);
  CChannelsPage& inputs = Channels(PanelPage::kInputChannels);
  CChannelsPage& outputs = Channels(PanelPage::kOutputChannels);
  View().Notifier().SetTarget(nullptr, 0, 0, 0);
  testsupport::PumpPending();
  ASSERT_EQ(Driver().SetAsioNameMode(1), 0u);
  View().RefreshAllPages();
  EXPECT_EQ(IsDlgButtonChecked(inputs.Handle(), IDC_ASIO_NAME_MODE), BST_CHECKED);
  EXPECT_EQ(inputs.List().Text(0, 2), L"Korvane X-Tamber - In1");

  ASSERT_EQ(
      machine->SetFault(tc::kFaultRequestFailure, DriverRequest::kSetAsioNameMode, 0xE0000022), 0u);
  Click(inputs.Item(IDC_ASIO_NAME_MODE));
  EXPECT_EQ(IsDlgButtonChecked(inputs.Handle(), IDC_ASIO_NAME_MODE), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(outputs.Handle(), IDC_ASIO_NAME_MODE), BST_CHECKED);
  EXPECT_EQ(outputs.List().Text(0, 2), L"Korvane X-Tamber - Out1");
  EXPECT_EQ(StatusText(0), app::FromAnsi(DescribeError(0xE0000022)));
}

TEST_F(DevicePages, ChannelsGetDefaultNamesAndShowTheirAsioNamesOnBothPages) {
  OpenOn(PanelPage::kInputChannels);
  CChannelsPage& inputs = Channels(PanelPage::kInputChannels);
  CChannelsPage& outputs = Channels(PanelPage::kOutputChannels);
  ASSERT_EQ(inputs.List().Count(), 24);
  ASSERT_EQ(outputs.List().Count(), 24);
  EXPECT_EQ(inputs.List().Text(2, 1), L"In3");
  EXPECT_EQ(outputs.List().Text(9, 1), L"Out10");
  EXPECT_EQ(inputs.List().Text(0, 2), L"In1");
  ASSERT_EQ(Driver().LoadChannels(0), 0u);
  EXPECT_EQ(NameText(Driver().inputChannels[2]->channelName), "In3");
  // 24 rows need the vertical scroll bar; the columns still fit beside it.
  HWND list = inputs.List().Handle();
  RECT client;
  GetClientRect(list, &client);
  ASSERT_NE(GetWindowLongPtrW(list, GWL_STYLE) & WS_VSCROLL, 0);
  EXPECT_LE(ListView_GetColumnWidth(list, 0) + ListView_GetColumnWidth(list, 1) +
                ListView_GetColumnWidth(list, 2),
            client.right);

  EXPECT_FALSE(Enabled(inputs.Item(IDC_EDIT_CHANNEL_NAME)));
  inputs.List().SelectAndFocus(0);
  EXPECT_EQ(Text(inputs.Item(IDC_HARDWARE_NAME)), L" Analog In 1");
  EXPECT_TRUE(Enabled(inputs.Item(IDC_EDIT_CHANNEL_NAME)));

  // The check box is the driver's one setting: it changes both pages.
  Click(inputs.Item(IDC_ASIO_NAME_MODE));
  std::uint32_t mode = 0;
  EXPECT_EQ(Driver().GetAsioNameMode(&mode), 0u);
  EXPECT_EQ(mode, 1u);
  EXPECT_EQ(inputs.List().Text(0, 2), L"Korvane X-Tamber - In1");
  EXPECT_EQ(outputs.List().Text(0, 2), L"Korvane X-Tamber - Out1");
  EXPECT_EQ(IsDlgButtonChecked(outputs.Handle(), IDC_ASIO_NAME_MODE), BST_CHECKED);
  Click(outputs.Item(IDC_ASIO_NAME_MODE));
  EXPECT_EQ(inputs.List().Text(0, 2), L"In1");
  EXPECT_EQ(IsDlgButtonChecked(inputs.Handle(), IDC_ASIO_NAME_MODE), BST_UNCHECKED);

  // An emptied name stays empty: it no longer equals the hardware name.
  AnswerRename(IDC_CHANNEL_NAME, L"");
  Click(inputs.Item(IDC_EDIT_CHANNEL_NAME));
  EXPECT_EQ(shownName, L"In1");
  View().RefreshAllPages();
  EXPECT_EQ(inputs.List().Text(0, 1), L"");
  ASSERT_EQ(Driver().LoadChannels(0), 0u);
  EXPECT_EQ(NameText(Driver().inputChannels[0]->channelName), "");
}

TEST_F(DevicePages, StreamsShowEachPlugAndTheDriversErrorForAFailedConnect) {
  ASSERT_EQ(machine->Reset(3), 0u);
  // The second unit's synch-in plug cannot get its bandwidth.
  ASSERT_EQ(machine->SetFault(tc::kFaultPlug, 1 << 8 | 3, 0xE0000073), 0u);
  Open().SelectPage(PanelPage::kStreams);
  CListView& list = Streams().List();
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Text(1, 1), L"connected (2)");
  EXPECT_EQ(list.Text(1, 3), L"");
  EXPECT_EQ(list.Text(1, 4), L"connect failed");
  EXPECT_EQ(Streams().DetailText(), L"");

  list.SelectAndFocus(1);
  const std::wstring detail = Streams().DetailText();
  EXPECT_EQ(detail.substr(0, detail.find(L'\n')), L"AudioOutPlug: successfully connected");
  EXPECT_NE(detail.find(L"\n   Isochronous stream number: 2\n"), std::wstring::npos);
  EXPECT_NE(
      detail.find(
          L"\n\nSynchInPlug: connect failed (Error code 0xE0000073: Bandwidth allocation failed.)"),
      std::wstring::npos);
  EXPECT_EQ(Text(Streams().Item(IDC_STREAM_DETAIL)), detail);
}

TEST_F(DevicePages, AUnitArrivingAndLeavingShowsOnThePageOnDisplay) {
  OpenOn(PanelPage::kDevices);
  CListView& devices = Devices().List();
  ASSERT_EQ(machine->SetDeviceCount(4), 0u);
  ASSERT_TRUE(
      PumpUntil([&] { return devices.Count() == 4 && devices.Text(3, 0) == kDefaultName; }));
  EXPECT_EQ(StatusText(1), L"4 Device(s) connected.");

  View().SelectPage(PanelPage::kStreams);
  ASSERT_EQ(Streams().List().Count(), 4);
  ASSERT_EQ(machine->SetDeviceCount(2), 0u);
  ASSERT_TRUE(PumpUntil([&] { return Streams().List().Count() == 2; }));
  EXPECT_EQ(devices.Count(), 2);
  EXPECT_EQ(StatusText(1), L"2 Device(s) connected.");
  EXPECT_EQ(Channels(PanelPage::kOutputChannels).List().Count(), 16);

  ASSERT_EQ(machine->SetDeviceCount(0), 0u);
  ASSERT_TRUE(PumpUntil([&] { return devices.Count() == 0; }));
  EXPECT_EQ(StatusText(1), L"0 Device(s) connected.");
  EXPECT_FALSE(Enabled(Devices().Item(IDC_EDIT_DEVICE_NAME)));
}

}  // namespace
