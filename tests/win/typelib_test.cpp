// Checks the built type library against the published contract: library
// identity, type-info order and attributes, coclass composition, the LONG_PTR
// alias, every member of every interface (name, dispatch id, accessors, slot
// order, automation signature) and every enumeration value. Hosts bind to
// these by name, dispatch id and vtable slot, so any drift here breaks
// compiled macros in the field.
#include <iterator>
#include <string>
#include <vector>

#include "com/com_ptr.h"
#include "win_test_support.h"

namespace corvane_typelib_test {

enum class Kind { Method, Get, Put, GetPut };
struct ExpectedMember { const wchar_t* iface; const wchar_t* name; long dispid; Kind kind; };
struct ExpectedEnumValue { const wchar_t* enumName; const wchar_t* name; long value; };

#include "typelib_expected.inc"

using Corvane::ComPtr;
using CorvaneTest::TakeBstr;

// The identifiers differ only in their first group.
std::wstring CorvaneGuid(unsigned long first) {
    wchar_t buf[40] = {};
    StringFromGUID2(GUID{first, 0x7E5A, 0x4F5C, {0x8A, 0x3B, 0x2C, 0x1D, 0x4E, 0x6F, 0x7A, 0x8B}}, buf, 40);
    return buf;
}
std::wstring GuidText(const GUID& g) {
    wchar_t buf[40] = {};
    StringFromGUID2(g, buf, 40);
    return buf;
}

std::wstring Name(ITypeInfo* ti, MEMBERID id = MEMBERID_NIL) {
    BSTR name = nullptr;
    ti->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
    return TakeBstr(name);
}

// TYPEATTR copied out so callers need not release it.
TYPEATTR Attr(ITypeInfo* ti) {
    TYPEATTR copy{};
    TYPEATTR* a = nullptr;
    if (SUCCEEDED(ti->GetTypeAttr(&a))) {
        copy = *a;
        ti->ReleaseTypeAttr(a);
    }
    return copy;
}

ComPtr<ITypeInfo> RefType(ITypeInfo* ti, HREFTYPE href) {
    ComPtr<ITypeInfo> ref;
    EXPECT_EQ(ti->GetRefTypeInfo(href, ref.put()), S_OK);
    return ref;
}

// For a dual interface the vtable half, which holds the members in slot order
// without the inherited IDispatch ones; for anything else `ti` itself.
ComPtr<ITypeInfo> VtableHalf(ITypeInfo* ti) {
    HREFTYPE href = 0;
    if (Attr(ti).wTypeFlags & TYPEFLAG_FDUAL && SUCCEEDED(ti->GetRefTypeOfImplType(static_cast<UINT>(-1), &href)))
        return RefType(ti, href);
    return ComPtr<ITypeInfo>(ti);
}

class TypeLib : public ::testing::Test {
protected:
    static void SetUpTestSuite() { loadResult_ = LoadTypeLibEx(CorvaneTest::OcxPath().c_str(), REGKIND_NONE, lib_.put()); }
    static void TearDownTestSuite() { lib_.Reset(); }
    void SetUp() override { ASSERT_EQ(loadResult_, S_OK) << "LoadTypeLibEx failed"; }

    static std::wstring Doc(INT index, bool help = false) {
        BSTR name = nullptr, helpText = nullptr;
        lib_->GetDocumentation(index, &name, &helpText, nullptr, nullptr);
        SysFreeString(help ? name : helpText);
        return TakeBstr(help ? helpText : name);
    }
    static ComPtr<ITypeInfo> Find(const wchar_t* name) {
        ComPtr<ITypeInfo> ti;
        for (UINT i = 0, n = lib_->GetTypeInfoCount(); i < n; ++i)
            if (Doc(static_cast<INT>(i)) == name) lib_->GetTypeInfo(i, ti.put());
        EXPECT_TRUE(ti) << "no type info " << testing::PrintToString(std::wstring(name));
        return ti;
    }

    static inline ComPtr<ITypeLib> lib_;
    static inline HRESULT loadResult_ = E_FAIL;
};

TEST_F(TypeLib, LibraryAttributes) {
    TLIBATTR* a = nullptr;
    ASSERT_EQ(lib_->GetLibAttr(&a), S_OK);
    EXPECT_EQ(GuidText(a->guid), CorvaneGuid(0xB8F7F3D2));
    EXPECT_EQ(a->wMajorVerNum, 1);
    EXPECT_EQ(a->wMinorVerNum, 0);
    EXPECT_EQ(a->lcid, 0x409u);
    // The loader adds "has disk image" for a library read from a file.
    EXPECT_EQ(a->wLibFlags & ~LIBFLAG_FHASDISKIMAGE, LIBFLAG_FCONTROL);
    EXPECT_EQ(a->syskind, SYS_WIN64);  // registration writes the win64 key from this
    lib_->ReleaseTLibAttr(a);
    EXPECT_EQ(Doc(-1), L"CorvaneLib");
    EXPECT_EQ(Doc(-1, true), L"Corvane 1.0 Type Library");
}

struct ExpectedTypeInfo {
    const wchar_t* name;
    TYPEKIND kind;            // as ITypeLib reports it (a dual interface is TKIND_DISPATCH)
    unsigned long guid = 0;   // first group, 0 for type infos without an identity
    WORD flags = 0;           // checked for type infos with an identity
    const wchar_t* help = L"";
    const wchar_t* implemented = nullptr;  // a coclass's interfaces with their flags
};

constexpr WORD kDual = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
constexpr WORD kSealedDispatch = TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;

const ExpectedTypeInfo kTypeInfos[] = {
    {L"CorvaneBrowsingDataKinds", TKIND_ENUM}, {L"CorvaneResourceContext", TKIND_ENUM},
    {L"CVN_FOCUS_REASON", TKIND_ENUM}, {L"CVN_POPUP_MODE", TKIND_ENUM}, {L"CVN_COLOR_SCHEME", TKIND_ENUM},
    {L"CVN_PRINT_ORIENTATION", TKIND_ENUM}, {L"CVN_TRACKING_PREVENTION", TKIND_ENUM},
    {L"CVN_MEMORY_USAGE", TKIND_ENUM}, {L"CVN_SCROLLBAR_STYLE", TKIND_ENUM},
    {L"CVN_DOWNLOAD_DIALOG_CORNER_ALIGNMENT", TKIND_ENUM}, {L"CVN_BOUNDS_MODE", TKIND_ENUM},
    {L"CVN_PDF_TOOLBAR_ITEMS", TKIND_ENUM}, {L"CVN_BIND_FLAGS", TKIND_ENUM}, {L"CVN_BRIDGE_ERR", TKIND_ENUM},
    {L"IBrowserPool", TKIND_DISPATCH, 0xB8F7F3D6, kDual, L"IBrowserPool - VBA-Friendly Browser Pool Interface"},
    {L"BrowserPool", TKIND_COCLASS, 0xB8F7F3D7, TYPEFLAG_FCANCREATE, L"BrowserPool Class - VBA-Friendly Browser Management",
     L"IBrowserPool default"},
    {L"ICorvaneCtrl", TKIND_DISPATCH, 0xB8F7F3D3, kDual | TYPEFLAG_FNONEXTENSIBLE, L"Corvane Control Interface"},
    {L"LONG_PTR", TKIND_ALIAS},
    {L"_DCorvaneCtrlEvents", TKIND_DISPATCH, 0xB8F7F3D5, kSealedDispatch, L"CorvaneCtrl Events Interface"},
    {L"_CorvaneCtrl", TKIND_DISPATCH, 0xB8F7F3D8, kSealedDispatch,
     L"Corvane Control Dispatch Interface (legacy; retained for GUID stability)"},
    {L"CorvaneCtrl", TKIND_COCLASS, 0xB8F7F3D4, TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL, L"Corvane WebView2 Control",
     L"ICorvaneCtrl default, _DCorvaneCtrlEvents default source"},
    {L"ICVNJson", TKIND_DISPATCH, 0xB8F7F3D9, kDual | TYPEFLAG_FNONEXTENSIBLE, L"Corvane Standalone JSON Engine"},
    {L"CorvaneJson", TKIND_COCLASS, 0xB8F7F3DA, TYPEFLAG_FCANCREATE,
     L"Corvane JSON Engine - Apartment-threaded. Do not share across threads.", L"ICVNJson default"},
};

// "IName default, IOther default source" for a coclass.
std::wstring Implemented(ITypeInfo* coclass) {
    std::wstring out;
    for (UINT i = 0, n = Attr(coclass).cImplTypes; i < n; ++i) {
        HREFTYPE href = 0;
        INT flags = 0;
        coclass->GetRefTypeOfImplType(i, &href);
        coclass->GetImplTypeFlags(i, &flags);
        out += (i ? L", " : L"") + Name(RefType(coclass, href).get()) + (flags & IMPLTYPEFLAG_FDEFAULT ? L" default" : L"") +
               (flags & IMPLTYPEFLAG_FSOURCE ? L" source" : L"") + (flags & ~3 ? L" other flags" : L"");
    }
    return out;
}

TEST_F(TypeLib, TypeInfosInOrderWithTheirAttributes) {
    ASSERT_EQ(lib_->GetTypeInfoCount(), std::size(kTypeInfos));
    for (UINT i = 0; i < std::size(kTypeInfos); ++i) {
        const ExpectedTypeInfo& e = kTypeInfos[i];
        SCOPED_TRACE(testing::Message() << "type info #" << i << " " << testing::PrintToString(std::wstring(e.name)));
        EXPECT_EQ(Doc(static_cast<INT>(i)), e.name);
        EXPECT_EQ(Doc(static_cast<INT>(i), true), e.help);
        ComPtr<ITypeInfo> ti;
        ASSERT_EQ(lib_->GetTypeInfo(i, ti.put()), S_OK);
        const TYPEATTR a = Attr(ti.get());
        EXPECT_EQ(a.typekind, e.kind);
        if (e.kind == TKIND_ALIAS) {
            EXPECT_EQ(a.tdescAlias.vt, VT_I8) << "LONG_PTR must stay 64 bits wide";
        } else if (e.kind == TKIND_COCLASS) {
            EXPECT_EQ(Implemented(ti.get()), e.implemented);
        }
        if (!e.guid) continue;
        EXPECT_EQ(GuidText(a.guid), CorvaneGuid(e.guid));
        // The loader drops oleautomation from the dispatch view of a dual
        // interface; the vtable half carries the flags as stored.
        const WORD shown = e.flags & TYPEFLAG_FDUAL ? WORD(~TYPEFLAG_FOLEAUTOMATION) : WORD(0xFFFF);
        EXPECT_EQ(a.wTypeFlags & shown, e.flags & shown) << std::hex << a.wTypeFlags;
        if (!(e.flags & TYPEFLAG_FDUAL)) continue;
        // Early binding goes through the vtable half: same identity, interface
        // kind, derived from stdole2's IDispatch.
        ComPtr<ITypeInfo> vt = VtableHalf(ti.get());
        const TYPEATTR va = Attr(vt.get());
        EXPECT_EQ(va.typekind, TKIND_INTERFACE);
        EXPECT_EQ(GuidText(va.guid), CorvaneGuid(e.guid));
        EXPECT_EQ(va.wTypeFlags, e.flags) << std::hex << va.wTypeFlags;
        HREFTYPE href = 0;
        ASSERT_EQ(va.cImplTypes, 1);
        ASSERT_EQ(vt->GetRefTypeOfImplType(0, &href), S_OK);
        ComPtr<ITypeInfo> base = RefType(vt.get(), href);
        ComPtr<ITypeLib> baseLib;
        UINT index = 0;
        ASSERT_EQ(base->GetContainingTypeLib(baseLib.put(), &index), S_OK);
        TLIBATTR* la = nullptr;
        ASSERT_EQ(baseLib->GetLibAttr(&la), S_OK);
        EXPECT_EQ(Name(base.get()), L"IDispatch");
        EXPECT_EQ(GuidText(la->guid), L"{00020430-0000-0000-C000-000000000046}");
        baseLib->ReleaseTLibAttr(la);
    }
    // The legacy dispinterface stays empty.
    ComPtr<ITypeInfo> legacy = Find(L"_CorvaneCtrl");
    ASSERT_TRUE(legacy);
    EXPECT_EQ(Attr(legacy.get()).cVars, 0);
    EXPECT_EQ(Attr(legacy.get()).cFuncs, 0);
}

Kind KindOf(INVOKEKIND k) {
    return k == INVOKE_PROPERTYGET ? Kind::Get : k == INVOKE_PROPERTYPUT ? Kind::Put : Kind::Method;
}

std::wstring Describe(const std::wstring& name, long id, Kind kind) {
    static const wchar_t* const kinds[] = {L"Method", L"Get", L"Put", L"GetPut"};
    return name + L" id " + std::to_wstring(id) + L" " + kinds[static_cast<int>(kind)];
}

// Members in slot order, against the table: a get and a put under one id in
// adjacent slots make one GetPut row. Every dual member returns HRESULT, a
// value read by the caller comes back in the last parameter, marked out and
// retval; events return nothing and have no retval.
TEST_F(TypeLib, InterfaceMembers) {
    for (const wchar_t* iface : {L"ICorvaneCtrl", L"IBrowserPool", L"ICVNJson", L"_DCorvaneCtrlEvents"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(iface)));
        ComPtr<ITypeInfo> ti = Find(iface);
        ASSERT_TRUE(ti);
        const bool events = !(Attr(ti.get()).wTypeFlags & TYPEFLAG_FDUAL);
        ComPtr<ITypeInfo> vt = VtableHalf(ti.get());
        std::vector<std::wstring> actual, expected;
        std::vector<MEMBERID> ids;
        Kind last = Kind::Method;
        for (UINT f = 0, n = Attr(vt.get()).cFuncs; f < n; ++f) {
            FUNCDESC* fd = nullptr;
            ASSERT_EQ(vt->GetFuncDesc(f, &fd), S_OK);
            const std::wstring name = Name(vt.get(), fd->memid);
            const Kind kind = KindOf(fd->invkind);
            EXPECT_NE(fd->invkind, INVOKE_PROPERTYPUTREF) << "propputref is not used: " << testing::PrintToString(name);
            if (!ids.empty() && ids.back() == fd->memid && last == Kind::Get && kind == Kind::Put) {
                actual.back() = Describe(name, fd->memid, Kind::GetPut);
            } else {
                for (MEMBERID id : ids) EXPECT_NE(id, fd->memid) << "dispatch id used twice: " << testing::PrintToString(name);
                actual.push_back(Describe(name, fd->memid, kind));
                ids.push_back(fd->memid);
            }
            last = kind;
            // Handles cross as LONG_PTR: declared as long they would be truncated.
            if (std::wstring(iface) == L"ICorvaneCtrl" &&
                (name == L"ShowDocumentPreview" || (name == L"EmbeddedParentHwnd" && kind == Kind::Get))) {
                TYPEDESC td = fd->lprgelemdescParam[fd->cParams - 1].tdesc;
                if (td.vt == VT_PTR) td = *td.lptdesc;  // the retval is passed by pointer
                ASSERT_EQ(td.vt, VT_USERDEFINED) << testing::PrintToString(name);
                EXPECT_EQ(Name(RefType(vt.get(), td.hreftype).get()), L"LONG_PTR") << testing::PrintToString(name);
            }

            EXPECT_EQ(fd->elemdescFunc.tdesc.vt, events ? VT_VOID : VT_HRESULT) << testing::PrintToString(name);
            int retval = -1;
            for (SHORT p = 0; p < fd->cParams; ++p)
                if (fd->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FRETVAL) {
                    retval = p;
                    EXPECT_TRUE(fd->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FOUT);
                }
            if (events || kind == Kind::Put) {
                EXPECT_EQ(retval, -1) << testing::PrintToString(name);
            } else if (retval >= 0 || kind == Kind::Get) {
                EXPECT_EQ(retval, fd->cParams - 1) << testing::PrintToString(name);
            }
            vt->ReleaseFuncDesc(fd);
        }
        for (const ExpectedMember& e : kExpectedMembers)
            if (std::wstring(e.iface) == iface) expected.push_back(Describe(e.name, e.dispid, e.kind));
        EXPECT_EQ(actual.size(), expected.size()) << "member count";
        for (size_t i = 0; i < actual.size() && i < expected.size(); ++i)
            if (actual[i] != expected[i]) {  // later differences follow from the first
                ADD_FAILURE() << "slot " << i << ": " << testing::PrintToString(actual[i]) << ", expected "
                              << testing::PrintToString(expected[i]);
                break;
            }
    }
}

TEST_F(TypeLib, EnumerationValues) {
    std::vector<std::wstring> libraryEnums, tableEnums;
    for (UINT i = 0, n = lib_->GetTypeInfoCount(); i < n; ++i) {
        TYPEKIND k{};
        if (SUCCEEDED(lib_->GetTypeInfoType(i, &k)) && k == TKIND_ENUM) libraryEnums.push_back(Doc(static_cast<INT>(i)));
    }
    for (const ExpectedEnumValue& e : kExpectedEnumValues)
        if (tableEnums.empty() || tableEnums.back() != e.enumName) tableEnums.push_back(e.enumName);
    EXPECT_EQ(libraryEnums, tableEnums);

    for (const std::wstring& en : libraryEnums) {
        ComPtr<ITypeInfo> ti = Find(en.c_str());
        std::vector<std::wstring> actual, expected;
        for (UINT v = 0, n = Attr(ti.get()).cVars; v < n; ++v) {
            VARDESC* vd = nullptr;
            ASSERT_EQ(ti->GetVarDesc(v, &vd), S_OK);
            const bool i4 = vd->varkind == VAR_CONST && V_VT(vd->lpvarValue) == VT_I4;
            actual.push_back(Name(ti.get(), vd->memid) + L" = " + (i4 ? std::to_wstring(V_I4(vd->lpvarValue)) : L"not I4"));
            ti->ReleaseVarDesc(vd);
        }
        for (const ExpectedEnumValue& e : kExpectedEnumValues)
            if (en == e.enumName) expected.push_back(std::wstring(e.name) + L" = " + std::to_wstring(e.value));
        EXPECT_EQ(actual, expected) << testing::PrintToString(en);
    }
}

}  // namespace corvane_typelib_test
