// The program's message boxes, through a hook that tests replace with a
// scripted answer, so no test waits for a person.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace app {

using MessageBoxHook = std::function<int(HWND owner, const std::wstring& text,
                                         const std::wstring& caption, UINT type)>;

// An empty hook restores MessageBoxW.
void SetMessageBoxHook(MessageBoxHook hook);
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);

}  // namespace app
