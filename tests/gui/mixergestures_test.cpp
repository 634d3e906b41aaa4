// What the user does with the window's controls, as steps of the undo
// history: a drag, a run of keys, a click, a typed value, a reset key.
#include "gui/velmoraapp.h"
#include "resources/velmora_ids.h"
#include "tests/gui/mixerwindowfixture.h"
#include "velmora/mixsteps.h"
#include "velmora/velmoraprefs.h"
#include "windows/faderlogic.h"

namespace {

class MixerGestures : public MixerWindow {
 protected:
  HWND Control(int id) const { return GetDlgItem(window, id); }
  // A key as the message loop hands it on, to the control with the focus.
  void Key(WPARAM key, UINT message = WM_KEYDOWN) {
    MSG msg{GetFocus(), message, key, 0, 0, {}};
    VelmoraApp::Dispatch(msg, window);
  }
  void Type(int box, const char* text) {
    SetFocus(Control(box));
    SendMessageA(Control(box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(Control(box), EM_SETMODIFY, TRUE, 0);
    Key(VK_RETURN);
  }
  // Undoes the newest step, which must be named `what`.
  void ExpectUndone(const std::string& what) {
    EXPECT_EQ(UndoName(), what);
    EXPECT_TRUE(UndoStep()) << what;
  }
};

TEST_F(MixerGestures, EachGestureOfTheWindowIsOneUndoStep) {
  Open();
  velmoraPrefs::Instance()->SetPref(kPrefPanCenter, 1);  // Control
  // A press on the track, then a drag: one step, however many moves.
  HWND fader = Control(IDFADER + 3);
  const int y = FaderLogic(2).ThumbPos(1.0);
  SendMessageA(fader, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, y));
  for (int step = 1; step <= 5; ++step)
    SendMessageA(fader, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, y + 4 * step));
  SendMessageA(fader, WM_LBUTTONUP, 0, MAKELPARAM(10, y + 20));
  const double dragged = KMXGetFloat(IDFADER + 3);
  EXPECT_GT(dragged, 0.0);

  SetFocus(Control(IDFADER + 1));
  for (int i = 0; i < 3; ++i) Key(VK_UP);
  SetFocus(Control(IDFADER + 8));
  Key(VK_DOWN);  // both linked masters
  SetFocus(Control(IDSOLO + 4));
  Key(VK_SPACE);
  Key(VK_SPACE, WM_KEYUP);
  Type(IDFADERTEXT + 6, "-6");
  SetFocus(Control(IDPAN + 2));
  Key(VK_HOME);
  Key(VK_CONTROL);
  Key(VK_CONTROL, WM_KEYUP);  // the reset key: back to centre
  EXPECT_FALSE(savedFlag);

  ExpectUndone("Ch 3 pan");
  EXPECT_EQ(KMXGetFloat(IDPAN + 2), -1.0);
  ExpectUndone("Ch 3 pan");
  ExpectUndone("Ch 7 fader");
  EXPECT_EQ(KMXGetFloat(IDFADER + 6), 0.0);
  ExpectUndone("Ch 5 solo");
  EXPECT_EQ(KMXGetInteger(IDSOLO + 4), 0);
  ExpectUndone("Output 1 & 2 master");
  EXPECT_EQ(KMXGetFloat(IDFADER + 8), 1.0);
  EXPECT_EQ(KMXGetFloat(IDFADER + 9), 1.0);
  ExpectUndone("Ch 2 fader");
  EXPECT_EQ(KMXGetFloat(IDFADER + 1), 0.0) << "the three keys at once";
  ExpectUndone("Ch 4 fader");
  EXPECT_EQ(KMXGetFloat(IDFADER + 3), 0.0) << "the whole drag at once";
  EXPECT_FALSE(CanUndo());
  EXPECT_TRUE(savedFlag) << "back to the mix the window opened with";

  while (RedoStep()) {
  }
  EXPECT_NEAR(KMXGetFloat(IDFADER + 3), dragged, 1e-4);
  EXPECT_EQ(KMXGetFloat(IDPAN + 2), 0.0);
}

}  // namespace
