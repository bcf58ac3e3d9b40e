' The control's settings as only a macro sees them, with no site and no
' browser: what reaches Err, names in any case, and members that refuse.
' The settings' values and rules are checked late-bound in browser_test.
Const E_FAIL = &H80004005
Const E_INVALIDARG = &H80070057
' Script hosts report a bare E_NOTIMPL (no error description) as error 445.
Const VB_NOT_SUPPORTED = 445

Dim ctrl, other, word
Set ctrl = CreateObject("Corvane.CorvaneCtrl")
CheckErr 0, "", "create the control"

ctrl.PROXYSERVER = "http://proxy.example:8080"
CheckErr 0, "", "a setting named in capitals"
Check ctrl.proxyserver = "http://proxy.example:8080", "read back in lower case: " & ctrl.proxyserver

ctrl.SynchronousTimeOut = -1
CheckErr E_INVALIDARG, "SynchronousTimeOut cannot be negative.", "SynchronousTimeOut = -1"
ctrl.IsScriptEnabled = False
CheckErr E_FAIL, "", "a browser setting put before the browser"
Check ctrl.IsScriptEnabled = True, "IsScriptEnabled keeps its default"

ctrl.OpenOfficeDocument "C:\Reports\q3.docx"
CheckErr VB_NOT_SUPPORTED, "", "OpenOfficeDocument"
Check ctrl.LastError = "Office document editing has been removed. Use ShowDocumentPreview() for read-only preview.", _
    "OpenOfficeDocument LastError: " & ctrl.LastError
Set word = ctrl.WordApplication
CheckErr VB_NOT_SUPPORTED, "", "WordApplication"

' Each control keeps its own settings.
Set other = CreateObject("Corvane.CorvaneCtrl")
other.Language = "ja"
ctrl.Language = "fr"
Check ctrl.Language = "fr" And other.Language = "ja", "Language per control"
Check other.LastError = "", "a second control's LastError is its own"
