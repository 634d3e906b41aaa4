#include "gui/preferencesdialog.h"

#include <cstdint>

#include "gui/modalui.h"
#include "resources/velmora_ids.h"
#include "velmora/velmora.h"
#include "velmora/velmoraprefs.h"

namespace {

struct PreferenceList {
  int combo;
  std::uint16_t pref;
};

// In the order the lists are read on OK.
constexpr PreferenceList kLists[] = {
    {IDC_PAN_MOTION, kPrefPanMotion}, {IDC_FADE_CENTER, kPrefFadeCenter},
    {IDC_FADE_FINE, kPrefFadeFine},   {IDC_PAN_CENTER, kPrefPanCenter},
    {IDC_PAN_FINE, kPrefPanFine},
};

// The lists sort their items, so an index is its item's alphabetical place:
// "Horizontal" 0, "Rotary" 1, "Vertical" 2; "Alt" 0, "Control" 1, "Shift" 2.
void FillLists(HWND dialog) {
  for (const char* item : {"Horizontal", "Vertical", "Rotary"})
    SendDlgItemMessageA(dialog, IDC_PAN_MOTION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  for (int combo : {IDC_FADE_CENTER, IDC_FADE_FINE, IDC_PAN_CENTER, IDC_PAN_FINE})
    for (const char* item : {"Shift", "Alt", "Control"})
      SendDlgItemMessageA(dialog, combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
}

// A stored value outside the list selects nothing.
void ShowPreferences(HWND dialog) {
  for (const PreferenceList& list : kLists)
    SendDlgItemMessageA(dialog, list.combo, CB_SETCURSEL,
                        static_cast<WPARAM>(KMXGetInteger(list.pref)), 0);
}

void StorePreferences(HWND dialog) {
  velmoraPrefs* prefs = velmoraPrefs::Instance();
  for (const PreferenceList& list : kLists) {
    const LRESULT selected = SendDlgItemMessageA(dialog, list.combo, CB_GETCURSEL, 0, 0);
    prefs->SetPref(list.pref, selected == CB_ERR ? 0 : static_cast<std::int32_t>(selected));
  }
}

}  // namespace

INT_PTR CALLBACK PreferencesDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      FillLists(dialog);
      ShowPreferences(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        StorePreferences(dialog);
        EndDialog(dialog, 0);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

void RunPreferencesDialog(HWND owner) {
  RunModalDialog(owner, IDD_PREFERENCES, PreferencesDialogProc);
}
