// Host values to JSON and back, against Wine's real OLE Automation: SAFEARRAYs,
// Scripting.Dictionary, dates and currency from oleaut32, and a scripted
// IDispatch standing in for an ADO recordset.
#include "win_test_support.h"

#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bstr.h"
#include "json_document.h"
#include "variant_convert.h"

using namespace Corvane;

using namespace CorvaneTest;

namespace {

std::string Narrow(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

std::string Json(const VARIANT& v) {
    std::u16string out, message;
    EXPECT_EQ(VariantToJson(v, out, message), S_OK) << Narrow(message);
    return Narrow(out);
}


// A 1-D array of `vt` with `count` elements from `lower`.
SAFEARRAY* Vector(VARTYPE vt, ULONG count, LONG lower = 0) {
    SAFEARRAYBOUND b{count, lower};
    return SafeArrayCreate(vt, 1, &b);
}

template <class T>
void Put(SAFEARRAY* a, LONG i, T value) {
    ASSERT_EQ(SafeArrayPutElement(a, &i, &value), S_OK);
}
// BSTR and interface elements are passed as the pointer itself.
void PutPointer(SAFEARRAY* a, LONG i, void* p) { ASSERT_EQ(SafeArrayPutElement(a, &i, p), S_OK); }

void PutVariant(SAFEARRAY* a, std::vector<LONG> index, VARIANT v) {
    ASSERT_EQ(SafeArrayPutElement(a, index.data(), &v), S_OK);
}

std::string ArrayJson(SAFEARRAY* a, VARTYPE vt) {
    VARIANT v = Var(VT_ARRAY | vt);
    v.parray = a;
    std::string json = Json(v);
    SafeArrayDestroy(a);
    return json;
}

IDispatch* NewDictionary() {
    CLSID clsid;
    IDispatch* d = nullptr;
    EXPECT_EQ(CLSIDFromProgID(L"Scripting.Dictionary", &clsid), S_OK);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&d)), S_OK);
    return d;
}

void DictAdd(IDispatch* d, VARIANT key, VARIANT item) {
    DISPID id;
    LPOLESTR name = const_cast<LPOLESTR>(L"Add");
    ASSERT_EQ(d->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    VARIANT args[2] = {item, key};   // reverse order
    DISPPARAMS params{args, nullptr, 2, 0};
    ASSERT_EQ(d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
}


TEST(VariantToJson, ScalarsFollowTheNumberTable) {
    struct Case { VARTYPE vt; LONGLONG bits; const char* json; };
    const Case cases[] = {
        {VT_EMPTY, 0, "null"}, {VT_NULL, 0, "null"}, {VT_ERROR, 5, "null"}, {VT_RECORD, 0, "null"},
        {VT_I1, 0xFB, "-5"}, {VT_I2, 0xFED4, "-300"}, {VT_I4, 0x80000000, "-2147483648"}, {VT_INT, 42, "42"},
        {VT_UI1, 255, "255"}, {VT_UI2, 65535, "65535"}, {VT_UI4, 4000000000LL, "4000000000"}, {VT_UINT, 7, "7"},
        {VT_I8, std::numeric_limits<LONGLONG>::min(), "-9223372036854775808"},
        {VT_UI8, -1, "18446744073709551615"},
        {VT_BOOL, -1, "true"}, {VT_BOOL, 1, "false"}, {VT_BOOL, 0, "false"},
    };
    for (const Case& c : cases) {
        VARIANT v = Var(c.vt);
        v.llVal = c.bits;
        EXPECT_EQ(Json(v), c.json) << "vt " << c.vt;
    }
    struct Real { double value; const char* r8; const char* r4; };
    const Real reals[] = {
        {1.5, "1.5", "1.5"}, {0.1, "0.10000000000000001", "0.1"}, {1e10, "10000000000", "1e+10"},
        {-2.5e-7, "-2.4999999999999999e-07", "-2.5e-07"}, {std::nan(""), "null", "null"},
        {INFINITY, "null", "null"}, {-INFINITY, "null", "null"},
    };
    for (const Real& r : reals) {
        VARIANT d = Var(VT_R8), f = Var(VT_R4);
        d.dblVal = r.value;
        f.fltVal = static_cast<float>(r.value);
        EXPECT_EQ(Json(d), r.r8);
        EXPECT_EQ(Json(f), r.r4);
    }
}

TEST(VariantToJson, CurrencyDecimalAndDates) {
    // Four decimals from the scaled integer itself: a double would round the last digits.
    for (auto [scaled, json] : {std::pair<LONGLONG, const char*>{125000, "12.5000"}, {-1, "-0.0001"},
                                {std::numeric_limits<LONGLONG>::max(), "922337203685477.5807"},
                                {std::numeric_limits<LONGLONG>::min(), "-922337203685477.5808"}}) {
        VARIANT cy = Var(VT_CY);
        cy.cyVal.int64 = scaled;
        EXPECT_EQ(Json(cy), json);
    }

    VARIANT dec = Var(VT_DECIMAL);
    ASSERT_EQ(VarDecFromStr(const_cast<OLECHAR*>(L"-1.25"), LOCALE_INVARIANT, 0, &dec.decVal), S_OK);
    dec.vt = VT_DECIMAL;
    EXPECT_EQ(Json(dec), "-1.25");

    VARIANT date = Var(VT_DATE);
    EXPECT_EQ(Json(date), "null");
    SYSTEMTIME st{2024, 3, 2, 5, 14, 7, 9, 0};
    ASSERT_TRUE(SystemTimeToVariantTime(&st, &date.date));
    EXPECT_EQ(Json(date), "\"2024-03-05T14:07:09.000\"");
    ASSERT_EQ(VarDateFromStr(const_cast<OLECHAR*>(L"1999-12-31 23:59:59"), LOCALE_INVARIANT, 0, &date.date), S_OK);
    EXPECT_EQ(Json(date), "\"1999-12-31T23:59:59.000\"");
    date.date = -1.5;   // before the epoch: the day counts back, the time forward
    EXPECT_EQ(Json(date), "\"1899-12-29T12:00:00.000\"");
    date.date = 1e9;    // past the year 9999: cannot be split
    EXPECT_EQ(Json(date), "null");
}

TEST(VariantToJson, StringsAreEscapedNeverParsed) {
    struct Case { const wchar_t* text; UINT length; const char* json; };
    const Case cases[] = {{L"{\"a\":1}", 7, "\"{\\\"a\\\":1}\""}, {L"a\0b", 3, "\"a\\u0000b\""}};
    for (const Case& c : cases) {
        VARIANT v = Var(VT_BSTR);
        v.bstrVal = SysAllocStringLen(c.text, c.length);
        EXPECT_EQ(Json(v), c.json);
        VariantClear(&v);
    }
    EXPECT_EQ(Json(Var(VT_BSTR)), "null");
}

TEST(VariantToJson, ObjectsAndReferences) {
    CorvaneTest::CountingUnknown plain;   // no Keys/Items
    VARIANT obj = Disp(&plain);
    EXPECT_EQ(Json(obj), "\"[Object]\"");
    VARIANT unk = Var(VT_UNKNOWN);
    unk.punkVal = &plain;
    EXPECT_EQ(Json(unk), "\"[IUnknown]\"");
    EXPECT_EQ(Json(Var(VT_UNKNOWN)), "null");
    EXPECT_EQ(Json(Var(VT_DISPATCH)), "null");

    LONG n = 7;
    BSTR s = SysAllocString(L"x");
    VARIANT inner = Var(VT_R8);
    inner.dblVal = 2.5;
    IUnknown* punk = &plain;
    SAFEARRAY* array = Vector(VT_I4, 2);
    Put(array, 0, LONG{1});
    Put(array, 1, LONG{2});
    struct Case { VARTYPE vt; void* ref; const char* json; };
    const Case cases[] = {
        {VT_BYREF | VT_I4, &n, "7"}, {VT_BYREF | VT_BSTR, &s, "\"x\""}, {VT_BYREF | VT_VARIANT, &inner, "2.5"},
        {VT_BYREF | VT_UNKNOWN, &punk, "null"}, {VT_BYREF | VT_ARRAY | VT_I4, &array, "[1,2]"},
        {VT_BYREF | VT_I4, nullptr, "null"}, {VT_BYREF | VT_VARIANT, nullptr, "null"},
        {VT_BYREF | VT_ARRAY | VT_I4, nullptr, "null"},
    };
    for (const Case& c : cases) {
        VARIANT v = Var(c.vt);
        v.byref = c.ref;
        EXPECT_EQ(Json(v), c.json) << "vt " << c.vt;
    }
    SysFreeString(s);
    SafeArrayDestroy(array);
    EXPECT_EQ(plain.refs, 1);
}

// A two-element array of `vt` from `lower` with `value` first, as JSON.
template <class T>
std::string Pair(VARTYPE vt, T value, LONG lower = 0) {
    SAFEARRAY* a = Vector(vt, 2, lower);
    Put(a, lower, value);
    return ArrayJson(a, vt);
}

TEST(VariantToJson, OneDimensionalArraysOfEachElementType) {
    SAFEARRAY* mixed = Vector(VT_VARIANT, 3, 1);   // VBA Array(1, "a", Null) with Option Base 1
    PutVariant(mixed, {1}, I4(1));
    VARIANT a = Str(L"a");
    PutVariant(mixed, {2}, a);
    VariantClear(&a);
    PutVariant(mixed, {3}, Var(VT_NULL));
    EXPECT_EQ(ArrayJson(mixed, VT_VARIANT), "[1,\"a\",null]");
    EXPECT_EQ(Pair(VT_I2, SHORT{-3}, -1), "[-3,0]");
    EXPECT_EQ(Pair(VT_UI1, BYTE{200}), "[200,0]");
    EXPECT_EQ(Pair(VT_R4, 0.1f), "[0.1,0]");
    EXPECT_EQ(Pair(VT_R8, 0.1), "[0.10000000000000001,0]");
    EXPECT_EQ(Pair(VT_CY, CY{.int64 = 125000}), "[12.5000,0.0000]");
    EXPECT_EQ(Pair(VT_BOOL, VARIANT_BOOL{VARIANT_TRUE}), "[true,false]");
    EXPECT_EQ(Pair(VT_DATE, DATE{2.0}), "[\"1900-01-01T00:00:00.000\",null]");
    EXPECT_EQ(Pair(VT_I8, LONGLONG{1} << 40), "[1099511627776,0]");   // 64-bit VBA LongLong arrays
    SAFEARRAY* strings = Vector(VT_BSTR, 2);
    BSTR q = SysAllocString(L"q\"");
    PutPointer(strings, 0, q);
    SysFreeString(q);
    EXPECT_EQ(ArrayJson(strings, VT_BSTR), "[\"q\\\"\",null]");
    CorvaneTest::CountingUnknown plain;
    SAFEARRAY* objects = Vector(VT_DISPATCH, 2);
    PutPointer(objects, 0, static_cast<IDispatch*>(&plain));
    EXPECT_EQ(ArrayJson(objects, VT_DISPATCH), "[\"[Object]\",null]");
}

TEST(VariantToJson, ArrayShapesAndMismatches) {
    SAFEARRAYBOUND rc[2] = {{2, 1}, {2, 1}};   // rows first
    SAFEARRAY* grid = SafeArrayCreate(VT_VARIANT, 2, rc);
    const wchar_t* names[2][2] = {{L"a", L"b"}, {L"c", L"d"}};
    for (LONG r = 1; r <= 2; ++r)
        for (LONG c = 1; c <= 2; ++c) {
            VARIANT s = Str(names[r - 1][c - 1]);
            PutVariant(grid, {r, c}, s);
            VariantClear(&s);
        }
    EXPECT_EQ(ArrayJson(grid, VT_VARIANT), "[[\"a\",\"b\"],[\"c\",\"d\"]]");
    SAFEARRAYBOUND wide[2] = {{1, 0}, {3, 0}};
    SAFEARRAY* ints = SafeArrayCreate(VT_I2, 2, wide);
    LONG at[2] = {0, 2};
    SHORT five = 5;
    SafeArrayPutElement(ints, at, &five);
    EXPECT_EQ(ArrayJson(ints, VT_I2), "[[0,0,5]]");

    EXPECT_EQ(ArrayJson(Vector(VT_I4, 0), VT_I4), "[]");
    SAFEARRAYBOUND cube[3] = {{1, 0}, {1, 0}, {1, 0}};
    EXPECT_EQ(ArrayJson(SafeArrayCreate(VT_I4, 3, cube), VT_I4), "[]");
    EXPECT_EQ(ArrayJson(nullptr, VT_I4), "null");
    // The VARIANT claims wider or pointer elements than the array holds: nothing is read.
    EXPECT_EQ(ArrayJson(Vector(VT_I4, 2), VT_R8), "[null,null]");
    EXPECT_EQ(ArrayJson(Vector(VT_I8, 1), VT_BSTR), "[null]");
    EXPECT_EQ(ArrayJson(Vector(VT_I4, 1), VT_RECORD), "[null]");
}

TEST(VariantToJson, Dictionaries) {
    IDispatch* d = NewDictionary();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(Json(Disp(d)), "{}");
    VARIANT x = Str(L"x"), nested = Disp(NewDictionary());
    DictAdd(nested.pdispVal, Str(L"k\""), Var(VT_NULL));
    DictAdd(d, I4(1), Str(L"one"));
    DictAdd(d, x, nested);
    EXPECT_EQ(Json(Disp(d)), "{\"1\":\"one\",\"x\":{\"k\\\"\":null}}");

    SAFEARRAY* twice = Vector(VT_VARIANT, 2);   // shared, not circular
    PutVariant(twice, {0}, nested);
    PutVariant(twice, {1}, nested);
    EXPECT_EQ(ArrayJson(twice, VT_VARIANT), "[{\"k\\\"\":null},{\"k\\\"\":null}]");

    std::u16string out = u"keep", message;
    DictAdd(nested.pdispVal, Str(L"self"), Disp(d));
    EXPECT_EQ(VariantToJson(Disp(d), out, message), E_FAIL);
    EXPECT_EQ(Narrow(message), "VariantToJson: value contains itself.");
    EXPECT_EQ(out, u"keep");
    d->Release();
}

TEST(VariantToJson, NestingIsBounded) {
    std::vector<VARIANT> chain(kVariantMaxDepth + 2);
    chain.back() = I4(1);
    for (std::size_t i = chain.size() - 1; i-- > 0;) {
        chain[i] = Var(VT_BYREF | VT_VARIANT);
        chain[i].pvarVal = &chain[i + 1];
    }
    std::u16string out, message;
    EXPECT_EQ(VariantToJson(chain[1], out, message), S_OK);
    EXPECT_EQ(out, u"1");
    EXPECT_EQ(VariantToJson(chain[0], out, message), E_FAIL);
    EXPECT_EQ(Narrow(message), "VariantToJson: nesting exceeds 256 levels.");
    EXPECT_EQ(out, u"1");
}

// An IDispatch whose members are scripted by name; DISPID_VALUE is "".
class Scripted : public IDispatch {
public:
    using Member = std::function<HRESULT(DISPPARAMS*, VARIANT*)>;
    std::map<std::wstring, Member> members;
    long refs = 1;
    virtual ~Scripted() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ? this : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        if (--refs) return refs;
        delete this;
        return 0;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* id) override {
        auto it = members.find(names[0]);
        if (it == members.end()) return DISP_E_UNKNOWNNAME;
        *id = static_cast<DISPID>(std::distance(members.begin(), it)) + 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT* r, EXCEPINFO*, UINT*) override {
        if (id == DISPID_VALUE) id = static_cast<DISPID>(std::distance(members.begin(), members.find(L""))) + 1;
        if (id < 1 || id > static_cast<DISPID>(members.size())) return DISP_E_MEMBERNOTFOUND;
        return std::next(members.begin(), id - 1)->second(p, r);
    }
};

HRESULT Give(VARIANT* r, VARIANT v) { *r = v; return S_OK; }


// A recordset over `rows` rows whose fields are (Name, Value) pairs; a field with an
// EMPTY name VARIANT has no Name member at all.
Scripted* Recordset(std::shared_ptr<std::vector<std::vector<std::pair<VARIANT, VARIANT>>>> rows, int rowLimit = -1) {
    auto* rs = new Scripted;
    auto at = std::make_shared<std::size_t>(0);
    auto total = [rows, rowLimit] { return rowLimit >= 0 ? static_cast<std::size_t>(rowLimit) : rows->size(); };
    rs->members[L"MoveFirst"] = [at](DISPPARAMS*, VARIANT*) { *at = 0; return S_OK; };
    rs->members[L"MoveNext"] = [at](DISPPARAMS*, VARIANT*) { ++*at; return S_OK; };
    rs->members[L"EOF"] = [at, total](DISPPARAMS*, VARIANT* r) { return Give(r, Bool(*at >= total())); };
    rs->members[L"Fields"] = [rows, at](DISPPARAMS*, VARIANT* r) {
        auto* fields = new Scripted;
        const auto& row = (*rows)[*at % rows->size()];
        fields->members[L"Count"] = [n = static_cast<LONG>(row.size())](DISPPARAMS*, VARIANT* r) { return Give(r, I4(n)); };
        fields->members[L""] = [row](DISPPARAMS* p, VARIANT* r) {
            if (p->cArgs != 1 || p->rgvarg[0].vt != VT_I4) return DISP_E_BADPARAMCOUNT;
            const auto& [name, value] = row.at(static_cast<std::size_t>(p->rgvarg[0].lVal));
            if (value.vt == VT_ERROR) return Give(r, Var(VT_EMPTY));   // not an object: skipped
            auto* field = new Scripted;
            if (name.vt != VT_EMPTY) field->members[L"Name"] = [name](DISPPARAMS*, VARIANT* r) { return VariantCopy(r, const_cast<VARIANT*>(&name)); };
            field->members[L"Value"] = [value](DISPPARAMS*, VARIANT* r) { return VariantCopy(r, const_cast<VARIANT*>(&value)); };
            return Give(r, Disp(field));
        };
        return Give(r, Disp(fields));
    };
    return rs;
}

TEST(RecordsetToJson, WalksRowsAndFields) {
    VARIANT badField = Var(VT_ERROR);
    auto rows = std::make_shared<std::vector<std::vector<std::pair<VARIANT, VARIANT>>>>();
    rows->push_back({{Str(L"id"), I4(1)}, {Str(L"name"), Str(L"Ann")}, {I4(9), Var(VT_NULL)}});
    rows->push_back({{Str(L"id"), I4(2)}, {Var(VT_EMPTY), I4(5)}, {Str(L"gone"), badField}, {Str(L"n\""), Bool(true)}});
    Scripted* rs = Recordset(rows);
    std::u16string out = u"x", message;
    ASSERT_EQ(RecordsetToJson(rs, out, message), S_OK);
    EXPECT_EQ(Narrow(out), "x[{\"id\":1,\"name\":\"Ann\",\"Field2\":null},{\"id\":2,\"n\\\"\":true}]");
    rs->Release();

    Scripted* many = Recordset(rows, 100001);
    out.clear();
    ASSERT_EQ(RecordsetToJson(many, out, message), S_OK);
    std::size_t count = 0;
    for (char16_t c : out) count += c == u'{';
    EXPECT_EQ(count, 100000u);
    many->Release();

    auto empty = new Scripted;   // MoveFirst fails on an empty recordset
    empty->members[L"MoveFirst"] = [](DISPPARAMS*, VARIANT*) { return E_FAIL; };
    empty->members[L"EOF"] = [](DISPPARAMS*, VARIANT* r) { return Give(r, Bool(true)); };
    out.clear();
    EXPECT_EQ(RecordsetToJson(empty, out, message), S_OK);
    EXPECT_EQ(out, u"[]");
    empty->members[L"EOF"] = [](DISPPARAMS*, VARIANT* r) { return Give(r, I4(0)); };   // not a VT_BOOL: stops
    out.clear();
    EXPECT_EQ(RecordsetToJson(empty, out, message), S_OK);
    EXPECT_EQ(out, u"[]");
    empty->Release();

    EXPECT_EQ(RecordsetToJson(nullptr, out, message), E_INVALIDARG);
    for (auto& row : *rows)
        for (auto& [name, value] : row) VariantClear(&name), VariantClear(&value);
}

struct RowArray {
    VARIANT v;
    HRESULT hr;
    std::u16string message;
    explicit RowArray(std::u16string_view json, std::int64_t limit = kDefaultJsonArrayMaxSize) {
        hr = JsonToRowArray(json, limit, &v, message);
    }
    ~RowArray() { VariantClear(&v); }
    LONG Upper(UINT dim) { LONG u = 0; SafeArrayGetUBound(v.parray, dim, &u); return u; }
    std::string Cell(LONG r, LONG c) {   // "vt:text"
        LONG at[2] = {r, c};
        VARIANT cell;
        VariantInit(&cell);
        EXPECT_EQ(SafeArrayGetElement(v.parray, at, &cell), S_OK);
        std::string s = std::to_string(cell.vt) + ":";
        if (cell.vt == VT_BSTR) s += Narrow(BstrView(cell.bstrVal));
        if (cell.vt == VT_I4) s += std::to_string(cell.lVal);
        if (cell.vt == VT_R8) s += std::to_string(cell.dblVal);
        if (cell.vt == VT_BOOL) s += cell.boolVal ? "T" : "F";
        VariantClear(&cell);
        return s;
    }
};

TEST(JsonToRowArray, BuildsAHeaderRowAndTypedCells) {
    // Anything but an object is no row; each key is a column, in order of appearance.
    RowArray t(u" [ 5, {\"n\":3000000000, \"i\":7, \"d\":1.0, \"e\":2E1, \"t\":true, \"f\":false, \"z\":null,"
               u" \"o\":{\"k\": [1, 2]}, \"s\":\"a\\\"b\\u00e9\", \"\\u0078\":1, \"n\":0} ]");
    ASSERT_EQ(t.hr, S_OK);
    EXPECT_EQ(t.Upper(1), 2);
    EXPECT_EQ(t.Upper(2), 10);   // the repeated "n" is one column; its first value wins
    const char* expected[][2] = {{"8:n", "5:3000000000.000000"}, {"8:i", "3:7"}, {"8:d", "5:1.000000"},
                                 {"8:e", "5:20.000000"}, {"8:t", "11:T"}, {"8:f", "11:F"}, {"8:z", "1:"},
                                 {"8:o", "8:{\"k\": [1, 2]}"}, {"8:s", "8:a\"b?"}, {"8:x", "3:1"}};
    for (LONG c = 1; c <= 10; ++c) {
        EXPECT_EQ(t.Cell(1, c), expected[c - 1][0]);
        EXPECT_EQ(t.Cell(2, c), expected[c - 1][1]);
    }

    RowArray truncated(u"[{\"a\":1,\"b\":[1,2");   // a value without an end
    ASSERT_EQ(truncated.hr, S_OK);
    EXPECT_EQ(truncated.Cell(2, 1), "3:1");
    EXPECT_EQ(truncated.Cell(2, 2), "1:");
}

TEST(JsonToRowArray, ReportsEachFailure) {
    std::u16string deep = u"[" + std::u16string(300, u'[') + std::u16string(300, u']') + u"]";
    struct Case { std::u16string json; std::int64_t limit; HRESULT hr; const char* message; };
    const Case cases[] = {
        {u"[{\"a\":1}]", 8, E_FAIL, "JsonToRowArray: input size exceeds limit."},
        {u"{}", 100, E_INVALIDARG, "JsonToRowArray: input must be a JSON array."},
        {u"  ", 100, E_INVALIDARG, "JsonToRowArray: input must be a JSON array."},
        {u"[ ]", 100, E_INVALIDARG, "JsonToRowArray: empty array."},
        {u"[1,2]", 100, E_INVALIDARG, "JsonToRowArray: no data rows found."},
        {deep, 1000, E_FAIL, "JsonToRowArray: max nesting exceeded."},
    };
    for (const Case& c : cases) {
        RowArray a(c.json, c.limit);
        EXPECT_EQ(a.hr, c.hr) << c.message;
        EXPECT_EQ(Narrow(a.message), c.message);
        EXPECT_EQ(a.v.vt, VT_EMPTY);
    }
    EXPECT_EQ(RowArray(u"[{\"a\":1}]", 9).hr, S_OK);

    auto rows = [](int n) {
        std::u16string s = u"[";
        for (int i = 0; i < n; ++i) s += i ? u",{}" : u"{}";
        return s + u"]";
    };
    EXPECT_EQ(RowArray(rows(100000)).hr, S_OK);
    RowArray tooMany(rows(100001));
    EXPECT_EQ(tooMany.hr, E_FAIL);
    EXPECT_EQ(Narrow(tooMany.message), "JsonToRowArray: row count exceeds 100000.");

    auto columns = [](int n) {
        std::u16string s = u"[{";
        for (int i = 0; i < n; ++i) {
            std::string key = (i ? ",\"c" : "\"c") + std::to_string(i) + "\":0";
            s.append(key.begin(), key.end());
        }
        return s + u"}]";
    };
    RowArray wide(columns(1000));
    EXPECT_EQ(wide.hr, S_OK);
    EXPECT_EQ(wide.Cell(1, 1000), "8:c999");
    RowArray tooWide(columns(1001));
    EXPECT_EQ(tooWide.hr, E_FAIL);
    EXPECT_EQ(Narrow(tooWide.message), "JsonToRowArray: column count exceeds 1000.");
}

TEST(ToArray, ValidatesAndHandsTheTextBack) {
    using Fn = HRESULT (*)(BSTR, std::int32_t, VARIANT*, std::u16string&);
    struct Case { Fn fn; const wchar_t* json; std::int32_t limit; HRESULT hr; const char* message; };
    const Case cases[] = {
        {EngineToArray, L"[1,2]", 9, E_FAIL, "Corvane.Json: JSON exceeds maximum size"},
        {EngineToArray, L"{\"a\":1}", 14, S_OK, ""},
        {ControlJsonToArray, nullptr, 100, E_INVALIDARG, "JsonToArray: empty JSON string."},
        {ControlJsonToArray, L"5", 0, E_FAIL, "JsonToArray: JSON size exceeds JsonToArrayMaxSize."},
        {ControlJsonToArray, L"tru", 100, E_INVALIDARG, "JsonToArray: invalid JSON."},
        {ControlJsonToArray, L"5", 2, S_OK, ""},
        {EngineToRowArray, L"[{}]", 7, E_FAIL, "Corvane.Json: JSON exceeds maximum size"},
        {EngineToRowArray, L"[]", 100, E_INVALIDARG, "JsonToRowArray: empty array."},
    };
    for (const Case& c : cases) {
        BSTR json = c.json ? SysAllocString(c.json) : nullptr;
        VARIANT out;
        std::u16string message;
        EXPECT_EQ(c.fn(json, c.limit, &out, message), c.hr) << c.message;
        EXPECT_EQ(Narrow(message), c.message);
        if (c.hr == S_OK) {
            ASSERT_EQ(out.vt, VT_BSTR);
            EXPECT_EQ(std::wstring(out.bstrVal), c.json);
        } else {
            EXPECT_EQ(out.vt, VT_EMPTY);
        }
        VariantClear(&out);
        SysFreeString(json);
    }
}

TEST(ScalarToVariant, StringsKeepEmbeddedNulsAndContainersBecomeCompact) {
    VARIANT v;
    std::unique_ptr<JsonDocument> doc;
    std::u16string error;
    ASSERT_TRUE(ParseDocument(u"[\"a\\u0000\",{\"k\" : []}]", 1 << 20, doc, error));
    ASSERT_EQ(NodeToVariant(*doc->Root().At(0), &v), S_OK);
    EXPECT_EQ(SysStringLen(v.bstrVal), 2u);   // embedded U+0000 kept
    VariantClear(&v);
    ASSERT_EQ(NodeToVariant(*doc->Root().At(1), &v), S_OK);
    EXPECT_EQ(std::wstring(v.bstrVal), L"{\"k\":[]}");
    VariantClear(&v);
}

}  // namespace
