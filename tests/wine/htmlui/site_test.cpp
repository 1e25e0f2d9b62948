// The HTML site's answers, called directly as the engine calls them.
#include "htmlui/mshtml_client_win.h"

#include <gtest/gtest.h>

#include <mshtmdid.h>
#include <servprov.h>

#include "shell/application_win.h"
#include "stub/my_external_methods_win.h"
#include "support/wine_support.h"

using namespace stubframework;
using namespace stubframework::htmlui;

namespace {

// IHlinkFrame, which the import libraries do not name.
const IID kHlinkFrame = {0x79eac9c5, 0xbaf9, 0x11ce, {0x8c, 0x82, 0x00, 0xaa, 0x00, 0x4b, 0xa9, 0x0b}};

LRESULT CALLBACK PlainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return ::DefWindowProcW(w, m, wp, lp); }

class Site : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"SiteTestWindow";
    ::RegisterClassW(&windowClass);
    window = ::CreateWindowW(L"SiteTestWindow", L"", WS_POPUP, 0, 0, 320, 240, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
    site = new MSHTMLClient(window, &application.htmlExternal());
  }
  void TearDown() override {
    EXPECT_EQ(site->Release(), 0u);
    ::DestroyWindow(window);
    testing_support::DeleteRegistryTree(HKEY_CURRENT_USER, testing_support::kProductSubKey);
  }

  core::Application application{nullptr};
  HWND window = nullptr;
  MSHTMLClient* site = nullptr;
};

}  // namespace

TEST_F(Site, AnswersItsInterfacesAndNoOthers) {
  const IID offered[] = {IID_IUnknown,         IID_IDispatch,        IID_IDocHostUIHandler,
                         __uuidof(IDocHostUIHandler2), __uuidof(IDocHostShowUI), IID_IOleClientSite,
                         IID_IOleDocumentSite, IID_IOleWindow,       IID_IOleInPlaceSite,
                         IID_IOleInPlaceSiteEx, IID_IOleInPlaceUIWindow, IID_IOleInPlaceFrame,
                         IID_IPropertyNotifySink, IID_IOleCommandTarget};
  for (const IID& iid : offered) {
    IUnknown* object = nullptr;
    ASSERT_EQ(site->QueryInterface(iid, reinterpret_cast<void**>(&object)), S_OK);
    object->Release();
  }
  const IID refused[] = {kHlinkFrame, IID_IServiceProvider, IID_IOleInPlaceSiteWindowless, IID_IOleControlSite,
                         IID_IDispatchEx};
  for (const IID& iid : refused) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(site->QueryInterface(iid, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
  }
}

TEST_F(Site, HostAnswers) {
  for (DWORD kind = 0; kind < 16; ++kind) {
    bool engineMenu = kind == 2 || kind == 4 || kind == 9 || kind == 10;
    EXPECT_EQ(site->ShowContextMenu(kind, nullptr, nullptr, nullptr), engineMenu ? S_FALSE : S_OK) << kind;
  }
  DOCHOSTUIINFO info{};
  info.cbSize = sizeof info;
  ASSERT_EQ(site->GetHostInfo(&info), S_OK);
  EXPECT_EQ(info.dwFlags, 0x40250003u);
  EXPECT_EQ(info.dwDoubleClick, static_cast<DWORD>(DOCHOSTUIDBLCLK_DEFAULT));

  VARIANT ambient;
  ::VariantInit(&ambient);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  IDispatch* asDispatch = site;
  ASSERT_EQ(asDispatch->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &ambient,
                               nullptr, nullptr),
            S_OK);
  EXPECT_EQ(ambient.vt, VT_I4);
  EXPECT_EQ(ambient.lVal, 0x2070);
  EXPECT_EQ(asDispatch->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &ambient, nullptr,
                               nullptr),
            DISP_E_MEMBERNOTFOUND);

  LRESULT answer = 0;
  EXPECT_EQ(site->ShowMessage(window, const_cast<LPOLESTR>(L"alert"), nullptr, MB_OK, nullptr, 0, &answer), S_OK);
  IOleContainer* container = reinterpret_cast<IOleContainer*>(1);
  EXPECT_EQ(site->GetContainer(&container), E_NOINTERFACE);
  IDropTarget* target = reinterpret_cast<IDropTarget*>(1);
  EXPECT_EQ(site->GetDropTarget(nullptr, &target), E_FAIL);
  EXPECT_EQ(target, nullptr);
  LPOLESTR key = reinterpret_cast<LPOLESTR>(1);
  EXPECT_EQ(site->GetOptionKeyPath(&key, 0), S_FALSE);
  EXPECT_EQ(key, nullptr);
  BOOL noRedraw = FALSE;
  EXPECT_EQ(site->OnInPlaceActivateEx(&noRedraw, 0), S_OK);
  EXPECT_TRUE(noRedraw);
  HWND got = nullptr;
  EXPECT_EQ(static_cast<IOleInPlaceFrame*>(site)->GetWindow(&got), S_OK);
  EXPECT_EQ(got, window);
}

TEST_F(Site, WindowContextIsTheClientRectangle) {
  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(1);
  RECT position{}, clip{};
  OLEINPLACEFRAMEINFO info{};
  info.cb = sizeof info;
  ASSERT_EQ(site->GetWindowContext(&frame, &document, &position, &clip, &info), S_OK);
  ASSERT_NE(frame, nullptr);
  frame->Release();
  EXPECT_EQ(document, nullptr);
  EXPECT_EQ(position.right, 320);
  EXPECT_EQ(position.bottom, 240);
  EXPECT_EQ(clip.right, 320);
  EXPECT_EQ(info.hwndFrame, window);
  EXPECT_FALSE(info.fMDIApp);
  EXPECT_EQ(info.cAccelEntries, 0u);
}

TEST_F(Site, ExternalIsHtmlExternalWhenThereIsOne) {
  IDispatch* external = nullptr;
  ASSERT_EQ(site->GetExternal(&external), S_OK);
  IDispatchEx* ex = nullptr;
  ASSERT_EQ(external->QueryInterface(IID_IDispatchEx, reinterpret_cast<void**>(&ex)), S_OK);
  EXPECT_EQ(ex, static_cast<IDispatchEx*>(&application.htmlExternal()));
  ex->Release();
  external->Release();

  MSHTMLClient* bare = new MSHTMLClient(window, nullptr);
  external = reinterpret_cast<IDispatch*>(1);
  EXPECT_EQ(bare->GetExternal(&external), S_FALSE);
  EXPECT_EQ(external, nullptr);
  EXPECT_EQ(bare->Release(), 0u);
}

TEST_F(Site, CommandsSetTheTitleAndAnswerTheirGroups) {
  VARIANT title;
  title.vt = VT_BSTR;
  title.bstrVal = ::SysAllocString(L"Load");
  EXPECT_EQ(site->Exec(nullptr, 28, 0, &title, nullptr), S_OK);
  wchar_t text[32] = {};
  ::GetWindowTextW(window, text, 32);
  EXPECT_STREQ(text, L"Load");
  ::VariantClear(&title);
  EXPECT_EQ(site->Exec(&GUID_NULL, 29, 0, nullptr, nullptr), E_NOTIMPL);

  const GUID docHost = {0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};
  EXPECT_EQ(site->Exec(&docHost, 6, 0, nullptr, nullptr), S_OK);
  EXPECT_EQ(site->Exec(&docHost, 6041, 0, nullptr, nullptr), S_OK);
  EXPECT_EQ(site->Exec(&docHost, 7, 0, nullptr, nullptr), OLECMDERR_E_NOTSUPPORTED);
  EXPECT_EQ(site->Exec(&IID_IDispatch, 28, 0, nullptr, nullptr), OLECMDERR_E_UNKNOWNGROUP);
}

TEST_F(Site, TheReadyStateHookNeedsADocument) {
  // Without a document nothing is asked and nothing fails.
  EXPECT_EQ(site->OnChanged(DISPID_READYSTATE), S_OK);
  EXPECT_EQ(site->OnRequestEdit(DISPID_READYSTATE), S_OK);
}
