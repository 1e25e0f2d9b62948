// The development host on a real "HTMLUI" window and real sockets: showWizard runs on this
// thread (the UI thread) while a client thread talks HTTP to it as the browser would.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "devhost/devhost_host_win.h"
#include "htmlui/html_external_win.h"
#include "htmlui/script_job_win.h"
#include "shell/application_win.h"
#include "shell/win_raii.h"
#include "stub/my_external_methods_win.h"
#include "support/wine_support.h"

using namespace stubframework;
using namespace std::chrono_literals;

namespace {

struct Answer {
  int status = 0;
  std::string head;
  std::string body;
};

// One request on a fresh connection; status 0 when the host could not be reached.
Answer Http(uint16_t port, const std::string& request) {
  Answer answer;
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::closesocket(s);
    return answer;
  }
  ::send(s, request.data(), static_cast<int>(request.size()), 0);
  std::string received;
  char buffer[4096];
  for (int n; (n = ::recv(s, buffer, sizeof buffer, 0)) > 0;) received.append(buffer, n);
  ::closesocket(s);
  size_t end = received.find("\r\n\r\n");
  if (received.size() < 12 || end == std::string::npos) return answer;
  answer.status = std::atoi(received.substr(9, 3).c_str());
  answer.head = received.substr(0, end);
  answer.body = received.substr(end + 4);
  return answer;
}

// The URL line's port and token, once the host has written its file.
bool ReadUrlFile(const std::wstring& path, uint16_t& port, std::string& token) {
  for (int i = 0; i < 300; ++i) {
    std::string line = testing_support::ReadFileBytes(path);
    size_t colon = line.find("127.0.0.1:");
    size_t equals = line.find("token=");
    if (colon != std::string::npos && equals != std::string::npos) {
      port = static_cast<uint16_t>(std::atoi(line.c_str() + colon + 10));
      token = line.substr(equals + 6);
      while (!token.empty() && (token.back() == '\n' || token.back() == '\r')) token.pop_back();
      return true;
    }
    std::this_thread::sleep_for(50ms);
  }
  return false;
}

class DevhostHost : public ::testing::Test {
 protected:
  void SetUp() override {
    WSADATA data;
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &data), 0);
    ASSERT_TRUE(testing_support::WriteFileBytes(
        folder.path() + L"Load.html", "<!DOCTYPE html><html><head><script src=\"a.js\"></script></head></html>"));
    ASSERT_TRUE(testing_support::WriteFileBytes(folder.path() + L"a.js", "var a = 1;"));
    // A job as the job methods run one: the worker thread calls the function back twice.
    methods.registerMethod(L"testJob", [](WORD flags, DISPPARAMS* params, VARIANT*) -> HRESULT {
      if (flags != 1) return DISP_E_MEMBERNOTFOUND;
      if (!params || params->cArgs != 1 || params->rgvarg[0].vt != VT_DISPATCH) return DISP_E_TYPEMISMATCH;
      return StartScriptJob(nullptr, params->rgvarg[0].pdispVal, {L"marshal %x", L"unmarshal %x"},
                            [](ScriptCallback& callback) {
                              callback.call({10, 100, 5});
                              callback.call({0, 100, 100});
                            });
    });
    application.htmlExternal().publish(methods);
  }
  void TearDown() override { ::WSACleanup(); }

  // Runs the host on this thread and `client` on another with the host's port and token; the
  // client ends the run with closeWindow.
  void Serve(const std::function<void(uint16_t, const std::string&)>& client) {
    devhost::DevhostOptions options;
    options.urlFile = folder.path() + L"url.txt";
    devhost::DevhostWizardHost host(options);
    bool reached = false;
    std::thread thread([&] {
      uint16_t port = 0;
      std::string token;
      if (!ReadUrlFile(options.urlFile, port, token)) return;
      reached = true;
      client(port, token);
      Http(port, Post(port, token, R"({"name": "closeWindow", "flags": 1, "args": []})"));
    });
    host.showWizard(folder.path(), application.htmlExternal());
    thread.join();
    ASSERT_TRUE(reached) << "the host wrote no URL file";
  }

  static std::string Get(uint16_t port, const std::string& target, const std::string& extra = "") {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" + extra + "\r\n";
  }
  static std::string Post(uint16_t port, const std::string& token, const std::string& body) {
    return "POST /external/call HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\nX-Devhost-Token: " +
           token + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  }

  win::ComApartment apartment{COINIT_APARTMENTTHREADED};
  testing_support::ScratchFolder folder;
  core::Application application{nullptr};
  myexternalmethods::MyExternalMethods methods{&application};
};

}  // namespace

TEST_F(DevhostHost, RefusesRequestsWithoutTheTokenOrWithAnotherHost) {
  std::vector<std::pair<std::string, int>> seen;
  std::string cookieHead;
  Serve([&](uint16_t port, const std::string& token) {
    const std::string host = "Host: 127.0.0.1:" + std::to_string(port) + "\r\n";
    auto status = [&](const std::string& name, const std::string& request) {
      seen.emplace_back(name, Http(port, request).status);
    };
    status("no token", Get(port, "/Load.html"));
    status("wrong token", Get(port, "/Load.html?token=" + std::string(token.size(), '0')));
    status("other host", "GET /Load.html?token=" + token + " HTTP/1.1\r\nHost: localhost:" + std::to_string(port) +
                             "\r\n\r\n");
    status("no host", "GET /Load.html?token=" + token + " HTTP/1.1\r\n\r\n");
    status("call without token", "POST /external/call HTTP/1.1\r\n" + host +
                                     "Content-Length: 20\r\n\r\n{\"name\": \"getProperty\"}");
    Answer first = Http(port, Get(port, "/Load.html?token=" + token));
    seen.emplace_back("token in query", first.status);
    cookieHead = first.head;
    status("cookie", Get(port, "/a.js", "Cookie: devhost_token=" + token + "\r\n"));
    status("header", Get(port, "/external/methods", "X-Devhost-Token: " + token + "\r\n"));
    status("outside the bundle", Get(port, "/%2e%2e/url.txt?token=" + token));
    status("missing file", Get(port, "/Missing.html?token=" + token));
  });
  const std::vector<std::pair<std::string, int>> want = {
      {"no token", 403},    {"wrong token", 403},        {"other host", 403},          {"no host", 403},
      {"call without token", 403}, {"token in query", 200}, {"cookie", 200}, {"header", 200},
      {"outside the bundle", 404}, {"missing file", 404}};
  EXPECT_EQ(seen, want);
  EXPECT_NE(cookieHead.find("Set-Cookie: devhost_token="), std::string::npos) << cookieHead;
}

TEST_F(DevhostHost, CallsGoThroughTheDispatchAndErrorsComeBackAsHresults) {
  std::vector<std::pair<std::string, std::string>> answers;
  std::string page, shim, methodsList;
  Serve([&](uint16_t port, const std::string& token) {
    const std::pair<const char*, const char*> calls[] = {
        {"set", R"({"name": "setProperty", "flags": 1, "args": ["colour", "gr\u00fcn"], "wantResult": false})"},
        {"get", R"({"name": "getProperty", "flags": 3, "args": ["colour"], "wantResult": true})"},
        {"unknown name", R"({"name": "noSuchMethod", "flags": 1, "args": []})"},
        {"wrong type", R"({"name": "getProperty", "flags": 3, "args": [5], "wantResult": true})"},
        {"wrong count", R"({"name": "setProperty", "flags": 1, "args": ["only"]})"},
        {"swapped flag", R"({"name": "getProperty", "flags": 1, "args": ["colour"], "wantResult": true})"},
        {"lower case", R"({"name": "getproperty", "flags": 3, "args": ["colour"]})"},
    };
    for (auto& [what, body] : calls) answers.emplace_back(what, Http(port, Post(port, token, body)).body);
    page = Http(port, Get(port, "/Load.html?token=" + token)).body;
    shim = Http(port, Get(port, "/devhost/external.js?token=" + token)).body;
    methodsList = Http(port, Get(port, "/external/methods?token=" + token)).body;
  });
  const std::vector<std::pair<std::string, std::string>> want = {
      {"set", R"({"hresult": "0x00000000", "result": null})"},
      {"get", "{\"hresult\": \"0x00000000\", \"result\": \"gr\xC3\xBCn\"}"},
      {"unknown name", R"({"hresult": "0x80020006", "result": null})"},
      {"wrong type", R"({"hresult": "0x80020005", "result": null})"},
      {"wrong count", R"({"hresult": "0x8002000E", "result": null})"},
      {"swapped flag", R"({"hresult": "0x80020003", "result": null})"},
      {"lower case", R"({"hresult": "0x80020006", "result": null})"},
  };
  EXPECT_EQ(answers, want);
  // The shim comes before the page's own script; the page is otherwise as the bundle has it.
  EXPECT_EQ(page, "<!DOCTYPE html><html><head><script src=\"/devhost/external.js\"></script>"
                  "<script src=\"a.js\"></script></head></html>");
  EXPECT_NE(shim.find("/external/events"), std::string::npos);
  EXPECT_NE(methodsList.find(R"({"name": "getProperty", "flags": 3, "result": true})"), std::string::npos);
  EXPECT_NE(methodsList.find(R"({"name": "testJob", "flags": 1, "result": true})"), std::string::npos);
}

TEST_F(DevhostHost, AFunctionCalledFromAWorkerArrivesThroughTheEvents) {
  std::string started, events;
  Serve([&](uint16_t port, const std::string& token) {
    started = Http(port, Post(port, token, R"({"name": "testJob", "flags": 1, "args": [{"function": 4}]})")).body;
    // The two calls may come in one answer or in two.
    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (events.find("100, 100") == std::string::npos && std::chrono::steady_clock::now() < deadline)
      events += Http(port, Get(port, "/external/events?token=" + token)).body;
  });
  EXPECT_EQ(started, R"({"hresult": "0x00000000", "result": null})");
  EXPECT_TRUE(events == R"([{"function": 4, "args": [10, 100, 5]}, {"function": 4, "args": [0, 100, 100]}])" ||
              events == R"([{"function": 4, "args": [10, 100, 5]}][{"function": 4, "args": [0, 100, 100]}])")
      << events;
}

TEST_F(DevhostHost, AWaitingEventsRequestIsAnsweredWhenTheWindowCloses) {
  Answer pending;
  auto start = std::chrono::steady_clock::now();
  Serve([&](uint16_t port, const std::string& token) {
    std::thread waiter([&] { pending = Http(port, Get(port, "/external/events?token=" + token)); });
    std::this_thread::sleep_for(300ms);
    Http(port, Post(port, token, R"({"name": "closeWindow", "flags": 1, "args": []})"));
    waiter.join();
  });
  EXPECT_EQ(pending.status, 200);
  EXPECT_EQ(pending.body, "[]");
  EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
}
