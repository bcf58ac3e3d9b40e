// DOM commands: each builds its script from a fixed template with the host's
// text escaped into single-quoted literals, runs it as ExecuteScript does,
// and maps the answer. A missing element is never an error.
#include <string>

#include "barrier.h"
#include "bstr.h"
#include "corvane_ctrl.h"
#include "error_info.h"
#include "script_rules.h"

namespace Corvane {

HRESULT CCorvaneCtrl::RunDomCommand(DomCommand command, std::initializer_list<BSTR> inputs, BSTR* text,
                                    VARIANT_BOOL* answer, bool flag) {
    if (text) *text = nullptr;
    if (answer) *answer = VARIANT_FALSE;
    const DomKind kind = KindOf(command);
    if ((kind == DomKind::Reader && !text) || (kind == DomKind::Test && !answer)) return E_POINTER;
    return ComBarrier([&]() -> HRESULT {
        if (!webView_ && !CreationUnderWay()) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        std::u16string_view views[3];
        std::size_t count = 0;
        for (BSTR input : inputs) views[count++] = BstrView(input);
        std::u16string script;
        switch (count) {
        case 0: script = DomScript(command, {}, flag); break;
        case 1: script = DomScript(command, {views[0]}, flag); break;
        case 2: script = DomScript(command, {views[0], views[1]}, flag); break;
        default: script = DomScript(command, {views[0], views[1], views[2]}, flag); break;
        }
        std::u16string json;
        HRESULT hr = RunScript(script, json);
        if (FAILED(hr)) return hr;
        if (kind == DomKind::Reader) {
            *text = MakeBstr(json);
            if (!*text && !json.empty()) return E_OUTOFMEMORY;
        } else if (kind == DomKind::Test) {
            *answer = DomAnswerIsTrue(json) ? VARIANT_TRUE : VARIANT_FALSE;
        }
        return S_OK;
    });
}

#define CVN_DOM_READ1(Name) \
    HRESULT CCorvaneCtrl::Name(BSTR a, BSTR* out) { return RunDomCommand(DomCommand::Name, {a}, out, nullptr); }
#define CVN_DOM_ACT1(Name) \
    HRESULT CCorvaneCtrl::Name(BSTR a) { return RunDomCommand(DomCommand::Name, {a}, nullptr, nullptr); }
#define CVN_DOM_ACT2(Name) \
    HRESULT CCorvaneCtrl::Name(BSTR a, BSTR b) { return RunDomCommand(DomCommand::Name, {a, b}, nullptr, nullptr); }

CVN_DOM_READ1(GetElementValueById)
CVN_DOM_ACT2(SetElementValueById)
CVN_DOM_READ1(GetElementValueByName)
CVN_DOM_ACT2(SetElementValueByName)
CVN_DOM_ACT1(ClickElementById)
CVN_DOM_ACT1(ClickElementByName)
CVN_DOM_ACT1(ClickElementBySelector)
CVN_DOM_READ1(GetInnerHtmlById)
CVN_DOM_ACT2(SetInnerHtmlById)
CVN_DOM_READ1(GetOuterHtmlById)
CVN_DOM_ACT2(SetOuterHtmlById)
CVN_DOM_ACT1(SubmitFormById)
CVN_DOM_ACT2(RemoveElementAttributeById)
CVN_DOM_READ1(GetElementTextById)
CVN_DOM_ACT2(SetElementTextById)
CVN_DOM_ACT2(SelectOptionById)
CVN_DOM_READ1(GetSelectedOptionById)
CVN_DOM_ACT1(FocusElementById)
CVN_DOM_ACT1(ScrollToElementById)
CVN_DOM_READ1(GetOuterHtmlByName)
CVN_DOM_ACT2(SetOuterHtmlByName)
CVN_DOM_READ1(GetTextBySelector)

#undef CVN_DOM_READ1
#undef CVN_DOM_ACT1
#undef CVN_DOM_ACT2

HRESULT CCorvaneCtrl::GetPageHtml(BSTR* html) { return RunDomCommand(DomCommand::GetPageHtml, {}, html, nullptr); }

HRESULT CCorvaneCtrl::GetPageText(BSTR* text) { return RunDomCommand(DomCommand::GetPageText, {}, text, nullptr); }

HRESULT CCorvaneCtrl::ElementExistsById(BSTR elementId, VARIANT_BOOL* exists) {
    return RunDomCommand(DomCommand::ElementExistsById, {elementId}, nullptr, exists);
}

HRESULT CCorvaneCtrl::ElementExistsBySelector(BSTR cssSelector, VARIANT_BOOL* exists) {
    return RunDomCommand(DomCommand::ElementExistsBySelector, {cssSelector}, nullptr, exists);
}

// Only VARIANT_TRUE checks the box: a macro's 1 is not True.
HRESULT CCorvaneCtrl::SetCheckboxById(BSTR elementId, VARIANT_BOOL checked) {
    return RunDomCommand(DomCommand::SetCheckboxById, {elementId}, nullptr, nullptr, checked == VARIANT_TRUE);
}

HRESULT CCorvaneCtrl::GetCheckboxById(BSTR elementId, VARIANT_BOOL* checked) {
    return RunDomCommand(DomCommand::GetCheckboxById, {elementId}, nullptr, checked);
}

HRESULT CCorvaneCtrl::GetElementAttributeById(BSTR elementId, BSTR attrName, BSTR* value) {
    return RunDomCommand(DomCommand::GetElementAttributeById, {elementId, attrName}, value, nullptr);
}

HRESULT CCorvaneCtrl::SetElementAttributeById(BSTR elementId, BSTR attrName, BSTR value) {
    return RunDomCommand(DomCommand::SetElementAttributeById, {elementId, attrName, value}, nullptr, nullptr);
}

// Polls ElementExistsBySelector: at once, then at most 50 ms apart while the
// host's messages are dispatched, until found or the time-out has passed. A
// time-out is an answer (false), not an error; so is a refusal here.
HRESULT CCorvaneCtrl::WaitForElement(BSTR cssSelector, LONG timeoutMs, VARIANT_BOOL* found) {
    if (!found) return E_POINTER;
    *found = VARIANT_FALSE;
    return ComBarrier([&]() -> HRESULT {
        if (!webView_ && !CreationUnderWay()) return errors_.LastErrorOnly(kWebViewNotInitialized, E_FAIL);
        if (BstrView(cssSelector).empty()) return E_INVALIDARG;
        std::u16string message;
        if (RefuseIfNested(u"WaitForElement", message, GuardKind::OtherResult)) {
            errors_.LastErrorOnly(message, CVN_E_SYNC_REENTRANT, CVN_E_SYNC_REENTRANT);
            return S_OK;
        }
        const LONG limit = timeoutMs >= 1 ? timeoutMs : settings_.synchronousTimeOut;
        const ULONGLONG timeout = limit > 0 ? static_cast<ULONGLONG>(limit) : 0;
        HANDLE idle = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!idle) return E_OUTOFMEMORY;
        ComPtr<IUnknown> keepAlive(Controlling());
        const ULONGLONG start = GetTickCount64();
        for (;;) {
            VARIANT_BOOL exists = VARIANT_FALSE;
            if (FAILED(ElementExistsBySelector(cssSelector, &exists))) SetErrorInfo(0, nullptr);
            if (exists == VARIANT_TRUE) {
                *found = VARIANT_TRUE;
                break;
            }
            const ULONGLONG elapsed = GetTickCount64() - start;
            if (elapsed >= timeout) break;
            const ULONGLONG remaining = timeout - elapsed;
            PumpWait(idle, static_cast<DWORD>(remaining < 50 ? remaining : 50));
        }
        CloseHandle(idle);
        return S_OK;
    });
}

}  // namespace Corvane
