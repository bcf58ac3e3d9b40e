' The control's settings as only a macro sees them, with no site and no
' browser. The settings' values, names and refusals are checked late-bound in
' browser_test; here what the script engine makes of an answer.
' Script hosts report a bare E_NOTIMPL (no error description) as error 445.
Const VB_NOT_SUPPORTED = 445

Dim ctrl, other
Set ctrl = CreateObject("Corvane.CorvaneCtrl")
CheckErr 0, "", "create the control"
ctrl.OpenOfficeDocument "C:\Reports\q3.docx"
CheckErr VB_NOT_SUPPORTED, "", "OpenOfficeDocument"

' Each control keeps its own settings and its own LastError.
Set other = CreateObject("Corvane.CorvaneCtrl")
other.Language = "ja"
ctrl.Language = "fr"
Check ctrl.Language = "fr" And other.Language = "ja", "Language per control"
Check other.LastError = "", "a second control's LastError is its own"
