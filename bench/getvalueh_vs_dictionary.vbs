' Microseconds per late-bound GetValueH call against microseconds per
' late-bound Scripting.Dictionary.Exists call, in the same script: the cost
' a macro pays for a lookup in a parsed document, next to the lookup every
' macro writer already uses. Needs the DLL registered.
Option Explicit
Dim json, dict, h, i, n, t0, tJson, tDict, v, b, doc
n = 100000
Set json = CreateObject("Corvane.Json")
Set dict = CreateObject("Scripting.Dictionary")
doc = "{"
For i = 0 To 99
    If i > 0 Then doc = doc & ","
    doc = doc & """k" & i & """:" & i
    dict.Add "k" & i, i
Next
doc = doc & "}"
h = json.Parse(doc)

t0 = Timer
For i = 1 To n
    v = json.GetValueH(h, "k57")
Next
tJson = Timer - t0

t0 = Timer
For i = 1 To n
    b = dict.Exists("k57")
Next
tDict = Timer - t0

If tDict <= 0 Then tDict = 0.001
WScript.Echo "USEC late_bound_getvalueh_vbs " & FormatNumber(tJson / n * 1000000, 3)
WScript.Echo "USEC late_bound_dictionary_exists_vbs " & FormatNumber(tDict / n * 1000000, 3)
WScript.Echo "RATIO getvalueh_vs_dictionary_exists_vbs " & FormatNumber(tJson / tDict, 3)
