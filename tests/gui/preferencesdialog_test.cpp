#include "gui/preferencesdialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "resources/velmora_ids.h"
#include "tests/support/prefsandbox.h"
#include "velmora/velmora.h"
#include "velmora/velmoraprefs.h"

namespace {

constexpr int kCombos[] = {IDC_PAN_MOTION, IDC_PAN_FINE, IDC_PAN_CENTER, IDC_FADE_FINE,
                           IDC_FADE_CENTER};

// The dialog of resource 130 made modeless, so that the test can drive it.
class PreferencesDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PREFERENCES),
                                nullptr, PreferencesDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
  }
  void TearDown() override {
    DestroyWindow(dialog);
    velmoraPrefs::DestroyInstance();
  }

  std::string Shown(int combo) const {
    const LRESULT selected = SendDlgItemMessageA(dialog, combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return "";
    char text[32] = "";
    SendDlgItemMessageA(dialog, combo, CB_GETLBTEXT, static_cast<WPARAM>(selected),
                        reinterpret_cast<LPARAM>(text));
    return text;
  }
  void Choose(int combo, const char* item) {
    SendDlgItemMessageA(dialog, combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(item));
  }
  void Press(int button) { SendMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(button), 0); }
  // Pan motion, pan fine, pan centre, fader fine, fader 0 dB, as stored now.
  static std::vector<int> Stored() {
    std::vector<int> values;
    for (std::uint16_t id = kPrefPanMotion; id <= kPrefFadeCenter; ++id)
      values.push_back(KMXGetInteger(id));
    return values;
  }

  testsupport::PrefSandbox prefs;
  HWND dialog = nullptr;
};

}  // namespace

TEST_F(PreferencesDialog, ShowsTheDefaultsInListsThatTakeNoTyping) {
  EXPECT_EQ(Shown(IDC_PAN_MOTION), "Rotary");
  EXPECT_EQ(Shown(IDC_PAN_FINE), "Shift");
  EXPECT_EQ(Shown(IDC_PAN_CENTER), "Alt");
  EXPECT_EQ(Shown(IDC_FADE_FINE), "Shift");
  EXPECT_EQ(Shown(IDC_FADE_CENTER), "Alt");
  for (int combo : kCombos) {
    const LONG_PTR style = GetWindowLongPtrA(GetDlgItem(dialog, combo), GWL_STYLE);
    EXPECT_EQ(style & 3, CBS_DROPDOWNLIST) << combo;
    EXPECT_EQ(SendDlgItemMessageA(dialog, combo, CB_GETCOUNT, 0, 0), 3) << combo;
  }
}

TEST_F(PreferencesDialog, OkStoresEveryListByItsAlphabeticalPlace) {
  Choose(IDC_PAN_MOTION, "Vertical");
  Choose(IDC_PAN_FINE, "Control");
  Choose(IDC_PAN_CENTER, "Shift");
  Choose(IDC_FADE_FINE, "Alt");
  Choose(IDC_FADE_CENTER, "Control");
  Press(IDOK);
  EXPECT_EQ(Stored(), (std::vector<int>{2, 1, 2, 0, 1}));
}

TEST_F(PreferencesDialog, CancelStoresNothing) {
  for (int combo : kCombos) Choose(combo, "Control");
  Choose(IDC_PAN_MOTION, "Horizontal");
  Press(IDCANCEL);
  EXPECT_EQ(Stored(), (std::vector<int>{1, 2, 0, 2, 0}));
}

TEST(PreferencesDialogStored, AValueNoItemMatchesShowsNothingAndOkStoresZero) {
  testsupport::PrefSandbox prefs;
  velmoraPrefs::Instance()->SetPref(kPrefPanMotion, 7);
  HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PREFERENCES),
                                   nullptr, PreferencesDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_PAN_MOTION, CB_GETCURSEL, 0, 0), CB_ERR);
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(KMXGetInteger(kPrefPanMotion), 0);
  DestroyWindow(dialog);
  velmoraPrefs::DestroyInstance();
}
