' What only a macro sees of the registered DLL: creation by ProgID, names in
' any letter case, errors reaching Err, and a call with an argument missing.
' (A name that is no member is refused in module_test.)
Const E_NOTIMPL = &H80004001

Dim p, o
For Each p In Array("Corvane.CorvaneCtrl", "Corvane.Json.1", "Corvane.BrowserPool")
    Set o = Nothing
    Set o = CreateObject(p)
    Check Err.Number = 0 And IsObject(o), "CreateObject(""" & p & """): " & Hex(Err.Number) & " " & Err.Description
    Err.Clear
Next

Dim ctrl, pool, v
Set ctrl = CreateObject("Corvane.CorvaneCtrl")
Set pool = CreateObject("Corvane.BrowserPool")
' A member not written yet, called in another letter case: its HRESULT and its description.
ctrl.FORCEGARBAGECOLLECTION
CheckErr E_NOTIMPL, "ForceGarbageCollection is not implemented yet.", "ctrl.FORCEGARBAGECOLLECTION"
' A property read is named as one.
v = ctrl.faviconuri
CheckErr E_NOTIMPL, "FaviconUri (read) is not implemented yet.", "ctrl.FaviconUri read"
' A missing required argument is refused before our code runs.
v = pool.GetUrl()
Check Err.Number <> 0 And Err.Number <> E_NOTIMPL, "GetUrl without its argument: " & Hex(Err.Number)
Err.Clear
