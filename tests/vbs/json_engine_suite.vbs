' The JSON engine as a macro uses it: created by ProgID, failures read from
' Err, handles kept in variables, bulk reads with Array(...).
Const E_INVALIDARG = &H80070057
Const E_FAIL = &H80004005
Const E_HANDLE = &H80070006
Const E_BOUNDS = &H8000000B
Dim q
q = Chr(34)

' Double quotes stand in for quotation marks so the JSON below stays readable.
Function J(text)
    J = Replace(text, "'", q)
End Function

Dim eng, h, h2, h3, p, pa, pb, pRoot, v, s, n, a, r
Set eng = CreateObject("Corvane.Json")
Check Err.Number = 0 And IsObject(eng), "CreateObject(""Corvane.Json""): " & Err.Description
Err.Clear

' ---- handles ----
h = eng.Parse(J("{'n':1}"))
h2 = eng.Parse(J("{'n':2}"))
Check h = 1 And h2 = 2, "first handles 1 and 2, got " & h & " " & h2
eng.ReleaseHandle 1
h3 = eng.Parse(J("{'n':3}"))
Check h3 = 1, "the released handle comes back first, got " & h3
Check eng.GetValueH(1, "n") = 3, "a reused handle reads the newer document"
eng.ReleaseHandle 0
CheckErr 0, "", "ReleaseHandle 0"
eng.ReleaseHandle -5
CheckErr 0, "", "ReleaseHandle -5"
eng.ReleaseHandle 2
eng.ReleaseHandle 2
CheckErr 0, "", "second ReleaseHandle of the same handle"
Check eng.Parse("[]") = 2, "slot 2 reused once, not twice"
Check eng.Parse("[]") = 3, "then a new slot"

v = "unchanged"
v = eng.GetValueH(99, "")
Check Err.Source = "Corvane", "Err.Source: " & Err.Source
CheckErr E_HANDLE, "Corvane.Json: Invalid JSON handle: 99", "GetValueH(99, """")"
Check v = "unchanged", "a failed call assigns nothing"
n = eng.CountH(42, "")
CheckErr E_HANDLE, "Corvane.Json: Invalid JSON handle: 42", "CountH(42)"
v = eng.GetValueH(1, "a..b")
CheckErr E_INVALIDARG, "Corvane.Json: Invalid path syntax", "GetValueH with a bad path"

' ---- queries by handle ----
eng.ReleaseAll
CheckErr 0, "", "ReleaseAll"
h = eng.Parse(J("{'a':{'b' : 1},'d':1,'d':2,'list':[1,'two',2.5,true,null],'s':'x'}"))
Check h = 1, "ReleaseAll restarts numbering at 1, got " & h
Check TypeName(eng.GetValueH(h, "a.b")) = "Long", "integer as Long"
Check TypeName(eng.GetValueH(h, "list[2]")) = "Double", "fraction as Double"
Check TypeName(eng.GetValueH(h, "list[3]")) = "Boolean", "true as Boolean"
Check IsNull(eng.GetValueH(h, "list[4]")), "null as Null"
Check IsEmpty(eng.GetValueH(h, "list[5]")), "missing element as Empty"
Check eng.GetValueH(h, "a") = J("{'b':1}"), "objects come back as compact JSON"
Check eng.GetValueH(h, "d") = 2, "duplicate keys: the last one wins in a document"
Check eng.GetValue(J("{'d':1,'d':2}"), "d") = 1, "duplicate keys: the first one wins in text"
Check eng.GetValue(J("{'a':{'b' : 1}}"), "a") = J("{'b' : 1}"), "text queries hand back the source"
Check eng.GetItemH(h, "list", 1) = "two", "GetItemH string element"
Check eng.GetItemH(h, "list", 9) = "", "GetItemH out of range"
Check eng.GetItemH(h, "list", -1) = "", "GetItemH negative index"
Check eng.GetKeysH(h, "") = J("['a','d','d','list','s']"), "GetKeysH: " & eng.GetKeysH(h, "")
Check eng.CountH(h, "list") = 5, "CountH of an array"
Check eng.CountH(h, "s") = -1, "CountH of a scalar"
Check eng.ExistsH(h, "list[4]") = True, "ExistsH of a null element"
Check eng.ExistsH(h, "zz") = False, "ExistsH of a missing key"
CheckErr 0, "", "handle queries"

' ---- compiled paths ----
pa = eng.CompilePath("a.b")
pb = eng.CompilePath("list")
pRoot = eng.CompilePath("")
Check pa = 1 And pb = 2 And pRoot = 3, "path handles 1, 2, 3"
Check eng.GetValueHP(h, pa) = 1, "GetValueHP"
Check eng.GetItemHP(h, pb, 0) = "1", "GetItemHP of a number gives its text"
Check eng.CountHP(h, pb) = 5, "CountHP"
Check eng.CountHP(h, pRoot) = 5, "CountHP of the root"
Check eng.ExistsHP(h, pa), "ExistsHP"
CheckErr 0, "", "compiled path queries"
v = eng.GetValueHP(h, 77)
CheckErr E_HANDLE, "Corvane.Json: Invalid path handle: 77", "GetValueHP with a bad path handle"
p = eng.CompilePath("a..b")
CheckErr E_INVALIDARG, "Corvane.Json: Invalid path syntax: 'a..b'", "CompilePath(""a..b"")"
eng.ReleasePath pb
eng.ReleasePath pb
eng.ReleasePath 1000
CheckErr 0, "", "ReleasePath of released and unknown handles"
Check eng.CompilePath("s") = pb, "a released path handle is reused"

' ---- bulk reads ----
v = eng.GetValues(J("{'a':1}"), Array())
Check IsEmpty(v), "GetValues of an empty array is Empty"
a = eng.GetValues(J("{'a':1,'b':'x'}"), Array("a", 5, "b", "nope", ""))
CheckErr 0, "", "GetValues"
Check LBound(a) = 0 And UBound(a) = 4, "GetValues bounds " & LBound(a) & ".." & UBound(a)
Check a(0) = 1 And IsEmpty(a(1)) And a(2) = "x" And IsEmpty(a(3)), "GetValues cells"
Check a(4) = J("{'a':1,'b':'x'}"), "GetValues with an empty path gives the whole text"
Dim paths
paths = Array("list[1]", "a..b", "", "s")
a = eng.GetValuesH(h, paths)
Check UBound(a) = 3, "GetValuesH count"
Check a(0) = "two" And IsEmpty(a(1)) And Left(a(2), 5) = J("{'a':") And a(3) = "x", "GetValuesH cells"
' Handles from CompilePath are Longs; a small literal is an Integer. Both count.
a = eng.GetValuesHP(h, Array(pa, 3, 999, "a.b"))
Check a(0) = 1 And Left(a(1), 1) = "{" And IsEmpty(a(2)) And IsEmpty(a(3)), "GetValuesHP cells"
Dim grid(2, 1)
grid(0, 0) = "a.b"
grid(1, 0) = "s"
grid(2, 0) = "zz"
grid(0, 1) = "list"
a = eng.GetValuesH(h, grid)
Check UBound(a) = 2, "a 2-D array: only the first dimension counts, got " & UBound(a)
Check a(0) = 1 And a(1) = "x" And IsEmpty(a(2)), "a 2-D array: the first column is read"
a = eng.GetValues("{}", "a")
CheckErr E_INVALIDARG, "Corvane.Json: pathsArray must be an array", "GetValues with a string"
a = eng.GetValuesHP(h, 5)
CheckErr E_INVALIDARG, "Corvane.Json: pathHandlesArray must be an array", "GetValuesHP with a number"
a = eng.GetValuesH(500, Array("a"))
CheckErr E_HANDLE, "Corvane.Json: Invalid JSON handle: 500", "GetValuesH with a bad handle"

' ---- MaxSize ----
Check eng.MaxSize = 52428800, "default MaxSize " & eng.MaxSize
eng.MaxSize = 0
Check eng.MaxSize = 1024, "MaxSize 0 reads back 1024"
eng.MaxSize = 600000000
Check eng.MaxSize = 524288000, "MaxSize 600000000 reads back 524288000"
eng.MaxSize = -7
Check eng.MaxSize = 1024, "a negative MaxSize reads back 1024"
CheckErr 0, "", "MaxSize writes"
s = q & String(510, "x") & q
h2 = eng.Parse(s & " ")
CheckErr E_FAIL, "Corvane.Json: JSON exceeds maximum size", "Parse of 513 characters at 1024"
h2 = eng.Parse(s)
CheckErr 0, "", "Parse of 512 characters at 1024"
v = eng.ToArray(String(600, " "))
CheckErr E_FAIL, "Corvane.Json: JSON exceeds maximum size", "ToArray over MaxSize"
eng.MaxSize = 52428800

' ---- Parse, ToArray and text queries ----
h2 = eng.Parse("")
CheckErr E_INVALIDARG, "Corvane.Json: Empty JSON string", "Parse of an empty string"
h2 = eng.Parse("[1,2")
CheckErr E_INVALIDARG, "Corvane.Json: Unterminated array", "Parse of a broken text"
Check eng.ToArray("5") = "5", "ToArray(""5"")"
Check eng.ToArray(J("{'a':1}")) = J("{'a':1}"), "ToArray of an object"
v = eng.ToArray("[1,")
CheckErr E_INVALIDARG, "Corvane.Json: Invalid JSON", "ToArray of invalid JSON"
Check eng.count("[1,2,3]", "") = 3, "count of an array"
Check eng.count("", "a") = -1, "count of an empty text"
CheckErr 0, "", "count without error"
n = eng.count("5", "")
CheckErr E_INVALIDARG, "JsonCount: target is not an object or array.", "count of a scalar"
Check eng.exists(J("{'a':null}"), "a") = True, "exists"
Check eng.isValid(J("{'a':1,}")) = False, "isValid"
Check IsEmpty(eng.GetValue(Empty, "a")), "an Empty json reads as no text"
Check eng.GetKeys(J("{'x':1,'y':2}"), "") = J("['x','y']"), "GetKeys"

' ---- editing ----
Check eng.CreateObject() = "{}" And eng.CreateArray() = "[]", "CreateObject and CreateArray"
Check eng.SetValue("{}", "a", "x") = J("{'a':'x'}"), "SetValue of a string"
Check eng.SetValue("{}", "a", J("{'b':1}")) = J("{'a':'{\'b\':1}'}"), "a string that looks like JSON stays a string"
Check eng.SetValue("[1,2]", "[5]", 9) = "[1,2,null,null,null,9]", "SetValue extends an array"
Check eng.SetValue("{}", "a.b[1]", True) = J("{'a':{'b':[null,true]}}"), "SetValue creates the route"
s = eng.SetValue("[1]", "a", 1)
CheckErr E_INVALIDARG, "JsonSetValue: path expects object but root is array.", "SetValue on an array root"
Check eng.Insert("[1,2]", "", 2, 3) = "[1,2,3]", "Insert at the end"
s = eng.Insert("[1,2]", "", 3, 3)
CheckErr E_BOUNDS, "JsonInsert: index 3 exceeds array length 2.", "Insert past the end"
Check eng.Append("{}", "list", 1) = J("{'list':[1]}"), "Append creates the array"
s = eng.Append(J("{'list':5}"), "list", 1)
CheckErr E_INVALIDARG, "JsonAppend: value at path list is not an array.", "Append to a scalar"
Check eng.Remove(J("{'a':1, 'b':2}"), "b") = J("{'a':1}"), "Remove"
Check eng.Remove(J("{'a':1}"), "zz") = J("{'a':1}"), "Remove of a missing key"
Check eng.Clear(J("{'a':[1,2]}"), "a") = J("{'a':[]}"), "Clear"
s = eng.Clear(J("{'a':[1,2]}"), "a[0]")
CheckErr E_INVALIDARG, "JsonClear: target is a scalar, not a container.", "Clear of a scalar"
Check eng.Merge(J("{'a':{'x':1},'b':1}"), J("{'a':{'y':2},'c':3}"), True) = J("{'a':{'x':1,'y':2},'b':1,'c':3}"), "deep Merge"
Check eng.Merge(J("{'a':{'x':1},'b':1}"), J("{'a':{'y':2},'c':3}"), False) = J("{'a':{'y':2},'b':1,'c':3}"), "shallow Merge"
Check eng.Compact("[1,null, 2,""null""]", "") = "[1,2,""null""]", "Compact"
Check eng.PrettyPrint("[1]") = "[" & vbLf & "  1" & vbLf & "]", "PrettyPrint"
Check eng.Flatten(J("{'a':{'b':1}}")) = J("{'a.b':1}"), "Flatten"
Check eng.Unflatten(J("{'a.b':1}")) = J("{'a':{'b':1}}"), "Unflatten"
Check eng.UnwrapString(J("'a\'b'")) = "a" & q & "b", "UnwrapString"
Check eng.UnwrapString("abc") = "abc", "UnwrapString of plain text"
CheckErr 0, "", "editing"
' A required argument left out is the host's error, not a crash.
s = eng.Merge("{}", "{}")
Check Err.Number <> 0, "Merge without its deep flag must fail"
Err.Clear

' ---- host values ----
Check eng.BuildJson(Array(1, "a", Null)) = J("[1,'a',null]"), "BuildJson of Array(1, ""a"", Null)"
Check eng.BuildJson("He said " & q & "hi" & q) = q & "He said \" & q & "hi\" & q & q, "BuildJson escapes quotes"
Dim d
Set d = CreateObject("Scripting.Dictionary")
d.Add "x", 1
d.Add "y", Array(True, "z")
Check eng.BuildJson(d) = J("{'x':1,'y':[true,'z']}"), "BuildJson of a dictionary: " & eng.BuildJson(d)
Check eng.SetValue("{}", "d", d) = J("{'d':{'x':1,'y':[true,'z']}}"), "SetValue of a dictionary"
r = eng.ToRowArray(J("[{'a':1},{'b':'x'},5]"))
CheckErr 0, "", "ToRowArray"
Check UBound(r, 1) = 3 And UBound(r, 2) = 2, "ToRowArray shape"
Check r(1, 1) = "a" And r(1, 2) = "b" And r(2, 1) = 1 And IsNull(r(2, 2)) And IsNull(r(3, 1)) And r(3, 2) = "x", "ToRowArray cells"
r = eng.ToRowArray("[1,2]")
CheckErr E_INVALIDARG, "JsonToRowArray: no data rows found.", "ToRowArray without objects"

' Handles survive the stateless members untouched.
Check eng.GetValueH(h, "s") = "x", "the document outlives edits"
eng.ReleaseAll
Check eng.CompilePath("x") = 1, "ReleaseAll restarts path numbering"
Set eng = Nothing
