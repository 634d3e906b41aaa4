// What a parent window does for its toolkit children, from its window
// procedure: a child's WM_COMMAND goes to the child object's OnCommand, and a
// colour message goes back to the child itself, whose HandleMessage picks the
// colours and the brush (a combo box is never sent it back).
#pragma once

#include <windows.h>

// True when the message was one of those and went to the child; *result is
// then what the parent returns.
bool ReflectToChild(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
