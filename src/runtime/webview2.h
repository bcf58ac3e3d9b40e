// Our declarations of the browser runtime's COM interfaces (the WebView2
// ICoreWebView2... family). The runtime is a binary we call through vtables,
// so every interface declared here lists all of its methods, in the SDK's
// order, with the SDK's parameter types, base interface and IID; the names
// are the SDK's so the control's code reads like any WebView2 host.
//
// Interfaces that only appear as parameter types are forward-declared. Before
// calling into one of them, declare it in full here: a partial vtable would
// call the wrong method.
//
// Conventions worth remembering when reading the control's code:
//  - strings the runtime returns are LPWSTR* and are the caller's to free
//    with CoTaskMemFree; strings it takes are LPCWSTR and stay ours;
//  - events are add_X(handler, &token) / remove_X(token);
//  - navigation ids are UINT64, frame ids UINT32;
//  - get_State on permission args returns COREWEBVIEW2_PERMISSION_STATE*.
//
// IIDs not checked against the SDK header: none. Every IID and method order
// below was read from Microsoft's WebView2.h (release 1.0.3719.77, which goes
// up to ICoreWebView2_28); keep it that way when adding interfaces.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <eventtoken.h>

// ---------------------------------------------------------------------------
// IIDs: each interface names its IID once, as text; the text is parsed at
// compile time both for DECLSPEC_UUID and for mingw's __uuidof table, so the
// two can never disagree, and a mistyped IID fails the build.

namespace corvane_wv2 {

void MalformedIid();  // never defined: reaching it in a constant expression fails the build

constexpr unsigned HexDigit(char c) {
    return c >= '0' && c <= '9'   ? unsigned(c - '0')
           : c >= 'a' && c <= 'f' ? unsigned(c - 'a' + 10)
           : c >= 'A' && c <= 'F' ? unsigned(c - 'A' + 10)
                                  : (MalformedIid(), 0u);
}

// The `digits` hex digits of the canonical form "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" at `at`.
constexpr unsigned long IidField(const char (&iid)[37], int at, int digits) {
    if (iid[8] != '-' || iid[13] != '-' || iid[18] != '-' || iid[23] != '-') MalformedIid();
    unsigned long value = 0;
    for (int i = 0; i < digits; ++i) value = value * 16 + HexDigit(iid[at + i]);
    return value;
}

}  // namespace corvane_wv2

#define CORVANE_WV2_IID_FIELDS(iid)                                                                     \
    corvane_wv2::IidField(iid, 0, 8), corvane_wv2::IidField(iid, 9, 4), corvane_wv2::IidField(iid, 14, 4), \
        corvane_wv2::IidField(iid, 19, 2), corvane_wv2::IidField(iid, 21, 2),                           \
        corvane_wv2::IidField(iid, 24, 2), corvane_wv2::IidField(iid, 26, 2),                           \
        corvane_wv2::IidField(iid, 28, 2), corvane_wv2::IidField(iid, 30, 2),                           \
        corvane_wv2::IidField(iid, 32, 2), corvane_wv2::IidField(iid, 34, 2)
#define CORVANE_WV2_UUID_DECL(...) __CRT_UUID_DECL(__VA_ARGS__)

// WV2_INTERFACE(Name, Base, "iid") { methods };
// Registers the IID for __uuidof(Name) (mingw's table lives at global scope),
// then opens the interface's definition.
#define WV2_INTERFACE(name, base, iid)                          \
    struct name;                                                \
    CORVANE_WV2_UUID_DECL(name, CORVANE_WV2_IID_FIELDS(iid))    \
    struct DECLSPEC_UUID(iid) DECLSPEC_NOVTABLE name : public base

// ---------------------------------------------------------------------------
// Every interface name the declarations below mention.

struct ICoreWebView2;
struct ICoreWebView2_2;
struct ICoreWebView2_3;
struct ICoreWebView2_4;
struct ICoreWebView2_5;
struct ICoreWebView2_6;
struct ICoreWebView2_7;
struct ICoreWebView2_8;
struct ICoreWebView2_9;
struct ICoreWebView2_10;
struct ICoreWebView2_11;
struct ICoreWebView2_12;
struct ICoreWebView2_13;
struct ICoreWebView2_14;
struct ICoreWebView2_15;
struct ICoreWebView2_16;
struct ICoreWebView2_17;
struct ICoreWebView2_18;
struct ICoreWebView2_19;
struct ICoreWebView2_20;
struct ICoreWebView2_21;
struct ICoreWebView2_22;
struct ICoreWebView2_23;
struct ICoreWebView2_24;
struct ICoreWebView2_25;
struct ICoreWebView2_26;
struct ICoreWebView2_27;
struct ICoreWebView2AcceleratorKeyPressedEventArgs;
struct ICoreWebView2AcceleratorKeyPressedEventHandler;
struct ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler;
struct ICoreWebView2BasicAuthenticationRequestedEventHandler;
struct ICoreWebView2BasicAuthenticationResponse;
struct ICoreWebView2BrowserProcessExitedEventArgs;
struct ICoreWebView2BrowserProcessExitedEventHandler;
struct ICoreWebView2CallDevToolsProtocolMethodCompletedHandler;
struct ICoreWebView2CapturePreviewCompletedHandler;
struct ICoreWebView2Certificate;
struct ICoreWebView2ClearServerCertificateErrorActionsCompletedHandler;
struct ICoreWebView2ClientCertificateRequestedEventHandler;
struct ICoreWebView2CompositionController;
struct ICoreWebView2ContainsFullScreenElementChangedEventHandler;
struct ICoreWebView2ContentLoadingEventArgs;
struct ICoreWebView2ContentLoadingEventHandler;
struct ICoreWebView2ContextMenuItem;
struct ICoreWebView2ContextMenuItemCollection;
struct ICoreWebView2ContextMenuRequestedEventArgs;
struct ICoreWebView2ContextMenuRequestedEventHandler;
struct ICoreWebView2ContextMenuTarget;
struct ICoreWebView2Controller;
struct ICoreWebView2CookieManager;
struct ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler;
struct ICoreWebView2CreateCoreWebView2ControllerCompletedHandler;
struct ICoreWebView2ControllerOptions;
struct ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler;
struct ICoreWebView2Deferral;
struct ICoreWebView2DevToolsProtocolEventReceiver;
struct ICoreWebView2DocumentTitleChangedEventHandler;
struct ICoreWebView2DOMContentLoadedEventArgs;
struct ICoreWebView2DOMContentLoadedEventHandler;
struct ICoreWebView2DownloadStartingEventHandler;
struct ICoreWebView2Environment;
struct ICoreWebView2EnvironmentOptions;
struct ICoreWebView2ExecuteScriptCompletedHandler;
struct ICoreWebView2ExecuteScriptResult;
struct ICoreWebView2ScriptException;
struct ICoreWebView2ExecuteScriptWithResultCompletedHandler;
struct ICoreWebView2FaviconChangedEventHandler;
struct ICoreWebView2FocusChangedEventHandler;
struct ICoreWebView2Frame;
struct ICoreWebView2FrameContentLoadingEventHandler;
struct ICoreWebView2FrameCreatedEventArgs;
struct ICoreWebView2FrameCreatedEventHandler;
struct ICoreWebView2FrameDestroyedEventHandler;
struct ICoreWebView2FrameDOMContentLoadedEventHandler;
struct ICoreWebView2FrameInfo;
struct ICoreWebView2FrameInfoCollection;
struct ICoreWebView2FrameInfoCollectionIterator;
struct ICoreWebView2FrameNameChangedEventHandler;
struct ICoreWebView2FrameNavigationCompletedEventHandler;
struct ICoreWebView2FrameNavigationStartingEventHandler;
struct ICoreWebView2FramePermissionRequestedEventHandler;
struct ICoreWebView2FrameWebMessageReceivedEventHandler;
struct ICoreWebView2GetFaviconCompletedHandler;
struct ICoreWebView2HistoryChangedEventHandler;
struct ICoreWebView2HttpRequestHeaders;
struct ICoreWebView2HttpResponseHeaders;
struct ICoreWebView2IsDefaultDownloadDialogOpenChangedEventHandler;
struct ICoreWebView2IsDocumentPlayingAudioChangedEventHandler;
struct ICoreWebView2IsMutedChangedEventHandler;
struct ICoreWebView2LaunchingExternalUriSchemeEventArgs;
struct ICoreWebView2LaunchingExternalUriSchemeEventHandler;
struct ICoreWebView2MoveFocusRequestedEventArgs;
struct ICoreWebView2MoveFocusRequestedEventHandler;
struct ICoreWebView2NavigationCompletedEventArgs;
struct ICoreWebView2NavigationCompletedEventHandler;
struct ICoreWebView2NavigationStartingEventArgs;
struct ICoreWebView2NavigationStartingEventHandler;
struct ICoreWebView2NewBrowserVersionAvailableEventHandler;
struct ICoreWebView2NewWindowRequestedEventArgs;
struct ICoreWebView2NewWindowRequestedEventHandler;
struct ICoreWebView2NonClientRegionChangedEventHandler;
struct ICoreWebView2Notification;
struct ICoreWebView2NotificationCloseRequestedEventHandler;
struct ICoreWebView2NotificationReceivedEventArgs;
struct ICoreWebView2NotificationReceivedEventHandler;
struct ICoreWebView2ObjectCollectionView;
struct ICoreWebView2ClearBrowsingDataCompletedHandler;
struct ICoreWebView2CookieList;
struct ICoreWebView2PermissionRequestedEventArgs2;
struct ICoreWebView2ProcessExtendedInfoCollection;
struct ICoreWebView2ProcessInfo;
struct ICoreWebView2PointerInfo;
struct ICoreWebView2PermissionRequestedEventArgs;
struct ICoreWebView2PermissionRequestedEventHandler;
struct ICoreWebView2PrintCompletedHandler;
struct ICoreWebView2PrintSettings;
struct ICoreWebView2PrintToPdfCompletedHandler;
struct ICoreWebView2PrintToPdfStreamCompletedHandler;
struct ICoreWebView2ProcessFailedEventArgs;
struct ICoreWebView2ProcessFailedEventHandler;
struct ICoreWebView2ProcessInfosChangedEventHandler;
struct ICoreWebView2Profile;
struct ICoreWebView2RasterizationScaleChangedEventHandler;
struct ICoreWebView2SaveAsUIShowingEventArgs;
struct ICoreWebView2SaveAsUIShowingEventHandler;
struct ICoreWebView2SaveFileSecurityCheckStartingEventArgs;
struct ICoreWebView2SaveFileSecurityCheckStartingEventHandler;
struct ICoreWebView2ScreenCaptureStartingEventArgs;
struct ICoreWebView2ScreenCaptureStartingEventHandler;
struct ICoreWebView2ScriptDialogOpeningEventArgs;
struct ICoreWebView2ScriptDialogOpeningEventHandler;
struct ICoreWebView2ServerCertificateErrorDetectedEventArgs;
struct ICoreWebView2ServerCertificateErrorDetectedEventHandler;
struct ICoreWebView2Settings;
struct ICoreWebView2SharedBuffer;
struct ICoreWebView2SourceChangedEventArgs;
struct ICoreWebView2SourceChangedEventHandler;
struct ICoreWebView2StatusBarTextChangedEventHandler;
struct ICoreWebView2StringCollection;
struct ICoreWebView2TrySuspendCompletedHandler;
struct ICoreWebView2WebMessageReceivedEventArgs;
struct ICoreWebView2WebMessageReceivedEventHandler;
struct ICoreWebView2WebResourceRequest;
struct ICoreWebView2WebResourceRequestedEventHandler;
struct ICoreWebView2WebResourceResponse;
struct ICoreWebView2WebResourceResponseReceivedEventHandler;
struct ICoreWebView2WindowCloseRequestedEventHandler;
struct ICoreWebView2WindowFeatures;
struct ICoreWebView2ZoomFactorChangedEventHandler;
struct ICoreWebView2BasicAuthenticationRequestedEventArgs;
struct ICoreWebView2ClientCertificateRequestedEventArgs;
struct ICoreWebView2DownloadStartingEventArgs;
struct ICoreWebView2WebResourceRequestedEventArgs;
struct ICoreWebView2WebResourceResponseReceivedEventArgs;
struct ICoreWebView2ProcessInfoCollection;
struct ICoreWebView2FindOptions;
struct ICoreWebView2Find;
struct ICoreWebView2_28;
struct ICoreWebView2ObjectCollection;
struct ICoreWebView2ShowSaveAsUICompletedHandler;

// ---------------------------------------------------------------------------
// Enumerations and structures (values as in the SDK).

enum COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT {
    COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_PNG = 0,
    COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT_JPEG = 1,
};

enum COREWEBVIEW2_COOKIE_SAME_SITE_KIND {
    COREWEBVIEW2_COOKIE_SAME_SITE_KIND_NONE = 0,
    COREWEBVIEW2_COOKIE_SAME_SITE_KIND_LAX = 1,
    COREWEBVIEW2_COOKIE_SAME_SITE_KIND_STRICT = 2,
};

enum COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND {
    COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_DENY = 0,
    COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_ALLOW = 1,
    COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND_DENY_CORS = 2,
};

enum COREWEBVIEW2_SCRIPT_DIALOG_KIND {
    COREWEBVIEW2_SCRIPT_DIALOG_KIND_ALERT = 0,
    COREWEBVIEW2_SCRIPT_DIALOG_KIND_CONFIRM = 1,
    COREWEBVIEW2_SCRIPT_DIALOG_KIND_PROMPT = 2,
    COREWEBVIEW2_SCRIPT_DIALOG_KIND_BEFOREUNLOAD = 3,
};

enum COREWEBVIEW2_PROCESS_FAILED_KIND {
    COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED = 0,
    COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED = 1,
    COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_UNRESPONSIVE = 2,
    COREWEBVIEW2_PROCESS_FAILED_KIND_FRAME_RENDER_PROCESS_EXITED = 3,
    COREWEBVIEW2_PROCESS_FAILED_KIND_UTILITY_PROCESS_EXITED = 4,
    COREWEBVIEW2_PROCESS_FAILED_KIND_SANDBOX_HELPER_PROCESS_EXITED = 5,
    COREWEBVIEW2_PROCESS_FAILED_KIND_GPU_PROCESS_EXITED = 6,
    COREWEBVIEW2_PROCESS_FAILED_KIND_PPAPI_PLUGIN_PROCESS_EXITED = 7,
    COREWEBVIEW2_PROCESS_FAILED_KIND_PPAPI_BROKER_PROCESS_EXITED = 8,
    COREWEBVIEW2_PROCESS_FAILED_KIND_UNKNOWN_PROCESS_EXITED = 9,
};

enum COREWEBVIEW2_PROCESS_FAILED_REASON {
    COREWEBVIEW2_PROCESS_FAILED_REASON_UNEXPECTED = 0,
    COREWEBVIEW2_PROCESS_FAILED_REASON_UNRESPONSIVE = 1,
    COREWEBVIEW2_PROCESS_FAILED_REASON_TERMINATED = 2,
    COREWEBVIEW2_PROCESS_FAILED_REASON_CRASHED = 3,
    COREWEBVIEW2_PROCESS_FAILED_REASON_LAUNCH_FAILED = 4,
    COREWEBVIEW2_PROCESS_FAILED_REASON_OUT_OF_MEMORY = 5,
    COREWEBVIEW2_PROCESS_FAILED_REASON_PROFILE_DELETED = 6,
};

enum COREWEBVIEW2_PERMISSION_KIND {
    COREWEBVIEW2_PERMISSION_KIND_UNKNOWN_PERMISSION = 0,
    COREWEBVIEW2_PERMISSION_KIND_MICROPHONE = 1,
    COREWEBVIEW2_PERMISSION_KIND_CAMERA = 2,
    COREWEBVIEW2_PERMISSION_KIND_GEOLOCATION = 3,
    COREWEBVIEW2_PERMISSION_KIND_NOTIFICATIONS = 4,
    COREWEBVIEW2_PERMISSION_KIND_OTHER_SENSORS = 5,
    COREWEBVIEW2_PERMISSION_KIND_CLIPBOARD_READ = 6,
    COREWEBVIEW2_PERMISSION_KIND_MULTIPLE_AUTOMATIC_DOWNLOADS = 7,
    COREWEBVIEW2_PERMISSION_KIND_FILE_READ_WRITE = 8,
    COREWEBVIEW2_PERMISSION_KIND_AUTOPLAY = 9,
    COREWEBVIEW2_PERMISSION_KIND_LOCAL_FONTS = 10,
    COREWEBVIEW2_PERMISSION_KIND_MIDI_SYSTEM_EXCLUSIVE_MESSAGES = 11,
    COREWEBVIEW2_PERMISSION_KIND_WINDOW_MANAGEMENT = 12,
};

enum COREWEBVIEW2_PERMISSION_STATE {
    COREWEBVIEW2_PERMISSION_STATE_DEFAULT = 0,
    COREWEBVIEW2_PERMISSION_STATE_ALLOW = 1,
    COREWEBVIEW2_PERMISSION_STATE_DENY = 2,
};

enum COREWEBVIEW2_WEB_ERROR_STATUS {
    COREWEBVIEW2_WEB_ERROR_STATUS_UNKNOWN = 0,
    COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_COMMON_NAME_IS_INCORRECT = 1,
    COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_EXPIRED = 2,
    COREWEBVIEW2_WEB_ERROR_STATUS_CLIENT_CERTIFICATE_CONTAINS_ERRORS = 3,
    COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_REVOKED = 4,
    COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_IS_INVALID = 5,
    COREWEBVIEW2_WEB_ERROR_STATUS_SERVER_UNREACHABLE = 6,
    COREWEBVIEW2_WEB_ERROR_STATUS_TIMEOUT = 7,
    COREWEBVIEW2_WEB_ERROR_STATUS_ERROR_HTTP_INVALID_SERVER_RESPONSE = 8,
    COREWEBVIEW2_WEB_ERROR_STATUS_CONNECTION_ABORTED = 9,
    COREWEBVIEW2_WEB_ERROR_STATUS_CONNECTION_RESET = 10,
    COREWEBVIEW2_WEB_ERROR_STATUS_DISCONNECTED = 11,
    COREWEBVIEW2_WEB_ERROR_STATUS_CANNOT_CONNECT = 12,
    COREWEBVIEW2_WEB_ERROR_STATUS_HOST_NAME_NOT_RESOLVED = 13,
    COREWEBVIEW2_WEB_ERROR_STATUS_OPERATION_CANCELED = 14,
    COREWEBVIEW2_WEB_ERROR_STATUS_REDIRECT_FAILED = 15,
    COREWEBVIEW2_WEB_ERROR_STATUS_UNEXPECTED_ERROR = 16,
    COREWEBVIEW2_WEB_ERROR_STATUS_VALID_AUTHENTICATION_CREDENTIALS_REQUIRED = 17,
    COREWEBVIEW2_WEB_ERROR_STATUS_VALID_PROXY_AUTHENTICATION_REQUIRED = 18,
};

enum COREWEBVIEW2_WEB_RESOURCE_CONTEXT {
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL = 0,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_DOCUMENT = 1,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_STYLESHEET = 2,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_IMAGE = 3,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_MEDIA = 4,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_FONT = 5,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_SCRIPT = 6,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_XML_HTTP_REQUEST = 7,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_FETCH = 8,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_TEXT_TRACK = 9,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_EVENT_SOURCE = 10,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_WEBSOCKET = 11,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_MANIFEST = 12,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_SIGNED_EXCHANGE = 13,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_PING = 14,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_CSP_VIOLATION_REPORT = 15,
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT_OTHER = 16,
};

enum COREWEBVIEW2_MOVE_FOCUS_REASON {
    COREWEBVIEW2_MOVE_FOCUS_REASON_PROGRAMMATIC = 0,
    COREWEBVIEW2_MOVE_FOCUS_REASON_NEXT = 1,
    COREWEBVIEW2_MOVE_FOCUS_REASON_PREVIOUS = 2,
};

enum COREWEBVIEW2_KEY_EVENT_KIND {
    COREWEBVIEW2_KEY_EVENT_KIND_KEY_DOWN = 0,
    COREWEBVIEW2_KEY_EVENT_KIND_KEY_UP = 1,
    COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_DOWN = 2,
    COREWEBVIEW2_KEY_EVENT_KIND_SYSTEM_KEY_UP = 3,
};

enum COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND {
    COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND_NORMAL = 0,
    COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND_FAILED = 1,
};

struct COREWEBVIEW2_PHYSICAL_KEY_STATUS {
    UINT32 RepeatCount;
    UINT32 ScanCode;
    BOOL IsExtendedKey;
    BOOL IsMenuKeyDown;
    BOOL WasKeyDown;
    BOOL IsKeyReleased;
};

struct COREWEBVIEW2_COLOR {
    BYTE A;
    BYTE R;
    BYTE G;
    BYTE B;
};

enum COREWEBVIEW2_MOUSE_EVENT_KIND {
    COREWEBVIEW2_MOUSE_EVENT_KIND_HORIZONTAL_WHEEL = 0x20e,
    COREWEBVIEW2_MOUSE_EVENT_KIND_LEFT_BUTTON_DOUBLE_CLICK = 0x203,
    COREWEBVIEW2_MOUSE_EVENT_KIND_LEFT_BUTTON_DOWN = 0x201,
    COREWEBVIEW2_MOUSE_EVENT_KIND_LEFT_BUTTON_UP = 0x202,
    COREWEBVIEW2_MOUSE_EVENT_KIND_LEAVE = 0x2a3,
    COREWEBVIEW2_MOUSE_EVENT_KIND_MIDDLE_BUTTON_DOUBLE_CLICK = 0x209,
    COREWEBVIEW2_MOUSE_EVENT_KIND_MIDDLE_BUTTON_DOWN = 0x207,
    COREWEBVIEW2_MOUSE_EVENT_KIND_MIDDLE_BUTTON_UP = 0x208,
    COREWEBVIEW2_MOUSE_EVENT_KIND_MOVE = 0x200,
    COREWEBVIEW2_MOUSE_EVENT_KIND_RIGHT_BUTTON_DOUBLE_CLICK = 0x206,
    COREWEBVIEW2_MOUSE_EVENT_KIND_RIGHT_BUTTON_DOWN = 0x204,
    COREWEBVIEW2_MOUSE_EVENT_KIND_RIGHT_BUTTON_UP = 0x205,
    COREWEBVIEW2_MOUSE_EVENT_KIND_WHEEL = 0x20a,
    COREWEBVIEW2_MOUSE_EVENT_KIND_X_BUTTON_DOUBLE_CLICK = 0x20d,
    COREWEBVIEW2_MOUSE_EVENT_KIND_X_BUTTON_DOWN = 0x20b,
    COREWEBVIEW2_MOUSE_EVENT_KIND_X_BUTTON_UP = 0x20c,
    COREWEBVIEW2_MOUSE_EVENT_KIND_NON_CLIENT_RIGHT_BUTTON_DOWN = 0xa4,
    COREWEBVIEW2_MOUSE_EVENT_KIND_NON_CLIENT_RIGHT_BUTTON_UP = 0xa5,
};

enum COREWEBVIEW2_MOUSE_EVENT_VIRTUAL_KEYS {
    COREWEBVIEW2_MOUSE_EVENT_VIRTUAL_KEYS_NONE = 0,
    COREWEBVIEW2_MOUSE_EVENT_VIRTUAL_KEYS_LEFT_BUTTON = 0x1,
    COREWEBVIEW2_MOUSE_EVENT_VIRTUAL_KEYS_RIGHT_BUTTON = 0x2,
    COREWEBVIEW2_MOUSE_EVENT_VIRTUAL_KEYS_SHIFT = 0x4,
    COREWEBVIEW2_MOUSE_EVENT_VIRTUAL_KEYS_CONTROL = 0x8,
    COREWEBVIEW2_MOUSE_EVENT_VIRTUAL_KEYS_MIDDLE_BUTTON = 0x10,
    COREWEBVIEW2_MOUSE_EVENT_VIRTUAL_KEYS_X_BUTTON1 = 0x20,
    COREWEBVIEW2_MOUSE_EVENT_VIRTUAL_KEYS_X_BUTTON2 = 0x40,
};
DEFINE_ENUM_FLAG_OPERATORS(COREWEBVIEW2_MOUSE_EVENT_VIRTUAL_KEYS)

enum COREWEBVIEW2_POINTER_EVENT_KIND {
    COREWEBVIEW2_POINTER_EVENT_KIND_ACTIVATE = 0x24b,
    COREWEBVIEW2_POINTER_EVENT_KIND_DOWN = 0x246,
    COREWEBVIEW2_POINTER_EVENT_KIND_ENTER = 0x249,
    COREWEBVIEW2_POINTER_EVENT_KIND_LEAVE = 0x24a,
    COREWEBVIEW2_POINTER_EVENT_KIND_UP = 0x247,
    COREWEBVIEW2_POINTER_EVENT_KIND_UPDATE = 0x245,
};

enum COREWEBVIEW2_BOUNDS_MODE {
    COREWEBVIEW2_BOUNDS_MODE_USE_RAW_PIXELS = 0,
    COREWEBVIEW2_BOUNDS_MODE_USE_RASTERIZATION_SCALE = 1,
};

enum COREWEBVIEW2_CLIENT_CERTIFICATE_KIND {
    COREWEBVIEW2_CLIENT_CERTIFICATE_KIND_SMART_CARD = 0,
    COREWEBVIEW2_CLIENT_CERTIFICATE_KIND_PIN = 1,
    COREWEBVIEW2_CLIENT_CERTIFICATE_KIND_OTHER = 2,
};

enum COREWEBVIEW2_DOWNLOAD_STATE {
    COREWEBVIEW2_DOWNLOAD_STATE_IN_PROGRESS = 0,
    COREWEBVIEW2_DOWNLOAD_STATE_INTERRUPTED = 1,
    COREWEBVIEW2_DOWNLOAD_STATE_COMPLETED = 2,
};

enum COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON {
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_NONE = 0,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_FILE_FAILED = 1,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_FILE_ACCESS_DENIED = 2,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_FILE_NO_SPACE = 3,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_FILE_NAME_TOO_LONG = 4,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_FILE_TOO_LARGE = 5,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_FILE_MALICIOUS = 6,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_FILE_TRANSIENT_ERROR = 7,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_FILE_BLOCKED_BY_POLICY = 8,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_FILE_SECURITY_CHECK_FAILED = 9,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_FILE_TOO_SHORT = 10,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_FILE_HASH_MISMATCH = 11,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_NETWORK_FAILED = 12,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_NETWORK_TIMEOUT = 13,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_NETWORK_DISCONNECTED = 14,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_NETWORK_SERVER_DOWN = 15,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_NETWORK_INVALID_REQUEST = 16,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_SERVER_FAILED = 17,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_SERVER_NO_RANGE = 18,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_SERVER_BAD_CONTENT = 19,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_SERVER_UNAUTHORIZED = 20,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_SERVER_CERTIFICATE_PROBLEM = 21,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_SERVER_FORBIDDEN = 22,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_SERVER_UNEXPECTED_RESPONSE = 23,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_SERVER_CONTENT_LENGTH_MISMATCH = 24,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_SERVER_CROSS_ORIGIN_REDIRECT = 25,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_USER_CANCELED = 26,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_USER_SHUTDOWN = 27,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_USER_PAUSED = 28,
    COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON_DOWNLOAD_PROCESS_CRASHED = 29,
};

enum COREWEBVIEW2_PRINT_ORIENTATION {
    COREWEBVIEW2_PRINT_ORIENTATION_PORTRAIT = 0,
    COREWEBVIEW2_PRINT_ORIENTATION_LANDSCAPE = 1,
};

enum COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT {
    COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT_TOP_LEFT = 0,
    COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT_TOP_RIGHT = 1,
    COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT_BOTTOM_LEFT = 2,
    COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT_BOTTOM_RIGHT = 3,
};

enum COREWEBVIEW2_PROCESS_KIND {
    COREWEBVIEW2_PROCESS_KIND_BROWSER = 0,
    COREWEBVIEW2_PROCESS_KIND_RENDERER = 1,
    COREWEBVIEW2_PROCESS_KIND_UTILITY = 2,
    COREWEBVIEW2_PROCESS_KIND_SANDBOX_HELPER = 3,
    COREWEBVIEW2_PROCESS_KIND_GPU = 4,
    COREWEBVIEW2_PROCESS_KIND_PPAPI_PLUGIN = 5,
    COREWEBVIEW2_PROCESS_KIND_PPAPI_BROKER = 6,
};

enum COREWEBVIEW2_PDF_TOOLBAR_ITEMS {
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_NONE = 0,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_SAVE = 0x1,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_PRINT = 0x2,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_SAVE_AS = 0x4,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_ZOOM_IN = 0x8,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_ZOOM_OUT = 0x10,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_ROTATE = 0x20,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_FIT_PAGE = 0x40,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_PAGE_LAYOUT = 0x80,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_BOOKMARKS = 0x100,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_PAGE_SELECTOR = 0x200,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_SEARCH = 0x400,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_FULL_SCREEN = 0x800,
    COREWEBVIEW2_PDF_TOOLBAR_ITEMS_MORE_SETTINGS = 0x1000,
};
DEFINE_ENUM_FLAG_OPERATORS(COREWEBVIEW2_PDF_TOOLBAR_ITEMS)

enum COREWEBVIEW2_CONTEXT_MENU_TARGET_KIND {
    COREWEBVIEW2_CONTEXT_MENU_TARGET_KIND_PAGE = 0,
    COREWEBVIEW2_CONTEXT_MENU_TARGET_KIND_IMAGE = 1,
    COREWEBVIEW2_CONTEXT_MENU_TARGET_KIND_SELECTED_TEXT = 2,
    COREWEBVIEW2_CONTEXT_MENU_TARGET_KIND_AUDIO = 3,
    COREWEBVIEW2_CONTEXT_MENU_TARGET_KIND_VIDEO = 4,
};

enum COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND {
    COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND_COMMAND = 0,
    COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND_CHECK_BOX = 1,
    COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND_RADIO = 2,
    COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND_SEPARATOR = 3,
    COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND_SUBMENU = 4,
};

enum COREWEBVIEW2_PREFERRED_COLOR_SCHEME {
    COREWEBVIEW2_PREFERRED_COLOR_SCHEME_AUTO = 0,
    COREWEBVIEW2_PREFERRED_COLOR_SCHEME_LIGHT = 1,
    COREWEBVIEW2_PREFERRED_COLOR_SCHEME_DARK = 2,
};

enum COREWEBVIEW2_BROWSING_DATA_KINDS {
    COREWEBVIEW2_BROWSING_DATA_KINDS_FILE_SYSTEMS = 1 << 0,
    COREWEBVIEW2_BROWSING_DATA_KINDS_INDEXED_DB = 1 << 1,
    COREWEBVIEW2_BROWSING_DATA_KINDS_LOCAL_STORAGE = 1 << 2,
    COREWEBVIEW2_BROWSING_DATA_KINDS_WEB_SQL = 1 << 3,
    COREWEBVIEW2_BROWSING_DATA_KINDS_CACHE_STORAGE = 1 << 4,
    COREWEBVIEW2_BROWSING_DATA_KINDS_ALL_DOM_STORAGE = 1 << 5,
    COREWEBVIEW2_BROWSING_DATA_KINDS_COOKIES = 1 << 6,
    COREWEBVIEW2_BROWSING_DATA_KINDS_ALL_SITE = 1 << 7,
    COREWEBVIEW2_BROWSING_DATA_KINDS_DISK_CACHE = 1 << 8,
    COREWEBVIEW2_BROWSING_DATA_KINDS_DOWNLOAD_HISTORY = 1 << 9,
    COREWEBVIEW2_BROWSING_DATA_KINDS_GENERAL_AUTOFILL = 1 << 10,
    COREWEBVIEW2_BROWSING_DATA_KINDS_PASSWORD_AUTOSAVE = 1 << 11,
    COREWEBVIEW2_BROWSING_DATA_KINDS_BROWSING_HISTORY = 1 << 12,
    COREWEBVIEW2_BROWSING_DATA_KINDS_SETTINGS = 1 << 13,
    COREWEBVIEW2_BROWSING_DATA_KINDS_ALL_PROFILE = 1 << 14,
    COREWEBVIEW2_BROWSING_DATA_KINDS_SERVICE_WORKERS = 1 << 15,
};
DEFINE_ENUM_FLAG_OPERATORS(COREWEBVIEW2_BROWSING_DATA_KINDS)

enum COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION {
    COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION_ALWAYS_ALLOW = 0,
    COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION_CANCEL = 1,
    COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION_DEFAULT = 2,
};

enum COREWEBVIEW2_FAVICON_IMAGE_FORMAT {
    COREWEBVIEW2_FAVICON_IMAGE_FORMAT_PNG = 0,
    COREWEBVIEW2_FAVICON_IMAGE_FORMAT_JPEG = 1,
};

enum COREWEBVIEW2_PRINT_DIALOG_KIND {
    COREWEBVIEW2_PRINT_DIALOG_KIND_BROWSER = 0,
    COREWEBVIEW2_PRINT_DIALOG_KIND_SYSTEM = 1,
};

enum COREWEBVIEW2_PRINT_DUPLEX {
    COREWEBVIEW2_PRINT_DUPLEX_DEFAULT = 0,
    COREWEBVIEW2_PRINT_DUPLEX_ONE_SIDED = 1,
    COREWEBVIEW2_PRINT_DUPLEX_TWO_SIDED_LONG_EDGE = 2,
    COREWEBVIEW2_PRINT_DUPLEX_TWO_SIDED_SHORT_EDGE = 3,
};

enum COREWEBVIEW2_PRINT_COLOR_MODE {
    COREWEBVIEW2_PRINT_COLOR_MODE_DEFAULT = 0,
    COREWEBVIEW2_PRINT_COLOR_MODE_COLOR = 1,
    COREWEBVIEW2_PRINT_COLOR_MODE_GRAYSCALE = 2,
};

enum COREWEBVIEW2_PRINT_COLLATION {
    COREWEBVIEW2_PRINT_COLLATION_DEFAULT = 0,
    COREWEBVIEW2_PRINT_COLLATION_COLLATED = 1,
    COREWEBVIEW2_PRINT_COLLATION_UNCOLLATED = 2,
};

enum COREWEBVIEW2_PRINT_MEDIA_SIZE {
    COREWEBVIEW2_PRINT_MEDIA_SIZE_DEFAULT = 0,
    COREWEBVIEW2_PRINT_MEDIA_SIZE_CUSTOM = 1,
};

enum COREWEBVIEW2_PRINT_STATUS {
    COREWEBVIEW2_PRINT_STATUS_SUCCEEDED = 0,
    COREWEBVIEW2_PRINT_STATUS_PRINTER_UNAVAILABLE = 1,
    COREWEBVIEW2_PRINT_STATUS_OTHER_ERROR = 2,
};

enum COREWEBVIEW2_TRACKING_PREVENTION_LEVEL {
    COREWEBVIEW2_TRACKING_PREVENTION_LEVEL_NONE = 0,
    COREWEBVIEW2_TRACKING_PREVENTION_LEVEL_BASIC = 1,
    COREWEBVIEW2_TRACKING_PREVENTION_LEVEL_BALANCED = 2,
    COREWEBVIEW2_TRACKING_PREVENTION_LEVEL_STRICT = 3,
};

enum COREWEBVIEW2_SHARED_BUFFER_ACCESS {
    COREWEBVIEW2_SHARED_BUFFER_ACCESS_READ_ONLY = 0,
    COREWEBVIEW2_SHARED_BUFFER_ACCESS_READ_WRITE = 1,
};

enum COREWEBVIEW2_MEMORY_USAGE_TARGET_LEVEL {
    COREWEBVIEW2_MEMORY_USAGE_TARGET_LEVEL_NORMAL = 0,
    COREWEBVIEW2_MEMORY_USAGE_TARGET_LEVEL_LOW = 1,
};

enum COREWEBVIEW2_NAVIGATION_KIND {
    COREWEBVIEW2_NAVIGATION_KIND_RELOAD = 0,
    COREWEBVIEW2_NAVIGATION_KIND_BACK_OR_FORWARD = 1,
    COREWEBVIEW2_NAVIGATION_KIND_NEW_DOCUMENT = 2,
};

enum COREWEBVIEW2_FRAME_KIND {
    COREWEBVIEW2_FRAME_KIND_UNKNOWN = 0,
    COREWEBVIEW2_FRAME_KIND_MAIN_FRAME = 1,
    COREWEBVIEW2_FRAME_KIND_IFRAME = 2,
    COREWEBVIEW2_FRAME_KIND_EMBED = 3,
    COREWEBVIEW2_FRAME_KIND_OBJECT = 4,
};

enum COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS {
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_NONE = 0,
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_DOCUMENT = 1,
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_SHARED_WORKER = 2,
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_SERVICE_WORKER = 4,
    COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS_ALL = 0xffffffff,
};
DEFINE_ENUM_FLAG_OPERATORS(COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS)

enum COREWEBVIEW2_NON_CLIENT_REGION_KIND {
    COREWEBVIEW2_NON_CLIENT_REGION_KIND_NOWHERE = 0,
    COREWEBVIEW2_NON_CLIENT_REGION_KIND_CLIENT = 1,
    COREWEBVIEW2_NON_CLIENT_REGION_KIND_CAPTION = 2,
};

enum COREWEBVIEW2_TEXT_DIRECTION_KIND {
    COREWEBVIEW2_TEXT_DIRECTION_KIND_DEFAULT = 0,
    COREWEBVIEW2_TEXT_DIRECTION_KIND_LEFT_TO_RIGHT = 1,
    COREWEBVIEW2_TEXT_DIRECTION_KIND_RIGHT_TO_LEFT = 2,
};

enum COREWEBVIEW2_SAVE_AS_KIND {
    COREWEBVIEW2_SAVE_AS_KIND_DEFAULT = 0,
    COREWEBVIEW2_SAVE_AS_KIND_HTML_ONLY = 1,
    COREWEBVIEW2_SAVE_AS_KIND_SINGLE_FILE = 2,
    COREWEBVIEW2_SAVE_AS_KIND_COMPLETE = 3,
};

enum COREWEBVIEW2_SAVE_AS_UI_RESULT {
    COREWEBVIEW2_SAVE_AS_UI_RESULT_SUCCESS = 0,
    COREWEBVIEW2_SAVE_AS_UI_RESULT_INVALID_PATH = 1,
    COREWEBVIEW2_SAVE_AS_UI_RESULT_FILE_ALREADY_EXISTS = 2,
    COREWEBVIEW2_SAVE_AS_UI_RESULT_KIND_NOT_SUPPORTED = 3,
    COREWEBVIEW2_SAVE_AS_UI_RESULT_CANCELLED = 4,
};

// ---------------------------------------------------------------------------
// The loader's exports (WebView2Loader.dll), taken with GetProcAddress.

typedef HRESULT(STDAPICALLTYPE* PFN_CreateCoreWebView2EnvironmentWithOptions)(
    PCWSTR browserExecutableFolder, PCWSTR userDataFolder, ICoreWebView2EnvironmentOptions* environmentOptions,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* environmentCreatedHandler);
typedef HRESULT(STDAPICALLTYPE* PFN_GetAvailableCoreWebView2BrowserVersionString)(PCWSTR browserExecutableFolder,
                                                                                 LPWSTR* versionInfo);

// ---------------------------------------------------------------------------
// Completion handlers: Invoke(errorCode, result) once the runtime is done.

WV2_INTERFACE(ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler, IUnknown,
              "b99369f3-9b11-47b5-bc6f-8e7895fcea17") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, LPCWSTR id) = 0;
};

WV2_INTERFACE(ICoreWebView2CallDevToolsProtocolMethodCompletedHandler, IUnknown,
              "5c4889f0-5ef6-4c5a-952c-d8f1b92d0574") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, LPCWSTR returnObjectAsJson) = 0;
};

WV2_INTERFACE(ICoreWebView2CapturePreviewCompletedHandler, IUnknown, "697e05e9-3d8f-45fa-96f4-8ffe1ededaf5") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode) = 0;
};

WV2_INTERFACE(ICoreWebView2ClearBrowsingDataCompletedHandler, IUnknown, "e9710a06-1d1d-49b2-8234-226f35846ae5") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode) = 0;
};

WV2_INTERFACE(ICoreWebView2ClearServerCertificateErrorActionsCompletedHandler, IUnknown,
              "3B40AAC6-ACFE-4FFD-8211-F607B96E2D5B") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode) = 0;
};

WV2_INTERFACE(ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler, IUnknown,
              "02fab84b-1428-4fb7-ad45-1b2e64736184") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, ICoreWebView2CompositionController* webView) = 0;
};

WV2_INTERFACE(ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, IUnknown,
              "6c4819f3-c9b7-4260-8127-c9f5bde7f68c") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, ICoreWebView2Controller* createdController) = 0;
};

WV2_INTERFACE(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, IUnknown,
              "4e8a3389-c9d8-4bd2-b6b5-124fee6cc14d") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, ICoreWebView2Environment* createdEnvironment) = 0;
};

WV2_INTERFACE(ICoreWebView2GetCookiesCompletedHandler, IUnknown, "5A4F5069-5C15-47C3-8646-F4DE1C116670") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT result, ICoreWebView2CookieList* cookieList) = 0;
};

WV2_INTERFACE(ICoreWebView2PrintToPdfCompletedHandler, IUnknown, "ccf1ef04-fd8e-4d5f-b2de-0983e41b8c36") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, BOOL isSuccessful) = 0;
};

WV2_INTERFACE(ICoreWebView2PrintCompletedHandler, IUnknown, "8FD80075-ED08-42DB-8570-F5D14977461E") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, COREWEBVIEW2_PRINT_STATUS printStatus) = 0;
};

WV2_INTERFACE(ICoreWebView2PrintToPdfStreamCompletedHandler, IUnknown, "4C9F8229-8F93-444F-A711-2C0DFD6359D5") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, IStream* pdfStream) = 0;
};

WV2_INTERFACE(ICoreWebView2TrySuspendCompletedHandler, IUnknown, "00F206A7-9D17-4605-91F6-4E8E4DE192E3") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, BOOL isSuccessful) = 0;
};

WV2_INTERFACE(ICoreWebView2GetFaviconCompletedHandler, IUnknown, "A2508329-7DA8-49D7-8C05-FA125E4AEE8D") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, IStream* faviconStream) = 0;
};

WV2_INTERFACE(ICoreWebView2ExecuteScriptCompletedHandler, IUnknown, "49511172-cc67-4bca-9923-137112f4c4cc") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, LPCWSTR resultObjectAsJson) = 0;
};

WV2_INTERFACE(ICoreWebView2ExecuteScriptWithResultCompletedHandler, IUnknown, "1BB5317B-8238-4C67-A7FF-BAF6558F289D") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, ICoreWebView2ExecuteScriptResult* result) = 0;
};

WV2_INTERFACE(ICoreWebView2ScriptException, IUnknown, "054DAE00-84A3-49FF-BC17-4012A90BC9FD") {
    virtual HRESULT STDMETHODCALLTYPE get_LineNumber(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ColumnNumber(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Message(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ToJson(LPWSTR* value) = 0;
};

WV2_INTERFACE(ICoreWebView2ExecuteScriptResult, IUnknown, "0CE15963-3698-4DF7-9399-71ED6CDD8C9F") {
    virtual HRESULT STDMETHODCALLTYPE get_Succeeded(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ResultAsJson(LPWSTR* jsonResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE TryGetResultAsString(LPWSTR* stringResult, BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Exception(ICoreWebView2ScriptException** exception) = 0;
};

// ---------------------------------------------------------------------------
// Accelerator keys (raised by the controller).

WV2_INTERFACE(ICoreWebView2AcceleratorKeyPressedEventArgs, IUnknown, "9f760f8a-fb79-42be-9990-7b56900fa9c7") {
    virtual HRESULT STDMETHODCALLTYPE get_KeyEventKind(COREWEBVIEW2_KEY_EVENT_KIND* keyEventKind) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_VirtualKey(UINT* virtualKey) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_KeyEventLParam(INT* lParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PhysicalKeyStatus(COREWEBVIEW2_PHYSICAL_KEY_STATUS* physicalKeyStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;
};

WV2_INTERFACE(ICoreWebView2AcceleratorKeyPressedEventArgs2, ICoreWebView2AcceleratorKeyPressedEventArgs,
              "03b2c8c8-7799-4e34-bd66-ed26aa85f2bf") {
    virtual HRESULT STDMETHODCALLTYPE get_IsBrowserAcceleratorKeyEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsBrowserAcceleratorKeyEnabled(BOOL value) = 0;
};

WV2_INTERFACE(ICoreWebView2AcceleratorKeyPressedEventHandler, IUnknown, "b29c7e28-fa79-41a8-8e44-65811c76dcb2") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Controller* sender,
                                             ICoreWebView2AcceleratorKeyPressedEventArgs* args) = 0;
};

// ---------------------------------------------------------------------------
// The web view. Each revision adds its methods after its base's.

WV2_INTERFACE(ICoreWebView2, IUnknown, "76eceacb-0462-4d94-ac83-423a6793775e") {
    virtual HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE NavigateToString(LPCWSTR htmlContent) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler* eventHandler,
                                                             EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_NavigationStarting(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ContentLoading(ICoreWebView2ContentLoadingEventHandler* eventHandler,
                                                         EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ContentLoading(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_SourceChanged(ICoreWebView2SourceChangedEventHandler* eventHandler,
                                                        EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_SourceChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_HistoryChanged(ICoreWebView2HistoryChangedEventHandler* eventHandler,
                                                         EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_HistoryChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_NavigationCompleted(ICoreWebView2NavigationCompletedEventHandler* eventHandler,
                                                              EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_NavigationCompleted(EventRegistrationToken token) = 0;
    // Frame navigations reuse the top-level handler types here; ICoreWebView2Frame has its own.
    virtual HRESULT STDMETHODCALLTYPE add_FrameNavigationStarting(
        ICoreWebView2NavigationStartingEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_FrameNavigationStarting(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_FrameNavigationCompleted(
        ICoreWebView2NavigationCompletedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_FrameNavigationCompleted(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ScriptDialogOpening(ICoreWebView2ScriptDialogOpeningEventHandler* eventHandler,
                                                              EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ScriptDialogOpening(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_PermissionRequested(ICoreWebView2PermissionRequestedEventHandler* eventHandler,
                                                              EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_PermissionRequested(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ProcessFailed(ICoreWebView2ProcessFailedEventHandler* eventHandler,
                                                        EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ProcessFailed(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(
        LPCWSTR javaScript, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveScriptToExecuteOnDocumentCreated(LPCWSTR id) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExecuteScript(LPCWSTR javaScript,
                                                    ICoreWebView2ExecuteScriptCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT imageFormat,
                                                     IStream* imageStream,
                                                     ICoreWebView2CapturePreviewCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reload() = 0;
    virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR webMessageAsJson) = 0;
    virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR webMessageAsString) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler* handler,
                                                             EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE CallDevToolsProtocolMethod(
        LPCWSTR methodName, LPCWSTR parametersAsJson, ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL* canGoBack) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CanGoForward(BOOL* canGoForward) = 0;
    virtual HRESULT STDMETHODCALLTYPE GoBack() = 0;
    virtual HRESULT STDMETHODCALLTYPE GoForward() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDevToolsProtocolEventReceiver(
        LPCWSTR eventName, ICoreWebView2DevToolsProtocolEventReceiver** receiver) = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
    virtual HRESULT STDMETHODCALLTYPE add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* eventHandler,
                                                             EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_NewWindowRequested(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_DocumentTitleChanged(
        ICoreWebView2DocumentTitleChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_DocumentTitleChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DocumentTitle(LPWSTR* title) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddHostObjectToScript(LPCWSTR name, VARIANT* object) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveHostObjectFromScript(LPCWSTR name) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenDevToolsWindow() = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ContainsFullScreenElementChanged(
        ICoreWebView2ContainsFullScreenElementChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ContainsFullScreenElementChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ContainsFullScreenElement(BOOL* containsFullScreenElement) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_WebResourceRequested(
        ICoreWebView2WebResourceRequestedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_WebResourceRequested(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(
        const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilter(
        const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_WindowCloseRequested(
        ICoreWebView2WindowCloseRequestedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_WindowCloseRequested(EventRegistrationToken token) = 0;
};

WV2_INTERFACE(ICoreWebView2_2, ICoreWebView2, "9E8F0CF8-E670-4B5E-B2BC-73E061E3184C") {
    virtual HRESULT STDMETHODCALLTYPE add_WebResourceResponseReceived(
        ICoreWebView2WebResourceResponseReceivedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_WebResourceResponseReceived(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE NavigateWithWebResourceRequest(ICoreWebView2WebResourceRequest* request) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_DOMContentLoaded(ICoreWebView2DOMContentLoadedEventHandler* eventHandler,
                                                           EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_DOMContentLoaded(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CookieManager(ICoreWebView2CookieManager** cookieManager) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Environment(ICoreWebView2Environment** environment) = 0;
};

WV2_INTERFACE(ICoreWebView2_3, ICoreWebView2_2, "A0D6DF20-3B92-416D-AA0C-437A9C727857") {
    virtual HRESULT STDMETHODCALLTYPE TrySuspend(ICoreWebView2TrySuspendCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE Resume() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsSuspended(BOOL* isSuspended) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVirtualHostNameToFolderMapping(
        LPCWSTR hostName, LPCWSTR folderPath, COREWEBVIEW2_HOST_RESOURCE_ACCESS_KIND accessKind) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearVirtualHostNameToFolderMapping(LPCWSTR hostName) = 0;
};

WV2_INTERFACE(ICoreWebView2_4, ICoreWebView2_3, "20d02d59-6df2-42dc-bd06-f98a694b1302") {
    virtual HRESULT STDMETHODCALLTYPE add_FrameCreated(ICoreWebView2FrameCreatedEventHandler* eventHandler,
                                                       EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_FrameCreated(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler* eventHandler,
                                                           EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_DownloadStarting(EventRegistrationToken token) = 0;
};

WV2_INTERFACE(ICoreWebView2_5, ICoreWebView2_4, "bedb11b8-d63c-11eb-b8bc-0242ac130003") {
    virtual HRESULT STDMETHODCALLTYPE add_ClientCertificateRequested(
        ICoreWebView2ClientCertificateRequestedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ClientCertificateRequested(EventRegistrationToken token) = 0;
};

WV2_INTERFACE(ICoreWebView2_6, ICoreWebView2_5, "499aadac-d92c-4589-8a75-111bfc167795") {
    virtual HRESULT STDMETHODCALLTYPE OpenTaskManagerWindow() = 0;
};

WV2_INTERFACE(ICoreWebView2_7, ICoreWebView2_6, "79c24d83-09a3-45ae-9418-487f32a58740") {
    virtual HRESULT STDMETHODCALLTYPE PrintToPdf(LPCWSTR resultFilePath, ICoreWebView2PrintSettings* printSettings,
                                                 ICoreWebView2PrintToPdfCompletedHandler* handler) = 0;
};

WV2_INTERFACE(ICoreWebView2_8, ICoreWebView2_7, "E9632730-6E1E-43AB-B7B8-7B2C9E62E094") {
    virtual HRESULT STDMETHODCALLTYPE add_IsMutedChanged(ICoreWebView2IsMutedChangedEventHandler* eventHandler,
                                                         EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_IsMutedChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsMuted(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsMuted(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_IsDocumentPlayingAudioChanged(
        ICoreWebView2IsDocumentPlayingAudioChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_IsDocumentPlayingAudioChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsDocumentPlayingAudio(BOOL* value) = 0;
};

WV2_INTERFACE(ICoreWebView2_9, ICoreWebView2_8, "4d7b2eab-9fdc-468d-b998-a9260b5ed651") {
    virtual HRESULT STDMETHODCALLTYPE add_IsDefaultDownloadDialogOpenChanged(
        ICoreWebView2IsDefaultDownloadDialogOpenChangedEventHandler* handler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_IsDefaultDownloadDialogOpenChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsDefaultDownloadDialogOpen(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenDefaultDownloadDialog() = 0;
    virtual HRESULT STDMETHODCALLTYPE CloseDefaultDownloadDialog() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DefaultDownloadDialogCornerAlignment(
        COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DefaultDownloadDialogCornerAlignment(
        COREWEBVIEW2_DEFAULT_DOWNLOAD_DIALOG_CORNER_ALIGNMENT value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DefaultDownloadDialogMargin(POINT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DefaultDownloadDialogMargin(POINT value) = 0;
};

WV2_INTERFACE(ICoreWebView2_10, ICoreWebView2_9, "b1690564-6f5a-4983-8e48-31d1143fecdb") {
    virtual HRESULT STDMETHODCALLTYPE add_BasicAuthenticationRequested(
        ICoreWebView2BasicAuthenticationRequestedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_BasicAuthenticationRequested(EventRegistrationToken token) = 0;
};

WV2_INTERFACE(ICoreWebView2_11, ICoreWebView2_10, "0be78e56-c193-4051-b943-23b460c08bdb") {
    virtual HRESULT STDMETHODCALLTYPE CallDevToolsProtocolMethodForSession(
        LPCWSTR sessionId, LPCWSTR methodName, LPCWSTR parametersAsJson,
        ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ContextMenuRequested(
        ICoreWebView2ContextMenuRequestedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ContextMenuRequested(EventRegistrationToken token) = 0;
};

WV2_INTERFACE(ICoreWebView2_12, ICoreWebView2_11, "35D69927-BCFA-4566-9349-6B3E0D154CAC") {
    virtual HRESULT STDMETHODCALLTYPE add_StatusBarTextChanged(
        ICoreWebView2StatusBarTextChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_StatusBarTextChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StatusBarText(LPWSTR* value) = 0;
};

WV2_INTERFACE(ICoreWebView2_13, ICoreWebView2_12, "F75F09A8-667E-4983-88D6-C8773F315E84") {
    virtual HRESULT STDMETHODCALLTYPE get_Profile(ICoreWebView2Profile** value) = 0;
};

WV2_INTERFACE(ICoreWebView2_14, ICoreWebView2_13, "6DAA4F10-4A90-4753-8898-77C5DF534165") {
    virtual HRESULT STDMETHODCALLTYPE add_ServerCertificateErrorDetected(
        ICoreWebView2ServerCertificateErrorDetectedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ServerCertificateErrorDetected(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearServerCertificateErrorActions(
        ICoreWebView2ClearServerCertificateErrorActionsCompletedHandler* handler) = 0;
};

WV2_INTERFACE(ICoreWebView2_15, ICoreWebView2_14, "517B2D1D-7DAE-4A66-A4F4-10352FFB9518") {
    virtual HRESULT STDMETHODCALLTYPE add_FaviconChanged(ICoreWebView2FaviconChangedEventHandler* eventHandler,
                                                         EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_FaviconChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FaviconUri(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFavicon(COREWEBVIEW2_FAVICON_IMAGE_FORMAT format,
                                                 ICoreWebView2GetFaviconCompletedHandler* completedHandler) = 0;
};

WV2_INTERFACE(ICoreWebView2_16, ICoreWebView2_15, "0EB34DC9-9F91-41E1-8639-95CD5943906B") {
    virtual HRESULT STDMETHODCALLTYPE Print(ICoreWebView2PrintSettings* printSettings,
                                            ICoreWebView2PrintCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowPrintUI(COREWEBVIEW2_PRINT_DIALOG_KIND printDialogKind) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrintToPdfStream(ICoreWebView2PrintSettings* printSettings,
                                                       ICoreWebView2PrintToPdfStreamCompletedHandler* handler) = 0;
};

WV2_INTERFACE(ICoreWebView2_17, ICoreWebView2_16, "702E75D4-FD44-434D-9D70-1A68A6B1192A") {
    virtual HRESULT STDMETHODCALLTYPE PostSharedBufferToScript(ICoreWebView2SharedBuffer* sharedBuffer,
                                                               COREWEBVIEW2_SHARED_BUFFER_ACCESS access,
                                                               LPCWSTR additionalDataAsJson) = 0;
};

WV2_INTERFACE(ICoreWebView2_18, ICoreWebView2_17, "7A626017-28BE-49B2-B865-3BA2B3522D90") {
    virtual HRESULT STDMETHODCALLTYPE add_LaunchingExternalUriScheme(
        ICoreWebView2LaunchingExternalUriSchemeEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_LaunchingExternalUriScheme(EventRegistrationToken token) = 0;
};

WV2_INTERFACE(ICoreWebView2_19, ICoreWebView2_18, "6921F954-79B0-437F-A997-C85811897C68") {
    virtual HRESULT STDMETHODCALLTYPE get_MemoryUsageTargetLevel(COREWEBVIEW2_MEMORY_USAGE_TARGET_LEVEL* level) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MemoryUsageTargetLevel(COREWEBVIEW2_MEMORY_USAGE_TARGET_LEVEL level) = 0;
};

WV2_INTERFACE(ICoreWebView2_20, ICoreWebView2_19, "b4bc1926-7305-11ee-b962-0242ac120002") {
    virtual HRESULT STDMETHODCALLTYPE get_FrameId(UINT32* id) = 0;
};

WV2_INTERFACE(ICoreWebView2_21, ICoreWebView2_20, "c4980dea-587b-43b9-8143-3ef3bf552d95") {
    virtual HRESULT STDMETHODCALLTYPE ExecuteScriptWithResult(
        LPCWSTR javaScript, ICoreWebView2ExecuteScriptWithResultCompletedHandler* handler) = 0;
};

WV2_INTERFACE(ICoreWebView2_22, ICoreWebView2_21, "DB75DFC7-A857-4632-A398-6969DDE26C0A") {
    virtual HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilterWithRequestSourceKinds(
        const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext,
        const COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS requestSourceKinds) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilterWithRequestSourceKinds(
        const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext,
        const COREWEBVIEW2_WEB_RESOURCE_REQUEST_SOURCE_KINDS requestSourceKinds) = 0;
};

WV2_INTERFACE(ICoreWebView2_23, ICoreWebView2_22, "508f0db5-90c4-5872-90a7-267a91377502") {
    virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsJsonWithAdditionalObjects(
        LPCWSTR webMessageAsJson, ICoreWebView2ObjectCollectionView* additionalObjects) = 0;
};

WV2_INTERFACE(ICoreWebView2_24, ICoreWebView2_23, "39a7ad55-4287-5cc1-88a1-c6f458593824") {
    virtual HRESULT STDMETHODCALLTYPE add_NotificationReceived(ICoreWebView2NotificationReceivedEventHandler* eventHandler,
                                                               EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_NotificationReceived(EventRegistrationToken token) = 0;
};

// Not only an event: ShowSaveAsUI came in the same revision.
WV2_INTERFACE(ICoreWebView2_25, ICoreWebView2_24, "b5a86092-df50-5b4f-a17b-6c8f8b40b771") {
    virtual HRESULT STDMETHODCALLTYPE add_SaveAsUIShowing(ICoreWebView2SaveAsUIShowingEventHandler* eventHandler,
                                                          EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_SaveAsUIShowing(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowSaveAsUI(ICoreWebView2ShowSaveAsUICompletedHandler* handler) = 0;
};

WV2_INTERFACE(ICoreWebView2_26, ICoreWebView2_25, "806268b8-f897-5685-88e5-c45fca0b1a48") {
    virtual HRESULT STDMETHODCALLTYPE add_SaveFileSecurityCheckStarting(
        ICoreWebView2SaveFileSecurityCheckStartingEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_SaveFileSecurityCheckStarting(EventRegistrationToken token) = 0;
};

WV2_INTERFACE(ICoreWebView2_27, ICoreWebView2_26, "00fbe33b-8c07-517c-aa23-0ddd4b5f6fa0") {
    virtual HRESULT STDMETHODCALLTYPE add_ScreenCaptureStarting(
        ICoreWebView2ScreenCaptureStartingEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ScreenCaptureStarting(EventRegistrationToken token) = 0;
};

// Find-in-page (ICoreWebView2Find is declared with the environment's later revisions).
WV2_INTERFACE(ICoreWebView2_28, ICoreWebView2_27, "62e50381-5bf5-51a8-aae0-f20a3a9c8a90") {
    virtual HRESULT STDMETHODCALLTYPE get_Find(ICoreWebView2Find** value) = 0;
};

// ---------------------------------------------------------------------------
// The environment: one browser process group, shared by the web views it creates.

WV2_INTERFACE(ICoreWebView2Environment, IUnknown, "b96d755e-0319-4e92-a296-23436f46a1fc") {
    virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
        HWND parentWindow, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(IStream* content, int statusCode, LPCWSTR reasonPhrase,
                                                                LPCWSTR headers,
                                                                ICoreWebView2WebResourceResponse** response) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* versionInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_NewBrowserVersionAvailable(
        ICoreWebView2NewBrowserVersionAvailableEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_NewBrowserVersionAvailable(EventRegistrationToken token) = 0;
};

WV2_INTERFACE(ICoreWebView2Environment2, ICoreWebView2Environment, "41F3632B-5EF4-404F-AD82-2D606C5A9A21") {
    virtual HRESULT STDMETHODCALLTYPE CreateWebResourceRequest(LPCWSTR uri, LPCWSTR method, IStream* postData,
                                                               LPCWSTR headers,
                                                               ICoreWebView2WebResourceRequest** request) = 0;
};

WV2_INTERFACE(ICoreWebView2Environment3, ICoreWebView2Environment2, "80a22ae3-be7c-4ce2-afe1-5a50056cdeeb") {
    virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2CompositionController(
        HWND parentWindow, ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2PointerInfo(ICoreWebView2PointerInfo** pointerInfo) = 0;
};

WV2_INTERFACE(ICoreWebView2Environment4, ICoreWebView2Environment3, "20944379-6dcf-41d6-a0a0-abc0fc50de0d") {
    virtual HRESULT STDMETHODCALLTYPE GetAutomationProviderForWindow(HWND hwnd, IUnknown** provider) = 0;
};

WV2_INTERFACE(ICoreWebView2Environment5, ICoreWebView2Environment4, "319e423d-e0d7-4b8d-9254-ae9475de9b17") {
    virtual HRESULT STDMETHODCALLTYPE add_BrowserProcessExited(
        ICoreWebView2BrowserProcessExitedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_BrowserProcessExited(EventRegistrationToken token) = 0;
};

WV2_INTERFACE(ICoreWebView2Environment6, ICoreWebView2Environment5, "e59ee362-acbd-4857-9a8e-d3644d9459a9") {
    virtual HRESULT STDMETHODCALLTYPE CreatePrintSettings(ICoreWebView2PrintSettings** printSettings) = 0;
};

WV2_INTERFACE(ICoreWebView2Environment7, ICoreWebView2Environment6, "43C22296-3BBD-43A4-9C00-5C0DF6DD29A2") {
    virtual HRESULT STDMETHODCALLTYPE get_UserDataFolder(LPWSTR* value) = 0;
};

WV2_INTERFACE(ICoreWebView2Environment8, ICoreWebView2Environment7, "D6EB91DD-C3D2-45E5-BD29-6DC2BC4DE9CF") {
    virtual HRESULT STDMETHODCALLTYPE add_ProcessInfosChanged(ICoreWebView2ProcessInfosChangedEventHandler* eventHandler,
                                                              EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ProcessInfosChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProcessInfos(ICoreWebView2ProcessInfoCollection** value) = 0;
};

WV2_INTERFACE(ICoreWebView2Environment9, ICoreWebView2Environment8, "f06f41bf-4b5a-49d8-b9f6-fa16cd29f274") {
    virtual HRESULT STDMETHODCALLTYPE CreateContextMenuItem(LPCWSTR label, IStream* iconStream,
                                                            COREWEBVIEW2_CONTEXT_MENU_ITEM_KIND kind,
                                                            ICoreWebView2ContextMenuItem** item) = 0;
};

// Controllers with a named profile (and InPrivate mode).
WV2_INTERFACE(ICoreWebView2Environment10, ICoreWebView2Environment9, "ee0eb9df-6f12-46ce-b53f-3f47b9c928e0") {
    virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2ControllerOptions(ICoreWebView2ControllerOptions** options) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2ControllerWithOptions(
        HWND parentWindow, ICoreWebView2ControllerOptions* options,
        ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateCoreWebView2CompositionControllerWithOptions(
        HWND parentWindow, ICoreWebView2ControllerOptions* options,
        ICoreWebView2CreateCoreWebView2CompositionControllerCompletedHandler* handler) = 0;
};

// ---------------------------------------------------------------------------
// Later environment revisions (print settings, find options), print settings,
// DevTools event receivers and find-in-page.
struct ICoreWebView2GetProcessExtendedInfosCompletedHandler;
struct ICoreWebView2FileSystemHandle;
struct ICoreWebView2FindStartCompletedHandler;
struct ICoreWebView2FindMatchCountChangedEventHandler;
struct ICoreWebView2FindActiveMatchIndexChangedEventHandler;
struct ICoreWebView2DevToolsProtocolEventReceivedEventHandler;

enum COREWEBVIEW2_FILE_SYSTEM_HANDLE_PERMISSION {
    COREWEBVIEW2_FILE_SYSTEM_HANDLE_PERMISSION_READ_ONLY = 0,
    COREWEBVIEW2_FILE_SYSTEM_HANDLE_PERMISSION_READ_WRITE = 1,
};

WV2_INTERFACE(ICoreWebView2Environment11, ICoreWebView2Environment10, "F0913DC6-A0EC-42EF-9805-91DFF3A2966A") {
    virtual HRESULT STDMETHODCALLTYPE get_FailureReportFolderPath(LPWSTR* value) = 0;
};

WV2_INTERFACE(ICoreWebView2Environment12, ICoreWebView2Environment11, "F503DB9B-739F-48DD-B151-FDFCF253F54E") {
    virtual HRESULT STDMETHODCALLTYPE CreateSharedBuffer(UINT64 size, ICoreWebView2SharedBuffer** sharedBuffer) = 0;
};

WV2_INTERFACE(ICoreWebView2Environment13, ICoreWebView2Environment12, "af641f58-72b2-11ee-b962-0242ac120002") {
    virtual HRESULT STDMETHODCALLTYPE GetProcessExtendedInfos(
        ICoreWebView2GetProcessExtendedInfosCompletedHandler* handler) = 0;
};

WV2_INTERFACE(ICoreWebView2Environment14, ICoreWebView2Environment13, "A5E9FAD9-C875-59DA-9BD7-473AA5CA1CEF") {
    virtual HRESULT STDMETHODCALLTYPE CreateWebFileSystemFileHandle(LPCWSTR path,
                                                                    COREWEBVIEW2_FILE_SYSTEM_HANDLE_PERMISSION permission,
                                                                    ICoreWebView2FileSystemHandle** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateWebFileSystemDirectoryHandle(
        LPCWSTR path, COREWEBVIEW2_FILE_SYSTEM_HANDLE_PERMISSION permission, ICoreWebView2FileSystemHandle** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateObjectCollection(UINT32 length, IUnknown** items,
                                                             ICoreWebView2ObjectCollection** objectCollection) = 0;
};

WV2_INTERFACE(ICoreWebView2Environment15, ICoreWebView2Environment14, "2ac5ebfb-e654-5961-a667-7971885c7b27") {
    virtual HRESULT STDMETHODCALLTYPE CreateFindOptions(ICoreWebView2FindOptions** value) = 0;
};

WV2_INTERFACE(ICoreWebView2PrintSettings, IUnknown, "377f3721-c74e-48ca-8db1-df68e51d60e2") {
    virtual HRESULT STDMETHODCALLTYPE get_Orientation(COREWEBVIEW2_PRINT_ORIENTATION* orientation) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Orientation(COREWEBVIEW2_PRINT_ORIENTATION orientation) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ScaleFactor(double* scaleFactor) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ScaleFactor(double scaleFactor) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PageWidth(double* pageWidth) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PageWidth(double pageWidth) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PageHeight(double* pageHeight) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PageHeight(double pageHeight) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MarginTop(double* marginTop) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MarginTop(double marginTop) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MarginBottom(double* marginBottom) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MarginBottom(double marginBottom) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MarginLeft(double* marginLeft) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MarginLeft(double marginLeft) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MarginRight(double* marginRight) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MarginRight(double marginRight) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ShouldPrintBackgrounds(BOOL* shouldPrintBackgrounds) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ShouldPrintBackgrounds(BOOL shouldPrintBackgrounds) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ShouldPrintSelectionOnly(BOOL* shouldPrintSelectionOnly) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ShouldPrintSelectionOnly(BOOL shouldPrintSelectionOnly) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ShouldPrintHeaderAndFooter(BOOL* shouldPrintHeaderAndFooter) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ShouldPrintHeaderAndFooter(BOOL shouldPrintHeaderAndFooter) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HeaderTitle(LPWSTR* headerTitle) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_HeaderTitle(LPCWSTR headerTitle) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FooterUri(LPWSTR* footerUri) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FooterUri(LPCWSTR footerUri) = 0;
};

WV2_INTERFACE(ICoreWebView2PrintSettings2, ICoreWebView2PrintSettings, "CA7F0E1F-3484-41D1-8C1A-65CD44A63F8D") {
    virtual HRESULT STDMETHODCALLTYPE get_PageRanges(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PageRanges(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PagesPerSide(INT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PagesPerSide(INT32 value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Copies(INT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Copies(INT32 value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Collation(COREWEBVIEW2_PRINT_COLLATION* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Collation(COREWEBVIEW2_PRINT_COLLATION value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ColorMode(COREWEBVIEW2_PRINT_COLOR_MODE* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ColorMode(COREWEBVIEW2_PRINT_COLOR_MODE value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Duplex(COREWEBVIEW2_PRINT_DUPLEX* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Duplex(COREWEBVIEW2_PRINT_DUPLEX value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MediaSize(COREWEBVIEW2_PRINT_MEDIA_SIZE* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MediaSize(COREWEBVIEW2_PRINT_MEDIA_SIZE value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PrinterName(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PrinterName(LPCWSTR value) = 0;
};

WV2_INTERFACE(ICoreWebView2DevToolsProtocolEventReceiver, IUnknown, "b32ca51a-8371-45e9-9317-af021d080367") {
    virtual HRESULT STDMETHODCALLTYPE add_DevToolsProtocolEventReceived(
        ICoreWebView2DevToolsProtocolEventReceivedEventHandler* handler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_DevToolsProtocolEventReceived(EventRegistrationToken token) = 0;
};

WV2_INTERFACE(ICoreWebView2FindOptions, IUnknown, "e82e3b2b-a4af-5bc6-94c6-18b44157a16c") {
    virtual HRESULT STDMETHODCALLTYPE get_FindTerm(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FindTerm(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsCaseSensitive(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsCaseSensitive(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ShouldHighlightAllMatches(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ShouldHighlightAllMatches(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ShouldMatchWord(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ShouldMatchWord(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SuppressDefaultFindDialog(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_SuppressDefaultFindDialog(BOOL value) = 0;
};

WV2_INTERFACE(ICoreWebView2FindStartCompletedHandler, IUnknown, "6a90ecaf-44b0-5bd9-8f07-1967e17be9fb") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode) = 0;
};

WV2_INTERFACE(ICoreWebView2FindMatchCountChangedEventHandler, IUnknown, "da0d6827-4254-5b10-a6d9-412076afc9f3") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Find* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2FindActiveMatchIndexChangedEventHandler, IUnknown, "0054f514-9a8e-5876-aed5-30b37f8c86a5") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Find* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2Find, IUnknown, "a3ec0f5f-ddbc-54ed-8546-af75a785b9a6") {
    virtual HRESULT STDMETHODCALLTYPE get_ActiveMatchIndex(INT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MatchCount(INT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ActiveMatchIndexChanged(
        ICoreWebView2FindActiveMatchIndexChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ActiveMatchIndexChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_MatchCountChanged(ICoreWebView2FindMatchCountChangedEventHandler* eventHandler,
                                                            EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_MatchCountChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE Start(ICoreWebView2FindOptions* options,
                                            ICoreWebView2FindStartCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindNext() = 0;
    virtual HRESULT STDMETHODCALLTYPE FindPrevious() = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
};

// Options handed to CreateCoreWebView2EnvironmentWithOptions. The host implements
// these; the runtime queries for each revision it knows.
WV2_INTERFACE(ICoreWebView2EnvironmentOptions, IUnknown, "2fde08a8-1e9a-4766-8c05-95a9ceb9d1c5") {
    virtual HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) = 0;
};

// Derives from IUnknown, not from ICoreWebView2EnvironmentOptions: an options
// object implements both side by side.
WV2_INTERFACE(ICoreWebView2EnvironmentOptions2, IUnknown, "FF85C98A-1BA7-4A6B-90C8-2B752C89E9E2") {
    virtual HRESULT STDMETHODCALLTYPE get_ExclusiveUserDataFolderAccess(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ExclusiveUserDataFolderAccess(BOOL value) = 0;
};

// ---------------------------------------------------------------------------
// Frames (iframes) of a web view, reported by FrameCreated.

WV2_INTERFACE(ICoreWebView2Frame, IUnknown, "f1131a5e-9ba9-11eb-a8b3-0242ac130003") {
    virtual HRESULT STDMETHODCALLTYPE get_Name(LPWSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_NameChanged(ICoreWebView2FrameNameChangedEventHandler* eventHandler,
                                                      EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_NameChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddHostObjectToScriptWithOrigins(LPCWSTR name, VARIANT* object,
                                                                       UINT32 originsCount, LPCWSTR* origins) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveHostObjectFromScript(LPCWSTR name) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_Destroyed(ICoreWebView2FrameDestroyedEventHandler* eventHandler,
                                                    EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_Destroyed(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsDestroyed(BOOL* destroyed) = 0;
};

// The frame's navigation events have their own handler types (sender is the frame).
WV2_INTERFACE(ICoreWebView2Frame2, ICoreWebView2Frame, "7a6a5834-d185-4dbf-b63f-4a9bc43107d4") {
    virtual HRESULT STDMETHODCALLTYPE add_NavigationStarting(
        ICoreWebView2FrameNavigationStartingEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_NavigationStarting(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ContentLoading(ICoreWebView2FrameContentLoadingEventHandler* eventHandler,
                                                         EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ContentLoading(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_NavigationCompleted(
        ICoreWebView2FrameNavigationCompletedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_NavigationCompleted(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_DOMContentLoaded(
        ICoreWebView2FrameDOMContentLoadedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_DOMContentLoaded(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExecuteScript(LPCWSTR javaScript,
                                                    ICoreWebView2ExecuteScriptCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR webMessageAsJson) = 0;
    virtual HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR webMessageAsString) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2FrameWebMessageReceivedEventHandler* handler,
                                                             EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken token) = 0;
};

WV2_INTERFACE(ICoreWebView2Frame3, ICoreWebView2Frame2, "b50d82cc-cc28-481d-9614-cb048895e6a0") {
    virtual HRESULT STDMETHODCALLTYPE add_PermissionRequested(ICoreWebView2FramePermissionRequestedEventHandler* handler,
                                                              EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_PermissionRequested(EventRegistrationToken token) = 0;
};

WV2_INTERFACE(ICoreWebView2Frame4, ICoreWebView2Frame3, "188782DC-92AA-4732-AB3C-FCC59F6F68B9") {
    virtual HRESULT STDMETHODCALLTYPE PostSharedBufferToScript(ICoreWebView2SharedBuffer* sharedBuffer,
                                                               COREWEBVIEW2_SHARED_BUFFER_ACCESS access,
                                                               LPCWSTR additionalDataAsJson) = 0;
};

WV2_INTERFACE(ICoreWebView2Frame5, ICoreWebView2Frame4, "99d199c4-7305-11ee-b962-0242ac120002") {
    virtual HRESULT STDMETHODCALLTYPE get_FrameId(UINT32* id) = 0;
};

WV2_INTERFACE(ICoreWebView2FrameCreatedEventArgs, IUnknown, "4d6e7b5e-9baa-11eb-a8b3-0242ac130003") {
    virtual HRESULT STDMETHODCALLTYPE get_Frame(ICoreWebView2Frame** frame) = 0;
};

WV2_INTERFACE(ICoreWebView2FrameCreatedEventHandler, IUnknown, "38059770-9baa-11eb-a8b3-0242ac130003") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2FrameCreatedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2FrameDestroyedEventHandler, IUnknown, "59dd7b4c-9baa-11eb-a8b3-0242ac130003") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Frame* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2FrameNameChangedEventHandler, IUnknown, "435c7dc8-9baa-11eb-a8b3-0242ac130003") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Frame* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2FrameContentLoadingEventHandler, IUnknown, "0d6156f2-d332-49a7-9e03-7d8f2feeee54") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Frame* sender, ICoreWebView2ContentLoadingEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2FrameDOMContentLoadedEventHandler, IUnknown, "38d9520d-340f-4d1e-a775-43fce9753683") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Frame* sender,
                                             ICoreWebView2DOMContentLoadedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2FrameNavigationCompletedEventHandler, IUnknown, "609302ad-0e36-4f9a-a210-6a45272842a9") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Frame* sender,
                                             ICoreWebView2NavigationCompletedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2FrameNavigationStartingEventHandler, IUnknown, "e79908bf-2d5d-4968-83db-263fea2c1da3") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Frame* sender,
                                             ICoreWebView2NavigationStartingEventArgs* args) = 0;
};

// The frame's permission event hands out the second revision of the args.
WV2_INTERFACE(ICoreWebView2FramePermissionRequestedEventHandler, IUnknown, "845d0edd-8bd8-429b-9915-4821789f23e9") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Frame* sender,
                                             ICoreWebView2PermissionRequestedEventArgs2* args) = 0;
};

WV2_INTERFACE(ICoreWebView2FrameWebMessageReceivedEventHandler, IUnknown, "e371e005-6d1d-4517-934b-a8f1629c62a5") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Frame* sender,
                                             ICoreWebView2WebMessageReceivedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2FrameInfo, IUnknown, "da86b8a1-bdf3-4f11-9955-528cefa59727") {
    virtual HRESULT STDMETHODCALLTYPE get_Name(LPWSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* source) = 0;
};

WV2_INTERFACE(ICoreWebView2FrameInfo2, ICoreWebView2FrameInfo, "56f85cfa-72c4-11ee-b962-0242ac120002") {
    virtual HRESULT STDMETHODCALLTYPE get_ParentFrameInfo(ICoreWebView2FrameInfo** frameInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FrameId(UINT32* id) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FrameKind(COREWEBVIEW2_FRAME_KIND* kind) = 0;
};

WV2_INTERFACE(ICoreWebView2FrameInfoCollection, IUnknown, "8f834154-d38e-4d90-affb-6800a7272839") {
    virtual HRESULT STDMETHODCALLTYPE GetIterator(ICoreWebView2FrameInfoCollectionIterator** iterator) = 0;
};

WV2_INTERFACE(ICoreWebView2FrameInfoCollectionIterator, IUnknown, "1bf89e2d-1b2b-4629-b28f-05099b41bb03") {
    virtual HRESULT STDMETHODCALLTYPE get_HasCurrent(BOOL* hasCurrent) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrent(ICoreWebView2FrameInfo** frameInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveNext(BOOL* hasNext) = 0;
};

// ---------------------------------------------------------------------------
// The profile a web view belongs to (user data, browsing data).

WV2_INTERFACE(ICoreWebView2Profile, IUnknown, "79110ad3-cd5d-4373-8bc3-c60658f17a5f") {
    virtual HRESULT STDMETHODCALLTYPE get_ProfileName(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsInPrivateModeEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ProfilePath(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DefaultDownloadFolderPath(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DefaultDownloadFolderPath(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PreferredColorScheme(COREWEBVIEW2_PREFERRED_COLOR_SCHEME* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PreferredColorScheme(COREWEBVIEW2_PREFERRED_COLOR_SCHEME value) = 0;
};

// startTime/endTime are seconds since the UNIX epoch.
WV2_INTERFACE(ICoreWebView2Profile2, ICoreWebView2Profile, "fa740d4b-5eae-4344-a8ad-74be31925397") {
    virtual HRESULT STDMETHODCALLTYPE ClearBrowsingData(COREWEBVIEW2_BROWSING_DATA_KINDS dataKinds,
                                                        ICoreWebView2ClearBrowsingDataCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearBrowsingDataInTimeRange(
        COREWEBVIEW2_BROWSING_DATA_KINDS dataKinds, double startTime, double endTime,
        ICoreWebView2ClearBrowsingDataCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearBrowsingDataAll(ICoreWebView2ClearBrowsingDataCompletedHandler* handler) = 0;
};

// ---------------------------------------------------------------------------
// Settings of one web view.

WV2_INTERFACE(ICoreWebView2Settings, IUnknown, "e562e4f0-d7fa-43ac-8d71-c05150499f00") {
    virtual HRESULT STDMETHODCALLTYPE get_IsScriptEnabled(BOOL* isScriptEnabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsScriptEnabled(BOOL isScriptEnabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsWebMessageEnabled(BOOL* isWebMessageEnabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsWebMessageEnabled(BOOL isWebMessageEnabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AreDefaultScriptDialogsEnabled(BOOL* areDefaultScriptDialogsEnabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AreDefaultScriptDialogsEnabled(BOOL areDefaultScriptDialogsEnabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsStatusBarEnabled(BOOL* isStatusBarEnabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsStatusBarEnabled(BOOL isStatusBarEnabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AreDevToolsEnabled(BOOL* areDevToolsEnabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AreDevToolsEnabled(BOOL areDevToolsEnabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AreDefaultContextMenusEnabled(BOOL* enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AreDefaultContextMenusEnabled(BOOL enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AreHostObjectsAllowed(BOOL* allowed) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AreHostObjectsAllowed(BOOL allowed) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsZoomControlEnabled(BOOL* enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsZoomControlEnabled(BOOL enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsBuiltInErrorPageEnabled(BOOL* enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsBuiltInErrorPageEnabled(BOOL enabled) = 0;
};

WV2_INTERFACE(ICoreWebView2Settings2, ICoreWebView2Settings, "ee9a0f68-f46c-4e32-ac23-ef8cac224d2a") {
    virtual HRESULT STDMETHODCALLTYPE get_UserAgent(LPWSTR* userAgent) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UserAgent(LPCWSTR userAgent) = 0;
};

WV2_INTERFACE(ICoreWebView2Settings3, ICoreWebView2Settings2, "fdb5ab74-af33-4854-84f0-0a631deb5eba") {
    virtual HRESULT STDMETHODCALLTYPE get_AreBrowserAcceleratorKeysEnabled(BOOL* areBrowserAcceleratorKeysEnabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AreBrowserAcceleratorKeysEnabled(BOOL areBrowserAcceleratorKeysEnabled) = 0;
};

WV2_INTERFACE(ICoreWebView2Settings4, ICoreWebView2Settings3, "cb56846c-4168-4d53-b04f-03b6d6796ff2") {
    virtual HRESULT STDMETHODCALLTYPE get_IsPasswordAutosaveEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsPasswordAutosaveEnabled(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsGeneralAutofillEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsGeneralAutofillEnabled(BOOL value) = 0;
};

WV2_INTERFACE(ICoreWebView2Settings5, ICoreWebView2Settings4, "183e7052-1d03-43a0-ab99-98e043b66b39") {
    virtual HRESULT STDMETHODCALLTYPE get_IsPinchZoomEnabled(BOOL* enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsPinchZoomEnabled(BOOL enabled) = 0;
};

WV2_INTERFACE(ICoreWebView2Settings6, ICoreWebView2Settings5, "11cb3acd-9bc8-43b8-83bf-f40753714f87") {
    virtual HRESULT STDMETHODCALLTYPE get_IsSwipeNavigationEnabled(BOOL* enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsSwipeNavigationEnabled(BOOL enabled) = 0;
};

WV2_INTERFACE(ICoreWebView2Settings7, ICoreWebView2Settings6, "488dc902-35ef-42d2-bc7d-94b65c4bc49c") {
    virtual HRESULT STDMETHODCALLTYPE get_HiddenPdfToolbarItems(COREWEBVIEW2_PDF_TOOLBAR_ITEMS* hidden_pdf_toolbar_items) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_HiddenPdfToolbarItems(COREWEBVIEW2_PDF_TOOLBAR_ITEMS hidden_pdf_toolbar_items) = 0;
};

WV2_INTERFACE(ICoreWebView2Settings8, ICoreWebView2Settings7, "9e6b0e8f-86ad-4e81-8147-a9b5edb68650") {
    virtual HRESULT STDMETHODCALLTYPE get_IsReputationCheckingRequired(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsReputationCheckingRequired(BOOL value) = 0;
};

WV2_INTERFACE(ICoreWebView2Settings9, ICoreWebView2Settings8, "0528A73B-E92D-49F4-927A-E547DDDAA37D") {
    virtual HRESULT STDMETHODCALLTYPE get_IsNonClientRegionSupportEnabled(BOOL* enabled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsNonClientRegionSupportEnabled(BOOL enabled) = 0;
};

// ---------------------------------------------------------------------------
// The controller: the web view's window, bounds, focus and zoom.

WV2_INTERFACE(ICoreWebView2Controller, IUnknown, "4d00c0d1-9434-4eb6-8078-8697a560334f") {
    virtual HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* isVisible) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL isVisible) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ZoomFactor(double* zoomFactor) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ZoomFactor(double zoomFactor) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_ZoomFactorChanged(ICoreWebView2ZoomFactorChangedEventHandler* eventHandler,
                                                            EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_ZoomFactorChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBoundsAndZoomFactor(RECT bounds, double zoomFactor) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_MoveFocusRequested(ICoreWebView2MoveFocusRequestedEventHandler* eventHandler,
                                                             EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_MoveFocusRequested(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_GotFocus(ICoreWebView2FocusChangedEventHandler* eventHandler,
                                                   EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_GotFocus(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_LostFocus(ICoreWebView2FocusChangedEventHandler* eventHandler,
                                                    EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_LostFocus(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_AcceleratorKeyPressed(
        ICoreWebView2AcceleratorKeyPressedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_AcceleratorKeyPressed(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* parentWindow) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ParentWindow(HWND parentWindow) = 0;
    virtual HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** coreWebView2) = 0;
};

WV2_INTERFACE(ICoreWebView2Controller2, ICoreWebView2Controller, "c979903e-d4ca-4228-92eb-47ee3fa96eab") {
    virtual HRESULT STDMETHODCALLTYPE get_DefaultBackgroundColor(COREWEBVIEW2_COLOR* backgroundColor) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DefaultBackgroundColor(COREWEBVIEW2_COLOR backgroundColor) = 0;
};

WV2_INTERFACE(ICoreWebView2Controller3, ICoreWebView2Controller2, "f9614724-5d2b-41dc-aef7-73d62b51543b") {
    virtual HRESULT STDMETHODCALLTYPE get_RasterizationScale(double* scale) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_RasterizationScale(double scale) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ShouldDetectMonitorScaleChanges(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ShouldDetectMonitorScaleChanges(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_RasterizationScaleChanged(
        ICoreWebView2RasterizationScaleChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_RasterizationScaleChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BoundsMode(COREWEBVIEW2_BOUNDS_MODE* boundsMode) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_BoundsMode(COREWEBVIEW2_BOUNDS_MODE boundsMode) = 0;
};

WV2_INTERFACE(ICoreWebView2Controller4, ICoreWebView2Controller3, "97d418d5-a426-4e49-a151-e1a10f327d9e") {
    virtual HRESULT STDMETHODCALLTYPE get_AllowExternalDrop(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AllowExternalDrop(BOOL value) = 0;
};

WV2_INTERFACE(ICoreWebView2ControllerOptions, IUnknown, "12aae616-8ccb-44ec-bcb3-eb1831881635") {
    virtual HRESULT STDMETHODCALLTYPE get_ProfileName(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ProfileName(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsInPrivateModeEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsInPrivateModeEnabled(BOOL value) = 0;
};

WV2_INTERFACE(ICoreWebView2ControllerOptions2, ICoreWebView2ControllerOptions, "06c991d8-9e7e-11ed-a8fc-0242ac120002") {
    virtual HRESULT STDMETHODCALLTYPE get_ScriptLocale(LPWSTR* locale) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ScriptLocale(LPCWSTR locale) = 0;
};

// ---------------------------------------------------------------------------
// Events: handler Invoke(sender, args) and the args each one receives.

WV2_INTERFACE(ICoreWebView2BasicAuthenticationResponse, IUnknown, "07023f7d-2d77-4d67-9040-6e7d428c6a40") {
    virtual HRESULT STDMETHODCALLTYPE get_UserName(LPWSTR* userName) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UserName(LPCWSTR userName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Password(LPWSTR* password) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Password(LPCWSTR password) = 0;
};

WV2_INTERFACE(ICoreWebView2BasicAuthenticationRequestedEventArgs, IUnknown, "ef05516f-d897-4f9e-b672-d8e2307a3fb0") {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Challenge(LPWSTR* challenge) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2BasicAuthenticationResponse** response) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;
};

WV2_INTERFACE(ICoreWebView2BasicAuthenticationRequestedEventHandler, IUnknown, "58b4d6c2-18d4-497e-b39b-9a96533fa278") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2BasicAuthenticationRequestedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2BrowserProcessExitedEventArgs, IUnknown, "1f00663f-af8c-4782-9cdd-dd01c52e34cb") {
    virtual HRESULT STDMETHODCALLTYPE get_BrowserProcessExitKind(
        COREWEBVIEW2_BROWSER_PROCESS_EXIT_KIND* browserProcessExitKind) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) = 0;
};

WV2_INTERFACE(ICoreWebView2BrowserProcessExitedEventHandler, IUnknown, "fa504257-a216-4911-a860-fe8825712861") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Environment* sender,
                                             ICoreWebView2BrowserProcessExitedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2ContentLoadingEventArgs, IUnknown, "0c8a1275-9b6b-4901-87ad-70df25bafa6e") {
    virtual HRESULT STDMETHODCALLTYPE get_IsErrorPage(BOOL* isErrorPage) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* navigationId) = 0;
};

WV2_INTERFACE(ICoreWebView2ContentLoadingEventHandler, IUnknown, "364471e7-f2be-4910-bdba-d72077d51c4b") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2ContentLoadingEventArgs* args) = 0;
};

// Note the SDK's order here: each put_ comes before its get_.
WV2_INTERFACE(ICoreWebView2ContextMenuRequestedEventArgs, IUnknown, "a1d309ee-c03f-11eb-8529-0242ac130003") {
    virtual HRESULT STDMETHODCALLTYPE get_MenuItems(ICoreWebView2ContextMenuItemCollection** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ContextMenuTarget(ICoreWebView2ContextMenuTarget** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Location(POINT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_SelectedCommandId(INT32 value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SelectedCommandId(INT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;
};

WV2_INTERFACE(ICoreWebView2ContextMenuRequestedEventHandler, IUnknown, "04d3fe1d-ab87-42fb-a898-da241d35b63c") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2ContextMenuRequestedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2StringCollection, IUnknown, "f41f3f8a-bcc3-11eb-8529-0242ac130003") {
    virtual HRESULT STDMETHODCALLTYPE get_Count(UINT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetValueAtIndex(UINT index, LPWSTR* value) = 0;
};

// ValidFrom/ValidTo are seconds since the UNIX epoch, as double.
WV2_INTERFACE(ICoreWebView2Certificate, IUnknown, "C5FB2FCE-1CAC-4AEE-9C79-5ED0362EAAE0") {
    virtual HRESULT STDMETHODCALLTYPE get_Subject(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Issuer(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ValidFrom(double* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ValidTo(double* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DerEncodedSerialNumber(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DisplayName(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ToPemEncoding(LPWSTR* pemEncodedData) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PemEncodedIssuerCertificateChain(ICoreWebView2StringCollection** value) = 0;
};

// Not derived from ICoreWebView2Certificate in the SDK: same first eight slots, plus Kind.
WV2_INTERFACE(ICoreWebView2ClientCertificate, IUnknown, "e7188076-bcc3-11eb-8529-0242ac130003") {
    virtual HRESULT STDMETHODCALLTYPE get_Subject(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Issuer(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ValidFrom(double* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ValidTo(double* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DerEncodedSerialNumber(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DisplayName(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ToPemEncoding(LPWSTR* pemEncodedData) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PemEncodedIssuerCertificateChain(ICoreWebView2StringCollection** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Kind(COREWEBVIEW2_CLIENT_CERTIFICATE_KIND* value) = 0;
};

WV2_INTERFACE(ICoreWebView2ContextMenuTarget, IUnknown, "b8611d99-eed6-4f3f-902c-a198502ad472") {
    virtual HRESULT STDMETHODCALLTYPE get_Kind(COREWEBVIEW2_CONTEXT_MENU_TARGET_KIND* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsEditable(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsRequestedForMainFrame(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PageUri(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FrameUri(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HasLinkUri(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LinkUri(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HasLinkText(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LinkText(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HasSourceUri(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SourceUri(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HasSelection(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SelectionText(LPWSTR* value) = 0;
};

WV2_INTERFACE(ICoreWebView2ContainsFullScreenElementChangedEventHandler, IUnknown,
              "e45d98b1-afef-45be-8baf-6c7728867f73") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2DOMContentLoadedEventArgs, IUnknown, "16B1E21A-C503-44F2-84C9-70ABA5031283") {
    virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* navigationId) = 0;
};

WV2_INTERFACE(ICoreWebView2DOMContentLoadedEventHandler, IUnknown, "4BAC7E9C-199E-49ED-87ED-249303ACF019") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2DOMContentLoadedEventArgs* args) = 0;
};

// Handed out by GetDeferral() on cancellable args: the runtime waits for Complete().
WV2_INTERFACE(ICoreWebView2Deferral, IUnknown, "c10e7f7b-b585-46f0-a623-8befbf3e4ee0") {
    virtual HRESULT STDMETHODCALLTYPE Complete() = 0;
};

WV2_INTERFACE(ICoreWebView2DevToolsProtocolEventReceivedEventArgs, IUnknown, "653c2959-bb3a-4377-8632-b58ada4e66c4") {
    virtual HRESULT STDMETHODCALLTYPE get_ParameterObjectAsJson(LPWSTR* parameterObjectAsJson) = 0;
};

WV2_INTERFACE(ICoreWebView2DevToolsProtocolEventReceivedEventArgs2, ICoreWebView2DevToolsProtocolEventReceivedEventArgs,
              "2DC4959D-1494-4393-95BA-BEA4CB9EBD1B") {
    virtual HRESULT STDMETHODCALLTYPE get_SessionId(LPWSTR* sessionId) = 0;
};

WV2_INTERFACE(ICoreWebView2DevToolsProtocolEventReceivedEventHandler, IUnknown, "e2fda4be-5456-406c-a261-3d452138362c") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2DevToolsProtocolEventReceivedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2DownloadStartingEventHandler, IUnknown, "efedc989-c396-41ca-83f7-07f845a55724") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2DownloadStartingEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2FocusChangedEventHandler, IUnknown, "05ea24bd-6452-4926-9014-4b82b498135d") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Controller* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2HistoryChangedEventHandler, IUnknown, "c79a420c-efd9-4058-9295-3e8b4bcab645") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2IsDefaultDownloadDialogOpenChangedEventHandler, IUnknown,
              "3117da26-ae13-438d-bd46-edbeb2c4ce81") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2LaunchingExternalUriSchemeEventArgs, IUnknown, "07D1A6C3-7175-4BA1-9306-E593CA07E46C") {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_InitiatingOrigin(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** value) = 0;
};

WV2_INTERFACE(ICoreWebView2LaunchingExternalUriSchemeEventHandler, IUnknown, "74F712E0-8165-43A9-A13F-0CCE597E75DF") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2LaunchingExternalUriSchemeEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2MoveFocusRequestedEventArgs, IUnknown, "2d6aa13b-3839-4a15-92fc-d88b3c0d9c9d") {
    virtual HRESULT STDMETHODCALLTYPE get_Reason(COREWEBVIEW2_MOVE_FOCUS_REASON* reason) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) = 0;
};

WV2_INTERFACE(ICoreWebView2MoveFocusRequestedEventHandler, IUnknown, "69035451-6dc7-4cb8-9bce-b2bd70ad289f") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Controller* sender,
                                             ICoreWebView2MoveFocusRequestedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2NavigationCompletedEventArgs, IUnknown, "30d68b7d-20d9-4752-a9ca-ec8448fbb5c1") {
    virtual HRESULT STDMETHODCALLTYPE get_IsSuccess(BOOL* isSuccess) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WebErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* webErrorStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* navigationId) = 0;
};

// HttpStatusCode is a plain int (0 when no response arrived).
WV2_INTERFACE(ICoreWebView2NavigationCompletedEventArgs2, ICoreWebView2NavigationCompletedEventArgs,
              "FDF8B738-EE1E-4DB2-A329-8D7D7B74D792") {
    virtual HRESULT STDMETHODCALLTYPE get_HttpStatusCode(int* http_status_code) = 0;
};

WV2_INTERFACE(ICoreWebView2NavigationCompletedEventHandler, IUnknown, "d33a35bf-1c49-4f98-93ab-006e0533fe1c") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2NavigationCompletedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2NavigationStartingEventArgs, IUnknown, "5b495469-e119-438a-9b18-7604f25f2e49") {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsRedirected(BOOL* isRedirected) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RequestHeaders(ICoreWebView2HttpRequestHeaders** requestHeaders) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* navigationId) = 0;
};

WV2_INTERFACE(ICoreWebView2NavigationStartingEventArgs2, ICoreWebView2NavigationStartingEventArgs,
              "9086BE93-91AA-472D-A7E0-579F2BA006AD") {
    virtual HRESULT STDMETHODCALLTYPE get_AdditionalAllowedFrameAncestors(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AdditionalAllowedFrameAncestors(LPCWSTR value) = 0;
};

WV2_INTERFACE(ICoreWebView2NavigationStartingEventArgs3, ICoreWebView2NavigationStartingEventArgs2,
              "DDFFE494-4942-4BD2-AB73-35B8FF40E19F") {
    virtual HRESULT STDMETHODCALLTYPE get_NavigationKind(COREWEBVIEW2_NAVIGATION_KIND* navigation_kind) = 0;
};

WV2_INTERFACE(ICoreWebView2NavigationStartingEventHandler, IUnknown, "9adbe429-f36d-432b-9ddc-f8881fbd76e3") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2NavigationStartingEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2NewBrowserVersionAvailableEventHandler, IUnknown, "f9a2976e-d34e-44fc-adee-81b6b57ca914") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Environment* sender, IUnknown* args) = 0;
};

// put_NewWindow before get_NewWindow, put_Handled before get_Handled: the SDK's order.
WV2_INTERFACE(ICoreWebView2NewWindowRequestedEventArgs, IUnknown, "34acb11c-fc37-4418-9132-f9c21d1eafb9") {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2* newWindow) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NewWindow(ICoreWebView2** newWindow) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WindowFeatures(ICoreWebView2WindowFeatures** value) = 0;
};

WV2_INTERFACE(ICoreWebView2NewWindowRequestedEventArgs2, ICoreWebView2NewWindowRequestedEventArgs,
              "bbc7baed-74c6-4c92-b63a-7f5aeae03de3") {
    virtual HRESULT STDMETHODCALLTYPE get_Name(LPWSTR* value) = 0;
};

WV2_INTERFACE(ICoreWebView2NewWindowRequestedEventArgs3, ICoreWebView2NewWindowRequestedEventArgs2,
              "842bed3c-6ad6-4dd9-b938-28c96667ad66") {
    virtual HRESULT STDMETHODCALLTYPE get_OriginalSourceFrameInfo(ICoreWebView2FrameInfo** frameInfo) = 0;
};

WV2_INTERFACE(ICoreWebView2NewWindowRequestedEventHandler, IUnknown, "d4c185fe-c81c-4989-97af-2d3fa7ab5651") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2NewWindowRequestedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2PermissionRequestedEventArgs, IUnknown, "973ae2ef-ff18-4894-8fb2-3c758f046810") {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PermissionKind(COREWEBVIEW2_PERMISSION_KIND* permissionKind) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* isUserInitiated) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_State(COREWEBVIEW2_PERMISSION_STATE* state) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_State(COREWEBVIEW2_PERMISSION_STATE state) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;
};

WV2_INTERFACE(ICoreWebView2PermissionRequestedEventArgs2, ICoreWebView2PermissionRequestedEventArgs,
              "74d7127f-9de6-4200-8734-42d6fb4ff741") {
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;
};

WV2_INTERFACE(ICoreWebView2PermissionRequestedEventArgs3, ICoreWebView2PermissionRequestedEventArgs2,
              "e61670bc-3dce-4177-86d2-c629ae3cb6ac") {
    virtual HRESULT STDMETHODCALLTYPE get_SavesInProfile(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_SavesInProfile(BOOL value) = 0;
};

WV2_INTERFACE(ICoreWebView2PermissionRequestedEventHandler, IUnknown, "15e1c6a3-c72a-4df3-91d7-d097fbec6bfd") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2PermissionRequestedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2ProcessFailedEventArgs, IUnknown, "8155a9a4-1474-4a86-8cae-151b0fa6b8ca") {
    virtual HRESULT STDMETHODCALLTYPE get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* processFailedKind) = 0;
};

WV2_INTERFACE(ICoreWebView2ProcessFailedEventArgs2, ICoreWebView2ProcessFailedEventArgs,
              "4dab9422-46fa-4c3e-a5d2-41d2071d3680") {
    virtual HRESULT STDMETHODCALLTYPE get_Reason(COREWEBVIEW2_PROCESS_FAILED_REASON* reason) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ExitCode(int* exitCode) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ProcessDescription(LPWSTR* processDescription) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FrameInfosForFailedProcess(ICoreWebView2FrameInfoCollection** frames) = 0;
};

WV2_INTERFACE(ICoreWebView2ProcessFailedEventArgs3, ICoreWebView2ProcessFailedEventArgs2,
              "ab667428-094d-5fd1-b480-8b4c0fdbdf2f") {
    virtual HRESULT STDMETHODCALLTYPE get_FailureSourceModulePath(LPWSTR* value) = 0;
};

WV2_INTERFACE(ICoreWebView2ProcessFailedEventHandler, IUnknown, "79e0aea4-990b-42d9-aa1d-0fcc2e5bc7f1") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2ProcessFailedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2RasterizationScaleChangedEventHandler, IUnknown, "9c98c8b1-ac53-427e-a345-3049b5524bbe") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Controller* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2ServerCertificateErrorDetectedEventArgs, IUnknown, "012193ED-7C13-48FF-969D-A84C1F432A14") {
    virtual HRESULT STDMETHODCALLTYPE get_ErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RequestUri(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ServerCertificate(ICoreWebView2Certificate** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Action(COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Action(COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;
};

WV2_INTERFACE(ICoreWebView2ServerCertificateErrorDetectedEventHandler, IUnknown, "969B3A26-D85E-4795-8199-FEF57344DA22") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2ServerCertificateErrorDetectedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2ScriptDialogOpeningEventArgs, IUnknown, "7390bb70-abe0-4843-9529-f143b31b03d6") {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Kind(COREWEBVIEW2_SCRIPT_DIALOG_KIND* kind) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Message(LPWSTR* message) = 0;
    virtual HRESULT STDMETHODCALLTYPE Accept() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DefaultText(LPWSTR* defaultText) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ResultText(LPWSTR* resultText) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ResultText(LPCWSTR resultText) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;
};

WV2_INTERFACE(ICoreWebView2ScriptDialogOpeningEventHandler, IUnknown, "ef381bf9-afa8-4e37-91c4-8ac48524bdfb") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2ScriptDialogOpeningEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2SourceChangedEventArgs, IUnknown, "31e0e545-1dba-4266-8914-f63848a1f7d7") {
    virtual HRESULT STDMETHODCALLTYPE get_IsNewDocument(BOOL* isNewDocument) = 0;
};

WV2_INTERFACE(ICoreWebView2SourceChangedEventHandler, IUnknown, "3c067f9f-5388-4772-8b48-79f7ef1ab37c") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2SourceChangedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2StatusBarTextChangedEventHandler, IUnknown, "A5E3B0D0-10DF-4156-BFAD-3B43867ACAC6") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2WebMessageReceivedEventArgs, IUnknown, "0f99a40c-e962-4207-9e92-e3d542eff849") {
    virtual HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* source) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_WebMessageAsJson(LPWSTR* webMessageAsJson) = 0;
    // Fails with E_INVALIDARG when the page posted something other than a string.
    virtual HRESULT STDMETHODCALLTYPE TryGetWebMessageAsString(LPWSTR* webMessageAsString) = 0;
};

WV2_INTERFACE(ICoreWebView2WebMessageReceivedEventHandler, IUnknown, "57213f19-00e6-49fa-8e07-898ea01ecbd2") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2WebMessageReceivedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2WebResourceRequest, IUnknown, "97055cd4-512c-4264-8b5f-e3f446cea6a5") {
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Uri(LPCWSTR uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Method(LPWSTR* method) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Method(LPCWSTR method) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Content(IStream** content) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Content(IStream* content) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpRequestHeaders** headers) = 0;
};

WV2_INTERFACE(ICoreWebView2WebResourceRequestedEventArgs, IUnknown, "453e667f-12c7-49d4-be6d-ddbe7956f57a") {
    virtual HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest** request) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2WebResourceResponse** response) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Response(ICoreWebView2WebResourceResponse* response) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* context) = 0;
};

WV2_INTERFACE(ICoreWebView2WindowCloseRequestedEventHandler, IUnknown, "5c19e9e0-092f-486b-affa-ca8231913039") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2ZoomFactorChangedEventHandler, IUnknown, "b52d71d6-c4df-4543-a90c-64a3e60f38cb") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Controller* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2IsMutedChangedEventHandler, IUnknown, "57D90347-CD0E-4952-A4A2-7483A2756F08") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2IsDocumentPlayingAudioChangedEventHandler, IUnknown,
              "5DEF109A-2F4B-49FA-B7F6-11C39E513328") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2ProcessInfo, IUnknown, "84FA7612-3F3D-4FBF-889D-FAD000492D72") {
    virtual HRESULT STDMETHODCALLTYPE get_ProcessId(INT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Kind(COREWEBVIEW2_PROCESS_KIND* kind) = 0;
};

WV2_INTERFACE(ICoreWebView2ProcessInfoCollection, IUnknown, "402B99CD-A0CC-4FA5-B7A5-51D86A1D2339") {
    virtual HRESULT STDMETHODCALLTYPE get_Count(UINT* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetValueAtIndex(UINT32 index, ICoreWebView2ProcessInfo** processInfo) = 0;
};

WV2_INTERFACE(ICoreWebView2ProcessInfosChangedEventHandler, IUnknown, "F4AF0C39-44B9-40E9-8B11-0484CFB9E0A1") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Environment* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2FaviconChangedEventHandler, IUnknown, "2913DA94-833D-4DE0-8DCA-900FC524A1A4") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2DocumentTitleChangedEventHandler, IUnknown, "f5f2b923-953e-4042-9f95-f3a118e1afd4") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, IUnknown* args) = 0;
};

// ---------------------------------------------------------------------------
// Web notifications (ICoreWebView2_24).

WV2_INTERFACE(ICoreWebView2NotificationCloseRequestedEventHandler, IUnknown, "47c32d23-1e94-4733-85f1-d9bf4acd0974") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2Notification* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2Notification, IUnknown, "B7434D98-6BC8-419D-9DA5-FB5A96D4DACD") {
    virtual HRESULT STDMETHODCALLTYPE add_CloseRequested(ICoreWebView2NotificationCloseRequestedEventHandler* eventHandler,
                                                         EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_CloseRequested(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReportShown() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReportClicked() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReportClosed() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Body(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Direction(COREWEBVIEW2_TEXT_DIRECTION_KIND* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Tag(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IconUri(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Title(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BadgeUri(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BodyImageUri(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ShouldRenotify(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RequiresInteraction(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsSilent(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Timestamp(double* value) = 0;
    // The pattern array is CoTaskMemAlloc'ed; the caller frees it.
    virtual HRESULT STDMETHODCALLTYPE GetVibrationPattern(UINT32* count, UINT64** vibrationPattern) = 0;
};

WV2_INTERFACE(ICoreWebView2NotificationReceivedEventArgs, IUnknown, "1512DD5B-5514-4F85-886E-21C3A4C9CFE6") {
    virtual HRESULT STDMETHODCALLTYPE get_SenderOrigin(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Notification(ICoreWebView2Notification** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;
};

WV2_INTERFACE(ICoreWebView2NotificationReceivedEventHandler, IUnknown, "89c5d598-8788-423b-be97-e6e01c0f9ee3") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2NotificationReceivedEventArgs* args) = 0;
};

// ---------------------------------------------------------------------------
// Save As (ICoreWebView2_25), save-file checks (_26), screen capture (_27).

WV2_INTERFACE(ICoreWebView2SaveAsUIShowingEventArgs, IUnknown, "55902952-0e0d-5aaa-a7d0-e833cdb34f62") {
    virtual HRESULT STDMETHODCALLTYPE get_ContentMimeType(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_SuppressDefaultDialog(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SuppressDefaultDialog(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_SaveAsFilePath(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SaveAsFilePath(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AllowReplace(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AllowReplace(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Kind(COREWEBVIEW2_SAVE_AS_KIND value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Kind(COREWEBVIEW2_SAVE_AS_KIND* value) = 0;
};

WV2_INTERFACE(ICoreWebView2SaveAsUIShowingEventHandler, IUnknown, "6baa177e-3a2e-5ccf-9a13-fad676cd0522") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2SaveAsUIShowingEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2ShowSaveAsUICompletedHandler, IUnknown, "e24b07e3-8169-5c34-994a-7f6478946a3c") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(HRESULT errorCode, COREWEBVIEW2_SAVE_AS_UI_RESULT result) = 0;
};

WV2_INTERFACE(ICoreWebView2SaveFileSecurityCheckStartingEventArgs, IUnknown, "cf4ff1d1-5a67-5660-8d63-ef699881ea65") {
    virtual HRESULT STDMETHODCALLTYPE get_CancelSave(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_CancelSave(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DocumentOriginUri(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FileExtension(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FilePath(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SuppressDefaultPolicy(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_SuppressDefaultPolicy(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** value) = 0;
};

WV2_INTERFACE(ICoreWebView2SaveFileSecurityCheckStartingEventHandler, IUnknown, "7899576c-19e3-57c8-b7d1-55808292de57") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender,
                                             ICoreWebView2SaveFileSecurityCheckStartingEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2ScreenCaptureStartingEventArgs, IUnknown, "892c03fd-aee3-5eba-a1fa-6fd2f6484b2b") {
    virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_OriginalSourceFrameInfo(ICoreWebView2FrameInfo** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** value) = 0;
};

WV2_INTERFACE(ICoreWebView2ScreenCaptureStartingEventHandler, IUnknown, "e24ff05a-1db5-59d9-89f3-3c864268db4a") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2ScreenCaptureStartingEventArgs* args) = 0;
};

// ---------------------------------------------------------------------------
// Host objects posted along with a web message (ICoreWebView2_23).

WV2_INTERFACE(ICoreWebView2ObjectCollectionView, IUnknown, "0f36fd87-4f69-4415-98da-888f89fb9a33") {
    virtual HRESULT STDMETHODCALLTYPE get_Count(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetValueAtIndex(UINT32 index, IUnknown** value) = 0;
};

WV2_INTERFACE(ICoreWebView2ObjectCollection, ICoreWebView2ObjectCollectionView, "5cfec11c-25bd-4e8d-9e1a-7acdaeeec047") {
    virtual HRESULT STDMETHODCALLTYPE RemoveValueAtIndex(UINT32 index) = 0;
    virtual HRESULT STDMETHODCALLTYPE InsertValueAtIndex(UINT32 index, IUnknown* value) = 0;
};

// ---------------------------------------------------------------------------
// The network: web resource requests and responses, cookies, downloads and
// the profile revisions that reach them.

struct ICoreWebView2HttpResponseHeaders;
struct ICoreWebView2WebResourceResponseViewGetContentCompletedHandler;
struct ICoreWebView2EstimatedEndTimeChangedEventHandler;
struct ICoreWebView2BytesReceivedChangedEventHandler;
struct ICoreWebView2StateChangedEventHandler;
struct ICoreWebView2DownloadOperation;
struct ICoreWebView2Cookie;
struct ICoreWebView2SetPermissionStateCompletedHandler;
struct ICoreWebView2GetNonDefaultPermissionSettingsCompletedHandler;

WV2_INTERFACE(ICoreWebView2WebResourceRequestedEventHandler, IUnknown, "ab00b74c-15f1-4646-80e8-e76341d25d71") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2WebResourceRequestedEventArgs* args) = 0;
};

WV2_INTERFACE(ICoreWebView2WebResourceResponse, IUnknown, "aafcc94f-fa27-48fd-97df-830ef75aaec9") {
    virtual HRESULT STDMETHODCALLTYPE get_Content(IStream** content) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Content(IStream* content) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpResponseHeaders** headers) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StatusCode(int* statusCode) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_StatusCode(int statusCode) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ReasonPhrase(LPWSTR* reasonPhrase) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ReasonPhrase(LPCWSTR reasonPhrase) = 0;
};

WV2_INTERFACE(ICoreWebView2WebResourceResponseView, IUnknown, "79701053-7759-4162-8f7d-f1b3f084928d") {
    virtual HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpResponseHeaders** headers) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StatusCode(int* statusCode) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ReasonPhrase(LPWSTR* reasonPhrase) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetContent(ICoreWebView2WebResourceResponseViewGetContentCompletedHandler* handler) = 0;
};

WV2_INTERFACE(ICoreWebView2WebResourceResponseReceivedEventArgs, IUnknown, "d1db483d-6796-4b8b-80fc-13712bb716f4") {
    virtual HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest** request) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2WebResourceResponseView** response) = 0;
};

WV2_INTERFACE(ICoreWebView2WebResourceResponseReceivedEventHandler, IUnknown, "7de9898a-24f5-40c3-a2de-d4f458e69828") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2* sender, ICoreWebView2WebResourceResponseReceivedEventArgs* args) = 0;
};

// Expires is seconds since the UNIX epoch, -1 for a session cookie.
WV2_INTERFACE(ICoreWebView2Cookie, IUnknown, "ad26d6be-1486-43e6-bf87-a2034006ca21") {
    virtual HRESULT STDMETHODCALLTYPE get_Name(LPWSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Value(LPWSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Value(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Domain(LPWSTR* domain) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Path(LPWSTR* path) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Expires(double* expires) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Expires(double expires) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsHttpOnly(BOOL* isHttpOnly) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsHttpOnly(BOOL isHttpOnly) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SameSite(COREWEBVIEW2_COOKIE_SAME_SITE_KIND* sameSite) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_SameSite(COREWEBVIEW2_COOKIE_SAME_SITE_KIND sameSite) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsSecure(BOOL* isSecure) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsSecure(BOOL isSecure) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsSession(BOOL* isSession) = 0;
};

WV2_INTERFACE(ICoreWebView2CookieList, IUnknown, "f7f6f714-5d2a-43c6-9503-346ece02d186") {
    virtual HRESULT STDMETHODCALLTYPE get_Count(UINT* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetValueAtIndex(UINT index, ICoreWebView2Cookie** cookie) = 0;
};

WV2_INTERFACE(ICoreWebView2CookieManager, IUnknown, "177cd9e7-b6f5-451a-94a0-5d7a3a4c4141") {
    virtual HRESULT STDMETHODCALLTYPE CreateCookie(LPCWSTR name, LPCWSTR value, LPCWSTR domain, LPCWSTR path,
                                                   ICoreWebView2Cookie** cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyCookie(ICoreWebView2Cookie* cookieParam, ICoreWebView2Cookie** cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCookies(LPCWSTR uri, ICoreWebView2GetCookiesCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddOrUpdateCookie(ICoreWebView2Cookie* cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteCookie(ICoreWebView2Cookie* cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteCookies(LPCWSTR name, LPCWSTR uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteCookiesWithDomainAndPath(LPCWSTR name, LPCWSTR domain, LPCWSTR path) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteAllCookies() = 0;
};

WV2_INTERFACE(ICoreWebView2BytesReceivedChangedEventHandler, IUnknown, "828e8ab6-d94c-4264-9cef-5217170d6251") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2DownloadOperation* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2StateChangedEventHandler, IUnknown, "81336594-7ede-4ba9-bf71-acf0a95b58dd") {
    virtual HRESULT STDMETHODCALLTYPE Invoke(ICoreWebView2DownloadOperation* sender, IUnknown* args) = 0;
};

WV2_INTERFACE(ICoreWebView2DownloadOperation, IUnknown, "3d6b6cf2-afe1-44c7-a995-c65117714336") {
    virtual HRESULT STDMETHODCALLTYPE add_BytesReceivedChanged(ICoreWebView2BytesReceivedChangedEventHandler* eventHandler,
                                                               EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_BytesReceivedChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_EstimatedEndTimeChanged(
        ICoreWebView2EstimatedEndTimeChangedEventHandler* eventHandler, EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_EstimatedEndTimeChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_StateChanged(ICoreWebView2StateChangedEventHandler* eventHandler,
                                                       EventRegistrationToken* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_StateChanged(EventRegistrationToken token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ContentDisposition(LPWSTR* contentDisposition) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MimeType(LPWSTR* mimeType) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TotalBytesToReceive(INT64* totalBytesToReceive) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BytesReceived(INT64* bytesReceived) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_EstimatedEndTime(LPWSTR* estimatedEndTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* resultFilePath) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_State(COREWEBVIEW2_DOWNLOAD_STATE* downloadState) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_InterruptReason(COREWEBVIEW2_DOWNLOAD_INTERRUPT_REASON* interruptReason) = 0;
    virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;
    virtual HRESULT STDMETHODCALLTYPE Pause() = 0;
    virtual HRESULT STDMETHODCALLTYPE Resume() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_CanResume(BOOL* canResume) = 0;
};

WV2_INTERFACE(ICoreWebView2DownloadStartingEventArgs, IUnknown, "e99bbe21-43e9-4544-a732-282764eafa60") {
    virtual HRESULT STDMETHODCALLTYPE get_DownloadOperation(ICoreWebView2DownloadOperation** downloadOperation) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* resultFilePath) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ResultFilePath(LPCWSTR resultFilePath) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) = 0;
};

WV2_INTERFACE(ICoreWebView2Profile3, ICoreWebView2Profile2, "b188e659-5685-4e05-bdba-fc640e0f1992") {
    virtual HRESULT STDMETHODCALLTYPE get_PreferredTrackingPreventionLevel(
        COREWEBVIEW2_TRACKING_PREVENTION_LEVEL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_PreferredTrackingPreventionLevel(
        COREWEBVIEW2_TRACKING_PREVENTION_LEVEL value) = 0;
};

WV2_INTERFACE(ICoreWebView2Profile4, ICoreWebView2Profile3, "8f4ae680-192e-4ec8-833a-21cfadaef628") {
    virtual HRESULT STDMETHODCALLTYPE SetPermissionState(COREWEBVIEW2_PERMISSION_KIND permissionKind, LPCWSTR origin,
                                                         COREWEBVIEW2_PERMISSION_STATE state,
                                                         ICoreWebView2SetPermissionStateCompletedHandler* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNonDefaultPermissionSettings(
        ICoreWebView2GetNonDefaultPermissionSettingsCompletedHandler* handler) = 0;
};

WV2_INTERFACE(ICoreWebView2Profile5, ICoreWebView2Profile4, "2ee5b76e-6e80-4df2-bcd3-d4ec3340a01b") {
    virtual HRESULT STDMETHODCALLTYPE get_CookieManager(ICoreWebView2CookieManager** value) = 0;
};

WV2_INTERFACE(ICoreWebView2Profile6, ICoreWebView2Profile5, "bd82fa6a-1d65-4c33-b2b4-0393020cc61b") {
    virtual HRESULT STDMETHODCALLTYPE get_IsPasswordAutosaveEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsPasswordAutosaveEnabled(BOOL value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsGeneralAutofillEnabled(BOOL* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_IsGeneralAutofillEnabled(BOOL value) = 0;
};
