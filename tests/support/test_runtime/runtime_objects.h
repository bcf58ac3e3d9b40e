// The runtime's objects. Each derives from its generated method base and
// overrides what behaves; every other method is a logged property or a
// logged E_NOTIMPL (see gen_runtime_bases.py).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "runtime_bases.h"
#include "runtime_core.h"

namespace CorvaneTest::Runtime {

class Environment;
class Controller;
class WebView;

// A property bag object with defaults (settings, profile, controller options).
template <class Methods>
class BagObject final : public Com<Methods> {
public:
    BagObject(const wchar_t* logName, Bag defaults) : Com<Methods>(logName) { this->props = std::move(defaults); }
};

using SettingsObject = BagObject<SettingsMethods<RuntimeObject>>;
using ProfileObject = BagObject<ProfileMethods<RuntimeObject>>;
using ControllerOptionsObject = BagObject<ControllerOptionsMethods<RuntimeObject>>;
using PrintSettingsObject = BagObject<PrintSettingsMethods<RuntimeObject>>;
using FindOptionsObject = BagObject<FindOptionsMethods<RuntimeObject>>;
using DevToolsReceiverObject = BagObject<DevToolsReceiverMethods<RuntimeObject>>;

// Find in page: Start logs the options it got and completes; the counts are
// properties a test sets with the Find.* events (runtime_events.cpp).
class FindObject final : public Com<FindMethods<RuntimeObject>> {
public:
    FindObject();
    HRESULT STDMETHODCALLTYPE Start(ICoreWebView2FindOptions* options, ICoreWebView2FindStartCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE Stop() override { Trace(L"Stop"); return Gate(); }
};

Bag SettingsDefaults();

class Environment final : public Com<EnvironmentMethods<RuntimeObject>> {
public:
    Environment();
    ~Environment() override;

    HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
        HWND parentWindow, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE CreatePrintSettings(ICoreWebView2PrintSettings** settings) override;
    HRESULT STDMETHODCALLTYPE CreateFindOptions(ICoreWebView2FindOptions** options) override;
    HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(IStream* content, int statusCode, LPCWSTR reasonPhrase,
                                                        LPCWSTR headers, ICoreWebView2WebResourceResponse** response) override;
#ifdef CORVANE_TRT_HAS_ICoreWebView2Environment10
    HRESULT STDMETHODCALLTYPE CreateCoreWebView2ControllerOptions(ICoreWebView2ControllerOptions** options) override;
    HRESULT STDMETHODCALLTYPE CreateCoreWebView2ControllerWithOptions(
        HWND parentWindow, ICoreWebView2ControllerOptions* options,
        ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override;
#endif

private:
    HRESULT StartController(HWND parentWindow, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler);
};

class Controller final : public Com<ControllerMethods<RuntimeObject>> {
public:
    Controller(Environment* environment, HWND parentWindow);
    ~Controller() override;

    HRESULT Gate() override;

    HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** coreWebView2) override;
    HRESULT STDMETHODCALLTYPE put_ZoomFactor(double zoomFactor) override;
    HRESULT STDMETHODCALLTYPE Close() override;

private:
    void SetZoom(double zoomFactor);
    ComPtr<WebView> view_;
    int index_;
    bool closed_ = false;
};

class Frame final : public Com<FrameMethods<RuntimeObject>> {
public:
    Frame(const std::wstring& name, UINT32 id);
};

// One navigation in flight.
struct Navigation {
    UINT64 id = 0;
    std::wstring uri;
    std::wstring title;
    COREWEBVIEW2_NAVIGATION_KIND kind = COREWEBVIEW2_NAVIGATION_KIND_NEW_DOCUMENT;
    int historyTarget = -1;   // back/forward: the entry it goes to
    bool canceled = false;    // stopped or overtaken: completes as cancelled at its next step
    bool finished = false;
    LONG failStatus = 0;      // CompleteNavigation(false, status)
};

class WebView final : public Com<WebViewMethods<RuntimeObject>> {
public:
    WebView(Environment* environment, Controller* controller, int index);
    ~WebView() override;

    HRESULT Gate() override;
    void ControllerGone(const Bag& lastProps) {
        controller_ = nullptr;
        controllerProps_ = lastProps;
    }
    void MarkClosed();

    // Test control.
    HRESULT CompleteHeldNavigation(bool success, LONG webErrorStatus);
    std::wstring StateJson(bool released = false);
    void DropHeldWork();
    // Frames made by FrameCreated, by id.
    struct FrameEntry {
        UINT32 id;
        ComPtr<Frame> frame;
    };
    std::vector<FrameEntry> frames;
    UINT32 nextFrameId = 1;
    // Starts a navigation as Navigate does.
    void StartNavigation(const std::wstring& uri, const std::wstring& title, COREWEBVIEW2_NAVIGATION_KIND kind,
                         int historyTarget);

    HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) override;
    HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) override;
    HRESULT STDMETHODCALLTYPE NavigateToString(LPCWSTR htmlContent) override;
    HRESULT STDMETHODCALLTYPE GoBack() override;
    HRESULT STDMETHODCALLTYPE Reload() override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL* canGoBack) override;
    HRESULT STDMETHODCALLTYPE get_CanGoForward(BOOL* canGoForward) override;
    HRESULT STDMETHODCALLTYPE ExecuteScript(LPCWSTR javaScript, ICoreWebView2ExecuteScriptCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(
        LPCWSTR javaScript, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR webMessageAsJson) override;
    HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR webMessageAsString) override;
    HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) override;
    HRESULT STDMETHODCALLTYPE TrySuspend(ICoreWebView2TrySuspendCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE Resume() override;
    HRESULT STDMETHODCALLTYPE get_Profile(ICoreWebView2Profile** value) override;
    // DevTools calls answer {"method":..,"params":..}; methods of the domain
    // "Unknown" fail as the browser fails a method it does not know.
    HRESULT STDMETHODCALLTYPE CallDevToolsProtocolMethod(LPCWSTR methodName, LPCWSTR parametersAsJson,
                                                         ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE GetDevToolsProtocolEventReceiver(LPCWSTR eventName,
                                                               ICoreWebView2DevToolsProtocolEventReceiver** receiver) override;
    HRESULT STDMETHODCALLTYPE get_Find(ICoreWebView2Find** value) override;
    // No PDF is made: PrintToPdf completes successfully and logs the settings used.
    HRESULT STDMETHODCALLTYPE PrintToPdf(LPCWSTR resultFilePath, ICoreWebView2PrintSettings* printSettings,
                                         ICoreWebView2PrintToPdfCompletedHandler* handler) override;
    ComPtr<FindObject> find;                                             // made by the first get_Find
    std::map<std::wstring, ComPtr<DevToolsReceiverObject>> receivers;   // by event name
    HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(LPCWSTR uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) override;
    // The last download a DownloadStarting handler kept ("Download.X" events go to it).
    ComPtr<IUnknown> lastDownload;

private:
    struct HeldScript {
        ComPtr<ICoreWebView2ExecuteScriptCompletedHandler> handler;
    };

    void Step(const std::shared_ptr<Navigation>& nav, int step);
    void PostStep(const std::shared_ptr<Navigation>& nav, int step);
    void FinishNavigation(const std::shared_ptr<Navigation>& nav, bool success, LONG status);

    ComPtr<Environment> environment_;
    Controller* controller_;   // the controller owns this web view
    Bag controllerProps_;      // the controller's last values, once it is gone
    int index_;
    bool closed_ = false;
    ComPtr<SettingsObject> settings_;
    ComPtr<ProfileObject> profile_;
    std::vector<std::pair<std::wstring, std::wstring>> history_;   // (uri, title)
    int historyIndex_ = -1;
    UINT64 lastNavigationId_ = 0;
    std::vector<std::shared_ptr<Navigation>> inFlight_;
    std::deque<std::shared_ptr<Navigation>> held_;
    std::deque<HeldScript> heldScripts_;
    int nextDocumentScript_ = 1;
};

// One object answers every event's arguments, limited by QueryInterface to
// the family of its event; its properties are the argument values.
class EventArgs final : public Com<ArgsMethods<RuntimeObject>> {
public:
    EventArgs(std::string family, std::string secondFamily = {});

    HRESULT STDMETHODCALLTYPE TryGetWebMessageAsString(LPWSTR* webMessageAsString) override;
    HRESULT STDMETHODCALLTYPE get_Location(POINT* value) override;
    HRESULT STDMETHODCALLTYPE get_ContextMenuTarget(ICoreWebView2ContextMenuTarget** target) override;
    HRESULT STDMETHODCALLTYPE get_FrameInfosForFailedProcess(ICoreWebView2FrameInfoCollection** frames) override;
    // The request, authentication answer or download an event carries: the
    // arguments object itself, answering that second family.
    HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest** request) override;
    HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2BasicAuthenticationResponse** response) override;
    HRESULT STDMETHODCALLTYPE get_DownloadOperation(ICoreWebView2DownloadOperation** operation) override;

protected:
    bool Accepts(const char* interfaceName) override;
    const Value* Lookup(const std::wstring& key) override;

private:
    std::string family_, secondFamily_;
};

// Raises `event` (an SDK event name, "Frame.X" for a frame's) on the web view
// in `slot` (-1: none) or its controller, environment or frame, with the given argument
// values, after the event's own effects (FrameCreated makes the frame, ...).
// Null on failure with `error` set; else the arguments after the handlers
// ran (null for events without arguments) and `called`, the handlers called.
struct Raised {
    bool ok = false;
    std::wstring error;
    int called = 0;
    ComPtr<EventArgs> args;
};
Raised RaiseEvent(int slot, const std::wstring& event, const Bag& values);
// The answer Raise gives a test: what handlers can set, as JSON.
std::wstring AnswerJson(const std::wstring& event, const Raised& raised);

// JSON text of a value (objects: whether one is set).
void AppendJson(std::wstring& out, const Value& v);
void AppendJsonString(std::wstring& out, const std::wstring& text);

// The slot of a test's web view number (-1: the newest), or -1.
int ResolveIndex(int index);
// The live web view a test numbers `index`, or null.
WebView* FindWebView(int index);

}  // namespace CorvaneTest::Runtime
