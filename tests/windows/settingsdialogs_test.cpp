// The settings-file dialogs as the program asks for them, answered by a
// scripted user.
#include "windows/settingsdialogs.h"

#include <dlgs.h>
#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "platform/widetext.h"
#include "tests/support/eventually.h"
#include "tests/support/tempfolder.h"

namespace {

struct Asked {
  FileDialogKind kind;
  OPENFILENAMEW request;
  std::wstring title;  // the request's title lives only as long as the dialog
};

class SettingsDialogs : public ::testing::Test {
 protected:
  // The user confirms `path`, or cancels when it is null.
  void Answer(const wchar_t* path) {
    SetFileDialogHook([this, path](FileDialogKind kind, OPENFILENAMEW& request) {
      asked.push_back({kind, request, request.lpstrTitle ? request.lpstrTitle : L""});
      if (!path) return false;
      std::wcsncpy(request.lpstrFile, path, request.nMaxFile);
      return true;
    });
  }
  void TearDown() override { SetFileDialogHook(nullptr); }

  std::vector<Asked> asked;
  HWND owner = reinterpret_cast<HWND>(0x1234);
};

TEST_F(SettingsDialogs, OpenAsksForOneKmxFileAndGivesThePathOrNothing) {
  Answer(L"C:\\other folder\\mix one.kmx");
  EXPECT_EQ(OpenSettingsDialog(owner), "C:\\other folder\\mix one.kmx");
  Answer(nullptr);
  EXPECT_EQ(OpenSettingsDialog(owner), "");

  ASSERT_EQ(asked.size(), 2u);
  const OPENFILENAMEW& request = asked[0].request;
  EXPECT_EQ(asked[0].kind, FileDialogKind::Open);
  EXPECT_EQ(request.lStructSize, sizeof(OPENFILENAMEW));
  EXPECT_EQ(request.hwndOwner, owner);
  EXPECT_EQ(std::wmemcmp(request.lpstrFilter, L"Korvane Update (*.kmx)\0*.kmx\0\0", 31), 0);
  EXPECT_EQ(request.nMaxFile, 260u);
  EXPECT_STREQ(request.lpstrDefExt, L"kmx");
  EXPECT_EQ(request.lpstrTitle, nullptr);
  EXPECT_EQ(request.Flags, 0u) << "no overwrite prompt, no other option";
}

TEST_F(SettingsDialogs, SaveTellsWhetherTheUserConfirmed) {
  bool confirmed = false;
  Answer(L"D:\\mixes\\live.kmx");
  EXPECT_EQ(SaveSettingsDialog(owner, "Save As", &confirmed), "D:\\mixes\\live.kmx");
  EXPECT_TRUE(confirmed);
  Answer(nullptr);
  EXPECT_EQ(SaveSettingsDialog(owner, "Save", &confirmed), "");
  EXPECT_FALSE(confirmed);
  EXPECT_EQ(SaveSettingsDialog(owner, "Save", nullptr), "");

  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0].kind, FileDialogKind::Save);
  EXPECT_EQ(asked[0].title, L"Save As");
  EXPECT_EQ(asked[1].title, L"Save");
}

TEST_F(SettingsDialogs, AnAnswerThatFillsTheWholeBufferStillEnds) {
  const std::wstring tooLong(400, L'a');
  Answer(tooLong.c_str());
  EXPECT_EQ(OpenSettingsDialog(owner), std::string(259, 'a'));
}

}  // namespace

// The system's own dialogs, answered by a helper thread as a user would:
// the record the program fills must be one the system takes.
namespace {

struct Search {
  DWORD thread;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  char name[16] = {};
  GetClassNameA(hwnd, name, sizeof name);
  if (GetWindowThreadProcessId(hwnd, nullptr) != search->thread || std::strcmp(name, "#32770") != 0)
    return TRUE;
  search->found = hwnd;
  return FALSE;
}

// Waits for the dialog of `thread`, types `path` (or cancels when null), confirms.
std::thread User(DWORD thread, const wchar_t* path) {
  return std::thread([thread, path] {
    Search search{thread, nullptr};
    testsupport::Eventually([&] {
      EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&search));
      return search.found != nullptr && IsWindowVisible(search.found);
    });
    if (!search.found) return;
    if (!path) {
      PostMessageA(search.found, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    // The file name box is a combo box in the newer layout, an edit in the older.
    if (!SetDlgItemTextW(search.found, cmb13, path)) SetDlgItemTextW(search.found, edt1, path);
    PostMessageA(search.found, WM_COMMAND, IDOK, 0);
  });
}

TEST(SystemSettingsDialogs, OpenGivesTheFullPathOfAFileInAnotherFolderOrNothing) {
  const testsupport::TempFolder folder("other folder");
  const std::string file = folder.Path("mix one.kmx");
  CloseHandle(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

  const std::wstring wideFile = platform::WideFromUtf8(file);
  std::thread user = User(GetCurrentThreadId(), wideFile.c_str());
  const std::string chosen = OpenSettingsDialog(nullptr);
  user.join();
  EXPECT_EQ(chosen, file);

  user = User(GetCurrentThreadId(), nullptr);
  bool confirmed = true;
  EXPECT_EQ(SaveSettingsDialog(nullptr, "Save As", &confirmed), "");
  user.join();
  EXPECT_FALSE(confirmed);
}

TEST(SystemSettingsDialogs, SaveGivesBackAFolderNamedInOtherScriptsLetterForLetter) {
  // Greek and Japanese: outside any one code page, so the ANSI dialog would
  // have handed back question marks.
  const testsupport::TempFolder folder(
      "\xce\x9c\xce\xaf\xce\xbe\xce\xb7 \xe3\x83\x9f\xe3\x83\x83\xe3\x82\xaf\xe3\x82\xb9");
  const std::string file =
      folder.Path("\xcf\x83\xcf\x8d\xce\xbd\xce\xbf\xce\xbb\xce\xbf \xe6\xb7\xb7.kmx");
  const std::wstring wideFile = platform::WideFromUtf8(file);
  std::thread user = User(GetCurrentThreadId(), wideFile.c_str());
  bool confirmed = false;
  EXPECT_EQ(SaveSettingsDialog(nullptr, "Save As", &confirmed), file);
  user.join();
  EXPECT_TRUE(confirmed);
}

}  // namespace
