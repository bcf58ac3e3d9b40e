// Raising events: the table of events the runtime knows, their argument
// objects and their effects on the runtime's state.
#include <algorithm>

#include "json/json_text.h"
#include "runtime_objects.h"

namespace CorvaneTest::Runtime {

namespace {

enum class Target { WebView, Controller, Environment, Frame, Find, DevTools, Download };

struct EventInfo {
    const wchar_t* name;    // "Frame.X" for a frame's event X
    Target target;
    const char* family;     // the arguments' interface family; null: the handler gets none
    const char* second;     // a second family the arguments answer (a context menu's target)
    const wchar_t* answers; // what handlers can set: "name:type" with b bool, i integer, s string, o object
};

const EventInfo kEvents[] = {
    {L"NavigationStarting", Target::WebView, "ICoreWebView2NavigationStartingEventArgs", nullptr,
     L"cancel:b additionalAllowedFrameAncestors:s"},
    {L"NavigationCompleted", Target::WebView, "ICoreWebView2NavigationCompletedEventArgs", nullptr, L""},
    {L"ContentLoading", Target::WebView, "ICoreWebView2ContentLoadingEventArgs", nullptr, L""},
    {L"DOMContentLoaded", Target::WebView, "ICoreWebView2DOMContentLoadedEventArgs", nullptr, L""},
    {L"SourceChanged", Target::WebView, "ICoreWebView2SourceChangedEventArgs", nullptr, L""},
    {L"HistoryChanged", Target::WebView, nullptr, nullptr, L""},
    {L"DocumentTitleChanged", Target::WebView, nullptr, nullptr, L""},
    {L"WebMessageReceived", Target::WebView, "ICoreWebView2WebMessageReceivedEventArgs", nullptr, L""},
    {L"NewWindowRequested", Target::WebView, "ICoreWebView2NewWindowRequestedEventArgs", nullptr,
     L"handled:b"},
    {L"PermissionRequested", Target::WebView, "ICoreWebView2PermissionRequestedEventArgs", nullptr,
     L"state:i handled:b savesInProfile:b"},
    {L"ProcessFailed", Target::WebView, "ICoreWebView2ProcessFailedEventArgs", nullptr, L""},
    {L"ContainsFullScreenElementChanged", Target::WebView, nullptr, nullptr, L""},
    {L"WindowCloseRequested", Target::WebView, nullptr, nullptr, L""},
    {L"StatusBarTextChanged", Target::WebView, nullptr, nullptr, L""},
    {L"IsMutedChanged", Target::WebView, nullptr, nullptr, L""},
    {L"IsDocumentPlayingAudioChanged", Target::WebView, nullptr, nullptr, L""},
    {L"FaviconChanged", Target::WebView, nullptr, nullptr, L""},
    {L"IsDefaultDownloadDialogOpenChanged", Target::WebView, nullptr, nullptr, L""},
    {L"ContextMenuRequested", Target::WebView, "ICoreWebView2ContextMenuRequestedEventArgs",
     "ICoreWebView2ContextMenuTarget", L"handled:b selectedCommandId:i"},
    {L"LaunchingExternalUriScheme", Target::WebView, "ICoreWebView2LaunchingExternalUriSchemeEventArgs", nullptr,
     L"cancel:b"},
    {L"NotificationReceived", Target::WebView, "ICoreWebView2NotificationReceivedEventArgs", nullptr, L"handled:b"},
    {L"SaveAsUIShowing", Target::WebView, "ICoreWebView2SaveAsUIShowingEventArgs", nullptr,
     L"cancel:b suppressDefaultDialog:b saveAsFilePath:s allowReplace:b kind:i"},
    {L"ScreenCaptureStarting", Target::WebView, "ICoreWebView2ScreenCaptureStartingEventArgs", nullptr,
     L"cancel:b handled:b"},
    {L"SaveFileSecurityCheckStarting", Target::WebView, "ICoreWebView2SaveFileSecurityCheckStartingEventArgs",
     nullptr, L"cancelSave:b suppressDefaultPolicy:b"},
    {L"ServerCertificateErrorDetected", Target::WebView, "ICoreWebView2ServerCertificateErrorDetectedEventArgs",
     nullptr, L"action:i"},
    {L"FrameCreated", Target::WebView, "ICoreWebView2FrameCreatedEventArgs", nullptr, L"frameId:i"},
    {L"WebResourceRequested", Target::WebView, "ICoreWebView2WebResourceRequestedEventArgs",
     "ICoreWebView2WebResourceRequest", L"response:o"},
    {L"BasicAuthenticationRequested", Target::WebView, "ICoreWebView2BasicAuthenticationRequestedEventArgs",
     "ICoreWebView2BasicAuthenticationResponse", L"cancel:b userName:s password:s"},
    {L"DownloadStarting", Target::WebView, "ICoreWebView2DownloadStartingEventArgs", "ICoreWebView2DownloadOperation",
     L"cancel:b resultFilePath:s handled:b"},
    // The last download a DownloadStarting left running; the given keys set its values first.
    {L"Download.StateChanged", Target::Download, nullptr, nullptr, L""},

    {L"ZoomFactorChanged", Target::Controller, nullptr, nullptr, L""},
    {L"AcceleratorKeyPressed", Target::Controller, "ICoreWebView2AcceleratorKeyPressedEventArgs", nullptr,
     L"handled:b isBrowserAcceleratorKeyEnabled:b"},
    {L"MoveFocusRequested", Target::Controller, "ICoreWebView2MoveFocusRequestedEventArgs", nullptr, L"handled:b"},

    {L"BrowserProcessExited", Target::Environment, "ICoreWebView2BrowserProcessExitedEventArgs", nullptr, L""},

    {L"Frame.NavigationStarting", Target::Frame, "ICoreWebView2NavigationStartingEventArgs", nullptr,
     L"cancel:b additionalAllowedFrameAncestors:s"},
    {L"Frame.Destroyed", Target::Frame, nullptr, nullptr, L""},

    // Find's events set its "matchCount" and "activeMatchIndex" first; a
    // DevTools event goes to the receiver of "eventName".
    {L"Find.MatchCountChanged", Target::Find, nullptr, nullptr, L""},
    {L"DevToolsProtocolEventReceived", Target::DevTools, "ICoreWebView2DevToolsProtocolEventReceivedEventArgs", nullptr,
     L""},
};

const EventInfo* FindEvent(const std::wstring& name) {
    for (const EventInfo& e : kEvents)
        if (name == e.name) return &e;
    return nullptr;
}

// Values the arguments start with when the test leaves them out, as the SDK documents them.
void ArgumentDefaults(const std::wstring& event, Bag& values) {
    auto preset = [&](const wchar_t* key, Value v) { values.emplace(key, std::move(v)); };
    if (event == L"AcceleratorKeyPressed") preset(L"isBrowserAcceleratorKeyEnabled", Value::Bool(true));
    if (event == L"ContextMenuRequested") {
        // A target has what the test gave it.
        for (auto [has, what] : {std::pair{L"hasLinkUri", L"linkUri"}, std::pair{L"hasLinkText", L"linkText"},
                                 std::pair{L"hasSourceUri", L"sourceUri"}, std::pair{L"hasSelection", L"selectionText"}})
            preset(has, Value::Bool(values.count(what) != 0));
        preset(L"isRequestedForMainFrame", Value::Bool(true));
    }
    if (event == L"PermissionRequested")
        preset(L"savesInProfile", Value::Bool(true));
    if (event == L"WebMessageReceived") {
        auto text = values.find(L"webMessageAsString");
        if (values.find(L"webMessageAsJson") == values.end() && text != values.end() &&
            text->second.kind == Value::Kind::String) {
            std::wstring json;
            AppendJsonString(json, text->second.s);
            preset(L"webMessageAsJson", Value::String(json));
        }
    }
}

// A sender property set from a test's value, keeping the property's type.
void SetProperty(RuntimeObject& sender, const std::wstring& key, const Value& v) {
    const Value* old = sender.Find(key);
    if (!old) {
        sender.props[key] = v;
        return;
    }
    switch (old->kind) {
    case Value::Kind::Bool: sender.props[key] = Value::Bool(v.AsBool()); break;
    case Value::Kind::Int: sender.props[key] = Value::Int(v.AsInt()); break;
    case Value::Kind::Double: sender.props[key] = Value::Double(v.AsDouble()); break;
    default: sender.props[key] = v; break;
    }
}

}  // namespace

// --- JSON text ---

void AppendJsonString(std::wstring& out, const std::wstring& text) {
    const std::u16string escaped =
        Corvane::EscapeJsonString(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
    out += L'"';
    out.append(reinterpret_cast<const wchar_t*>(escaped.data()), escaped.size());
    out += L'"';
}

// The values State shows: flags, numbers, texts and bounds.
void AppendJson(std::wstring& out, const Value& v) {
    switch (v.kind) {
    case Value::Kind::Bool: out += v.b ? L"true" : L"false"; break;
    case Value::Kind::Int: out += std::to_wstring(v.i); break;
    case Value::Kind::String: AppendJsonString(out, v.s); break;
    case Value::Kind::Blob:
        if (v.blob.size() == sizeof(RECT)) {
            RECT r;
            std::memcpy(&r, v.blob.data(), sizeof r);
            out += L"[" + std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," + std::to_wstring(r.right) +
                   L"," + std::to_wstring(r.bottom) + L"]";
            break;
        }
        [[fallthrough]];
    default: out += L"null"; break;
    }
}

// --- Arguments ---

EventArgs::EventArgs(std::string family, std::string secondFamily)
    : Com(nullptr), family_(std::move(family)), secondFamily_(std::move(secondFamily)) {}

bool EventArgs::Accepts(const char* name) {
    auto in = [name](const std::string& family) {
        if (family.empty() || std::strncmp(name, family.c_str(), family.size()) != 0) return false;
        for (const char* p = name + family.size(); *p; ++p)
            if (*p < '0' || *p > '9') return false;
        return true;
    };
    return in(family_) || in(secondFamily_);
}

const Value* EventArgs::Lookup(const std::wstring& key) {
    if (const Value* v = Find(key)) return v;
    // Shorter names a test may use: "kind" for every ...Kind, "moveFocusReason" for a focus move's reason.
    if (key.size() > 4 && key.compare(key.size() - 4, 4, L"Kind") == 0) return Find(L"kind");
    if (key == L"reason") return Find(L"moveFocusReason");
    return nullptr;
}

HRESULT EventArgs::TryGetWebMessageAsString(LPWSTR* webMessageAsString) {
    if (!webMessageAsString) return E_POINTER;
    *webMessageAsString = nullptr;
    const Value* v = Find(L"webMessageAsString");
    if (!v || v->kind != Value::Kind::String) return E_INVALIDARG;
    return CopyOut(v->s, webMessageAsString);
}

HRESULT EventArgs::get_Location(POINT* value) {
    if (!value) return E_POINTER;
    const Value* x = Find(L"locationX");
    const Value* y = Find(L"locationY");
    value->x = x ? static_cast<LONG>(x->AsInt()) : 0;
    value->y = y ? static_cast<LONG>(y->AsInt()) : 0;
    return S_OK;
}

HRESULT EventArgs::get_ContextMenuTarget(ICoreWebView2ContextMenuTarget** target) {
    if (!target) return E_POINTER;
    return QueryInterface(__uuidof(ICoreWebView2ContextMenuTarget), reinterpret_cast<void**>(target));
}

namespace {

using FrameInfoObject = BagObject<FrameInfoMethods<RuntimeObject>>;

class FrameInfoIterator final : public Com<FrameInfoIteratorMethods<RuntimeObject>> {
public:
    explicit FrameInfoIterator(std::vector<std::wstring> names) : Com(nullptr), names_(std::move(names)) {}
    HRESULT STDMETHODCALLTYPE get_HasCurrent(BOOL* hasCurrent) override {
        if (!hasCurrent) return E_POINTER;
        *hasCurrent = at_ < names_.size();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCurrent(ICoreWebView2FrameInfo** frameInfo) override {
        if (!frameInfo) return E_POINTER;
        *frameInfo = nullptr;
        if (at_ >= names_.size()) return HRESULT_FROM_WIN32(ERROR_INVALID_INDEX);
        Bag info;
        info[L"name"] = Value::String(names_[at_]);
        info[L"source"] = Value::String(L"");
        info[L"frameId"] = Value::Int(static_cast<long long>(at_) + 1);
        auto object = Make<FrameInfoObject>(nullptr, std::move(info));
        return object->QueryInterface(__uuidof(ICoreWebView2FrameInfo), reinterpret_cast<void**>(frameInfo));
    }
    HRESULT STDMETHODCALLTYPE MoveNext(BOOL* hasNext) override {
        if (!hasNext) return E_POINTER;
        if (at_ < names_.size()) ++at_;
        *hasNext = at_ < names_.size();
        return S_OK;
    }

private:
    std::vector<std::wstring> names_;
    size_t at_ = 0;
};

class FrameInfoList final : public Com<FrameInfoCollectionMethods<RuntimeObject>> {
public:
    explicit FrameInfoList(std::vector<std::wstring> names) : Com(nullptr), names_(std::move(names)) {}
    HRESULT STDMETHODCALLTYPE GetIterator(ICoreWebView2FrameInfoCollectionIterator** iterator) override {
        if (!iterator) return E_POINTER;
        auto it = Make<FrameInfoIterator>(names_);
        return it->QueryInterface(__uuidof(ICoreWebView2FrameInfoCollectionIterator), reinterpret_cast<void**>(iterator));
    }

private:
    std::vector<std::wstring> names_;
};

}  // namespace

HRESULT EventArgs::get_Request(ICoreWebView2WebResourceRequest** request) {
    if (!request) return E_POINTER;
    return QueryInterface(__uuidof(ICoreWebView2WebResourceRequest), reinterpret_cast<void**>(request));
}

HRESULT EventArgs::get_Response(ICoreWebView2BasicAuthenticationResponse** response) {
    if (!response) return E_POINTER;
    return QueryInterface(__uuidof(ICoreWebView2BasicAuthenticationResponse), reinterpret_cast<void**>(response));
}

HRESULT EventArgs::get_DownloadOperation(ICoreWebView2DownloadOperation** operation) {
    if (!operation) return E_POINTER;
    return QueryInterface(__uuidof(ICoreWebView2DownloadOperation), reinterpret_cast<void**>(operation));
}

HRESULT EventArgs::get_FrameInfosForFailedProcess(ICoreWebView2FrameInfoCollection** frames) {
    if (!frames) return E_POINTER;
    const Value* names = Find(L"frameNames");
    auto list = Make<FrameInfoList>(names && names->kind == Value::Kind::List ? names->list : std::vector<std::wstring>());
    return list->QueryInterface(__uuidof(ICoreWebView2FrameInfoCollection), reinterpret_cast<void**>(frames));
}

// --- Raising ---

Raised RaiseEvent(int slot, const std::wstring& event, const Bag& given) {
    Raised r;
    const EventInfo* info = FindEvent(event);
    if (!info) {
        r.error = L"unknown event " + event;
        return r;
    }
    if (slot >= static_cast<int>(G().webViews.size())) slot = -1;
    WebView* view = slot < 0 ? nullptr : G().webViews[slot].view;
    Bag values = given;
    ArgumentDefaults(event, values);

    // The sender, as the handler's first parameter, and its runtime object.
    RuntimeObject* sender = nullptr;
    IUnknown* senderPointer = nullptr;
    ComPtr<IUnknown> keepSender;
    std::wstring handlerName = event;
    switch (info->target) {
    case Target::WebView:
        if (view) sender = view, senderPointer = static_cast<ICoreWebView2*>(view);
        break;
    case Target::Controller:
        if (slot >= 0 && G().webViews[slot].controller) {
            Controller* c = G().webViews[slot].controller;
            sender = c, senderPointer = static_cast<ICoreWebView2Controller*>(c);
        }
        break;
    case Target::Environment: {
        Environment* e = slot >= 0 ? G().webViews[slot].environment
                                   : (G().environments.empty() ? nullptr : G().environments.back());
        if (e) sender = e, senderPointer = static_cast<ICoreWebView2Environment*>(e);
        break;
    }
    case Target::Find:
        handlerName = event.substr(5);
        if (view && view->find) sender = view->find.get(), senderPointer = static_cast<ICoreWebView2Find*>(view->find.get());
        break;
    case Target::DevTools: {
        const Value* name = values.count(L"eventName") ? &values[L"eventName"] : nullptr;
        auto found = view && name ? view->receivers.find(name->s) : decltype(view->receivers.end()){};
        if (view && name && found != view->receivers.end()) {
            sender = found->second.get();
            senderPointer = static_cast<ICoreWebView2*>(view);   // the handler's sender is the web view
        }
        break;
    }
    case Target::Download:
        handlerName = event.substr(9);
        if (view && view->lastDownload) {
            auto* download = dynamic_cast<EventArgs*>(view->lastDownload.get());
            sender = download;
            senderPointer = static_cast<IUnknown*>(download->FindInterfaceByName("ICoreWebView2DownloadOperation"));
        }
        break;
    case Target::Frame: {
        handlerName = event.substr(6);
        const Value* id = values.count(L"frameId") ? &values[L"frameId"] : nullptr;
        if (view && id) {
            for (auto& f : view->frames) {
                if (f.id == static_cast<UINT32>(id->AsInt())) {
                    sender = f.frame.get(), senderPointer = static_cast<ICoreWebView2Frame*>(f.frame.get());
                }
            }
        }
        if (!sender) {
            r.error = L"no such frame";
            return r;
        }
        break;
    }
    }
    if (!sender) {
        r.error = slot < 0 ? L"no such web view" : L"the event's sender was released";
        return r;
    }
    keepSender = ComPtr<IUnknown>(senderPointer);

    void* argsPointer = nullptr;
    if (info->family) {
        r.args = Make<EventArgs>(info->family, info->second ? info->second : "");
        argsPointer = r.args->FindInterfaceByName(info->family);
    }

    // Effects that come before the handlers.
    if (event == L"FrameCreated") {
        UINT32 id = values.count(L"frameId") ? static_cast<UINT32>(values[L"frameId"].AsInt()) : view->nextFrameId;
        view->nextFrameId = std::max(view->nextFrameId, id + 1);
        std::wstring name = values.count(L"name") ? values[L"name"].s : std::wstring();
        auto frame = Make<Frame>(name, id);
        view->frames.push_back({id, frame});
        values[L"frameId"] = Value::Int(id);
        values[L"frame"] = Value::Object(static_cast<ICoreWebView2Frame*>(frame.get()));
    }
    if (!info->family || event == L"SourceChanged") {
        for (const auto& [key, v] : values)
            if (key != L"frameId") SetProperty(*sender, key, v);
    }

    if (r.args) r.args->props = values;
    r.called = sender->RaiseHandlers(handlerName, senderPointer, static_cast<IUnknown*>(argsPointer));
    r.ok = true;

    // Effects after the handlers.
    if (event == L"Frame.Destroyed") {
        sender->DropHandlers();
        UINT32 id = static_cast<UINT32>(values[L"frameId"].AsInt());
        auto& frames = view->frames;
        frames.erase(std::remove_if(frames.begin(), frames.end(), [id](const auto& f) { return f.id == id; }),
                     frames.end());
    }
    if (event == L"DownloadStarting") {
        const Value* cancel = r.args->Find(L"cancel");
        if (!(cancel && cancel->AsBool())) view->lastDownload = ComPtr<IUnknown>(r.args->IdentityUnknown());
    }
    return r;
}

std::wstring AnswerJson(const std::wstring& event, const Raised& raised) {
    const EventInfo* info = FindEvent(event);
    std::wstring out = L"{";
    std::wstring answers = info ? info->answers : L"";
    size_t at = 0;
    while (at < answers.size()) {
        size_t end = answers.find(L' ', at);
        if (end == std::wstring::npos) end = answers.size();
        std::wstring item = answers.substr(at, end - at);
        at = end + 1;
        size_t colon = item.find(L':');
        std::wstring key = item.substr(0, colon);
        wchar_t type = item[colon + 1];
        const Value* v = raised.args ? raised.args->Find(key) : nullptr;
        AppendJsonString(out, key);
        out += L':';
        if (type == L'b') out += v && v->AsBool() ? L"true" : L"false";
        else if (type == L'i') out += std::to_wstring(v ? v->AsInt() : 0);
        else if (type == L's') AppendJsonString(out, v && v->kind == Value::Kind::String ? v->s : std::wstring());
        else out += v && v->object ? L"true" : L"false";
        out += L',';
    }
    out += L"\"handlers\":" + std::to_wstring(raised.called) + L"}";
    return out;
}

}  // namespace CorvaneTest::Runtime
