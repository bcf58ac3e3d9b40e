' The control's settings and state as a macro sees them with no site and no
' browser: pre-init and stored settings that round-trip, browser settings
' that answer their defaults and refuse writes, the diagnostics text, and the
' members that stay in the interface without doing any work.
Const E_FAIL = &H80004005
Const E_INVALIDARG = &H80070057
Const E_NOTIMPL = &H80004001
' Script hosts report a bare E_NOTIMPL (no error description) as error 445.
Const VB_NOT_SUPPORTED = 445

Dim ctrl, v, i, row, name
Set ctrl = CreateObject("Corvane.CorvaneCtrl")
Check Err.Number = 0, "create the control: " & Hex(Err.Number)
Err.Clear

' Property access by name: this script engine has no Eval or CallByName.
Function GetSetting(o, name)
    Select Case name
        Case "AdditionalBrowserArguments": GetSetting = o.AdditionalBrowserArguments
        Case "Language": GetSetting = o.Language
        Case "BrowserExecutableFolder": GetSetting = o.BrowserExecutableFolder
        Case "proxyServer": GetSetting = o.proxyServer
        Case "ProxyBypassList": GetSetting = o.ProxyBypassList
        Case "RequiredMinimumVersion": GetSetting = o.RequiredMinimumVersion
        Case "EnableHardwareAcceleration": GetSetting = o.EnableHardwareAcceleration
        Case "AllowSingleSignOnUsingOSPrimaryAccount": GetSetting = o.AllowSingleSignOnUsingOSPrimaryAccount
        Case "IgnoreCertificateErrors": GetSetting = o.IgnoreCertificateErrors
        Case "AutoRecoverOnCrash": GetSetting = o.AutoRecoverOnCrash
        Case "EventsUseHexadecimal": GetSetting = o.EventsUseHexadecimal
        Case "SmartResize": GetSetting = o.SmartResize
        Case "OpenPopupsInSameWindow": GetSetting = o.OpenPopupsInSameWindow
        Case "IsScriptEnabled": GetSetting = o.IsScriptEnabled
        Case "IsWebMessageEnabled": GetSetting = o.IsWebMessageEnabled
        Case "DefaultScriptDialogsEnabled": GetSetting = o.DefaultScriptDialogsEnabled
        Case "IsStatusBarEnabled": GetSetting = o.IsStatusBarEnabled
        Case "AreDevToolsEnabled": GetSetting = o.AreDevToolsEnabled
        Case "AreDefaultContextMenusEnabled": GetSetting = o.AreDefaultContextMenusEnabled
        Case "AreHostObjectsAllowed": GetSetting = o.AreHostObjectsAllowed
        Case "IsZoomControlEnabled": GetSetting = o.IsZoomControlEnabled
        Case "IsBuiltInErrorPageEnabled": GetSetting = o.IsBuiltInErrorPageEnabled
        Case "AreBrowserAcceleratorKeysEnabled": GetSetting = o.AreBrowserAcceleratorKeysEnabled
        Case "IsPasswordAutosaveEnabled": GetSetting = o.IsPasswordAutosaveEnabled
        Case "IsGeneralAutofillEnabled": GetSetting = o.IsGeneralAutofillEnabled
        Case "IsPinchZoomEnabled": GetSetting = o.IsPinchZoomEnabled
        Case "IsSwipeNavigationEnabled": GetSetting = o.IsSwipeNavigationEnabled
        Case "HiddenPdfToolbarItems": GetSetting = o.HiddenPdfToolbarItems
        Case "IsReputationCheckingRequired": GetSetting = o.IsReputationCheckingRequired
        Case "NonClientRegionSupportEnabled": GetSetting = o.NonClientRegionSupportEnabled
        Case "IsVisible": GetSetting = o.IsVisible
        Case "IsMuted": GetSetting = o.IsMuted
        Case "MemoryUsageTargetLevel": GetSetting = o.MemoryUsageTargetLevel
        Case "userAgent": GetSetting = o.userAgent
        Case Else: Check False, "GetSetting has no case for " & name
    End Select
End Function

Sub LetSetting(o, name, value)
    Select Case name
        Case "AdditionalBrowserArguments": o.AdditionalBrowserArguments = value
        Case "Language": o.Language = value
        Case "BrowserExecutableFolder": o.BrowserExecutableFolder = value
        Case "proxyServer": o.proxyServer = value
        Case "ProxyBypassList": o.ProxyBypassList = value
        Case "RequiredMinimumVersion": o.RequiredMinimumVersion = value
        Case "EnableHardwareAcceleration": o.EnableHardwareAcceleration = value
        Case "AllowSingleSignOnUsingOSPrimaryAccount": o.AllowSingleSignOnUsingOSPrimaryAccount = value
        Case "IgnoreCertificateErrors": o.IgnoreCertificateErrors = value
        Case "AutoRecoverOnCrash": o.AutoRecoverOnCrash = value
        Case "EventsUseHexadecimal": o.EventsUseHexadecimal = value
        Case "SmartResize": o.SmartResize = value
        Case "OpenPopupsInSameWindow": o.OpenPopupsInSameWindow = value
        Case "IsScriptEnabled": o.IsScriptEnabled = value
        Case "IsWebMessageEnabled": o.IsWebMessageEnabled = value
        Case "DefaultScriptDialogsEnabled": o.DefaultScriptDialogsEnabled = value
        Case "IsStatusBarEnabled": o.IsStatusBarEnabled = value
        Case "AreDevToolsEnabled": o.AreDevToolsEnabled = value
        Case "AreDefaultContextMenusEnabled": o.AreDefaultContextMenusEnabled = value
        Case "AreHostObjectsAllowed": o.AreHostObjectsAllowed = value
        Case "IsZoomControlEnabled": o.IsZoomControlEnabled = value
        Case "IsBuiltInErrorPageEnabled": o.IsBuiltInErrorPageEnabled = value
        Case "AreBrowserAcceleratorKeysEnabled": o.AreBrowserAcceleratorKeysEnabled = value
        Case "IsPasswordAutosaveEnabled": o.IsPasswordAutosaveEnabled = value
        Case "IsGeneralAutofillEnabled": o.IsGeneralAutofillEnabled = value
        Case "IsPinchZoomEnabled": o.IsPinchZoomEnabled = value
        Case "IsSwipeNavigationEnabled": o.IsSwipeNavigationEnabled = value
        Case "HiddenPdfToolbarItems": o.HiddenPdfToolbarItems = value
        Case "IsReputationCheckingRequired": o.IsReputationCheckingRequired = value
        Case "NonClientRegionSupportEnabled": o.NonClientRegionSupportEnabled = value
        Case "IsVisible": o.IsVisible = value
        Case "IsMuted": o.IsMuted = value
        Case "MemoryUsageTargetLevel": o.MemoryUsageTargetLevel = value
        Case "userAgent": o.userAgent = value
        Case Else: Check False, "LetSetting has no case for " & name
    End Select
End Sub

' Err after a member that refuses with a bare E_NOTIMPL.
Sub CheckNotImplemented(what)
    Check Err.Number = VB_NOT_SUPPORTED Or Err.Number = E_NOTIMPL, what & ": Err.Number " & Hex(Err.Number)
    Err.Clear
End Sub

' A fresh control: nothing recorded yet, no browser.
Check ctrl.LastError = "", "LastError of a fresh control: " & ctrl.LastError
Check ctrl.LastErrorCode = 0, "LastErrorCode of a fresh control: " & Hex(ctrl.LastErrorCode)
Check ctrl.IsReady() = False, "IsReady before a browser"
Check ctrl.WebViewCreated = False, "WebViewCreated before a browser"
Check ctrl.IsLoading = False, "IsLoading before a browser"
Check ctrl.ContainsFullScreenElement = False, "ContainsFullScreenElement before a browser"
Check ctrl.InPrivateMode = False, "InPrivateMode before a browser"
Check ctrl.DocumentTitle = "", "DocumentTitle before a browser"
Check ctrl.StatusBarText = "", "StatusBarText before a browser"
Check ctrl.UserDataFolder = "", "UserDataFolder before a browser"
Check ctrl.ControlVersion = "1.0.1.0", "ControlVersion: " & ctrl.ControlVersion
Check ctrl.BrowserVersionString = "not installed", "BrowserVersionString without a runtime: " & ctrl.BrowserVersionString
Check Err.Number = 0, "state reads raise nothing: " & Hex(Err.Number)
Err.Clear

Dim expected
expected = "Window Handle: NULL" & vbLf & "WebView Ready: No" & vbLf & "Environment: NULL" & vbLf & _
    "Controller: NULL" & vbLf & "WebView: NULL" & vbLf & "Pending URL: (none)" & vbLf & _
    "Can Go Back: No" & vbLf & "Can Go Forward: No" & vbLf & "Is Loading: No" & vbLf & _
    "Current URL: (none)" & vbLf & "Document Title: (none)"
v = ctrl.GetDiagnostics()
Check v = expected, "GetDiagnostics of a fresh control: " & Replace(v, vbLf, " | ")

' Text settings kept by the control: name, a value to store. All start empty;
' an empty or missing value clears them.
Dim textSettings
textSettings = Array( _
    Array("AdditionalBrowserArguments", "--mute-audio --lang=de"), _
    Array("Language", "de-DE"), _
    Array("BrowserExecutableFolder", "C:\Runtimes\Fixed 120"), _
    Array("proxyServer", "http://proxy.example:8080"), _
    Array("ProxyBypassList", "*.local;<local>"), _
    Array("RequiredMinimumVersion", "1.0.1245.22"))
For Each row In textSettings
    name = row(0)
    Check GetSetting(ctrl, name) = "", name & " starts empty: " & GetSetting(ctrl, name)
    LetSetting ctrl, name, row(1)
    CheckErr 0, "", name & " put before the browser"
    Check GetSetting(ctrl, name) = row(1), name & " reads back: " & GetSetting(ctrl, name)
    LetSetting ctrl, name, ""
    Check GetSetting(ctrl, name) = "", name & " cleared by an empty string"
    LetSetting ctrl, name, row(1)
    LetSetting ctrl, name, Empty
    CheckErr 0, "", name & " put Empty"
    Check GetSetting(ctrl, name) = "", name & " cleared by Empty"
Next

' Truth-value settings kept by the control: name, default. Getters answer
' exactly True (-1) or False (0).
Dim boolSettings
boolSettings = Array( _
    Array("EnableHardwareAcceleration", True), _
    Array("AllowSingleSignOnUsingOSPrimaryAccount", False), _
    Array("IgnoreCertificateErrors", False), _
    Array("AutoRecoverOnCrash", False), _
    Array("EventsUseHexadecimal", False), _
    Array("SmartResize", True), _
    Array("OpenPopupsInSameWindow", True))
For Each row In boolSettings
    name = row(0)
    v = GetSetting(ctrl, name)
    Check VarType(v) = vbBoolean And v = row(1), name & " default: " & v
    LetSetting ctrl, name, Not row(1)
    CheckErr 0, "", name & " put before the browser"
    v = GetSetting(ctrl, name)
    Check VarType(v) = vbBoolean And CInt(v) = CInt(Not row(1)), name & " reads back the opposite: " & CInt(v)
    LetSetting ctrl, name, row(1)
    Check GetSetting(ctrl, name) = row(1), name & " back to its default"
Next

' A host converts 1 to True before the control sees it (only a native caller
' can hand over a truth value other than -1 or 0).
ctrl.AutoRecoverOnCrash = 1
Check CInt(ctrl.AutoRecoverOnCrash) = -1, "AutoRecoverOnCrash = 1 from a script: " & CInt(ctrl.AutoRecoverOnCrash)
ctrl.AutoRecoverOnCrash = 0
Check ctrl.AutoRecoverOnCrash = False, "AutoRecoverOnCrash = 0"

' SynchronousTimeOut refuses negatives and keeps what it had; 0 is a value.
Check ctrl.SynchronousTimeOut = 30000, "SynchronousTimeOut default: " & ctrl.SynchronousTimeOut
ctrl.SynchronousTimeOut = -1
CheckErr E_INVALIDARG, "SynchronousTimeOut cannot be negative.", "SynchronousTimeOut = -1"
Check ctrl.SynchronousTimeOut = 30000, "SynchronousTimeOut kept after -1: " & ctrl.SynchronousTimeOut
ctrl.SynchronousTimeOut = 0
CheckErr 0, "", "SynchronousTimeOut = 0"
Check ctrl.SynchronousTimeOut = 0, "SynchronousTimeOut = 0 stored: " & ctrl.SynchronousTimeOut
ctrl.SynchronousTimeOut = 5000
ctrl.SynchronousTimeOut = -2147483648
CheckErr E_INVALIDARG, "", "SynchronousTimeOut at the lowest long"
Check ctrl.SynchronousTimeOut = 5000, "SynchronousTimeOut kept after the lowest long"

' PopupMode and OpenPopupsInSameWindow are one setting seen two ways.
Check ctrl.PopupMode = 2, "PopupMode default: " & ctrl.PopupMode
Dim popupRows
' what to put, value, then PopupMode and OpenPopupsInSameWindow read back
popupRows = Array( _
    Array("PopupMode", 1, 1, False), _
    Array("OpenPopupsInSameWindow", True, 2, True), _
    Array("OpenPopupsInSameWindow", False, 0, False), _
    Array("PopupMode", 2, 2, True), _
    Array("PopupMode", 0, 0, False))
For Each row In popupRows
    If row(0) = "PopupMode" Then ctrl.PopupMode = row(1) Else ctrl.OpenPopupsInSameWindow = row(1)
    CheckErr 0, "", row(0) & " = " & row(1)
    Check ctrl.PopupMode = row(2), row(0) & " = " & row(1) & ": PopupMode " & ctrl.PopupMode
    Check ctrl.OpenPopupsInSameWindow = row(3), row(0) & " = " & row(1) & ": OpenPopupsInSameWindow " & ctrl.OpenPopupsInSameWindow
Next
ctrl.PopupMode = 2

' Browser settings and controller state before the browser: name, default,
' a value to put. Reads answer the default; writes fail and change nothing.
Dim liveSettings
liveSettings = Array( _
    Array("IsScriptEnabled", True, False), _
    Array("IsWebMessageEnabled", True, False), _
    Array("DefaultScriptDialogsEnabled", True, False), _
    Array("IsStatusBarEnabled", True, False), _
    Array("AreDevToolsEnabled", True, False), _
    Array("AreDefaultContextMenusEnabled", True, False), _
    Array("AreHostObjectsAllowed", True, False), _
    Array("IsZoomControlEnabled", True, False), _
    Array("IsBuiltInErrorPageEnabled", True, False), _
    Array("AreBrowserAcceleratorKeysEnabled", True, False), _
    Array("IsPasswordAutosaveEnabled", False, True), _
    Array("IsGeneralAutofillEnabled", True, False), _
    Array("IsPinchZoomEnabled", True, False), _
    Array("IsSwipeNavigationEnabled", True, False), _
    Array("HiddenPdfToolbarItems", 0, 3), _
    Array("IsReputationCheckingRequired", True, False), _
    Array("NonClientRegionSupportEnabled", False, True), _
    Array("IsMuted", False, True), _
    Array("MemoryUsageTargetLevel", 0, 1), _
    Array("userAgent", "", "CorvaneTest/1.0"))
For Each row In liveSettings
    name = row(0)
    v = GetSetting(ctrl, name)
    CheckErr 0, "", name & " read before the browser"
    Check VarType(v) = VarType(row(1)) Or (VarType(row(1)) = vbInteger And VarType(v) = vbLong), _
        name & " read type: " & VarType(v)
    Check v = row(1), name & " reads its default: " & v
    LetSetting ctrl, name, row(2)
    CheckErr E_FAIL, "", name & " put before the browser"
    Check GetSetting(ctrl, name) = row(1), name & " unchanged by the refused put"
Next
Check ctrl.IsDocumentPlayingAudio = False, "IsDocumentPlayingAudio before the browser"
ctrl.IsDragDropEnabled = False
CheckErr E_FAIL, "", "IsDragDropEnabled put before the browser"

' zoomFactor: 1.0 without a controller; puts fail however they would clamp.
v = ctrl.zoomFactor
Check VarType(v) = vbDouble And v = 1, "zoomFactor before the browser: " & v
Dim zoom
For Each zoom In Array(7, 0, 1.5)
    ctrl.zoomFactor = zoom
    CheckErr E_FAIL, "", "zoomFactor = " & zoom & " before the browser"
Next
Check ctrl.zoomFactor = 1, "zoomFactor unchanged: " & ctrl.zoomFactor

ctrl.MoveFocus 0
CheckErr E_FAIL, "", "MoveFocus without a controller"
ctrl.NotifyParentWindowPositionChanged
CheckErr 0, "", "NotifyParentWindowPositionChanged without a controller"
ctrl.SetDefaultBackgroundColor &H00FFFFFF
CheckErr E_FAIL, "", "SetDefaultBackgroundColor without a controller"

' The error slot: IsVisible records its reason as LastError only, so a code
' recorded earlier stays; successful calls and refused puts that record
' nothing leave both alone.
v = ctrl.JsonCount("[1]", "x")
CheckErr E_INVALIDARG, "JsonCount: path not found.", "a failure that records a code"
ctrl.IsVisible = True
CheckErr E_FAIL, "", "IsVisible put before the browser"
Check ctrl.LastError = "WebView not initialized.", "LastError after IsVisible put: " & ctrl.LastError
Check ctrl.LastErrorCode = E_INVALIDARG, "LastErrorCode kept by IsVisible put: " & Hex(ctrl.LastErrorCode)
Check ctrl.IsVisible = False, "IsVisible before the browser"
ctrl.proxyServer = "http://p:1"
ctrl.ProxyBypassList = "a"
ctrl.AllowSingleSignOnUsingOSPrimaryAccount = True
ctrl.IgnoreCertificateErrors = True
ctrl.Language = "fr"
ctrl.AutoRecoverOnCrash = True
ctrl.IsScriptEnabled = False
ctrl.zoomFactor = 2
ctrl.SynchronousTimeOut = -5
Err.Clear
v = ctrl.GetDiagnostics()
Check ctrl.LastError = "WebView not initialized.", "LastError kept through later calls: " & ctrl.LastError
Check ctrl.LastErrorCode = E_INVALIDARG, "LastErrorCode kept through later calls: " & Hex(ctrl.LastErrorCode)

' Office document editing was removed: the members remain and do no work.
ctrl.OpenOfficeDocument "C:\Reports\q3.docx"
CheckNotImplemented "OpenOfficeDocument"
Check ctrl.LastError = "Office document editing has been removed. Use ShowDocumentPreview() for read-only preview.", _
    "OpenOfficeDocument LastError: " & ctrl.LastError
Check ctrl.LastErrorCode = E_INVALIDARG, "OpenOfficeDocument leaves LastErrorCode: " & Hex(ctrl.LastErrorCode)
ctrl.CloseOfficeDocument
CheckNotImplemented "CloseOfficeDocument"
ctrl.SaveOfficeDocument
CheckNotImplemented "SaveOfficeDocument"
ctrl.SaveOfficeDocumentAs "C:\Reports\copy.docx"
CheckNotImplemented "SaveOfficeDocumentAs"
Check ctrl.IsOfficeDocumentOpen = False, "IsOfficeDocumentOpen"
Check ctrl.OfficeDocumentPath = "", "OfficeDocumentPath"
CheckErr 0, "", "Office document reads"
Dim word
Set word = ctrl.WordApplication
CheckNotImplemented "WordApplication"
Set word = ctrl.WordDocument
CheckNotImplemented "WordDocument"

' Stealth and CAPTCHA services are refused with their reason in LastError.
ctrl.EnableStealthMode
CheckNotImplemented "EnableStealthMode"
Check ctrl.LastError = "EnableStealthMode is not available in this build.", "EnableStealthMode LastError: " & ctrl.LastError
v = ctrl.SolveRecaptchaV2("site-key", "https://example.com/")
CheckNotImplemented "SolveRecaptchaV2"
Check ctrl.LastError = "SolveRecaptchaV2 is not available in this build.", "SolveRecaptchaV2 LastError: " & ctrl.LastError
v = ctrl.IsStealthEnabled
CheckNotImplemented "IsStealthEnabled"
Check ctrl.LastErrorCode = E_INVALIDARG, "stealth members leave LastErrorCode: " & Hex(ctrl.LastErrorCode)

' Each control keeps its own settings.
Dim other
Set other = CreateObject("Corvane.CorvaneCtrl")
other.SynchronousTimeOut = 1234
other.Language = "ja"
Check ctrl.SynchronousTimeOut = 5000 And other.SynchronousTimeOut = 1234, "SynchronousTimeOut per control"
Check ctrl.Language = "fr" And other.Language = "ja", "Language per control"
Check other.LastError = "", "a second control's LastError is its own"
