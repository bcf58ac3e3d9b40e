' The JSON engine as only a macro sees it: created by ProgID, failures read
' from Err, script arrays in and out, names in any case.
' The rules behind each answer are tested in C++.
Const E_INVALIDARG = &H80070057
Const E_HANDLE = &H80070006
Const E_BOUNDS = &H8000000B
Dim q
q = Chr(34)

' Apostrophes stand in for quotation marks so the JSON below stays readable.
Function J(text)
    J = Replace(text, "'", q)
End Function

Dim eng, h, pa, v, a, r
Set eng = CreateObject("Corvane.Json")
Check Err.Number = 0 And IsObject(eng), "CreateObject(""Corvane.Json""): " & Err.Description
Err.Clear

' Err carries number, description and source; the failed call assigns nothing.
v = "unchanged"
v = eng.GetValueH(99, "")
Check Err.Source = "Corvane", "Err.Source: " & Err.Source
CheckErr E_HANDLE, "Corvane.Json: Invalid JSON handle: 99", "GetValueH(99, """")"
Check v = "unchanged", "a failed call assigns nothing"
v = eng.Insert("[1,2]", "", 3, 3)
CheckErr E_BOUNDS, "JsonInsert: index 3 exceeds array length 2.", "an edit's own HRESULT"

' A missing value reads Empty; an Empty argument reads as no text.
h = eng.Parse(J("{'a':{'b' : 1},'list':[1,'two']}"))
Check IsEmpty(eng.GetValueH(h, "list[5]")) And IsEmpty(eng.GetValue(Empty, "a")), "Empty in, Empty out"
CheckErr 0, "", "Empty"

' Names in any case; MaxSize as a property the script writes and reads.
Check eng.COUNT("[1,2,3]", "") = 3 And eng.getvalue("[7]", "[0]") = 7, "names in any case"
eng.maxsize = 0
Check eng.MaxSize = 1024, "MaxSize 0 reads back 1024"
CheckErr 0, "", "names in any case"

' Script arrays: Array(...) by reference with an Integer handle, a 2-D Dim array, a returned array.
pa = eng.CompilePath("a.b")
a = eng.GetValuesHP(h, Array(pa, 1, 999, "a.b"))
Check LBound(a) = 0 And UBound(a) = 3, "GetValuesHP bounds " & LBound(a) & ".." & UBound(a)
Check a(0) = 1 And a(1) = 1 And IsEmpty(a(2)) And IsEmpty(a(3)), "GetValuesHP: Long and Integer handles count"
Dim grid(1, 1)
grid(0, 0) = "a.b"
grid(1, 0) = "list[1]"
grid(0, 1) = "list"
a = eng.GetValues(J("{'a':{'b':1},'list':[1,'two']}"), grid)
Check UBound(a) = 1 And a(0) = 1 And a(1) = "two", "a 2-D array: the first column is read"
a = eng.GetValues("{}", "a")
CheckErr E_INVALIDARG, "Corvane.Json: pathsArray must be an array", "GetValues with a string"
r = eng.ToRowArray(J("[{'a':1},{'b':'x'}]"))
Check UBound(r, 1) = 3 And UBound(r, 2) = 2, "ToRowArray shape"
Check r(1, 1) = "a" And r(2, 1) = 1 And IsNull(r(2, 2)) And r(3, 2) = "x", "ToRowArray cells"
CheckErr 0, "", "script arrays"

Set eng = Nothing
