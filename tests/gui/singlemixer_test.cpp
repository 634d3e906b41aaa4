// A second start meeting a running mixer that takes nothing: one that hangs,
// one that does not understand, one that is closing and one whose window
// goes while the file is on its way. The running mixer is a stand-in on a
// thread of the test, under a name and a window class no program uses.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "gui/mainwindow.h"
#include "gui/singlemixer.h"
#include "platform/messagebox.h"

namespace {

constexpr wchar_t kName[] = L"Local\\KorvaneVelmora.OneMixer.SingleMixerTest";
constexpr char kClass[] = "ZWVELMORATEST";
constexpr wchar_t kClassWide[] = L"ZWVELMORATEST";
constexpr char kCommandLine[] = "\"C:\\mixes\\late mix.kmx\"";

enum class Behaviour {
  kStalls,             // never gets to its messages
  kDoesNotUnderstand,  // answers 0
  kRefusesAndEnds,     // refuses, closes and gives the name back
  kGoesWhileSent,      // destroys its window with the hand-over waiting
};

LRESULT CALLBACK StandInProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  const auto behaviour = static_cast<Behaviour>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (msg == WM_COPYDATA && behaviour == Behaviour::kRefusesAndEnds) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    return MainWindow::kHandOverRefused;
  }
  // Taken only by the window that is to go first: had the message reached it
  // after all, the start would end, and the test says so.
  if (msg == WM_COPYDATA)
    return behaviour == Behaviour::kGoesWhileSent ? MainWindow::kHandOverTaken : 0;
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, msg, wParam, lParam);
}

// The running mixer: holds the name from construction until it ends.
class StandInMixer {
 public:
  explicit StandInMixer(Behaviour behaviour)
      : ready_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        thread_([this, behaviour] { Run(behaviour); }) {
    WaitForSingleObject(ready_, INFINITE);
  }
  ~StandInMixer() {
    SetEvent(stop_);
    thread_.join();
    CloseHandle(ready_);
    CloseHandle(stop_);
  }

 private:
  void Run(Behaviour behaviour) {
    HANDLE name = CreateMutexW(nullptr, TRUE, kName);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = StandInProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassWide;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowW(kClassWide, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(behaviour));
    SetEvent(ready_);
    if (behaviour == Behaviour::kStalls) WaitForSingleObject(stop_, INFINITE);
    if (behaviour == Behaviour::kGoesWhileSent) {
      while ((HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) == 0)
        if (WaitForSingleObject(stop_, 1) == WAIT_OBJECT_0) break;
    }
    if (behaviour == Behaviour::kDoesNotUnderstand || behaviour == Behaviour::kRefusesAndEnds) {
      MSG msg;
      while (MsgWaitForMultipleObjects(1, &stop_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        bool quit = false;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
          quit = quit || msg.message == WM_QUIT;
          DispatchMessageW(&msg);
        }
        if (quit) break;
      }
    }
    if (IsWindow(window)) DestroyWindow(window);
    ReleaseMutex(name);
    CloseHandle(name);
  }

  HANDLE ready_;
  HANDLE stop_;
  std::thread thread_;
};

class SecondStart : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetMessageBoxHook([this](void*, const char* text, const char*, unsigned) {
      boxes.push_back(text);
      return platform::kIdOk;
    });
  }
  void TearDown() override { platform::SetMessageBoxHook(nullptr); }

  std::vector<std::string> boxes;
};

}  // namespace

TEST_F(SecondStart, AMixerThatTakesNothingInTimeIsNamedToTheUserAndNoSecondMixerRuns) {
  for (const Behaviour behaviour : {Behaviour::kStalls, Behaviour::kDoesNotUnderstand}) {
    SCOPED_TRACE(static_cast<int>(behaviour));
    boxes.clear();
    StandInMixer running(behaviour);
    SingleMixer second(kName, kClass);
    ASSERT_FALSE(second.IsFirst());
    EXPECT_TRUE(second.HandOver(kCommandLine)) << "this start is done";
    EXPECT_FALSE(second.IsFirst());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].find("The running mixer does not answer"), 0u) << boxes[0];
    EXPECT_NE(boxes[0].find("\nC:\\mixes\\late mix.kmx\n"), std::string::npos) << boxes[0];
  }
}

TEST_F(SecondStart, AMixerThatIsClosingOrGoesLeavesTheFileToThisStart) {
  for (const Behaviour behaviour : {Behaviour::kRefusesAndEnds, Behaviour::kGoesWhileSent}) {
    SCOPED_TRACE(static_cast<int>(behaviour));
    StandInMixer running(behaviour);
    SingleMixer second(kName, kClass);
    ASSERT_FALSE(second.IsFirst());
    EXPECT_FALSE(second.HandOver(kCommandLine)) << "this start runs as the mixer";
    EXPECT_TRUE(second.IsFirst());
    EXPECT_TRUE(boxes.empty());
  }
}
