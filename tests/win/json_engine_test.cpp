// The JSON engine object through its interface and through IDispatch, created
// with the DLL's Corvane_CreateJson export: what the COM layer adds to the
// portable core (whose rules are tested natively): HRESULTs and error
// information, handles behind COM calls, VARIANT answers, BSTR and SAFEARRAY
// arguments.
#include <functional>
#include <string>
#include <vector>

#include "corvane_h.h"
#include "win_test_support.h"

using namespace CorvaneTest;

namespace {

using CreateFn = IDispatch*(WINAPI*)();

class Variant {
public:
    Variant(VARIANT v = Var(VT_EMPTY)) : v_(v) {}
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }
    VARIANT* put() { VariantClear(&v_); return &v_; }
    operator const VARIANT&() const { return v_; }
    VARIANT& get() { return v_; }
    VARTYPE vt() const { return V_VT(&v_); }

private:
    VARIANT v_;
};

// Takes the thread's error object (which clears it): "source|description", or "none".
std::wstring TakeError() {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return L"none";
    BSTR d = nullptr, s = nullptr;
    info->GetDescription(&d);
    info->GetSource(&s);
    info->Release();
    return TakeBstr(s) + L"|" + TakeBstr(d);
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

#define EXPECT_FAILURE(call, expectedHr, description)                                        \
    do {                                                                                      \
        SetErrorInfo(0, nullptr);                                                             \
        EXPECT_EQ((call), static_cast<HRESULT>(expectedHr)) << #call;                         \
        EXPECT_EQ(TakeError(), L"Corvane|" + std::wstring(description)) << #call;             \
    } while (0)

#define EXPECT_SUCCESS(call)                                                                 \
    do {                                                                                      \
        PlantStaleError();                                                                    \
        EXPECT_EQ((call), S_OK) << #call;                                                     \
        EXPECT_EQ(TakeError(), L"none") << #call << ": stale error information left behind"; \
    } while (0)

constexpr HRESULT kEHandle = static_cast<HRESULT>(0x80070006);

std::wstring Describe(const VARIANT& v) {
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

using Cells = std::vector<std::wstring>;

// The cells of a 0-based 1-D VT_ARRAY|VT_VARIANT result, described.
Cells CellsOf(const VARIANT& v) {
    if (V_VT(&v) != (VT_ARRAY | VT_VARIANT)) return {L"not an array: " + Describe(v)};
    LONG lb = -1, ub = -1;
    EXPECT_EQ(SafeArrayGetDim(V_ARRAY(&v)), 1u);
    SafeArrayGetLBound(V_ARRAY(&v), 1, &lb);
    SafeArrayGetUBound(V_ARRAY(&v), 1, &ub);
    EXPECT_EQ(lb, 0);
    Cells out;
    for (LONG i = lb; i <= ub; ++i) {
        Variant cell;
        SafeArrayGetElement(V_ARRAY(&v), &i, cell.put());
        out.push_back(Describe(cell));
    }
    return out;
}

// An empty VT_ARRAY argument of `vt` elements with these bounds.
VARIANT ArrayOf(VARTYPE vt, std::vector<SAFEARRAYBOUND> bounds) {
    VARIANT v = Var(VT_ARRAY | vt);
    V_ARRAY(&v) = SafeArrayCreate(vt, static_cast<UINT>(bounds.size()), bounds.data());
    return v;
}

// A 1-D VT_VARIANT array argument holding `items` (taken over) from `lowerBound`.
VARIANT VariantList(std::vector<VARIANT> items, LONG lowerBound = 0) {
    VARIANT v = ArrayOf(VT_VARIANT, {{static_cast<ULONG>(items.size()), lowerBound}});
    for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
        LONG index = lowerBound + i;
        SafeArrayPutElement(V_ARRAY(&v), &index, &items[i]);
        VariantClear(&items[i]);
    }
    return v;
}

class Engine : public ::testing::Test {
protected:
    void SetUp() override {
        disp = Export<CreateFn>("Corvane_CreateJson")();
        ASSERT_NE(disp, nullptr);
        ASSERT_EQ(disp->QueryInterface(IID_ICVNJson, reinterpret_cast<void**>(&json)), S_OK);
    }
    void TearDown() override {
        for (BSTR s : pool) SysFreeString(s);
        if (json) json->Release();
        if (disp) {
            EXPECT_EQ(disp->Release(), 0u);
        }
    }

    // A BSTR argument that lives until the test ends.
    BSTR B(const std::wstring& text) { return pool.emplace_back(SysAllocStringLen(text.data(), UINT(text.size()))); }
    LONG Parse(const wchar_t* text) {
        LONG h = -1;
        EXPECT_EQ(json->Parse(B(text), &h), S_OK) << text;
        return h;
    }
    LONG Compile(const wchar_t* path) {
        LONG h = -1;
        EXPECT_EQ(json->CompilePath(B(path), &h), S_OK);
        return h;
    }
    // The text, number, flag or value a successful call hands back.
    std::wstring Text(const std::function<HRESULT(BSTR*)>& call) {
        BSTR out = nullptr;
        EXPECT_SUCCESS(call(&out));
        return out ? TakeBstr(out) : L"<null>";
    }
    LONG Number(const std::function<HRESULT(LONG*)>& call) {
        LONG n = 99;
        EXPECT_SUCCESS(call(&n));
        return n;
    }
    bool Flag(const std::function<HRESULT(VARIANT_BOOL*)>& call) {
        VARIANT_BOOL b = 7;
        EXPECT_SUCCESS(call(&b));
        EXPECT_TRUE(b == VARIANT_TRUE || b == VARIANT_FALSE);
        return b == VARIANT_TRUE;
    }
    std::wstring Value(const std::function<HRESULT(VARIANT*)>& call) {
        Variant v;
        EXPECT_SUCCESS(call(v.put()));
        return v.vt() == (VT_ARRAY | VT_VARIANT) ? L"array" : Describe(v);
    }

    std::vector<BSTR> pool;
    IDispatch* disp = nullptr;
    ICVNJson* json = nullptr;
};

// ---- handles through COM (the numbering rules are the native handle table's) ----

TEST_F(Engine, ReleasesAreSilentAndReleaseAllEmptiesBothTables) {
    EXPECT_EQ(Parse(L"[1]"), 1);
    EXPECT_EQ(Parse(L"[2]"), 2);
    EXPECT_EQ(Compile(L"[0]"), 1);
    EXPECT_EQ(Compile(L"b"), 2);
    for (LONG h : {0L, -5L, 99L, 1L, 1L}) EXPECT_SUCCESS(json->ReleaseHandle(h));
    for (LONG h : {0L, 42L, 2L, 2L}) EXPECT_SUCCESS(json->ReleasePath(h));
    Variant v;
    EXPECT_FAILURE(json->GetValueH(1, B(L""), v.put()), kEHandle, L"Corvane.Json: Invalid JSON handle: 1");
    EXPECT_FAILURE(json->GetValueHP(2, 2, v.put()), kEHandle, L"Corvane.Json: Invalid path handle: 2");
    EXPECT_EQ(Value([&](VARIANT* v) { return json->GetValueHP(2, 1, v); }), L"i4:2");
    EXPECT_SUCCESS(json->ReleaseAll());
    EXPECT_FAILURE(json->GetValueH(2, B(L""), v.put()), kEHandle, L"Corvane.Json: Invalid JSON handle: 2");
    EXPECT_EQ(Parse(L"[5]"), 1);
    EXPECT_FAILURE(json->GetValueHP(1, 1, v.put()), kEHandle, L"Corvane.Json: Invalid path handle: 1");
}

TEST_F(Engine, TwoEnginesShareNothing) {
    IDispatch* other = Export<CreateFn>("Corvane_CreateJson")();
    ICVNJson* second = nullptr;
    ASSERT_EQ(other->QueryInterface(IID_ICVNJson, reinterpret_cast<void**>(&second)), S_OK);
    other->Release();
    EXPECT_EQ(Parse(L"{\"who\":\"first\"}"), 1);
    LONG h = 0;
    EXPECT_EQ(second->Parse(B(L"{\"who\":\"second\"}"), &h), S_OK);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(second->ReleaseAll(), S_OK);
    EXPECT_EQ(Value([&](VARIANT* v) { return json->GetValueH(1, B(L"who"), v); }), L"s:first");
    EXPECT_EQ(second->Release(), 0u);
}

TEST_F(Engine, InvalidHandlesReportEHandleWithTheNumber) {
    const LONG doc = Parse(L"{\"a\":[1,2]}");
    const LONG path = Compile(L"a");
    Variant v, paths(VariantList({Str(L"a")})), handles(VariantList({I4(path)}));
    BSTR s = nullptr;
    LONG n = 5;
    VARIANT_BOOL b = VARIANT_TRUE;
    struct Case {
        const wchar_t* description;
        std::function<HRESULT()> call;
    };
    const Case cases[] = {
        {L"Corvane.Json: Invalid JSON handle: 99", [&] { return json->GetValueH(99, B(L""), v.put()); }},
        {L"Corvane.Json: Invalid JSON handle: 0", [&] { return json->GetItemH(0, B(L"a"), 0, &s); }},
        {L"Corvane.Json: Invalid JSON handle: -3", [&] { return json->GetKeysH(-3, B(L""), &s); }},
        {L"Corvane.Json: Invalid JSON handle: 2", [&] { return json->CountH(2, B(L"a"), &n); }},
        {L"Corvane.Json: Invalid JSON handle: 2", [&] { return json->ExistsH(2, B(L"a"), &b); }},
        {L"Corvane.Json: Invalid JSON handle: 7", [&] { return json->GetValueHP(7, path, v.put()); }},
        {L"Corvane.Json: Invalid path handle: 0", [&] { return json->GetItemHP(doc, 0, 0, &s); }},
        {L"Corvane.Json: Invalid path handle: -1", [&] { return json->CountHP(doc, -1, &n); }},
        {L"Corvane.Json: Invalid path handle: 2", [&] { return json->ExistsHP(doc, 2, &b); }},
        {L"Corvane.Json: Invalid JSON handle: 9", [&] { return json->GetValuesH(9, paths, v.put()); }},
        {L"Corvane.Json: Invalid JSON handle: 9", [&] { return json->GetValuesHP(9, handles, v.put()); }},
    };
    for (const Case& c : cases) {
        EXPECT_FAILURE(c.call(), kEHandle, c.description);
        EXPECT_EQ(v.vt(), VT_EMPTY) << c.description;
        EXPECT_EQ(s, nullptr) << c.description;
    }
    EXPECT_EQ(n, -1) << "a count answers -1";
    EXPECT_EQ(b, VARIANT_FALSE);
}

// ---- Parse, the size limit and ToArray ----

TEST_F(Engine, ParseRefusesEmptyOversizeAndMalformedTextAndStoresNothing) {
    LONG h = 77;
    EXPECT_FAILURE(json->Parse(nullptr, &h), E_INVALIDARG, L"Corvane.Json: Empty JSON string");
    EXPECT_EQ(h, 0);
    EXPECT_FAILURE(json->Parse(B(L"[1,2"), &h), E_INVALIDARG, L"Corvane.Json: Unterminated array");
    EXPECT_EQ(Parse(L"true"), 1) << "failed parses take no slot";

    EXPECT_SUCCESS(json->put_MaxSize(0));
    EXPECT_EQ(Number([&](LONG* n) { return json->get_MaxSize(n); }), 1024) << "clamped to the smallest limit";
    // 513 code units are 1026 bytes: over. 512 pass the size test.
    const std::wstring big = L"\"" + std::wstring(510, L'x') + L"\"";
    EXPECT_FAILURE(json->Parse(B(big + L" "), &h), E_FAIL, L"Corvane.Json: JSON exceeds maximum size");
    EXPECT_EQ(Number([&](LONG* n) { return json->Parse(B(big), n); }), 2);
    // The limit is also the memory budget of the tree: many small elements fit
    // the size test but not the budget.
    std::wstring many = L"[0";
    for (int i = 1; i < 100; ++i) many += L",0";
    many += L"]";
    EXPECT_FAILURE(json->Parse(B(many), &h), E_INVALIDARG, L"Corvane.Json: DOM build exceeded memory limit");
    EXPECT_SUCCESS(json->put_MaxSize(1048576));
    EXPECT_SUCCESS(json->Parse(B(many), &h));
}

TEST_F(Engine, ToArrayAndToRowArrayValidateOrReport) {
    EXPECT_EQ(Value([&](VARIANT* v) { return json->ToArray(B(L" \"s\" "), v); }), L"s: \"s\" ");
    Variant v;
    EXPECT_FAILURE(json->ToArray(nullptr, v.put()), E_INVALIDARG, L"Corvane.Json: Empty JSON string");
    EXPECT_FAILURE(json->ToArray(B(L"[1,"), v.put()), E_INVALIDARG, L"Corvane.Json: Invalid JSON");
    EXPECT_FAILURE(json->ToRowArray(B(L"[1,2]"), v.put()), E_INVALIDARG, L"JsonToRowArray: no data rows found.");
    EXPECT_EQ(v.vt(), VT_EMPTY);
    json->put_MaxSize(1024);
    EXPECT_FAILURE(json->ToArray(B(std::wstring(513, L' ')), v.put()), E_FAIL, L"Corvane.Json: JSON exceeds maximum size");
    EXPECT_FAILURE(json->ToRowArray(B(L"[{\"a\":\"" + std::wstring(600, L'x') + L"\"}]"), v.put()), E_FAIL,
                   L"Corvane.Json: JSON exceeds maximum size");

    EXPECT_SUCCESS(json->ToRowArray(B(LR"([{"a":1},{"b":"x"}])"), v.put()));
    ASSERT_EQ(v.vt(), VT_ARRAY | VT_VARIANT);
    LONG lb = 0, rows = 0, cols = 0, at[2] = {3, 2};
    SafeArrayGetLBound(V_ARRAY(&v.get()), 1, &lb);
    SafeArrayGetUBound(V_ARRAY(&v.get()), 1, &rows);
    SafeArrayGetUBound(V_ARRAY(&v.get()), 2, &cols);
    EXPECT_EQ(lb * 100 + rows * 10 + cols, 132) << "1-based, a header row and two data rows, two columns";
    Variant cell;
    SafeArrayGetElement(V_ARRAY(&v.get()), at, cell.put());
    EXPECT_EQ(Describe(cell), L"s:x");
}

// ---- queries: VARIANT answers, each member's wiring, path errors ----

TEST_F(Engine, QueriesAnswerTypedVariants) {
    const wchar_t* text = LR"({"a":{"b" : 1},"list":[1,"two",2.5,true,null]})";
    const LONG doc = Parse(text);
    const LONG item2 = Compile(L"list[2]");
    struct Case { const wchar_t* path; const wchar_t* value; };
    for (const Case& c : {Case{L"a.b", L"i4:1"}, Case{L"list[1]", L"s:two"}, Case{L"list[2]", L"r8:2.500000"},
                          Case{L"list[3]", L"true"}, Case{L"list[4]", L"null"}, Case{L"list[5]", L"empty"},
                          Case{L"a", L"s:{\"b\":1}"}}) {
        EXPECT_EQ(Value([&](VARIANT* v) { return json->GetValueH(doc, B(c.path), v); }), c.value) << c.path;
    }
    EXPECT_EQ(Value([&](VARIANT* v) { return json->GetValue(B(text), B(L"a"), v); }), L"s:{\"b\" : 1}");
    EXPECT_EQ(Value([&](VARIANT* v) { return json->GetValueHP(doc, item2, v); }), L"r8:2.500000");
    EXPECT_EQ(Value([&](VARIANT* v) { return json->GetValueH(doc, nullptr, v); }).substr(0, 8), L"s:{\"a\":{")
        << "a null path is the root";
    EXPECT_EQ(Text([&](BSTR* s) { return json->GetKeysH(doc, B(L""), s); }), L"[\"a\",\"list\"]");
    EXPECT_EQ(Text([&](BSTR* s) { return json->GetKeys(B(text), B(L"a"), s); }), L"[\"b\"]");
    EXPECT_EQ(Text([&](BSTR* s) { return json->GetItemH(doc, B(L"list"), 1, s); }), L"two");
    EXPECT_EQ(Text([&](BSTR* s) { return json->GetItemHP(doc, Compile(L"list"), 0, s); }), L"1");
    EXPECT_EQ(Text([&](BSTR* s) { return json->GetItem(B(text), B(L"list"), 4, s); }), L"null");
    EXPECT_EQ(Number([&](LONG* n) { return json->CountH(doc, B(L"list"), n); }), 5);
    EXPECT_EQ(Number([&](LONG* n) { return json->CountHP(doc, item2, n); }), -1) << "a scalar: no container, no error";
    EXPECT_EQ(Number([&](LONG* n) { return json->count(B(text), B(L"list"), n); }), 5);
    EXPECT_EQ(Number([&](LONG* n) { return json->count(nullptr, B(L"a"), n); }), -1);
    EXPECT_TRUE(Flag([&](VARIANT_BOOL* b) { return json->ExistsH(doc, B(L"list[4]"), b); }));
    EXPECT_TRUE(Flag([&](VARIANT_BOOL* b) { return json->ExistsHP(doc, item2, b); }));
    EXPECT_FALSE(Flag([&](VARIANT_BOOL* b) { return json->exists(B(text), B(L"zz"), b); }));
    EXPECT_TRUE(Flag([&](VARIANT_BOOL* b) { return json->isValid(B(text), b); }));
    EXPECT_FALSE(Flag([&](VARIANT_BOOL* b) { return json->isValid(nullptr, b); }));
}

TEST_F(Engine, PathSyntaxErrorsAreReportedByHandleFormsAndCount) {
    const LONG doc = Parse(L"{\"a\":[1]}");
    Variant v;
    BSTR s = nullptr;
    LONG n = 3;
    VARIANT_BOOL e = VARIANT_TRUE;
    for (const std::function<HRESULT()>& call : std::initializer_list<std::function<HRESULT()>>{
             [&] { return json->GetValueH(doc, B(L"a..b"), v.put()); }, [&] { return json->GetItemH(doc, B(L"a."), 0, &s); },
             [&] { return json->GetKeysH(doc, B(L"["), &s); }, [&] { return json->CountH(doc, B(L"a[*]"), &n); },
             [&] { return json->ExistsH(doc, B(L"a]"), &e); }})
        EXPECT_FAILURE(call(), E_INVALIDARG, L"Corvane.Json: Invalid path syntax");
    EXPECT_EQ(n, -1);
    EXPECT_EQ(e, VARIANT_FALSE);
    EXPECT_FAILURE(json->CompilePath(B(L"a[-1]"), &n), E_INVALIDARG, L"Corvane.Json: Invalid path syntax: 'a[-1]'");
    EXPECT_EQ(n, 0);
    EXPECT_EQ(Compile(L"b"), 1) << "a refused path takes no slot";
    // The text forms read a bad path as "not found", except count, which says why it found nothing.
    EXPECT_EQ(Value([&](VARIANT* v) { return json->GetValue(B(L"{\"a\":[1]}"), B(L"a..b"), v); }), L"empty");
    n = 99;
    EXPECT_FAILURE(json->count(B(L"{\"a\":[1]}"), B(L"a[5]"), &n), E_INVALIDARG, L"JsonCount: index not found.");
    EXPECT_EQ(n, -1);
}

// ---- bulk reads over SAFEARRAYs ----

TEST_F(Engine, GetValuesAnswersEachStringAndEmptiesTheRest) {
    BSTR text = B(LR"({"a":1,"b":{"c":"x"}})");
    Variant v, none(VariantList({}));
    EXPECT_EQ(Value([&](VARIANT* v) { return json->GetValues(text, none, v); }), L"empty");
    Variant mixed(VariantList({Str(L"a"), I4(5), Str(L"b.c"), Str(L""), Str(L"a..b"), Str(L"missing")}, 3));
    const Cells expected{L"i4:1", L"empty", L"s:x", L"s:{\"a\":1,\"b\":{\"c\":\"x\"}}", L"empty", L"empty"};
    EXPECT_SUCCESS(json->GetValues(text, mixed, v.put()));
    EXPECT_EQ(CellsOf(v), expected);
    // By reference, and a reference to a VARIANT holding the array (how scripts pass variables).
    VARIANT byRef = Var(VT_BYREF | VT_ARRAY | VT_VARIANT), byVariantRef = Var(VT_BYREF | VT_VARIANT);
    V_ARRAYREF(&byRef) = &V_ARRAY(&mixed.get());
    V_VARIANTREF(&byVariantRef) = &mixed.get();
    for (const VARIANT& arg : {byRef, byVariantRef}) {
        EXPECT_SUCCESS(json->GetValues(text, arg, v.put()));
        EXPECT_EQ(CellsOf(v), expected);
    }
}

TEST_F(Engine, BulkReadsRefuseWhatIsNotAnArray) {
    const LONG doc = Parse(L"[1]");
    Variant v, notArray(Str(L"a")), empty;
    VARIANT nullArray = Var(VT_ARRAY | VT_VARIANT), nullRef = Var(VT_BYREF | VT_ARRAY | VT_VARIANT);
    SAFEARRAY* nothing = nullptr;
    V_ARRAYREF(&nullRef) = &nothing;
    const wchar_t* notAnArray = L"Corvane.Json: pathsArray must be an array";
    EXPECT_FAILURE(json->GetValues(B(L"[1]"), notArray, v.put()), E_INVALIDARG, notAnArray);
    EXPECT_FAILURE(json->GetValuesH(doc, empty, v.put()), E_INVALIDARG, notAnArray);
    EXPECT_FAILURE(json->GetValuesHP(doc, notArray, v.put()), E_INVALIDARG, L"Corvane.Json: pathHandlesArray must be an array");
    EXPECT_FAILURE(json->GetValues(B(L"[1]"), nullArray, v.put()), E_INVALIDARG, L"Corvane.Json: pathsArray is null");
    EXPECT_FAILURE(json->GetValuesH(doc, nullRef, v.put()), E_INVALIDARG, L"Corvane.Json: pathsArray is null");
    EXPECT_FAILURE(json->GetValuesHP(doc, nullArray, v.put()), E_INVALIDARG, L"Corvane.Json: pathHandlesArray is null");
    EXPECT_EQ(v.vt(), VT_EMPTY);
}

TEST_F(Engine, TypedArraysAndTheFirstDimension) {
    const LONG doc = Parse(LR"({"a":1,"b":[2,3],"s":"t"})");
    const LONG a = Compile(L"a");
    const LONG b1 = Compile(L"b[1]");
    Variant v;
    // Handles as I4 or I2; anything else, or an unknown handle, answers Empty.
    Variant handles(VariantList({I4(a), I2(static_cast<SHORT>(b1)), I4(99), Str(L"a"), R8(1)}));
    EXPECT_SUCCESS(json->GetValuesHP(doc, handles, v.put()));
    EXPECT_EQ(CellsOf(v), (Cells{L"i4:1", L"i4:3", L"empty", L"empty", L"empty"}));

    // A typed Long array, and a typed string array (a VBA `Dim p(1) As String`) with a null string.
    Variant longs(ArrayOf(VT_I4, {{2, 0}})), strings(ArrayOf(VT_BSTR, {{2, 1}}));
    LONG index = 0;
    SafeArrayPutElement(V_ARRAY(&longs.get()), &index, const_cast<LONG*>(&b1));
    EXPECT_SUCCESS(json->GetValuesHP(doc, longs, v.put()));
    EXPECT_EQ(CellsOf(v), (Cells{L"i4:3", L"empty"}));
    index = 1;
    SafeArrayPutElement(V_ARRAY(&strings.get()), &index, B(L"s"));
    EXPECT_SUCCESS(json->GetValuesH(doc, strings, v.put()));
    EXPECT_EQ(CellsOf(v), (Cells{L"s:t", L"s:{\"a\":1,\"b\":[2,3],\"s\":\"t\"}"}));

    // A 3 x 2 array: the first dimension has three rows; column 0 is read.
    Variant grid(ArrayOf(VT_VARIANT, {{3, 0}, {2, 0}}));
    const wchar_t* cells[3][2] = {{L"a", L"x"}, {L"s", L"y"}, {L"b[0]", L"z"}};
    for (LONG r = 0; r < 3; ++r)
        for (LONG c = 0; c < 2; ++c) {
            LONG at[2] = {r, c};
            Variant s(Str(cells[r][c]));
            SafeArrayPutElement(V_ARRAY(&grid.get()), at, &s.get());
        }
    EXPECT_SUCCESS(json->GetValuesH(doc, grid, v.put()));
    EXPECT_EQ(CellsOf(v), (Cells{L"i4:1", L"s:t", L"i4:2"}));
}

// ---- editing and conversion members: each one's wiring, and what a failure hands back ----

TEST_F(Engine, EachEditReturnsItsTextOrItsFailure) {
    Variant nine(I4(9)), objectText(Str(L"{\"b\":1}")), list(VariantList({I4(1), Str(L"a"), Var(VT_EMPTY)}));
    struct Case { std::function<HRESULT(BSTR*)> call; const wchar_t* text; };
    const Case cases[] = {
        {[&](BSTR* s) { return json->CreateObject(s); }, L"{}"},
        {[&](BSTR* s) { return json->CreateArray(s); }, L"[]"},
        {[&](BSTR* s) { return json->SetValue(B(L"{}"), B(L"a"), objectText, s); }, L"{\"a\":\"{\\\"b\\\":1}\"}"},
        {[&](BSTR* s) { return json->Insert(B(L"[1,2]"), B(L""), 1, nine, s); }, L"[1,9,2]"},
        {[&](BSTR* s) { return json->Append(B(L"{}"), B(L"list"), nine, s); }, L"{\"list\":[9]}"},
        {[&](BSTR* s) { return json->Remove(B(L"{\"a\":1, \"b\":2}"), B(L"b"), s); }, L"{\"a\":1}"},
        {[&](BSTR* s) { return json->Clear(B(L"{\"a\":[1,2]}"), B(L"a"), s); }, L"{\"a\":[]}"},
        {[&](BSTR* s) { return json->Merge(B(L"{\"a\":{\"x\":1}}"), B(L"{\"a\":{\"y\":2}}"), VARIANT_TRUE, s); },
         L"{\"a\":{\"x\":1,\"y\":2}}"},
        {[&](BSTR* s) { return json->Merge(B(L"{\"a\":{\"x\":1}}"), B(L"{\"a\":{\"y\":2}}"), VARIANT_FALSE, s); },
         L"{\"a\":{\"y\":2}}"},
        {[&](BSTR* s) { return json->Compact(B(L"[1,null]"), B(L""), s); }, L"[1]"},
        {[&](BSTR* s) { return json->PrettyPrint(B(L"[1]"), s); }, L"[\n  1\n]"},
        {[&](BSTR* s) { return json->Flatten(B(L"{\"a\":{\"b\":1}}"), s); }, L"{\"a.b\":1}"},
        {[&](BSTR* s) { return json->Unflatten(B(L"{\"a.b\":1}"), s); }, L"{\"a\":{\"b\":1}}"},
        {[&](BSTR* s) { return json->UnwrapString(B(L"\"a\\\"b\""), s); }, L"a\"b"},
        {[&](BSTR* s) { return json->UnwrapString(nullptr, s); }, L""},
        {[&](BSTR* s) { return json->BuildJson(list, s); }, L"[1,\"a\",null]"},
    };
    for (const Case& c : cases) EXPECT_EQ(Text(c.call), c.text);

    BSTR s = nullptr;
    EXPECT_FAILURE(json->Insert(B(L"[1,2]"), B(L""), 3, nine, &s), 0x8000000B, L"JsonInsert: index 3 exceeds array length 2.");
    EXPECT_EQ(s, nullptr) << "a failed edit hands back no string";
    EXPECT_FAILURE(json->Merge(B(L"[]"), B(L"{}"), VARIANT_TRUE, &s), E_INVALIDARG, L"JsonMerge: first argument is not an object.");
    // A host value that cannot be converted fails with the conversion's message.
    Variant self(ArrayOf(VT_VARIANT, {{1, 0}}));
    VARIANT* cells = nullptr;
    SafeArrayAccessData(V_ARRAY(&self.get()), reinterpret_cast<void**>(&cells));
    cells[0].vt = VT_BYREF | VT_ARRAY | VT_VARIANT;
    cells[0].pparray = &V_ARRAY(&self.get());
    SafeArrayUnaccessData(V_ARRAY(&self.get()));
    EXPECT_FAILURE(json->Append(B(L"[]"), B(L""), self, &s), E_FAIL, L"VariantToJson: value contains itself.");
    EXPECT_EQ(s, nullptr);
}

TEST_F(Engine, NullOutPointersAreRefused) {
    BSTR text = B(L"{\"a\":[1]}"), path = B(L"a");
    Variant value(I4(1)), paths(VariantList({Str(L"a")}));
    const LONG doc = Parse(L"{\"a\":[1]}");
    const LONG p = Compile(L"a");
    const std::function<HRESULT()> calls[] = {
        [&] { return json->GetValue(text, path, nullptr); }, [&] { return json->GetItem(text, path, 0, nullptr); },
        [&] { return json->GetKeys(text, path, nullptr); }, [&] { return json->count(text, path, nullptr); },
        [&] { return json->exists(text, path, nullptr); }, [&] { return json->isValid(text, nullptr); },
        [&] { return json->CreateObject(nullptr); }, [&] { return json->CreateArray(nullptr); },
        [&] { return json->SetValue(text, path, value, nullptr); }, [&] { return json->Remove(text, path, nullptr); },
        [&] { return json->Append(text, path, value, nullptr); },
        [&] { return json->Insert(text, path, 0, value, nullptr); }, [&] { return json->Clear(text, path, nullptr); },
        [&] { return json->Merge(text, text, VARIANT_TRUE, nullptr); },
        [&] { return json->PrettyPrint(text, nullptr); }, [&] { return json->Flatten(text, nullptr); },
        [&] { return json->Unflatten(text, nullptr); }, [&] { return json->ToArray(text, nullptr); },
        [&] { return json->ToRowArray(text, nullptr); }, [&] { return json->BuildJson(value, nullptr); },
        [&] { return json->UnwrapString(text, nullptr); }, [&] { return json->Compact(text, path, nullptr); },
        [&] { return json->get_MaxSize(nullptr); }, [&] { return json->Parse(text, nullptr); },
        [&] { return json->GetValueH(doc, path, nullptr); }, [&] { return json->GetItemH(doc, path, 0, nullptr); },
        [&] { return json->GetKeysH(doc, path, nullptr); }, [&] { return json->CountH(doc, path, nullptr); },
        [&] { return json->ExistsH(doc, path, nullptr); }, [&] { return json->CompilePath(path, nullptr); },
        [&] { return json->GetValueHP(doc, p, nullptr); }, [&] { return json->GetItemHP(doc, p, 0, nullptr); },
        [&] { return json->CountHP(doc, p, nullptr); }, [&] { return json->ExistsHP(doc, p, nullptr); },
        [&] { return json->GetValues(text, paths, nullptr); }, [&] { return json->GetValuesH(doc, paths, nullptr); },
        [&] { return json->GetValuesHP(doc, paths, nullptr); },
    };
    for (const auto& call : calls) EXPECT_FAILURE(call(), E_POINTER, L"Corvane.Json: Null output pointer");
}

}  // namespace
