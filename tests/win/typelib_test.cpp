// Checks the built type library against the published contract: library
// identity, type-info order and attributes, coclass composition, the LONG_PTR
// alias, every member of every interface and every enumeration value. Hosts
// bind to these by name, dispatch id and vtable slot, so any drift here breaks
// compiled macros in the field.
//
// The library is read from CORVANE_TYPELIB if set (a .tlb or a module holding
// one), else from Corvane_x64.ocx next to this executable.

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <cwctype>
#include <iterator>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "win_test_support.h"

namespace corvane_typelib_test {

enum class Kind { Method, Get, Put, GetPut };
struct ExpectedMember { const wchar_t* iface; const wchar_t* name; long dispid; Kind kind; };
struct ExpectedEnumValue { const wchar_t* enumName; const wchar_t* name; long value; };

#include "typelib_expected.inc"

std::ostream& operator<<(std::ostream& os, Kind k)
{
    static const char* const names[] = {"Method", "Get", "Put", "GetPut"};
    return os << names[static_cast<int>(k)];
}

// Owns one COM reference.
template <class T>
class Ref {
public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { if (p_) p_->Release(); }
    T** put() { if (p_) { p_->Release(); p_ = nullptr; } return &p_; }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
private:
    T* p_ = nullptr;
};

// The identifiers differ only in their first group.
GUID CorvaneGuid(unsigned long first)
{
    return GUID{first, 0x7E5A, 0x4F5C, {0x8A, 0x3B, 0x2C, 0x1D, 0x4E, 0x6F, 0x7A, 0x8B}};
}

std::wstring GuidText(const GUID& g)
{
    wchar_t buf[40] = {};
    StringFromGUID2(g, buf, 40);
    return buf;
}

using CorvaneTest::TakeBstr;

struct Doc { std::wstring name, help; };

Doc LibDoc(ITypeLib* lib, INT index)
{
    BSTR name = nullptr, help = nullptr;
    if (FAILED(lib->GetDocumentation(index, &name, &help, nullptr, nullptr))) return {};
    return {TakeBstr(name), TakeBstr(help)};
}

std::wstring MemberName(ITypeInfo* ti, MEMBERID id)
{
    BSTR name = nullptr;
    if (FAILED(ti->GetDocumentation(id, &name, nullptr, nullptr, nullptr))) return L"";
    return TakeBstr(name);
}

std::wstring TypeName(ITypeInfo* ti) { return MemberName(ti, MEMBERID_NIL); }

// TYPEATTR copied out so callers need not release it.
TYPEATTR Attr(ITypeInfo* ti)
{
    TYPEATTR copy{};
    TYPEATTR* a = nullptr;
    if (SUCCEEDED(ti->GetTypeAttr(&a))) {
        copy = *a;
        ti->ReleaseTypeAttr(a);
    }
    return copy;
}

class TypeLib : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::wstring path;
        if (const wchar_t* env = _wgetenv(L"CORVANE_TYPELIB"); env && *env) {
            path = env;
        } else {
            wchar_t exe[MAX_PATH] = {};
            GetModuleFileNameW(nullptr, exe, MAX_PATH);
            path = exe;
            path.erase(path.find_last_of(L"\\/") + 1);
            path += L"Corvane_x64.ocx";
        }
        path_ = path;
        loadResult_ = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &lib_);
    }
    static void TearDownTestSuite()
    {
        if (lib_) lib_->Release();
        lib_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_EQ(loadResult_, S_OK) << "LoadTypeLibEx failed for " << path_;
        ASSERT_NE(lib_, nullptr);
    }

    // The type info named `name` and, if wanted, its index in the library.
    static bool Find(const wchar_t* name, ITypeInfo** out, UINT* index = nullptr)
    {
        for (UINT i = 0, n = lib_->GetTypeInfoCount(); i < n; ++i) {
            if (LibDoc(lib_, static_cast<INT>(i)).name == name) {
                if (index) *index = i;
                return SUCCEEDED(lib_->GetTypeInfo(i, out));
            }
        }
        return false;
    }

    // For a dual interface the vtable half, which holds the members in slot
    // order without the inherited IDispatch ones; for anything else `ti` itself.
    static bool VtableHalf(ITypeInfo* ti, ITypeInfo** out)
    {
        HREFTYPE href = 0;
        if (Attr(ti).wTypeFlags & TYPEFLAG_FDUAL) {
            return SUCCEEDED(ti->GetRefTypeOfImplType(static_cast<UINT>(-1), &href)) &&
                   SUCCEEDED(ti->GetRefTypeInfo(href, out));
        }
        ti->AddRef();
        *out = ti;
        return true;
    }

    static inline ITypeLib* lib_ = nullptr;
    static inline HRESULT loadResult_ = E_FAIL;
    static inline std::wstring path_;
};

// ---------------------------------------------------------------------------
// Library identity

TEST_F(TypeLib, LibraryAttributes)
{
    TLIBATTR* a = nullptr;
    ASSERT_EQ(lib_->GetLibAttr(&a), S_OK);
    EXPECT_EQ(GuidText(a->guid), GuidText(CorvaneGuid(0xB8F7F3D2)));
    EXPECT_EQ(a->wMajorVerNum, 1);
    EXPECT_EQ(a->wMinorVerNum, 0);
    EXPECT_EQ(a->lcid, 0x409u);
    // The loader adds "has disk image" for a library read from a file.
    EXPECT_EQ(a->wLibFlags & ~LIBFLAG_FHASDISKIMAGE, LIBFLAG_FCONTROL);
    // Registration writes the win64 key from this; the DLL is 64-bit only.
    EXPECT_EQ(a->syskind, SYS_WIN64);
    lib_->ReleaseTLibAttr(a);

    Doc doc = LibDoc(lib_, -1);
    EXPECT_EQ(doc.name, L"CorvaneLib");
    EXPECT_EQ(doc.help, L"Corvane 1.0 Type Library");
}

TEST_F(TypeLib, InterfacesDeriveFromStdole2IDispatch)
{
    static const GUID kStdole2 = {0x00020430, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    for (const wchar_t* iface : {L"IBrowserPool", L"ICorvaneCtrl", L"ICVNJson"}) {
        SCOPED_TRACE(testing::Message() << iface);
        Ref<ITypeInfo> ti, vt, base;
        Ref<ITypeLib> baseLib;
        HREFTYPE href = 0;
        UINT index = 0;
        ASSERT_TRUE(Find(iface, ti.put()));
        ASSERT_TRUE(VtableHalf(ti.get(), vt.put()));
        ASSERT_EQ(Attr(vt.get()).cImplTypes, 1);
        ASSERT_EQ(vt->GetRefTypeOfImplType(0, &href), S_OK);
        ASSERT_EQ(vt->GetRefTypeInfo(href, base.put()), S_OK);
        EXPECT_EQ(TypeName(base.get()), L"IDispatch");
        ASSERT_EQ(base->GetContainingTypeLib(baseLib.put(), &index), S_OK);
        TLIBATTR* la = nullptr;
        ASSERT_EQ(baseLib->GetLibAttr(&la), S_OK);
        EXPECT_EQ(GuidText(la->guid), GuidText(kStdole2));
        baseLib->ReleaseTLibAttr(la);
    }
}

// ---------------------------------------------------------------------------
// Type infos: order, identity, kind, flags, help strings

constexpr WORD kNoFlagsCheck = 0xFFFF;

struct ExpectedTypeInfo {
    const wchar_t* name;
    TYPEKIND kind;        // as ITypeLib reports it (a dual interface is TKIND_DISPATCH)
    unsigned long guid;   // first group, 0 for type infos without an identity
    WORD flags;
    const wchar_t* help;
};

constexpr WORD kDualFlags = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;

const ExpectedTypeInfo kTypeInfos[] = {
    {L"CorvaneBrowsingDataKinds", TKIND_ENUM, 0, kNoFlagsCheck, nullptr},
    {L"CorvaneResourceContext", TKIND_ENUM, 0, kNoFlagsCheck, nullptr},
    {L"CVN_FOCUS_REASON", TKIND_ENUM, 0, kNoFlagsCheck, nullptr},
    {L"CVN_POPUP_MODE", TKIND_ENUM, 0, kNoFlagsCheck, nullptr},
    {L"CVN_COLOR_SCHEME", TKIND_ENUM, 0, kNoFlagsCheck, nullptr},
    {L"CVN_PRINT_ORIENTATION", TKIND_ENUM, 0, kNoFlagsCheck, nullptr},
    {L"CVN_TRACKING_PREVENTION", TKIND_ENUM, 0, kNoFlagsCheck, nullptr},
    {L"CVN_MEMORY_USAGE", TKIND_ENUM, 0, kNoFlagsCheck, nullptr},
    {L"CVN_SCROLLBAR_STYLE", TKIND_ENUM, 0, kNoFlagsCheck, nullptr},
    {L"CVN_DOWNLOAD_DIALOG_CORNER_ALIGNMENT", TKIND_ENUM, 0, kNoFlagsCheck, nullptr},
    {L"CVN_BOUNDS_MODE", TKIND_ENUM, 0, kNoFlagsCheck, nullptr},
    {L"CVN_PDF_TOOLBAR_ITEMS", TKIND_ENUM, 0, kNoFlagsCheck, nullptr},
    {L"CVN_BIND_FLAGS", TKIND_ENUM, 0, kNoFlagsCheck, nullptr},
    {L"CVN_BRIDGE_ERR", TKIND_ENUM, 0, kNoFlagsCheck, nullptr},
    {L"IBrowserPool", TKIND_DISPATCH, 0xB8F7F3D6, kDualFlags,
     L"IBrowserPool - VBA-Friendly Browser Pool Interface"},
    {L"BrowserPool", TKIND_COCLASS, 0xB8F7F3D7, TYPEFLAG_FCANCREATE,
     L"BrowserPool Class - VBA-Friendly Browser Management"},
    {L"ICorvaneCtrl", TKIND_DISPATCH, 0xB8F7F3D3, kDualFlags | TYPEFLAG_FNONEXTENSIBLE,
     L"Corvane Control Interface"},
    {L"LONG_PTR", TKIND_ALIAS, 0, kNoFlagsCheck, nullptr},
    {L"_DCorvaneCtrlEvents", TKIND_DISPATCH, 0xB8F7F3D5, TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE,
     L"CorvaneCtrl Events Interface"},
    {L"_CorvaneCtrl", TKIND_DISPATCH, 0xB8F7F3D8, TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE,
     L"Corvane Control Dispatch Interface (legacy; retained for GUID stability)"},
    {L"CorvaneCtrl", TKIND_COCLASS, 0xB8F7F3D4, TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL,
     L"Corvane WebView2 Control"},
    {L"ICVNJson", TKIND_DISPATCH, 0xB8F7F3D9, kDualFlags | TYPEFLAG_FNONEXTENSIBLE,
     L"Corvane Standalone JSON Engine"},
    {L"CorvaneJson", TKIND_COCLASS, 0xB8F7F3DA, TYPEFLAG_FCANCREATE,
     L"Corvane JSON Engine - Apartment-threaded. Do not share across threads."},
};

TEST_F(TypeLib, TypeInfoOrder)
{
    const UINT count = lib_->GetTypeInfoCount();
    EXPECT_EQ(count, std::size(kTypeInfos));
    for (UINT i = 0; i < count && i < std::size(kTypeInfos); ++i) {
        EXPECT_EQ(LibDoc(lib_, static_cast<INT>(i)).name, kTypeInfos[i].name) << "type info #" << i;
    }
}

TEST_F(TypeLib, TypeInfoAttributes)
{
    for (const ExpectedTypeInfo& e : kTypeInfos) {
        SCOPED_TRACE(testing::Message() << e.name);
        Ref<ITypeInfo> ti;
        UINT index = 0;
        ASSERT_TRUE(Find(e.name, ti.put(), &index)) << "missing type info";
        TYPEKIND kind{};
        ASSERT_EQ(lib_->GetTypeInfoType(index, &kind), S_OK);
        EXPECT_EQ(kind, e.kind);
        const TYPEATTR a = Attr(ti.get());
        EXPECT_EQ(a.typekind, e.kind);
        if (e.flags != kNoFlagsCheck) {
            // The loader drops oleautomation from the dispatch view of a dual
            // interface; the vtable half below carries the flags as stored.
            const WORD shown = e.flags & TYPEFLAG_FDUAL ? WORD(~TYPEFLAG_FOLEAUTOMATION) : WORD(0xFFFF);
            EXPECT_EQ(a.wTypeFlags & shown, e.flags & shown)
                << std::hex << "type flags 0x" << a.wTypeFlags << ", expected 0x" << e.flags;
        }
        if (e.help) {
            EXPECT_EQ(LibDoc(lib_, static_cast<INT>(index)).help, e.help) << "help string";
        }
        if (!e.guid) continue;

        const GUID guid = CorvaneGuid(e.guid);
        EXPECT_EQ(GuidText(a.guid), GuidText(guid));
        Ref<ITypeInfo> byGuid;
        ASSERT_EQ(lib_->GetTypeInfoOfGuid(guid, byGuid.put()), S_OK);
        EXPECT_EQ(TypeName(byGuid.get()), e.name);

        if (a.wTypeFlags & TYPEFLAG_FDUAL) {
            // Early binding goes through the vtable half: same identity, interface kind.
            Ref<ITypeInfo> vt;
            ASSERT_TRUE(VtableHalf(ti.get(), vt.put()));
            const TYPEATTR va = Attr(vt.get());
            EXPECT_EQ(va.typekind, TKIND_INTERFACE);
            EXPECT_EQ(GuidText(va.guid), GuidText(guid));
            EXPECT_EQ(va.wTypeFlags, e.flags)
                << std::hex << "vtable half type flags 0x" << va.wTypeFlags << ", expected 0x" << e.flags;
        }
    }
}

TEST_F(TypeLib, LongPtrIsSigned64BitAliasUsedForCrossingHandles)
{
    Ref<ITypeInfo> alias;
    ASSERT_TRUE(Find(L"LONG_PTR", alias.put()));
    const TYPEATTR a = Attr(alias.get());
    EXPECT_EQ(a.typekind, TKIND_ALIAS);
    EXPECT_EQ(a.tdescAlias.vt, VT_I8);

    // A handle declared as long would be truncated on the way through.
    Ref<ITypeInfo> ctrl, vt;
    ASSERT_TRUE(Find(L"ICorvaneCtrl", ctrl.put()));
    ASSERT_TRUE(VtableHalf(ctrl.get(), vt.put()));
    struct Use { const wchar_t* member; INVOKEKIND invkind; const wchar_t* param; };
    const Use uses[] = {
        {L"ShowDocumentPreview", INVOKE_FUNC, L"hwndTarget"},
        {L"EmbeddedParentHwnd", INVOKE_PROPERTYGET, L"value"},
    };
    for (const Use& u : uses) {
        SCOPED_TRACE(testing::Message() << "ICorvaneCtrl::" << u.member);
        bool found = false;
        for (UINT f = 0, n = Attr(vt.get()).cFuncs; f < n && !found; ++f) {
            FUNCDESC* fd = nullptr;
            ASSERT_EQ(vt->GetFuncDesc(f, &fd), S_OK);
            BSTR names[16] = {};
            UINT got = 0;
            vt->GetNames(fd->memid, names, 16, &got);
            if (got && std::wstring(names[0]) == u.member && fd->invkind == u.invkind) {
                found = true;
                bool paramFound = false;
                for (UINT p = 1; p < got; ++p) {
                    if (std::wstring(names[p]) != u.param) continue;
                    paramFound = true;
                    TYPEDESC td = fd->lprgelemdescParam[p - 1].tdesc;
                    if (td.vt == VT_PTR) td = *td.lptdesc;  // the retval is passed by pointer
                    ASSERT_EQ(td.vt, VT_USERDEFINED);
                    Ref<ITypeInfo> ref;
                    ASSERT_EQ(vt->GetRefTypeInfo(td.hreftype, ref.put()), S_OK);
                    EXPECT_EQ(TypeName(ref.get()), L"LONG_PTR");
                }
                EXPECT_TRUE(paramFound) << "no parameter " << u.param;
            }
            for (UINT i = 0; i < got; ++i) SysFreeString(names[i]);
            vt->ReleaseFuncDesc(fd);
        }
        EXPECT_TRUE(found);
    }
}

// ---------------------------------------------------------------------------
// Coclasses

TEST_F(TypeLib, CoclassComposition)
{
    struct Impl { const wchar_t* iface; INT flags; };
    struct Coclass { const wchar_t* name; std::vector<Impl> impls; };
    const Coclass coclasses[] = {
        {L"CorvaneCtrl", {{L"ICorvaneCtrl", IMPLTYPEFLAG_FDEFAULT},
                          {L"_DCorvaneCtrlEvents", IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE}}},
        {L"BrowserPool", {{L"IBrowserPool", IMPLTYPEFLAG_FDEFAULT}}},
        {L"CorvaneJson", {{L"ICVNJson", IMPLTYPEFLAG_FDEFAULT}}},
    };
    for (const Coclass& c : coclasses) {
        SCOPED_TRACE(testing::Message() << c.name);
        Ref<ITypeInfo> ti;
        ASSERT_TRUE(Find(c.name, ti.put()));
        const UINT n = Attr(ti.get()).cImplTypes;
        ASSERT_EQ(n, c.impls.size());
        for (UINT i = 0; i < n; ++i) {
            HREFTYPE href = 0;
            Ref<ITypeInfo> ref;
            INT flags = -1;
            ASSERT_EQ(ti->GetRefTypeOfImplType(i, &href), S_OK);
            ASSERT_EQ(ti->GetRefTypeInfo(href, ref.put()), S_OK);
            ASSERT_EQ(ti->GetImplTypeFlags(i, &flags), S_OK);
            EXPECT_EQ(TypeName(ref.get()), c.impls[i].iface) << "implemented type #" << i;
            EXPECT_EQ(flags, c.impls[i].flags) << "flags of " << c.impls[i].iface;
        }
    }
}

// ---------------------------------------------------------------------------
// Interface members

struct ActualMember { std::wstring name; MEMBERID id; Kind kind; };

Kind KindOf(INVOKEKIND k)
{
    switch (k) {
    case INVOKE_PROPERTYGET: return Kind::Get;
    case INVOKE_PROPERTYPUT: return Kind::Put;
    default: return Kind::Method;
    }
}

// Members in slot order; a get and a put under one id in adjacent slots make
// one GetPut member. Anything else sharing an id is reported in `errors`.
std::vector<ActualMember> ReadMembers(ITypeInfo* ti, std::vector<std::wstring>& errors)
{
    std::vector<ActualMember> out;
    for (UINT f = 0, n = Attr(ti).cFuncs; f < n; ++f) {
        FUNCDESC* fd = nullptr;
        if (FAILED(ti->GetFuncDesc(f, &fd))) {
            errors.push_back(L"GetFuncDesc failed at slot " + std::to_wstring(f));
            continue;
        }
        // A dispinterface may list IUnknown's and IDispatch's methods first.
        if (fd->memid >= 0x60000000 && fd->memid <= 0x60010003) {
            ti->ReleaseFuncDesc(fd);
            continue;
        }
        const std::wstring name = MemberName(ti, fd->memid);
        if (fd->invkind == INVOKE_PROPERTYPUTREF) errors.push_back(name + L": propputref is not used");
        const Kind k = KindOf(fd->invkind);
        ActualMember* prev = out.empty() ? nullptr : &out.back();
        if (prev && prev->id == fd->memid && prev->kind == Kind::Get && k == Kind::Put) {
            prev->kind = Kind::GetPut;
        } else {
            for (const ActualMember& m : out) {
                if (m.id == fd->memid) {
                    errors.push_back(L"slot " + std::to_wstring(f) + L" reuses dispatch id " +
                                     std::to_wstring(m.id) + L" of " + m.name);
                }
            }
            out.push_back({name, fd->memid, k});
        }
        ti->ReleaseFuncDesc(fd);
    }
    return out;
}

TEST_F(TypeLib, LegacyDispinterfaceIsEmptyAndUnimplemented)
{
    Ref<ITypeInfo> legacy;
    ASSERT_TRUE(Find(L"_CorvaneCtrl", legacy.put()));
    const TYPEATTR a = Attr(legacy.get());
    EXPECT_EQ(a.cVars, 0);
    std::vector<std::wstring> errors;
    for (const ActualMember& m : ReadMembers(legacy.get(), errors)) ADD_FAILURE() << "has member " << m.name;

    for (UINT i = 0, n = lib_->GetTypeInfoCount(); i < n; ++i) {
        Ref<ITypeInfo> ti;
        ASSERT_EQ(lib_->GetTypeInfo(i, ti.put()), S_OK);
        if (Attr(ti.get()).typekind != TKIND_COCLASS) continue;
        for (UINT j = 0, m = Attr(ti.get()).cImplTypes; j < m; ++j) {
            HREFTYPE href = 0;
            Ref<ITypeInfo> ref;
            ASSERT_EQ(ti->GetRefTypeOfImplType(j, &href), S_OK);
            ASSERT_EQ(ti->GetRefTypeInfo(href, ref.put()), S_OK);
            EXPECT_NE(TypeName(ref.get()), L"_CorvaneCtrl") << "implemented by " << TypeName(ti.get());
        }
    }
}

struct InterfaceCount { const wchar_t* iface; size_t members; };
const InterfaceCount kInterfaceCounts[] = {
    {L"ICorvaneCtrl", 283},
    {L"IBrowserPool", 353},
    {L"ICVNJson", 40},
    {L"_DCorvaneCtrlEvents", 63},
};

TEST_F(TypeLib, ExpectedTableCoversEachInterface)
{
    for (const InterfaceCount& ic : kInterfaceCounts) {
        size_t rows = 0;
        for (const ExpectedMember& e : kExpectedMembers) rows += std::wcscmp(e.iface, ic.iface) == 0;
        EXPECT_EQ(rows, ic.members) << ic.iface;
    }
    EXPECT_EQ(std::size(kExpectedMembers), 283u + 353u + 40u + 63u) << "rows for unknown interfaces";
}

TEST_F(TypeLib, InterfaceMembers)
{
    for (const InterfaceCount& ic : kInterfaceCounts) {
        SCOPED_TRACE(testing::Message() << ic.iface);
        Ref<ITypeInfo> ti, vt;
        ASSERT_TRUE(Find(ic.iface, ti.put()));
        ASSERT_TRUE(VtableHalf(ti.get(), vt.put()));

        std::vector<std::wstring> errors;
        const std::vector<ActualMember> actual = ReadMembers(vt.get(), errors);
        for (const std::wstring& e : errors) ADD_FAILURE() << ic.iface << ": " << e;
        EXPECT_EQ(actual.size(), ic.members) << "member count";

        std::vector<const ExpectedMember*> expected;
        for (const ExpectedMember& e : kExpectedMembers) {
            if (std::wcscmp(e.iface, ic.iface) == 0) expected.push_back(&e);
        }

        // Names are matched without case, as automation does; spelling is checked apart.
        std::map<std::wstring, const ActualMember*> byName;
        for (const ActualMember& m : actual) {
            std::wstring key = m.name;
            for (wchar_t& ch : key) ch = towlower(ch);
            byName[key] = &m;
        }
        std::map<std::wstring, bool> seen;
        for (const ExpectedMember* e : expected) {
            std::wstring key = e->name;
            for (wchar_t& ch : key) ch = towlower(ch);
            seen[key] = true;
            auto it = byName.find(key);
            if (it == byName.end()) {
                ADD_FAILURE() << ic.iface << "::" << e->name << " is missing";
                continue;
            }
            const ActualMember& m = *it->second;
            EXPECT_EQ(m.name, e->name) << ic.iface << "::" << e->name << " spelling";
            EXPECT_EQ(m.id, e->dispid) << ic.iface << "::" << e->name << " dispatch id";
            EXPECT_EQ(m.kind, e->kind) << ic.iface << "::" << e->name << " accessors";
        }
        for (const auto& [key, m] : byName) {
            if (!seen.count(key)) ADD_FAILURE() << ic.iface << "::" << m->name << " is not expected";
        }

        // Slot order: report the first divergence only, later ones follow from it.
        for (size_t i = 0; i < actual.size() && i < expected.size(); ++i) {
            if (actual[i].name != expected[i]->name) {
                ADD_FAILURE() << ic.iface << " slot order: member #" << i << " is " << actual[i].name
                              << ", expected " << expected[i]->name;
                break;
            }
        }
    }
}

// Every dual member returns HRESULT; a value read by the caller comes back in
// the last parameter, marked out and retval. Events return nothing.
TEST_F(TypeLib, MemberSignaturesFollowAutomationConventions)
{
    for (const InterfaceCount& ic : kInterfaceCounts) {
        Ref<ITypeInfo> ti, vt;
        ASSERT_TRUE(Find(ic.iface, ti.put())) << ic.iface;
        ASSERT_TRUE(VtableHalf(ti.get(), vt.put())) << ic.iface;
        const bool events = !(Attr(ti.get()).wTypeFlags & TYPEFLAG_FDUAL);
        for (UINT f = 0, n = Attr(vt.get()).cFuncs; f < n; ++f) {
            FUNCDESC* fd = nullptr;
            ASSERT_EQ(vt->GetFuncDesc(f, &fd), S_OK);
            if (fd->memid >= 0x60000000 && fd->memid <= 0x60010003) {
                vt->ReleaseFuncDesc(fd);
                continue;
            }
            const std::wstring where = std::wstring(ic.iface) + L"::" + MemberName(vt.get(), fd->memid);
            EXPECT_EQ(fd->elemdescFunc.tdesc.vt, events ? VT_VOID : VT_HRESULT) << where << " return type";
            int retval = -1;
            for (SHORT p = 0; p < fd->cParams; ++p) {
                const USHORT pf = fd->lprgelemdescParam[p].paramdesc.wParamFlags;
                if (pf & PARAMFLAG_FRETVAL) {
                    retval = p;
                    EXPECT_TRUE(pf & PARAMFLAG_FOUT) << where << " retval is not out";
                }
            }
            if (retval >= 0 || fd->invkind == INVOKE_PROPERTYGET) {
                EXPECT_EQ(retval, fd->cParams - 1) << where << " needs its retval last";
            }
            if (events) {
                EXPECT_EQ(retval, -1) << where << " event with retval";
            }
            if (fd->invkind == INVOKE_PROPERTYPUT) {
                EXPECT_EQ(retval, -1) << where << " put with retval";
                EXPECT_GE(fd->cParams, 1) << where << " put without value";
            }
            vt->ReleaseFuncDesc(fd);
        }
    }
}

// Late binding resolves names through the dispatch type info, whatever case
// the host writes them in.
TEST_F(TypeLib, LateBoundNamesResolveToDispatchIds)
{
    for (const InterfaceCount& ic : kInterfaceCounts) {
        Ref<ITypeInfo> ti;
        ASSERT_TRUE(Find(ic.iface, ti.put())) << ic.iface;
        ASSERT_EQ(Attr(ti.get()).typekind, TKIND_DISPATCH) << ic.iface;
        for (const ExpectedMember& e : kExpectedMembers) {
            if (std::wcscmp(e.iface, ic.iface) != 0) continue;
            std::wstring upper = e.name;
            for (wchar_t& ch : upper) ch = towupper(ch);
            for (std::wstring name : {std::wstring(e.name), upper}) {
                LPOLESTR names[] = {name.data()};
                MEMBERID id = DISPID_UNKNOWN;
                EXPECT_EQ(ti->GetIDsOfNames(names, 1, &id), S_OK) << ic.iface << "::" << name;
                EXPECT_EQ(id, e.dispid) << ic.iface << "::" << name;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Enumerations

TEST_F(TypeLib, EnumerationValues)
{
    std::vector<std::wstring> enumNames;
    for (const ExpectedEnumValue& e : kExpectedEnumValues) {
        if (enumNames.empty() || enumNames.back() != e.enumName) enumNames.push_back(e.enumName);
    }
    // Every enumeration in the library has rows, and no rows name a missing one.
    std::vector<std::wstring> libraryEnums;
    for (UINT i = 0, n = lib_->GetTypeInfoCount(); i < n; ++i) {
        TYPEKIND k{};
        if (SUCCEEDED(lib_->GetTypeInfoType(i, &k)) && k == TKIND_ENUM) {
            libraryEnums.push_back(LibDoc(lib_, static_cast<INT>(i)).name);
        }
    }
    EXPECT_EQ(libraryEnums, enumNames);

    for (const std::wstring& en : enumNames) {
        SCOPED_TRACE(testing::Message() << en);
        Ref<ITypeInfo> ti;
        if (!Find(en.c_str(), ti.put())) continue;  // reported above

        std::vector<const ExpectedEnumValue*> expected;
        for (const ExpectedEnumValue& e : kExpectedEnumValues) {
            if (en == e.enumName) expected.push_back(&e);
        }
        const UINT n = Attr(ti.get()).cVars;
        EXPECT_EQ(n, expected.size()) << "value count";
        for (UINT v = 0; v < n && v < expected.size(); ++v) {
            const ExpectedEnumValue& e = *expected[v];
            VARDESC* vd = nullptr;
            ASSERT_EQ(ti->GetVarDesc(v, &vd), S_OK);
            EXPECT_EQ(MemberName(ti.get(), vd->memid), e.name) << en << " value #" << v;
            ASSERT_EQ(vd->varkind, VAR_CONST) << e.name;
            EXPECT_EQ(V_VT(vd->lpvarValue), VT_I4) << e.name << " is not a 32-bit integer";
            if (V_VT(vd->lpvarValue) == VT_I4) {
                EXPECT_EQ(V_I4(vd->lpvarValue), e.value) << en << "::" << e.name;
            }
            ti->ReleaseVarDesc(vd);
        }
    }
}

}  // namespace corvane_typelib_test
