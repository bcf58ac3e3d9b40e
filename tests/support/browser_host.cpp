#include "browser_host.h"

#include <cstdio>

namespace CorvaneTest {

namespace {

struct Atl {
    HMODULE module = LoadLibraryW(L"atl100.dll");
    HRESULT(WINAPI* attach)(IUnknown*, HWND, IUnknown**) = nullptr;
    Atl() {
        if (!module) return;
        auto init = reinterpret_cast<BOOL(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(module, "AtlAxWinInit")));
        attach = reinterpret_cast<decltype(attach)>(reinterpret_cast<void*>(GetProcAddress(module, "AtlAxAttachControl")));
        if (init) init();
    }
};

Atl& AtlHost() {
    static Atl atl;
    return atl;
}

std::wstring Render(const VARIANT& v) {
    const VARIANT* value = &v;
    std::wstring prefix;
    VARIANT deref;
    VariantInit(&deref);
    if (v.vt & VT_BYREF) {
        prefix = L"&";
        switch (v.vt & ~VT_BYREF) {
        case VT_BOOL: deref.vt = VT_BOOL; deref.boolVal = *v.pboolVal; break;
        case VT_I4: deref.vt = VT_I4; deref.lVal = *v.plVal; break;
        case VT_BSTR: deref.vt = VT_BSTR; deref.bstrVal = *v.pbstrVal; break;
        default: return L"&?";
        }
        value = &deref;
    }
    switch (value->vt) {
    case VT_BSTR: return prefix + std::wstring(value->bstrVal ? value->bstrVal : L"", SysStringLen(value->bstrVal));
    case VT_I4: return prefix + std::to_wstring(value->lVal);
    case VT_BOOL: return prefix + (value->boolVal == VARIANT_TRUE ? L"true" : value->boolVal == 0 ? L"false" : std::to_wstring(value->boolVal));
    case VT_R8: {
        wchar_t text[64];
        swprintf(text, 64, L"%g", value->dblVal);
        return prefix + text;
    }
    case VT_DISPATCH: return prefix + L"[object]";
    default: return prefix + L"?";
    }
}

VARIANT& FromLast(DISPPARAMS* params, UINT fromLast) { return params->rgvarg[fromLast]; }

}  // namespace

std::wstring SeenEvent::Text() const {
    wchar_t head[16];
    swprintf(head, 16, L"0x%x(", static_cast<unsigned>(id));
    std::wstring text = head;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i) text += L',';
        text += args[i];
    }
    return text + L")";
}

int EventSink::Count(DISPID id) const {
    int n = 0;
    for (const SeenEvent& e : events) n += e.id == id;
    return n;
}

std::vector<std::wstring> EventSink::Texts() const {
    std::vector<std::wstring> out;
    for (const SeenEvent& e : events) out.push_back(e.Text());
    return out;
}

std::vector<DISPID> EventSink::Ids() const {
    std::vector<DISPID> out;
    for (const SeenEvent& e : events) out.push_back(e.id);
    return out;
}

HRESULT EventSink::QueryInterface(REFIID iid, void** out) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, DIID__DCorvaneCtrlEvents)) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    SeenEvent seen{id, {}};
    for (UINT i = params ? params->cArgs : 0; i-- > 0;) seen.args.push_back(Render(params->rgvarg[i]));
    events.push_back(seen);
    if (onEvent) onEvent(id, params);
    return S_OK;
}

void AnswerBool(DISPPARAMS* params, UINT fromLast, VARIANT_BOOL value) { *FromLast(params, fromLast).pboolVal = value; }
void AnswerLong(DISPPARAMS* params, UINT fromLast, LONG value) { *FromLast(params, fromLast).plVal = value; }

namespace {

// One late-bound call; `args` first to last, freed here.
HRESULT InvokeByName(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args, VARIANT* result,
                     std::wstring* error) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), flags == DISPATCH_PROPERTYPUT ? &named : nullptr,
                      static_cast<UINT>(reversed.size()), flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    EXCEPINFO info{};
    VARIANT ignored;
    VariantInit(&ignored);
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result ? result : &ignored, &info, nullptr);
    VariantClear(&ignored);
    for (VARIANT& v : args) VariantClear(&v);
    if (hr == DISP_E_EXCEPTION) {
        if (error && info.bstrDescription) error->assign(info.bstrDescription, SysStringLen(info.bstrDescription));
        hr = info.scode;
    }
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    return hr;
}

}  // namespace

HRESULT CallByName(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args, VARIANT* result,
                   std::wstring* error) {
    return InvokeByName(object, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args), result, error);
}

HRESULT PutByName(IDispatch* object, const wchar_t* name, VARIANT value, std::wstring* error) {
    return InvokeByName(object, name, DISPATCH_PROPERTYPUT, {value}, nullptr, error);
}

TestRuntime& Runtime() {
    static TestRuntime* runtime = [] {
        const std::wstring path = ExeFolder() + L"corvane_test_runtime.dll";
        SetEnvironmentVariableW(L"CORVANE_WEBVIEW2_RUNTIME", path.c_str());
        return LoadTestRuntime(path.c_str());
    }();
    return *runtime;
}

HostedControl::HostedControl(HostRuntime runtime) {
    if (runtime == HostRuntime::Test) {
        Runtime();
    } else {
        SetEnvironmentVariableW(L"CORVANE_WEBVIEW2_RUNTIME", nullptr);
        wchar_t named[MAX_PATH];
        if (!GetEnvironmentVariableW(L"CORVANE_CHROMIUM", named, MAX_PATH))
            SetEnvironmentVariableW(L"CORVANE_CHROMIUM", L"/usr/bin/chromium");
    }
    AtlHost();   // registers the AtlAxWin100 class
    top = NewTopWindow(500, 400);
    axWindow = CreateWindowExW(0, L"AtlAxWin100", L"", WS_CHILD | WS_VISIBLE, 10, 10, 320, 200, top, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    ctrl = NewObject<ICorvaneCtrl>(CLSID_CorvaneCtrl, IID_ICorvaneCtrl);
    if (!ctrl) return;
    IConnectionPointContainer* points = nullptr;
    if (SUCCEEDED(ctrl->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points)))) {
        IConnectionPoint* point = nullptr;
        if (SUCCEEDED(points->FindConnectionPoint(DIID__DCorvaneCtrlEvents, &point))) {
            point->Advise(&sink, &cookie_);
            point->Release();
        }
        points->Release();
    }
}

HostedControl::~HostedControl() {
    if (ctrl) {
        IOleObject* ole = nullptr;
        if (SUCCEEDED(ctrl->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)))) {
            ole->Close(OLECLOSE_NOSAVE);
            ole->SetClientSite(nullptr);
            ole->Release();
        }
    }
    if (top) DestroyWindow(top);
    if (container_) container_->Release();
    if (ctrl) ctrl->Release();
    // Deferred events and posted runtime work for this control settle here.
    PumpFor(20);
}

bool HostedControl::Attach() {
    if (!ctrl || !AtlHost().attach || !axWindow) return false;
    return SUCCEEDED(AtlHost().attach(ctrl, axWindow, &container_));
}

bool HostedControl::WaitReady(DWORD timeoutMs) {
    return PumpUntil([&] { return sink.Count(Ev::WebViewReady) > 0; }, timeoutMs);
}

HWND HostedControl::Window() const {
    HWND window = nullptr;
    IOleWindow* ole = nullptr;
    if (ctrl && SUCCEEDED(ctrl->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&ole)))) {
        ole->GetWindow(&window);
        ole->Release();
    }
    return window;
}

bool HostedControl::RecreateWindow() {
    IOleObject* ole = nullptr;
    IOleInPlaceObject* inPlace = nullptr;
    if (FAILED(ctrl->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)))) return false;
    ctrl->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace));
    IOleClientSite* site = nullptr;
    ole->GetClientSite(&site);
    bool ok = inPlace && site && SUCCEEDED(inPlace->InPlaceDeactivate()) && !Window();
    RECT position{0, 0, 320, 200};
    ok = ok && SUCCEEDED(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, axWindow, &position)) && Window();
    if (site) site->Release();
    if (inPlace) inPlace->Release();
    ole->Release();
    return ok;
}

}  // namespace CorvaneTest
