// The browser pool and embedding into foreign windows, against the test
// runtime: index numbering, destruction, the process-wide registry shared by
// pools, the forwarding rule's answers, waiting for a browser still being
// created, the shared browser of forms, and Office user forms by caption.
#include <oleacc.h>

#include <map>
#include <memory>
#include <string>

#include "browser_host.h"

using namespace CorvaneTest;

namespace {

using CreateFn = IDispatch*(WINAPI*)();
constexpr HRESULT kTimeout = HRESULT_FROM_WIN32(ERROR_TIMEOUT);

std::wstring State(int view = -1) { return TakeBstr(Runtime().State(view)); }

// A host object with named properties, as a user form, frame, page or
// tabbed container answers them; owned by the test.
template <class I>
class HostObjectOf : public I {
public:
    std::map<std::wstring, VARIANT> props;
    virtual ~HostObjectOf() {
        for (auto& p : props) VariantClear(&p.second);
    }
    void Set(const wchar_t* name, VARIANT value) {
        VariantClear(&props[name]);
        props[name] = value;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, __uuidof(I))
                   ? this
                   : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override {
        DISPID n = 1;
        for (auto& p : props) {
            if (_wcsicmp(p.first.c_str(), names[0]) == 0) return *id = n, S_OK;
            ++n;
        }
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        DISPID n = 1;
        for (auto& p : props)
            if (n++ == id) return VariantCopy(result, &p.second);
        return DISP_E_MEMBERNOTFOUND;
    }
};
using HostObject = HostObjectOf<IDispatch>;

// A windowless form control: no window, only its place on screen and its
// state through accessibility.
class WindowlessControl : public HostObjectOf<IAccessible> {
public:
    RECT screen{};
    LONG state = 0;
    HRESULT STDMETHODCALLTYPE accLocation(long* l, long* t, long* w, long* h, VARIANT) override {
        *l = screen.left, *t = screen.top, *w = screen.right - screen.left, *h = screen.bottom - screen.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT, VARIANT* v) override {
        v->vt = VT_I4;
        v->lVal = state;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR*, VARIANT, long*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accHitTest(long, long, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }
};

// A windowed form control: its window through IOleWindow.
class WindowedControl : public IDispatch, public IOleWindow {
public:
    HWND window = nullptr;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) *out = static_cast<IDispatch*>(this);
        if (IsEqualIID(iid, IID_IOleWindow)) *out = static_cast<IOleWindow*>(this);
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* out) override { *out = window; return S_OK; }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
};

class Pool : public ::testing::Test {
protected:
    void SetUp() override {
        Runtime().Reset();
        pool = NewPool();
        ASSERT_TRUE(pool);
    }
    void TearDown() override {
        if (pool) pool->Release();
        PumpPosted();
    }
    static IBrowserPool* NewPool() {
        IDispatch* object = Export<CreateFn>("Corvane_CreateBrowserPool")();
        IBrowserPool* typed = nullptr;
        if (object) object->QueryInterface(IID_IBrowserPool, reinterpret_cast<void**>(&typed));
        if (object) object->Release();
        return typed;
    }
    LONG Create(IBrowserPool* in = nullptr, const wchar_t* url = L"") {
        LONG index = -1;
        EXPECT_EQ((in ? in : pool)->Create(0, Bs(url), 0, 0, 800, 600, &index), S_OK);
        return index;
    }
    bool Ready(LONG index) {
        return PumpUntil([&] {
            VARIANT_BOOL ready = VARIANT_FALSE;
            return SUCCEEDED(pool->IsReady(index, &ready)) && ready == VARIANT_TRUE;
        });
    }
    IBrowserPool* pool = nullptr;
};

// A failed Create writes 0 and takes no index; indexes start at one and are never reused.
TEST_F(Pool, IndexesStartAtOneAreNeverReusedAndAFailedCreateTakesNone) {
    Runtime().SetVersion(nullptr);
    LONG index = -1;
    EXPECT_EQ(pool->Create(0, Bs(L""), 0, 0, 10, 10, &index), E_FAIL);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(ErrorDescription(), L"Failed to create browser instance. Ensure WebView2 Runtime is installed.");
    VARIANT_BOOL installed = VARIANT_TRUE;
    BSTR version = nullptr;
    EXPECT_EQ(pool->IsWebView2RuntimeInstalled(&installed), S_OK);
    EXPECT_EQ(installed, VARIANT_FALSE);
    EXPECT_EQ(pool->GetWebView2RuntimeVersion(&version), E_FAIL);
    Runtime().SetVersion(L"120.0.2210.91");
    EXPECT_EQ(pool->GetWebView2RuntimeVersion(&version), S_OK);
    EXPECT_EQ(TakeBstr(version), L"120.0.2210.91");
    EXPECT_EQ(Create(), 1);
    EXPECT_EQ(Create(), 2);
    EXPECT_EQ(pool->Destroy(1), S_OK);
    VARIANT_BOOL valid = VARIANT_TRUE;
    EXPECT_EQ(pool->IsValidIndex(1, &valid), S_OK);
    EXPECT_EQ(valid, VARIANT_FALSE);
    EXPECT_EQ(Create(), 3);
    LONG count = 0;
    EXPECT_EQ(pool->GetBrowserCount(&count), S_OK);
    EXPECT_EQ(count, 2);
}

// The forwarding rule and its variants, for an index never handed out and
// for one whose browser DestroyBrowser took (the index stays registered).
TEST_F(Pool, ForwardingAnswersForUnknownIndexesAndDestroyedBrowsers) {
    const LONG gone = Create();
    ASSERT_TRUE(Ready(gone));
    ASSERT_EQ(pool->DestroyBrowser(gone), S_OK);
    VARIANT_BOOL flag = VARIANT_FALSE;
    EXPECT_EQ(pool->IsValidIndex(gone, &flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
    EXPECT_EQ(pool->IsValidHandle(gone, &flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);

    const struct {
        const wchar_t* member;
        std::function<HRESULT(LONG)> call;
        HRESULT unknown, destroyed;
    } cases[] = {
        {L"Navigate", [&](LONG i) { return pool->Navigate(i, Bs(L"https://a.test/")); }, E_INVALIDARG, E_FAIL},
        {L"GetUrl", [&](LONG i) { BSTR u = nullptr; HRESULT hr = pool->GetUrl(i, &u); SysFreeString(u); return hr; },
         E_INVALIDARG, E_FAIL},
        {L"IsReady", [&](LONG i) { VARIANT_BOOL r = VARIANT_TRUE; HRESULT hr = pool->IsReady(i, &r);
                                   return hr == S_OK && r != VARIANT_FALSE ? E_UNEXPECTED : hr; },
         E_INVALIDARG, S_OK},
        {L"GetLastBridgeError", [&](LONG i) { LONG code = 0; BSTR m = nullptr;
                                              HRESULT hr = pool->GetLastBridgeError(i, &code, &m);
                                              SysFreeString(m); return hr; },
         E_INVALIDARG, static_cast<HRESULT>(0x80040508)},
        {L"put_IsDragDropEnabled", [&](LONG i) { return pool->put_IsDragDropEnabled(i, VARIANT_TRUE); }, E_FAIL,
         E_FAIL},
        {L"Park", [&](LONG i) { return pool->Park(i); }, E_INVALIDARG, E_FAIL},
        {L"Destroy", [&](LONG i) { return pool->Destroy(i); }, E_INVALIDARG, E_FAIL},
    };
    for (const auto& c : cases) {
        SetErrorInfo(0, nullptr);
        EXPECT_EQ(c.call(99), c.unknown) << c.member;
        EXPECT_EQ(ErrorDescription(), L"Invalid browser index. Use the value returned by Create().") << c.member;
        EXPECT_EQ(c.call(gone), c.destroyed) << c.member;
    }
    BSTR json = nullptr;
    EXPECT_EQ(pool->JsonCreateObject(0, &json), S_OK);   // needs no browser
    EXPECT_EQ(TakeBstr(json), L"{}");
}

TEST_F(Pool, ForwardedFailuresKeepTheControlsReasonAndBooleanSettersNormalise) {
    const LONG index = Create();
    ASSERT_TRUE(Ready(index));
    EXPECT_EQ(pool->Navigate(index, Bs(L"file:///C:/x.html")), E_FAIL);   // the control's E_ACCESSDENIED
    EXPECT_EQ(pool->SetIsPinchZoomEnabled(index, 1), S_OK);
    EXPECT_TRUE(Has(State(), L"\"IsPinchZoomEnabled\":false")) << State();
    EXPECT_EQ(pool->SetIsPinchZoomEnabled(index, VARIANT_TRUE), S_OK);
    EXPECT_TRUE(Has(State(), L"\"IsPinchZoomEnabled\":true")) << State();
    EXPECT_EQ(pool->Resize(index, 5, 6, 70, 80), S_OK);
    EXPECT_TRUE(Has(State(), L"\"bounds\":[5,6,75,86]")) << State();
}

TEST_F(Pool, TwoPoolsShareTheParkingWindowAndTheNewBrowserSettings) {
    IBrowserPool* other = NewPool();
    ASSERT_TRUE(other);
    EXPECT_EQ(pool->put_AdditionalBrowserArguments(Bs(L"--lang=de")), S_OK);
    EXPECT_EQ(pool->put_EnableHardwareAcceleration(1), S_OK);   // only -1 is true
    BSTR arguments = nullptr;
    VARIANT_BOOL acceleration = VARIANT_TRUE;
    EXPECT_EQ(other->get_AdditionalBrowserArguments(&arguments), S_OK);
    EXPECT_EQ(TakeBstr(arguments), L"--lang=de");
    EXPECT_EQ(other->get_EnableHardwareAcceleration(&acceleration), S_OK);
    EXPECT_EQ(acceleration, VARIANT_FALSE);

    Create(pool);
    Create(pool);
    const LONG theirs = Create(other);
    EXPECT_TRUE(Has(TakeBstr(Runtime().CallLog()), L"|--lang=de --disable-gpu|"));
    EXPECT_EQ(other->Park(theirs), S_OK);
    LONG count = 0;
    EXPECT_EQ(pool->GetParkedBrowserCount(&count), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(other->DestroyAllParked(&count), S_OK);
    EXPECT_EQ(count, 3);
    VARIANT_BOOL valid = VARIANT_TRUE;
    EXPECT_EQ(pool->IsValidHandle(1, &valid), S_OK);
    EXPECT_EQ(valid, VARIANT_FALSE);
    other->Release();
    pool->put_AdditionalBrowserArguments(nullptr);
    pool->put_EnableHardwareAcceleration(VARIANT_TRUE);
}

TEST_F(Pool, ProfilesAreSanitisedAndReachTheRuntime) {
    LONG index = 0;
    ASSERT_EQ(pool->CreateWithProfileInPrivate(0, Bs(L""), 0, 0, 10, 10, Bs(L"C:\\x\\My Profile.."), &index),
              S_OK);
    BSTR name = nullptr;
    VARIANT_BOOL inPrivate = VARIANT_FALSE;
    EXPECT_EQ(pool->GetProfileName(index, &name), S_OK);
    EXPECT_EQ(TakeBstr(name), L"my profile");
    EXPECT_EQ(pool->IsInPrivateMode(index, &inPrivate), S_OK);
    EXPECT_EQ(inPrivate, VARIANT_TRUE);
    ASSERT_TRUE(Ready(index));
    EXPECT_TRUE(Has(TakeBstr(Runtime().CallLog()), L"CreateCoreWebView2ControllerWithOptions("));
}

// Macro code cannot wait on its own: a blocking call right after Create
// waits for the creation in the same loop, and ends with its failure.
TEST_F(Pool, BlockingCallsRightAfterCreateWaitForTheBrowser) {
    const LONG index = Create();
    EXPECT_EQ(pool->NavigateSync(index, Bs(L"https://a.test/")), S_OK);
    BSTR title = nullptr;
    EXPECT_EQ(pool->GetTitle(index, &title), S_OK);
    EXPECT_EQ(TakeBstr(title), L"https://a.test/");

    Runtime().FailStep(CreationStep::Controller, E_ACCESSDENIED);
    const LONG failing = Create();
    BSTR result = nullptr;
    EXPECT_EQ(pool->ExecuteScript(failing, Bs(L"1"), &result), E_FAIL);
    LONG code = 0;
    EXPECT_EQ(pool->GetLastErrorCode(failing, &code), S_OK);
    EXPECT_EQ(code, E_ACCESSDENIED);

    Runtime().FailStep(CreationStep::Controller, S_OK);
    Runtime().HoldCreation(true);
    const LONG held = Create();
    EXPECT_EQ(pool->put_SynchronousTimeOut(held, 200), S_OK);
    EXPECT_EQ(pool->NavigateSync(held, Bs(L"https://b.test/")), E_FAIL);
    EXPECT_EQ(pool->GetLastErrorCode(held, &code), S_OK);
    EXPECT_EQ(code, kTimeout);
    Runtime().HoldCreation(false);
    Runtime().ReleaseCreation();
}

TEST_F(Pool, BrowserInAWindowedControlFillsItsClientArea) {
    HWND formWindow = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    WindowedControl control;
    control.window = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 20, 20, 250, 150, formWindow, nullptr, nullptr,
                                     nullptr);
    LONG index = 0;
    ASSERT_EQ(pool->CreateInControl(Bs(L""), &control, &index), S_OK);
    ASSERT_TRUE(Ready(index));
    EXPECT_TRUE(Has(State(), L"\"bounds\":[0,0,250,150]")) << State();
    EXPECT_TRUE(Has(State(), L"\"parentWindow\":" + std::to_wstring(reinterpret_cast<INT_PTR>(control.window))));
    // Nothing to embed into: the browser is destroyed and no index is taken.
    HostObject nothing;
    EXPECT_EQ(pool->CreateInControl(Bs(L""), &nothing, &index), E_FAIL);
    EXPECT_EQ(index, 0);
    LONG count = 0;
    pool->GetBrowserCount(&count);
    EXPECT_EQ(count, 1);
    DestroyWindow(formWindow);
}

// A browser in a windowless control on the second page of a tabbed
// container follows the page selection.
TEST_F(Pool, BrowserInATabbedContainerFollowsItsPage) {
    HWND formWindow = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 100, 400, 300, nullptr, nullptr, nullptr, nullptr);
    HostObject userForm, multiPage, page;
    WindowlessControl control;
    userForm.Set(L"hWnd", I4(static_cast<LONG>(reinterpret_cast<INT_PTR>(formWindow))));
    multiPage.Set(L"Parent", Disp(&userForm));
    multiPage.Set(L"Value", I4(1));
    page.Set(L"Parent", Disp(&multiPage));
    page.Set(L"PageIndex", I4(1));
    control.Set(L"Parent", Disp(&page));
    control.screen = {130, 140, 230, 190};
    LONG index = 0;
    ASSERT_EQ(pool->CreateInControl(Bs(L""), &control, &index), S_OK);
    ASSERT_TRUE(Ready(index));
    EXPECT_TRUE(Has(State(), L"\"bounds\":[30,40,130,90]")) << State();

    multiPage.Set(L"Value", I4(0));
    EXPECT_TRUE(PumpUntil([] { return Has(State(), L"\"visible\":false"); }, 1000)) << State();
    control.screen = {110, 120, 260, 200};
    multiPage.Set(L"Value", I4(1));
    EXPECT_TRUE(PumpUntil([] { return Has(State(), L"\"visible\":true"); }, 1000)) << State();
    EXPECT_TRUE(Has(State(), L"\"bounds\":[10,20,160,100]")) << State();
    pool->Destroy(index);
    DestroyWindow(formWindow);
}

TEST_F(Pool, ReleasingThePoolLetsGoOfEveryRuntimeObject) {
    ASSERT_TRUE(Ready(Create(pool, L"https://a.test/")));
    ASSERT_TRUE(Ready(Create()));
    pool->Release();
    pool = nullptr;
    EXPECT_TRUE(PumpUntil([] { return Runtime().LiveObjects() == 0; })) << Runtime().LiveObjects();
}

// ---- Embedding into foreign windows ----

class Embedding : public ::testing::Test {
protected:
    void SetUp() override {
        Runtime().Reset();
        form = CreateWindowExW(0, L"STATIC", L"Order Form", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr,
                               nullptr);
    }
    void TearDown() override {
        for (ICorvaneCtrl* c : controls) c->Release();
        PumpPosted();
        DestroyWindow(form);
    }
    ICorvaneCtrl* NewControl() {
        IDispatch* object = Export<CreateFn>("Corvane_CreateControl")();
        ICorvaneCtrl* typed = nullptr;
        if (object) object->QueryInterface(IID_ICorvaneCtrl, reinterpret_cast<void**>(&typed));
        if (object) object->Release();
        if (typed) controls.push_back(typed);
        return typed;
    }
    static bool Ready(ICorvaneCtrl* c) {
        return PumpUntil([&] {
            VARIANT_BOOL ready = VARIANT_FALSE;
            return SUCCEEDED(c->IsReady(&ready)) && ready == VARIANT_TRUE;
        });
    }
    HWND form = nullptr;
    std::vector<ICorvaneCtrl*> controls;
};

TEST_F(Embedding, ValidatesTheParentAndDefaultsTheSize) {
    ICorvaneCtrl* c = NewControl();
    ASSERT_TRUE(c);
    EXPECT_EQ(c->ResizeEmbedded(50, 50), S_OK);   // not embedded: nothing to do
    EXPECT_EQ(c->EmbedInHwnd(0, 100, 100), E_INVALIDARG);
    BSTR text = nullptr;
    c->get_LastError(&text);
    EXPECT_EQ(TakeBstr(text), L"Invalid parent window handle (NULL).");
    EXPECT_EQ(c->EmbedInHwndByLong(-5, 100, 100), E_INVALIDARG);
    c->get_LastError(&text);
    EXPECT_EQ(TakeBstr(text), L"Invalid parent window handle.");
    EXPECT_EQ(Runtime().WebViewCount(), 0);
    // A creation that cannot start leaves no embedding behind.
    Runtime().FailCall(CreationStep::Environment, E_OUTOFMEMORY);
    EXPECT_EQ(c->EmbedInHwnd(reinterpret_cast<INT_PTR>(form), 10, 10), E_OUTOFMEMORY);
    c->get_LastError(&text);
    EXPECT_EQ(TakeBstr(text), L"CreateCoreWebView2EnvironmentWithOptions failed.");
    LONG_PTR parent = -1;
    EXPECT_EQ(c->get_EmbeddedParentHwnd(&parent), S_OK);
    EXPECT_EQ(parent, 0);
    Runtime().FailCall(CreationStep::Environment, S_OK);

    ASSERT_EQ(c->EmbedInHwnd(reinterpret_cast<INT_PTR>(form), 0, -5), S_OK);
    ASSERT_TRUE(Ready(c));
    EXPECT_TRUE(Has(State(), L"\"bounds\":[0,0,400,300]")) << State();
    EXPECT_EQ(c->MoveEmbedded(10, 20), S_OK);
    EXPECT_TRUE(Has(State(), L"\"bounds\":[10,20,410,320]")) << State();
    EXPECT_EQ(c->get_EmbeddedParentHwnd(&parent), S_OK);
    EXPECT_EQ(parent, reinterpret_cast<LONG_PTR>(form));
}

TEST_F(Embedding, TwoFormsShareOneBrowser) {
    HWND second = CreateWindowExW(0, L"STATIC", L"Second", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ICorvaneCtrl* first = NewControl();
    ICorvaneCtrl* next = NewControl();
    ASSERT_EQ(first->EmbedInHwnd(reinterpret_cast<INT_PTR>(form), 200, 100), S_OK);
    ASSERT_TRUE(Ready(first));
    ASSERT_EQ(first->NavigateSync(Bs(L"https://shared.test/")), S_OK);
    ASSERT_EQ(next->EmbedInHwnd(reinterpret_cast<INT_PTR>(second), 300, 200), S_OK);
    VARIANT_BOOL ready = VARIANT_FALSE;
    EXPECT_EQ(next->IsReady(&ready), S_OK);
    EXPECT_EQ(ready, VARIANT_TRUE);   // at once: no new creation
    EXPECT_EQ(Runtime().WebViewCount(), 1);
    EXPECT_TRUE(Has(State(), L"\"source\":\"https://shared.test/\"")) << State();
    // The browser's events go to the form that holds it now, not to both.
    ASSERT_EQ(next->NavigateSync(Bs(L"https://second.test/")), S_OK);
    BSTR url = nullptr;
    first->get_url(&url);
    EXPECT_EQ(TakeBstr(url), L"https://shared.test/");
    // The first form closing leaves the browser with the second one.
    ASSERT_EQ(first->CloseEmbedded(), S_OK);
    EXPECT_TRUE(Has(State(), L"\"parentWindow\":" + std::to_wstring(reinterpret_cast<INT_PTR>(second))));
    EXPECT_TRUE(Has(State(), L"\"visible\":true")) << State();
    ASSERT_EQ(next->CloseEmbedded(), S_OK);   // the last embedding closes it
    EXPECT_TRUE(Has(State(), L"\"closed\":true")) << State();
    DestroyWindow(second);
}

TEST_F(Embedding, AFormWaitingForTheSharedBrowserGetsItWhenItsStarterGoes) {
    Runtime().HoldCreation(true);
    ICorvaneCtrl* starter = NewControl();
    ICorvaneCtrl* waiting = NewControl();
    ASSERT_EQ(starter->EmbedInHwnd(reinterpret_cast<INT_PTR>(form), 100, 100), S_OK);
    ASSERT_EQ(waiting->EmbedInHwnd(reinterpret_cast<INT_PTR>(form), 100, 100), S_OK);
    controls.erase(controls.begin());
    starter->Release();
    Runtime().HoldCreation(false);
    while (Runtime().ReleaseCreation() > 0) PumpPosted();
    EXPECT_TRUE(Ready(waiting));
    EXPECT_EQ(Runtime().WebViewCount(), 1);
}

// An Office user form is found by its caption even when its window class is
// none of the known form classes; frame sizes are in points.
TEST_F(Embedding, QuickInitInFrameFindsTheFormByCaptionAndPlacesTheBrowser) {
    ICorvaneCtrl* c = NewControl();
    HostObject userForm, frame;
    userForm.props[L"Caption"] = Str(L"Order Form");
    const struct { const wchar_t* name; double points; } sizes[] = {
        {L"Width", 150}, {L"Height", 120}, {L"Left", 12}, {L"Top", 24}, {L"InsideWidth", 144}, {L"InsideHeight", 108}};
    for (const auto& s : sizes) frame.props[s.name] = R8(s.points);
    ASSERT_EQ(c->QuickInitInFrame(&userForm, &frame), S_OK);
    ASSERT_TRUE(Ready(c));
    LONG_PTR parent = 0;
    c->get_EmbeddedParentHwnd(&parent);
    EXPECT_EQ(parent, reinterpret_cast<LONG_PTR>(form));
    // At 96 dpi: inner 192 by 144, origin (16 + 4, 32 + 8).
    EXPECT_TRUE(Has(State(), L"\"bounds\":[20,40,212,184]")) << State();

    frame.props.erase(L"Top");
    EXPECT_EQ(c->QuickInitInFrame(&userForm, &frame), E_FAIL);
    BSTR text = nullptr;
    c->get_LastError(&text);
    EXPECT_EQ(TakeBstr(text), L"Could not get frame Top");
}

}  // namespace
