#include "devhost/server_win.h"

#include <ws2tcpip.h>

#include <string>

namespace stubframework::devhost {

namespace {

constexpr DWORD kReceiveTimeoutMs = 30000;

bool SendAll(SOCKET s, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    int n = ::send(s, bytes.data() + sent, static_cast<int>(std::min<size_t>(bytes.size() - sent, 1 << 20)), 0);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

// Readable with nothing to read: the peer has closed (or reset) the connection.
bool PeerClosed(SOCKET s) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  timeval now{0, 0};
  int ready = ::select(0, &readable, nullptr, nullptr, &now);
  if (ready == 0) return false;
  if (ready < 0) return true;
  char c;
  return ::recv(s, &c, 1, MSG_PEEK) <= 0;
}

}  // namespace

bool HttpServer::start(uint16_t port, Handler handler) {
  WSADATA data;
  if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  winsock_ = true;
  handler_ = std::move(handler);
  listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener_ == INVALID_SOCKET) return false;
  // Nobody else may take over the port while we hold it.
  BOOL exclusive = TRUE;
  ::setsockopt(listener_, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, SOMAXCONN) != 0)
    return false;
  int length = sizeof address;
  if (::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) return false;
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { acceptLoop(); });
  return true;
}

void HttpServer::acceptLoop() {
  for (;;) {
    SOCKET s = ::accept(listener_, nullptr, nullptr);
    if (s == INVALID_SOCKET) {
      if (stopping_) return;
      ::Sleep(10);
      continue;
    }
    joinFinished(false);
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) {
      ::closesocket(s);
      return;
    }
    auto connection = std::make_unique<Connection>();
    connection->socket = s;
    Connection& c = *connection;
    connections_.push_back(std::move(connection));
    try {
      c.thread = std::thread([this, &c] { serve(c); });
    } catch (...) {
      ::closesocket(s);
      c.socket = INVALID_SOCKET;
      c.finished = true;
    }
  }
}

void HttpServer::serve(Connection& connection) {
  SOCKET s = connection.socket;
  DWORD timeout = kReceiveTimeoutMs;
  ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  std::string received;
  HttpParse parse;
  char buffer[16384];
  for (;;) {
    parse = ParseHttpRequest(received);
    if (parse.status != HttpParseStatus::Incomplete) break;
    int n = ::recv(s, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    received.append(buffer, static_cast<size_t>(n));
  }
  if (parse.status != HttpParseStatus::Incomplete) {
    HttpResponse response;
    if (parse.status == HttpParseStatus::Complete) {
      try {
        response = handler_(parse.request, [s] { return PeerClosed(s); });
      } catch (...) {
        response = TextResponse(500, "internal error\n");
      }
    } else {
      response = TextResponse(parse.status == HttpParseStatus::TooLarge ? 413 : 400, "bad request\n");
    }
    SendAll(s, SerializeHttpResponse(response, parse.request.method == "HEAD"));
    ::shutdown(s, SD_SEND);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  ::closesocket(s);
  connection.socket = INVALID_SOCKET;
  connection.finished = true;
}

void HttpServer::joinFinished(bool all) {
  std::list<std::unique_ptr<Connection>> done;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = connections_.begin(); it != connections_.end();) {
      if (all || (*it)->finished) {
        done.push_back(std::move(*it));
        it = connections_.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& c : done)
    if (c->thread.joinable()) c->thread.join();
}

void HttpServer::stop(const std::function<void()>& whileWaiting) {
  if (stopping_.exchange(true)) return;
  if (listener_ != INVALID_SOCKET) {
    ::closesocket(listener_);
    listener_ = INVALID_SOCKET;
  }
  if (acceptor_.joinable()) acceptor_.join();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& c : connections_)
      if (c->socket != INVALID_SOCKET) ::shutdown(c->socket, SD_BOTH);
  }
  for (;;) {
    bool open = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (auto& c : connections_) open = open || !c->finished;
    }
    if (!open) break;
    if (whileWaiting) whileWaiting();
    else ::Sleep(10);
  }
  joinFinished(true);
  if (winsock_) {
    ::WSACleanup();
    winsock_ = false;
  }
}

}  // namespace stubframework::devhost
