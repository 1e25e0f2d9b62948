#include "htmlui/message_box_win.h"

#include <mutex>

namespace stubframework::htmlui {

namespace {
std::mutex gMutex;
std::optional<int> gAnswer;
MessageBoxAnswerLog gLog = nullptr;
}  // namespace

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  std::optional<int> answer;
  MessageBoxAnswerLog log = nullptr;
  {
    std::lock_guard<std::mutex> lock(gMutex);
    answer = gAnswer;
    log = gLog;
  }
  if (!answer) return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
  if (log) log(text, caption, *answer);
  return *answer;
}

void SetMessageBoxAnswer(std::optional<int> answer) {
  std::lock_guard<std::mutex> lock(gMutex);
  gAnswer = answer;
}

void SetMessageBoxAnswerLog(MessageBoxAnswerLog log) {
  std::lock_guard<std::mutex> lock(gMutex);
  gLog = log;
}

}  // namespace stubframework::htmlui
