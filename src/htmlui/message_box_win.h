#pragma once
// The message boxes of the window methods. The stub shows real boxes; the development host can
// answer every box at once (--devhost-answer=ok|cancel), logging its text instead.
#include <windows.h>

#include <optional>
#include <string>

namespace stubframework::htmlui {

// MessageBoxW, or the preset answer (IDOK, IDCANCEL, ...) without a box when one is set.
int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);

// Sets the answer every later box gets at once; std::nullopt shows real boxes again.
void SetMessageBoxAnswer(std::optional<int> answer);

// Receives the text and caption of each box answered at once (the development host logs them).
// Not called for real boxes.
using MessageBoxAnswerLog = void (*)(const std::wstring& text, const std::wstring& caption, int answer);
void SetMessageBoxAnswerLog(MessageBoxAnswerLog log);

}  // namespace stubframework::htmlui
