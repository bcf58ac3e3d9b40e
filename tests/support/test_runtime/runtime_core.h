// The test runtime's plumbing: the process-wide settings a test changes, the
// call log, posted work, property values, and the base every runtime object
// derives from (reference count, QueryInterface that honours refused
// revisions, a property bag and event handler lists). The generated method
// bases (runtime_bases.h) call the hooks declared here.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "com_ptr.h"
#include "runtime/webview2.h"
#include "test_runtime_api.h"

namespace CorvaneTest::Runtime {

using Corvane::ComPtr;

class Environment;
class Controller;
class WebView;

// A property value. Objects are kept by reference; structures (RECT, POINT,
// colours) as their bytes.
struct Value {
    enum class Kind { None, Bool, Int, Double, String, List, Blob, Object } kind = Kind::None;
    bool b = false;
    long long i = 0;
    double d = 0;
    std::wstring s;
    std::vector<std::wstring> list;
    std::vector<unsigned char> blob;
    ComPtr<IUnknown> object;

    static Value Bool(bool v) { Value x; x.kind = Kind::Bool; x.b = v; return x; }
    static Value Int(long long v) { Value x; x.kind = Kind::Int; x.i = v; return x; }
    static Value Double(double v) { Value x; x.kind = Kind::Double; x.d = v; return x; }
    static Value String(std::wstring v) { Value x; x.kind = Kind::String; x.s = std::move(v); return x; }
    static Value Object(IUnknown* v) { Value x; x.kind = Kind::Object; x.object = ComPtr<IUnknown>(v); return x; }
    template <class T>
    static Value Bytes(const T& v) {
        Value x;
        x.kind = Kind::Blob;
        x.blob.resize(sizeof(T));
        std::memcpy(x.blob.data(), &v, sizeof(T));
        return x;
    }
    long long AsInt() const {
        switch (kind) {
        case Kind::Bool: return b ? 1 : 0;
        case Kind::Int: return i;
        case Kind::Double: return static_cast<long long>(d);
        default: return 0;
        }
    }
    double AsDouble() const { return kind == Kind::Double ? d : static_cast<double>(AsInt()); }
    bool AsBool() const { return AsInt() != 0; }
};
using Bag = std::map<std::wstring, Value>;

struct WebViewSlot {
    WebView* view = nullptr;               // null once released
    Controller* controller = nullptr;
    Environment* environment = nullptr;
    std::wstring finalState;               // State once released
};

// What a test set, and the runtime's records. One per process; every runtime
// object lives on the thread that made it.
struct Globals {
    std::wstring version;
    HRESULT fail[static_cast<int>(CreationStep::COUNT)] = {};
    HRESULT failCall[static_cast<int>(CreationStep::COUNT)] = {};
    bool holdCreation = false;
    std::vector<std::function<void()>> heldCreations;
    std::vector<IID> refused;
    bool holdNavigations = false;
    ScriptFunction script = nullptr;
    void* scriptContext = nullptr;
    DWORD browserProcessId = 0;
    std::wstring log;
    long long nextToken = 1;
    int liveObjects = 0;
    std::vector<WebViewSlot> webViews;     // by slot, for the objects' whole life
    size_t firstSlot = 0;                  // a test's web view 0: the first made since Reset
    std::vector<Environment*> environments;
};
Globals& G();
void ResetGlobals();   // the defaults, keeping the records of objects

HRESULT Failure(CreationStep step);
HRESULT CallFailure(CreationStep step);

// Runs `work` from a message posted to this thread's hidden window. Work that
// names an object holds a reference to it, so it may outlive its owner.
void Post(std::function<void()> work);
// A creation completion: posted, or kept until ReleaseCreation.
void CompleteCreation(std::function<void()> work);

// Appends one call log line ("Object.Method(args)", no newline).
void LogLine(const std::wstring& line);
HRESULT CopyOut(const std::wstring& text, LPWSTR* out);   // CoTaskMem copy
std::wstring Text(const wchar_t* s);                       // null reads as empty

// ---------------------------------------------------------------------------
// Call log arguments: in-parameters only; pointers other than strings and
// HWNDs are out-parameters or objects and are left out.

template <class T>
bool AppendArg(std::wstring& out, const T& v) {
    if constexpr (std::is_same_v<T, HWND>) {
        out += std::to_wstring(reinterpret_cast<INT_PTR>(v));
    } else if constexpr (std::is_same_v<T, const wchar_t*> || std::is_same_v<T, wchar_t*>) {
        out += v ? v : L"(null)";
    } else if constexpr (std::is_pointer_v<T>) {
        return false;
    } else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) {
        out += std::to_wstring(static_cast<long long>(v));
    } else if constexpr (std::is_floating_point_v<T>) {
        wchar_t buffer[32];
        std::swprintf(buffer, 32, L"%g", static_cast<double>(v));
        out += buffer;
    } else if constexpr (std::is_same_v<T, RECT>) {
        out += std::to_wstring(v.left) + L"," + std::to_wstring(v.top) + L"," + std::to_wstring(v.right) + L"," +
               std::to_wstring(v.bottom);
    } else if constexpr (std::is_same_v<T, POINT>) {
        out += std::to_wstring(v.x) + L"," + std::to_wstring(v.y);
    } else if constexpr (std::is_same_v<T, COREWEBVIEW2_COLOR>) {
        out += std::to_wstring(v.A) + L"," + std::to_wstring(v.R) + L"," + std::to_wstring(v.G) + L"," +
               std::to_wstring(v.B);
    } else if constexpr (std::is_same_v<T, EventRegistrationToken>) {
        out += std::to_wstring(v.value);
    } else {
        return false;
    }
    return true;
}

template <class T, class = void>
struct IsComplete : std::false_type {};
template <class T>
struct IsComplete<T, std::void_t<decltype(sizeof(T))>> : std::true_type {};

// A pointer to a complete COM interface.
template <class T>
constexpr bool IsInterfacePointer() {
    if constexpr (std::is_pointer_v<T>) {
        using P = std::remove_pointer_t<T>;
        if constexpr (std::is_class_v<P> && IsComplete<P>::value) return std::is_base_of_v<IUnknown, P>;
    }
    return false;
}

// Every handler interface is IUnknown plus Invoke(sender, args).
struct AnyHandler : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Invoke(IUnknown* sender, IUnknown* args) = 0;
};

// ---------------------------------------------------------------------------

class RuntimeObject {
public:
    // `logName` heads this object's call log lines; null logs nothing.
    explicit RuntimeObject(const wchar_t* logName) : logName_(logName) { ++G().liveObjects; }
    virtual ~RuntimeObject() { --G().liveObjects; }
    RuntimeObject(const RuntimeObject&) = delete;
    RuntimeObject& operator=(const RuntimeObject&) = delete;

    Bag props;

    // Failure every method answers (a closed web view); S_OK when usable.
    virtual HRESULT Gate() { return S_OK; }

    template <class... A>
    void Trace(const wchar_t* method, const A&... args) {
        if (!logName_) return;
        std::wstring line = std::wstring(logName_) + L"." + method + L"(";
        bool first = true;
        auto one = [&](const auto& a) {
            std::wstring text;
            if (!AppendArg(text, a)) return;
            if (!first) line += L"|";
            line += text;
            first = false;
        };
        (one(args), ...);
        (void)one;   // no arguments
        LogLine(line + L")");
    }

    // --- Hooks of the generated bases ---

    template <class... A>
    HRESULT NotImplemented(const wchar_t* method, const A&... args) {
        Trace(method, args...);
        HRESULT hr = Gate();
        return FAILED(hr) ? hr : E_NOTIMPL;
    }

    template <class T>
    HRESULT GetProp(const wchar_t* method, const wchar_t* key, bool isBool, T* out) {
        Trace(method);
        if (!out) return E_POINTER;
        if constexpr (std::is_pointer_v<T>) *out = nullptr;
        HRESULT hr = Gate();
        if (FAILED(hr)) return hr;
        return Read(Lookup(key), isBool, out);
    }

    template <class T>
    HRESULT PutProp(const wchar_t* method, const wchar_t* key, bool isBool, T value) {
        Trace(method, value);
        HRESULT hr = Gate();
        if (FAILED(hr)) return hr;
        if constexpr (std::is_same_v<T, HWND>) {
            props[key] = Value::Int(reinterpret_cast<INT_PTR>(value));
        } else if constexpr (std::is_same_v<T, const wchar_t*> || std::is_same_v<T, wchar_t*>) {
            props[key] = Value::String(Text(value));
        } else if constexpr (IsInterfacePointer<T>()) {
            props[key] = Value::Object(value);
        } else if constexpr (std::is_pointer_v<T>) {
            return E_NOTIMPL;
        } else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) {
            props[key] = isBool ? Value::Bool(value != 0) : Value::Int(static_cast<long long>(value));
        } else if constexpr (std::is_floating_point_v<T>) {
            props[key] = Value::Double(value);
        } else {
            props[key] = Value::Bytes(value);
        }
        return S_OK;
    }

    template <class H>
    HRESULT AddHandler(const wchar_t* event, H* handler, EventRegistrationToken* token) {
        Trace((L"add_" + std::wstring(event)).c_str());
        if (!token) return E_POINTER;
        token->value = 0;
        HRESULT hr = Gate();
        if (FAILED(hr)) return hr;
        if (!handler) return E_INVALIDARG;
        // As a real runtime may, keep what the handler answers for its own
        // interface, not the pointer given (the types may be only forward-declared).
        ComPtr<IUnknown> own;
        if constexpr (IsComplete<H>::value) {
            hr = reinterpret_cast<IUnknown*>(handler)->QueryInterface(__uuidof(H), reinterpret_cast<void**>(own.put()));
            if (FAILED(hr) || !own) return E_NOINTERFACE;
        } else {
            own = ComPtr<IUnknown>(reinterpret_cast<IUnknown*>(handler));   // an event this runtime never raises
        }
        token->value = G().nextToken++;
        handlers_.push_back({event, token->value, std::move(own)});
        return S_OK;
    }
    // Unknown tokens are not an error, as with the platform's runtime.
    HRESULT RemoveHandler(const wchar_t* event, EventRegistrationToken token);

    // Calls the handlers of `event` in order of registration; a handler
    // removed meanwhile is skipped. Answers how many were called.
    int RaiseHandlers(const std::wstring& event, IUnknown* sender, IUnknown* args);
    std::map<std::wstring, int> HandlerCounts() const;
    void DropHandlers() { handlers_.clear(); }

    const Value* Find(const std::wstring& key) const {
        auto it = props.find(key);
        return it == props.end() ? nullptr : &it->second;
    }

protected:
    virtual const Value* Lookup(const std::wstring& key) { return Find(key); }
    // Whether QueryInterface may answer the interface of this name.
    virtual bool Accepts(const char* /*interfaceName*/) { return true; }

    ULONG AddRefImpl() { return ++refs_; }
    ULONG ReleaseImpl() {
        ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }
    HRESULT QueryImpl(REFIID iid, void** out, IUnknown* identity, void* found, const char* name);

    template <class T>
    static HRESULT Read(const Value* v, bool isBool, T* out) {
        if constexpr (std::is_same_v<T, LPWSTR>) {
            return CopyOut(v && v->kind == Value::Kind::String ? v->s : std::wstring(), out);
        } else if constexpr (std::is_same_v<T, HWND>) {
            *out = reinterpret_cast<HWND>(static_cast<INT_PTR>(v ? v->AsInt() : 0));
        } else if constexpr (IsInterfacePointer<T>()) {
            if (!v || v->kind != Value::Kind::Object) return E_NOTIMPL;
            if (!v->object) return S_OK;
            return v->object->QueryInterface(__uuidof(std::remove_pointer_t<T>), reinterpret_cast<void**>(out));
        } else if constexpr (std::is_pointer_v<T>) {
            return E_NOTIMPL;   // an interface only forward-declared: no runtime object answers it
        } else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>) {
            *out = static_cast<T>(v ? (isBool ? (v->AsBool() ? 1 : 0) : v->AsInt()) : 0);
        } else if constexpr (std::is_floating_point_v<T>) {
            *out = static_cast<T>(v ? v->AsDouble() : 0);
        } else {
            std::memset(static_cast<void*>(out), 0, sizeof(T));
            if (v && v->kind == Value::Kind::Blob && v->blob.size() == sizeof(T)) std::memcpy(out, v->blob.data(), sizeof(T));
        }
        return S_OK;
    }

private:
    struct Handler {
        std::wstring event;
        INT64 token;
        ComPtr<IUnknown> handler;
    };
    const wchar_t* logName_;
    ULONG refs_ = 1;
    std::vector<Handler> handlers_;
};

// Completes a generated method base into a COM object: one IUnknown for all
// of its interfaces. Objects start with one reference, which the creator owns.
template <class Methods>
class Com : public Methods {
public:
    using Methods::Methods;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        const char* name = "";
        void* found = IsEqualIID(iid, IID_IUnknown) ? nullptr : this->FindInterface(iid, &name);
        return this->QueryImpl(iid, out, this->IdentityUnknown(), found, name);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return this->AddRefImpl(); }
    ULONG STDMETHODCALLTYPE Release() override { return this->ReleaseImpl(); }
};

// A fresh object of class T, owned by the returned pointer.
template <class T, class... A>
ComPtr<T> Make(A&&... args) {
    ComPtr<T> p;
    p.Attach(new T(std::forward<A>(args)...));
    return p;
}

}  // namespace CorvaneTest::Runtime
