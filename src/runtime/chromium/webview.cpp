#include "webview.h"

#include "json_text.h"
#include "settings.h"
#include "wine_paths.h"

namespace Corvane::Chromium {

namespace {

constexpr char16_t kBindingName[] = u"__corvaneBridge";

// Host and page meet through one binding: the page sends {k:"m", d:json} for
// a web message, {k:"c"} for window.close() and {k:"h", ...} for a host
// object call (host_objects.cpp); the host answers through
// chrome.webview's dispatcher. The binding's global is removed so the page's
// own scripts cannot forge messages under another name.
constexpr char16_t kBootstrapHead[] =
    u"(function(){var b=window.__corvaneBridge;if(typeof b!=='function')return;"
    u"try{delete window.__corvaneBridge;}catch(e){}"
    u"var ls=[];var wv={};";
constexpr char16_t kBootstrapMessages[] =
    u"wv.postMessage=function(m){if(arguments.length<1)throw new TypeError('postMessage needs a message');"
    u"var d=JSON.stringify(m);b(JSON.stringify({k:'m',d:d===undefined?'null':d}));};";
// chrome.webview.hostObjects: asynchronous proxies. hostObjects.<name> is an
// object proxy; each member of it is a member proxy that calls when called,
// gets when awaited (then), and reads further members down a path. Setting a
// member sends the set. Values cross as tagged JSON (see
// portable/host_object_rules.h); an object in an answer becomes a further
// object proxy, and its collection tells the host to let go of it.
constexpr char16_t kBootstrapHostObjects[] =
    u"(function(){var n=0,pend=new Map(),refs=new WeakMap(),roots=new Map();"
    u"var fr=typeof FinalizationRegistry==='function'?new FinalizationRegistry(function(id){"
    u"try{b(JSON.stringify({k:'h',c:++n,o:id,p:[],op:'release',a:[]}));}catch(e){}}):null;"
    u"function enc(v,d){if(d>16)throw new TypeError('Host object arguments nest too deeply');"
    u"if(v===undefined)return {$u:0};"
    u"if(v===null||typeof v==='boolean'||typeof v==='string')return v;"
    u"if(typeof v==='number')return isFinite(v)?v:{$n:String(v)};"
    u"var r=refs.get(v);if(r!==undefined)return typeof r==='number'?{$o:r}:{$r:r};"
    u"if(v instanceof Date)return {$d:v.getTime()};"
    u"if(Array.isArray(v))return v.map(function(x){return enc(x,d+1);});"
    u"throw new TypeError('A host object cannot take this '+typeof v+' value');}"
    u"function dec(v){if(Array.isArray(v))return v.map(dec);"
    u"if(v!==null&&typeof v==='object'){if('$d' in v)return new Date(v.$d);if('$o' in v)return obj(v.$o);"
    u"if('$n' in v)return Number(v.$n);return undefined;}return v;}"
    u"function send(op,o,p,a){return new Promise(function(res,rej){var c=++n,m;"
    u"try{m=JSON.stringify({k:'h',c:c,o:o,p:p,op:op,a:a.map(function(x){return enc(x,0);})});}catch(e){rej(e);return;}"
    u"pend.set(c,{res:res,rej:rej});b(m);});}"
    u"function quiet(p){p.catch(function(){});}"
    u"Object.defineProperty(wv,'__hostSettle',{value:function(c,ok,v){var q=pend.get(c);if(!q)return;pend.delete(c);"
    u"if(ok)q.res(dec(v));else q.rej(new Error(String(v)));}});"
    u"function member(o,p){return new Proxy(function(){},{"
    u"apply:function(t,s,args){return send('call',o,p,Array.prototype.slice.call(args));},"
    u"get:function(t,k){if(typeof k==='symbol')return undefined;"
    u"if(k==='then')return function(y,x){return send('get',o,p,[]).then(y,x);};"
    u"return member(o,p.concat([k]));},"
    u"set:function(t,k,v){if(typeof k!=='symbol')quiet(send('set',o,p.concat([k]),[v]));return true;}});}"
    u"function obj(o){var x=new Proxy({},{"
    u"get:function(t,k){if(typeof k==='symbol'||k==='then'||k==='toJSON')return undefined;"
    u"if(k==='getHostProperty')return function(m){return send('get',o,[String(m)],[]);};"
    u"if(k==='setHostProperty')return function(m,v){return send('set',o,[String(m)],[v]);};"
    u"return member(o,[k]);},"
    u"set:function(t,k,v){if(typeof k!=='symbol')quiet(send('set',o,[k],[v]));return true;}});"
    u"refs.set(x,o);if(typeof o==='number'&&fr)fr.register(x,o);return x;}"
    u"var opts={defaultSyncProxy:false,forceAsyncMethodMatches:[],ignoreMemberNotFoundError:false,"
    u"shouldSerializeDates:false,log:function(){}};"
    u"var sync=new Proxy({},{get:function(t,k){if(typeof k==='symbol'||k==='then')return undefined;"
    u"throw new Error('Synchronous host object proxies are not supported; await chrome.webview.hostObjects.'+String(k));}});"
    u"var ho=new Proxy({},{get:function(t,k){if(typeof k==='symbol'||k==='then')return undefined;"
    u"if(k==='options')return opts;if(k==='sync')return sync;"
    u"if(k==='cleanupSome'||k==='cancelPromise')return function(){};"
    u"var r=roots.get(k);if(!r){r=obj(k);roots.set(k,r);}return r;},set:function(){return true;}});"
    u"Object.defineProperty(wv,'hostObjects',{value:ho,enumerable:true});})();";
constexpr char16_t kBootstrapTail[] =
    u"wv.addEventListener=function(t,f){if(t==='message'&&typeof f==='function'&&ls.indexOf(f)<0)ls.push(f);};"
    u"wv.removeEventListener=function(t,f){var i=ls.indexOf(f);if(i>=0)ls.splice(i,1);};"
    u"Object.defineProperty(wv,'__dispatch',{value:function(d){var e=new MessageEvent('message',{data:d});"
    u"ls.slice().forEach(function(f){try{f.call(wv,e);}catch(x){setTimeout(function(){throw x;});}});}});"
    u"if(!window.chrome)window.chrome={};"
    u"Object.defineProperty(window.chrome,'webview',{value:wv,enumerable:true});"
    u"if(window===window.top){window.close=function(){b(JSON.stringify({k:'c'}));};"
    // A title set by script is told at once; the browser reports it late or not at all.
    u"var td=Object.getOwnPropertyDescriptor(Document.prototype,'title');"
    u"if(td&&td.set){Object.defineProperty(Document.prototype,'title',{configurable:true,enumerable:td.enumerable,"
    u"get:td.get,set:function(v){td.set.call(this,v);"
    u"if(this===document)b(JSON.stringify({k:'t',d:String(td.get.call(this))}));}});}}"
    u"})();";

// Events that show the page navigating, replaced or running script: its
// first document is no longer the untouched blank one.
bool EndsFirstDocument(std::u16string_view method) {
    if (method == u"Page.frameResized") return false;   // our own metrics
    return method.starts_with(u"Page.frame") || method.starts_with(u"Page.navigated") ||
           method == u"Page.documentOpened" || method == u"Page.windowOpen" ||
           method == u"Page.javascriptDialogOpening" || method == u"Fetch.requestPaused" ||
           method.starts_with(u"Runtime.executionContext") || method == u"Runtime.bindingCalled" ||
           method == u"Inspector.targetCrashed";
}

}  // namespace

WebView::WebView(std::shared_ptr<Browser> browser, ComPtr<ICoreWebView2Environment> environment)
    : ComObject(nullptr), browser_(std::move(browser)), environment_(std::move(environment)) {
    settings_ = Make<Settings>();
    if (settings_) settings_->changed = [this] { SettingsChanged(); };
}

WebView::~WebView() {
    if (settings_) settings_->changed = nullptr;
    if (find_) find_->ViewGone();
    if (devtools_) devtools_->Close();
    if (browser_ && !sessionId_.empty()) browser_->RemoveSession(sessionId_);
}

HRESULT WebView::Usable() const {
    if (closed_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    if (dead_ || !browser_ || !browser_->IsAlive()) return HRESULT_FROM_WIN32(ERROR_CONNECTION_ABORTED);
    return S_OK;
}

void WebView::Send(std::u16string_view method, std::u16string_view params, ReplyFn reply) {
    if (browser_) browser_->Send(method, params, sessionId_, std::move(reply));
}

std::u16string WebView::Bootstrap() const {
    std::u16string script = kBootstrapHead;
    if (bootstrapWebMessages_) script += kBootstrapMessages;
    if (bootstrapHostObjects_) script += kBootstrapHostObjects;
    script += kBootstrapTail;
    return script;
}

void WebView::Start(std::function<void(HRESULT)> done) {
    ComPtr<WebView> self(this);
    // The turn is held until the set-up is sent: its copy in each reply
    // handler goes when that handler has run (or the reply was lost).
    auto attach = [self, done](std::u16string targetId, bool created, Browser::Turn turn) {
        self->targetId_ = std::move(targetId);
        self->browser_->Send(u"Target.attachToTarget",
                             Params().Add(u"targetId", self->targetId_).Add(u"flatten", true).Text(), {},
                             [self, done, created, turn](const CdpReply& attached) {
            if (!attached.Ok()) return done(E_FAIL);
            self->sessionId_ = Str(attached.result, u"sessionId");
            self->browser_->AddSession(self->sessionId_, self->targetId_, self.get());
            self->settingUp_ = true;
            self->SetUpSession([self, done, created](HRESULT hr) {
                // A target we created began loading its blank page before
                // answering, and Page.enable answers only once such a load
                // ended (v156): after the set-up the blank document is final,
                // unless the set-up saw a load start and not end. The start
                // page's load may begin as late as our attach: it counts only
                // once the set-up saw that load end.
                self->settingUp_ = false;
                const BlankLoad load = self->blankLoad_;
                self->firstDocument_ =
                    SUCCEEDED(hr) && (load == BlankLoad::Ended || (created && load == BlankLoad::Unseen));
                done(hr);
            });
        });
    };
    browser_->TakeTurn([self, attach, done](Browser::Turn turn) {
        std::u16string startPage = self->browser_->TakeStartPage();
        if (!startPage.empty()) return attach(std::move(startPage), false, std::move(turn));
        // Each further view gets a window of its own: a second tab would hide the first.
        self->browser_->Send(u"Target.createTarget",
                             Params().Add(u"url", u"about:blank").Add(u"newWindow", true).Text(), {},
                             [attach, done, turn](const CdpReply& created) {
            if (!created.Ok()) return done(E_FAIL);
            attach(std::u16string(Str(created.result, u"targetId")), true, turn);
        });
    });
}

void WebView::SetUpSession(std::function<void(HRESULT)> done) {
    ComPtr<WebView> self(this);
    auto failed = std::make_shared<bool>(false);
    auto check = [failed](const CdpReply& reply) {
        if (!reply.Ok()) *failed = true;
    };
    Send(u"Page.enable", u"{}", check);
    Send(u"Page.setLifecycleEventsEnabled", Params().Add(u"enabled", true).Text(), check);
    Send(u"Runtime.enable", u"{}", check);
    Send(u"Network.enable", u"{}", check);
    // Documents pause: they are the navigations the host may cancel.
    Send(u"Fetch.enable", FetchPatterns(), check);
    Send(u"Runtime.addBinding", Params().Add(u"name", kBindingName).Text(), check);
    InstallBootstrap();
    // The first document is already there: give it chrome.webview too.
    Send(u"Runtime.evaluate", Params().Add(u"expression", Bootstrap()).Text());
    if (settings_) settings_->defaultUserAgent = browser_->UserAgent();
    Send(u"Page.getNavigationHistory", u"{}", [self](const CdpReply& reply) {
        if (!reply.Ok()) return;
        self->historyIndex_ = static_cast<int>(Num(reply.result, u"currentIndex"));
        const JsonNode* entries = reply.result->Find(u"entries");
        self->historyEntries_.clear();
        for (std::uint32_t i = 0; entries && entries->type == JsonNodeType::Array && i < entries->count; ++i)
            self->historyEntries_.push_back(static_cast<int>(Num(&entries->elements[i], u"id")));
    });
    Send(u"Page.getFrameTree", u"{}", [self, done, failed](const CdpReply& reply) {
        if (reply.Ok()) self->mainFrameId_ = Str(Obj(Obj(reply.result, u"frameTree"), u"frame"), u"id");
        if (*failed || !reply.Ok() || self->mainFrameId_.empty()) return done(E_FAIL);
        done(S_OK);
    });
}

void WebView::InstallBootstrap() {
    ComPtr<WebView> self(this);
    firstDocument_ = false;   // the next document gets another bootstrap than this one has
    if (!bootstrapId_.empty())
        Send(u"Page.removeScriptToEvaluateOnNewDocument", Params().Add(u"identifier", bootstrapId_).Text());
    bootstrapId_.clear();
    bootstrapWebMessages_ = !settings_ || settings_->webMessage;
    bootstrapHostObjects_ = !settings_ || settings_->hostObjects;
    Send(u"Page.addScriptToEvaluateOnNewDocument", Params().Add(u"source", Bootstrap()).Text(),
         [self](const CdpReply& reply) {
             if (reply.Ok()) self->bootstrapId_ = Str(reply.result, u"identifier");
         });
}

void WebView::Close() {
    if (closed_) return;
    closed_ = true;
    if (browser_) {
        if (!sessionId_.empty()) browser_->RemoveSession(sessionId_);
        if (!targetId_.empty() && browser_->IsAlive())
            browser_->Send(u"Target.closeTarget", Params().Add(u"targetId", targetId_).Text());
    }
    FlushScripts();   // each fails: the view is closed
    if (devtools_) devtools_->Close();
    if (find_) find_->ViewGone();
    frames_.clear();
    if (cookieManager_) cookieManager_->Detach();
    if (profile_) profile_->Detach();
    for (auto& [guid, download] : downloads_) download->Detach();
    downloads_.clear();
    ReleaseHostObjects();
}

void WebView::ApplyMetrics(int width, int height, double zoom) {
    if (closed_ || sessionId_.empty() || width <= 0 || height <= 0 || zoom <= 0) return;
    Send(u"Emulation.setDeviceMetricsOverride", Params()
                                                    .Add(u"width", static_cast<int>(width / zoom + 0.5))
                                                    .Add(u"height", static_cast<int>(height / zoom + 0.5))
                                                    .Add(u"deviceScaleFactor", zoom)
                                                    .Add(u"mobile", false)
                                                    .Text());
}

void WebView::ApplyVisibility(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (closed_ || sessionId_.empty()) return;
    // A shown view is never left frozen.
    if (visible && suspended_) Resume();
    ComPtr<WebView> self(this);
    browser_->Send(u"Browser.getWindowForTarget", Params().Add(u"targetId", targetId_).Text(), {},
                   [self, visible](const CdpReply& reply) {
        if (!reply.Ok() || self->closed_) return;
        std::u16string bounds = u"{\"windowState\":\"";
        bounds += visible ? u"normal" : u"minimized";
        bounds += u"\"}";
        self->browser_->Send(u"Browser.setWindowBounds",
                             Params().Add(u"windowId", Num(reply.result, u"windowId")).Raw(u"bounds", bounds).Text());
    });
}

void WebView::SettingsChanged() {
    if (closed_ || sessionId_.empty() || !settings_) return;
    // Only what changed: each override costs the browser a trip to the page.
    if (!settings_->script != sentScriptDisabled_) {
        sentScriptDisabled_ = !settings_->script;
        Send(u"Emulation.setScriptExecutionDisabled", Params().Add(u"value", sentScriptDisabled_).Text());
    }
    if (settings_->userAgent != sentUserAgent_) {
        // Back to the browser's own agent: override with it, as CDP cannot clear an override.
        const std::u16string& agent = settings_->userAgent.empty() ? settings_->defaultUserAgent : settings_->userAgent;
        if (!agent.empty()) {
            sentUserAgent_ = settings_->userAgent;
            Send(u"Emulation.setUserAgentOverride", Params().Add(u"userAgent", agent).Text());
        }
    }
    // Web messages and host objects follow from the next document, as the settings say.
    if (settings_->webMessage != bootstrapWebMessages_ || settings_->hostObjects != bootstrapHostObjects_)
        InstallBootstrap();
}

HRESULT WebView::get_Settings(ICoreWebView2Settings** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!settings_) return E_OUTOFMEMORY;
    *out = static_cast<ICoreWebView2Settings*>(static_cast<ICoreWebView2Settings3*>(settings_.get()));
    (*out)->AddRef();
    return S_OK;
}

HRESULT WebView::get_Source(LPWSTR* uri) { return CoString(source_, uri); }

HRESULT WebView::get_DocumentTitle(LPWSTR* title) { return CoString(title_, title); }

HRESULT WebView::get_CanGoBack(BOOL* value) {
    if (!value) return E_POINTER;
    *value = historyIndex_ > 0;
    return S_OK;
}

HRESULT WebView::get_CanGoForward(BOOL* value) {
    if (!value) return E_POINTER;
    *value = historyIndex_ + 1 < static_cast<int>(historyEntries_.size());
    return S_OK;
}

HRESULT WebView::get_BrowserProcessId(UINT32* value) {
    if (!value) return E_POINTER;
    *value = 0;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    // Under Wine the browser is a Linux process: its pid names no Windows
    // process, and a caller that opened it would reach an unrelated one.
    if (UnderWine()) return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
    *value = browser_->ProcessId();
    return S_OK;
}

HRESULT WebView::TrySuspend(ICoreWebView2TrySuspendCompletedHandler* handler) {
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    // Only a hidden view may be suspended; the browser itself would freeze a visible one.
    if (visible_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    ComPtr<WebView> self(this);
    ComPtr<ICoreWebView2TrySuspendCompletedHandler> done(handler);
    return ComBarrier([&] {
        Send(u"Page.setWebLifecycleState", Params().Add(u"state", u"frozen").Text(), [self, done](const CdpReply& reply) {
            if (reply.Ok()) self->suspended_ = true;
            if (done) done->Invoke(reply.Ok() ? S_OK : E_FAIL, reply.Ok() ? TRUE : FALSE);
        });
        return S_OK;
    });
}

HRESULT WebView::Resume() {
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    return ComBarrier([&] {
        suspended_ = false;
        Send(u"Page.setWebLifecycleState", Params().Add(u"state", u"active").Text());
        return S_OK;
    });
}

HRESULT WebView::get_IsSuspended(BOOL* value) {
    if (!value) return E_POINTER;
    *value = suspended_;
    return S_OK;
}

void WebView::OnSessionEvent(std::u16string_view method, const JsonNode& params) {
    if (closed_) return;
    ComPtr<WebView> self(this);   // a handler may release the host's last reference
    if (firstDocument_ && EndsFirstDocument(method)) firstDocument_ = false;
    if (settingUp_ && Str(&params, u"frameId") == targetId_) {
        if (method == u"Page.frameStoppedLoading") blankLoad_ = BlankLoad::Ended;
        else if (method.starts_with(u"Page.frameStarted") || method.starts_with(u"Page.navigated") ||
                 method == u"Page.documentOpened")
            blankLoad_ = BlankLoad::Loading;
    }
    if (method.starts_with(u"Network.")) OnNetworkEvent(method, params);
    if (method == u"Fetch.requestPaused") OnRequestPaused(params);
    else if (method == u"Fetch.authRequired") OnAuthRequired(params);
    else if (method == u"Security.certificateError") OnCertificateError(params);
    else if (method == u"Page.frameStartedNavigating") OnFrameStartedNavigating(params);
    else if (method == u"Page.frameNavigated") OnFrameNavigated(params);
    else if (method == u"Page.navigatedWithinDocument") OnSameDocument(params);
    else if (method == u"Page.lifecycleEvent") OnLifecycle(params);
    else if (method == u"Page.frameStoppedLoading") {
        if (Str(&params, u"frameId") == mainFrameId_) CompleteIfStopped();
    } else if (method == u"Network.responseReceived") {
        if (Str(&params, u"type") == u"Document" && nav_.active && Str(&params, u"requestId") == nav_.requestId)
            nav_.httpStatus = static_cast<int>(Num(Obj(&params, u"response"), u"status"));
    } else if (method == u"Network.loadingFailed") {
        if (Str(&params, u"type") == u"Document") OnDocumentFailed(Str(&params, u"requestId"), Str(&params, u"errorText"));
    } else if (method == u"Page.javascriptDialogOpening") OnDialog(params);
    else if (method == u"Runtime.bindingCalled") OnBindingCalled(params);
    else if (method == u"Runtime.executionContextCreated") OnContextCreated(params);
    else if (method == u"Runtime.executionContextDestroyed") {
        const int context = static_cast<int>(Num(&params, u"executionContextId"));
        contextFrames_.erase(context);
        ReleaseHostResults(context);
    } else if (method == u"Runtime.executionContextsCleared") {
        contextFrames_.clear();
        ReleaseHostResults(0, true);
        contextReady_ = false;
    } else if (method == u"Inspector.targetCrashed") OnCrashed();
    else if (method == u"Page.windowOpen") OnWindowOpen(params);
    else if (method == u"Page.frameAttached") OnFrameAttached(params);
    else if (method == u"Page.frameDetached") OnFrameDetached(params);
}

void WebView::OnTargetEvent(std::u16string_view method, const JsonNode& params) {
    if (closed_) return;
    ComPtr<WebView> self(this);
    const JsonNode* info = Obj(&params, u"targetInfo");
    if (method == u"Target.targetCreated" && Str(info, u"openerId") == targetId_) {
        OnPopupTarget(*info);
    } else if (method == u"Target.targetInfoChanged" && Str(info, u"targetId") == targetId_) {
        OnTitle(std::u16string(Str(info, u"title")));
    } else if (method == u"Target.targetCrashed" && Str(&params, u"targetId") == targetId_) {
        OnCrashed();
    } else if (method.starts_with(u"Browser.download")) {
        OnDownloadEvent(method, params);
    }
}

void WebView::OnBrowserGone(HRESULT) {
    if (closed_ || dead_) return;
    ComPtr<WebView> self(this);
    dead_ = true;
    FlushScripts();
    Enqueue([self] {
        auto args = Make<ProcessFailedArgs>(COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED);
        if (args) self->processFailed_.Raise(static_cast<ICoreWebView2*>(self.get()),
                                             static_cast<ICoreWebView2ProcessFailedEventArgs*>(args.get()));
    });
}

void WebView::Enqueue(std::function<void()> raise) {
    raises_.push_back(std::move(raise));
    if (raising_) return;
    ComPtr<WebView> self(this);
    raising_ = true;
    while (!raises_.empty()) {
        std::function<void()> next = std::move(raises_.front());
        raises_.pop_front();
        if (closed_) continue;
        ComBarrier([&] {
            next();
            return S_OK;
        });
    }
    raising_ = false;
}

}  // namespace Corvane::Chromium
