// The parameter controls driven with real messages: value boxes, the solo and
// mute buttons, the check box, the selector with its labels, and the
// "Clear Overs" button, against the engine on the simulated X-Tamber.
#include <gtest/gtest.h>

#include <string>

#include "tests/windows/toolkitfixture.h"
#include "velmora/korvanemix8bus.h"
#include "windows/wbutton.h"
#include "windows/wcheckbox.h"
#include "windows/wcombobox.h"
#include "windows/wedit.h"
#include "windows/wgroupbox.h"
#include "windows/wmutebutton.h"
#include "windows/wsolobutton.h"
#include "windows/wstatic.h"

namespace toolkittest {
namespace {

constexpr COLORREF kSoloOff = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kSoloOn = RGB(0x20, 0x40, 0xE0);
constexpr COLORREF kMuteOff = RGB(0x70, 0x70, 0x70);
constexpr COLORREF kMuteOn = RGB(0xE0, 0x20, 0x20);

std::string Text(HWND hwnd) {
  char text[128] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

void Press(HWND hwnd, int x, int y) {
  PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  testsupport::PumpPending();
}

// Keys as the keyboard delivers them to the focused window.
void Type(HWND hwnd, const char* text) {
  for (const char* c = text; *c; ++c)
    PostMessageA(hwnd, WM_CHAR, static_cast<unsigned char>(*c), 1);
  testsupport::PumpPending();
}

void Focus(HWND hwnd) {
  SetFocus(hwnd);
  testsupport::PumpPending();
}

void Key(HWND hwnd, WPARAM key) {
  PostMessageA(hwnd, WM_KEYDOWN, key, 1);
  PostMessageA(hwnd, WM_KEYUP, key, 0xC0000001);
  testsupport::PumpPending();
}

class Controls : public ToolkitTest {
 protected:
  WEdit* ValueBox(int id, int x) {
    WEdit* box = Make<WEdit>(id, {x, 100, x + 34, 115}, "0", ES_CENTER, WS_EX_STATICEDGE);
    if (box) box->Refresh();
    return box;
  }
  // Somewhere else for the focus to go.
  HWND Elsewhere() {
    WEdit* other = ValueBox(0x4407, 200);
    return other ? other->Handle() : nullptr;
  }
};

TEST_F(Controls, AValueBoxCommitsOnEnterAndOnLeavingOnlyWhenChanged) {
  WEdit* box = ValueBox(0x4403, 0);
  HWND other = Elsewhere();
  ASSERT_TRUE(box && other);
  HWND hwnd = box->Handle();
  EXPECT_EQ(Text(hwnd), "-inf");

  Focus(hwnd);
  DWORD start = 0, end = 0;
  SendMessageA(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 4u) << "focusing selects the whole text";

  Type(hwnd, "-6");  // replaces the selection
  EXPECT_EQ(KMXGetFloat(0x4023), 0.0) << "typing alone writes nothing";
  Key(hwnd, VK_RETURN);
  EXPECT_NEAR(KMXGetFloat(0x4023), 0.501, 1e-3);
  EXPECT_EQ(Text(hwnd), "-6.0");

  Focus(other);
  Focus(hwnd);
  Type(hwnd, "12");
  SetFocus(other);
  testsupport::PumpPending();
  EXPECT_EQ(KMXGetFloat(0x4023), 2.0) << "12 dB is clamped to the top of the fader";
  EXPECT_EQ(Text(hwnd), " 6.0");

  savedFlag = true;
  Focus(hwnd);
  Focus(other);
  EXPECT_TRUE(savedFlag) << "leaving an unchanged box writes nothing";
  Focus(hwnd);
  Key(hwnd, VK_RETURN);
  EXPECT_TRUE(savedFlag) << "Enter writes the current value again: nothing to save";
  EXPECT_EQ(KMXGetFloat(0x4023), 2.0);
}

TEST_F(Controls, AValueBoxTakesBackItsOwnTextsAndIgnoresTextWithNoNumber) {
  WEdit* pan = ValueBox(0x4203, 0);
  WEdit* fader = ValueBox(0x4402, 40);
  ASSERT_TRUE(pan && fader);
  // Each text typed over the selected one, as a user who retypes it.
  auto typeIn = [](HWND hwnd, HWND away, const char* text) {
    Focus(away);
    Focus(hwnd);
    Type(hwnd, text);
    Key(hwnd, VK_RETURN);
  };
  KMXSetFloat(0x4043, 0.25);
  typeIn(pan->Handle(), fader->Handle(), "<32");
  EXPECT_EQ(KMXGetFloat(0x4043), -0.5) << "<32 is 32 to the left";
  EXPECT_EQ(Text(pan->Handle()), "<32");
  typeIn(pan->Handle(), fader->Handle(), "16>");
  EXPECT_EQ(KMXGetFloat(0x4043), 0.25);
  typeIn(pan->Handle(), fader->Handle(), "<0>");
  EXPECT_EQ(KMXGetFloat(0x4043), 0.0);

  KMXSetFloat(0x4022, 1.0);
  typeIn(fader->Handle(), pan->Handle(), "-inf");
  EXPECT_EQ(KMXGetFloat(0x4022), 0.0) << "-inf is silence, not 0 dB";
  EXPECT_EQ(Text(fader->Handle()), "-inf");

  KMXSetFloat(0x4022, 1.0);
  savedFlag = true;
  Focus(pan->Handle());
  Focus(fader->Handle());
  Type(fader->Handle(), "loud");
  Key(fader->Handle(), VK_RETURN);
  EXPECT_TRUE(savedFlag) << "no number, no write";
  EXPECT_EQ(KMXGetFloat(0x4022), 1.0);
  EXPECT_EQ(Text(fader->Handle()), " 0.0") << "the box shows the current value again";
  EXPECT_EQ(SendMessageA(fader->Handle(), EM_GETMODIFY, 0, 0), 0);
}

TEST_F(Controls, AValueBoxIsYellowOnBlack) {
  WEdit* box = ValueBox(0x4403, 0);
  ASSERT_TRUE(box);
  EXPECT_EQ(Pixel(box->Handle(), 1, 6), RGB(0, 0, 0));
}

TEST_F(Controls, SoloAndMuteButtonsToggleTheirFlagAndShowTheModel) {
  auto* solo = Make<WSoloButton>(0x4083, {0, 0, 34, 17}, "", 0, 0);
  auto* otherMute = Make<WMuteButton>(0x4102, {40, 0, 74, 17}, "", 0, 0);
  ASSERT_TRUE(solo && otherMute);
  EXPECT_EQ(Pixel(solo->Handle(), 5, 5), kSoloOff);
  EXPECT_EQ(Pixel(otherMute->Handle(), 5, 5), kMuteOff);

  Press(solo->Handle(), 5, 5);
  EXPECT_EQ(KMXGetInteger(0x4083), 1);
  EXPECT_EQ(Pixel(solo->Handle(), 5, 5), kSoloOn);
  EXPECT_EQ(Pixel(otherMute->Handle(), 5, 5), kMuteOn) << "silenced by the solo on channel 3";

  Press(solo->Handle(), 5, 5);
  EXPECT_EQ(KMXGetInteger(0x4083), 0);
  EXPECT_EQ(Pixel(solo->Handle(), 5, 5), kSoloOff);
  EXPECT_EQ(Pixel(otherMute->Handle(), 5, 5), kMuteOff);
}

TEST_F(Controls, AMuteRefusedByADisabledMixerKeepsShowingTheModel) {
  auto* mute = Make<WMuteButton>(0x4101, {0, 0, 34, 17}, "", 0, 0);
  ASSERT_TRUE(mute);
  KMXSetInteger(IDMIXERACTIVE, 0);
  EXPECT_EQ(Pixel(mute->Handle(), 5, 5), kMuteOn) << "a disabled mixer reports every channel muted";
  Press(mute->Handle(), 5, 5);
  EXPECT_EQ(KMXGetInteger(0x4101), 1);
  EXPECT_EQ(Pixel(mute->Handle(), 5, 5), kMuteOn);
}

TEST_F(Controls, TheCheckMarkFollowsTheParameterNotTheClick) {
  auto* active = Make<WCheckBox>(IDMIXERACTIVE, {0, 0, 100, 20}, "Mixer Active", BS_CHECKBOX, 0);
  auto* inert = Make<WCheckBox>(0x4801, {0, 30, 100, 50}, "Reads 0", BS_CHECKBOX, 0);
  ASSERT_TRUE(active && inert);
  active->Refresh();
  EXPECT_EQ(SendMessageA(active->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

  SendMessageA(active->Handle(), BM_CLICK, 0, 0);
  testsupport::PumpPending();
  EXPECT_EQ(KMXGetInteger(IDMIXERACTIVE), 0);
  EXPECT_EQ(SendMessageA(active->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_FALSE(GetMasterControl()->Model()->IsEnabled());

  SendMessageA(inert->Handle(), BM_CLICK, 0, 0);  // its writes have no effect
  testsupport::PumpPending();
  EXPECT_EQ(SendMessageA(inert->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(Controls, ChoosingAnOutputPairWritesItsIndexAndRenamesTheLabels) {
  auto* selector = Make<WComboBox>(IDMIXSELECT, {0, 0, 100, 200}, "", 2097667, 0);
  auto* output =
      Make<WStatic>(IDOUTPUTLABEL, {110, 0, 188, 13}, "Output 1 && 2", SS_CENTER, 0, IDOUTPUTLABEL);
  auto* daw =
      Make<WStatic>(IDDAWLABEL, {110, 20, 188, 33}, "DAW In 1 && 2", SS_CENTER, 0, IDDAWLABEL);
  auto* channel = Make<WStatic>(0, {110, 40, 146, 53}, "Ch 1", SS_CENTER, 0, 0);
  ASSERT_TRUE(selector && output && daw && channel);
  for (const char* item : {"Out 1-2", "Out 3-4", "Out 5-6", "Out 7-8"}) selector->AddString(item);
  selector->Refresh();
  EXPECT_EQ(SendMessageA(selector->Handle(), CB_GETCURSEL, 0, 0), 0);

  SetFocus(selector->Handle());
  Key(selector->Handle(), VK_DOWN);
  Key(selector->Handle(), VK_DOWN);
  EXPECT_EQ(KMXGetInteger(IDMIXSELECT), 2);
  EXPECT_EQ(GetMasterControl()->SelectedMix(), 2u);
  EXPECT_EQ(Text(output->Handle()), "Output 5 && 6");
  EXPECT_EQ(Text(daw->Handle()), "DAW In 5 && 6");
  channel->Refresh();
  EXPECT_EQ(Text(channel->Handle()), "Ch 1");

  KMXSetInteger(IDMIXSELECT, 7);  // no such pair: the first names
  EXPECT_EQ(Text(output->Handle()), "Output 1 && 2");
}

TEST_F(Controls, ClearOversClearsTheDevicesLatchedOvers) {
  auto* box = Make<WGroupBox>(0, {0, 0, 120, 80}, "Controls", BS_GROUPBOX, 0);
  auto* button = Make<WButton>(IDCLEAROVERS, {10, 20, 110, 45}, "Clear Overs", 0, 0);
  ASSERT_TRUE(box && button);
  (*machine)->SetFixedLevel(0, 0, 255);  // input 1 clips
  ASSERT_TRUE(testsupport::PumpUntil([&] { return (*machine)->State(0).overs != 0; }));
  (*machine)->SetFixedLevel(0, 0, -1);

  SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(testsupport::PumpUntil([&] { return (*machine)->State(0).overs == 0; }));
}

}  // namespace
}  // namespace toolkittest
