' Opens every suite (the build joins check.vbs, the suite and finish.vbs into
' one script: Wine's VBScript has no ExecuteGlobal and cscript no .wsf).
' Checks print what failed; the closing line is what the runner requires.
' Wine's script host ends a script silently on an untrapped error, so every
' suite runs under On Error Resume Next and must reach Finish to pass.
On Error Resume Next
Dim checks, failures
checks = 0
failures = 0

Sub Check(ok, what)
    checks = checks + 1
    If Not ok Then
        failures = failures + 1
        WScript.Echo "FAIL: " & what
    End If
End Sub

' Err after a call: the expected number (and description, when given).
Sub CheckErr(number, description, what)
    Check Err.Number = number, what & ": Err.Number " & Hex(Err.Number) & ", expected " & Hex(number)
    If description <> "" Then Check Err.Description = description, what & ": Err.Description """ & Err.Description & """"
    Err.Clear
End Sub

Sub Finish()
    If failures = 0 Then
        WScript.Echo "PASS: " & checks & " checks"
    Else
        WScript.Echo "FAILED: " & failures & " of " & checks & " checks"
    End If
End Sub
