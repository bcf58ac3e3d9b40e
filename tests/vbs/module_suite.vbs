' What a macro sees of the registered DLL: creation by ProgID, names in any
' letter case, and members that are not written yet reaching Err.
Const E_NOTIMPL = &H80004001
Const E_FAIL = &H80004005

Dim progIds, p, o
progIds = Array("Corvane.CorvaneCtrl", "Corvane.CorvaneCtrl.1", "Corvane.Json", "Corvane.Json.1", _
                "Corvane.BrowserPool", "Corvane.BrowserPool.1")
For Each p In progIds
    Set o = Nothing
    Set o = CreateObject(p)
    Check Err.Number = 0 And IsObject(o), "CreateObject(""" & p & """): " & Hex(Err.Number) & " " & Err.Description
    Err.Clear
Next

Dim json, ctrl, pool
Set json = CreateObject("Corvane.Json")
Set ctrl = CreateObject("Corvane.CorvaneCtrl")
Set pool = CreateObject("Corvane.BrowserPool")
Check TypeName(json) = "ICVNJson", "TypeName of the engine: " & TypeName(json)
Check TypeName(ctrl) = "ICorvaneCtrl", "TypeName of the control: " & TypeName(ctrl)
Check TypeName(pool) = "IBrowserPool", "TypeName of the pool: " & TypeName(pool)

' A member not written yet: its HRESULT, its description, our source.
Dim v
pool.ClearReadyCallback 1
Check Err.Source = "Corvane", "Err.Source: " & Err.Source
CheckErr E_NOTIMPL, "ClearReadyCallback is not implemented yet.", "pool.ClearReadyCallback"
' The same member in other letter cases resolves to it.
pool.clearreadycallback 1
CheckErr E_NOTIMPL, "ClearReadyCallback is not implemented yet.", "pool.clearreadycallback"
pool.CLEARREADYCALLBACK 1
CheckErr E_NOTIMPL, "ClearReadyCallback is not implemented yet.", "pool.CLEARREADYCALLBACK"
' A property read and a property write are told apart.
v = ctrl.defaultdownloadfolderpath
CheckErr E_NOTIMPL, "DefaultDownloadFolderPath (read) is not implemented yet.", "ctrl.DefaultDownloadFolderPath read"
ctrl.DefaultDownloadFolderPath = "C:\"
CheckErr E_NOTIMPL, "DefaultDownloadFolderPath (write) is not implemented yet.", "ctrl.DefaultDownloadFolderPath write"
' Navigation answers without a browser: the URL waits for one, schemes are checked.
v = ctrl.url
CheckErr 0, "", "ctrl.url read"
Check v = "", "ctrl.url before any page: " & v
ctrl.URL = "https://later.test/"
CheckErr 0, "", "ctrl.URL write"
ctrl.Navigate "file:///C:/x.html"
' E_ACCESSDENIED; script engines show it as their own "permission denied" number.
Check Err.Number <> 0, "ctrl.Navigate to a file URL must fail"
Err.Clear
ctrl.NavigateSync "https://x.test/"
CheckErr E_FAIL, "", "ctrl.NavigateSync without a browser"
Check ctrl.LastError = "WebView not initialized.", "LastError after NavigateSync: " & ctrl.LastError
pool.Navigate 1, "about:blank"
CheckErr &H80070057, "Invalid browser index. Use the value returned by Create().", "pool.Navigate without a browser 1"
' A name the library does not have is the host's own error.
v = json.NoSuchMember()
CheckErr 438, "", "unknown member"
' Wrong argument count is refused before our code runs.
v = pool.GetUrl()
Check Err.Number <> 0, "GetUrl without its argument must fail"
Err.Clear
