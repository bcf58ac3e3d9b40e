// The JSON engine through COM, as hosts call it: late-bound IDispatch::Invoke
// with BSTRs: Parse, and bulk against single lookups. Each figure is a ratio against a peer measured in the same run.
//
//   com_bench [bench-data folder]      (Windows build, run under Wine)
#include <windows.h>
#include <oleauto.h>

#include <rapidjson/document.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "../tests/native/test_data.h"
#include "bench_util.h"

namespace {

using CorvaneBench::Best;
using CorvaneBench::Ratio;

// A late-bound call by name, as VBA makes it: arguments in reverse order.
struct LateBound {
    IDispatch* object;
    DISPID Id(const wchar_t* name) {
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR n = const_cast<LPOLESTR>(name);
        object->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
        return id;
    }
    HRESULT Call(DISPID id, std::vector<VARIANT> args, VARIANT* result) {
        std::reverse(args.begin(), args.end());
        DISPPARAMS params = {args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, nullptr, nullptr);
    }
};

VARIANT Str(BSTR b) { VARIANT x; VariantInit(&x); x.vt = VT_BSTR; x.bstrVal = b; return x; }


}  // namespace

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : CorvaneTest::SharedDir() + "/bench-data";
    if (!dir.empty() && dir[0] == '/') dir = "Z:" + dir;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HMODULE ocx = LoadLibraryW(L"Corvane_x64.ocx");
    auto create = ocx ? reinterpret_cast<IDispatch*(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(ocx, "Corvane_CreateJson")))
                      : nullptr;
    IDispatch* engine = create ? create() : nullptr;
    if (!engine) {
        std::printf("ERROR Corvane_x64.ocx not found next to the benchmark\n");
        return 1;
    }
    LateBound json{engine};
    const DISPID parse = json.Id(L"Parse"), release = json.Id(L"ReleaseHandle");
    const DISPID getValueH = json.Id(L"GetValueH"), getValuesH = json.Id(L"GetValuesH");

    for (const char* file : {"canada.json", "citm_catalog.json", "twitter.json"}) {
        auto bytes = CorvaneTest::ReadFileBytes(dir + "/" + file);
        auto text = bytes ? CorvaneTest::DecodeUtf8(*bytes) : std::nullopt;
        if (!text) {
            std::printf("SKIP %s: not found in %s\n", file, dir.c_str());
            continue;
        }
        BSTR b = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text->data()), static_cast<UINT>(text->size()));
        double ours = 1e30, theirs = 1e30;
        for (int r = 0; r < 10; ++r) {
            ours = std::min(ours, Best(1, [&] {
                VARIANT handle;
                VariantInit(&handle);
                if (FAILED(json.Call(parse, {Str(b)}, &handle))) std::abort();
                json.Call(release, {handle}, nullptr);
            }));
            theirs = std::min(theirs, Best(1, [&] {
                rapidjson::GenericDocument<rapidjson::UTF16<char16_t>> d;
                d.Parse(text->c_str());
                if (d.HasParseError()) std::abort();
            }));
        }
        Ratio(std::string("com_parse_vs_rapidjson_utf16.") + file, ours / theirs);

        SysFreeString(b);
    }

    // 1000 paths: one GetValuesH call against 1000 GetValueH calls.
    std::u16string doc = u"{";
    for (int i = 0; i < 1000; ++i) doc += (i ? u",\"k" : u"\"k") + CorvaneTest::Widen(std::to_string(i)) + u"\":" + CorvaneTest::Widen(std::to_string(i));
    doc += u"}";
    BSTR db = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(doc.data()), static_cast<UINT>(doc.size()));
    VARIANT handle;
    VariantInit(&handle);
    json.Call(parse, {Str(db)}, &handle);
    std::vector<BSTR> paths;
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 1000);
    VARIANT* cells = nullptr;
    SafeArrayAccessData(array, reinterpret_cast<void**>(&cells));
    for (int i = 0; i < 1000; ++i) {
        std::wstring p = L"k" + std::to_wstring(i);
        paths.push_back(SysAllocString(p.c_str()));
        cells[i] = Str(SysAllocString(p.c_str()));
    }
    SafeArrayUnaccessData(array);
    VARIANT arrayArg;
    VariantInit(&arrayArg);
    arrayArg.vt = VT_ARRAY | VT_VARIANT;
    arrayArg.parray = array;
    double bulk = Best(20, [&] {
        VARIANT out;
        VariantInit(&out);
        if (FAILED(json.Call(getValuesH, {handle, arrayArg}, &out))) std::abort();
        VariantClear(&out);
    });
    double loop = Best(20, [&] {
        for (BSTR p : paths) {
            VARIANT out;
            VariantInit(&out);
            json.Call(getValueH, {handle, Str(p)}, &out);
            VariantClear(&out);
        }
    });
    Ratio("getvaluesh_bulk_vs_loop", bulk / loop);
    std::printf("USEC late_bound_getvalueh %.3f\n", loop / 1000 * 1e6);
    for (BSTR p : paths) SysFreeString(p);
    VariantClear(&arrayArg);
    SysFreeString(db);
    engine->Release();
    CoUninitialize();
    return 0;
}
