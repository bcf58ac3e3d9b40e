' The pool against the real browser (the Chromium runtime), as a macro drives
' it with no window of its own: a blocking call at once after Create, the
' title, a script's answer, and no browser left after Destroy.
Dim shell, fso, base, pool, idx, v
Set shell = CreateObject("WScript.Shell")
Set fso = CreateObject("Scripting.FileSystemObject")
base = "http://127.0.0.1:" & Trim(fso.OpenTextFile(shell.ExpandEnvironmentStrings("%CORVANE_PORT_FILE%")).ReadAll())
CheckErr 0, "", "the test web server's port"

Set pool = CreateObject("Corvane.BrowserPool")
idx = pool.Create(0, "", 0, 0, 800, 600)
CheckErr 0, "", "Create"
pool.NavigateSync idx, base & "/page1.html"
CheckErr 0, "", "NavigateSync right after Create"
v = pool.GetTitle(idx)
Check v = "Page One", "GetTitle: " & v
v = pool.ExecuteScript(idx, "document.getElementById('p').textContent + ' ' + (6 * 7)")
Check v = """one 42""", "ExecuteScript: " & v
' DevTools by browser index: the protocol's answer as JSON, its refusal through Err.
v = pool.CallDevToolsProtocolMethod(idx, "Runtime.evaluate", "{""expression"":""6*7""}")
Check InStr(v, """value"":42") > 0, "CallDevToolsProtocolMethod: " & v
On Error Resume Next
v = pool.CallDevToolsProtocolMethod(idx, "No.suchMethod", "")
Check Err.Number <> 0, "an unknown protocol method fails"
Err.Clear
On Error GoTo 0
pool.NavigateToStringSync idx, "<title>Written</title>"
Check pool.GetTitle(idx) = "Written", "GetTitle after NavigateToStringSync: " & pool.GetTitle(idx)
pool.Destroy idx
CheckErr 0, "", "Destroy"
Check pool.GetBrowserCount() = 0, "GetBrowserCount after Destroy: " & pool.GetBrowserCount()
