#include "page_rules.h"

#include <memory>

#include "json_document.h"
#include "json_text.h"

namespace Corvane {

namespace {

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

std::u16string LowerText(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) c = Lower(c);
    return out;
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    return text;
}

// Messages are small; a page posting megabytes gets no dispatch.
constexpr std::uint64_t kMessageParseBudget = 16u << 20;

// Trailing separators go, but never below three characters (C:\ keeps its own).
std::u16string FolderKey(std::u16string_view path) {
    while (path.size() > 3 && (path.back() == u'\\' || path.back() == u'/')) path.remove_suffix(1);
    return LowerText(path);
}

}  // namespace

void MacroAllowList::Set(std::u16string_view list) {
    entries_.clear();
    while (!list.empty()) {
        const std::size_t comma = list.find(u',');
        const std::u16string_view piece = Trim(list.substr(0, comma));
        list = comma == std::u16string_view::npos ? std::u16string_view() : list.substr(comma + 1);
        if (piece.empty()) continue;
        std::u16string lower = LowerText(piece);
        if (!Find(lower)) entries_.emplace_back(std::move(lower), std::u16string(piece));
    }
}

const std::u16string* MacroAllowList::Find(std::u16string_view normalised) const {
    for (const auto& [lower, written] : entries_)
        if (lower == normalised) return &written;
    return nullptr;
}

std::u16string NormaliseMacroName(std::u16string_view name) {
    std::u16string out;
    for (char16_t c : name) {
        const char16_t l = Lower(c);
        if ((l >= u'a' && l <= u'z') || (c >= u'0' && c <= u'9') || c == u'_') out += l;
    }
    return out;
}

DispatchDecision DecideDispatch(std::u16string_view message, const MacroAllowList& allowed) {
    using Verdict = DispatchDecision::Verdict;
    DispatchDecision decision;
    if (message.size() < 7 || message.find(u"\"macro\"") == std::u16string_view::npos) return decision;
    std::unique_ptr<JsonDocument> document;
    std::u16string error;
    if (!ParseDocument(message, kMessageParseBudget, document, error)) return decision;
    const JsonNode& root = document->Root();
    if (root.type != JsonNodeType::Object) return decision;
    const JsonNode* macro = nullptr;
    const JsonNode* args = nullptr;
    for (std::uint32_t i = 0; i < root.count; ++i) {
        const JsonMember& member = root.members[i];
        const JsonNode** slot = member.Key() == u"macro" ? &macro : member.Key() == u"args" ? &args : nullptr;
        if (!slot) continue;
        if (*slot) {   // a second "macro" or "args": the page means two things at once
            decision.verdict = Verdict::Dropped;
            return decision;
        }
        *slot = &member.value;
    }
    if (!macro || macro->type != JsonNodeType::String) return decision;
    const std::u16string normalised = NormaliseMacroName(macro->String());
    if (normalised.empty()) return decision;
    const std::u16string* entry = allowed.Find(normalised);
    if (!entry) {
        decision.verdict = Verdict::Dropped;
        return decision;
    }
    decision.verdict = Verdict::Run;
    decision.macro = *entry;
    if (args && args->type == JsonNodeType::String) decision.args = std::u16string(args->String());
    return decision;
}

const std::u16string& ElementWiringScript() {
    static const std::u16string script = uR"JS((function(){'use strict';
function post(macro,args,evt){try{window.chrome.webview.postMessage(JSON.stringify({macro:macro,args:args,event:evt}));}catch(e){}}
var EVENTS=['change','input','submit','focus','blur','keyup'];
var SELECTOR='[data-vba],[data-vba-change],[data-vba-input],[data-vba-submit],[data-vba-focus],[data-vba-blur],[data-vba-keyup]';
function argOf(el){var v='';var name=el.getAttribute('data-vba-arg');
if(name){var p=el[name];if(p===null||p===undefined)p=el.getAttribute(name);v=(p===null||p===undefined)?'':String(p);}
if(!v)v=(el.value===null||el.value===undefined)?'':String(el.value);return v;}
function wire(el){if(!el||!el.getAttribute)return;
if(el.hasAttribute('data-vba')&&!el.__cv_click){el.__cv_click=true;el.addEventListener('click',function(){
if(el.dataset.vbaPending)return;el.dataset.vbaPending='1';setTimeout(function(){delete el.dataset.vbaPending;},100);
post(el.getAttribute('data-vba'),el.getAttribute('data-args')||'','click');},true);}
EVENTS.forEach(function(evt){var macro=el.getAttribute('data-vba-'+evt);if(!macro||el['__cv_'+evt])return;el['__cv_'+evt]=true;
el.addEventListener(evt,function(e){if(evt==='submit')e.preventDefault();post(macro,argOf(el),evt);});});}
function wireTree(root){if(root.matches&&root.matches(SELECTOR))wire(root);if(!root.querySelectorAll)return;
var list=root.querySelectorAll(SELECTOR);for(var i=0;i<list.length;i++)wire(list[i]);}
function start(){var loads=document.querySelectorAll('[data-vba-load]');
for(var i=0;i<loads.length;i++)post(loads[i].getAttribute('data-vba-load'),'','load');
wireTree(document);var target=document.body||document.documentElement;
if(target&&window.MutationObserver)new MutationObserver(function(records){records.forEach(function(r){
for(var j=0;j<r.addedNodes.length;j++)if(r.addedNodes[j].nodeType===1)wireTree(r.addedNodes[j]);});})
.observe(target,{childList:true,subtree:true});}
if(document.readyState==='loading')document.addEventListener('DOMContentLoaded',start);else start();})();)JS";
    return script;
}

const std::u16string& FacadeScript() {
    static const std::u16string script = uR"JS((function(){'use strict';
var pending=Object.create(null);var counter=0;
function post(message){window.chrome.webview.postMessage(JSON.stringify(message));}
if(window.chrome&&window.chrome.webview)window.chrome.webview.addEventListener('message',function(e){try{
var d=typeof e.data==='string'?JSON.parse(e.data):e.data;if(!d||!d.__cv)return;
if(d.__cv==='reply'&&(d.id in pending)){var p=pending[d.id];delete pending[d.id];if(d.err)p.reject(new Error(d.err));else p.resolve(d.result);}
}catch(x){}});
window.cv={
call:function(macro){var args=Array.prototype.slice.call(arguments,1);var id=++counter;
return new Promise(function(resolve,reject){pending[id]={resolve:resolve,reject:reject};
try{post({__cv:'call',id:id,macro:macro,args:args});}catch(x){delete pending[id];reject(x);}});},
send:function(evt,payload){try{post({__cv:'send',event:evt,payload:payload});}catch(x){}},
on:function(evt,fn){document.addEventListener(evt,function(e){fn(e.detail,e);});},
off:function(evt,fn){document.removeEventListener(evt,fn);},
bind:function(name,el){var b=window.__cv_binds||(window.__cv_binds=Object.create(null));b[name]=el;
el.addEventListener('change',function(){try{post({__cv:'bind',name:name,value:el.value});}catch(x){}});}};
window.__cv_setbind=function(name,value){var b=window.__cv_binds;var el=b&&Object.prototype.hasOwnProperty.call(b,name)?b[name]:null;
if(!el)return;var t=el.tagName;if(t==='INPUT'||t==='TEXTAREA'||t==='SELECT')el.value=value;else el.textContent=value;};})();)JS";
    return script;
}

// The overlay shows text only (textContent), so a message cannot add markup.
// Its message listener is added once per document however often it is shown.
const std::u16string& InspectorScript() {
    static const std::u16string script = uR"JS((function(){if(document.getElementById('cvn-bridge-inspector'))return;
var d=document.createElement('div');d.id='cvn-bridge-inspector';
d.style.cssText='position:fixed;bottom:8px;right:8px;width:320px;max-height:200px;overflow:auto;background:rgba(0,0,0,0.9);'+
'color:#0f0;font-family:monospace;font-size:11px;padding:6px;z-index:2147483647;border:1px solid #0f0;border-radius:4px;';
var title=document.createElement('b');title.textContent='Bridge Inspector';
var close=document.createElement('button');close.id='cvn-bi-close';close.textContent='\u00d7';
var log=document.createElement('div');log.id='cvn-bi-log';
d.appendChild(title);d.appendChild(close);d.appendChild(log);(document.body||document.documentElement).appendChild(d);
window.__cvnBridgeInspectorLog=function(dir,msg){var line=document.createElement('div');line.style.borderBottom='1px solid #333';
line.textContent=new Date().toLocaleTimeString()+' '+dir+' '+msg;log.appendChild(line);
while(log.childNodes.length>50)log.removeChild(log.firstChild);d.scrollTop=d.scrollHeight;};
close.onclick=function(){window.__cvnBridgeInspectorLog=function(){};if(d.parentNode)d.parentNode.removeChild(d);};
if(window.chrome&&window.chrome.webview&&!window.__cvnBridgeInspectorListening){window.__cvnBridgeInspectorListening=true;
window.chrome.webview.addEventListener('message',function(e){if(window.__cvnBridgeInspectorLog)
window.__cvnBridgeInspectorLog('VBA\u2192JS',typeof e.data==='string'?e.data:JSON.stringify(e.data));});}})();)JS";
    return script;
}

const std::u16string& InspectorRemovalScript() {
    static const std::u16string script =
        u"(function(){var d=document.getElementById('cvn-bridge-inspector');if(d&&d.parentNode)d.parentNode.removeChild(d);"
        u"window.__cvnBridgeInspectorLog=function(){};})();";
    return script;
}

std::u16string InspectorLogScript(std::u16string_view message) {
    return u"if(window.__cvnBridgeInspectorLog)window.__cvnBridgeInspectorLog(\"JS\u2192VBA\",\"" +
           EscapeJsonString(message) + u"\");";
}

bool IsProtectedFolder(std::u16string_view path, std::u16string_view windows,
                       const std::vector<std::u16string>& exact) {
    const std::u16string key = FolderKey(path);
    const std::u16string system = FolderKey(windows);
    if (!system.empty() && key.compare(0, system.size(), system) == 0 &&
        (key.size() == system.size() || key[system.size()] == u'\\' || system.back() == u'\\'))
        return true;
    for (const std::u16string& folder : exact)
        if (!folder.empty() && FolderKey(folder) == key) return true;
    return false;
}

}  // namespace Corvane
