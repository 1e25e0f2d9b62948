#include "devhost/call_protocol.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "devhost/method_traits.h"

namespace stubframework::devhost {

namespace {

bool Fail(std::string* reason, const char* why) {
  if (reason) *reason = why;
  return false;
}

bool ToArg(const JsonValue& value, ScriptArg& arg, std::string* reason) {
  using Type = JsonValue::Type;
  switch (value.type) {
    case Type::String:
      arg.kind = ScriptArg::Kind::Text;
      arg.text = value.text;
      return true;
    case Type::Bool:
      arg.kind = ScriptArg::Kind::Bool;
      arg.boolean = value.boolean;
      return true;
    case Type::Null:
      arg.kind = ScriptArg::Kind::Null;
      return true;
    case Type::Number:
      if (value.integer && *value.integer >= std::numeric_limits<int32_t>::min() &&
          *value.integer <= std::numeric_limits<int32_t>::max()) {
        arg.kind = ScriptArg::Kind::Int;
        arg.integer = static_cast<int32_t>(*value.integer);
      } else {
        arg.kind = ScriptArg::Kind::Number;
        arg.number = value.number;
      }
      return true;
    case Type::Object: {
      const JsonValue* id = value.find("function");
      if (value.keys.size() != 1 || !id || !id->integer || *id->integer < 0)
        return Fail(reason, "an object argument must be {\"function\": N}");
      arg.kind = ScriptArg::Kind::Function;
      arg.function = *id->integer;
      return true;
    }
    case Type::Array: return Fail(reason, "arrays cannot be arguments");
  }
  return false;
}

}  // namespace

std::optional<CallRequest> ParseCallRequest(std::string_view body, std::string* reason) {
  auto json = ParseJson(body);
  if (!json || json->type != JsonValue::Type::Object) {
    Fail(reason, "the body is not a JSON object");
    return std::nullopt;
  }
  CallRequest call;
  const JsonValue* name = json->find("name");
  if (!name || name->type != JsonValue::Type::String || name->text.empty()) {
    Fail(reason, "\"name\" must be a non-empty string");
    return std::nullopt;
  }
  call.name = name->text;
  MethodTraits traits = TraitsOf(call.name);
  call.flags = traits.flags;
  call.wantResult = traits.hasResult;
  if (const JsonValue* flags = json->find("flags")) {
    if (!flags->integer || *flags->integer < 0 || *flags->integer > 0xFFFF) {
      Fail(reason, "\"flags\" must be an integer from 0 to 65535");
      return std::nullopt;
    }
    call.flags = static_cast<uint16_t>(*flags->integer);
  }
  if (const JsonValue* want = json->find("wantResult")) {
    if (want->type != JsonValue::Type::Bool) {
      Fail(reason, "\"wantResult\" must be a boolean");
      return std::nullopt;
    }
    call.wantResult = want->boolean;
  }
  if (const JsonValue* args = json->find("args")) {
    if (args->type != JsonValue::Type::Array) {
      Fail(reason, "\"args\" must be an array");
      return std::nullopt;
    }
    for (const auto& item : args->items) {
      ScriptArg arg;
      if (!ToArg(item, arg, reason)) return std::nullopt;
      call.args.push_back(std::move(arg));
    }
  }
  return call;
}

std::string HresultText(uint32_t hresult) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hresult));
  return buffer;
}

std::string CallAnswerJson(uint32_t hresult, const JsonValue& result) {
  return "{\"hresult\": \"" + HresultText(hresult) + "\", \"result\": " + WriteJson(result) + "}";
}

std::string EventsJson(const std::vector<ScriptEvent>& events) {
  std::string out = "[";
  for (size_t i = 0; i < events.size(); ++i) {
    if (i) out += ", ";
    out += "{\"function\": " + std::to_string(events[i].function) +
           ", \"args\": " + WriteJson(JsonValue::Array(events[i].args)) + "}";
  }
  return out + "]";
}

void EventQueue::push(ScriptEvent event) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(event));
  }
  changed_.notify_all();
}

std::vector<ScriptEvent> EventQueue::take(std::chrono::milliseconds wait, const std::function<bool()>& stillWanted) {
  constexpr auto kSlice = std::chrono::milliseconds(200);
  const auto deadline = std::chrono::steady_clock::now() + wait;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    auto left = deadline - std::chrono::steady_clock::now();
    auto slice = stillWanted && left > kSlice ? std::chrono::steady_clock::duration(kSlice) : left;
    if (changed_.wait_for(lock, slice, [&] { return closed_ || !events_.empty(); })) break;
    if (std::chrono::steady_clock::now() >= deadline) break;
    if (stillWanted) {
      lock.unlock();
      bool wanted = stillWanted();
      lock.lock();
      if (!wanted) return {};
    }
  }
  if (stillWanted && !events_.empty()) {
    lock.unlock();
    bool wanted = stillWanted();
    lock.lock();
    if (!wanted) return {};
  }
  std::vector<ScriptEvent> out(std::make_move_iterator(events_.begin()), std::make_move_iterator(events_.end()));
  events_.clear();
  return out;
}

void EventQueue::close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

}  // namespace stubframework::devhost
