// Binding a toolkit object to a window: which procedure sees which message,
// what WM_DESTROY does, and which classes get registered.
#include "windows/wwindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/assert.h"
#include "tests/windows/toolkitfixture.h"
#include "windows/debug.h"
#include "windows/wbutton.h"
#include "windows/wsolobutton.h"

namespace toolkittest {
namespace {

constexpr char kProbeClass[] = "KorvaneToolkitProbe";
constexpr UINT kHandled = WM_APP + 1;
constexpr UINT kPassedOn = WM_APP + 2;
constexpr LRESULT kHandledResult = 0x7FEDCBA987654321;  // wider than 32 bits

struct Seen {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
  bool objectBound;  // the property still led to an object when it arrived
};
std::vector<Seen> oldProcSaw;

// The procedure the probe class had before binding, as a system control's.
LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  oldProcSaw.push_back({msg, wParam, lParam, WWindow::Get(hwnd) != nullptr});
  if (msg == kPassedOn) return static_cast<LRESULT>(wParam) ^ lParam;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class Probe : public WWindow {
 public:
  explicit Probe(bool* deleted) : deleted(deleted) {}
  ~Probe() override { *deleted = true; }
  const char* ClassName() const override { return kProbeClass; }
  bool HandleMessage(WMessage& msg) override {
    if (msg.msg != kHandled) return false;
    msg.result = kHandledResult;
    return true;
  }

 private:
  bool* deleted;
};

bool Saw(UINT msg) {
  for (const Seen& seen : oldProcSaw)
    if (seen.msg == msg) return true;
  return false;
}

class Binding : public ToolkitTest {
 protected:
  static void SetUpTestSuite() {
    ToolkitTest::SetUpTestSuite();
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &RecordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kProbeClass;
    RegisterClassExA(&wc);
  }
  void SetUp() override {
    ToolkitTest::SetUp();
    oldProcSaw.clear();
  }
};

TEST_F(Binding, AHandledMessageStopsThereAndOthersReachTheOldProcedureUnchanged) {
  bool deleted = false;
  auto* probe = new Probe(&deleted);
  ASSERT_TRUE(probe->Create(Parent(), 7, 0, 0, 20, 20, "", 0, 0));
  HWND hwnd = probe->Handle();
  EXPECT_EQ(WWindow::Get(hwnd), probe);
  EXPECT_EQ(GetDlgCtrlID(hwnd), 7);
  oldProcSaw.clear();

  EXPECT_EQ(SendMessageA(hwnd, kHandled, 1, 2), kHandledResult);
  EXPECT_FALSE(Saw(kHandled));

  const WPARAM wParam = 0x1122334455667788;
  const LPARAM lParam = -0x123456789A;
  EXPECT_EQ(SendMessageA(hwnd, kPassedOn, wParam, lParam), static_cast<LRESULT>(wParam) ^ lParam);
  ASSERT_EQ(oldProcSaw.size(), 1u);
  EXPECT_EQ(oldProcSaw[0].wParam, wParam);
  EXPECT_EQ(oldProcSaw[0].lParam, lParam);
  EXPECT_FALSE(deleted);
}

TEST_F(Binding, DestroyDeletesTheObjectAndTheOldProcedureStillSeesWmDestroy) {
  bool deleted = false;
  auto* probe = new Probe(&deleted);
  ASSERT_TRUE(probe->Create(Parent(), 7, 0, 0, 20, 20, "", 0, 0));
  HWND hwnd = probe->Handle();
  oldProcSaw.clear();

  DestroyWindow(hwnd);
  EXPECT_TRUE(deleted);
  ASSERT_TRUE(Saw(WM_DESTROY)) << "a system control frees what it holds there";
  bool destroyed = false;
  for (const Seen& seen : oldProcSaw) {
    destroyed = destroyed || seen.msg == WM_DESTROY;
    if (destroyed) {
      EXPECT_FALSE(seen.objectBound) << "message " << seen.msg;
    }
  }
  EXPECT_TRUE(Saw(WM_NCDESTROY));
}

TEST_F(Binding, TheParentsDestructionDeletesEveryChildObject) {
  bool first = false, second = false;
  ASSERT_TRUE((new Probe(&first))->Create(Parent(), 1, 0, 0, 20, 20, "", 0, 0));
  ASSERT_TRUE((new Probe(&second))->Create(Parent(), 2, 20, 0, 20, 20, "", 0, 0));
  DestroyWindow(Parent());
  Parent() = nullptr;
  EXPECT_TRUE(first);
  EXPECT_TRUE(second);
}

TEST_F(Binding, DetachGivesTheWindowBackAndAnUnboundObjectHasNothingToDetach) {
  bool deleted = false;
  Probe probe(&deleted);
  probe.Detach();  // unbound: nothing happens
  EXPECT_EQ(WWindow::Get(nullptr), nullptr);

  HWND hwnd = CreateWindowExA(0, kProbeClass, "", WS_CHILD, 0, 0, 10, 10, Parent(), nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(hwnd, nullptr);
  probe.Attach(hwnd);
  EXPECT_EQ(WWindow::Get(hwnd), &probe);
  probe.Detach();
  EXPECT_EQ(WWindow::Get(hwnd), nullptr);
  EXPECT_EQ(probe.Handle(), nullptr);
  oldProcSaw.clear();
  SendMessageA(hwnd, kHandled, 0, 0);
  EXPECT_TRUE(Saw(kHandled)) << "the old procedure is back in place";
  DestroyWindow(hwnd);
  EXPECT_FALSE(deleted) << "an unbound window does not own the object";
}

// A null window handle would mean every window on the screen to the system.
TEST_F(Binding, AnUnboundObjectsRefreshRepaintsNoWindow) {
  auto* shown = Make<WSoloButton>(0x4080, {0, 0, 34, 17}, "", 0, 0);
  ASSERT_TRUE(shown);
  testsupport::PumpPending();
  UpdateWindow(Parent());
  ASSERT_FALSE(GetUpdateRect(Parent(), nullptr, FALSE));
  ASSERT_FALSE(GetUpdateRect(shown->Handle(), nullptr, FALSE));

  bool deleted = false;
  Probe unbound(&deleted);
  unbound.Refresh();
  EXPECT_FALSE(GetUpdateRect(Parent(), nullptr, FALSE));
  EXPECT_FALSE(GetUpdateRect(shown->Handle(), nullptr, FALSE));
}

TEST_F(Binding, AToolkitClassIsRegisteredByItsFirstObjectAndASystemClassNever) {
  auto* first = Make<WSoloButton>(0x4080, {0, 0, 34, 17}, "", 0, 0);
  auto* second = Make<WSoloButton>(0x4081, {40, 0, 74, 17}, "", 0, 0);
  ASSERT_TRUE(first && second);
  WNDCLASSEXA info{};
  info.cbSize = sizeof info;
  EXPECT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "ZWIMAGEBUTTON", &info));

  auto* button = Make<WButton>(IDCLEAROVERS, {0, 40, 100, 65}, "Clear Overs", 0, 0);
  ASSERT_TRUE(button);
  // A program class of that name would shadow the system's push button.
  EXPECT_TRUE(SendMessageA(button->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_BUTTON);
  char text[32] = {};
  GetWindowTextA(button->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "Clear Overs");
  EXPECT_EQ(SendMessageA(button->Handle(), WM_GETFONT, 0, 0),
            reinterpret_cast<LRESULT>(GetStockObject(ANSI_VAR_FONT)));
}

TEST(WMessage, PointTakesSignedSixteenBitHalves) {
  WMessage msg{WM_MOUSEMOVE, 0, static_cast<LPARAM>(static_cast<DWORD>(MAKELPARAM(-5, -7))), 0};
  EXPECT_EQ(msg.Point().x, -5);
  EXPECT_EQ(msg.Point().y, -7);
  msg.lParam =
      MAKELPARAM(300, 200) | (LPARAM{1} << 40);  // upper bits of a 64-bit lParam are not the point
  EXPECT_EQ(msg.Point().x, 300);
  EXPECT_EQ(msg.Point().y, 200);
}

std::vector<std::string> traced;
void CaptureTrace(const char* text) { traced.emplace_back(text); }

TEST(Trace, WritesUpTo511CharactersAndReportsLongerText) {
  traced.clear();
  SetTraceSink(&CaptureTrace);
  platform::SetAssertionsAbort(false);  // the overflow is also a debug report
  const std::string fits(511, 'x');
  TRACE("%s", fits.c_str());
  TRACE("%s%s", fits.c_str(), "y");
  platform::SetAssertionsAbort(true);
  SetTraceSink(nullptr);
  ASSERT_EQ(traced.size(), 2u);
  EXPECT_EQ(traced[0], fits);
  EXPECT_EQ(traced[1], "TRACE buffer overflow\n");
}

}  // namespace
}  // namespace toolkittest
