// Find in page. The browser's own find bar has no DevTools method, so the
// search runs as a script in an isolated world of the main frame: invisible
// to the page's scripts, sharing only its DOM. It searches the visible text
// of the document, its open shadow roots and its same-origin frames (a
// match does not span two text nodes), marks matches with the CSS highlight
// API under names of its own, and scrolls the active one into view. Each step
// searches again, so matches follow changes of the page.
#include "webview.h"

namespace Corvane::Chromium {

namespace {

constexpr char16_t kWorldName[] = u"__corvane_find";

// window.__cvnFind in the isolated world: start(term, caseSensitive,
// wholeWord, highlightAll), step(direction), stop(); each answers
// {count, active} with active counted from 1, -1 for none.
constexpr char16_t kFindScript[] =
    u"(function(){if(window.__cvnFind)return;"
    u"var tag=Math.random().toString(36).slice(2),ALL='cvnfind-all-'+tag,ACT='cvnfind-active-'+tag;"
    u"var q=null,ranges=[],active=-1,docs=[];"
    u"var word=/[\\p{L}\\p{N}\\p{M}_]/u,skip={SCRIPT:1,STYLE:1,NOSCRIPT:1,TEMPLATE:1,TITLE:1,HEAD:1};"
    u"function frames(d,out){out.push(d);var f=d.querySelectorAll('iframe,frame');"
    u"for(var i=0;i<f.length;i++){var c=null;try{c=f[i].contentDocument;}catch(e){}if(c&&c.documentElement)frames(c,out);}return out;}"
    u"function visible(el){return !el.checkVisibility||el.checkVisibility({visibilityProperty:true});}"
    u"function walk(root,doc,re,out){var w=doc.createTreeWalker(root,1|4);var n=w.currentNode;"
    u"while(n){if(n.nodeType===1){if(skip[n.nodeName]||!visible(n)){n=next(w,n);continue;}"
    u"if(n.shadowRoot)walk(n.shadowRoot,doc,re,out);}"
    u"else if(n.nodeType===3)match(n,doc,re,out);n=w.nextNode();}}"
    u"function next(w,n){var s=w.nextSibling();if(s)return s;while(w.parentNode()){s=w.nextSibling();if(s)return s;}return null;}"
    u"function match(t,doc,re,out){var s=t.data,m;re.lastIndex=0;"
    u"while((m=re.exec(s))!==null){var a=m.index,b=a+m[0].length;if(b===a){re.lastIndex++;continue;}"
    u"if(q.word&&(word.test(before(s,a))||word.test(after(s,b))))continue;"
    u"var r=doc.createRange();r.setStart(t,a);r.setEnd(t,b);out.push(r);}}"
    u"function after(s,b){return b<s.length?String.fromCodePoint(s.codePointAt(b)):'';}"
    u"function before(s,a){if(a===0)return '';var c=s.charCodeAt(a-1);"
    u"return c>=0xDC00&&c<=0xDFFF&&a>1?s.slice(a-2,a):s.charAt(a-1);}"
    u"function clear(){docs.forEach(function(d){try{var v=d.defaultView;if(v&&v.CSS&&v.CSS.highlights){v.CSS.highlights.delete(ALL);v.CSS.highlights.delete(ACT);}"
    u"var st=d.getElementById(ALL);if(st)st.remove();}catch(e){}});docs=[];}"
    u"function search(){var esc=q.term.replace(/[.*+?^${}()|[\\]\\\\]/g,'\\\\$&');"
    u"var re=new RegExp(esc,q.cs?'gu':'giu'),out=[];clear();docs=frames(document,[]);"
    u"docs.forEach(function(d){if(d.body)walk(d.body,d,re,out);});ranges=out;}"
    u"function paint(){var by=new Map();docs.forEach(function(d){by.set(d,{all:[],act:[]});});"
    u"ranges.forEach(function(r,i){var e=by.get(r.startContainer.ownerDocument);if(!e)return;"
    u"if(q.hl)e.all.push(r);if(i===active)e.act.push(r);});"
    u"by.forEach(function(e,d){var v=d.defaultView;if(!v||!v.CSS||!v.CSS.highlights||!v.Highlight)return;"
    u"if(!d.getElementById(ALL)){var st=d.createElement('style');st.id=ALL;"
    u"st.textContent='::highlight('+ALL+'){background-color:#ffeb3b;color:inherit}::highlight('+ACT+'){background-color:#ff9632;color:inherit}';"
    u"(d.head||d.documentElement).appendChild(st);}"
    u"v.CSS.highlights.set(ALL,new v.Highlight(...e.all));v.CSS.highlights.set(ACT,new v.Highlight(...e.act));});"
    u"var r=ranges[active];if(r){var el=r.startContainer.parentElement;if(el&&el.scrollIntoView)el.scrollIntoView({block:'center',inline:'nearest'});}}"
    u"function state(){return {count:ranges.length,active:active<0?-1:active+1};}"
    u"window.__cvnFind={"
    u"start:function(term,cs,ww,hl){q={term:term,cs:cs,word:ww,hl:hl};active=-1;if(!term){clear();ranges=[];return state();}"
    u"search();active=ranges.length?0:-1;paint();return state();},"
    u"step:function(d){if(!q)return state();var keep=active;search();var n=ranges.length;"
    u"active=n?((keep<0?(d>0?-1:0):keep)+d+n)%n:-1;paint();return state();},"
    u"stop:function(){clear();q=null;ranges=[];active=-1;return state();}};})();";

}  // namespace

HRESULT NewFindOptions(ICoreWebView2FindOptions** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto options = Make<FindOptions>();
    if (!options) return E_OUTOFMEMORY;
    *out = options.get();
    (*out)->AddRef();
    return S_OK;
}

HRESULT WebView::get_Find(ICoreWebView2Find** value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    if (HRESULT hr = Usable(); FAILED(hr)) return hr;
    if (!find_) find_ = Make<Find>(this);
    if (!find_) return E_OUTOFMEMORY;
    *value = find_.get();
    (*value)->AddRef();
    return S_OK;
}

namespace {

// Runs `call` in the find world of the view's main frame, making the world
// (and the script in it) when the document has none: after a navigation
// the old world is gone and the first attempt fails.
void RunInWorld(ComPtr<WebView> view, std::u16string call, int& context, std::function<void(const CdpReply&)> done,
                bool retry = true);

}  // namespace

// WebView's own pieces the find object needs, kept here beside their only user.
struct FindAccess {
    static void Send(WebView* view, std::u16string_view method, std::u16string_view params, ReplyFn reply) {
        view->Send(method, params, std::move(reply));
    }
    static const std::u16string& MainFrame(WebView* view) { return view->mainFrameId_; }
    static HRESULT Usable(WebView* view) { return view->Usable(); }
};

namespace {

void RunInWorld(ComPtr<WebView> view, std::u16string call, int& context, std::function<void(const CdpReply&)> done,
                bool retry) {
    auto evaluate = [view, call, done, retry, &context](int id) {
        FindAccess::Send(view.get(), u"Runtime.evaluate",
                         Params().Add(u"expression", call).Add(u"contextId", id).Add(u"returnByValue", true).Text(),
                         [view, call, done, retry, &context](const CdpReply& reply) {
                             if (!reply.Ok() && !reply.lost && retry) {
                                 context = 0;
                                 return RunInWorld(view, call, context, done, false);
                             }
                             done(reply);
                         });
    };
    if (context) return evaluate(context);
    FindAccess::Send(view.get(), u"Page.createIsolatedWorld",
                     Params().Add(u"frameId", FindAccess::MainFrame(view.get())).Add(u"worldName", kWorldName)
                         .Add(u"grantUniveralAccess", true).Text(),
                     [view, evaluate, done, &context](const CdpReply& made) {
                         if (!made.Ok()) return done(made);
                         context = static_cast<int>(Num(made.result, u"executionContextId"));
                         FindAccess::Send(view.get(), u"Runtime.evaluate",
                                          Params().Add(u"expression", kFindScript).Add(u"contextId", context).Text(),
                                          [evaluate, &context](const CdpReply&) { evaluate(context); });
                     });
}

}  // namespace

void Find::Update(const JsonNode* state) {
    const INT32 count = static_cast<INT32>(Num(state, u"count"));
    const INT32 active = static_cast<INT32>(Num(state, u"active", -1));
    const bool countChanged = count != count_, activeChanged = active != active_;
    count_ = count;
    active_ = active;
    ComPtr<Find> self(this);
    if (countChanged) countChanged_.Raise(static_cast<ICoreWebView2Find*>(this), static_cast<IUnknown*>(nullptr));
    if (activeChanged) activeChanged_.Raise(static_cast<ICoreWebView2Find*>(this), static_cast<IUnknown*>(nullptr));
}

HRESULT Find::Start(ICoreWebView2FindOptions* options, ICoreWebView2FindStartCompletedHandler* handler) {
    if (!options) return E_INVALIDARG;
    if (!view_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    if (HRESULT hr = FindAccess::Usable(view_); FAILED(hr)) return hr;
    LPWSTR term = nullptr;
    BOOL cs = FALSE, word = FALSE, all = FALSE;
    options->get_FindTerm(&term);
    options->get_IsCaseSensitive(&cs);
    options->get_ShouldMatchWord(&word);
    options->get_ShouldHighlightAllMatches(&all);
    std::u16string text(View(term));
    CoTaskMemFree(term);
    ComPtr<ICoreWebView2FindStartCompletedHandler> done(handler);
    ComPtr<Find> self(this);
    const UINT64 run = ++run_;
    // A new session starts from nothing: its first results are changes.
    count_ = 0;
    active_ = -1;
    stopped_ = false;
    return ComBarrier([&] {
        std::u16string call = u"window.__cvnFind.start(" + Quote(text) + (cs ? u",true" : u",false") +
                              (word ? u",true" : u",false") + (all ? u",true)" : u",false)");
        RunInWorld(ComPtr<WebView>(view_), std::move(call), context_, [self, done, run](const CdpReply& reply) {
            if (run != self->run_) {
                if (done) done->Invoke(E_ABORT);   // replaced by a newer Start
                return;
            }
            const JsonNode* value = reply.Ok() ? Obj(reply.result, u"result") : nullptr;
            const JsonNode* state = value ? Obj(value, u"value") : nullptr;
            if (!state) {
                if (done) done->Invoke(reply.lost ? HRESULT_FROM_WIN32(ERROR_CONNECTION_ABORTED) : E_FAIL);
                return;
            }
            // The runtime's order: the start completes, then the changes are told.
            const INT32 count = static_cast<INT32>(Num(state, u"count"));
            const INT32 active = static_cast<INT32>(Num(state, u"active", -1));
            self->count_ = count;
            self->active_ = active;
            if (done) done->Invoke(S_OK);
            if (run != self->run_) return;
            self->count_ = 0;
            self->active_ = -1;
            self->Update(state);
        });
        return S_OK;
    });
}

HRESULT Find::Step(int direction) {
    // Without a session the runtime's steps do nothing, quietly.
    if (!view_ || !run_ || stopped_) return S_OK;
    if (HRESULT hr = FindAccess::Usable(view_); FAILED(hr)) return hr;
    ComPtr<Find> self(this);
    const UINT64 run = run_;
    return ComBarrier([&] {
        RunInWorld(ComPtr<WebView>(view_), direction > 0 ? u"window.__cvnFind.step(1)" : u"window.__cvnFind.step(-1)",
                   context_, [self, run](const CdpReply& reply) {
            if (run != self->run_ || self->stopped_ || !reply.Ok()) return;
            const JsonNode* state = Obj(Obj(reply.result, u"result"), u"value");
            if (state) self->Update(state);
        });
        return S_OK;
    });
}

HRESULT Find::Stop() {
    if (!view_ || !run_ || stopped_) return S_OK;
    if (HRESULT hr = FindAccess::Usable(view_); FAILED(hr)) return hr;
    stopped_ = true;
    return ComBarrier([&] {
        RunInWorld(ComPtr<WebView>(view_), u"window.__cvnFind.stop()", context_, [](const CdpReply&) {});
        return S_OK;
    });
}

}  // namespace Corvane::Chromium
