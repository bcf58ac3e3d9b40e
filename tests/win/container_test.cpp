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

namespace {

// Controls activated in run mode create their browser: the test runtime
// stands in for it (without any runtime a modal message box would wait).
const bool g_runtimeChosen =
    SetEnvironmentVariableW(L"CORVANE_WEBVIEW2_RUNTIME", (ExeFolder() + L"corvane_test_runtime.dll").c_str());

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kDesignFill = RGB(15, 23, 42);
constexpr COLORREF kDesignAccent = RGB(59, 175, 219);
constexpr COLORREF kDesignNote = RGB(160, 160, 160);

// The control, made by the DLL's own class object (the DLL is not registered here).
template <class I>
I* NewControl(REFIID iid) {
    IClassFactory* f = nullptr;
    EXPECT_EQ(Export<GetClassObjectFn>("DllGetClassObject")(CLSID_CorvaneCtrl, IID_IClassFactory,
                                                            reinterpret_cast<void**>(&f)), S_OK);
    if (!f) return nullptr;
    I* p = nullptr;
    EXPECT_EQ(f->CreateInstance(nullptr, iid, reinterpret_cast<void**>(&p)), S_OK);
    f->Release();
    return p;
}

template <class I>
I* Query(IUnknown* from, REFIID iid) {
    I* p = nullptr;
    EXPECT_EQ(from->QueryInterface(iid, reinterpret_cast<void**>(&p)), S_OK);
    return p;
}

// A top-level window to host controls in.
HWND NewTopWindow(int width, int height) {
    static const wchar_t* cls = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"CorvaneTestTop";
        RegisterClassW(&wc);
        return L"CorvaneTestTop";
    }();
    return CreateWindowExW(0, cls, L"test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, width, height,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// A 32-bit memory bitmap pre-filled with one colour, read back by GetPixel.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = kBlack) : width_(width), height_(height) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;   // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        Fill(fill);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    void Fill(COLORREF colour) {
        RECT r{0, 0, width_, height_};
        HBRUSH b = CreateSolidBrush(colour);
        FillRect(dc_, &r, b);
        DeleteObject(b);
    }
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    RECTL Bounds() const { return RECTL{0, 0, width_, height_}; }
    // Rows in [top, bottom) holding at least one pixel of `colour` inside the border.
    std::vector<int> RowsWith(COLORREF colour, int top, int bottom) const {
        std::vector<int> rows;
        for (int y = top; y < bottom; ++y)
            for (int x = 1; x < width_ - 1; ++x)
                if (At(x, y) == colour) { rows.push_back(y); break; }
        return rows;
    }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

HRESULT DrawInto(IUnknown* control, const Canvas& canvas) {
    IViewObject* view = Query<IViewObject>(control, IID_IViewObject);
    if (!view) return E_NOINTERFACE;
    RECTL bounds = canvas.Bounds();
    HRESULT hr = view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(), &bounds, nullptr, nullptr, 0);
    view->Release();
    return hr;
}

HWND ControlWindow(IUnknown* control) {
    IOleWindow* w = Query<IOleWindow>(control, IID_IOleWindow);
    HWND hwnd = nullptr;
    if (w) {
        w->GetWindow(&hwnd);
        w->Release();
    }
    return hwnd;
}

// ---- Wine's ATL host ----

struct AtlHost {
    HMODULE atl = LoadLibraryW(L"atl100.dll");
    BOOL(WINAPI* init)() = nullptr;
    HRESULT(WINAPI* attach)(IUnknown*, HWND, IUnknown**) = nullptr;
    HRESULT(WINAPI* getControl)(HWND, IUnknown**) = nullptr;
    AtlHost() {
        if (!atl) return;
        init = reinterpret_cast<decltype(init)>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
        attach = reinterpret_cast<decltype(attach)>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxAttachControl")));
        getControl = reinterpret_cast<decltype(getControl)>(reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    }
};

class AtlContainer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.atl && host.init && host.attach && host.getControl) << "atl100.dll";
        static const BOOL registered = host.init();   // a second call fails: the class exists
        ASSERT_TRUE(registered);
        top = NewTopWindow(400, 300);
        ASSERT_TRUE(top);
        // An AtlAxWin100 window with no content, to which the control is attached.
        axWindow = CreateWindowExW(0, L"AtlAxWin100", L"", WS_CHILD | WS_VISIBLE, 10, 20, 240, 120, top, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(axWindow);
        control = NewControl<IUnknown>(IID_IUnknown);
        ASSERT_TRUE(control);
        ASSERT_EQ(host.attach(control, axWindow, &container), S_OK);
    }
    void TearDown() override {
        if (control) {
            if (IOleObject* ole = Query<IOleObject>(control, IID_IOleObject)) {
                ole->Close(OLECLOSE_NOSAVE);
                ole->SetClientSite(nullptr);
                ole->Release();
            }
        }
        if (top) DestroyWindow(top);
        if (container) container->Release();
        if (control) {
            EXPECT_EQ(control->Release(), 0u);
        }
    }

    AtlHost host;
    HWND top = nullptr;
    HWND axWindow = nullptr;
    IUnknown* control = nullptr;
    IUnknown* container = nullptr;
};

TEST_F(AtlContainer, ActivatesInPlaceWithAChildWindowOfTheRightStyles) {
    IUnknown* hosted = nullptr;
    ASSERT_EQ(host.getControl(axWindow, &hosted), S_OK);
    IUnknown* identity = Query<IUnknown>(control, IID_IUnknown);
    EXPECT_EQ(hosted, identity);
    identity->Release();
    hosted->Release();

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

    // Closing takes the window away.
    IOleObject* ole = Query<IOleObject>(control, IID_IOleObject);
    EXPECT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_FALSE(IsWindow(hwnd));
    HWND none = reinterpret_cast<HWND>(1);
    IOleWindow* w = Query<IOleWindow>(control, IID_IOleWindow);
    EXPECT_EQ(w->GetWindow(&none), E_FAIL);
    EXPECT_EQ(none, nullptr);
    w->Release();
    ole->Release();
}

TEST_F(AtlContainer, RunModePaintsWhiteThroughTheWindowAndTheView) {
    HWND hwnd = ControlWindow(control);
    ASSERT_TRUE(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    Canvas painted(client.right, client.bottom, kBlack);
    ASSERT_TRUE(PrintWindow(hwnd, painted.dc(), PW_CLIENTONLY));
    Canvas drawn(client.right, client.bottom, kBlack);
    ASSERT_EQ(DrawInto(control, drawn), S_OK);
    for (const Canvas* c : {&painted, &drawn}) {
        for (POINT p : {POINT{0, 0}, POINT{client.right - 1, client.bottom - 1}, POINT{client.right / 2, client.bottom / 2}})
            EXPECT_EQ(c->At(p.x, p.y), kWhite) << p.x << "," << p.y;
    }
}

TEST_F(AtlContainer, TransparentBackgroundDrawsNothing) {
    ICorvaneCtrl* ctrl = Query<ICorvaneCtrl>(control, IID_ICorvaneCtrl);
    ctrl->SetDefaultBackgroundColor(0x00FFFFFF);   // alpha 0; no browser yet, so E_FAIL with the flag kept
    Canvas canvas(50, 40, kBlack);
    ASSERT_EQ(DrawInto(control, canvas), S_OK);
    EXPECT_EQ(canvas.At(0, 0), kBlack);
    EXPECT_EQ(canvas.At(25, 20), kBlack);
    IViewObjectEx* ex = Query<IViewObjectEx>(control, IID_IViewObjectEx);
    DWORD status = 99;
    EXPECT_EQ(ex->GetViewStatus(&status), S_OK);
    EXPECT_EQ(status, 0u);
    ctrl->SetDefaultBackgroundColor(static_cast<LONG>(0xFF102030));
    ASSERT_EQ(DrawInto(control, canvas), S_OK);
    EXPECT_EQ(canvas.At(25, 20), kWhite);
    EXPECT_EQ(ex->GetViewStatus(&status), S_OK);
    EXPECT_EQ(status, static_cast<DWORD>(VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND));
    ex->Release();
    ctrl->Release();
}

// The way a form designer creates it: ATL resolves the ProgID, here through
// the DLL's own manifest, and activates the control in its window.
TEST(AtlByProgId, CreatesAndActivatesTheControlFromTheWindowText) {
    AtlHost host;
    ASSERT_TRUE(host.atl && host.init && host.getControl);
    host.init();   // may already have run; the class stays registered
    using ActivateFn = HRESULT(WINAPI*)(LPCWSTR);
    using VoidFn = void(WINAPI*)();
    ASSERT_EQ(Export<ActivateFn>("Corvane_ActivateManifest")(OcxPath().c_str()), S_OK);
    HWND top = NewTopWindow(300, 200);
    HWND ax = CreateWindowExW(0, L"AtlAxWin100", L"Corvane.CorvaneCtrl", WS_CHILD | WS_VISIBLE, 0, 0, 160, 90, top,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(ax);
    IUnknown* hosted = nullptr;
    ASSERT_EQ(host.getControl(ax, &hosted), S_OK);
    ICorvaneCtrl* ctrl = nullptr;
    EXPECT_EQ(hosted->QueryInterface(IID_ICorvaneCtrl, reinterpret_cast<void**>(&ctrl)), S_OK);
    HWND hwnd = ControlWindow(hosted);
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(GetParent(hwnd), ax);
    Canvas painted(160, 90, kBlack);
    ASSERT_TRUE(PrintWindow(hwnd, painted.dc(), PW_CLIENTONLY));
    EXPECT_EQ(painted.At(80, 45), kWhite);
    if (ctrl) ctrl->Release();
    hosted->Release();
    DestroyWindow(top);
    Export<VoidFn>("Corvane_ResetManifest")();
}

// ---- Our own site: ambient user mode ----

class SiteContainer : public ::testing::Test {
protected:
    void SetUp() override {
        top = NewTopWindow(500, 300);
        ASSERT_TRUE(top);
        site = new TestContainerSite(top, RECT{0, 0, 420, 160});
        control = NewControl<IUnknown>(IID_IUnknown);
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
            ole->Release();
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

    HWND top = nullptr;
    HWND hwnd = nullptr;
    TestContainerSite* site = nullptr;
    IUnknown* control = nullptr;
    IOleObject* ole = nullptr;
};

void ExpectDesignBanner(const Canvas& c) {
    const int w = c.width(), h = c.height(), centre = h / 2;
    // The frame, the fill inside it.
    for (POINT p : {POINT{0, 0}, POINT{w - 1, 0}, POINT{0, h - 1}, POINT{w - 1, h - 1}, POINT{w / 2, 0}})
        EXPECT_EQ(c.At(p.x, p.y), kDesignAccent) << p.x << "," << p.y;
    for (POINT p : {POINT{2, 2}, POINT{w - 3, h - 3}, POINT{3, centre}})
        EXPECT_EQ(c.At(p.x, p.y), kDesignFill) << p.x << "," << p.y;
    // The title sits just above the centre line, the note from 8 pixels below it.
    std::vector<int> title = c.RowsWith(kDesignAccent, 1, h - 1);
    ASSERT_FALSE(title.empty());
    EXPECT_LT(title.back(), centre);
    EXPECT_GE(title.back(), centre - 12);
    EXPECT_GE(title.front(), centre - 40);
    std::vector<int> note = c.RowsWith(kDesignNote, 1, h - 1);
    ASSERT_FALSE(note.empty());
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
    Canvas painted(420, 160, kBlack);
    ASSERT_TRUE(PrintWindow(hwnd, painted.dc(), PW_CLIENTONLY));
    ExpectDesignBanner(painted);
    Canvas drawn(420, 160, kBlack);
    ASSERT_EQ(DrawInto(control, drawn), S_OK);
    ExpectDesignBanner(drawn);
    // One drawing routine: identical pixels either way.
    for (int y = 0; y < 160; y += 3)
        for (int x = 0; x < 420; x += 3) ASSERT_EQ(painted.At(x, y), drawn.At(x, y)) << x << "," << y;
}

TEST_F(SiteContainer, AmbientUserModeChangesTheDrawing) {
    struct Case {
        bool answersAmbients;
        bool userMode;
        COLORREF centreColour;
    } cases[] = {
        {true, true, kWhite},
        {true, false, kDesignFill},
        {false, false, kWhite},   // no ambient properties: a running form
    };
    for (const Case& c : cases) {
        site->answersAmbients = c.answersAmbients;
        site->userMode = c.userMode;
        IOleControl* oc = Query<IOleControl>(control, IID_IOleControl);
        ASSERT_EQ(ole->SetClientSite(site), S_OK);
        ASSERT_EQ(oc->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE), S_OK);
        oc->Release();
        Canvas canvas(100, 100, kBlack);
        ASSERT_EQ(DrawInto(control, canvas), S_OK);
        EXPECT_EQ(canvas.At(10, 50), c.centreColour) << c.answersAmbients << c.userMode;
    }
}

TEST_F(SiteContainer, ActivationAndDeactivationTalkToTheSite) {
    Activate(true);
    EXPECT_EQ(site->inPlaceActivations, 1);
    EXPECT_EQ(GetParent(hwnd), top);
    IOleInPlaceObject* ip = Query<IOleInPlaceObject>(control, IID_IOleInPlaceObject);
    RECT pos{5, 6, 105, 56};
    EXPECT_EQ(ip->SetObjectRects(&pos, &pos), S_OK);
    RECT r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 6);
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_EQ(r.bottom - r.top, 50);
    EXPECT_EQ(ip->InPlaceDeactivate(), S_OK);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(site->inPlaceDeactivations, 1);
    EXPECT_EQ(ip->InPlaceDeactivate(), S_OK);
    EXPECT_EQ(site->inPlaceDeactivations, 1);
    ip->Release();
    // Activates again with a new window.
    Activate(true);
    EXPECT_EQ(site->inPlaceActivations, 2);
}

// A host may destroy its window before closing the control.
TEST(ControlWindowLifetime, SurvivesItsParentGoingFirstAndActivatesAgain) {
    for (int round = 0; round < 2; ++round) {
        HWND top = NewTopWindow(200, 100);
        TestContainerSite site(top, RECT{0, 0, 100, 50});
        IOleObject* ole = NewControl<IOleObject>(IID_IOleObject);
        ASSERT_TRUE(ole);
        ASSERT_EQ(ole->SetClientSite(&site), S_OK);
        RECT pos{0, 0, 100, 50};
        ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, top, &pos), S_OK) << round;
        HWND hwnd = ControlWindow(ole);
        ASSERT_TRUE(IsWindow(hwnd)) << round;
        DestroyWindow(top);
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(ControlWindow(ole), nullptr);
        EXPECT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK);
        EXPECT_EQ(site.inPlaceDeactivations, 1);
        ole->SetClientSite(nullptr);
        EXPECT_EQ(ole->Release(), 0u);
    }
}

// ---- Object-level answers ----

TEST(ControlObject, AnswersTheEmbeddingInterfacesWithOneIdentity) {
    IUnknown* control = NewControl<IUnknown>(IID_IUnknown);
    ASSERT_TRUE(control);
    const IID* iids[] = {&IID_ICorvaneCtrl, &IID_IDispatch, &IID_IViewObjectEx, &IID_IViewObject2, &IID_IViewObject,
                         &IID_IOleInPlaceObjectWindowless, &IID_IOleInPlaceObject, &IID_IOleWindow,
                         &IID_IOleInPlaceActiveObject, &IID_IOleControl, &IID_IOleObject, &IID_IPersistStreamInit,
                         &IID_IPersistPropertyBag, &IID_IPersist, &IID_IPersistStorage, &IID_IObjectSafety,
                         &IID_IProvideClassInfo, &IID_IProvideClassInfo2, &IID_IConnectionPointContainer,
                         &IID_ISupportErrorInfo};
    for (const IID* iid : iids) {
        IUnknown* p = nullptr;
        ASSERT_EQ(control->QueryInterface(*iid, reinterpret_cast<void**>(&p)), S_OK);
        IUnknown* back = nullptr;
        ASSERT_EQ(p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)), S_OK);
        EXPECT_EQ(back, control);
        back->Release();
        p->Release();
    }
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(control->QueryInterface(IID_IPersistStream, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);

    // What the object hands out carries a reference of its own: the container
    // from a connection point, and a type info that its cache still holds.
    auto refs = [&] { control->AddRef(); return control->Release(); };
    IConnectionPointContainer* points = nullptr;
    IConnectionPoint* point = nullptr;
    IConnectionPointContainer* back = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points)), S_OK);
    ASSERT_EQ(points->FindConnectionPoint(DIID__DCorvaneCtrlEvents, &point), S_OK);
    const ULONG before = refs();
    ASSERT_EQ(point->GetConnectionPointContainer(&back), S_OK);
    EXPECT_EQ(refs(), before + 1);
    back->Release();
    point->Release();
    points->Release();
    IDispatch* dispatch = nullptr;
    ITypeInfo* info = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    ASSERT_EQ(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info), S_OK);
    EXPECT_GE(info->Release(), 1u);
    dispatch->Release();
    EXPECT_EQ(control->Release(), 0u);
}

TEST(ControlObject, MiscStatusExtentAndClassInfo) {
    IOleObject* ole = NewControl<IOleObject>(IID_IOleObject);
    ASSERT_TRUE(ole);
    DWORD status = 0;
    EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 131473u);

    SIZEL size{1234, 5678}, back{};
    EXPECT_EQ(ole->SetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &back), S_OK);
    EXPECT_EQ(back.cx, 1234);
    EXPECT_EQ(back.cy, 5678);
    EXPECT_EQ(ole->SetExtent(DVASPECT_ICON, &size), DV_E_DVASPECT);
    IViewObject2* view = Query<IViewObject2>(ole, IID_IViewObject2);
    SIZEL viewed{};
    EXPECT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &viewed), S_OK);
    EXPECT_EQ(viewed.cx, 1234);
    EXPECT_EQ(viewed.cy, 5678);
    view->Release();

    CLSID clsid{};
    EXPECT_EQ(ole->GetUserClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_CorvaneCtrl));

    IProvideClassInfo2* pci = Query<IProvideClassInfo2>(ole, IID_IProvideClassInfo2);
    GUID source{};
    EXPECT_EQ(pci->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_TRUE(IsEqualGUID(source, DIID__DCorvaneCtrlEvents));
    EXPECT_EQ(pci->GetGUID(12345, &source), E_INVALIDARG);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(pci->GetClassInfo(&info), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, CLSID_CorvaneCtrl));
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    info->ReleaseTypeAttr(attr);
    BSTR name = nullptr;
    EXPECT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"CorvaneCtrl");
    SysFreeString(name);
    info->Release();
    pci->Release();
    EXPECT_EQ(ole->Release(), 0u);
}

TEST(ControlObject, ObjectSafetyKeepsBitsOutsideTheMask) {
    IObjectSafety* safety = NewControl<IObjectSafety>(IID_IObjectSafety);
    ASSERT_TRUE(safety);
    constexpr DWORD caller = INTERFACESAFE_FOR_UNTRUSTED_CALLER, data = INTERFACESAFE_FOR_UNTRUSTED_DATA;
    struct Step {
        const IID* iid;
        DWORD mask, enabled;
        HRESULT setResult;
        DWORD enabledAfter;
    } steps[] = {
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
    container.pUnkEventSink = &events;
    container.dwAmbientFlags = 0;   // no QACONTAINER_USERMODE: a form in design
    QACONTROL control{};
    control.cbSize = sizeof(control);
    ASSERT_EQ(qa->QuickActivate(&container, &control), S_OK);
    EXPECT_EQ(control.dwMiscStatus, 131473u);
    EXPECT_EQ(control.dwViewStatus, static_cast<DWORD>(VIEWSTATUS_OPAQUE | VIEWSTATUS_SOLIDBKGND));
    EXPECT_NE(control.dwEventCookie, 0u);
    EXPECT_EQ(control.dwPropNotifyCookie, 0u);
    Canvas canvas(60, 40, kBlack);
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

    IConnectionPointContainer* cpc = Query<IConnectionPointContainer>(qa, IID_IConnectionPointContainer);
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(cpc->FindConnectionPoint(DIID__DCorvaneCtrlEvents, &point), S_OK);
    EXPECT_EQ(point->Unadvise(control.dwEventCookie), S_OK);
    point->Release();
    cpc->Release();
    IOleObject* ole = Query<IOleObject>(qa, IID_IOleObject);
    ole->SetClientSite(nullptr);
    ole->Release();
    EXPECT_EQ(qa->Release(), 0u);
    EXPECT_EQ(site.References(), 0);
    EXPECT_EQ(events.refs, 1);
    DestroyWindow(top);
}

TEST(ControlObject, HasNoPropertyPages) {
    ISpecifyPropertyPages* pages = NewControl<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages);
    ASSERT_TRUE(pages);
    CAUUID list{5, reinterpret_cast<GUID*>(1)};
    EXPECT_EQ(pages->GetPages(&list), S_OK);
    EXPECT_EQ(list.cElems, 0u);
    EXPECT_EQ(list.pElems, nullptr);
    EXPECT_EQ(pages->Release(), 0u);
}

TEST(ControlObject, DataObjectRendersTheViewAsAPicture) {
    IDataObject* data = NewControl<IDataObject>(IID_IDataObject);
    ASSERT_TRUE(data);
    IOleObject* ole = Query<IOleObject>(data, IID_IOleObject);
    SIZEL size{2540, 1270};   // one inch by half an inch
    ole->SetExtent(DVASPECT_CONTENT, &size);
    ole->Release();
    struct Case {
        CLIPFORMAT format;
        DWORD tymed;
        HRESULT query;
    } cases[] = {
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
        Canvas canvas(80, 40, kBlack);
        RECT all{0, 0, 80, 40};
        if (c.format == CF_ENHMETAFILE) {
            ASSERT_EQ(medium.tymed, static_cast<DWORD>(TYMED_ENHMF));
            EXPECT_TRUE(PlayEnhMetaFile(canvas.dc(), medium.hEnhMetaFile, &all));
        } else {
            ASSERT_EQ(medium.tymed, static_cast<DWORD>(TYMED_MFPICT));
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

// A property bag that keeps what it is given, in order.
class MemoryBag : public IPropertyBag {
public:
    struct Item {
        std::wstring name;
        VARIANT value;
    };
    std::vector<Item> items;
    ~MemoryBag() {
        for (Item& i : items) VariantClear(&i.value);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IPropertyBag)) return E_NOINTERFACE;
        *out = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        for (Item& i : items)
            if (i.name == name) {
                VARTYPE hint = value->vt;
                VariantInit(value);
                HRESULT hr = VariantCopy(value, &i.value);
                if (SUCCEEDED(hr) && hint != VT_EMPTY && hint != value->vt) hr = VariantChangeType(value, value, 0, hint);
                return hr;
            }
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
        Item item{name, {}};
        VariantInit(&item.value);
        HRESULT hr = VariantCopy(&item.value, value);
        if (SUCCEEDED(hr)) items.push_back(item);
        return hr;
    }
    void Put(const wchar_t* name, VARIANT v) { items.push_back({name, v}); }
};


IStream* SavedStream(IPersistStreamInit* p) {
    IStream* s = nullptr;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &s), S_OK);
    EXPECT_EQ(p->Save(s, TRUE), S_OK);
    LARGE_INTEGER zero{};
    s->Seek(zero, STREAM_SEEK_SET, nullptr);
    return s;
}

SIZEL ExtentOf(IUnknown* control) {
    IOleObject* ole = Query<IOleObject>(control, IID_IOleObject);
    SIZEL size{};
    ole->GetExtent(DVASPECT_CONTENT, &size);
    ole->Release();
    return size;
}

TEST(Persistence, ExtentAndUrlRoundTripThroughBagStreamAndStorage) {
    IPersistPropertyBag* first = NewControl<IPersistPropertyBag>(IID_IPersistPropertyBag);
    ASSERT_TRUE(first);
    MemoryBag in;
    in.Put(L"_cx", I4(2000));   // any type the bag holds converts
    in.Put(L"_cy", I4(3000));
    in.Put(L"Url", Str(L"https://example.org/start"));
    ASSERT_EQ(first->Load(&in, nullptr), S_OK);

    // Bag -> stream -> second control.
    IPersistStreamInit* ps = Query<IPersistStreamInit>(first, IID_IPersistStreamInit);
    ULARGE_INTEGER max{};
    EXPECT_EQ(ps->GetSizeMax(&max), S_OK);
    IStream* stream = SavedStream(ps);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(stat.cbSize.QuadPart, max.QuadPart);
    IPersistStreamInit* second = NewControl<IPersistStreamInit>(IID_IPersistStreamInit);
    ASSERT_EQ(second->Load(stream), S_OK);
    stream->Release();

    // Second control -> storage -> third control.
    ILockBytes* bytes = nullptr;
    IStorage* storage = nullptr;
    ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes), S_OK);
    ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage), S_OK);
    IPersistStorage* secondStorage = Query<IPersistStorage>(second, IID_IPersistStorage);
    ASSERT_EQ(secondStorage->Save(storage, FALSE), S_OK);
    IPersistStorage* third = NewControl<IPersistStorage>(IID_IPersistStorage);
    ASSERT_EQ(third->Load(storage), S_OK);

    // Third control -> bag: exactly the three properties.
    IPersistPropertyBag* thirdBag = Query<IPersistPropertyBag>(third, IID_IPersistPropertyBag);
    MemoryBag out;
    ASSERT_EQ(thirdBag->Save(&out, TRUE, TRUE), S_OK);
    ASSERT_EQ(out.items.size(), 3u);
    EXPECT_EQ(out.items[0].name, L"_cx");
    EXPECT_EQ(out.items[0].value.vt, VT_UI4);
    EXPECT_EQ(out.items[0].value.ulVal, 2000u);
    EXPECT_EQ(out.items[1].name, L"_cy");
    EXPECT_EQ(out.items[1].value.ulVal, 3000u);
    EXPECT_EQ(out.items[2].name, L"Url");
    ASSERT_EQ(out.items[2].value.vt, VT_BSTR);
    EXPECT_STREQ(out.items[2].value.bstrVal, L"https://example.org/start");
    EXPECT_EQ(ExtentOf(third).cx, 2000);

    thirdBag->Release();
    third->Release();
    secondStorage->Release();
    storage->Release();
    bytes->Release();
    EXPECT_EQ(second->Release(), 0u);
    ps->Release();
    EXPECT_EQ(first->Release(), 0u);
}

TEST(Persistence, AnIncompleteStreamChangesNothing) {
    IPersistStreamInit* source = NewControl<IPersistStreamInit>(IID_IPersistStreamInit);
    IOleObject* ole = Query<IOleObject>(source, IID_IOleObject);
    SIZEL size{111, 222};
    ole->SetExtent(DVASPECT_CONTENT, &size);
    ole->Release();
    EXPECT_EQ(source->IsDirty(), S_OK);
    IStream* full = SavedStream(source);
    EXPECT_EQ(source->IsDirty(), S_FALSE);
    STATSTG stat{};
    full->Stat(&stat, STATFLAG_NONAME);
    const ULONG length = static_cast<ULONG>(stat.cbSize.QuadPart);
    std::vector<BYTE> data(length);
    ULONG got = 0;
    full->Read(data.data(), length, &got);
    full->Release();
    ASSERT_EQ(got, length);
    ASSERT_EQ(length, 18u);   // layout, _cx, _cy, VT_BSTR, 0 bytes of Url

    struct Case {
        const char* what;
        ULONG keep;
        int corruptOffset;
        BYTE corruptValue;
    } cases[] = {
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
        IStream* s = nullptr;
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &s), S_OK);
        if (!bytes.empty()) s->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        LARGE_INTEGER zero{};
        s->Seek(zero, STREAM_SEEK_SET, nullptr);
        IPersistStreamInit* target = NewControl<IPersistStreamInit>(IID_IPersistStreamInit);
        EXPECT_TRUE(FAILED(target->Load(s))) << c.what;
        EXPECT_EQ(ExtentOf(target).cx, 5080) << c.what;
        EXPECT_EQ(target->Release(), 0u);
        s->Release();
    }
    EXPECT_EQ(source->Release(), 0u);
}

TEST(Persistence, ABagWithoutSomePropertiesKeepsTheRest) {
    IPersistPropertyBag* p = NewControl<IPersistPropertyBag>(IID_IPersistPropertyBag);
    MemoryBag in;
    in.Put(L"_cy", I4(700));
    ASSERT_EQ(p->Load(&in, nullptr), S_OK);
    EXPECT_EQ(ExtentOf(p).cx, 5080);
    EXPECT_EQ(ExtentOf(p).cy, 700);
    MemoryBag bad;
    bad.Put(L"_cx", Str(L"wide"));
    EXPECT_TRUE(FAILED(p->Load(&bad, nullptr)));
    EXPECT_EQ(ExtentOf(p).cx, 5080);
    EXPECT_EQ(p->Release(), 0u);
}

// ---- Events ----

// Records every event; answers with `result`, and sets in-out booleans to `answer`.
class RecordingSink : public IDispatch {
public:
    struct Call {
        DISPID id;
        std::vector<VARTYPE> types;
        std::vector<LONG> longs;
        std::vector<BSTR> strings;   // the pointers handed in, to tell copies apart
        std::vector<std::wstring> texts;
    };
    std::vector<Call> calls;
    HRESULT result = S_OK;
    VARIANT_BOOL answer = VARIANT_FALSE;
    bool scribble = false;   // writes over the strings it is given, as a careless sink may

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) &&
            !IsEqualIID(iid, DIID__DCorvaneCtrlEvents))
            return E_NOINTERFACE;
        *out = this;
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
        Call call{id, {}, {}, {}, {}};
        for (UINT i = 0; i < params->cArgs; ++i) {
            VARIANT& v = params->rgvarg[i];
            call.types.push_back(v.vt);
            if (v.vt == VT_I4) call.longs.push_back(v.lVal);
            if (v.vt == VT_BSTR) {
                call.strings.push_back(v.bstrVal);
                call.texts.emplace_back(v.bstrVal, SysStringLen(v.bstrVal));
                if (scribble && SysStringLen(v.bstrVal)) v.bstrVal[0] = L'#';
            }
            if (v.vt == (VT_BYREF | VT_BOOL)) *v.pboolVal = answer;
        }
        calls.push_back(call);
        return result;
    }
    std::vector<DISPID> Ids() const {
        std::vector<DISPID> ids;
        for (const Call& c : calls) ids.push_back(c.id);
        return ids;
    }
    LONG refs = 0;
};

class WindowEvents : public SiteContainer {
protected:
    void SetUp() override {
        SiteContainer::SetUp();
        Activate(true);
        IConnectionPointContainer* cpc = Query<IConnectionPointContainer>(control, IID_IConnectionPointContainer);
        ASSERT_EQ(cpc->FindConnectionPoint(DIID__DCorvaneCtrlEvents, &point), S_OK);
        cpc->Release();
        failing.result = E_FAIL;   // the first sink fails; the second must still hear every event
        ASSERT_EQ(point->Advise(&failing, &cookies[0]), S_OK);
        ASSERT_EQ(point->Advise(&second, &cookies[1]), S_OK);
    }
    void TearDown() override {
        if (point) {
            point->Unadvise(cookies[0]);
            point->Unadvise(cookies[1]);
            point->Release();
        }
        SiteContainer::TearDown();
        EXPECT_EQ(failing.refs, 0);
        EXPECT_EQ(second.refs, 0);
    }
    IConnectionPoint* point = nullptr;
    DWORD cookies[2] = {};
    RecordingSink failing, second;
};

TEST_F(WindowEvents, MessagesRaiseTheirEventsToEverySink) {
    struct Case {
        const char* what;
        std::vector<UINT> messages;
        WPARAM wParam;
        std::vector<DISPID> expected;
    } cases[] = {
        {"left button up", {WM_LBUTTONUP}, 0, {0x27}},
        {"double click", {WM_LBUTTONDBLCLK}, 0, {0x28}},
        {"key down", {WM_KEYDOWN}, 'A', {0x29}},
        {"enter once, then leave", {WM_MOUSEMOVE, WM_MOUSEMOVE, WM_MOUSELEAVE}, 0, {0x2a, 0x2b}},
        {"enter again after leaving", {WM_MOUSEMOVE, WM_MOUSELEAVE, WM_MOUSEMOVE}, 0, {0x2a, 0x2b, 0x2a}},
        {"button down raises nothing", {WM_LBUTTONDOWN, WM_RBUTTONUP}, 0, {}},
    };
    for (const Case& c : cases) {
        failing.calls.clear();
        second.calls.clear();
        for (UINT m : c.messages) SendMessageW(hwnd, m, c.wParam, 0);
        EXPECT_EQ(second.Ids(), c.expected) << c.what;
        EXPECT_EQ(failing.Ids(), c.expected) << c.what;
        SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);   // a clean tracking state for the next case
    }
}

TEST_F(WindowEvents, KeyPressCarriesTheKeyCodeAsALong) {
    SendMessageW(hwnd, WM_KEYDOWN, VK_F5, 0);
    ASSERT_EQ(second.calls.size(), 1u);
    EXPECT_EQ(second.calls[0].id, 0x29);
    ASSERT_EQ(second.calls[0].types, std::vector<VARTYPE>{VT_I4});
    EXPECT_EQ(second.calls[0].longs[0], VK_F5);
}

TEST_F(WindowEvents, AClosedControlRaisesAgainOnceReactivated) {
    ASSERT_EQ(ole->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_FALSE(IsWindow(hwnd));
    Activate(true);   // a new window clears the closing state
    SendMessageW(hwnd, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(second.Ids(), std::vector<DISPID>{0x27});
}

TEST_F(WindowEvents, AnUnadvisedSinkHearsNoMore) {
    ASSERT_EQ(point->Unadvise(cookies[0]), S_OK);
    cookies[0] = 0;
    SendMessageW(hwnd, WM_LBUTTONUP, 0, 0);
    EXPECT_TRUE(failing.calls.empty());
    EXPECT_EQ(second.Ids(), std::vector<DISPID>{0x27});
}

// ---- The broadcast itself ----

TEST(Broadcast, ArgumentsGoLastFirstWithFreshStringsAndASharedInOut) {
    RecordingSink a, b, c;
    a.answer = VARIANT_TRUE;
    b.answer = VARIANT_FALSE;
    c.answer = VARIANT_TRUE;
    c.result = DISP_E_EXCEPTION;
    for (RecordingSink* s : {&a, &b, &c}) s->scribble = true;   // every sink must still get its own "page"
    struct Order {
        std::vector<RecordingSink*> sinks;
        VARIANT_BOOL shared;
        HRESULT result;
    } orders[] = {
        {{&a, &b, &c}, VARIANT_TRUE, DISP_E_EXCEPTION},
        {{&c, &a, &b}, VARIANT_FALSE, S_OK},
    };
    for (const Order& o : orders) {
        std::vector<Corvane::ComPtr<IDispatch>> list;
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
        for (RecordingSink* s : o.sinks) {
            ASSERT_EQ(s->calls.size(), 1u);
            const RecordingSink::Call& call = s->calls[0];
            EXPECT_EQ(call.id, 0x99);
            EXPECT_EQ(call.types, (std::vector<VARTYPE>{VT_BYREF | VT_BOOL, VT_I4, VT_BSTR}));
            EXPECT_EQ(call.longs, std::vector<LONG>{42});
            EXPECT_EQ(call.texts, std::vector<std::wstring>{L"page"});
        }
    }
    for (RecordingSink* s : {&a, &b, &c}) EXPECT_EQ(s->refs, 0);
}

}  // namespace
