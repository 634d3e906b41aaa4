// The installer as a user's machine meets it: a silent install under Wine puts
// the programs, the Start-menu entries, the Add/Remove Programs entry and the
// .kmx association in place, opening a settings file starts the mixer with
// the file's path, and the silent uninstall takes back exactly that.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/eventually.h"
#include "version.h"
#include "simulator/driversimulator.h"

namespace {

using namespace std::chrono_literals;

const wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KorvaneXTamber";
const wchar_t kKmxKey[] = L"Software\\Classes\\.kmx";
const wchar_t kKmxClassKey[] = L"Software\\Classes\\Korvane.VelmoraSettings";

std::wstring Widen(const std::string& text) {
  return std::wstring(text.begin(), text.end());  // ASCII paths and texts only
}

std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::wstring InstallDir() { return Folder(CSIDL_PROGRAM_FILES) + L"\\Korvane\\X-Tamber"; }
std::wstring MenuFolder() { return Folder(CSIDL_COMMON_PROGRAMS) + L"\\Korvane X-Tamber"; }

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A REG_SZ value under HKEY_LOCAL_MACHINE; false when absent.
bool ReadString(const wchar_t* key, const wchar_t* name, std::wstring* value) {
  wchar_t data[1024] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  *value = data;
  return true;
}

std::wstring StringOf(const wchar_t* key, const wchar_t* name) {
  std::wstring value = L"(absent)";
  ReadString(key, name, &value);
  return value;
}

bool KeyExists(const wchar_t* key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

// Runs a program to its end; its exit code, or -1 when it cannot start.
int RunToEnd(const std::wstring& commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// A file of the build named by an environment variable as a host path
// (KORVANE_INSTALLER: the installer CMake built).
std::wstring BuildFile(const char* variable) {
  const char* path = std::getenv(variable);
  if (!path) return L"";
  std::wstring windows = Widen(path);
  for (wchar_t& c : windows) c = c == L'/' ? L'\\' : c;
  return windows[0] == L'\\' ? L"Z:" + windows : windows;
}

// The product version of a program's version resource, one byte per part
// (all of ours are below 256); 0 when it has none.
unsigned ProductVersionOf(const std::wstring& path) {
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), nullptr);
  std::string data(size, '\0');
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return 0;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length)) return 0;
  return (HIWORD(info->dwProductVersionMS) << 24) | (LOWORD(info->dwProductVersionMS) << 16) |
         (HIWORD(info->dwProductVersionLS) << 8) | LOWORD(info->dwProductVersionLS);
}

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Whether a program still carries its symbol table, which the linker writes
// together with the debugging sections and strip removes with them.
bool HasSymbols(const std::wstring& path) {
  const std::string image = ReadFile(path);
  if (image.size() < sizeof(IMAGE_DOS_HEADER)) return false;
  IMAGE_DOS_HEADER dos{};
  std::memcpy(&dos, image.data(), sizeof dos);
  const size_t at = static_cast<size_t>(dos.e_lfanew) + sizeof(DWORD);  // past "PE\0\0"
  if (image.size() < at + sizeof(IMAGE_FILE_HEADER)) return false;
  IMAGE_FILE_HEADER header{};
  std::memcpy(&header, image.data() + at, sizeof header);
  return header.PointerToSymbolTable != 0 && header.NumberOfSymbols != 0;
}

void WriteFile(const std::wstring& path, const std::string& text) {
  std::ofstream(path.c_str(), std::ios::binary) << text;
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    installer_ = BuildFile("KORVANE_INSTALLER");
    ASSERT_TRUE(Exists(installer_)) << "KORVANE_INSTALLER does not name the installer";
    Uninstall();  // what an earlier, interrupted run left
  }
  void TearDown() override { Uninstall(); }

  void Install() { ASSERT_EQ(RunToEnd(L"\"" + installer_ + L"\" /S"), 0); }

  // The uninstaller copies itself to the temporary folder and runs from
  // there, so that it can delete itself: the copy's work is done when the
  // uninstaller and its registry entry are gone.
  void Uninstall() {
    const std::wstring uninstaller = InstallDir() + L"\\uninstall.exe";
    if (!Exists(uninstaller)) return;
    ASSERT_EQ(RunToEnd(L"\"" + uninstaller + L"\" /S"), 0);
    ASSERT_TRUE(testsupport::Eventually(
        [&] { return !Exists(uninstaller) && !KeyExists(kUninstallKey); }, 120s));
  }

  std::wstring installer_;
};

TEST_F(Installer, InstallsBothProgramsWithMenuEntriesAndAnUninstallEntry) {
  Install();
  const std::wstring dir = InstallDir();
  for (const wchar_t* file : {L"velmora_app.exe", L"qdl_cpl.exe", L"uninstall.exe"})
    EXPECT_TRUE(Exists(dir + L"\\" + file))
        << "missing: " << std::string(file, file + wcslen(file));
  EXPECT_TRUE(Exists(MenuFolder() + L"\\Korvane Velmora.lnk"));
  EXPECT_TRUE(Exists(MenuFolder() + L"\\Korvane FireWire Control Panel.lnk"));

  EXPECT_EQ(StringOf(kUninstallKey, L"DisplayName"), L"Korvane X-Tamber");
  EXPECT_EQ(StringOf(kUninstallKey, L"DisplayVersion"), Widen(KORVANE_PRODUCT_VERSION_TEXT));
  EXPECT_EQ(StringOf(kUninstallKey, L"Publisher"), L"Korvane");
  EXPECT_EQ(StringOf(kUninstallKey, L"UninstallString"), L"\"" + dir + L"\\uninstall.exe\"");
  DWORD kilobytes = 0;
  DWORD size = sizeof kilobytes;
  ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize", RRF_RT_REG_DWORD,
                         nullptr, &kilobytes, &size),
            ERROR_SUCCESS);
  WIN32_FILE_ATTRIBUTE_DATA mixer{};
  ASSERT_TRUE(
      GetFileAttributesExW((dir + L"\\velmora_app.exe").c_str(), GetFileExInfoStandard, &mixer));
  EXPECT_GE(kilobytes, mixer.nFileSizeLow / 1024);  // the programs, not the installer's guess

  // Both programs carry the version the installer registers.
  const unsigned product[] = {KORVANE_PRODUCT_VERSION_NUMBERS};
  for (const wchar_t* file : {L"velmora_app.exe", L"qdl_cpl.exe"}) {
    EXPECT_EQ(ProductVersionOf(dir + L"\\" + file),
              (product[0] << 24) | (product[1] << 16) | (product[2] << 8) | product[3])
        << "the PRODUCTVERSION of its .rc should read KORVANE_PRODUCT_VERSION_NUMBERS";
  }
}

// A user's machine gets the programs without their debugging sections; the
// build keeps them, to read a crash report's addresses against.
TEST_F(Installer, ShipsTheProgramsStrippedAndTheBuildKeepsTheirSymbols) {
  Install();
  const std::wstring dir = InstallDir();
  const struct {
    const wchar_t* installed;
    const char* built;
  } programs[] = {{L"velmora_app.exe", "KORVANE_BUILT_MIXER"},
                  {L"qdl_cpl.exe", "KORVANE_BUILT_PANEL"}};
  for (const auto& program : programs) {
    const std::wstring built = BuildFile(program.built);
    ASSERT_TRUE(Exists(built)) << program.built << " does not name the program as built";
    EXPECT_TRUE(HasSymbols(built)) << program.built;
    const std::wstring installed = dir + L"\\" + program.installed;
    EXPECT_FALSE(HasSymbols(installed)) << program.built;
    EXPECT_LT(ReadFile(installed).size(), ReadFile(built).size()) << program.built;
  }
}

TEST_F(Installer, UninstallingTakesBackWhatWasInstalledAndLeavesTheUsersFiles) {
  Install();
  // A settings file the user saved beside the programs, and one elsewhere.
  const std::wstring dir = InstallDir();
  const std::wstring besideThePrograms = dir + L"\\my mix.kmx";
  const std::wstring inDocuments = Folder(CSIDL_PERSONAL) + L"\\installer_test.kmx";
  WriteFile(besideThePrograms, "user's");
  WriteFile(inDocuments, "user's");

  Uninstall();
  for (const wchar_t* file : {L"velmora_app.exe", L"qdl_cpl.exe", L"uninstall.exe"})
    EXPECT_FALSE(Exists(dir + L"\\" + file));
  EXPECT_FALSE(Exists(MenuFolder()));
  EXPECT_FALSE(KeyExists(kKmxKey));
  EXPECT_FALSE(KeyExists(kKmxClassKey));
  EXPECT_EQ(ReadFile(besideThePrograms), "user's");
  EXPECT_EQ(ReadFile(inDocuments), "user's");

  // Once the user's file is gone, nothing of the installation remains.
  DeleteFileW(besideThePrograms.c_str());
  DeleteFileW(inDocuments.c_str());
  ASSERT_EQ(RunToEnd(L"\"" + installer_ + L"\" /S"), 0);
  Uninstall();
  EXPECT_FALSE(Exists(dir));
  EXPECT_FALSE(Exists(Folder(CSIDL_PROGRAM_FILES) + L"\\Korvane"));
}

TEST_F(Installer, AnotherProgramsClaimOnKmxFilesIsGivenBack) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKmxKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t other[] = L"Other.Settings";
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof other);
  RegCloseKey(key);

  Install();
  EXPECT_EQ(StringOf(kKmxKey, nullptr), L"Korvane.VelmoraSettings");
  Uninstall();
  EXPECT_EQ(StringOf(kKmxKey, nullptr), L"Other.Settings");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kKmxKey);
}

// Opening a settings file as the shell does starts the mixer with the path in
// quotes, so that a path with spaces arrives whole.
TEST_F(Installer, OpeningASettingsFileStartsTheMixerWithItsPath) {
  Install();
  const std::wstring mixer = InstallDir() + L"\\velmora_app.exe";
  EXPECT_EQ(StringOf(kKmxKey, nullptr), L"Korvane.VelmoraSettings");
  EXPECT_EQ(StringOf((std::wstring(kKmxClassKey) + L"\\shell\\open\\command").c_str(), nullptr),
            L"\"" + mixer + L"\" \"%1\"");

  const std::wstring settings = Folder(CSIDL_PERSONAL) + L"\\installer test mix.kmx";
  // A settings file's size; what it holds is the mixer's concern.
  WriteFile(settings, std::string(212, '\0'));
  const std::string settingsText(settings.begin(), settings.end());

  // The real mixer: it needs an X-Tamber, and says in its support log which
  // file it loaded.
  simulator::DriverSimulator machine;
  ASSERT_EQ(machine.Open(20000), 0u);
  ASSERT_EQ(machine.Reset(1), 0u);
  const std::wstring log = Folder(CSIDL_LOCAL_APPDATA) + L"\\Korvane\\velmora_app.log";
  DeleteFileW(log.c_str());

  SHELLEXECUTEINFOW open{};
  open.cbSize = sizeof open;
  open.fMask = SEE_MASK_NOCLOSEPROCESS;
  open.lpVerb = L"open";
  open.lpFile = settings.c_str();
  open.nShow = SW_SHOWNORMAL;
  ASSERT_TRUE(ShellExecuteExW(&open));
  ASSERT_NE(open.hProcess, nullptr);

  // The mixer logs its command line as it arrived: the path, whole, in quotes.
  const std::string commandLine = "\"" + settingsText + "\"\n";
  EXPECT_TRUE(testsupport::Eventually([&] {
    return ReadFile(log).find(commandLine) != std::string::npos;
  })) << "the end of its support log (does the entry point open it?): "
      << ReadFile(log).substr(ReadFile(log).size() > 400 ? ReadFile(log).size() - 400 : 0);
  // Closed as a user would; the file was just loaded, so nothing is unsaved.
  const DWORD id = GetProcessId(open.hProcess);
  EnumWindows(
      [](HWND window, LPARAM process) -> BOOL {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == static_cast<DWORD>(process) && IsWindowVisible(window))
          PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
      },
      static_cast<LPARAM>(id));
  if (WaitForSingleObject(open.hProcess, 20000) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "the mixer did not close";
    TerminateProcess(open.hProcess, 1);
  }
  CloseHandle(open.hProcess);
  DeleteFileW(settings.c_str());
}

}  // namespace
