// The JSON engine object through its interface and through IDispatch, created
// with the DLL's Corvane_CreateJson export: handle tables, the size limit,
// bulk reads over SAFEARRAYs, and the error information each failure leaves.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "corvane_h.h"
#include "win_test_support.h"

using namespace CorvaneTest;

namespace {

using CreateFn = IDispatch*(WINAPI*)();

// A BSTR owned by the test; converts to BSTR for calls.
class Str {
public:
    Str() = default;
    Str(const wchar_t* text) : s_(text ? SysAllocString(text) : nullptr) {}
    Str(const std::wstring& text) : s_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Str(const Str&) = delete;
    Str& operator=(const Str&) = delete;
    ~Str() { SysFreeString(s_); }
    operator BSTR() const { return s_; }
    BSTR* put() { SysFreeString(s_); s_ = nullptr; return &s_; }
    std::wstring Text() const { return s_ ? std::wstring(s_, SysStringLen(s_)) : L"<null>"; }
    bool IsNull() const { return s_ == nullptr; }

private:
    BSTR s_ = nullptr;
};

class Var {
public:
    Var() { VariantInit(&v_); }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
    ~Var() { VariantClear(&v_); }
    VARIANT* put() { VariantClear(&v_); return &v_; }
    VARIANT* operator&() { return &v_; }
    const VARIANT& get() const { return v_; }
    VARTYPE vt() const { return V_VT(&v_); }
    std::wstring Text() const { return vt() == VT_BSTR ? std::wstring(V_BSTR(&v_), SysStringLen(V_BSTR(&v_))) : L"<not a string>"; }

private:
    VARIANT v_;
};

struct ErrorSeen {
    bool present = false;
    std::wstring description, source;
};

// Takes the thread's error object (which clears it).
ErrorSeen TakeError() {
    ErrorSeen seen;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return seen;
    seen.present = true;
    BSTR d = nullptr, s = nullptr;
    info->GetDescription(&d);
    info->GetSource(&s);
    seen.description = d ? d : L"";
    seen.source = s ? s : L"";
    SysFreeString(d);
    SysFreeString(s);
    info->Release();
    return seen;
}

// A planted error object, to prove a later success clears it.
void PlantStaleError() {
    ICreateErrorInfo* create = nullptr;
    ASSERT_EQ(CreateErrorInfo(&create), S_OK);
    create->SetDescription(const_cast<LPOLESTR>(L"stale"));
    IErrorInfo* info = nullptr;
    create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info));
    SetErrorInfo(0, info);
    info->Release();
    create->Release();
}

#define EXPECT_FAILURE(call, expectedHr, expectedDescription)                                   \
    do {                                                                                         \
        SetErrorInfo(0, nullptr);                                                                \
        const HRESULT hr_ = (call);                                                              \
        EXPECT_EQ(hr_, static_cast<HRESULT>(expectedHr)) << #call;                               \
        const ErrorSeen e_ = TakeError();                                                        \
        EXPECT_TRUE(e_.present) << #call << ": no error information";                            \
        EXPECT_EQ(e_.description, std::wstring(expectedDescription)) << #call;                   \
        EXPECT_EQ(e_.source, L"Corvane") << #call;                                               \
    } while (0)

#define EXPECT_SUCCESS(call)                                                                    \
    do {                                                                                         \
        PlantStaleError();                                                                       \
        EXPECT_EQ((call), S_OK) << #call;                                                        \
        EXPECT_FALSE(TakeError().present) << #call << ": stale error information left behind";   \
    } while (0)

constexpr HRESULT kEHandle = static_cast<HRESULT>(0x80070006);
constexpr HRESULT kEBounds = static_cast<HRESULT>(0x8000000B);

class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        disp = Export<CreateFn>("Corvane_CreateJson")();
        ASSERT_NE(disp, nullptr);
        ASSERT_EQ(disp->QueryInterface(IID_ICVNJson, reinterpret_cast<void**>(&json)), S_OK);
    }
    void TearDown() override {
        if (json) json->Release();
        if (disp) {
            EXPECT_EQ(disp->Release(), 0u);
        }
    }

    LONG Parse(const wchar_t* text) {
        LONG h = -1;
        EXPECT_EQ(json->Parse(Str(text), &h), S_OK) << std::wstring(text).c_str();
        return h;
    }
    LONG Compile(const wchar_t* path) {
        LONG h = -1;
        EXPECT_EQ(json->CompilePath(Str(path), &h), S_OK);
        return h;
    }
    std::wstring ValueH(LONG h, const wchar_t* path) {
        Var v;
        EXPECT_EQ(json->GetValueH(h, Str(path), v.put()), S_OK);
        return Describe(v.get());
    }

    static std::wstring Describe(const VARIANT& v) {
        switch (V_VT(&v)) {
            case VT_EMPTY: return L"empty";
            case VT_NULL: return L"null";
            case VT_BOOL: return V_BOOL(&v) ? L"true" : L"false";
            case VT_I4: return L"i4:" + std::to_wstring(V_I4(&v));
            case VT_R8: return L"r8:" + std::to_wstring(V_R8(&v));
            case VT_BSTR: return L"s:" + std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v)));
            default: return L"vt:" + std::to_wstring(V_VT(&v));
        }
    }
    // The cells of a 0-based 1-D VT_ARRAY|VT_VARIANT result, described.
    static std::vector<std::wstring> CellsOf(const VARIANT& v) {
        std::vector<std::wstring> out;
        if (V_VT(&v) != (VT_ARRAY | VT_VARIANT)) {
            out.push_back(L"not an array: " + Describe(v));
            return out;
        }
        SAFEARRAY* a = V_ARRAY(&v);
        LONG lb = -1, ub = -1;
        EXPECT_EQ(SafeArrayGetDim(a), 1u);
        SafeArrayGetLBound(a, 1, &lb);
        SafeArrayGetUBound(a, 1, &ub);
        EXPECT_EQ(lb, 0);
        for (LONG i = lb; i <= ub; ++i) {
            Var cell;
            SafeArrayGetElement(a, &i, cell.put());
            out.push_back(Describe(cell.get()));
        }
        return out;
    }

    IDispatch* disp = nullptr;
    ICVNJson* json = nullptr;
};

// A 1-D VT_VARIANT array holding copies of `items`.
SAFEARRAY* VariantArray(const std::vector<VARIANT>& items, LONG lowerBound = 0) {
    SAFEARRAYBOUND bound{static_cast<ULONG>(items.size()), lowerBound};
    SAFEARRAY* a = SafeArrayCreate(VT_VARIANT, 1, &bound);
    for (ULONG i = 0; i < items.size(); ++i) {
        LONG index = lowerBound + static_cast<LONG>(i);
        SafeArrayPutElement(a, &index, const_cast<VARIANT*>(&items[i]));
    }
    return a;
}


// Owns the items and the array built from them.
class ArrayArg {
public:
    ArrayArg(std::vector<VARIANT> items, LONG lowerBound = 0) {
        VariantInit(&arg_);
        V_VT(&arg_) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(&arg_) = VariantArray(items, lowerBound);
        for (VARIANT& v : items) VariantClear(&v);
    }
    ~ArrayArg() { VariantClear(&arg_); }
    const VARIANT& get() const { return arg_; }
    SAFEARRAY** ref() { return &V_ARRAY(&arg_); }

private:
    VARIANT arg_;
};

using Cells = std::vector<std::wstring>;

// ---- handles ----

TEST_F(Engine, DocumentHandlesStartAtOneAndReuseTheLastReleased) {
    EXPECT_EQ(Parse(L"{\"n\":1}"), 1);
    EXPECT_EQ(Parse(L"{\"n\":2}"), 2);
    EXPECT_EQ(Parse(L"{\"n\":3}"), 3);
    EXPECT_SUCCESS(json->ReleaseHandle(1));
    EXPECT_SUCCESS(json->ReleaseHandle(3));
    EXPECT_EQ(Parse(L"{\"n\":4}"), 3);
    EXPECT_EQ(Parse(L"{\"n\":5}"), 1);
    EXPECT_EQ(Parse(L"{\"n\":6}"), 4);
    // A stale handle designates the newer document now in its slot.
    EXPECT_EQ(ValueH(1, L"n"), L"i4:5");
    EXPECT_EQ(ValueH(2, L"n"), L"i4:2");
    EXPECT_EQ(ValueH(3, L"n"), L"i4:4");

    // Releasing what is not live is harmless and silent.
    for (LONG h : {0L, -5L, 99L, 2L, 2L}) EXPECT_SUCCESS(json->ReleaseHandle(h));
    EXPECT_EQ(Parse(L"7"), 2) << "a double release must not free the slot twice";
    EXPECT_EQ(Parse(L"8"), 5);
}

TEST_F(Engine, ReleaseAllRestartsBothNumberings) {
    Parse(L"[1]");
    Parse(L"[2]");
    Compile(L"a");
    Compile(L"b");
    json->ReleaseHandle(1);
    EXPECT_SUCCESS(json->ReleaseAll());
    Var v;
    EXPECT_FAILURE(json->GetValueH(2, Str(L""), v.put()), kEHandle, L"Corvane.Json: Invalid JSON handle: 2");
    EXPECT_EQ(Parse(L"[3]"), 1);
    EXPECT_EQ(Parse(L"[4]"), 2);
    EXPECT_EQ(Compile(L"[0]"), 1);
    EXPECT_FAILURE(json->GetValueHP(1, 2, v.put()), kEHandle, L"Corvane.Json: Invalid path handle: 2");
    EXPECT_SUCCESS(json->GetValueHP(2, 1, v.put()));
    EXPECT_EQ(Describe(v.get()), L"i4:4");
}

TEST_F(Engine, PathHandlesFollowTheSameSlotRules) {
    EXPECT_EQ(Compile(L"a"), 1);
    EXPECT_EQ(Compile(L""), 2);
    EXPECT_EQ(Compile(L"b"), 3);
    EXPECT_SUCCESS(json->ReleasePath(2));
    for (LONG h : {0L, -1L, 2L, 42L}) EXPECT_SUCCESS(json->ReleasePath(h));
    EXPECT_EQ(Compile(L"c"), 2);
    EXPECT_EQ(Compile(L"d"), 4);
}

TEST_F(Engine, TwoEnginesShareNothing) {
    IDispatch* other = Export<CreateFn>("Corvane_CreateJson")();
    ICVNJson* second = nullptr;
    ASSERT_EQ(other->QueryInterface(IID_ICVNJson, reinterpret_cast<void**>(&second)), S_OK);
    other->Release();
    EXPECT_EQ(Parse(L"{\"who\":\"first\"}"), 1);
    LONG h = 0;
    EXPECT_EQ(second->Parse(Str(L"{\"who\":\"second\"}"), &h), S_OK);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(second->put_MaxSize(2000), S_OK);
    EXPECT_EQ(second->ReleaseAll(), S_OK);
    EXPECT_EQ(ValueH(1, L"who"), L"s:first");
    LONG size = 0;
    json->get_MaxSize(&size);
    EXPECT_EQ(size, 52428800);
    EXPECT_EQ(second->Release(), 0u);
}

TEST_F(Engine, InvalidHandlesReportEHandleWithTheNumber) {
    const LONG doc = Parse(L"{\"a\":[1,2]}");
    const LONG path = Compile(L"a");
    Var v;
    Str s;
    LONG n = 5;
    VARIANT_BOOL b = VARIANT_TRUE;
    ArrayArg paths({CorvaneTest::Str(L"a")});
    ArrayArg handles({I4(path)});

    struct Case {
        const wchar_t* description;
        std::function<HRESULT()> call;
    };
    const Case cases[] = {
        {L"Corvane.Json: Invalid JSON handle: 99", [&] { return json->GetValueH(99, Str(L""), v.put()); }},
        {L"Corvane.Json: Invalid JSON handle: 0", [&] { return json->GetItemH(0, Str(L"a"), 0, s.put()); }},
        {L"Corvane.Json: Invalid JSON handle: -3", [&] { return json->GetKeysH(-3, Str(L""), s.put()); }},
        {L"Corvane.Json: Invalid JSON handle: 2", [&] { return json->CountH(2, Str(L"a"), &n); }},
        {L"Corvane.Json: Invalid JSON handle: 2", [&] { return json->ExistsH(2, Str(L"a"), &b); }},
        {L"Corvane.Json: Invalid JSON handle: 7", [&] { return json->GetValueHP(7, path, v.put()); }},
        {L"Corvane.Json: Invalid JSON handle: 7", [&] { return json->CountHP(7, 99, &n); }},
        {L"Corvane.Json: Invalid path handle: 99", [&] { return json->GetValueHP(doc, 99, v.put()); }},
        {L"Corvane.Json: Invalid path handle: 0", [&] { return json->GetItemHP(doc, 0, 0, s.put()); }},
        {L"Corvane.Json: Invalid path handle: -1", [&] { return json->CountHP(doc, -1, &n); }},
        {L"Corvane.Json: Invalid path handle: 2", [&] { return json->ExistsHP(doc, 2, &b); }},
        {L"Corvane.Json: Invalid JSON handle: 9", [&] { return json->GetValuesH(9, paths.get(), v.put()); }},
        {L"Corvane.Json: Invalid JSON handle: 9", [&] { return json->GetValuesHP(9, handles.get(), v.put()); }},
    };
    for (const Case& c : cases) {
        EXPECT_FAILURE(c.call(), kEHandle, c.description);
        EXPECT_EQ(v.vt(), VT_EMPTY) << c.description;
        EXPECT_TRUE(s.IsNull()) << c.description;
    }
    // The counts answer -1 on a bad handle.
    n = 5;
    json->CountH(99, Str(L""), &n);
    EXPECT_EQ(n, -1);
    n = 5;
    json->CountHP(doc, 99, &n);
    EXPECT_EQ(n, -1);
    // A released handle is invalid until reused.
    json->ReleaseHandle(doc);
    EXPECT_FAILURE(json->GetValueH(doc, Str(L""), v.put()), kEHandle, L"Corvane.Json: Invalid JSON handle: 1");
}

// ---- Parse and the size limit ----

TEST_F(Engine, ParseRefusesEmptyOversizeAndMalformedTextAndStoresNothing) {
    LONG h = 77;
    EXPECT_FAILURE(json->Parse(nullptr, &h), E_INVALIDARG, L"Corvane.Json: Empty JSON string");
    EXPECT_EQ(h, 0);
    EXPECT_FAILURE(json->Parse(Str(L""), &h), E_INVALIDARG, L"Corvane.Json: Empty JSON string");
    EXPECT_FAILURE(json->Parse(Str(L"{\"a\":}"), &h), E_INVALIDARG,
                   L"Corvane.Json: Unexpected character at position 5");
    EXPECT_FAILURE(json->Parse(Str(L"[1,2"), &h), E_INVALIDARG, L"Corvane.Json: Unterminated array");
    EXPECT_EQ(Parse(L"true"), 1) << "failed parses take no slot";

    EXPECT_SUCCESS(json->put_MaxSize(1024));
    // 513 code units are 1026 bytes: over. 512 pass the size test.
    const std::wstring big = L"\"" + std::wstring(510, L'x') + L"\"";
    EXPECT_FAILURE(json->Parse(Str(big + L" "), &h), E_FAIL, L"Corvane.Json: JSON exceeds maximum size");
    EXPECT_SUCCESS(json->Parse(Str(big), &h));
    EXPECT_EQ(h, 2);
    // The limit is also the memory budget of the tree: many small elements fit
    // the size test but not the budget.
    std::wstring many = L"[";
    for (int i = 0; i < 100; ++i) many += i ? L",0" : L"0";
    many += L"]";
    EXPECT_FAILURE(json->Parse(Str(many), &h), E_INVALIDARG, L"Corvane.Json: DOM build exceeded memory limit");
    EXPECT_SUCCESS(json->put_MaxSize(1048576));
    EXPECT_SUCCESS(json->Parse(Str(many), &h));
}

TEST_F(Engine, MaxSizeClampsToItsRange) {
    LONG v = 0;
    EXPECT_SUCCESS(json->get_MaxSize(&v));
    EXPECT_EQ(v, 52428800);
    struct Case { LONG put, read; };
    for (Case c : {Case{0, 1024}, Case{-1, 1024}, Case{LONG(0x80000000), 1024}, Case{1023, 1024}, Case{1024, 1024},
                   Case{4096, 4096}, Case{524288000, 524288000}, Case{600000000, 524288000},
                   Case{0x7fffffff, 524288000}}) {
        EXPECT_SUCCESS(json->put_MaxSize(c.put));
        json->get_MaxSize(&v);
        EXPECT_EQ(v, c.read) << c.put;
    }
}

TEST_F(Engine, ToArrayValidatesAndHandsTheTextBack) {
    Var v;
    for (const wchar_t* text : {L"5", L"{\"a\":1}", L"[1,2]", L" \"s\" "}) {
        EXPECT_SUCCESS(json->ToArray(Str(text), v.put()));
        EXPECT_EQ(v.Text(), text);
    }
    EXPECT_FAILURE(json->ToArray(nullptr, v.put()), E_INVALIDARG, L"Corvane.Json: Empty JSON string");
    EXPECT_FAILURE(json->ToArray(Str(L"[1,"), v.put()), E_INVALIDARG, L"Corvane.Json: Invalid JSON");
    EXPECT_EQ(v.vt(), VT_EMPTY);
    json->put_MaxSize(1024);
    EXPECT_FAILURE(json->ToArray(Str(std::wstring(513, L' ') ), v.put()), E_FAIL,
                   L"Corvane.Json: JSON exceeds maximum size");
}

// ---- compiled paths ----

TEST_F(Engine, CompilePathRefusesBadSyntaxQuotingThePath) {
    LONG h = 9;
    EXPECT_FAILURE(json->CompilePath(Str(L"a..b"), &h), E_INVALIDARG, L"Corvane.Json: Invalid path syntax: 'a..b'");
    EXPECT_EQ(h, 0);
    EXPECT_FAILURE(json->CompilePath(Str(L"a[-1]"), &h), E_INVALIDARG, L"Corvane.Json: Invalid path syntax: 'a[-1]'");
    EXPECT_FAILURE(json->CompilePath(Str(L"x[1000000]"), &h), E_INVALIDARG,
                   L"Corvane.Json: Invalid path syntax: 'x[1000000]'");
    EXPECT_EQ(Compile(nullptr), 1) << "a null path is the root";
}

TEST_F(Engine, CompiledPathsAnswerLikeTheTextPaths) {
    const LONG doc = Parse(LR"({"a":{"b":[10,{"c":"x"}],"k":{"p":1,"q":2}},"n":null})");
    LONG path = 0;
    {
        Str text(L"a.b[1].c");
        ASSERT_EQ(json->CompilePath(text, &path), S_OK);
    }   // the caller's string is gone; the compiled path must not need it
    Var v;
    EXPECT_SUCCESS(json->GetValueHP(doc, path, v.put()));
    EXPECT_EQ(Describe(v.get()), L"s:x");

    const LONG root = Compile(L"");
    const LONG b = Compile(L"a.b");
    const LONG k = Compile(L"a.k");
    const LONG missing = Compile(L"zz");
    EXPECT_SUCCESS(json->GetValueHP(doc, k, v.put()));
    EXPECT_EQ(Describe(v.get()), L"s:{\"p\":1,\"q\":2}");
    EXPECT_SUCCESS(json->GetValueHP(doc, missing, v.put()));
    EXPECT_EQ(v.vt(), VT_EMPTY);

    Str s;
    EXPECT_SUCCESS(json->GetItemHP(doc, b, 1, s.put()));
    EXPECT_EQ(s.Text(), L"{\"c\":\"x\"}");
    EXPECT_SUCCESS(json->GetItemHP(doc, b, 2, s.put()));
    EXPECT_EQ(s.Text(), L"");
    LONG n = 0;
    struct CountCase { LONG path; LONG count; };
    for (CountCase c : {CountCase{root, 2}, CountCase{b, 2}, CountCase{k, 2}, CountCase{missing, -1}, CountCase{path, -1}}) {
        EXPECT_SUCCESS(json->CountHP(doc, c.path, &n));
        EXPECT_EQ(n, c.count) << c.path;
    }
    VARIANT_BOOL e = VARIANT_FALSE;
    EXPECT_SUCCESS(json->ExistsHP(doc, root, &e));
    EXPECT_EQ(e, VARIANT_TRUE);
    EXPECT_SUCCESS(json->ExistsHP(doc, missing, &e));
    EXPECT_EQ(e, VARIANT_FALSE);
}

// ---- queries by handle and by text ----

TEST_F(Engine, HandleQueriesUseTheTreeTextQueriesTheSource) {
    const LONG doc = Parse(LR"({"a":{"b" : 1},"d":1,"d":2,"list":[1,"two",{"x" : 3},null],"caf\u00e9":true})");
    const Str text(LR"({"a":{"b" : 1},"d":1,"d":2,"list":[1,"two",{"x" : 3},null],"caf\u00e9":true})");
    struct Case { const wchar_t* path; const wchar_t* byText; const wchar_t* byHandle; };
    const Case cases[] = {
        {L"a", L"s:{\"b\" : 1}", L"s:{\"b\":1}"},   // source verbatim vs compact
        {L"d", L"i4:1", L"i4:2"},                   // first match vs last occurrence
        {L"list[1]", L"s:two", L"s:two"},
        {L"list.[2].x", L"i4:3", L"i4:3"},
        {L"list[3]", L"null", L"null"},
        {L"list[4]", L"empty", L"empty"},
        {L"caf\u00e9", L"true", L"true"},
        {L"nope", L"empty", L"empty"},
    };
    for (const Case& c : cases) {
        Var v;
        EXPECT_SUCCESS(json->GetValue(text, Str(c.path), v.put()));
        EXPECT_EQ(Describe(v.get()), c.byText) << c.path;
        EXPECT_SUCCESS(json->GetValueH(doc, Str(c.path), v.put()));
        EXPECT_EQ(Describe(v.get()), c.byHandle) << c.path;
    }
    Var whole;
    EXPECT_SUCCESS(json->GetValueH(doc, nullptr, whole.put()));
    EXPECT_EQ(whole.Text(), L"{\"a\":{\"b\":1},\"d\":1,\"d\":2,\"list\":[1,\"two\",{\"x\":3},null],\"caf\u00e9\":true}");

    Str s;
    EXPECT_SUCCESS(json->GetKeysH(doc, Str(L""), s.put()));
    EXPECT_EQ(s.Text(), L"[\"a\",\"d\",\"d\",\"list\",\"caf\u00e9\"]");
    EXPECT_SUCCESS(json->GetKeys(text, Str(L""), s.put()));
    EXPECT_EQ(s.Text(), L"[\"a\",\"d\",\"d\",\"list\",\"caf\\u00e9\"]") << "text keys come back as written";
    EXPECT_SUCCESS(json->GetKeysH(doc, Str(L"list"), s.put()));
    EXPECT_EQ(s.Text(), L"[]");
    EXPECT_SUCCESS(json->GetItemH(doc, Str(L"list"), 2, s.put()));
    EXPECT_EQ(s.Text(), L"{\"x\":3}");
    EXPECT_SUCCESS(json->GetItem(text, Str(L"list"), 2, s.put()));
    EXPECT_EQ(s.Text(), L"{\"x\" : 3}");
    for (LONG index : {-1L, 4L}) {
        EXPECT_SUCCESS(json->GetItemH(doc, Str(L"list"), index, s.put()));
        EXPECT_EQ(s.Text(), L"");
        EXPECT_SUCCESS(json->GetItem(text, Str(L"list"), index, s.put()));
        EXPECT_EQ(s.Text(), L"");
    }
    LONG n = 0;
    EXPECT_SUCCESS(json->CountH(doc, Str(L""), &n));
    EXPECT_EQ(n, 5) << "duplicate members count";
    EXPECT_SUCCESS(json->CountH(doc, Str(L"d"), &n));
    EXPECT_EQ(n, -1) << "a scalar is no container, and no error";
    VARIANT_BOOL e = VARIANT_FALSE;
    EXPECT_SUCCESS(json->ExistsH(doc, Str(L"list[3]"), &e));
    EXPECT_EQ(e, VARIANT_TRUE);
}

TEST_F(Engine, HandleFormsReportPathSyntaxErrors) {
    const LONG doc = Parse(L"{\"a\":[1]}");
    Var v;
    Str s;
    LONG n = 0;
    VARIANT_BOOL e = VARIANT_TRUE;
    for (const wchar_t* bad : {L"a..b", L"a.", L"[", L"a[*]", L"a]"}) {
        EXPECT_FAILURE(json->GetValueH(doc, Str(bad), v.put()), E_INVALIDARG, L"Corvane.Json: Invalid path syntax");
        EXPECT_FAILURE(json->GetItemH(doc, Str(bad), 0, s.put()), E_INVALIDARG, L"Corvane.Json: Invalid path syntax");
        EXPECT_FAILURE(json->GetKeysH(doc, Str(bad), s.put()), E_INVALIDARG, L"Corvane.Json: Invalid path syntax");
        n = 3;
        EXPECT_FAILURE(json->CountH(doc, Str(bad), &n), E_INVALIDARG, L"Corvane.Json: Invalid path syntax");
        EXPECT_EQ(n, -1);
        EXPECT_FAILURE(json->ExistsH(doc, Str(bad), &e), E_INVALIDARG, L"Corvane.Json: Invalid path syntax");
        EXPECT_EQ(e, VARIANT_FALSE);
        // The text forms read a bad path as "not found".
        EXPECT_SUCCESS(json->GetValue(Str(L"{\"a\":[1]}"), Str(bad), v.put()));
        EXPECT_EQ(v.vt(), VT_EMPTY);
        EXPECT_SUCCESS(json->exists(Str(L"{\"a\":[1]}"), Str(bad), &e));
        EXPECT_EQ(e, VARIANT_FALSE);
    }
}

TEST_F(Engine, TextCountReportsWhyItFound) {
    struct Case { const wchar_t* json; const wchar_t* path; LONG count; const wchar_t* error; };
    const Case cases[] = {
        {L"[1,2,3]", L"", 3, nullptr},
        {L"{\"a\":{\"x\":1,\"y\":2}}", L"a", 2, nullptr},
        {nullptr, L"a", -1, nullptr},
        {L"", L"", -1, nullptr},
        {L"5", L"", -1, L"JsonCount: target is not an object or array."},
        {L"{\"a\":1}", L"a..", -1, L"JsonCount: path syntax error."},
        {L"{\"a\":1}", L"b", -1, L"JsonCount: path not found."},
        {L"{\"a\":1}", L"a[0]", -1, L"JsonCount: expected array."},
        {L"{\"a\":[1]}", L"a[5]", -1, L"JsonCount: index not found."},
    };
    for (const Case& c : cases) {
        LONG n = 99;
        if (c.error) {
            EXPECT_FAILURE(json->count(Str(c.json), Str(c.path), &n), E_INVALIDARG, c.error);
        } else {
            EXPECT_SUCCESS(json->count(Str(c.json), Str(c.path), &n));
        }
        EXPECT_EQ(n, c.count) << (c.json ? c.json : L"<null>");
    }
}

TEST_F(Engine, TextExistsAndIsValid) {
    struct Case { const wchar_t* json; const wchar_t* path; bool exists; };
    for (Case c : {Case{L"{\"a\":null}", L"a", true}, Case{L"{\"a\":null}", L"b", false}, Case{L"x", L"", true},
                   Case{L"", L"", false}, Case{nullptr, L"a", false}, Case{L"[[0,[5]]]", L"[0][1][0]", true}}) {
        VARIANT_BOOL e = 7;
        EXPECT_SUCCESS(json->exists(Str(c.json), Str(c.path), &e));
        EXPECT_EQ(e, c.exists ? VARIANT_TRUE : VARIANT_FALSE) << (c.json ? c.json : L"<null>") << " " << c.path;
    }
    struct Valid { const wchar_t* json; bool valid; };
    for (Valid c : {Valid{L"{}", true}, Valid{L" 1 ", true}, Valid{L"", false}, Valid{nullptr, false},
                    Valid{L"{\"a\":1,}", false}, Valid{L"[01]", false}}) {
        VARIANT_BOOL e = 7;
        EXPECT_SUCCESS(json->isValid(Str(c.json), &e));
        EXPECT_EQ(e, c.valid ? VARIANT_TRUE : VARIANT_FALSE) << (c.json ? c.json : L"<null>");
    }
}

// ---- bulk reads ----

TEST_F(Engine, GetValuesAnswersEachStringAndEmptiesTheRest) {
    const Str text(LR"({"a":1,"b":{"c":"x"},"arr":[true]})");
    Var v;
    ArrayArg none({});
    EXPECT_SUCCESS(json->GetValues(text, none.get(), v.put()));
    EXPECT_EQ(v.vt(), VT_EMPTY);

    ArrayArg mixed({CorvaneTest::Str(L"a"), I4(5), CorvaneTest::Str(L"b.c"), CorvaneTest::Str(L""), CorvaneTest::Str(L"a..b"), CorvaneTest::Str(L"arr[0]"), R8(1.0), CorvaneTest::Str(L"missing")}, 3);
    EXPECT_SUCCESS(json->GetValues(text, mixed.get(), v.put()));
    EXPECT_EQ(CellsOf(v.get()), (Cells{L"i4:1", L"empty", L"s:x", L"s:{\"a\":1,\"b\":{\"c\":\"x\"},\"arr\":[true]}",
                                     L"empty", L"true", L"empty", L"empty"}));

    // By reference, and a reference to a VARIANT holding the array (how scripts pass variables).
    VARIANT byRef;
    VariantInit(&byRef);
    V_VT(&byRef) = VT_BYREF | VT_ARRAY | VT_VARIANT;
    V_ARRAYREF(&byRef) = mixed.ref();
    EXPECT_SUCCESS(json->GetValues(text, byRef, v.put()));
    EXPECT_EQ(CellsOf(v.get()).size(), 8u);
    VARIANT byVariantRef;
    VariantInit(&byVariantRef);
    V_VT(&byVariantRef) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&byVariantRef) = const_cast<VARIANT*>(&mixed.get());
    EXPECT_SUCCESS(json->GetValues(text, byVariantRef, v.put()));
    EXPECT_EQ(CellsOf(v.get())[0], L"i4:1");
}

TEST_F(Engine, BulkReadsRefuseWhatIsNotAnArray) {
    const LONG doc = Parse(L"[1]");
    Var v;
    VARIANT notArray = CorvaneTest::Str(L"a");
    VARIANT nullArray;
    VariantInit(&nullArray);
    V_VT(&nullArray) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&nullArray) = nullptr;
    SAFEARRAY* nothing = nullptr;
    VARIANT nullRef;
    VariantInit(&nullRef);
    V_VT(&nullRef) = VT_BYREF | VT_ARRAY | VT_VARIANT;
    V_ARRAYREF(&nullRef) = &nothing;
    VARIANT empty;
    VariantInit(&empty);

    EXPECT_FAILURE(json->GetValues(Str(L"[1]"), notArray, v.put()), E_INVALIDARG, L"Corvane.Json: pathsArray must be an array");
    EXPECT_FAILURE(json->GetValues(Str(L"[1]"), empty, v.put()), E_INVALIDARG, L"Corvane.Json: pathsArray must be an array");
    EXPECT_FAILURE(json->GetValuesH(doc, notArray, v.put()), E_INVALIDARG, L"Corvane.Json: pathsArray must be an array");
    EXPECT_FAILURE(json->GetValuesHP(doc, notArray, v.put()), E_INVALIDARG,
                   L"Corvane.Json: pathHandlesArray must be an array");
    EXPECT_FAILURE(json->GetValues(Str(L"[1]"), nullArray, v.put()), E_INVALIDARG, L"Corvane.Json: pathsArray is null");
    EXPECT_FAILURE(json->GetValuesH(doc, nullRef, v.put()), E_INVALIDARG, L"Corvane.Json: pathsArray is null");
    EXPECT_FAILURE(json->GetValuesHP(doc, nullArray, v.put()), E_INVALIDARG, L"Corvane.Json: pathHandlesArray is null");
    EXPECT_EQ(v.vt(), VT_EMPTY);
    VariantClear(&notArray);
}

TEST_F(Engine, GetValuesHReadsPathsAgainstOneDocument) {
    const LONG doc = Parse(LR"({"a":{"b":[5,6]},"s":"t"})");
    ArrayArg paths({CorvaneTest::Str(L"a.b[1]"), CorvaneTest::Str(L""), CorvaneTest::Str(L"a..b"), CorvaneTest::Str(L"nope"), I4(1), CorvaneTest::Str(L"s")});
    Var v;
    EXPECT_SUCCESS(json->GetValuesH(doc, paths.get(), v.put()));
    EXPECT_EQ(CellsOf(v.get()), (Cells{L"i4:6", L"s:{\"a\":{\"b\":[5,6]},\"s\":\"t\"}", L"empty", L"empty", L"empty", L"s:t"}));

    // A typed string array (a VBA `Dim p(1) As String`) is read the same way.
    SAFEARRAYBOUND bound{2, 1};
    SAFEARRAY* strings = SafeArrayCreate(VT_BSTR, 1, &bound);
    BSTR* data = nullptr;
    SafeArrayAccessData(strings, reinterpret_cast<void**>(&data));
    data[0] = SysAllocString(L"s");
    data[1] = nullptr;   // a null string is the root
    SafeArrayUnaccessData(strings);
    VARIANT arg;
    V_VT(&arg) = VT_ARRAY | VT_BSTR;
    V_ARRAY(&arg) = strings;
    EXPECT_SUCCESS(json->GetValuesH(doc, arg, v.put()));
    EXPECT_EQ(CellsOf(v.get()), (Cells{L"s:t", L"s:{\"a\":{\"b\":[5,6]},\"s\":\"t\"}"}));
    VariantClear(&arg);
}

TEST_F(Engine, GetValuesHPTakesPathHandlesAsI4OrI2) {
    const LONG doc = Parse(LR"({"a":1,"b":[2,3]})");
    const LONG a = Compile(L"a");
    const LONG root = Compile(L"");
    const LONG b1 = Compile(L"b[1]");
    ArrayArg handles({I4(a), I2(static_cast<SHORT>(b1)), I4(99), I4(0), CorvaneTest::Str(L"a"), R8(1), I4(root)});
    Var v;
    EXPECT_SUCCESS(json->GetValuesHP(doc, handles.get(), v.put()));
    EXPECT_EQ(CellsOf(v.get()), (Cells{L"i4:1", L"i4:3", L"empty", L"empty", L"empty", L"empty", L"s:{\"a\":1,\"b\":[2,3]}"}));

    // A typed Long array.
    SAFEARRAYBOUND bound{2, 0};
    SAFEARRAY* longs = SafeArrayCreate(VT_I4, 1, &bound);
    LONG* data = nullptr;
    SafeArrayAccessData(longs, reinterpret_cast<void**>(&data));
    data[0] = b1;
    data[1] = a;
    SafeArrayUnaccessData(longs);
    VARIANT arg;
    V_VT(&arg) = VT_ARRAY | VT_I4;
    V_ARRAY(&arg) = longs;
    EXPECT_SUCCESS(json->GetValuesHP(doc, arg, v.put()));
    EXPECT_EQ(CellsOf(v.get()), (Cells{L"i4:3", L"i4:1"}));
    VariantClear(&arg);
}

TEST_F(Engine, BulkReadsUseOnlyTheFirstDimension) {
    // A 3 x 2 array: the first dimension has three rows; column 0 is read.
    SAFEARRAYBOUND bounds[2] = {{3, 0}, {2, 0}};
    SAFEARRAY* grid = SafeArrayCreate(VT_VARIANT, 2, bounds);
    const wchar_t* cells[3][2] = {{L"a", L"x"}, {L"b", L"y"}, {L"c", L"z"}};
    for (LONG r = 0; r < 3; ++r)
        for (LONG c = 0; c < 2; ++c) {
            LONG index[2] = {r, c};
            VARIANT s = CorvaneTest::Str(cells[r][c]);
            SafeArrayPutElement(grid, index, &s);
            VariantClear(&s);
        }
    VARIANT arg;
    V_VT(&arg) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(&arg) = grid;
    Var v;
    EXPECT_SUCCESS(json->GetValues(Str(LR"({"a":1,"b":2,"c":3,"x":0,"y":0,"z":0})"), arg, v.put()));
    EXPECT_EQ(CellsOf(v.get()), (Cells{L"i4:1", L"i4:2", L"i4:3"}));
    VariantClear(&arg);
}

// ---- members that only produce text ----

TEST_F(Engine, CreateObjectAndArray) {
    Str s;
    EXPECT_SUCCESS(json->CreateObject(s.put()));
    EXPECT_EQ(s.Text(), L"{}");
    EXPECT_SUCCESS(json->CreateArray(s.put()));
    EXPECT_EQ(s.Text(), L"[]");
}

TEST_F(Engine, NullOutPointersAreRefused) {
    Str text(L"{\"a\":[1]}");
    Str path(L"a");
    VARIANT value = I4(1);
    ArrayArg paths({CorvaneTest::Str(L"a")});
    const LONG doc = Parse(L"{\"a\":[1]}");
    const LONG p = Compile(L"a");
    const std::function<HRESULT()> calls[] = {
        [&] { return json->GetValue(text, path, nullptr); },
        [&] { return json->GetItem(text, path, 0, nullptr); },
        [&] { return json->GetKeys(text, path, nullptr); },
        [&] { return json->count(text, path, nullptr); },
        [&] { return json->exists(text, path, nullptr); },
        [&] { return json->isValid(text, nullptr); },
        [&] { return json->CreateObject(nullptr); },
        [&] { return json->CreateArray(nullptr); },
        [&] { return json->SetValue(text, path, value, nullptr); },
        [&] { return json->Remove(text, path, nullptr); },
        [&] { return json->Append(text, path, value, nullptr); },
        [&] { return json->Insert(text, path, 0, value, nullptr); },
        [&] { return json->Clear(text, path, nullptr); },
        [&] { return json->Merge(text, text, VARIANT_TRUE, nullptr); },
        [&] { return json->PrettyPrint(text, nullptr); },
        [&] { return json->Flatten(text, nullptr); },
        [&] { return json->Unflatten(text, nullptr); },
        [&] { return json->ToArray(text, nullptr); },
        [&] { return json->ToRowArray(text, nullptr); },
        [&] { return json->BuildJson(value, nullptr); },
        [&] { return json->UnwrapString(text, nullptr); },
        [&] { return json->Compact(text, path, nullptr); },
        [&] { return json->get_MaxSize(nullptr); },
        [&] { return json->Parse(text, nullptr); },
        [&] { return json->GetValueH(doc, path, nullptr); },
        [&] { return json->GetItemH(doc, path, 0, nullptr); },
        [&] { return json->GetKeysH(doc, path, nullptr); },
        [&] { return json->CountH(doc, path, nullptr); },
        [&] { return json->ExistsH(doc, path, nullptr); },
        [&] { return json->CompilePath(path, nullptr); },
        [&] { return json->GetValueHP(doc, p, nullptr); },
        [&] { return json->GetItemHP(doc, p, 0, nullptr); },
        [&] { return json->CountHP(doc, p, nullptr); },
        [&] { return json->ExistsHP(doc, p, nullptr); },
        [&] { return json->GetValues(text, paths.get(), nullptr); },
        [&] { return json->GetValuesH(doc, paths.get(), nullptr); },
        [&] { return json->GetValuesHP(doc, paths.get(), nullptr); },
    };
    int i = 0;
    for (const auto& call : calls) {
        SetErrorInfo(0, nullptr);
        EXPECT_EQ(call(), E_POINTER) << "call #" << i;
        EXPECT_TRUE(TakeError().present) << "call #" << i;
        ++i;
    }
    // Nothing was stored by the refused Parse and CompilePath.
    EXPECT_EQ(Parse(L"1"), 2);
    EXPECT_EQ(Compile(L"b"), 2);
}

// ---- editing and conversion members: the COM layer's part ----

TEST_F(Engine, EditsReturnTheNewTextOrTheOperationsFailure) {
    VARIANT nine = I4(9);
    VARIANT objectText = CorvaneTest::Str(L"{\"b\":1}");
    Str s;
    EXPECT_SUCCESS(json->SetValue(Str(L"{}"), Str(L"a"), objectText, s.put()));
    EXPECT_EQ(s.Text(), L"{\"a\":\"{\\\"b\\\":1}\"}") << "a string value is stored as a string";
    EXPECT_SUCCESS(json->SetValue(Str(L"[1,2]"), Str(L"[5]"), nine, s.put()));
    EXPECT_EQ(s.Text(), L"[1,2,null,null,null,9]");
    EXPECT_FAILURE(json->SetValue(Str(L"[1]"), Str(L"a"), nine, s.put()), E_INVALIDARG,
                   L"JsonSetValue: path expects object but root is array.");
    EXPECT_TRUE(s.IsNull()) << "a failed edit hands back no string";

    EXPECT_SUCCESS(json->Insert(Str(L"[1,2]"), Str(L""), 2, nine, s.put()));
    EXPECT_EQ(s.Text(), L"[1,2,9]");
    EXPECT_FAILURE(json->Insert(Str(L"[1,2]"), Str(L""), 3, nine, s.put()), kEBounds,
                   L"JsonInsert: index 3 exceeds array length 2.");
    EXPECT_SUCCESS(json->Append(Str(L"{}"), Str(L"list"), nine, s.put()));
    EXPECT_EQ(s.Text(), L"{\"list\":[9]}");
    EXPECT_FAILURE(json->Append(Str(L"{\"list\":5}"), Str(L"list"), nine, s.put()), E_INVALIDARG,
                   L"JsonAppend: value at path list is not an array.");
    EXPECT_SUCCESS(json->Remove(Str(L"{\"a\":1, \"b\":2}"), Str(L"b"), s.put()));
    EXPECT_EQ(s.Text(), L"{\"a\":1}");
    EXPECT_FAILURE(json->Remove(Str(L"{}"), Str(L""), s.put()), E_INVALIDARG, L"JsonRemoveKey: cannot remove root.");
    EXPECT_SUCCESS(json->Clear(Str(L"{\"a\":[1,2]}"), Str(L"a"), s.put()));
    EXPECT_EQ(s.Text(), L"{\"a\":[]}");
    EXPECT_SUCCESS(json->Merge(Str(L"{\"a\":{\"x\":1},\"b\":1}"), Str(L"{\"a\":{\"y\":2},\"c\":3}"), VARIANT_TRUE, s.put()));
    EXPECT_EQ(s.Text(), L"{\"a\":{\"x\":1,\"y\":2},\"b\":1,\"c\":3}");
    EXPECT_SUCCESS(json->Merge(Str(L"{\"a\":{\"x\":1},\"b\":1}"), Str(L"{\"a\":{\"y\":2},\"c\":3}"), VARIANT_FALSE, s.put()));
    EXPECT_EQ(s.Text(), L"{\"a\":{\"y\":2},\"b\":1,\"c\":3}");
    EXPECT_FAILURE(json->Merge(Str(L"[]"), Str(L"{}"), VARIANT_TRUE, s.put()), E_INVALIDARG,
                   L"JsonMerge: first argument is not an object.");
    EXPECT_SUCCESS(json->Compact(Str(L"[1,null, 2,\"null\"]"), Str(L""), s.put()));
    EXPECT_EQ(s.Text(), L"[1,2,\"null\"]");
    EXPECT_SUCCESS(json->PrettyPrint(Str(L"{\"a\":[1]}"), s.put()));
    EXPECT_EQ(s.Text(), L"{\n  \"a\": [\n    1\n  ]\n}");
    EXPECT_SUCCESS(json->Flatten(Str(L"{\"a\":{\"b\":1},\"c\":[true,{}]}"), s.put()));
    EXPECT_EQ(s.Text(), L"{\"c[0]\":true,\"c[1]\":{},\"a.b\":1}");
    EXPECT_SUCCESS(json->Unflatten(Str(L"{\"a.b\":1,\"c[1]\":true}"), s.put()));
    EXPECT_EQ(s.Text(), L"{\"a\":{\"b\":1},\"c\":[null,true]}");
    EXPECT_FAILURE(json->Flatten(Str(L"5"), s.put()), E_INVALIDARG, L"JsonFlatten: input must be object or array.");
    EXPECT_SUCCESS(json->UnwrapString(Str(L"\"a\\\"b\""), s.put()));
    EXPECT_EQ(s.Text(), L"a\"b");
    EXPECT_SUCCESS(json->UnwrapString(nullptr, s.put()));
    EXPECT_EQ(s.Text(), L"");
    VariantClear(&objectText);
}

TEST_F(Engine, EditsConvertHostValuesAndLeaveTheHandlesAlone) {
    const LONG doc = Parse(L"{\"a\":1}");
    struct Case { VARIANT value; const wchar_t* json; };
    VARIANT byRef;
    VARIANT target = I4(42);
    V_VT(&byRef) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&byRef) = &target;
    VARIANT empty;
    VariantInit(&empty);
    VARIANT boolean;
    V_VT(&boolean) = VT_BOOL;
    V_BOOL(&boolean) = VARIANT_TRUE;
    const Case cases[] = {{byRef, L"{\"a\":42}"}, {empty, L"{\"a\":null}"}, {boolean, L"{\"a\":true}"},
                          {R8(1.5), L"{\"a\":1.5}"}};
    for (const Case& c : cases) {
        Str s;
        EXPECT_SUCCESS(json->SetValue(Str(L"{\"a\":1}"), Str(L"a"), c.value, s.put()));
        EXPECT_EQ(s.Text(), c.json);
    }
    EXPECT_EQ(ValueH(doc, L"a"), L"i4:1");

    Str built;
    ArrayArg list({I4(1), CorvaneTest::Str(L"a"), empty});
    EXPECT_SUCCESS(json->BuildJson(list.get(), built.put()));
    EXPECT_EQ(built.Text(), L"[1,\"a\",null]");
}

TEST_F(Engine, ToRowArrayBuildsAHeaderedGridOrReports) {
    Var v;
    EXPECT_SUCCESS(json->ToRowArray(Str(LR"([{"a":1},{"b":"x"},5])"), v.put()));
    ASSERT_EQ(v.vt(), VT_ARRAY | VT_VARIANT);
    SAFEARRAY* grid = V_ARRAY(&v);
    ASSERT_EQ(SafeArrayGetDim(grid), 2u);
    LONG lb = 0, ub = 0;
    SafeArrayGetLBound(grid, 1, &lb);
    SafeArrayGetUBound(grid, 1, &ub);
    EXPECT_EQ(lb, 1);
    EXPECT_EQ(ub, 3);
    SafeArrayGetUBound(grid, 2, &ub);
    EXPECT_EQ(ub, 2);
    struct Cell { LONG r, c; const wchar_t* value; };
    for (Cell cell : {Cell{1, 1, L"s:a"}, Cell{1, 2, L"s:b"}, Cell{2, 1, L"i4:1"}, Cell{2, 2, L"null"},
                      Cell{3, 1, L"null"}, Cell{3, 2, L"s:x"}}) {
        LONG index[2] = {cell.r, cell.c};
        Var item;
        SafeArrayGetElement(grid, index, item.put());
        EXPECT_EQ(Describe(item.get()), cell.value) << cell.r << "," << cell.c;
    }
    EXPECT_FAILURE(json->ToRowArray(Str(L"[1,2]"), v.put()), E_INVALIDARG, L"JsonToRowArray: no data rows found.");
    EXPECT_EQ(v.vt(), VT_EMPTY);
    EXPECT_FAILURE(json->ToRowArray(nullptr, v.put()), E_INVALIDARG, L"Corvane.Json: Empty JSON string");
    json->put_MaxSize(1024);
    EXPECT_FAILURE(json->ToRowArray(Str(L"[{\"a\":\"" + std::wstring(600, L'x') + L"\"}]"), v.put()), E_FAIL,
                   L"Corvane.Json: JSON exceeds maximum size");
}

// ---- what a late-bound host sees ----

TEST_F(Engine, DispatchCarriesTheDescriptionAndHresult) {
    VARIANT args[2];
    VariantInit(&args[0]);
    V_VT(&args[0]) = VT_BSTR;   // the path, last argument first
    V_BSTR(&args[0]) = SysAllocString(L"");
    V_VT(&args[1]) = VT_I4;
    V_I4(&args[1]) = 99;
    DISPPARAMS params = {args, nullptr, 2, 0};
    Var result;
    EXCEPINFO excep = {};
    const HRESULT hr = disp->Invoke(0x67, IID_NULL, 0x409, DISPATCH_METHOD, &params, result.put(), &excep, nullptr);
    ASSERT_EQ(hr, DISP_E_EXCEPTION);
    EXPECT_EQ(excep.scode, kEHandle);
    EXPECT_STREQ(excep.bstrSource, L"Corvane");
    EXPECT_STREQ(excep.bstrDescription, L"Corvane.Json: Invalid JSON handle: 99");
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    VariantClear(&args[0]);

    // MaxSize as a property, with a value the host coerces.
    VARIANT size;
    V_VT(&size) = VT_BSTR;
    V_BSTR(&size) = SysAllocString(L"5");
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put = {&size, &named, 1, 1};
    EXPECT_EQ(disp->Invoke(0x46, IID_NULL, 0x409, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr), S_OK);
    VariantClear(&size);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(disp->Invoke(0x46, IID_NULL, 0x409, DISPATCH_PROPERTYGET, &none, result.put(), nullptr, nullptr), S_OK);
    EXPECT_EQ(Describe(result.get()), L"i4:1024");
}

}  // namespace
