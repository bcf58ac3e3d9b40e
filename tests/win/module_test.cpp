// The DLL as a COM server, in a process where it was never registered: class
// objects, the lock count, aggregation, identity, connection points,
// dispatch, the creation exports, manifest activation and the resources.
// Everything goes through Wine's COM and activation contexts.
#include <olectl.h>

#include <cstdlib>
#include <string>

#include "corvane_h.h"
#include "win_test_support.h"

using namespace CorvaneTest;

namespace {

using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CreateFn = IDispatch*(WINAPI*)();
using VoidFn = void(WINAPI*)();

void* const kSentinel = reinterpret_cast<void*>(0xdeadbeef);

IClassFactory* Factory(REFCLSID clsid) {
    IClassFactory* f = nullptr;
    EXPECT_EQ(Export<GetClassObjectFn>("DllGetClassObject")(clsid, IID_IClassFactory, reinterpret_cast<void**>(&f)), S_OK);
    return f;
}

HRESULT CanUnload() { return Export<HRESULT(WINAPI*)()>("DllCanUnloadNow")(); }

TEST(Module, ExportsAndNoRegistration) {
    ASSERT_NE(Ocx(), nullptr) << "Corvane_x64.ocx not found next to the test";
    for (const char* name : {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer",
                             "Corvane_CreateControl", "Corvane_CreateBrowserPool", "Corvane_GetLastBrowserPoolError",
                             "Corvane_CreateJson", "Corvane_ActivateManifest", "Corvane_DeactivateManifest",
                             "Corvane_ResetManifest", "Corvane_IsManifestActive"})
        EXPECT_NE(GetProcAddress(Ocx(), name), nullptr) << name;
    // The premise of the registration-free tests below.
    IUnknown* p = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_CorvaneJson, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&p)),
              REGDB_E_CLASSNOTREG);
}

TEST(Module, ClassObjectsAreCachedAndOnlyForTheThreeClasses) {
    auto get = Export<GetClassObjectFn>("DllGetClassObject");
    for (const CLSID* clsid : {&CLSID_CorvaneCtrl, &CLSID_BrowserPool, &CLSID_CorvaneJson}) {
        IClassFactory* a = Factory(*clsid);
        IClassFactory* b = Factory(*clsid);
        EXPECT_EQ(a, b);
        a->Release();
        b->Release();
    }
    // The legacy dispinterface, an interface and the library are no classes.
    for (const GUID* other : {&DIID__CorvaneCtrl, &IID_ICVNJson, &LIBID_CorvaneLib}) {
        void* out = kSentinel;
        EXPECT_EQ(get(*other, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(get(CLSID_CorvaneJson, IID_IClassFactory, nullptr), E_POINTER);
    void* out = kSentinel;
    EXPECT_EQ(get(CLSID_CorvaneJson, IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
}

TEST(Module, LiveObjectsAndServerLocksKeepTheDllLoaded) {
    for (const CLSID* clsid : {&CLSID_CorvaneCtrl, &CLSID_BrowserPool, &CLSID_CorvaneJson}) {
        IClassFactory* f = Factory(*clsid);
        ASSERT_NE(f, nullptr);
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
    for (const CLSID* clsid : {&CLSID_CorvaneCtrl, &CLSID_CorvaneJson}) {
        IClassFactory* f = Factory(*clsid);
        CountingUnknown outer;
        IUnknown* inner = nullptr;
        ASSERT_EQ(f->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)), S_OK);
        outer.inner = inner;
        const IID& iid = clsid == &CLSID_CorvaneCtrl ? IID_ICorvaneCtrl : IID_ICVNJson;
        outer.delegated = iid;

        // An interface of the aggregate counts its references on the outer object...
        IDispatch* p = nullptr;
        ASSERT_EQ(inner->QueryInterface(iid, reinterpret_cast<void**>(&p)), S_OK);
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
        void* out = kSentinel;
        EXPECT_EQ(f->CreateInstance(&outer, IID_IDispatch, &out), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(out, nullptr);
        f->Release();
    }
    IClassFactory* pool = Factory(CLSID_BrowserPool);
    CountingUnknown outer;
    void* out = kSentinel;
    EXPECT_EQ(pool->CreateInstance(&outer, IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(pool->CreateInstance(&outer, IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(outer.refs, 1);
    pool->Release();
    EXPECT_EQ(CanUnload(), S_OK);
}

TEST(Module, ObjectsAnswerTheirInterfacesWithOneIdentity) {
    struct Case { const CLSID* clsid; const IID* dual; bool connectionPoints; };
    const Case cases[] = {
        {&CLSID_CorvaneCtrl, &IID_ICorvaneCtrl, true},
        {&CLSID_BrowserPool, &IID_IBrowserPool, false},
        {&CLSID_CorvaneJson, &IID_ICVNJson, false},
    };
    for (const Case& c : cases) {
        IClassFactory* f = Factory(*c.clsid);
        IUnknown* unk = nullptr;
        ASSERT_EQ(f->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&unk)), S_OK);
        f->Release();
        IUnknown *dual = nullptr, *disp = nullptr, *back = nullptr;
        ISupportErrorInfo* sei = nullptr;
        ASSERT_EQ(unk->QueryInterface(*c.dual, reinterpret_cast<void**>(&dual)), S_OK);
        ASSERT_EQ(unk->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&disp)), S_OK);
        EXPECT_EQ(dual, disp) << "IDispatch is the dual interface";
        ASSERT_EQ(unk->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&sei)), S_OK);
        EXPECT_EQ(sei->InterfaceSupportsErrorInfo(*c.dual), S_OK);
        EXPECT_EQ(sei->InterfaceSupportsErrorInfo(IID_IDispatch), S_FALSE);
        ASSERT_EQ(sei->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&back)), S_OK);
        EXPECT_EQ(back, unk);
        void* cpc = kSentinel;
        EXPECT_EQ(unk->QueryInterface(IID_IConnectionPointContainer, &cpc), c.connectionPoints ? S_OK : E_NOINTERFACE);
        if (cpc) static_cast<IUnknown*>(cpc)->Release();
        void* none = kSentinel;
        EXPECT_EQ(unk->QueryInterface(IID_IPersistStream, &none), E_NOINTERFACE);
        EXPECT_EQ(none, nullptr);
        EXPECT_EQ(unk->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
        for (IUnknown* p : {back, static_cast<IUnknown*>(sei), disp, dual}) p->Release();
        EXPECT_EQ(unk->Release(), 0u);
    }
}

TEST(Module, ConnectionPointKeepsSinksInReusableSlots) {
    IClassFactory* f = Factory(CLSID_CorvaneCtrl);
    IConnectionPointContainer* cpc = nullptr;
    ASSERT_EQ(f->CreateInstance(nullptr, IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc)), S_OK);
    f->Release();
    IConnectionPoint* cp = nullptr;
    EXPECT_EQ(cpc->FindConnectionPoint(IID_IDispatch, &cp), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(cpc->FindConnectionPoint(DIID__DCorvaneCtrlEvents, &cp), S_OK);
    IID iid;
    EXPECT_EQ(cp->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, DIID__DCorvaneCtrlEvents));

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
    info->Release();
    EXPECT_EQ(json->Release(), 0u);

    // A failure's error information reaches the caller through
    // ITypeInfo::Invoke: here the pool's answer to an index it never gave.
    IDispatch* pool = Export<CreateFn>("Corvane_CreateBrowserPool")();
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(Export<HRESULT(WINAPI*)()>("Corvane_GetLastBrowserPoolError")(), S_OK);
    DISPID navigate = 0;
    name = const_cast<LPOLESTR>(L"navigate");
    ASSERT_EQ(pool->GetIDsOfNames(IID_NULL, &name, 1, 0x409, &navigate), S_OK);
    EXPECT_EQ(navigate, 0xa);
    VARIANT args[2] = {Str(L"about:blank"), I4(1)};   // arguments stand in reverse order
    DISPPARAMS params = {args, nullptr, 2, 0};
    EXCEPINFO excep = {};
    ASSERT_EQ(pool->Invoke(navigate, IID_NULL, 0x409, DISPATCH_METHOD, &params, nullptr, &excep, nullptr), DISP_E_EXCEPTION);
    EXPECT_EQ(excep.scode, E_INVALIDARG);
    EXPECT_EQ(TakeBstr(excep.bstrSource), L"Corvane");
    EXPECT_EQ(TakeBstr(excep.bstrDescription), L"Invalid browser index. Use the value returned by Create().");
    SysFreeString(excep.bstrHelpFile);
    VariantClear(&args[0]);
    EXPECT_EQ(pool->Release(), 0u);
    EXPECT_EQ(CanUnload(), S_OK);
}

// Manifest activation keeps process-wide state: each test leaves it reset.
class Manifest : public ::testing::Test {
protected:
    void TearDown() override { Reset(); }
    static HRESULT Activate(LPCWSTR path) { return Export<HRESULT(WINAPI*)(LPCWSTR)>("Corvane_ActivateManifest")(path); }
    static void Deactivate() { Export<VoidFn>("Corvane_DeactivateManifest")(); }
    static void Reset() { Export<VoidFn>("Corvane_ResetManifest")(); }
    static bool Active() { return Export<BOOL(WINAPI*)()>("Corvane_IsManifestActive")() == TRUE; }
    // A context of the host's own, built from the same manifest and pushed.
    static HANDLE PushHostContext(ULONG_PTR* cookie) {
        ACTCTXW desc = {};
        desc.cbSize = sizeof(desc);
        desc.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        std::wstring ocx = OcxPath();
        desc.lpSource = ocx.c_str();
        desc.lpResourceName = MAKEINTRESOURCEW(2);
        HANDLE host = CreateActCtxW(&desc);
        if (host == INVALID_HANDLE_VALUE || !ActivateActCtx(host, cookie)) return INVALID_HANDLE_VALUE;
        return host;
    }
    static HANDLE Current() {
        HANDLE h = nullptr;
        GetCurrentActCtx(&h);
        return h;
    }
    static void ExpectCreatable(CreateFn create, const IID& iid) {
        IDispatch* object = create();
        ASSERT_NE(object, nullptr);
        IUnknown* typed = nullptr;
        EXPECT_EQ(object->QueryInterface(iid, reinterpret_cast<void**>(&typed)), S_OK);
        if (typed) typed->Release();
        object->Release();
    }
};

TEST_F(Manifest, CreateControlActivatesTheEmbeddedManifestAndRepairsAFailedActivation) {
    ASSERT_FALSE(Active());
    ExpectCreatable(Export<CreateFn>("Corvane_CreateControl"), IID_ICorvaneCtrl);
    EXPECT_TRUE(Active());
    Reset();
    // The test executable carries no manifest with id 2: still counted as active.
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(Activate(exe), S_OK);
    EXPECT_TRUE(Active());
    ExpectCreatable(Export<CreateFn>("Corvane_CreateControl"), IID_ICorvaneCtrl);
}

TEST_F(Manifest, ActivationMakesTheClassesCreatableByClsidAndProgId) {
    EXPECT_EQ(Activate(L""), E_INVALIDARG);
    EXPECT_EQ(Activate(nullptr), E_INVALIDARG);
    EXPECT_FALSE(Active());
    ASSERT_EQ(Activate(OcxPath().c_str()), S_OK);
    EXPECT_TRUE(Active());
    IDispatch* json = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_CorvaneJson, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&json)), S_OK);
    if (json) json->Release();
    // What a script host does with a ProgID. (Wine answers a class id of its
    // own for a ProgID found through an activation context, so the check is
    // that the answer creates the engine, not which GUID it is.)
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID(L"Corvane.Json", &clsid), S_OK);
    ICVNJson* byProgId = nullptr;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ICVNJson, reinterpret_cast<void**>(&byProgId)),
              S_OK);
    if (byProgId) byProgId->Release();
}

TEST_F(Manifest, SecondActivationKeepsTheFirstContextAndDeactivationRestores) {
    HANDLE before = Current();
    ASSERT_EQ(Activate(OcxPath().c_str()), S_OK);
    HANDLE first = Current();
    EXPECT_NE(first, before);
    EXPECT_EQ(Activate(OcxPath().c_str()), S_OK);
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
    ASSERT_EQ(Activate(OcxPath().c_str()), S_OK);
    ASSERT_TRUE(DeactivateActCtx(DEACTIVATE_ACTCTX_FLAG_FORCE_EARLY_DEACTIVATION, hostCookie));
    Reset();   // must not fault
    EXPECT_FALSE(Active());
    ReleaseActCtx(host);

    // Ours under the host's: deactivating it raises, the reset swallows that.
    ASSERT_EQ(Activate(OcxPath().c_str()), S_OK);
    host = PushHostContext(&hostCookie);
    ASSERT_NE(host, INVALID_HANDLE_VALUE);
    Reset();
    EXPECT_FALSE(Active());
    // The process goes on normally afterwards.
    EXPECT_TRUE(DeactivateActCtx(0, hostCookie));
    ReleaseActCtx(host);
    ExpectCreatable(Export<CreateFn>("Corvane_CreateJson"), IID_ICVNJson);
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

// Early-bound callers (VB6, C++) can hand any VARIANT_BOOL value; script
// hosts always coerce to -1 or 0 first, so only this path can check it.
TEST(ControlSettings, TruthValuesCountOnlyWhenExactlyVariantTrue) {
    IClassFactory* f = Factory(CLSID_CorvaneCtrl);
    ICorvaneCtrl* ctrl = nullptr;
    ASSERT_EQ(f->CreateInstance(nullptr, IID_ICorvaneCtrl, reinterpret_cast<void**>(&ctrl)), S_OK);
    f->Release();
    VARIANT_BOOL value = 123;
    EXPECT_EQ(ctrl->put_AutoRecoverOnCrash(1), S_OK);
    EXPECT_EQ(ctrl->get_AutoRecoverOnCrash(&value), S_OK);
    EXPECT_EQ(value, VARIANT_FALSE);
    EXPECT_EQ(ctrl->put_AutoRecoverOnCrash(VARIANT_TRUE), S_OK);
    EXPECT_EQ(ctrl->get_AutoRecoverOnCrash(&value), S_OK);
    EXPECT_EQ(value, VARIANT_TRUE);
    EXPECT_EQ(ctrl->put_EventsUseHexadecimal(2), S_OK);
    EXPECT_EQ(ctrl->get_EventsUseHexadecimal(&value), S_OK);
    EXPECT_EQ(value, VARIANT_FALSE);
    EXPECT_EQ(ctrl->get_AutoRecoverOnCrash(nullptr), E_POINTER);
    EXPECT_EQ(ctrl->Release(), 0u);
}

}  // namespace

#include "control/live_controls.h"

namespace {

TEST(LiveControls, InstanceIdsCarryTheProcessAndTheSetTracksLifetimes) {
    using namespace Corvane;
    std::uint32_t a = LiveControls::NextInstanceId();
    std::uint32_t b = LiveControls::NextInstanceId();
    EXPECT_EQ(a >> 16, (GetCurrentProcessId() << 16) >> 16);
    EXPECT_EQ((b & 0xFFFFu), ((a + 1) & 0xFFFFu));
    // Stand-ins: the set only compares addresses.
    auto* one = reinterpret_cast<const CCorvaneCtrl*>(0x1000);
    auto* two = reinterpret_cast<const CCorvaneCtrl*>(0x2000);
    std::size_t before = LiveControls::Count();
    LiveControls::Add(one);
    LiveControls::Add(two);
    EXPECT_TRUE(LiveControls::IsLive(one));
    EXPECT_EQ(LiveControls::Count(), before + 2);
    LiveControls::Remove(one);
    EXPECT_FALSE(LiveControls::IsLive(one));
    EXPECT_TRUE(LiveControls::IsLive(two));
    LiveControls::Remove(one);   // twice is harmless
    LiveControls::Remove(two);
    EXPECT_EQ(LiveControls::Count(), before);
}

}  // namespace
