// The Windows build of the tool: the engine's own hashing, and the commands that run the
// stub's download engine against a content server.
#include <windows.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "core/property_store.h"
#include "core/text.h"
#include "core/wide_format.h"
#include "downloader/download_url_to_file_win.h"
#include "downloader/platform_win.h"
#include "downloader/up_to_date_win.h"
#include "shell/win_raii.h"
#include "stubtool.h"

namespace stubtool {
namespace {

using stubframework::utils::ToUtf8;

// Engine lines go to standard error with -v, nowhere otherwise.
class StderrLogger : public downloader::ILogger {
 public:
  explicit StderrLogger(bool verbose) : verbose_(verbose) {}
  void Log(const wchar_t* where, const wchar_t* format, ...) override {
    if (!verbose_) return;
    va_list args;
    va_start(args, format);
    const std::wstring line = std::wstring(where) + L"> " + stubframework::utils::FormatWideV(format, args);
    va_end(args);
    Complain(ToUtf8(line));
  }

 private:
  bool verbose_;
};

class FetchCallback : public downloader::IDownloadCallback {
 public:
  FetchCallback() : done_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  void OnProgress(std::int64_t current, std::int64_t total) override {
    // One line per MiB of progress keeps the output readable for large packages.
    if (current == total || current < lastShown_ || current - lastShown_ >= downloader::kBlockSize) {
      lastShown_ = current;
      Say("progress " + std::to_string(current) + "/" + std::to_string(total));
    }
  }
  void OnComplete(long code) override {
    result = code;
    ::SetEvent(done_.get());
  }
  void wait() { ::WaitForSingleObject(done_.get(), INFINITE); }
  long result = 0;

 private:
  stubframework::win::UniqueHandle done_;
  std::int64_t lastShown_ = -1;
};

std::atomic<downloader::ITask*> runningFetch{nullptr};

BOOL WINAPI OnConsoleBreak(DWORD) {
  if (downloader::ITask* task = runningFetch.load()) {
    task->Cancel();
    return TRUE;
  }
  return FALSE;
}

int Result(long code) {
  char line[32];
  std::snprintf(line, sizeof line, "result 0x%08X", static_cast<unsigned>(code));
  Say(line);
  return code == 0 ? 0 : 1;
}

int FetchSegmented(const std::wstring& url, const std::wstring& file, bool verbose) {
  auto logger = downloader::Ref<downloader::ILogger>::adopt(new downloader::details::Object<StderrLogger>(verbose));
  auto callback = downloader::Ref<FetchCallback>::adopt(new downloader::details::Object<FetchCallback>());
  downloader::ITask* task =
      downloader::CreateDownloadSimpleTask(url, url + L".meta", file, callback.get(), logger.get());
  if (!task) return Result(downloader::kOutOfMemory);
  runningFetch = task;
  ::SetConsoleCtrlHandler(OnConsoleBreak, TRUE);
  task->Start();
  callback->wait();
  runningFetch = nullptr;
  task->Release();
  return Result(callback->result);
}

// Prints the counters that the moniker callback keeps, as the download job's pump would.
class MonikerProgress : public stubframework::core::DownloadCallback {
 public:
  MonikerProgress(stubframework::core::PropertyStore& store) : DownloadCallback(store, nullptr, nullptr), store_(store) {}
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG maximum, ULONG status, LPCWSTR text) override {
    const HRESULT hr = DownloadCallback::OnProgress(progress, maximum, status, text);
    if (status == BINDSTATUS_ENDDOWNLOADDATA || progress >= shown_ + downloader::kBlockSize) {
      shown_ = progress;
      Say("progress " + std::to_string(store_.getCounter(stubframework::core::kDownloadCurrent)) + "/" +
          std::to_string(store_.getCounter(stubframework::core::kDownloadTotal)));
    }
    return hr;
  }

 private:
  stubframework::core::PropertyStore& store_;
  ULONG shown_ = 0;
};

int FetchMoniker(const std::wstring& url, const std::wstring& file) {
  stubframework::win::ComApartment apartment(COINIT_APARTMENTTHREADED);
  stubframework::core::PropertyStore store;
  MonikerProgress progress(store);
  return Result(downloader::DownloadUrlToFile(url, file, &progress));
}

}  // namespace

std::unique_ptr<downloader::IBlockDigest> CreateSha1() { return downloader::CreateCryptoSha1(); }

const char* PlatformUsage() {
  return "  fetch [-v] URL FILE     verified segmented download of URL (meta at URL.meta) into FILE;\n"
         "                         prints progress, then \"result 0x%08X\"; exit 0 only on success\n"
         "  fetch --moniker URL FILE   the same through the URL-moniker download\n"
         "  uptodate FILE METAURL  prints \"up to date\" (exit 0) or \"not up to date\" (exit 1)\n";
}

int RunPlatformCommand(const std::vector<std::wstring>& args) {
  if (args[0] == L"fetch") {
    bool moniker = false, verbose = false;
    std::vector<std::wstring> rest;
    for (std::size_t i = 1; i < args.size(); ++i) {
      if (args[i] == L"--moniker")
        moniker = true;
      else if (args[i] == L"-v")
        verbose = true;
      else
        rest.push_back(args[i]);
    }
    if (rest.size() != 2) {
      Complain("stubtool fetch: usage: stubtool fetch [-v] [--moniker] URL FILE");
      return 2;
    }
    return moniker ? FetchMoniker(rest[0], rest[1]) : FetchSegmented(rest[0], rest[1], verbose);
  }
  if (args[0] == L"uptodate") {
    if (args.size() != 3) {
      Complain("stubtool uptodate: usage: stubtool uptodate FILE METAURL");
      return 2;
    }
    const bool current = downloader::IsFileUpToDate(args[1], args[2]);
    Say(current ? "up to date" : "not up to date");
    return current ? 0 : 1;
  }
  return -1;
}

}  // namespace stubtool

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> args(argv + 1, argv + argc);
  return stubtool::Run(args);
}
