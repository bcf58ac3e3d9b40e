' Scripts and DOM commands against the real browser (the Chromium runtime),
' through the pool as a macro drives a page: forms read, filled, clicked and
' submitted, elements waited for, and host text that can never break out of
' its script literal.
Dim shell, fso, base, pool, eng, idx, v, i, found, t0, tricky, bridge
Set shell = CreateObject("WScript.Shell")
Set fso = CreateObject("Scripting.FileSystemObject")
base = "http://127.0.0.1:" & Trim(fso.OpenTextFile(shell.ExpandEnvironmentStrings("%CORVANE_PORT_FILE%")).ReadAll())
Set eng = CreateObject("Corvane.Json")
Set pool = CreateObject("Corvane.BrowserPool")
idx = pool.Create(0, "", 0, 0, 800, 600)
pool.NavigateSync idx, base & "/form.html"
If Err.Number <> 0 Then
    Check False, "no pooled browser with the form: " & Err.Description
    Finish
    WScript.Quit
End If

' Readers hand back JSON text; a missing element reads as the empty string.
Check pool.GetElementValueById(idx, "user") = """abc""", "GetElementValueById"
Check pool.GetElementValueById(idx, "nobody") = """""", "GetElementValueById of a missing element"
Check pool.GetElementTextById(idx, "text") = """Hello you""", "GetElementTextById"
Check pool.GetInnerHtmlById(idx, "text") = """Hello <b>you</b>""", "GetInnerHtmlById"
Check pool.GetTextBySelector(idx, "#text b") = """you""", "GetTextBySelector"

' Actions: a missing element is no error; a checkbox is checked only by True.
pool.SetElementValueByName idx, "user", "Ann"
Check pool.GetElementValueByName(idx, "user") = """Ann""", "SetElementValueByName"
pool.ClickElementById idx, "nobody"
CheckErr 0, "", "ClickElementById of a missing element"
pool.SetCheckboxById idx, "agree", False
Check Not pool.GetCheckboxById(idx, "agree"), "SetCheckboxById with False unchecks"
pool.SetCheckboxById idx, "agree", True
Check pool.GetCheckboxById(idx, "agree"), "SetCheckboxById with True checks"
pool.SelectOptionById idx, "color", "g"
Check pool.GetSelectedOptionById(idx, "color") = """g""", "SelectOptionById"
pool.ClickElementBySelector idx, "#go"
Check pool.GetTitle(idx) = "clicked", "ClickElementBySelector: " & pool.GetTitle(idx)
Check pool.ElementExistsBySelector(idx, "form#f") And Not pool.ElementExistsById(idx, "none"), "ElementExists"

' Waiting: present at once, added by a timer, never coming (an answer, not an error).
Check pool.WaitForElement(idx, "#late", 5000), "WaitForElement for an element added later"
t0 = Timer
Check Not pool.WaitForElement(idx, "#never", 300), "WaitForElement for an element that never comes"
CheckErr 0, "", "WaitForElement time-out"
Check Timer - t0 < 5, "WaitForElement kept to its time-out"

' Host text arrives exactly as sent, and none of it runs as script. (Wine's
' VBScript has no ChrW: the JSON engine decodes the units beyond Chr.)
Function U(escaped)
    U = eng.GetValue("[""" & escaped & """]", "[0]")
End Function
tricky = Array("it's", "say ""hi""", "back\slash\", "cr" & vbCr & "lf" & vbLf & "tab" & vbTab, _
    "</script><script>window.pwned=1</script>", "');window.pwned=1;('", U("\u2028\u2029"), _
    "nul" & Chr(0) & "x", U("lone\ud800z\udc00"), Chr(1) & Chr(31) & Chr(127))
pool.BindScriptObject idx, "pc", "window.PageController", 1
CheckErr 0, "", "BindScriptObject with validation"
For i = 0 To UBound(tricky)
    Check pool.CallScriptSync(idx, "pc", "echo", tricky(i)) = tricky(i), "text " & i & " through the bridge"
    pool.GetScriptProperty idx, "pc", tricky(i)
    CheckErr &H80040509, "CVN_E_BRIDGE_INVALID_ARG", "text " & i & " as a member name"
    pool.SetElementAttributeById idx, "box", "data-v", tricky(i)
    v = pool.GetElementAttributeById(idx, "box", "data-v")
    Check eng.GetValue("[" & v & "]", "[0]") = tricky(i), "text " & i & " read back: " & v
    pool.SetElementValueById idx, tricky(i), "x"
    CheckErr 0, "", "text " & i & " as a locator"
Next
Check pool.ExecuteScript(idx, "typeof window.pwned") = """undefined""", "no host text ran as script"

' The conveniences and typed outcomes.
pool.SetJsVariable idx, "window.answer", "{""n"":42}"
pool.CallJsFunction idx, "(function(a, b){ document.title = a + b; })", "1,2"
Check pool.ExecuteScript(idx, "window.answer.n") = "42", "SetJsVariable"
Check pool.GetTitle(idx) = "3", "CallJsFunction: " & pool.GetTitle(idx)
Check pool.ExecuteScriptWithArgs(idx, "Math.max", Array(3, 9, 4)) = "9", "ExecuteScriptWithArgs with an array"

' The bridge: typed results, converted arguments and numbered errors.
Dim d
Set d = CreateObject("Scripting.Dictionary")
d.Add "k", 5
v = pool.CallScriptSync(idx, "pc", "add", 2, 40)
Check TypeName(v) = "Long" And v = 42, "a bridge call's number: " & TypeName(v)
Check TypeName(pool.CallScriptSync(idx, "pc", "half")) = "Double", "1.5 as a Double"
Check IsNull(pool.CallScriptSync(idx, "pc", "none")), "undefined as Null"
Check pool.CallScriptSync(idx, "pc", "obj") = "{""a"":[1]}", "an object as its JSON"
Check pool.CallScriptSync(idx, "pc", "count", 1, "b", True) = 3, "three arguments given, three passed"
Check Left(pool.CallScriptSync(idx, "pc", "echo", DateSerial(2024, 1, 2)), 10) = "2024-01-02", "a date"
Check pool.CallScriptSync(idx, "pc", "echo", Array(1, "x", d)) = "[1,""x"",{""k"":5}]", "an array with a dictionary"
Check pool.CallScriptSync(idx, "pc", "echo", d) = "{""k"":5}", "a dictionary in a variable (passed by reference)"
pool.CallScriptSync idx, "pc", "echo", CreateObject("Scripting.Dictionary")
CheckErr &H80040509, "", "an object passed by value"
pool.SetScriptProperty idx, "pc", "name", "renamed"
Check pool.GetScriptProperty(idx, "pc", "name") = "renamed", "a property written and read"
pool.BindScriptObject idx, "gone", "window.Nothing", 1
CheckErr &H80040502, "OBJECT_NOT_RESOLVED", "a missing object"
Dim bad   ' a call (True) or a read of pc's member, the number and description it gives
For Each bad In Array(Array(True, "nope", &H80040503, "METHOD_NOT_FOUND"), Array(True, "boom", &H80040505, "boom"), _
        Array(True, "later", &H80040506, "PROMISE_RETURNED"), Array(False, "nope", &H80040504, "PROPERTY_NOT_FOUND"), _
        Array(False, "add", &H8004050D, "PROPERTY_IS_FUNCTION"))
    If bad(0) Then pool.CallScriptSync idx, "pc", bad(1) Else pool.GetScriptProperty idx, "pc", bad(1)
    CheckErr bad(2), bad(3), "pc." & bad(1)
Next
pool.BindScriptObject idx, "once", "window.PageController", 2

Dim sid
sid = pool.AddScriptToExecuteOnDocumentCreated(idx, "window.early = 'yes';")
CheckErr 0, "", "AddScriptToExecuteOnDocumentCreated"
Check Len(sid) > 0, "AddScriptToExecuteOnDocumentCreated's id: " & sid

' A host object the page calls; a blocking call inside that call is refused with its name.
Class Bridge
    Public Refusal
    Public Function Twice(n)
        On Error Resume Next
        pool.ExecuteScript idx, "1"
        Refusal = Err.Description
        Err.Clear
        Twice = n * 2
    End Function
End Class
Set bridge = New Bridge
pool.AddHostObjectToScript idx, "vba", bridge
CheckErr 0, "", "AddHostObjectToScript"
pool.ExecuteScript idx, "chrome.webview.hostObjects.vba.Twice(21).then(function (v) { document.title = 'host ' + v; }, function (e) { document.title = 'err ' + e.message; })"
For i = 1 To 50
    If pool.GetTitle(idx) = "host 42" Then Exit For
    pool.WaitForElement idx, "#never", 100
Next
Check pool.GetTitle(idx) = "host 42", "the page's call into the host object: " & pool.GetTitle(idx)
Check InStr(bridge.Refusal, "calling into VBA through the host object 'vba'") > 0, "refusal inside it: " & bridge.Refusal

' Submitting leaves the page; the document-created script runs in the new one.
pool.SubmitFormById idx, "f"
CheckErr 0, "", "SubmitFormById"
found = False
For i = 1 To 50
    If pool.GetTitle(idx) = "Page Two" Then found = True: Exit For
    pool.WaitForElement idx, "#never", 100
Next
Check found, "the submitted form's page: " & pool.GetTitle(idx)
v = pool.ExecuteScript(idx, "window.early")
Check v = """yes""", "the document-created script ran: " & v
pool.NavigateSync idx, base & "/form.html"
Check pool.GetScriptProperty(idx, "pc", "name") = "pc", "a plain binding resolved again after navigation"
pool.GetScriptProperty idx, "once", "name"
CheckErr &H80040501, "", "a transient binding is dropped by navigation"
pool.Destroy idx
