// A name for a standard control whose text alone says too little to a screen
// reader (three buttons reading "Apply" on one page): the control answers
// WM_GETOBJECT with its standard object under that name, and keeps its text.
#pragma once

#include <windows.h>

// name: UTF-8. Nothing for a null handle; a second call renames.
void SetAccessibleName(HWND control, const char* name);
