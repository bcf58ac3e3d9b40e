// The DLL as a COM server, in a process where it was never registered: class
// objects, the lock count, aggregation, identity, connection points,
// dispatch, the creation exports, manifest activation and the resources.
// Everything goes through Wine's COM and activation contexts.
#include <olectl.h>
#include <objsafe.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "corvane_h.h"
#include "win_test_support.h"

using namespace CorvaneTest;

namespace {

using CreateFn = IDispatch*(WINAPI*)();
using VoidFn = void(WINAPI*)();

void* const kSentinel = reinterpret_cast<void*>(0xdeadbeef);
const CLSID* const kClasses[] = {&CLSID_CorvaneCtrl, &CLSID_BrowserPool, &CLSID_CorvaneJson};

IClassFactory* Factory(REFCLSID clsid) {
    IClassFactory* f = nullptr;
    EXPECT_EQ(Export<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>("DllGetClassObject")(clsid, IID_IClassFactory,
                                                                                    reinterpret_cast<void**>(&f)), S_OK);
    return f;
}

HRESULT CanUnload() { return Export<HRESULT(WINAPI*)()>("DllCanUnloadNow")(); }

// A refused request answers `expected` and leaves the out-parameter null.
template <class Call>
void ExpectRefused(HRESULT expected, Call call) {
    void* out = kSentinel;
    EXPECT_EQ(call(&out), expected);
    EXPECT_EQ(out, nullptr);
}

TEST(Module, ClassObjectsOnlyForTheThreeClassesCachedAndHoldingNoLock) {
    ASSERT_NE(Ocx(), nullptr) << "Corvane_x64.ocx not found next to the test";
    // The premise of the registration-free tests below.
    IUnknown* p = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_CorvaneJson, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&p)),
              REGDB_E_CLASSNOTREG);
    auto get = Export<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    // The legacy dispinterface, an interface and the library are no classes.
    for (const GUID* other : {&DIID__CorvaneCtrl, &IID_ICVNJson, &LIBID_CorvaneLib})
        ExpectRefused(CLASS_E_CLASSNOTAVAILABLE, [&](void** out) { return get(*other, IID_IClassFactory, out); });
    EXPECT_EQ(get(CLSID_CorvaneJson, IID_IClassFactory, nullptr), E_POINTER);
    ExpectRefused(E_NOINTERFACE, [&](void** out) { return get(CLSID_CorvaneJson, IID_IDispatch, out); });
    // Each class object is cached; live objects and server locks keep the DLL loaded.
    for (const CLSID* clsid : kClasses) {
        IClassFactory* f = Factory(*clsid);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(Factory(*clsid), f);
        f->Release();
        EXPECT_EQ(CanUnload(), S_OK) << "a cached class object alone must not hold the DLL";
        IDispatch* object = nullptr;
        ASSERT_EQ(f->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&object)), S_OK);
        EXPECT_EQ(CanUnload(), S_FALSE);
        object->Release();
        EXPECT_EQ(CanUnload(), S_OK);
        EXPECT_EQ(f->LockServer(TRUE), S_OK);
        EXPECT_EQ(CanUnload(), S_FALSE);
        EXPECT_EQ(f->LockServer(FALSE), S_OK);
        EXPECT_EQ(CanUnload(), S_OK);
        f->Release();
    }
}

TEST(Module, ControlAndJsonMayBeAggregatedThePoolMayNot) {
    for (const CLSID* clsid : kClasses) {
        IClassFactory* f = Factory(*clsid);
        CountingUnknown outer;
        if (clsid == &CLSID_BrowserPool) {
            ExpectRefused(CLASS_E_NOAGGREGATION, [&](void** out) { return f->CreateInstance(&outer, IID_IUnknown, out); });
            EXPECT_EQ(f->CreateInstance(&outer, IID_IUnknown, nullptr), E_POINTER);
            EXPECT_EQ(outer.refs, 1);
            f->Release();
            continue;
        }
        IUnknown* inner = nullptr;
        ASSERT_EQ(f->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK);
        outer.inner = inner;
        outer.delegated = clsid == &CLSID_CorvaneCtrl ? IID_ICorvaneCtrl : IID_ICVNJson;

        // An interface of the aggregate counts its references on the outer object...
        IDispatch* p = nullptr;
        ASSERT_EQ(inner->QueryInterface(outer.delegated, reinterpret_cast<void**>(&p)), S_OK);
        long before = outer.refs;
        p->AddRef();
        EXPECT_EQ(outer.refs, before + 1);
        p->Release();
        // ...and asks the outer object for anything else, IUnknown included.
        IUnknown* identity = nullptr;
        int queries = outer.queries;
        ASSERT_EQ(p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
        EXPECT_EQ(identity, static_cast<IUnknown*>(static_cast<IDispatch*>(&outer)));
        EXPECT_EQ(outer.queries, queries + 1);
        identity->Release();
        p->Release();
        EXPECT_EQ(inner->Release(), 0u);
        // An outer object may only ask for IUnknown.
        ExpectRefused(CLASS_E_NOAGGREGATION, [&](void** out) { return f->CreateInstance(&outer, IID_IDispatch, out); });
        f->Release();
    }
    EXPECT_EQ(CanUnload(), S_OK);
}

TEST(Module, ObjectsAnswerTheirInterfacesWithOneIdentity) {
    struct Case { const CLSID* clsid; const IID* dual; std::vector<const IID*> more; };
    const Case cases[] = {
        {&CLSID_CorvaneCtrl, &IID_ICorvaneCtrl,
         {&IID_IViewObjectEx, &IID_IViewObject2, &IID_IViewObject, &IID_IOleInPlaceObjectWindowless,
          &IID_IOleInPlaceObject, &IID_IOleWindow, &IID_IOleInPlaceActiveObject, &IID_IOleControl, &IID_IOleObject,
          &IID_IPersistStreamInit, &IID_IPersistPropertyBag, &IID_IPersist, &IID_IPersistStorage, &IID_IObjectSafety,
          &IID_IProvideClassInfo, &IID_IProvideClassInfo2, &IID_IConnectionPointContainer, &IID_IQuickActivate,
          &IID_IDataObject, &IID_ISpecifyPropertyPages}},
        {&CLSID_BrowserPool, &IID_IBrowserPool, {}},
        {&CLSID_CorvaneJson, &IID_ICVNJson, {}},
    };
    for (const Case& c : cases) {
        IUnknown* unk = NewObject<IUnknown>(*c.clsid, IID_IUnknown);
        ASSERT_TRUE(unk);
        IUnknown *dual = nullptr, *disp = nullptr;
        ISupportErrorInfo* sei = nullptr;
        ASSERT_EQ(unk->QueryInterface(*c.dual, reinterpret_cast<void**>(&dual)), S_OK);
        ASSERT_EQ(unk->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&disp)), S_OK);
        EXPECT_EQ(dual, disp) << "IDispatch is the dual interface";
        ASSERT_EQ(unk->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&sei)), S_OK);
        EXPECT_EQ(sei->InterfaceSupportsErrorInfo(*c.dual), S_OK);
        EXPECT_EQ(sei->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
        std::vector<const IID*> all = c.more;
        all.insert(all.end(), {c.dual, &IID_IDispatch, &IID_ISupportErrorInfo});
        for (const IID* iid : all) {
            IUnknown *p = nullptr, *back = nullptr;
            ASSERT_EQ(unk->QueryInterface(*iid, reinterpret_cast<void**>(&p)), S_OK);
            ASSERT_EQ(p->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)), S_OK);
            EXPECT_EQ(back, unk);
            back->Release();
            p->Release();
        }
        if (c.more.empty())
            ExpectRefused(E_NOINTERFACE, [&](void** out) { return unk->QueryInterface(IID_IConnectionPointContainer, out); });
        ExpectRefused(E_NOINTERFACE, [&](void** out) { return unk->QueryInterface(IID_IPersistStream, out); });
        EXPECT_EQ(unk->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
        for (IUnknown* p : {static_cast<IUnknown*>(sei), disp, dual}) p->Release();
        EXPECT_EQ(unk->Release(), 0u);
    }
}

TEST(Module, ConnectionPointKeepsSinksInReusableSlots) {
    IConnectionPointContainer* cpc = NewObject<IConnectionPointContainer>(CLSID_CorvaneCtrl, IID_IConnectionPointContainer);
    ASSERT_TRUE(cpc);
    IConnectionPoint* cp = nullptr;
    EXPECT_EQ(cpc->FindConnectionPoint(IID_IDispatch, &cp), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(cpc->FindConnectionPoint(DIID__DCorvaneCtrlEvents, &cp), S_OK);
    IID iid;
    EXPECT_EQ(cp->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, DIID__DCorvaneCtrlEvents));
    // The container handed back carries a reference of its own.
    IConnectionPointContainer* back = nullptr;
    const ULONG before = (cpc->AddRef(), cpc->Release());
    ASSERT_EQ(cp->GetConnectionPointContainer(&back), S_OK);
    EXPECT_EQ((cpc->AddRef(), cpc->Release()), before + 1);
    back->Release();

    CountingUnknown a, b, c, noDispatch;
    noDispatch.answersDispatch = false;
    DWORD ca = 0, cb = 0, cc = 0, cn = 77;
    ASSERT_EQ(cp->Advise(&a, &ca), S_OK);
    ASSERT_EQ(cp->Advise(&b, &cb), S_OK);
    EXPECT_EQ(ca, 1u);
    EXPECT_EQ(cb, 2u);
    EXPECT_EQ(a.refs, 2);
    EXPECT_EQ(cp->Advise(&noDispatch, &cn), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cn, 0u);
    EXPECT_EQ(cp->Unadvise(ca), S_OK);
    EXPECT_EQ(a.refs, 1);
    for (DWORD bad : {ca, 0ul, 99ul}) EXPECT_EQ(cp->Unadvise(bad), CONNECT_E_NOCONNECTION) << bad;
    ASSERT_EQ(cp->Advise(&c, &cc), S_OK);
    EXPECT_EQ(cc, 1u) << "the freed slot is used again";

    IEnumConnections* e = nullptr;
    ASSERT_EQ(cp->EnumConnections(&e), S_OK);
    CONNECTDATA data[4] = {};
    ULONG fetched = 0;
    EXPECT_EQ(e->Next(4, data, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(data[0].dwCookie, 1u);
    EXPECT_EQ(data[1].dwCookie, 2u);
    for (ULONG i = 0; i < fetched; ++i) data[i].pUnk->Release();
    e->Release();

    IEnumConnectionPoints* points = nullptr;
    ASSERT_EQ(cpc->EnumConnectionPoints(&points), S_OK);
    IConnectionPoint* only[2] = {};
    EXPECT_EQ(points->Next(2, only, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(only[0], cp);
    only[0]->Release();
    points->Release();

    cp->Unadvise(cb);
    cp->Unadvise(cc);
    EXPECT_EQ(b.refs, 1);
    EXPECT_EQ(c.refs, 1);
    cp->Release();
    EXPECT_EQ(cpc->Release(), 0u);
}

TEST(Module, DispatchThroughTheCreationExports) {
    IDispatch* json = Export<CreateFn>("Corvane_CreateJson")();
    ASSERT_NE(json, nullptr);
    // Names resolve without regard to case; a name that is no member is refused.
    struct Case { const wchar_t* name; HRESULT hr; DISPID id; };
    const Case cases[] = {{L"GetValue", S_OK, 1}, {L"gEtVaLuE", S_OK, 1}, {L"MaxSize", S_OK, 0x46},
                          {L"GetValuesHP", S_OK, 0x7a}, {L"GetValueX", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
                          {L"NoSuchMember", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN}};
    for (const Case& c : cases) {
        DISPID id = -99;
        LPOLESTR name = const_cast<LPOLESTR>(c.name);
        EXPECT_EQ(json->GetIDsOfNames(IID_NULL, &name, 1, 0x409, &id), c.hr) << c.name;
        if (c.hr == S_OK) {
            EXPECT_EQ(id, c.id) << c.name;
        }
    }
    DISPID id;
    LPOLESTR name = const_cast<LPOLESTR>(L"GetValue");
    EXPECT_EQ(json->GetIDsOfNames(IID_IDispatch, &name, 1, 0x409, &id), DISP_E_UNKNOWNINTERFACE);
    UINT count = 0;
    EXPECT_EQ(json->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = nullptr;
    EXPECT_EQ(json->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
    ASSERT_EQ(json->GetTypeInfo(0, 0, &info), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualIID(attr->guid, IID_ICVNJson));
    info->ReleaseTypeAttr(attr);
    EXPECT_GE(info->Release(), 1u) << "the type info cache keeps a reference of its own";
    EXPECT_EQ(json->Release(), 0u);

    // How a failure's error information reaches a late-bound caller is shown
    // by browser_test and the script suites.
    IDispatch* pool = Export<CreateFn>("Corvane_CreateBrowserPool")();
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(Export<HRESULT(WINAPI*)()>("Corvane_GetLastBrowserPoolError")(), S_OK);
    EXPECT_EQ(pool->Release(), 0u);
    EXPECT_EQ(CanUnload(), S_OK);
}

// Early-bound callers (VB6, C++) can hand any VARIANT_BOOL value; script
// hosts always coerce to -1 or 0 first, so only this path can check it.
TEST(Module, ControlTruthValuesCountOnlyWhenExactlyVariantTrue) {
    ICorvaneCtrl* ctrl = NewObject<ICorvaneCtrl>(CLSID_CorvaneCtrl, IID_ICorvaneCtrl);
    ASSERT_TRUE(ctrl);
    VARIANT_BOOL value = 123;
    for (VARIANT_BOOL in : {VARIANT_BOOL(1), VARIANT_TRUE}) {
        EXPECT_EQ(ctrl->put_AutoRecoverOnCrash(in), S_OK);
        EXPECT_EQ(ctrl->get_AutoRecoverOnCrash(&value), S_OK);
        EXPECT_EQ(value, in == VARIANT_TRUE ? VARIANT_TRUE : VARIANT_FALSE) << in;
    }
    EXPECT_EQ(ctrl->put_EventsUseHexadecimal(2), S_OK);
    EXPECT_EQ(ctrl->get_EventsUseHexadecimal(&value), S_OK);
    EXPECT_EQ(value, VARIANT_FALSE);
    EXPECT_EQ(ctrl->get_AutoRecoverOnCrash(nullptr), E_POINTER);
    EXPECT_EQ(ctrl->Release(), 0u);
}

// Manifest activation keeps process-wide state: each test leaves it reset.
class Manifest : public ::testing::Test {
protected:
    void TearDown() override { Reset(); }
    static HRESULT Activate(LPCWSTR path) { return Export<HRESULT(WINAPI*)(LPCWSTR)>("Corvane_ActivateManifest")(path); }
    static HRESULT ActivateOwn() { return Activate(OcxPath().c_str()); }
    static void Deactivate() { Export<VoidFn>("Corvane_DeactivateManifest")(); }
    static void Reset() { Export<VoidFn>("Corvane_ResetManifest")(); }
    static bool Active() { return Export<BOOL(WINAPI*)()>("Corvane_IsManifestActive")() == TRUE; }
    // A context of the host's own, built from the same manifest and pushed.
    static HANDLE PushHostContext(ULONG_PTR* cookie) {
        const std::wstring ocx = OcxPath();
        ACTCTXW desc = {};
        desc.cbSize = sizeof(desc);
        desc.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        desc.lpSource = ocx.c_str();
        desc.lpResourceName = MAKEINTRESOURCEW(2);
        HANDLE host = CreateActCtxW(&desc);
        return host != INVALID_HANDLE_VALUE && ActivateActCtx(host, cookie) ? host : INVALID_HANDLE_VALUE;
    }
    static HANDLE Current() {
        HANDLE h = nullptr;
        GetCurrentActCtx(&h);
        return h;
    }
    static void ExpectCreatable(const char* exportName, const IID& iid) {
        IDispatch* object = Export<CreateFn>(exportName)();
        ASSERT_NE(object, nullptr);
        IUnknown* typed = nullptr;
        EXPECT_EQ(object->QueryInterface(iid, reinterpret_cast<void**>(&typed)), S_OK);
        if (typed) typed->Release();
        object->Release();
    }
};

TEST_F(Manifest, CreateControlActivatesTheEmbeddedManifestAndRepairsAFailedActivation) {
    ASSERT_FALSE(Active());
    ExpectCreatable("Corvane_CreateControl", IID_ICorvaneCtrl);
    EXPECT_TRUE(Active());
    Reset();
    // The test executable carries no manifest with id 2: still counted as active.
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(Activate(exe), S_OK);
    EXPECT_TRUE(Active());
    ExpectCreatable("Corvane_CreateControl", IID_ICorvaneCtrl);
}

// What the active manifest makes creatable by ProgID is shown by container_test's ATL host.
TEST_F(Manifest, ActivationMakesTheClassesCreatableAndDeactivationRestores) {
    EXPECT_EQ(Activate(L""), E_INVALIDARG);
    EXPECT_EQ(Activate(nullptr), E_INVALIDARG);
    EXPECT_FALSE(Active());
    HANDLE before = Current();
    ASSERT_EQ(ActivateOwn(), S_OK);
    EXPECT_TRUE(Active());
    ICVNJson* json = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_CorvaneJson, nullptr, CLSCTX_INPROC_SERVER, IID_ICVNJson,
                               reinterpret_cast<void**>(&json)), S_OK);
    if (json) json->Release();
    // A second activation keeps the first context.
    HANDLE first = Current();
    EXPECT_NE(first, before);
    EXPECT_EQ(ActivateOwn(), S_OK);
    HANDLE second = Current();
    EXPECT_EQ(second, first);
    Deactivate();
    ASSERT_FALSE(Active());  // not EXPECT: deactivating again would then raise and end the process
    HANDLE after = Current();
    EXPECT_EQ(after, before);
    Deactivate();  // when inactive, harmless
    EXPECT_FALSE(Active());
    for (HANDLE h : {before, first, second, after})
        if (h) ReleaseActCtx(h);
}

TEST_F(Manifest, ResetSurvivesContextsTheHostPoppedOrPushedOnTop) {
    // The host pushes its own context under ours, then force-pops both.
    ULONG_PTR hostCookie = 0;
    HANDLE host = PushHostContext(&hostCookie);
    ASSERT_NE(host, INVALID_HANDLE_VALUE);
    ASSERT_EQ(ActivateOwn(), S_OK);
    ASSERT_TRUE(DeactivateActCtx(DEACTIVATE_ACTCTX_FLAG_FORCE_EARLY_DEACTIVATION, hostCookie));
    Reset();   // must not fault
    EXPECT_FALSE(Active());
    ReleaseActCtx(host);

    // Ours under the host's: deactivating it raises, the reset swallows that.
    ASSERT_EQ(ActivateOwn(), S_OK);
    host = PushHostContext(&hostCookie);
    ASSERT_NE(host, INVALID_HANDLE_VALUE);
    Reset();
    EXPECT_FALSE(Active());
    // The process goes on normally afterwards.
    EXPECT_TRUE(DeactivateActCtx(0, hostCookie));
    ReleaseActCtx(host);
    ExpectCreatable("Corvane_CreateJson", IID_ICVNJson);
}

std::string ResourceText(LPCWSTR type, int id) {
    HRSRC r = FindResourceExW(Ocx(), type, MAKEINTRESOURCEW(id), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (!r) return {};
    return std::string(static_cast<const char*>(LockResource(LoadResource(Ocx(), r))), SizeofResource(Ocx(), r));
}

TEST(Resources, ToolboxBitmapAndVersion) {
    std::string bmp = ResourceText(MAKEINTRESOURCEW(2) /* RT_BITMAP */, 102);
    ASSERT_GE(bmp.size(), sizeof(BITMAPINFOHEADER));
    auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bmp.data());
    EXPECT_EQ(header->biWidth, 16);
    EXPECT_EQ(std::abs(header->biHeight), 16);
    EXPECT_EQ(header->biBitCount, 32);

    std::wstring path = OcxPath();
    DWORD handle = 0, size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    const std::pair<const wchar_t*, const wchar_t*> rows[] = {
        {L"FileVersion", L"1.0.1.0"}, {L"ProductVersion", L"1.0.1.0"}, {L"ProductName", L"Corvane WebView2 Control"}};
    UINT len = 0;
    for (const auto& [key, expected] : rows) {
        wchar_t* value = nullptr;
        ASSERT_TRUE(VerQueryValueW(block.data(), (std::wstring(L"\\StringFileInfo\\040904B0\\") + key).c_str(),
                                   reinterpret_cast<void**>(&value), &len));
        EXPECT_STREQ(value, expected);
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00010000u);
}

TEST(Resources, ManifestDeclaresTheClassesInOrder) {
    std::string m = ResourceText(MAKEINTRESOURCEW(24) /* RT_MANIFEST */, 2);
    ASSERT_FALSE(m.empty());
    EXPECT_NE(m.find("standalone=\"yes\""), std::string::npos);
    // The parts stand in a fixed order; each must come after the one before.
    const char* order[] = {
        "name=\"Corvane.Control\" version=\"1.0.1.0\" processorArchitecture=\"amd64\"",
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "<file name=\"Corvane_x64.ocx\">",
        "clsid=\"{B8F7F3D4-7E5A-4F5C-8A3B-2C1D4E6F7A8B}\" threadingModel=\"Apartment\"",
        "clsid=\"{B8F7F3D7-7E5A-4F5C-8A3B-2C1D4E6F7A8B}\" threadingModel=\"Apartment\"",
        "clsid=\"{B8F7F3DA-7E5A-4F5C-8A3B-2C1D4E6F7A8B}\" threadingModel=\"Apartment\"",
        "<typelib tlbid=\"{B8F7F3D2-7E5A-4F5C-8A3B-2C1D4E6F7A8B}\" version=\"1.0\" helpdir=\"\"/>",
        "level=\"asInvoker\" uiAccess=\"false\"",
        "name=\"ICorvaneCtrl\" iid=\"{B8F7F3D3-7E5A-4F5C-8A3B-2C1D4E6F7A8B}\"",
        "name=\"IBrowserPool\" iid=\"{B8F7F3D6-7E5A-4F5C-8A3B-2C1D4E6F7A8B}\"",
        "name=\"ICVNJson\" iid=\"{B8F7F3D9-7E5A-4F5C-8A3B-2C1D4E6F7A8B}\"",
        "<dpiAware", "<dpiAwareness", "<compatibility",
    };
    std::size_t at = 0;
    for (const char* part : order) {
        std::size_t found = m.find(part, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << part;
        at = found;
    }
}

}  // namespace
