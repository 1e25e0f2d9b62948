// The URL-moniker download's file handling. Wine's moniker library has no pull-mode opener
// (URLOpenPullStreamW answers E_NOTIMPL), so a mock binding stands in for it: like the library
// it calls the holder on the waiting thread, from a message that the holder's pump dispatches,
// and hands the data over in a pull stream that answers E_PENDING once it is drained.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "downloader/download_url_to_file_win.h"
#include "support/wine_support.h"

using namespace testing_support;

namespace {

// A drained pull stream answers E_PENDING; the end of the data is told by OnStopBinding.
class MockPullStream final : public IStream {
 public:
  explicit MockPullStream(std::string data) : data_(std::move(data)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
      *out = static_cast<IStream*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --count_;
    if (!left) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) override {
    const ULONG n = static_cast<ULONG>(std::min<std::size_t>(size, data_.size() - at_));
    std::memcpy(buffer, data_.data() + at_, n);
    at_ += n;
    if (read) *read = n;
    return n ? S_OK : E_PENDING;
  }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

 private:
  ULONG count_ = 1;
  std::string data_;
  std::size_t at_ = 0;
};

// What the mock binding announces and delivers, and what it saw of the holder.
struct MockBindingScript {
  ULONG announced = 0;
  std::string delivered;
  IBindStatusCallback* callback = nullptr;
  HRESULT dataAnswer = S_OK;
  bool ran = false;
};
MockBindingScript g_binding;

void CALLBACK MockBindingTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  IBindStatusCallback* callback = g_binding.callback;
  callback->OnStartBinding(0, nullptr);
  callback->OnProgress(0, g_binding.announced, BINDSTATUS_BEGINDOWNLOADDATA, L"http://mock/");
  auto* stream = new MockPullStream(g_binding.delivered);
  FORMATETC format{};
  STGMEDIUM medium{};
  medium.tymed = TYMED_ISTREAM;
  medium.pstm = stream;
  g_binding.dataAnswer = callback->OnDataAvailable(BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION,
                                                   static_cast<DWORD>(g_binding.delivered.size()), &format, &medium);
  const auto delivered = static_cast<ULONG>(g_binding.delivered.size());
  callback->OnProgress(delivered, g_binding.announced, BINDSTATUS_ENDDOWNLOADDATA, L"http://mock/");
  // A callback that answers E_ABORT aborts the binding, and the library says so when it stops.
  callback->OnStopBinding(g_binding.dataAnswer == E_ABORT ? E_ABORT : S_OK, nullptr);
  stream->Release();
  g_binding.callback = nullptr;
  g_binding.ran = true;
  callback->Release();
}

HRESULT WINAPI MockPullStreamOpener(IUnknown*, LPCWSTR, DWORD, IBindStatusCallback* callback) {
  callback->AddRef();
  g_binding.callback = callback;
  g_binding.ran = false;
  return ::SetTimer(nullptr, 0, 0, &MockBindingTimer) ? S_OK : E_FAIL;
}

long MockDownload(ULONG announced, std::string delivered, const std::wstring& path) {
  g_binding = MockBindingScript{.announced = announced, .delivered = std::move(delivered)};
  return downloader::DownloadUrlToFileWith(&MockPullStreamOpener, L"http://mock/", path, nullptr);
}

TEST(MonikerDownload, FileEndsWhereTheDataEnded) {
  ScratchFolder folder;
  const std::wstring path = folder.path() + L"m.bin";
  const std::string data(1000, 'd');

  EXPECT_EQ(MockDownload(1000, data, path), 0);
  EXPECT_TRUE(g_binding.ran);
  EXPECT_EQ(ReadFileBytes(path), data);

  // 1,000 announced, 800 delivered, no error: the file is cut to what came, and the result says
  // the download is short.
  EXPECT_EQ(MockDownload(1000, data.substr(0, 800), path), 1);
  EXPECT_EQ(ReadFileBytes(path), data.substr(0, 800));

  // Nothing announced: the file grows with the data.
  EXPECT_EQ(MockDownload(0, data.substr(0, 300), path), 0);
  EXPECT_EQ(ReadFileBytes(path), data.substr(0, 300));
}

TEST(MonikerDownload, FullDiskAbortsTheBindingWithTheWriteError) {
  // The test rig maps S: to a 256 KiB filesystem when it may mount one.
  if (::GetFileAttributesW(L"S:\\") == INVALID_FILE_ATTRIBUTES)
    GTEST_SKIP() << "no small drive S: (the rig could not mount a small filesystem)";
  const std::wstring path = L"S:\\full.bin";
  const long result = MockDownload(1048576, std::string(1048576, 'f'), path);
  EXPECT_EQ(static_cast<unsigned long>(result), 0x80070070ul);
  EXPECT_EQ(g_binding.dataAnswer, E_ABORT);
  EXPECT_LT(ReadFileBytes(path).size(), 1048576u);
  ::DeleteFileW(path.c_str());
}

TEST(MonikerDownload, UnwritableTargetFailsBeforeBinding) {
  g_binding = MockBindingScript{};
  const long result = downloader::DownloadUrlToFileWith(&MockPullStreamOpener, L"http://mock/",
                                                        L"Z:\\no\\such\\folder\\m.bin", nullptr);
  EXPECT_EQ(static_cast<unsigned long>(result), 0x80070003ul);
  EXPECT_FALSE(g_binding.ran);
}

}  // namespace
