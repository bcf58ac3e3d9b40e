// Embedding the browser straight into any window: VB6 and Visual FoxPro
// forms, user forms found by caption, and the pool's windows. The browser is
// made in a hidden host window and moved to its target when it exists; pooled
// controls keep a browser of their own, the others share one per process.
#include <shlobj.h>

#include <string>

#include "bstr.h"
#include "dispatch.h"
#include "callback.h"
#include "corvane_ctrl.h"
#include "embed_rules.h"
#include "foreign_host.h"
#include "live_controls.h"
#include "module.h"
#include "runtime_loader.h"
#include "runtime_text.h"
#include "variant.h"

namespace Corvane {

namespace {

constexpr LONG kDefaultWidth = 400;
constexpr LONG kDefaultHeight = 300;

std::u16string WithCode(std::u16string_view text, HRESULT hr) {
    return std::u16string(text) + DecimalText(static_cast<long>(hr));
}

// Local application data, else the temporary folder, as the in-place path uses.
std::wstring ForeignUserDataFolder() {
    wchar_t folder[MAX_PATH + 1] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) && folder[0]) {
        std::wstring path(folder);
        path += L"\\Corvane";
        CreateDirectoryW(path.c_str(), nullptr);   // an existing folder is fine
        path += L"\\WebView2Data";
        CreateDirectoryW(path.c_str(), nullptr);
        return path;
    }
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"Corvane_WebView2Data";
}

// Any cheap read: it fails once the controller is closed or its browser gone.
bool ControllerAlive(ICoreWebView2Controller* controller) {
    BOOL visible = FALSE;
    return controller && SUCCEEDED(controller->get_IsVisible(&visible));
}

void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The form that started the shared browser went while it was being made:
// the next form waiting for it takes the creation over.
CCorvaneCtrl* SharedSuccessor() {
    auto& waiting = ForeignHost::Shared().waiting;
    while (!waiting.empty()) {
        CCorvaneCtrl* next = waiting.front();
        waiting.erase(waiting.begin());
        if (LiveControls::IsLive(next)) return next;
    }
    return nullptr;
}

}  // namespace

HRESULT CCorvaneCtrl::EmbedInHwnd(__int64 hwndParent, LONG width, LONG height) {
    return ComBarrier([&]() -> HRESULT {
        closing_ = false;
        HWND parent = reinterpret_cast<HWND>(static_cast<INT_PTR>(hwndParent));
        if (!parent) return errors_.LastErrorOnly(u"Invalid parent window handle (NULL).", E_INVALIDARG);
        if (!IsWindow(parent)) return errors_.LastErrorOnly(u"Invalid parent window handle.", E_INVALIDARG);
        if (disposed_) return errors_.LastErrorOnly(u"WebView has been disposed.", E_FAIL);

        // Checked before the control counts as embedded, so a refusal leaves
        // no embedding (and no count) behind.
        const std::wstring browserFolder = ToWide(settings_.browserExecutableFolder);
        std::wstring version;
        if (!webView_ || !controller_) {
            HRESULT hr = GetAvailableBrowserVersion(browserFolder.empty() ? nullptr : browserFolder.c_str(), version);
            if (FAILED(hr) || version.empty()) return errors_.LastErrorOnly(u"WebView2 Runtime not installed.", E_FAIL);
            if (!settings_.requiredMinimumVersion.empty() &&
                CompareVersions(FromWide(version.c_str()), settings_.requiredMinimumVersion) < 0)
                return errors_.LastErrorOnly(u"WebView2 Runtime version is older than RequiredMinimumVersion.", E_FAIL);
        }

        // Counted once per embedding: embedding again without CloseEmbedded
        // moves the browser and must not keep the shared browser alive.
        const bool wasEmbedded = embedded_;
        if (!embedded_ && !useOwnWebView_) ++ForeignHost::Shared().embedCount;
        embeddedParent_ = parent;
        embedded_ = true;
        eventsSuppressed_ = true;
        embedWidth_ = width > 0 ? width : kDefaultWidth;
        embedHeight_ = height > 0 ? height : kDefaultHeight;
        stage_.foreignWindow = true;

        // A browser this control has, or the shared one, moves at once.
        if (controller_ && webView_) {
            if (ControllerAlive(controller_.get())) {
                MoveBrowserToTarget();
                if (!stage_.ready) EnterReadiness(false);
                return S_OK;
            }
            if (holdsSharedBrowser_) {
                // The shared browser is gone for every form: let go, keep the embedding.
                ForeignHost::CloseSharedBrowser();
                ReleaseBrowserReferences();
            } else {
                TeardownBrowser();
            }
        }
        if (!useOwnWebView_ && TakeSharedBrowser()) return S_OK;
        // A creation under way reads the latest target when it completes.
        if (ForeignHost::HasPending(this)) return S_OK;
        HRESULT hr = StartForeignCreation();
        if (FAILED(hr) && !wasEmbedded) {
            // Nothing will arrive: the control is not embedded after all.
            if (!useOwnWebView_ && ForeignHost::Shared().embedCount > 0) --ForeignHost::Shared().embedCount;
            embeddedParent_ = nullptr;
            embedded_ = false;
            eventsSuppressed_ = false;
        }
        return hr;
    });
}

HRESULT CCorvaneCtrl::EmbedInHwndByLong(LONG hwndParent, LONG width, LONG height) {
    return EmbedInHwnd(static_cast<__int64>(hwndParent), width, height);
}

// Hands the shared browser to this control when there is a live one.
bool CCorvaneCtrl::TakeSharedBrowser() {
    ForeignHost::SharedBrowser& shared = ForeignHost::Shared();
    if (!shared.ready || !shared.controller || !shared.webView) return false;
    if (!ControllerAlive(shared.controller.get())) {
        ForeignHost::CloseSharedBrowser();
        return false;
    }
    if (!holdsSharedBrowser_) {
        ReleaseBrowserReferences();
        controller_ = shared.controller;
        webView_ = shared.webView;
        holdsSharedBrowser_ = true;
    }
    MoveBrowserToTarget();
    EnterReadiness(false);
    return true;
}

HRESULT CCorvaneCtrl::StartForeignCreation() {
    ForeignHost::SharedBrowser& shared = ForeignHost::Shared();
    HWND host = nullptr;
    if (useOwnWebView_) {
        if (!instanceHostWindow_) instanceHostWindow_ = ForeignHost::CreateHostWindow();
        if (!instanceHostWindow_) return errors_.LastErrorOnly(u"Failed to create instance hidden host window.", E_FAIL);
        host = instanceHostWindow_;
    } else {
        if (shared.creating) {
            // One shared browser: this form receives it when it is made.
            shared.waiting.push_back(this);
            BeginCreation();
            return S_OK;
        }
        if (!shared.parking) shared.parking = ForeignHost::CreateHostWindow();
        if (!shared.parking) return errors_.LastErrorOnly(u"Failed to create shared parking window.", E_FAIL);
        host = ForeignHost::CreateHostWindow();
        if (!host) return errors_.LastErrorOnly(u"Failed to create per-creation hidden host window.", E_FAIL);
        shared.creating = true;
        shared.creationHost = host;
    }

    ForeignHost::EnvironmentOptions options;
    options.browserFolder = ToWide(settings_.browserExecutableFolder);
    options.userDataFolder = ForeignUserDataFolder();
    std::u16string arguments = settings_.additionalBrowserArguments;
    if (!settings_.enableHardwareAcceleration) {
        if (!arguments.empty()) arguments += u' ';
        arguments += u"--disable-gpu";
    }
    options.arguments = ToWide(arguments);
    options.language = ToWide(settings_.language);
    options.singleSignOn = settings_.allowSingleSignOnUsingOSPrimaryAccount;
    userDataFolder_ = FromWide(options.userDataFolder.c_str());

    ForeignHost::AddPending(host, this);
    BeginCreation();
    const std::wstring key = options.Key();
    HRESULT hr = ForeignHost::WithEnvironment(options, [host, key](HRESULT result, ICoreWebView2Environment* environment) {
        CCorvaneCtrl* control = ForeignHost::FindPending(host);
        if (!control && host == ForeignHost::Shared().creationHost) {
            control = SharedSuccessor();
            if (control) ForeignHost::AddPending(host, control);
            else {
                ForeignHost::Shared().creating = false;
                ForeignHost::Shared().creationHost = nullptr;
                DestroyWindow(host);
            }
        }
        if (!control) return;   // destroyed or disposed meanwhile
        if (FAILED(result) || !environment) {
            ForeignHost::TakePending(host);
            control->ForeignCreationFailed(u"WebView2 environment creation failed. Error code: ",
                                           FAILED(result) ? result : E_FAIL);
            return;
        }
        control->StartForeignController(environment, host, key);
    });
    if (FAILED(hr)) {
        ForeignHost::TakePending(host);
        if (!useOwnWebView_) {
            shared.creating = false;
            DestroyWindow(host);
        }
        ForeignCreationFailed(u"", hr);
        errors_.LastErrorOnly(u"CreateCoreWebView2EnvironmentWithOptions failed.", hr, hr);
        return hr;
    }
    return S_OK;
}

void CCorvaneCtrl::StartForeignController(ICoreWebView2Environment* environment, HWND host, const std::wstring& key) {
    if (environmentKey_ != key) {
        if (!environmentKey_.empty()) ForeignHost::ReleaseEnvironment(environmentKey_);
        environmentKey_ = key;
        ForeignHost::HoldEnvironment(key);
    }
    environment_ = ComPtr<ICoreWebView2Environment>(environment);
    auto completed = Callback<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>(
        [host](HRESULT hr, ICoreWebView2Controller* controller) {
            return OnForeignControllerCreated(host, hr, controller);
        });
    HRESULT hr = completed ? S_OK : E_OUTOFMEMORY;
    if (SUCCEEDED(hr) && (!profileName_.empty() || inPrivateMode_)) {
        // A named or InPrivate profile the runtime cannot give is refused:
        // the default profile would mix this browser's data with others'.
        ComPtr<ICoreWebView2Environment10> tenth = environment_.TryQuery<ICoreWebView2Environment10>();
        ComPtr<ICoreWebView2ControllerOptions> options;
        if (!tenth || FAILED(tenth->CreateCoreWebView2ControllerOptions(options.put())) || !options) {
            ForeignHost::TakePending(host);
            ForeignCreationFailed(u"Browser profiles require WebView2 Runtime 1.0.1185+. Error code: ",
                                  CVN_E_RUNTIME_TOO_OLD);
            return;
        }
        options->put_ProfileName(ToWide(profileName_).c_str());
        options->put_IsInPrivateModeEnabled(inPrivateMode_ ? TRUE : FALSE);
        hr = tenth->CreateCoreWebView2ControllerWithOptions(host, options.get(), completed.get());
    } else if (SUCCEEDED(hr)) {
        hr = environment_->CreateCoreWebView2Controller(host, completed.get());
    }
    if (FAILED(hr)) {
        ForeignHost::TakePending(host);
        ForeignCreationFailed(u"WebView2 controller creation failed. Error code: ", hr);
    }
}

HRESULT CCorvaneCtrl::OnForeignControllerCreated(HWND host, HRESULT hr, ICoreWebView2Controller* controller) {
    ForeignHost::SharedBrowser& shared = ForeignHost::Shared();
    const bool sharedHost = host && host == shared.creationHost;
    if (sharedHost) shared.creationHost = nullptr;
    CCorvaneCtrl* control = ForeignHost::TakePending(host);
    if (!control && sharedHost) control = SharedSuccessor();
    if (!control) {
        // Nobody will use this browser.
        if (SUCCEEDED(hr) && controller) controller->Close();
        if (sharedHost) {
            shared.creating = false;
            DestroyWindow(host);
        }
        return S_OK;
    }
    ComPtr<IUnknown> keepAlive(control->Controlling());
    if (FAILED(hr) || !controller) {
        control->ForeignCreationFailed(u"WebView2 controller creation failed. Error code: ", FAILED(hr) ? hr : E_FAIL);
    } else {
        control->AdoptForeignController(host, controller);
    }
    if (sharedHost) DestroyWindow(host);
    return S_OK;
}

void CCorvaneCtrl::AdoptForeignController(HWND host, ICoreWebView2Controller* controller) {
    ComPtr<ICoreWebView2> view;
    HRESULT hr = controller->get_CoreWebView2(view.put());
    if (FAILED(hr) || !view) {
        controller->Close();
        ForeignCreationFailed(u"Failed to get CoreWebView2 interface. Error code: ", FAILED(hr) ? hr : E_NOINTERFACE);
        return;
    }
    controller_ = ComPtr<ICoreWebView2Controller>(controller);
    webView_ = view;
    if (!useOwnWebView_) {
        ForeignHost::SharedBrowser& shared = ForeignHost::Shared();
        shared.controller = controller_;
        shared.webView = webView_;
        shared.ready = true;
        shared.creating = false;
        shared.environmentKey = environmentKey_;
        if (!environmentKey_.empty()) ForeignHost::HoldEnvironment(environmentKey_);
        holdsSharedBrowser_ = true;
    }
    // Not embedded any more (CloseEmbedded while it was made): it waits hidden.
    if (embedded_ && IsWindow(embeddedParent_)) {
        MoveBrowserToTarget();
    } else {
        controller_->put_IsVisible(FALSE);
        HWND rest = useOwnWebView_ ? instanceHostWindow_ : ForeignHost::Shared().parking;
        if (rest) controller_->put_ParentWindow(rest);
    }
    if (embedded_) EnterReadiness(true);
    else EndCreation(S_OK);

    if (!useOwnWebView_) {
        // Forms embedded while it was made receive it in turn; the last one keeps it.
        std::vector<CCorvaneCtrl*> waiting;
        waiting.swap(ForeignHost::Shared().waiting);
        for (CCorvaneCtrl* other : waiting) {
            if (!LiveControls::IsLive(other) || other == this) continue;
            ComPtr<IUnknown> keep(other->Controlling());
            if (!other->TakeSharedBrowser()) other->EndCreation(E_FAIL);
        }
    }
}

void CCorvaneCtrl::ForeignCreationFailed(std::u16string_view text, HRESULT hr) {
    if (!text.empty()) errors_.LastErrorOnly(WithCode(text, hr), hr, hr);
    EndCreation(hr);
    if (!useOwnWebView_ && !holdsSharedBrowser_) {
        ForeignHost::SharedBrowser& shared = ForeignHost::Shared();
        shared.creating = false;
        std::vector<CCorvaneCtrl*> waiting;
        waiting.swap(shared.waiting);
        for (CCorvaneCtrl* other : waiting)
            if (LiveControls::IsLive(other) && other != this) other->ForeignCreationFailed(text, hr);
    }
}

void CCorvaneCtrl::MoveBrowserToTarget() {
    if (!controller_) return;
    controller_->put_ParentWindow(embeddedParent_);
    ApplyEmbedBounds();
    controller_->put_IsVisible(TRUE);
    ForeignHost::SetOwner(embeddedParent_, this);
}

void CCorvaneCtrl::ApplyEmbedBounds() {
    if (!controller_ || !IsWindow(embeddedParent_)) return;
    RECT bounds{embedX_, embedY_, embedX_ + embedWidth_, embedY_ + embedHeight_};
    controller_->put_Bounds(bounds);
}

HRESULT CCorvaneCtrl::ResizeEmbedded(LONG width, LONG height) {
    if (!embedded_) return S_OK;
    embedWidth_ = width;
    embedHeight_ = height;
    ApplyEmbedBounds();
    return S_OK;
}

HRESULT CCorvaneCtrl::MoveEmbedded(LONG left, LONG top) {
    if (!embedded_) return S_OK;
    embedX_ = left;
    embedY_ = top;
    ApplyEmbedBounds();
    return S_OK;
}

HRESULT CCorvaneCtrl::CloseEmbedded() {
    if (!embedded_) return S_OK;
    return ComBarrier([&] {
        ComPtr<IUnknown> keepAlive(Controlling());
        LeaveEmbedding(true);
        return S_OK;
    });
}

// `pump` is false on destruction, where running other callbacks is unsafe.
void CCorvaneCtrl::LeaveEmbedding(bool pump) {
    closing_ = true;
    stage_.ready = false;
    // Another form may hold the shared browser now: it stays where it is.
    const bool holdsWindow = ForeignHost::RoutedOwner() == this;
    ForeignHost::ForgetOwner(this);
    if (useOwnWebView_) {
        if (webView_) webView_->Stop();
        if (controller_) {
            controller_->put_IsVisible(FALSE);
            if (instanceHostWindow_) controller_->put_ParentWindow(instanceHostWindow_);
        }
    } else {
        ForeignHost::SharedBrowser& shared = ForeignHost::Shared();
        if (holdsSharedBrowser_ && holdsWindow && shared.controller) {
            if (shared.webView) shared.webView->Stop();
            shared.controller->put_IsVisible(FALSE);
            if (shared.parking) shared.controller->put_ParentWindow(shared.parking);
        }
        for (int pass = 0; pump && pass < 3; ++pass) {
            PumpPending();
            Sleep(10);
        }
        // Re-read: the pumping may have run other forms' calls.
        const LONG before = ForeignHost::Shared().embedCount;
        if (before > 0) --ForeignHost::Shared().embedCount;
        if (before < 2) ForeignHost::CloseSharedBrowser();
        ReleaseBrowserReferences();
    }
    embeddedParent_ = nullptr;
    embedded_ = false;
    eventsSuppressed_ = false;
    closing_ = false;
}

// Lets go of a browser without closing it: the shared one lives on for others.
void CCorvaneCtrl::ReleaseBrowserReferences() {
    for (FrameEntry& entry : frames_)
        for (auto& remove : entry.removals) remove();
    frames_.clear();
    for (auto& remove : webViewRemovals_) remove();
    webViewRemovals_.clear();
    for (auto& remove : controllerRemovals_) remove();
    controllerRemovals_.clear();
    for (auto& remove : environmentRemovals_) remove();
    environmentRemovals_.clear();
    webView_.Reset();
    controller_.Reset();
    environment_.Reset();
    if (!environmentKey_.empty()) ForeignHost::ReleaseEnvironment(std::exchange(environmentKey_, std::wstring()));
    holdsSharedBrowser_ = false;
    stage_.ready = false;
}

// Destruction and Dispose: no completion may find this control, and an
// embedding that never received the shared browser stops counting.
void CCorvaneCtrl::ForgetForeignState() {
    ForeignHost::ForgetPending(this);
    if (embedded_ && !useOwnWebView_ && !holdsSharedBrowser_) {
        ForeignHost::SharedBrowser& shared = ForeignHost::Shared();
        const LONG before = shared.embedCount;
        if (before > 0) --shared.embedCount;
        if (before < 2 && !shared.creating) ForeignHost::CloseSharedBrowser();
        embedded_ = false;
        embeddedParent_ = nullptr;
        eventsSuppressed_ = false;
        ForeignHost::ForgetOwner(this);
    }
}

HRESULT CCorvaneCtrl::get_EmbeddedParentHwnd(LONG_PTR* value) {
    if (!value) return E_POINTER;
    *value = reinterpret_cast<LONG_PTR>(embeddedParent_);
    return S_OK;
}

ComPtr<ICoreWebView2Profile> CCorvaneCtrl::BrowserProfile() const {
    ComPtr<ICoreWebView2Profile> profile;
    if (auto thirteenth = webView_.TryQuery<ICoreWebView2_13>()) thirteenth->get_Profile(profile.put());
    return profile;
}

HWND CCorvaneCtrl::BrowserParentWindow() const {
    HWND parent = nullptr;
    if (controller_ && SUCCEEDED(controller_->get_ParentWindow(&parent)) && parent) return parent;
    return embeddedParent_;
}

HRESULT CCorvaneCtrl::PointsToPixels(double points, VARIANT_BOOL isHorizontal, LONG* pixels) {
    if (!pixels) return E_POINTER;
    int dpi = 96;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, isHorizontal ? LOGPIXELSX : LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    *pixels = PixelsFromPoints(dpi, points);
    return S_OK;
}

HRESULT CCorvaneCtrl::GetDefaultOcxPath(BSTR* folderPath) {
    if (!folderPath) return E_POINTER;
    *folderPath = nullptr;
    return ComBarrier([&] {
        std::wstring path(MAX_PATH, L'\0');
        for (;;) {
            DWORD n = GetModuleFileNameW(CCorvaneModule::Instance().Handle(), path.data(), static_cast<DWORD>(path.size()));
            if (n == 0) {
                path.clear();
                break;
            }
            if (n < path.size()) {
                path.resize(n);
                break;
            }
            path.resize(path.size() * 2);
        }
        const std::size_t cut = path.find_last_of(L"\\/");
        path.resize(cut == std::wstring::npos ? 0 : cut);
        *folderPath = MakeBstr(FromWide(path.c_str()));
        return S_OK;
    });
}

HRESULT CCorvaneCtrl::QuickInitInFrame(IDispatch* parentForm, IDispatch* targetFrame) {
    if (!parentForm || !targetFrame)
        return errors_.LastErrorOnly(u"Parent form and target frame are required", E_INVALIDARG);
    return ComBarrier([&]() -> HRESULT {
        UniqueVariant caption;
        if (FAILED(GetPropertyByName(parentForm, L"Caption", caption.put())) || caption.get()->vt != VT_BSTR)
            return errors_.LastErrorOnly(u"Could not get form Caption property", E_FAIL);
        const wchar_t* name = caption.get()->bstrVal && caption.get()->bstrVal[0] ? caption.get()->bstrVal : nullptr;
        HWND form = nullptr;
        for (const wchar_t* cls : {L"ThunderDFrame", L"ThunderRT6FormDC", L"ThunderRT6MDIForm"})
            if (!form) form = FindWindowW(cls, name);
        if (!form && name) form = FindWindowW(nullptr, name);
        if (!form)
            return errors_.LastErrorOnly(
                u"Could not find form window handle (tried ThunderDFrame, ThunderRT6*, and caption)", E_FAIL);

        struct Measure {
            const wchar_t* name;
            std::u16string_view message;
            double value;
        } measures[] = {{L"Width", u"Could not get frame Width", 0},
                        {L"Height", u"Could not get frame Height", 0},
                        {L"Left", u"Could not get frame Left", 0},
                        {L"Top", u"Could not get frame Top", 0},
                        {L"InsideWidth", u"Could not get frame InsideWidth", 0},
                        {L"InsideHeight", u"Could not get frame InsideHeight", 0}};
        for (Measure& m : measures) {
            UniqueVariant v;
            if (FAILED(GetPropertyByName(targetFrame, m.name, v.put()))) return errors_.LastErrorOnly(m.message, E_FAIL);
            switch (v.get()->vt) {
            case VT_R8: m.value = v.get()->dblVal; break;
            case VT_R4: m.value = v.get()->fltVal; break;
            case VT_I4: m.value = v.get()->lVal; break;
            default: m.value = 0; break;
            }
        }
        const double width = measures[0].value, height = measures[1].value, left = measures[2].value,
                     top = measures[3].value, insideWidth = measures[4].value, insideHeight = measures[5].value;
        LONG innerWidth = 0, innerHeight = 0, x = 0, y = 0, borderX = 0, borderY = 0;
        PointsToPixels(insideWidth, VARIANT_TRUE, &innerWidth);
        PointsToPixels(insideHeight, VARIANT_FALSE, &innerHeight);
        PointsToPixels(left, VARIANT_TRUE, &x);
        PointsToPixels(top, VARIANT_FALSE, &y);
        PointsToPixels((width - insideWidth) * 0.5, VARIANT_TRUE, &borderX);
        PointsToPixels((height - insideHeight) * 0.5, VARIANT_FALSE, &borderY);
        if (FAILED(EmbedInHwnd(reinterpret_cast<INT_PTR>(form), innerWidth, innerHeight)))
            return errors_.LastErrorOnly(u"EmbedInHwnd failed", E_FAIL);
        if (FAILED(MoveEmbedded(x + borderX, y + borderY))) return errors_.LastErrorOnly(u"MoveEmbedded failed", E_FAIL);
        return S_OK;
    });
}

}  // namespace Corvane
