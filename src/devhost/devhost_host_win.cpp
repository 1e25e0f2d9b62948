#include "devhost/devhost_host_win.h"

#include <winsock2.h>
#include <windows.h>
#include <wincrypt.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <vector>

#include "core/text.h"
#include "devhost/access.h"
#include "devhost/call_protocol.h"
#include "devhost/method_traits.h"
#include "devhost/routes.h"
#include "devhost/server_win.h"
#include "devhost/shim_injection.h"
#include "devhost/ui_bridge_win.h"
#include "devhost/variant_json_win.h"
#include "htmlui/html_external_win.h"
#include "htmlui/message_box_win.h"
#include "htmlui/wizard_window_win.h"
#include "shell/win_raii.h"

namespace stubframework::devhost {

namespace {

constexpr auto kEventsWait = std::chrono::seconds(25);

std::optional<std::string> RandomToken() {
  HCRYPTPROV provider = 0;
  if (!::CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return std::nullopt;
  BYTE bytes[16];
  BOOL ok = ::CryptGenRandom(provider, sizeof bytes, bytes);
  ::CryptReleaseContext(provider, 0);
  if (!ok) return std::nullopt;
  static const char kHex[] = "0123456789abcdef";
  std::string token;
  for (BYTE b : bytes) {
    token += kHex[b >> 4];
    token += kHex[b & 15];
  }
  return token;
}

// The whole file, or nullopt.
std::optional<std::string> ReadWholeFile(const std::wstring& path) {
  win::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 256 * 1024 * 1024) return std::nullopt;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() && (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                         read != bytes.size()))
    return std::nullopt;
  return bytes;
}

// Written beside and moved into place, so that a reader never sees half a line.
bool WriteUrlFile(const std::wstring& path, const std::string& text) {
  std::wstring temporary = path + L".tmp";
  {
    win::UniqueHandle file(
        ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (!::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) return false;
  }
  return ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void LogAnsweredBox(const std::wstring& text, const std::wstring& caption, int answer) {
  PrintLine("devhost: message box \"" + utils::ToUtf8(caption) + "\": " + utils::ToUtf8(text) + " -> " +
            (answer == IDCANCEL ? "Cancel" : "OK"));
}

// One run of the host: what the server's threads share with the UI thread.
class Session {
 public:
  Session(std::wstring bundleFolder, core::HtmlExternal& external, std::string token)
      : bundleFolder_(std::move(bundleFolder)), external_(external), token_(std::move(token)) {
    if (!bundleFolder_.empty() && bundleFolder_.back() != L'\\') bundleFolder_ += L'\\';
    const htmlui::PublishedEntry* entries = nullptr;
    size_t count = external_.getEntries(&entries);
    std::vector<std::string> names;
    for (size_t i = 0; i < count; ++i) names.push_back(utils::ToUtf8(*entries[i].name));
    methodsJson_ = MethodsJson(names);
  }

  UiBridge& bridge() { return bridge_; }
  EventQueue& events() { return events_; }
  void setPort(uint16_t port) { port_ = port; }

  // On a connection's thread.
  HttpResponse handle(const HttpRequest& request, const std::function<bool()>& clientGone) {
    AccessDecision access = CheckAccess(request, token_, port_);
    if (!access.allowed) return TextResponse(403, "forbidden\n");
    HttpResponse response = route(request, clientGone);
    if (access.setCookie) response.headers.emplace_back("Set-Cookie", TokenCookie(token_));
    return response;
  }

 private:
  HttpResponse route(const HttpRequest& request, const std::function<bool()>& clientGone) {
    RouteMatch match = MatchRoute(request);
    switch (match.route) {
      case Route::Call: return call(request);
      case Route::Events:
        return JsonResponse(EventsJson(events_.take(kEventsWait, [&] { return !clientGone(); })));
      case Route::Methods: return JsonResponse(methodsJson_);
      case Route::Shim: {
        HttpResponse r;
        r.contentType = "application/javascript; charset=utf-8";
        r.body = ShimScript();
        return r;
      }
      case Route::File: return file(match.file);
      case Route::MethodNotAllowed: return TextResponse(405, "method not allowed\n");
      case Route::NotFound: break;
    }
    return TextResponse(404, "not found\n");
  }

  HttpResponse file(const std::string& relative) {
    auto wide = utils::FromUtf8(relative);
    if (!wide) return TextResponse(404, "not found\n");
    for (auto& c : *wide)
      if (c == L'/') c = L'\\';
    auto bytes = ReadWholeFile(bundleFolder_ + *wide);
    if (!bytes) return TextResponse(404, "not found\n");
    HttpResponse r;
    r.contentType = ContentTypeOf(relative);
    r.body = IsHtmlFile(relative) ? InjectShim(*bytes) : std::move(*bytes);
    return r;
  }

  HttpResponse call(const HttpRequest& request) {
    std::string reason;
    auto parsed = ParseCallRequest(request.body, &reason);
    if (!parsed) return TextResponse(400, reason + "\n");
    std::string answer;
    bool ran = bridge_.run([&] { answer = invoke(*parsed); });
    if (!ran) return TextResponse(503, "the wizard has closed\n");
    if (answer.empty()) return TextResponse(400, "an argument is not valid text\n");
    return JsonResponse(std::move(answer));
  }

  // On the UI thread: what a script engine does for one call. Empty for arguments that cannot
  // be made.
  std::string invoke(const CallRequest& call) noexcept {
    try {
      std::wstring name = utils::FromUtf8(call.name).value_or(L"");
      LPOLESTR names[] = {name.data()};
      DISPID id = DISPID_UNKNOWN;
      HRESULT hr = external_.GetIDsOfNames(IID_NULL, names, 1, 0, &id);
      if (FAILED(hr)) return CallAnswerJson(static_cast<uint32_t>(hr), JsonValue::Null());

      // The block holds the last script argument first.
      std::vector<VARIANT> block(call.args.size());
      bool made = true;
      size_t n = call.args.size();
      for (size_t i = 0; i < n; ++i) made = ToVariant(call.args[i], events_, block[n - 1 - i]) && made;
      std::string answer;
      if (made) {
        DISPPARAMS params{block.data(), nullptr, static_cast<UINT>(n), 0};
        win::Variant result;
        hr = external_.Invoke(id, IID_NULL, 0, call.flags, &params, call.wantResult ? result.get() : nullptr, nullptr,
                              nullptr);
        answer = CallAnswerJson(static_cast<uint32_t>(hr), ToJson(*result));
      }
      for (auto& v : block) ::VariantClear(&v);
      return answer;
    } catch (...) {
      return CallAnswerJson(static_cast<uint32_t>(E_OUTOFMEMORY), JsonValue::Null());
    }
  }

  std::wstring bundleFolder_;
  core::HtmlExternal& external_;
  std::string token_;
  uint16_t port_ = 0;
  std::string methodsJson_;
  UiBridge bridge_;
  EventQueue events_;
};

}  // namespace

void PrintLine(const std::string& line) {
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (!out || out == INVALID_HANDLE_VALUE) return;
  std::string text = line + "\n";
  DWORD written = 0;
  ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::FlushFileBuffers(out);
}

DevhostWizardHost::DevhostWizardHost(DevhostOptions options) : options_(std::move(options)) {
  if (options_.answerOk) {
    htmlui::SetMessageBoxAnswerLog(&LogAnsweredBox);
    htmlui::SetMessageBoxAnswer(*options_.answerOk ? IDOK : IDCANCEL);
  }
}

void DevhostWizardHost::showWizard(const std::wstring& bundleFolder, core::HtmlExternal& external) {
  auto token = RandomToken();
  if (!token) {
    PrintLine("devhost: no random token could be made");
    return;
  }
  bool done = false;
  HWND window = htmlui::CreateWizardWindow(L"", external, &done);
  if (!window) {
    PrintLine("devhost: the wizard window could not be created");
    return;
  }
  {
    // Destroyed before the window: the bridge's window and the session belong to this thread.
    Session session(bundleFolder, external, *token);
    HttpServer server;
    if (!session.bridge().ok() ||
        !server.start(options_.port, [&session](const HttpRequest& r, const std::function<bool()>& gone) { return session.handle(r, gone); })) {
      PrintLine("devhost: cannot listen on 127.0.0.1:" + std::to_string(options_.port));
      server.stop({});
    } else {
      session.setPort(server.port());
      std::string line = DevhostUrlLine(server.port(), *token);
      PrintLine(line);
      if (!options_.urlFile.empty() && !WriteUrlFile(options_.urlFile, line + "\n"))
        PrintLine("devhost: the URL file could not be written");
      htmlui::RunWizardLoop(window, &done);
      session.bridge().close();
      session.events().close();
      server.stop([] { PumpSentMessages(20); });
    }
  }
  ::DestroyWindow(window);
}

}  // namespace stubframework::devhost
