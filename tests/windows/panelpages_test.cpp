// The Synchronisation and Settings pages as a user works them, on the
// simulated X-Tamber's kernel-mode driver: what they show from the driver,
// what each control does and what the driver receives.
#include <gtest/gtest.h>

#include <string>

#include "panel/app/resstrings.h"
#include "panel/drivertext.h"
#include "panel/pages/syncmodedlg.h"
#include "tests/gui/accessprobe.h"
#include "tests/windows/panelwindow.h"

namespace {

using testsupport::PumpUntil;

class SyncPage : public PanelWindow {
 protected:
  void SetUp() override {
    PanelWindow::SetUp();
    CQDL_CPLView& view = Open();
    view.SelectPage(PanelPage::kSync);
    page = &view.SyncPage();
    list = page->List().Handle();
  }
  bool Checked(int row) { return page->List().IsChecked(row); }
  int CheckedRows() {
    int checked = 0;
    for (int row = 0; row < page->List().Count(); ++row) checked += Checked(row);
    return checked;
  }
  void Check(int row, bool checked) { ListView_SetCheckState(list, row, checked ? TRUE : FALSE); }
  bool RadioChecked(int id) { return IsDlgButtonChecked(page->Handle(), id) == BST_CHECKED; }
  HWND Combo() { return page->Item(IDC_RATE_COMBO); }
  void ChooseRate(int item) {
    SendMessageW(Combo(), CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    SendMessageW(page->Handle(), WM_COMMAND, MAKEWPARAM(IDC_RATE_COMBO, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Combo()));
  }
  std::wstring ComboText(int item) {
    wchar_t text[32] = {};
    SendMessageW(Combo(), CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text));
    return text;
  }
  ClockMaster DriversMaster() {
    ClockMaster master{};
    EXPECT_EQ(Driver().GetClockMaster(&master), 0u);
    return master;
  }

  CSyncPage* page = nullptr;
  HWND list = nullptr;
};

TEST_F(SyncPage, ThePcDriverIsMasterAtFirstAndTheRateIsSetByHand) {
  ASSERT_EQ(page->List().Count(), 3);
  EXPECT_EQ(page->List().Text(0, 1), L"PC Driver");
  EXPECT_EQ(page->List().Text(0, 2), L"Internal");
  EXPECT_TRUE(Checked(0));
  EXPECT_EQ(CheckedRows(), 1);
  EXPECT_EQ(page->List().Text(1, 2), L"CSP (Internal)");
  EXPECT_TRUE(RadioChecked(IDC_RATE_MANUAL));
  EXPECT_FALSE(Enabled(page->Item(IDC_RATE_MANUAL)));
  EXPECT_FALSE(Enabled(page->Item(IDC_RATE_AUTOMATIC)));
  EXPECT_FALSE(Enabled(page->Item(IDC_SOURCES_APPLY)));
  EXPECT_FALSE(Enabled(page->Item(IDC_CHANGE_MODE)));
  EXPECT_TRUE(Enabled(Combo()));
}

TEST_F(SyncPage, OneRowIsTheClockMasterAndApplySendsItInsideAStreamingRestart) {
  Check(2, true);
  EXPECT_TRUE(Checked(2));
  EXPECT_EQ(CheckedRows(), 1);
  EXPECT_EQ(page->List().Text(0, 2), L"External");
  EXPECT_TRUE(Enabled(page->Item(IDC_RATE_MANUAL)));
  EXPECT_TRUE(Enabled(page->Item(IDC_RATE_AUTOMATIC)));
  EXPECT_TRUE(Enabled(page->Item(IDC_SOURCES_APPLY)));

  // The master cannot be unchecked.
  Check(2, false);
  EXPECT_TRUE(Checked(2));
  EXPECT_EQ(CheckedRows(), 1);

  // Following the master's rate leaves no rate to choose.
  Click(page->Item(IDC_RATE_AUTOMATIC));
  EXPECT_FALSE(Enabled(Combo()));
  // The PC driver's rate is always set by hand.
  Check(0, true);
  EXPECT_TRUE(RadioChecked(IDC_RATE_MANUAL));
  EXPECT_TRUE(Enabled(Combo()));
  EXPECT_FALSE(Enabled(page->Item(IDC_RATE_AUTOMATIC)));

  Check(2, true);
  Click(page->Item(IDC_RATE_AUTOMATIC));
  ASSERT_EQ(machine->ClearLogs(), 0u);
  Click(page->Item(IDC_SOURCES_APPLY));
  std::vector<std::uint32_t> sent;
  for (const simulator::RequestRecord& request : machine->Requests())
    if (request.device == -1 && request.code >= DriverRequest::kStartStreaming - 0x200)
      sent.push_back(request.code);
  const std::vector<std::uint32_t> order = {
      DriverRequest::kStopStreaming, DriverRequest::kSetClockMaster,
      DriverRequest::kSetRateMode,   DriverRequest::kSetSyncSource,
      DriverRequest::kSetSyncSource, DriverRequest::kStartStreaming};
  std::vector<std::uint32_t> setRequests;
  for (std::uint32_t code : sent)
    if (std::find(order.begin(), order.end(), code) != order.end()) setRequests.push_back(code);
  EXPECT_EQ(setRequests, order);
  ASSERT_EQ(Driver().LoadDevices(), 0u);
  EXPECT_EQ(DriversMaster().kind, kClockMasterDevice);
  EXPECT_EQ(DriversMaster().deviceId, Driver().devices[1]->deviceId);
  std::uint32_t rateMode = 0;
  EXPECT_EQ(Driver().GetRateMode(&rateMode), 0u);
  EXPECT_EQ(rateMode, 1u);
  // The list shows what the driver now holds.
  EXPECT_TRUE(Checked(2));
  EXPECT_TRUE(RadioChecked(IDC_RATE_AUTOMATIC));
  EXPECT_FALSE(Enabled(page->Item(IDC_SOURCES_APPLY)));
}

TEST_F(SyncPage, AnApplyThatCannotStopStreamingSendsNothingAndCanBeTriedAgain) {
  ASSERT_EQ(machine->SetFault(tc::kFaultRequestFailure, DriverRequest::kStopStreaming, 0xE0000076),
            0u);
  Check(1, true);
  Click(page->Item(IDC_SOURCES_APPLY));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find(L"Error code 0xE0000076: Start streaming failed."), std::wstring::npos)
      << app::ToAnsi(messages[0]);
  EXPECT_EQ(captions[0], L"QDL_CPL");
  EXPECT_EQ(DriversMaster().kind, kClockMasterPc);
  EXPECT_TRUE(Checked(1));
  EXPECT_TRUE(Enabled(page->Item(IDC_SOURCES_APPLY)));

  ASSERT_EQ(machine->SetFault(tc::kFaultRequestFailure, 0, 0), 0u);
  Click(page->Item(IDC_SOURCES_APPLY));
  EXPECT_EQ(DriversMaster().kind, kClockMasterDevice);
  EXPECT_FALSE(Enabled(page->Item(IDC_SOURCES_APPLY)));
}

TEST_F(SyncPage, TheModeDialogKeepsOneModeCheckedAndOkChangesOnlyThePage) {
  page->List().SelectAndFocus(2);
  ASSERT_TRUE(Enabled(page->Item(IDC_CHANGE_MODE)));
  std::vector<bool> initial;
  int checkedAfter = -1, checkedCount = 0;
  app::Dialog::SetModalHook([&](app::Dialog& dialog, HWND owner) -> INT_PTR {
    EXPECT_EQ(dialog.TemplateId(), static_cast<unsigned>(IDD_SYNCMODE));
    if (!dialog.CreateModeless(owner)) return -1;
    CListView& modes = static_cast<CSyncModeDlg&>(dialog).List();
    for (int row = 0; row < modes.Count(); ++row) initial.push_back(modes.IsChecked(row));
    ListView_SetCheckState(modes.Handle(), 1, TRUE);
    for (int row = 0; row < modes.Count(); ++row) {
      checkedCount += modes.IsChecked(row);
      if (modes.IsChecked(row)) checkedAfter = row;
    }
    Click(dialog.Item(IDOK));
    return dialog.Result();
  });
  Click(page->Item(IDC_CHANGE_MODE));
  ASSERT_EQ(initial.size(), 4u);
  EXPECT_EQ(initial, (std::vector<bool>{true, false, false, false}));
  EXPECT_EQ(checkedCount, 1);
  EXPECT_EQ(checkedAfter, 1);

  ASSERT_EQ(Driver().LoadSyncInfo(), 0u);
  const SyncSource chosen = Driver().syncInfos[1]->modes[1];
  EXPECT_EQ(page->List().Text(2, 2), app::FromAnsi(DescribeSource(chosen)));
  EXPECT_TRUE(Enabled(page->Item(IDC_SOURCES_APPLY)));
  // The driver hears of it only with "Apply".
  EXPECT_EQ(Driver().syncInfos[1]->current.sourceId, Driver().syncInfos[1]->modes[0].sourceId);
  Click(page->Item(IDC_SOURCES_APPLY));
  ASSERT_EQ(Driver().LoadSyncInfo(), 0u);
  EXPECT_EQ(Driver().syncInfos[1]->current.sourceId, chosen.sourceId);
  EXPECT_EQ(page->List().Text(2, 2), app::FromAnsi(DescribeSource(chosen)));

  // Cancel changes nothing; the PC row has no modes.
  app::Dialog::SetModalHook([](app::Dialog&, HWND) -> INT_PTR { return IDCANCEL; });
  page->List().SelectAndFocus(1);
  Click(page->Item(IDC_CHANGE_MODE));
  EXPECT_EQ(page->List().Text(1, 2), L"CSP (Internal)");
  page->List().SelectAndFocus(0);
  EXPECT_FALSE(Enabled(page->Item(IDC_CHANGE_MODE)));
}

TEST_F(SyncPage, TheModeDialogsChoiceSurvivesAReloadWhileItIsOpen) {
  // The driver notifies while the dialog is open: unit 2 goes, so the page
  // reloads its records and its list under the dialog.
  auto chooseWhileUnitTwoGoes = [&](int row) {
    page->List().SelectAndFocus(row);
    app::Dialog::SetModalHook([&](app::Dialog& dialog, HWND owner) -> INT_PTR {
      if (!dialog.CreateModeless(owner)) return -1;
      ListView_SetCheckState(static_cast<CSyncModeDlg&>(dialog).List().Handle(), 1, TRUE);
      EXPECT_EQ(machine->SetDeviceCount(1), 0u);
      EXPECT_TRUE(PumpUntil([&] { return page->List().Count() == 2; }));
      Click(dialog.Item(IDOK));
      return dialog.Result();
    });
    Click(page->Item(IDC_CHANGE_MODE));
  };

  chooseWhileUnitTwoGoes(2);
  EXPECT_EQ(page->List().Count(), 2);
  EXPECT_EQ(page->List().Text(1, 2), L"CSP (Internal)") << "unit 1 keeps its source";
  EXPECT_FALSE(Enabled(page->Item(IDC_SOURCES_APPLY))) << "a unit that has gone takes nothing";

  ASSERT_EQ(machine->SetDeviceCount(2), 0u);
  ASSERT_TRUE(PumpUntil([&] { return page->List().Count() == 3; }));
  chooseWhileUnitTwoGoes(1);
  const SyncSource chosen = Driver().syncInfos[0]->modes[1];
  EXPECT_EQ(page->List().Text(1, 2), app::FromAnsi(DescribeSource(chosen)));
  EXPECT_TRUE(Enabled(page->Item(IDC_SOURCES_APPLY)));
  Click(page->Item(IDC_SOURCES_APPLY));
  ASSERT_EQ(Driver().LoadSyncInfo(), 0u);
  EXPECT_EQ(Driver().syncInfos[0]->current.sourceId, chosen.sourceId);
}

TEST_F(SyncPage, TheRateListShowsTheDriversRatesAndItsApplySendsTheChoice) {
  ASSERT_EQ(SendMessageW(Combo(), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(ComboText(0), L"44.1 kHz");
  EXPECT_EQ(ComboText(1), L"48.0 kHz");
  EXPECT_EQ(ComboText(3), L"96.0 kHz");
  EXPECT_EQ(SendMessageW(Combo(), CB_GETCURSEL, 0, 0), 1);
  EXPECT_FALSE(Enabled(page->Item(IDC_RATE_APPLY)));

  ChooseRate(3);
  EXPECT_TRUE(Enabled(page->Item(IDC_RATE_APPLY)));
  Click(page->Item(IDC_RATE_APPLY));
  RateInfo rate{};
  ASSERT_EQ(Driver().GetRateInfo(&rate), 0u);
  EXPECT_EQ(rate.currentRate, 96000u);
  EXPECT_EQ(SendMessageW(Combo(), CB_GETCURSEL, 0, 0), 3);
  EXPECT_FALSE(Enabled(page->Item(IDC_RATE_APPLY)));
  EXPECT_TRUE(messages.empty());

  // While a WDM sound device plays the rate stays, and the user is told why.
  ASSERT_EQ(machine->SetFault(tc::kFaultWdmInUse, 1), 0u);
  ChooseRate(0);
  Click(page->Item(IDC_RATE_APPLY));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0],
            L"A WDM sound device is currently in use.\nSampling rate cannot be changed.");
  EXPECT_EQ(types[0], static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(SendMessageW(Combo(), CB_GETCURSEL, 0, 0), 3);
}

TEST_F(SyncPage, ARefillLeavesNothingToApply) {
  ChooseRate(3);
  Check(2, true);
  ASSERT_TRUE(Enabled(page->Item(IDC_RATE_APPLY)));
  ASSERT_TRUE(Enabled(page->Item(IDC_SOURCES_APPLY)));
  View().RefreshAllPages();
  EXPECT_TRUE(Checked(0)) << "the driver's master again";
  EXPECT_EQ(SendMessageW(Combo(), CB_GETCURSEL, 0, 0), 1);
  EXPECT_FALSE(Enabled(page->Item(IDC_SOURCES_APPLY)));
  EXPECT_FALSE(Enabled(page->Item(IDC_RATE_APPLY)));
}

// What the driver refuses is reloaded as it was, and its error text stays in
// the status bar until the user changes the page.
TEST_F(SyncPage, AWriteTheDriverRefusesShowsItsErrorUntilThePageChanges) {
  const std::wstring refused = app::FromAnsi(DescribeError(0xE0000080));
  ASSERT_EQ(machine->SetFault(tc::kFaultRequestFailure, DriverRequest::kSetSampleRate, 0xE0000080),
            0u);
  ChooseRate(3);
  Click(page->Item(IDC_RATE_APPLY));
  EXPECT_EQ(SendMessageW(Combo(), CB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(StatusText(0), refused);
  View().RefreshAllPages();
  EXPECT_EQ(StatusText(0), refused);

  ASSERT_EQ(machine->SetFault(tc::kFaultRequestFailure, DriverRequest::kSetSyncSource, 0xE0000022),
            0u);
  Check(1, true);
  Click(page->Item(IDC_SOURCES_APPLY));
  EXPECT_EQ(StatusText(0), app::FromAnsi(DescribeError(0xE0000022)));

  View().SelectPage(PanelPage::kSettings);
  EXPECT_EQ(StatusText(0), L"Settings");
  ASSERT_EQ(machine->SetFault(tc::kFaultRequestFailure, DriverRequest::kSetAsioBuffer, 0xE0000080),
            0u);
  CSettingsPage& settings = View().SettingsPage();
  SendMessageW(settings.Item(IDC_ASIO_SLIDER), TBM_SETPOS, TRUE, 11);
  SendMessageW(settings.Handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 11),
               reinterpret_cast<LPARAM>(settings.Item(IDC_ASIO_SLIDER)));
  Click(settings.Item(IDC_ASIO_APPLY));
  EXPECT_EQ(StatusText(0), refused);
  EXPECT_EQ(Text(settings.Item(IDC_ASIO_TEXT)), L"5.0 ms\n256 samples");

  View().SelectPage(PanelPage::kDevices);
  ASSERT_EQ(machine->SetFault(tc::kFaultRequestFailure, DriverRequest::kSetDeviceInfo, 0xE0000022),
            0u);
  CDevicesPage& devices = static_cast<CDevicesPage&>(View().Page(PanelPage::kDevices));
  devices.List().SelectAndFocus(1);
  Click(devices.Item(IDC_UP));
  Click(devices.Item(IDC_RANKING_APPLY));
  EXPECT_EQ(StatusText(0), app::FromAnsi(DescribeError(0xE0000022)));
}

TEST_F(SyncPage, ADriverWhoseCountsAndNamesOverrunTheirRecordsIsShownWithinThem) {
  ASSERT_EQ(machine->SetFault(tc::kFaultUnterminatedNames, 1), 0u);
  View().RefreshAllPages();
  ASSERT_EQ(page->List().Count(), 3);
  for (int row = 1; row < page->List().Count(); ++row)
    EXPECT_EQ(page->List().Text(row, 1).size(), kNameMaxChars);

  // Counts past their records' room: the lists stop at the room.
  ASSERT_EQ(machine->SetFault(tc::kFaultOversizeCounts, 1), 0u);
  View().RefreshAllPages();
  EXPECT_LE(SendMessageW(Combo(), CB_GETCOUNT, 0, 0), static_cast<LRESULT>(kMaxRates));
  Driver().LoadSyncInfo();  // the made-up identifiers past the real units fail
  ASSERT_FALSE(Driver().syncInfos.empty());
  int modes = -1;
  app::Dialog::SetModalHook([&](app::Dialog& dialog, HWND owner) -> INT_PTR {
    if (!dialog.CreateModeless(owner)) return -1;
    modes = static_cast<CSyncModeDlg&>(dialog).List().Count();
    Click(dialog.Item(IDCANCEL));
    return dialog.Result();
  });
  CSyncModeDlg(*Driver().syncInfos[0]).DoModal(Frame());
  EXPECT_EQ(modes, static_cast<int>(kMaxSyncModes));
}

class SettingsPage : public PanelWindow {
 protected:
  void SetUp() override {
    PanelWindow::SetUp();
    CQDL_CPLView& view = Open(true);
    page = &view.SettingsPage();
  }
  LRESULT Position(int slider) { return SendMessageW(page->Item(slider), TBM_GETPOS, 0, 0); }
  void MoveTo(int slider, int position) {
    SendMessageW(page->Item(slider), TBM_SETPOS, TRUE, position);
    SendMessageW(page->Handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
                 reinterpret_cast<LPARAM>(page->Item(slider)));
  }
  CSettingsPage* page = nullptr;
};

TEST_F(SettingsPage, TheSlidersShowTheDriversDepthsInMillisecondsAndSamples) {
  HWND stream = page->Item(IDC_STREAM_SLIDER);
  EXPECT_EQ(SendMessageW(stream, TBM_GETRANGEMIN, 0, 0), 2);
  EXPECT_EQ(SendMessageW(stream, TBM_GETRANGEMAX, 0, 0), 40);
  EXPECT_EQ(Position(IDC_STREAM_SLIDER), 8);
  EXPECT_EQ(Text(page->Item(IDC_STREAM_TEXT)), L"4.0 ms");
  EXPECT_EQ(SendMessageW(page->Item(IDC_ASIO_SLIDER), TBM_GETRANGEMAX, 0, 0), 160);
  EXPECT_EQ(SendMessageW(page->Item(IDC_ASIO_SLIDER), TBM_GETPAGESIZE, 0, 0), 3);
  // 5 ms at 48 kHz are 240 samples, shown as the next multiple of 32.
  EXPECT_EQ(Text(page->Item(IDC_ASIO_TEXT)), L"5.0 ms\n256 samples");
  EXPECT_EQ(Text(page->Item(IDC_WDM_TEXT)), L"10.0 ms\n480 samples");
  for (int apply : {IDC_STREAM_APPLY, IDC_ASIO_APPLY, IDC_WDM_APPLY})
    EXPECT_FALSE(Enabled(page->Item(apply)));

  // A rate changed elsewhere shows in the samples at the next refresh, even
  // though this page refreshes before the Synchronisation page.
  ASSERT_EQ(Driver().SetSampleRate(96000), 0u);
  EXPECT_TRUE(PumpUntil([&] { return Text(page->Item(IDC_ASIO_TEXT)) == L"5.0 ms\n480 samples"; }))
      << app::ToAnsi(Text(page->Item(IDC_ASIO_TEXT)));
}

TEST_F(SettingsPage, MovingASliderEnablesItsOwnApplyWhichSendsTheNewDepth) {
  MoveTo(IDC_ASIO_SLIDER, 11);
  EXPECT_EQ(Text(page->Item(IDC_ASIO_TEXT)), L"5.5 ms\n288 samples");
  EXPECT_TRUE(Enabled(page->Item(IDC_ASIO_APPLY)));
  EXPECT_FALSE(Enabled(page->Item(IDC_STREAM_APPLY)));
  EXPECT_FALSE(Enabled(page->Item(IDC_WDM_APPLY)));
  // Back where it was, the button stays enabled.
  MoveTo(IDC_ASIO_SLIDER, 10);
  MoveTo(IDC_ASIO_SLIDER, 11);
  EXPECT_TRUE(Enabled(page->Item(IDC_ASIO_APPLY)));
  Click(page->Item(IDC_ASIO_APPLY));
  BufferSetting asio{};
  ASSERT_EQ(Driver().GetAsioBuffer(&asio), 0u);
  EXPECT_EQ(asio.words[0], 5500u);
  EXPECT_EQ(asio.words[2], 32u);  // the driver's own words go back as read
  EXPECT_FALSE(Enabled(page->Item(IDC_ASIO_APPLY)));

  MoveTo(IDC_STREAM_SLIDER, 12);
  EXPECT_EQ(Text(page->Item(IDC_STREAM_TEXT)), L"6.0 ms");
  Click(page->Item(IDC_STREAM_APPLY));
  BufferSetting stream{};
  ASSERT_EQ(Driver().GetStreamBuffer(&stream), 0u);
  EXPECT_EQ(stream.words[3], 6000u);
  EXPECT_EQ(Position(IDC_STREAM_SLIDER), 12);
}

TEST_F(SettingsPage, DropOutsArePolledOnlyWhileThePageIsShown) {
  ASSERT_TRUE(page->Polling());
  ASSERT_EQ(machine->ClearLogs(), 0u);
  auto polled = [&] {
    for (const simulator::RequestRecord& request : machine->Requests())
      if (request.code == DriverRequest::kGetAsioStatistics) return true;
    return false;
  };
  EXPECT_TRUE(PumpUntil(polled));
  EXPECT_TRUE(PumpUntil([&] { return !Text(page->Item(IDC_DROPOUTS)).empty(); }));

  View().SelectPage(PanelPage::kDevices);
  EXPECT_FALSE(page->Polling());
  View().SelectPage(PanelPage::kSettings);
  EXPECT_TRUE(page->Polling());

  // A failed read empties the count and the poll goes on.
  ASSERT_EQ(
      machine->SetFault(tc::kFaultRequestFailure, DriverRequest::kGetAsioStatistics, 0xE0000001),
      0u);
  EXPECT_TRUE(PumpUntil([&] { return Text(page->Item(IDC_DROPOUTS)).empty(); }));
  EXPECT_TRUE(page->Polling());
}

TEST_F(SettingsPage, AMinimisedPanelReadsNoDropOutsAndReadsThemOnceOnRestore) {
  auto statisticsReads = [&] {
    int reads = 0;
    for (const simulator::RequestRecord& request : machine->Requests())
      reads += request.code == DriverRequest::kGetAsioStatistics;
    return reads;
  };
  ASSERT_TRUE(page->Polling());
  ShowWindow(Frame(), SW_MINIMIZE);
  testsupport::PumpPending();
  ASSERT_TRUE(IsIconic(Frame()));
  EXPECT_FALSE(page->Polling());
  ASSERT_EQ(machine->ClearLogs(), 0u);
  // A tick that was queued before the panel went away reads nothing either.
  SendMessageW(page->Handle(), WM_TIMER, CSettingsPage::kPollTimer, 0);
  testsupport::PumpPending();
  EXPECT_EQ(statisticsReads(), 0);
  // Choosing another page and back while minimised does not start the poll.
  View().SelectPage(PanelPage::kDevices);
  View().SelectPage(PanelPage::kSettings);
  EXPECT_FALSE(page->Polling());

  ASSERT_EQ(machine->ClearLogs(), 0u);
  ASSERT_EQ(
      machine->SetFault(tc::kFaultRequestFailure, DriverRequest::kGetAsioStatistics, 0xE0000001),
      0u);
  SetWindowTextW(page->Item(IDC_DROPOUTS), L"stale");
  ShowWindow(Frame(), SW_RESTORE);
  EXPECT_FALSE(IsIconic(Frame()));
  // One read at once, before any tick: the (failed) read empties the count.
  EXPECT_EQ(statisticsReads(), 1);
  EXPECT_EQ(Text(page->Item(IDC_DROPOUTS)), L"");
  EXPECT_TRUE(page->Polling());

  // Restored on another page, the panel has nothing to read.
  ShowWindow(Frame(), SW_MINIMIZE);
  View().SelectPage(PanelPage::kDevices);
  ASSERT_EQ(machine->ClearLogs(), 0u);
  ShowWindow(Frame(), SW_RESTORE);
  EXPECT_EQ(statisticsReads(), 0);
  EXPECT_FALSE(page->Polling());
}

TEST_F(SettingsPage, WithTheDriverClosedEverySliderIsDisabledAndEveryTextEmpty) {
  CDriverData::Instance().Close();
  View().RefreshAllPages();
  for (int slider : {IDC_STREAM_SLIDER, IDC_ASIO_SLIDER, IDC_WDM_SLIDER})
    EXPECT_FALSE(Enabled(page->Item(slider)));
  for (int text : {IDC_STREAM_TEXT, IDC_ASIO_TEXT, IDC_WDM_TEXT})
    EXPECT_EQ(Text(page->Item(text)), L"");
}

}  // namespace

namespace {

// Five buttons read "Apply"; a screen reader hears what each one applies, and
// the buttons still show and do what they did.
TEST_F(SyncPage, EachApplyButtonIsNamedForWhatItApplies) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  EXPECT_EQ(ReadAccessible(page->Item(IDC_SOURCES_APPLY)).name, "Apply synchronisation settings");
  EXPECT_EQ(ReadAccessible(page->Item(IDC_RATE_APPLY)).name, "Apply sampling rate");
  EXPECT_EQ(Text(page->Item(IDC_RATE_APPLY)), L"Apply");
  View().SelectPage(PanelPage::kSettings);
  CSettingsPage& settings = View().SettingsPage();
  EXPECT_EQ(ReadAccessible(settings.Item(IDC_STREAM_APPLY)).name, "Apply stream buffer depth");
  EXPECT_EQ(ReadAccessible(settings.Item(IDC_ASIO_APPLY)).name, "Apply ASIO buffer depth");
  EXPECT_EQ(ReadAccessible(settings.Item(IDC_WDM_APPLY)).name, "Apply WDM sound buffer depth");
  // Every other control keeps the standard object's answer.
  EXPECT_EQ(ReadAccessible(settings.Item(IDC_WDM_APPLY)).role,
            ReadAccessible(page->Item(IDC_CHANGE_MODE)).role);
  CoUninitialize();
}

}  // namespace
