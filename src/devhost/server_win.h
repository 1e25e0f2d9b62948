#pragma once
// The development host's HTTP server: Winsock on 127.0.0.1 only, one thread per connection
// (the events request waits while calls go on), one request per connection.
#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "devhost/http_message.h"

namespace stubframework::devhost {

class HttpServer {
 public:
  // Runs on the connection's thread; must not throw. `clientGone` tells whether the browser
  // has closed the connection meanwhile.
  using Handler = std::function<HttpResponse(const HttpRequest&, const std::function<bool()>& clientGone)>;

  HttpServer() = default;
  ~HttpServer() { stop({}); }
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // Listens on 127.0.0.1:port (0: a free port). False when it cannot.
  bool start(uint16_t port, Handler handler);
  uint16_t port() const { return port_; }
  // Stops accepting, ends the open connections and waits for their threads, calling
  // `whileWaiting` in between (the UI thread answers the work they may be waiting on).
  void stop(const std::function<void()>& whileWaiting);

 private:
  struct Connection {
    SOCKET socket = INVALID_SOCKET;
    std::thread thread;
    std::atomic<bool> finished{false};
  };
  void acceptLoop();
  void serve(Connection& connection);
  void joinFinished(bool all);

  Handler handler_;
  SOCKET listener_ = INVALID_SOCKET;
  uint16_t port_ = 0;
  bool winsock_ = false;
  std::thread acceptor_;
  std::mutex mutex_;
  std::list<std::unique_ptr<Connection>> connections_;
  std::atomic<bool> stopping_{false};
};

}  // namespace stubframework::devhost
