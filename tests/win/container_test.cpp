// The control embedded in real containers: Wine's ATL host (atl100.dll) and
// a minimal site of our own for design mode. Checks the window, the pixels
// the view draws, persistence and the events the window raises.
#include <olectl.h>
#include <objsafe.h>

#include <algorithm>
#include <string>
#include <vector>

#include "control/raise_event.h"
#include "corvane_h.h"
#include "test_container_site.h"
#include "win_test_support.h"

using namespace CorvaneTest;
using Corvane::ComPtr;

namespace {

template <class I>
ComPtr<I> Query(IUnknown* from, REFIID iid) {
    ComPtr<I> p;
    EXPECT_EQ(from->QueryInterface(iid, p.put_void()), S_OK);
    return p;
}

// Controls activated in run mode create their browser: the test runtime
// stands in for it (without any runtime a modal message box would wait).
const bool g_runtimeChosen =
    SetEnvironmentVariableW(L"CORVANE_WEBVIEW2_RUNTIME", (ExeFolder() + L"corvane_test_runtime.dll").c_str());

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kDesignFill = RGB(15, 23, 42);
constexpr COLORREF kDesignAccent = RGB(59, 175, 219);
constexpr COLORREF kDesignNote = RGB(160, 160, 160);

// The control, made by the DLL's own class object (the DLL is not registered here).
template <class I = IUnknown>
I* NewControl(REFIID iid = IID_IUnknown) { return NewObject<I>(CLSID_CorvaneCtrl, iid); }

// A 32-bit top-down memory bitmap filled black, read back by GetPixel.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    // Rows holding at least one pixel of `colour` inside the one-pixel border.
    std::vector<int> RowsWith(COLORREF colour) const {
        std::vector<int> rows;
        for (int y = 1; y < height_ - 1; ++y)
            for (int x = 1; x < width_ - 1; ++x)
                if (At(x, y) == colour) { rows.push_back(y); break; }
        return rows;
    }
    const int width_, height_;

private:
    HDC dc_ = CreateCompatibleDC(nullptr);
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

HRESULT DrawInto(IUnknown* control, const Canvas& canvas) {
    ComPtr<IViewObject> view = Query<IViewObject>(control, IID_IViewObject);
    RECTL bounds{0, 0, canvas.width_, canvas.height_};
    return view ? view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(), &bounds, nullptr, nullptr, 0)
                : E_NOINTERFACE;
}

// What the window itself paints (WM_PRINTCLIENT) over its whole client area.
void PrintInto(HWND hwnd, const Canvas& canvas) { EXPECT_TRUE(PrintWindow(hwnd, canvas.dc(), PW_CLIENTONLY)); }

HWND ControlWindow(IUnknown* control) {
    HWND hwnd = nullptr;
    if (ComPtr<IOleWindow> w = Query<IOleWindow>(control, IID_IOleWindow)) w->GetWindow(&hwnd);
    return hwnd;
}

// ---- Wine's ATL host ----

template <class F>
F Atl(const char* name) {
    static HMODULE atl = LoadLibraryW(L"atl100.dll");
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(atl, name)));
}

// The way a form designer creates the control: ATL resolves the ProgID in its
// window's text, here through the DLL's own manifest, creates the control and
// activates it in place. (Attaching a control made beforehand is what
// browser_test's host does.)
class AtlContainer : public ::testing::Test {
protected:
    void SetUp() override {
        auto init = Atl<BOOL(WINAPI*)()>("AtlAxWinInit");
        ASSERT_TRUE(init) << "atl100.dll";
        static const BOOL registered = init();   // a second call fails: the class exists
        ASSERT_TRUE(registered);
        ASSERT_EQ(Export<HRESULT(WINAPI*)(LPCWSTR)>("Corvane_ActivateManifest")(OcxPath().c_str()), S_OK);
        top = NewTopWindow(400, 300);
        axWindow = CreateWindowExW(0, L"AtlAxWin100", L"Corvane.CorvaneCtrl", WS_CHILD | WS_VISIBLE, 10, 20, 240, 120,
                                   top, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(axWindow);
        ASSERT_EQ(Atl<HRESULT(WINAPI*)(HWND, IUnknown**)>("AtlAxGetControl")(axWindow, &control), S_OK);
    }
    void TearDown() override {
        if (ComPtr<IOleObject> ole = control ? Query<IOleObject>(control, IID_IOleObject) : nullptr) {
            ole->Close(OLECLOSE_NOSAVE);
            ole->SetClientSite(nullptr);
        }
        if (top) DestroyWindow(top);
        if (control) {
            EXPECT_EQ(control->Release(), 0u);
        }
        Export<void(WINAPI*)()>("Corvane_ResetManifest")();
    }

    HWND top = nullptr, axWindow = nullptr;
    IUnknown* control = nullptr;
};

TEST_F(AtlContainer, ActivatesInPlacePaintsWhiteAndClosesItsWindow) {
    EXPECT_TRUE(Query<ICorvaneCtrl>(control, IID_ICorvaneCtrl));
    HWND hwnd = ControlWindow(control);
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(GetParent(hwnd), axWindow);
    const LONG_PTR wanted = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWL_STYLE) & wanted, wanted);
    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWL_EXSTYLE), 0);
    EXPECT_EQ(GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND), reinterpret_cast<LONG_PTR>(GetStockObject(NULL_BRUSH)));
    RECT client, host;
    GetClientRect(hwnd, &client);
    GetClientRect(axWindow, &host);
    EXPECT_EQ(client.right, host.right);
    EXPECT_EQ(client.bottom, host.bottom);

    // Run mode paints white, through the window and through the view.
    Canvas painted(client.right, client.bottom), drawn(client.right, client.bottom);
    PrintInto(hwnd, painted);
    ASSERT_EQ(DrawInto(control, drawn), S_OK);
    for (const Canvas* c : {&painted, &drawn})
        for (POINT p : {POINT{0, 0}, POINT{c->width_ - 1, c->height_ - 1}, POINT{c->width_ / 2, c->height_ / 2}})
            EXPECT_EQ(c->At(p.x, p.y), kWhite) << p.x << "," << p.y;

    // Closing takes the window away.
    EXPECT_EQ(Query<IOleObject>(control, IID_IOleObject)->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_FALSE(IsWindow(hwnd));
    HWND none = reinterpret_cast<HWND>(1);
    EXPECT_EQ(Query<IOleWindow>(control, IID_IOleWindow)->GetWindow(&none), E_FAIL);
    EXPECT_EQ(none, nullptr);
}

TEST_F(AtlContainer, TransparentBackgroundDrawsNothing) {
    ComPtr<ICorvaneCtrl> ctrl = Query<ICorvaneCtrl>(control, IID_ICorvaneCtrl);
    ComPtr<IViewObjectEx> ex = Query<IViewObjectEx>(control, IID_IViewObjectEx);
    struct Case { DWORD argb; COLORREF centre; DWORD status; } cases[] = {
        {0x00FFFFFF, kBlack, 0},   // alpha 0; no browser yet, so E_FAIL with the flag kept
        {0xFF102030, kWhite, VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND},
    };
    for (const Case& c : cases) {
        ctrl->SetDefaultBackgroundColor(static_cast<LONG>(c.argb));
        Canvas canvas(50, 40);
        ASSERT_EQ(DrawInto(control, canvas), S_OK);
        EXPECT_EQ(canvas.At(0, 0), c.centre) << std::hex << c.argb;
        EXPECT_EQ(canvas.At(25, 20), c.centre) << std::hex << c.argb;
        DWORD status = 99;
        EXPECT_EQ(ex->GetViewStatus(&status), S_OK);
        EXPECT_EQ(status, c.status);
    }
}

// ---- Our own site: ambient user mode ----

class SiteContainer : public ::testing::Test {
protected:
    void SetUp() override {
        top = NewTopWindow(500, 300);
        ASSERT_TRUE(top);
        site = new TestContainerSite(top, RECT{0, 0, 420, 160});
        control = NewControl();
        ASSERT_TRUE(control);
        ole = Query<IOleObject>(control, IID_IOleObject);
    }
    void Activate(bool userMode) {
        site->userMode = userMode;
        ASSERT_EQ(ole->SetClientSite(site), S_OK);
        RECT pos{0, 0, 420, 160};
        ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, top, &pos), S_OK);
        hwnd = ControlWindow(control);
        ASSERT_TRUE(hwnd);
    }
    void TearDown() override {
        if (ole) {
            ole->Close(OLECLOSE_NOSAVE);
            ole->SetClientSite(nullptr);
            ole.Reset();
        }
        if (control) {
            EXPECT_EQ(control->Release(), 0u);
        }
        if (site) {
            EXPECT_EQ(site->References(), 0);
            delete site;
        }
        if (top) DestroyWindow(top);
    }

    HWND top = nullptr, hwnd = nullptr;
    TestContainerSite* site = nullptr;
    IUnknown* control = nullptr;
    ComPtr<IOleObject> ole;
};

void ExpectDesignBanner(const Canvas& c) {
    const int w = c.width_, h = c.height_, centre = h / 2;
    // The frame, the fill inside it.
    for (POINT p : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}, POINT{w / 2, 0}})
        EXPECT_EQ(c.At(p.x, p.y), kDesignAccent) << p.x << "," << p.y;
    for (POINT p : {POINT{2, 2}, POINT{w - 3, h - 3}, POINT{3, centre}})
        EXPECT_EQ(c.At(p.x, p.y), kDesignFill) << p.x << "," << p.y;
    // The title sits just above the centre line, the note from 8 pixels below it.
    std::vector<int> title = c.RowsWith(kDesignAccent), note = c.RowsWith(kDesignNote);
    ASSERT_FALSE(title.empty());
    ASSERT_FALSE(note.empty());
    EXPECT_LT(title.back(), centre);
    EXPECT_GE(title.back(), centre - 12);
    EXPECT_GE(title.front(), centre - 40);
    EXPECT_GE(note.front(), centre + 8);
    EXPECT_LT(note.back(), centre + 8 + 24);
    // Centred: the title's pixels straddle the middle column.
    int left = w, right = -1;
    for (int y : title)
        for (int x = 1; x < w - 1; ++x)
            if (c.At(x, y) == kDesignAccent) { left = std::min(left, x); right = std::max(right, x); }
    EXPECT_NEAR((left + right) / 2, w / 2, 6);
}

TEST_F(SiteContainer, DesignModePaintsTheBannerInTheWindowAndTheView) {
    Activate(false);
    RECT client;
    GetClientRect(hwnd, &client);
    ASSERT_EQ(client.right, 420);
    ASSERT_EQ(client.bottom, 160);
    Canvas painted(420, 160), drawn(420, 160);
    PrintInto(hwnd, painted);
    ExpectDesignBanner(painted);
    ASSERT_EQ(DrawInto(control, drawn), S_OK);
    // One drawing routine: identical pixels either way.
    for (int y = 0; y < 160; y += 3)
        for (int x = 0; x < 420; x += 3) ASSERT_EQ(painted.At(x, y), drawn.At(x, y)) << x << "," << y;
}

TEST_F(SiteContainer, AmbientUserModeChangesTheDrawing) {
    struct Case { bool answersAmbients, userMode; COLORREF colour; } cases[] = {
        {true, true, kWhite},
        {true, false, kDesignFill},
        {false, false, kWhite},   // no ambient properties: a running form
    };
    for (const Case& c : cases) {
        site->answersAmbients = c.answersAmbients;
        site->userMode = c.userMode;
        ASSERT_EQ(ole->SetClientSite(site), S_OK);
        ASSERT_EQ(Query<IOleControl>(control, IID_IOleControl)->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE), S_OK);
        Canvas canvas(100, 100);
        ASSERT_EQ(DrawInto(control, canvas), S_OK);
        EXPECT_EQ(canvas.At(10, 50), c.colour) << c.answersAmbients << c.userMode;
    }
}

TEST_F(SiteContainer, ActivationAndDeactivationTalkToTheSiteEvenAfterTheParentWent) {
    Activate(true);
    EXPECT_EQ(site->inPlaceActivations, 1);
    EXPECT_EQ(GetParent(hwnd), top);
    ComPtr<IOleInPlaceObject> ip = Query<IOleInPlaceObject>(control, IID_IOleInPlaceObject);
    RECT pos{5, 6, 105, 56}, r;
    EXPECT_EQ(ip->SetObjectRects(&pos, &pos), S_OK);
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 6);
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_EQ(r.bottom - r.top, 50);
    for (int twice = 0; twice < 2; ++twice) {
        EXPECT_EQ(ip->InPlaceDeactivate(), S_OK);
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(site->inPlaceDeactivations, 1);
    }
    // Activates again with a new window.
    Activate(true);
    EXPECT_EQ(site->inPlaceActivations, 2);

    // A host may destroy its window before closing the control, then show the
    // control in a new one.
    DestroyWindow(top);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(ControlWindow(control), nullptr);
    EXPECT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(site->inPlaceDeactivations, 2);
    ASSERT_EQ(ole->SetClientSite(nullptr), S_OK);
    delete site;
    top = NewTopWindow(500, 300);
    site = new TestContainerSite(top, RECT{0, 0, 420, 160});
    Activate(true);
    EXPECT_EQ(GetParent(hwnd), top);
}

// ---- Object-level answers (its interfaces and their identity: module_test) ----

TEST(ControlObject, MiscStatusExtentClassInfoAndNoPropertyPages) {
    IOleObject* ole = NewControl<IOleObject>(IID_IOleObject);
    ASSERT_TRUE(ole);
    DWORD status = 0;
    EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 131473u);

    SIZEL size{1234, 5678}, back{}, viewed{};
    EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &back), S_OK);
    EXPECT_EQ(Query<IViewObject2>(ole, IID_IViewObject2)->GetExtent(DVASPECT_CONTENT, -1, nullptr, &viewed), S_OK);
    for (const SIZEL& s : {back, viewed}) {
        EXPECT_EQ(s.cx, 1234);
        EXPECT_EQ(s.cy, 5678);
    }
    EXPECT_EQ(ole->SetExtent(DVASPECT_ICON, &size), DV_E_DVASPECT);

    CLSID clsid{};
    EXPECT_EQ(ole->GetUserClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_CorvaneCtrl));
    ComPtr<IProvideClassInfo2> pci = Query<IProvideClassInfo2>(ole, IID_IProvideClassInfo2);
    GUID source{};
    EXPECT_EQ(pci->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_TRUE(IsEqualGUID(source, DIID__DCorvaneCtrlEvents));
    EXPECT_EQ(pci->GetGUID(12345, &source), E_INVALIDARG);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(pci->GetClassInfo(info.put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, CLSID_CorvaneCtrl));   // the coclass itself is checked in typelib_test
    info->ReleaseTypeAttr(attr);

    CAUUID pages{5, reinterpret_cast<GUID*>(1)};
    EXPECT_EQ(Query<ISpecifyPropertyPages>(ole, IID_ISpecifyPropertyPages)->GetPages(&pages), S_OK);
    EXPECT_EQ(pages.cElems, 0u);
    EXPECT_EQ(pages.pElems, nullptr);
    pci.Reset();
    info.Reset();
    EXPECT_EQ(ole->Release(), 0u);
}

TEST(ControlObject, ObjectSafetyKeepsBitsOutsideTheMask) {
    IObjectSafety* safety = NewControl<IObjectSafety>(IID_IObjectSafety);
    ASSERT_TRUE(safety);
    constexpr DWORD caller = INTERFACESAFE_FOR_UNTRUSTED_CALLER, data = INTERFACESAFE_FOR_UNTRUSTED_DATA;
    struct Step { const IID* iid; DWORD mask, enabled; HRESULT setResult; DWORD enabledAfter; } steps[] = {
        {&IID_IDispatch, caller, caller, S_OK, caller},
        {&IID_IPersistPropertyBag, data, data, S_OK, caller | data},
        {&IID_IDispatch, caller, 0, S_OK, data},
        {&IID_IDispatch, 0x100, 0x100, E_FAIL, data},          // an option it does not support
        {&IID_IPersistStream, data, 0, E_NOINTERFACE, data},   // an interface it does not answer
    };
    for (const Step& s : steps) {
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(*s.iid, s.mask, s.enabled), s.setResult);
        DWORD supported = 0, enabled = 0;
        EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
        EXPECT_EQ(supported, caller | data);
        EXPECT_EQ(enabled, s.enabledAfter);
    }
    DWORD supported = 7, enabled = 7;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IPersistStream, &supported, &enabled), E_NOINTERFACE);
    EXPECT_EQ(supported, 0u);
    EXPECT_EQ(enabled, 0u);
    EXPECT_EQ(safety->Release(), 0u);
}

TEST(ControlObject, QuickActivationSetsUpSiteAmbientsAndEvents) {
    HWND top = NewTopWindow(200, 100);
    TestContainerSite site(top, RECT{0, 0, 100, 50});
    IQuickActivate* qa = NewControl<IQuickActivate>(IID_IQuickActivate);
    ASSERT_TRUE(qa);
    CountingUnknown events;   // answers IDispatch, as script sinks do
    QACONTAINER container{};
    container.cbSize = sizeof(container);
    container.pClientSite = &site;
    container.pUnkEventSink = &events;   // no QACONTAINER_USERMODE in dwAmbientFlags: a form in design
    QACONTROL control{};
    control.cbSize = sizeof(control);
    ASSERT_EQ(qa->QuickActivate(&container, &control), S_OK);
    EXPECT_EQ(control.dwMiscStatus, 131473u);
    EXPECT_EQ(control.dwViewStatus, static_cast<DWORD>(VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND));
    EXPECT_NE(control.dwEventCookie, 0u);
    EXPECT_EQ(control.dwPropNotifyCookie, 0u);
    Canvas canvas(60, 40);
    ASSERT_EQ(DrawInto(qa, canvas), S_OK);
    EXPECT_EQ(canvas.At(5, 5), kDesignFill);

    SIZEL size{300, 400}, back{};
    EXPECT_EQ(qa->SetContentExtent(&size), S_OK);
    EXPECT_EQ(qa->GetContentExtent(&back), S_OK);
    EXPECT_EQ(back.cx, 300);
    EXPECT_EQ(back.cy, 400);
    QACONTAINER tooSmall = container;
    tooSmall.cbSize = 8;
    EXPECT_EQ(qa->QuickActivate(&tooSmall, &control), E_UNEXPECTED);

    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(Query<IConnectionPointContainer>(qa, IID_IConnectionPointContainer)
                  ->FindConnectionPoint(DIID__DCorvaneCtrlEvents, point.put()), S_OK);
    EXPECT_EQ(point->Unadvise(control.dwEventCookie), S_OK);
    point.Reset();
    Query<IOleObject>(qa, IID_IOleObject)->SetClientSite(nullptr);
    EXPECT_EQ(qa->Release(), 0u);
    EXPECT_EQ(site.References(), 0);
    EXPECT_EQ(events.refs, 1);
    DestroyWindow(top);
}

TEST(ControlObject, DataObjectRendersTheViewAsAPicture) {
    IDataObject* data = NewControl<IDataObject>(IID_IDataObject);
    ASSERT_TRUE(data);
    SIZEL size{2540, 1270};   // one inch by half an inch
    Query<IOleObject>(data, IID_IOleObject)->SetExtent(DVASPECT_CONTENT, &size);
    struct Case { CLIPFORMAT format; DWORD tymed; HRESULT query; } cases[] = {
        {CF_ENHMETAFILE, TYMED_ENHMF, S_OK},
        {CF_METAFILEPICT, TYMED_MFPICT, S_OK},
        {CF_TEXT, TYMED_HGLOBAL, DV_E_FORMATETC},
        {CF_ENHMETAFILE, TYMED_HGLOBAL, DV_E_FORMATETC},
    };
    for (const Case& c : cases) {
        FORMATETC f{c.format, nullptr, DVASPECT_CONTENT, -1, c.tymed};
        EXPECT_EQ(data->QueryGetData(&f), c.query) << c.format;
        STGMEDIUM medium{};
        HRESULT hr = data->GetData(&f, &medium);
        EXPECT_EQ(hr, c.query) << c.format;
        if (FAILED(hr)) continue;
        ASSERT_EQ(medium.tymed, c.tymed);
        Canvas canvas(80, 40);
        RECT all{0, 0, 80, 40};
        if (c.format == CF_ENHMETAFILE) {
            EXPECT_TRUE(PlayEnhMetaFile(canvas.dc(), medium.hEnhMetaFile, &all));
        } else {
            auto* mfp = static_cast<METAFILEPICT*>(GlobalLock(medium.hMetaFilePict));
            EXPECT_EQ(mfp->mm, MM_ANISOTROPIC);
            EXPECT_EQ(mfp->xExt, 2540);
            SetMapMode(canvas.dc(), MM_ANISOTROPIC);
            SetViewportExtEx(canvas.dc(), 80, 40, nullptr);
            EXPECT_TRUE(PlayMetaFile(canvas.dc(), mfp->hMF));
            SetMapMode(canvas.dc(), MM_TEXT);
            GlobalUnlock(medium.hMetaFilePict);
        }
        EXPECT_EQ(canvas.At(40, 20), kWhite) << c.format;   // a running control's view
        ReleaseStgMedium(&medium);
    }
    EXPECT_EQ(data->Release(), 0u);
}

// ---- Persistence ----

// A property bag that keeps what it is given, in order; lives on the stack.
class MemoryBag : public IPropertyBag {
public:
    std::vector<std::pair<std::wstring, VARIANT>> items;
    ~MemoryBag() {
        for (auto& i : items) VariantClear(&i.second);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        for (auto& i : items)
            if (i.first == name) {
                VARTYPE hint = value->vt;
                VariantInit(value);
                HRESULT hr = VariantCopy(value, &i.second);
                if (SUCCEEDED(hr) && hint != VT_EMPTY && hint != value->vt) hr = VariantChangeType(value, value, 0, hint);
                return hr;
            }
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
        items.emplace_back(name, Var(VT_EMPTY));
        return VariantCopy(&items.back().second, value);
    }
};

ComPtr<IStream> StreamOf(const void* bytes, ULONG size) {
    ComPtr<IStream> s;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, s.put()), S_OK);
    if (size) s->Write(bytes, size, nullptr);
    s->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    return s;
}

SIZEL ExtentOf(IUnknown* control) {
    SIZEL size{};
    Query<IOleObject>(control, IID_IOleObject)->GetExtent(DVASPECT_CONTENT, &size);
    return size;
}

TEST(Persistence, ExtentAndUrlRoundTripThroughBagStreamAndStorage) {
    IPersistPropertyBag* first = NewControl<IPersistPropertyBag>(IID_IPersistPropertyBag);
    ASSERT_TRUE(first);
    MemoryBag in;   // any type the bag holds converts
    in.items = {{L"_cx", I4(2000)}, {L"_cy", I4(3000)}, {L"Url", Str(L"https://example.org/start")}};
    ASSERT_EQ(first->Load(&in, nullptr), S_OK);

    // Bag -> stream -> second control.
    ComPtr<IPersistStreamInit> ps = Query<IPersistStreamInit>(first, IID_IPersistStreamInit);
    ComPtr<IStream> stream = StreamOf(nullptr, 0);
    ULARGE_INTEGER max{};
    EXPECT_EQ(ps->GetSizeMax(&max), S_OK);
    ASSERT_EQ(ps->Save(stream.get(), TRUE), S_OK);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(stat.cbSize.QuadPart, max.QuadPart);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    IPersistStreamInit* second = NewControl<IPersistStreamInit>(IID_IPersistStreamInit);
    ASSERT_EQ(second->Load(stream.get()), S_OK);

    // Second control -> storage -> third control.
    ComPtr<ILockBytes> bytes;
    ComPtr<IStorage> storage;
    ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, bytes.put()), S_OK);
    ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes.get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                           storage.put()), S_OK);
    ASSERT_EQ(Query<IPersistStorage>(second, IID_IPersistStorage)->Save(storage.get(), FALSE), S_OK);
    IPersistStorage* third = NewControl<IPersistStorage>(IID_IPersistStorage);
    ASSERT_EQ(third->Load(storage.get()), S_OK);

    // Third control -> bag: exactly the three properties.
    MemoryBag out;
    ASSERT_EQ(Query<IPersistPropertyBag>(third, IID_IPersistPropertyBag)->Save(&out, TRUE, TRUE), S_OK);
    ASSERT_EQ(out.items.size(), 3u);
    EXPECT_EQ(out.items[0].first, L"_cx");
    EXPECT_EQ(out.items[0].second.vt, VT_UI4);
    EXPECT_EQ(out.items[0].second.ulVal, 2000u);
    EXPECT_EQ(out.items[1].first, L"_cy");
    EXPECT_EQ(out.items[1].second.ulVal, 3000u);
    EXPECT_EQ(out.items[2].first, L"Url");
    ASSERT_EQ(out.items[2].second.vt, VT_BSTR);
    EXPECT_STREQ(out.items[2].second.bstrVal, L"https://example.org/start");
    EXPECT_EQ(ExtentOf(third).cx, 2000);
    ps.Reset();
    for (IUnknown* p : std::initializer_list<IUnknown*>{third, second, first}) EXPECT_EQ(p->Release(), 0u);
}

TEST(Persistence, AnIncompleteStreamChangesNothing) {
    IPersistStreamInit* source = NewControl<IPersistStreamInit>(IID_IPersistStreamInit);
    ASSERT_TRUE(source);
    SIZEL size{111, 222};
    Query<IOleObject>(source, IID_IOleObject)->SetExtent(DVASPECT_CONTENT, &size);
    EXPECT_EQ(source->IsDirty(), S_OK);
    ComPtr<IStream> full = StreamOf(nullptr, 0);
    ASSERT_EQ(source->Save(full.get(), TRUE), S_OK);
    EXPECT_EQ(source->IsDirty(), S_FALSE);
    EXPECT_EQ(source->Release(), 0u);
    std::vector<BYTE> data(64);
    ULONG length = 0;
    full->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    full->Read(data.data(), 64, &length);
    ASSERT_EQ(length, 18u);   // layout, _cx, _cy, VT_BSTR, 0 bytes of Url

    struct Case { const char* what; ULONG keep; int corruptOffset; BYTE corruptValue; } cases[] = {
        {"empty", 0, -1, 0},
        {"layout only", 4, -1, 0},
        {"no height", 8, -1, 0},
        {"no Url type", 12, -1, 0},
        {"no Url length", 16, -1, 0},
        {"unknown layout", 18, 1, 0x7F},
        {"Url not a string", 18, 12, VT_I4},
        {"odd Url length", 18, 14, 3},
        {"Url longer than the stream", 18, 14, 40},
    };
    for (const Case& c : cases) {
        std::vector<BYTE> bytes(data.begin(), data.begin() + c.keep);
        if (c.corruptOffset >= 0) bytes[c.corruptOffset] = c.corruptValue;
        ComPtr<IStream> s = StreamOf(bytes.data(), c.keep);
        IPersistStreamInit* target = NewControl<IPersistStreamInit>(IID_IPersistStreamInit);
        EXPECT_TRUE(FAILED(target->Load(s.get()))) << c.what;
        EXPECT_EQ(ExtentOf(target).cx, 5080) << c.what;
        EXPECT_EQ(target->Release(), 0u);
    }
}

TEST(Persistence, ABagWithoutSomePropertiesKeepsTheRest) {
    IPersistPropertyBag* p = NewControl<IPersistPropertyBag>(IID_IPersistPropertyBag);
    ASSERT_TRUE(p);
    MemoryBag in, bad;
    in.items = {{L"_cy", I4(700)}};
    ASSERT_EQ(p->Load(&in, nullptr), S_OK);
    EXPECT_EQ(ExtentOf(p).cx, 5080);
    EXPECT_EQ(ExtentOf(p).cy, 700);
    bad.items = {{L"_cx", Str(L"wide")}};
    EXPECT_TRUE(FAILED(p->Load(&bad, nullptr)));
    EXPECT_EQ(ExtentOf(p).cx, 5080);
    EXPECT_EQ(p->Release(), 0u);
}

// ---- Events ----

// Records every event as text, e.g. "0x99(page,42,&)": the id, then the
// arguments first to last, an in-out boolean as "&". Answers with `result`
// and sets in-out booleans to `answer`.
class RecordingSink : public IDispatch {
public:
    std::vector<std::wstring> calls;
    HRESULT result = S_OK;
    VARIANT_BOOL answer = VARIANT_FALSE;
    bool scribble = false;   // writes over the strings it is given, as a careless sink may
    LONG refs = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
                       IsEqualIID(iid, DIID__DCorvaneCtrlEvents) ? this : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        EXPECT_EQ(flags, DISPATCH_METHOD);
        wchar_t head[16];
        swprintf(head, 16, L"0x%x(", static_cast<unsigned>(id));
        std::wstring call = head;
        for (UINT i = params->cArgs; i-- > 0;) {
            VARIANT& v = params->rgvarg[i];
            if (i + 1 < params->cArgs) call += L",";
            if (v.vt == VT_I4) {
                call += std::to_wstring(v.lVal);
            } else if (v.vt == VT_BSTR) {
                call += std::wstring(v.bstrVal, SysStringLen(v.bstrVal));
                if (scribble && SysStringLen(v.bstrVal)) v.bstrVal[0] = L'#';
            } else if (v.vt == (VT_BYREF | VT_BOOL)) {
                call += L"&";
                *v.pboolVal = answer;
            } else {
                call += L"vt" + std::to_wstring(v.vt);
            }
        }
        calls.push_back(call + L")");
        return result;
    }
};

// The control in run mode with two sinks; the first fails, the second must
// still hear every event.
class WindowEvents : public SiteContainer {
protected:
    void SetUp() override {
        SiteContainer::SetUp();
        Activate(true);
        ASSERT_EQ(Query<IConnectionPointContainer>(control, IID_IConnectionPointContainer)
                      ->FindConnectionPoint(DIID__DCorvaneCtrlEvents, point.put()), S_OK);
        failing.result = E_FAIL;
        ASSERT_EQ(point->Advise(&failing, &cookies[0]), S_OK);
        ASSERT_EQ(point->Advise(&second, &cookies[1]), S_OK);
    }
    void TearDown() override {
        if (point) {
            point->Unadvise(cookies[0]);
            point->Unadvise(cookies[1]);
            point.Reset();
        }
        SiteContainer::TearDown();
        EXPECT_EQ(failing.refs, 0);
        EXPECT_EQ(second.refs, 0);
    }
    ComPtr<IConnectionPoint> point;
    DWORD cookies[2] = {};
    RecordingSink failing, second;
};

TEST_F(WindowEvents, MessagesRaiseTheirEventsToEverySink) {
    using Calls = std::vector<std::wstring>;
    struct Case { const char* what; std::vector<UINT> messages; WPARAM wParam; Calls expected; } cases[] = {
        {"left button up", {WM_LBUTTONUP}, 0, {L"0x27()"}},
        {"double click", {WM_LBUTTONDBLCLK}, 0, {L"0x28()"}},
        {"key down, with its key code", {WM_KEYDOWN}, VK_F5, {L"0x29(116)"}},
        {"enter once, then leave", {WM_MOUSEMOVE, WM_MOUSEMOVE, WM_MOUSELEAVE}, 0, {L"0x2a()", L"0x2b()"}},
        {"enter again after leaving", {WM_MOUSEMOVE, WM_MOUSELEAVE, WM_MOUSEMOVE}, 0, {L"0x2a()", L"0x2b()", L"0x2a()"}},
        {"button down raises nothing", {WM_LBUTTONDOWN, WM_RBUTTONUP}, 0, {}},
    };
    for (const Case& c : cases) {
        failing.calls.clear();
        second.calls.clear();
        for (UINT m : c.messages) SendMessageW(hwnd, m, c.wParam, 0);
        EXPECT_EQ(second.calls, c.expected) << c.what;
        EXPECT_EQ(failing.calls, c.expected) << c.what;
        SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);   // a clean tracking state for the next case
    }
}

TEST_F(WindowEvents, AClosedControlRaisesAgainOnceReactivatedAndAnUnadvisedSinkHearsNoMore) {
    ASSERT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_FALSE(IsWindow(hwnd));
    Activate(true);   // a new window clears the closing state
    ASSERT_EQ(point->Unadvise(cookies[0]), S_OK);
    cookies[0] = 0;
    SendMessageW(hwnd, WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(failing.calls.empty());
    EXPECT_EQ(second.calls, std::vector<std::wstring>{L"0x27()"});
}

// ---- The broadcast itself ----

TEST(Broadcast, ArgumentsGoLastFirstWithFreshStringsAndASharedInOut) {
    RecordingSink a, b, c;
    a.answer = VARIANT_TRUE;
    c.answer = VARIANT_TRUE;
    c.result = DISP_E_EXCEPTION;
    for (RecordingSink* s : {&a, &b, &c}) s->scribble = true;   // every sink must still get its own "page"
    struct Order { std::vector<RecordingSink*> sinks; VARIANT_BOOL shared; HRESULT result; } orders[] = {
        {{&a, &b, &c}, VARIANT_TRUE, DISP_E_EXCEPTION},
        {{&c, &a, &b}, VARIANT_FALSE, S_OK},
    };
    for (const Order& o : orders) {
        std::vector<ComPtr<IDispatch>> list;
        for (RecordingSink* s : o.sinks) {
            list.emplace_back(s);
            list.emplace_back();   // an empty slot is skipped
            s->calls.clear();
        }
        VARIANT_BOOL cancel = 7;
        const Corvane::EventArg args[] = {Corvane::EventArg(u"page"), Corvane::EventArg(LONG(42)),
                                          Corvane::EventArg::InOut(&cancel)};
        EXPECT_EQ(Corvane::BroadcastEvent(list, 0x99, args, 3), o.result);
        EXPECT_EQ(cancel, o.shared);
        for (RecordingSink* s : o.sinks) EXPECT_EQ(s->calls, std::vector<std::wstring>{L"0x99(page,42,&)"});
    }
    for (RecordingSink* s : {&a, &b, &c}) EXPECT_EQ(s->refs, 0);
}

}  // namespace
