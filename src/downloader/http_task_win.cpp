// HttpTask: one HTTP GET on asynchronous WinINet. It hands the header and then the body, chunk
// by chunk, to its callback and judges nothing; the transfers decide what they accept.
#include <windows.h>
#include <wininet.h>
#include <urlmon.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "downloader/interfaces.h"
#include "downloader/task_lock.h"

namespace downloader {
namespace {

constexpr DWORD kHttpFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION |
                             INTERNET_FLAG_NO_UI;  // 0x84400200

class HttpTask : public ITask, public TaskLock<HttpTask, long> {
 public:
  HttpTask(std::wstring url, RangeRequest&& request, IHttpCallback* callback, ILogger* logger)
      : url_(std::move(url)), offset_(request.offset), size_(request.size), etag_(std::move(request.etag)),
        callback_(Ref<IHttpCallback>::share(callback)), logger_(Ref<ILogger>::share(logger)) {}
  ~HttpTask() override { CloseSession(); }

  void Start() override;
  void Cancel() override {
    logger_->Log(L"HttpTask::Cancel", L"Cancel");
    Finish(kCancelled);
  }

  static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, void* info, DWORD length);

 private:
  friend class TaskLock<HttpTask, long>;
  enum class Next { AfterSend, AfterQuery };

  // Closing the request makes the library deliver the handle-closing notification, where the
  // task completes.
  void Abort() {
    if (HINTERNET request = request_) {
      request_ = nullptr;
      ::InternetCloseHandle(request);
    }
  }
  bool Idle() { return closed_; }
  void Complete();

  long CreateSession();
  long Connect();
  void CloseSession() {
    if (connection_) ::InternetCloseHandle(std::exchange(connection_, nullptr));
    if (session_) ::InternetCloseHandle(std::exchange(session_, nullptr));
  }
  void SendRequest();
  void AfterSend();
  void ReadLoop();
  // False when the loop stops.
  bool ProcessData();
  void OnStatus(DWORD status, void* info);
  std::string QueryHeader(DWORD query);

  std::wstring url_;
  std::int64_t offset_, size_;
  std::string etag_;
  Ref<IHttpCallback> callback_;
  HINTERNET session_ = nullptr, connection_ = nullptr, request_ = nullptr;
  DWORD available_ = 0;
  long result_ = 0;
  Next next_ = Next::AfterSend;
  Ref<ILogger> logger_;
  bool closed_ = false;
};

long HttpTask::CreateSession() {
  DWORD size = 256;
  char* agent = static_cast<char*>(std::malloc(size));
  if (!agent) {
    logger_->Log(L"HttpTask::CreateSession", L"malloc(%u) failed.", static_cast<unsigned>(size));
    return kOutOfMemory;
  }
  HRESULT hr;
  for (;;) {
    DWORD asked = size;
    hr = ::ObtainUserAgentString(0, agent, &asked);
    if (hr != static_cast<HRESULT>(0x8007000E)) break;
    std::free(agent);
    size = asked > size ? asked : size * 2;
    agent = static_cast<char*>(std::malloc(size));
    if (!agent) {
      logger_->Log(L"HttpTask::CreateSession", L"malloc(%u) failed.", static_cast<unsigned>(size));
      return kOutOfMemory;
    }
  }
  if (FAILED(hr)) {
    std::free(agent);
    logger_->Log(L"HttpTask::CreateSession", L"ObtailUserAgentString failed: 0x%08X.", static_cast<unsigned>(hr));
    return hr;
  }
  session_ = ::InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, INTERNET_FLAG_ASYNC);
  std::free(agent);
  if (!session_) {
    const DWORD error = ::GetLastError();
    logger_->Log(L"HttpTask::CreateSession", L"InternetOpenA failed: %u.", static_cast<unsigned>(error));
    return ResultFromError(error);
  }
  DWORD timeout = 60000;
  ::InternetSetOptionW(session_, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
  timeout = 30000;
  ::InternetSetOptionW(session_, INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
  ::InternetSetOptionW(session_, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
  return 0;
}

long HttpTask::Connect() {
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = 1;
  parts.dwUserNameLength = 1;
  parts.dwPasswordLength = 1;
  parts.dwUrlPathLength = 1;
  if (!::InternetCrackUrlW(url_.c_str(), 0, 0, &parts)) {
    const DWORD error = ::GetLastError();
    logger_->Log(L"HttpTask::Connect", L"InternetCrackUrlW failed: %u.", static_cast<unsigned>(error));
    return ResultFromError(error);
  }
  DWORD flags;
  if (parts.nScheme == INTERNET_SCHEME_HTTP) {
    flags = kHttpFlags;
  } else if (parts.nScheme == INTERNET_SCHEME_HTTPS) {
    flags = kHttpFlags | INTERNET_FLAG_SECURE;
  } else {
    return kBadScheme;
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  const std::wstring user(parts.lpszUserName ? parts.lpszUserName : L"", parts.lpszUserName ? parts.dwUserNameLength : 0);
  const std::wstring password(parts.lpszPassword ? parts.lpszPassword : L"",
                              parts.lpszPassword ? parts.dwPasswordLength : 0);
  // The object name runs from the path to the end of the URL: path, query and fragment.
  const std::wstring object = parts.lpszUrlPath ? std::wstring(parts.lpszUrlPath) : std::wstring(L"/");
  connection_ = ::InternetConnectW(session_, host.c_str(), parts.nPort, user.empty() ? nullptr : user.c_str(),
                                   password.empty() ? nullptr : password.c_str(), INTERNET_SERVICE_HTTP, 0, 0);
  if (!connection_) {
    const DWORD error = ::GetLastError();
    logger_->Log(L"HttpTask::Connect", L"InternetConnectW failed: %u.", static_cast<unsigned>(error));
    return ResultFromError(error);
  }
  HINTERNET request = ::HttpOpenRequestW(connection_, nullptr, object.c_str(), nullptr, nullptr, nullptr, flags,
                                         reinterpret_cast<DWORD_PTR>(this));
  if (!request) {
    const DWORD error = ::GetLastError();
    logger_->Log(L"HttpTask::Connect", L"HttpOpenRequestW failed: %u.", static_cast<unsigned>(error));
    ::InternetCloseHandle(std::exchange(connection_, nullptr));
    return ResultFromError(error);
  }
  {
    std::lock_guard guard(lock_);
    request_ = request;
  }
  ::InternetSetStatusCallbackW(request, StatusCallback);
  return 0;
}

void HttpTask::Start() {
  if (!LockStart()) return;
  logger_->Log(L"HttpTask::Start", L"Start %s (OFFSET:%lld,SIZE:%lld,ETAG:%S).", url_.c_str(),
               static_cast<long long>(offset_), static_cast<long long>(size_), etag_.c_str());
  long failure = CreateSession();
  if (failure == 0) failure = Connect();
  if (failure != 0) {
    // Nothing was sent: complete here, before the task has taken its own reference.
    CloseSession();
    Finish(failure);
    {
      std::lock_guard guard(lock_);
      closed_ = true;
    }
    Ref<IHttpCallback> callback = std::move(callback_);
    callback->OnComplete(result_);
    return;
  }
  AddRef();
  if (size_ != 0) {
    char range[64];
    std::snprintf(range, sizeof range, "Range: bytes=%lld-%lld", static_cast<long long>(offset_),
                  static_cast<long long>(offset_ + size_ - 1));
    ::HttpAddRequestHeadersA(request_, range, static_cast<DWORD>(-1), HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);
    logger_->Log(L"HttpTask::SetRange", L"%S", range);
    if (!etag_.empty()) {
      const std::string ifRange = "If-Range: " + etag_;
      ::HttpAddRequestHeadersA(request_, ifRange.c_str(), static_cast<DWORD>(-1),
                               HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);
      logger_->Log(L"HttpTask::SetIfRange", L"%S", ifRange.c_str());
    }
  }
  SendRequest();
  StepExit();
}

void HttpTask::SendRequest() {
  next_ = Next::AfterSend;
  if (::HttpSendRequestA(request_, nullptr, 0, nullptr, 0)) return AfterSend();
  const DWORD error = ::GetLastError();
  if (error == ERROR_IO_PENDING) return;
  logger_->Log(L"HttpTask::SendRequest", L"HttpSendRequestA failed: %u.", static_cast<unsigned>(error));
  Finish(ResultFromError(error));
}

std::string HttpTask::QueryHeader(DWORD query) {
  DWORD size = 0;
  std::string value;
  if (::HttpQueryInfoA(request_, query, nullptr, &size, nullptr)) return value;
  DWORD error = ::GetLastError();
  while (error == ERROR_INSUFFICIENT_BUFFER) {
    char* buffer = static_cast<char*>(std::malloc(size + 1));
    if (!buffer) {
      logger_->Log(L"HttpTask::GetHeader", L"malloc(%u) failed.", static_cast<unsigned>(size + 1));
      return value;
    }
    if (::HttpQueryInfoA(request_, query, buffer, &size, nullptr)) {
      value.assign(buffer, size);
      std::free(buffer);
      return value;
    }
    std::free(buffer);
    error = ::GetLastError();
  }
  if (error != ERROR_HTTP_HEADER_NOT_FOUND)
    logger_->Log(L"HttpTask::GetHeader", L"HttpQueryInfoA failed: %u", static_cast<unsigned>(error));
  return value;
}

void HttpTask::AfterSend() {
  HttpHeader header;
  DWORD status = 0, length = sizeof status;
  if (::HttpQueryInfoA(request_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr)) {
    header.status = static_cast<long>(status);
  } else {
    header.status = -1;
    logger_->Log(L"HttpTask::GetStatusCode", L"HttpQueryInfoA failed %u.", static_cast<unsigned>(::GetLastError()));
  }
  header.etag = QueryHeader(HTTP_QUERY_ETAG);
  header.offset = 0;
  header.size = 0;
  header.total = -1;
  const std::string range = QueryHeader(HTTP_QUERY_CONTENT_RANGE);
  if (!range.empty()) {
    long long first, last, total;
    if (std::sscanf(range.c_str(), "bytes %lld-%lld/%lld", &first, &last, &total) == 3) {
      header.offset = first;
      header.size = last - first + 1;
      header.total = total;
    } else {
      logger_->Log(L"HttpTask::GetContentRange", L"Unknown content range %S.", range.c_str());
    }
  }
  if (header.total < 0) {
    const std::string text = QueryHeader(HTTP_QUERY_CONTENT_LENGTH);
    char* end = nullptr;
    const long long value = text.empty() ? -1 : std::strtoll(text.c_str(), &end, 10);
    header.total = (text.empty() || end == text.c_str() || value < 0) ? -1 : value;
    if (header.total > 0) header.size = header.total;
  }
  logger_->Log(L"HttpTask::ProcessHeader", L"%d (OFFSET:%lld SIZE:%lld TOTAL:%lld ETAG:%S).",
               static_cast<int>(header.status), static_cast<long long>(header.offset),
               static_cast<long long>(header.size), static_cast<long long>(header.total), header.etag.c_str());
  callback_->OnHttpHeader(std::move(header));
  next_ = Next::AfterQuery;
  ReadLoop();
}

void HttpTask::ReadLoop() {
  for (;;) {
    if (Finished()) return;  // a rejected header or a cancel: no more reads
    available_ = 0;
    if (!::InternetQueryDataAvailable(request_, &available_, 0, 0)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_IO_PENDING) return;  // the status callback resumes
      logger_->Log(L"HttpTask::QueryAvailable", L"InternetQueryDataAvailable failed: %u.", static_cast<unsigned>(error));
      return Finish(ResultFromError(error));
    }
    if (!ProcessData()) return;
  }
}

bool HttpTask::ProcessData() {
  if (available_ == 0) {
    logger_->Log(L"HttpTask::ProcessData", L"Complete.");
    Finish(0);
    return false;
  }
  Buffer chunk;
  if (!chunk.SetSize(available_)) {
    logger_->Log(L"HttpTask::ProcessData", L"Buffer::SetSize(%u) failed.", static_cast<unsigned>(available_));
    Finish(kOutOfMemory);
    return false;
  }
  DWORD read = 0;
  if (!::InternetReadFile(request_, chunk.data, available_, &read)) {
    const DWORD error = ::GetLastError();
    logger_->Log(L"HttpTask::ProcessData", L"InternetReadFile failed: %u.", static_cast<unsigned>(error));
    Finish(ResultFromError(error));
    return false;
  }
  if (read < available_) {
    logger_->Log(L"HttpTask::ProcessData", L"InternetReadFile doesn't read all data.");
    Finish(kShortRead);
    return false;
  }
  callback_->OnData(chunk);
  return true;
}

void HttpTask::OnStatus(DWORD status, void* info) {
  const wchar_t* where = L"HttpTask::InternetStatusCallback";
  switch (status) {
    case INTERNET_STATUS_RESOLVING_NAME:
      logger_->Log(where, L"INTERNET_STATUS_RESOLVING_NAME %S", static_cast<const char*>(info));
      break;
    case INTERNET_STATUS_NAME_RESOLVED:
      logger_->Log(where, L"INTERNET_STATUS_NAME_RESOLVED %S", static_cast<const char*>(info));
      break;
    case INTERNET_STATUS_CONNECTING_TO_SERVER:
      logger_->Log(where, L"INTERNET_STATUS_CONNECTING_TO_SERVER %S", static_cast<const char*>(info));
      break;
    case INTERNET_STATUS_CONNECTED_TO_SERVER:
      logger_->Log(where, L"INTERNET_STATUS_CONNECTED_TO_SERVER %S", static_cast<const char*>(info));
      break;
    case INTERNET_STATUS_REDIRECT:
      logger_->Log(where, L"INTERNET_STATUS_REDIRECT %S", static_cast<const char*>(info));
      break;
    case INTERNET_STATUS_INTERMEDIATE_RESPONSE:
      logger_->Log(where, L"INTERNET_STATUS_INTERMEDIATE_RESPONSE");
      break;
    case INTERNET_STATUS_REQUEST_COMPLETE: {
      const auto* async = static_cast<const INTERNET_ASYNC_RESULT*>(info);
      if (async && async->dwResult == 0 && async->dwError != ERROR_SUCCESS) {
        if (async->dwError != ERROR_INTERNET_OPERATION_CANCELLED) {
          logger_->Log(where, L"INTERNET_STATUS_REQUEST_COMPLETE failed: %u.", static_cast<unsigned>(async->dwError));
          Finish(ResultFromError(async->dwError));
        }
        break;
      }
      if (!StepEnter()) break;
      if (next_ == Next::AfterSend) {
        AfterSend();
      } else {
        // The pending query has data now (or the end): asking again answers at once.
        ReadLoop();
      }
      StepExit();
      break;
    }
    case INTERNET_STATUS_HANDLE_CLOSING: {
      {
        std::lock_guard guard(lock_);
        closed_ = true;
      }
      CheckCompletion();
      break;
    }
    default:
      break;
  }
}

void HttpTask::Complete() {
  CloseSession();
  Ref<IHttpCallback> callback = std::move(callback_);
  callback->OnComplete(result_);
  callback.reset();
  Release();
}

void CALLBACK HttpTask::StatusCallback(HINTERNET, DWORD_PTR context, DWORD status, void* info, DWORD) {
  if (auto* task = reinterpret_cast<HttpTask*>(context)) task->OnStatus(status, info);
}

}  // namespace

ITask* CreateWinInetHttpTask(const std::wstring& url, RangeRequest&& request, IHttpCallback* callback,
                             ILogger* logger) {
  if (url.empty() || !callback || !logger) return nullptr;
  return new (std::nothrow) details::Object<HttpTask>(url, std::move(request), callback, logger);
}

}  // namespace downloader
