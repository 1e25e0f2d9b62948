#pragma once
// The messages of /external/call and /external/events.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "devhost/json.h"

namespace stubframework::devhost {

// One script argument as the engine would pass it: text (VT_BSTR), a 32-bit integer (VT_I4),
// a boolean (VT_BOOL), a script function (VT_DISPATCH), another number (VT_R8) or null (VT_NULL).
struct ScriptArg {
  enum class Kind { Text, Int, Bool, Function, Number, Null };
  Kind kind = Kind::Null;
  std::string text;
  int32_t integer = 0;
  bool boolean = false;
  double number = 0;
  int64_t function = 0;
};

// {"name": "getProperty", "flags": 3, "args": ["x"], "wantResult": true}; flags and wantResult
// default to the method's traits.
struct CallRequest {
  std::string name;
  uint16_t flags = 1;
  std::vector<ScriptArg> args;  // script order
  bool wantResult = false;
};

// nullopt with a reason for a body that is not such a request.
std::optional<CallRequest> ParseCallRequest(std::string_view body, std::string* reason);

// {"hresult": "0x8002000E", "result": ...}
std::string CallAnswerJson(uint32_t hresult, const JsonValue& result);
std::string HresultText(uint32_t hresult);

// A call that a job made to a script function: its number and the arguments in script order.
struct ScriptEvent {
  int64_t function = 0;
  std::vector<JsonValue> args;
};

std::string EventsJson(const std::vector<ScriptEvent>& events);

// The calls made to script functions and not yet answered. Any thread pushes; the events
// request takes everything queued, waiting until there is something, the time is up or the
// queue is closed.
class EventQueue {
 public:
  void push(ScriptEvent event);
  // `stillWanted` is asked between short waits and before taking: once it says no (the
  // browser has dropped the request, for example on leaving the page) nothing is taken, so
  // the events stay for the next request.
  std::vector<ScriptEvent> take(std::chrono::milliseconds wait, const std::function<bool()>& stillWanted = {});
  // Wakes every waiter; later takes do not wait.
  void close();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<ScriptEvent> events_;
  bool closed_ = false;
};

}  // namespace stubframework::devhost
