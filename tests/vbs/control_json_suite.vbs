' The control's JSON members as a macro sees them, with no browser at all:
' queries, edits, conversions, and failures reported through Err and the
' control's LastError / LastErrorCode.
Const E_INVALIDARG = &H80070057
Const E_FAIL = &H80004005

Dim ctrl, v, s, arr
Set ctrl = CreateObject("Corvane.CorvaneCtrl")
Check Err.Number = 0, "create the control: " & Hex(Err.Number)
Err.Clear

Dim orders
orders = "{""orders"":[{""id"":1,""name"":""Zo\u00eb"",""total"":12.5},{""id"":2,""name"":""Li"",""total"":7}],""n"":null}"

' Queries: the control answers Null where nothing is found.
v = ctrl.JsonGetValue(orders, "orders[1].total")
Check v = 7 And VarType(v) = vbLong, "JsonGetValue total: " & v & " type " & VarType(v)
v = ctrl.JsonGetValue(orders, "orders[0].name")
Check Len(v) = 3 And Left(v, 2) = "Zo", "JsonGetValue decodes escapes: " & v
v = ctrl.JsonGetValue(orders, "orders[5]")
Check IsNull(v), "missing path reads Null on the control"
v = ctrl.JsonGetValue("", "a")
Check IsNull(v), "empty json reads Null on the control"
Check ctrl.JsonGetArrayLength(orders, "orders") = 2, "JsonGetArrayLength"
Check ctrl.JsonGetArrayLength(orders, "n") = -1, "JsonGetArrayLength of a non-array is -1"
Check ctrl.JsonGetArrayLength(orders, "missing") = 0, "JsonGetArrayLength of a missing path is 0"
Check ctrl.JsonGetKeys(orders, "orders[0]") = "[""id"",""name"",""total""]", "JsonGetKeys: " & ctrl.JsonGetKeys(orders, "orders[0]")
Check ctrl.JsonGetArrayItem("[""a"",{""b"" : 1}]", "", 1) = "{""b"" : 1}", "JsonGetArrayItem keeps source text"
Check ctrl.JsonIsValid(orders) = True, "JsonIsValid true"
Check ctrl.JsonIsValid("[1,]") = False, "JsonIsValid false"
Check ctrl.JsonExists(orders, "orders[1].id") = True, "JsonExists"
Check ctrl.JsonCount(orders, "orders") = 2, "JsonCount"

' Edits: new text on success.
s = ctrl.JsonSetValue(ctrl.JsonCreateObject(), "customer.name", "Ana")
Check s = "{""customer"":{""name"":""Ana""}}", "JsonSetValue builds the path: " & s
s = ctrl.JsonAppend("{""a"":[1]}", "a", 2.5)
Check s = "{""a"":[1,2.5]}", "JsonAppend a double: " & s
s = ctrl.JsonSetValue("{""ok"":false}", "ok", True)
Check s = "{""ok"":true}", "a VBScript True becomes true: " & s
s = ctrl.JsonSetValue("{""x"":1}", "x", Null)
Check s = "{""x"":null}", "Null becomes null: " & s
s = ctrl.JsonSetValue("{""x"":1}", "x", "[1,2]")
Check s = "{""x"":""[1,2]""}", "a string value is never parsed: " & s

' Failures: Err carries the operation's message and HRESULT; so do LastError
' and LastErrorCode, which then stay through later successful calls.
s = ctrl.JsonSetValue("{}", "a..b", 1)
Check Err.Number = E_INVALIDARG, "bad path Err.Number " & Hex(Err.Number)
Dim setMessage
setMessage = Err.Description
Check Left(setMessage, 14) = "JsonSetValue: ", "bad path Err.Description: " & setMessage
Err.Clear
Check ctrl.LastError = setMessage, "LastError after a failed edit: " & ctrl.LastError
Check ctrl.LastErrorCode = E_INVALIDARG, "LastErrorCode after a failed edit: " & Hex(ctrl.LastErrorCode)
v = ctrl.JsonGetValue(orders, "n")
Check ctrl.LastError = setMessage, "LastError survives a successful call"
Check ctrl.LastErrorCode = E_INVALIDARG, "LastErrorCode survives a successful call"

v = ctrl.JsonCount("[1,2,3]", "x")
CheckErr E_INVALIDARG, "JsonCount: path not found.", "JsonCount on a missing path"
Check ctrl.LastError = "JsonCount: path not found.", "JsonCount LastError: " & ctrl.LastError
v = ctrl.JsonCount("5", "")
CheckErr E_INVALIDARG, "JsonCount: target is not an object or array.", "JsonCount on a scalar"

s = ctrl.JsonMerge("[1]", "{}", False)
CheckErr E_INVALIDARG, "JsonMerge: first argument is not an object.", "JsonMerge of an array"
s = ctrl.JsonInsert("[1,2]", "", -1, 0)
CheckErr E_INVALIDARG, "JsonInsert: negative index.", "JsonInsert negative"

' Conversions record their message as LastError.
s = ctrl.BuildJson(Array(1, "two", True, Null, 2.5))
Check s = "[1,""two"",true,null,2.5]", "BuildJson of an array: " & s
Dim d
Set d = CreateObject("Scripting.Dictionary")
d.Add "name", "Ana"
d.Add "qty", 3
s = ctrl.BuildJson(d)
Check s = "{""name"":""Ana"",""qty"":3}", "BuildJson of a dictionary: " & s

arr = ctrl.JsonToRowArray("[{""a"":1,""b"":""x""},{""a"":2}]")
Check Err.Number = 0, "JsonToRowArray: " & Hex(Err.Number) & " " & ctrl.LastError
Err.Clear
Check UBound(arr, 1) = 3 And UBound(arr, 2) = 2, "JsonToRowArray shape " & UBound(arr, 1) & "x" & UBound(arr, 2)
Check arr(1, 1) = "a" And arr(1, 2) = "b", "JsonToRowArray header row"
Check arr(2, 1) = 1 And arr(2, 2) = "x" And arr(3, 1) = 2 And IsNull(arr(3, 2)), "JsonToRowArray cells"
arr = ctrl.JsonToRowArray("{""a"":1}")
Check Err.Number <> 0, "JsonToRowArray of an object fails"
Err.Clear
Check ctrl.LastError = "JsonToRowArray: input must be a JSON array.", "JsonToRowArray LastError: " & ctrl.LastError

' JsonToArrayMaxSize: negatives refused and nothing changes; the limit applies.
Check ctrl.JsonToArrayMaxSize = 52428800, "JsonToArrayMaxSize default"
ctrl.JsonToArrayMaxSize = -1
Check Err.Number = E_INVALIDARG, "negative JsonToArrayMaxSize refused: " & Hex(Err.Number)
Err.Clear
Check ctrl.JsonToArrayMaxSize = 52428800, "JsonToArrayMaxSize unchanged"
ctrl.JsonToArrayMaxSize = 10
v = ctrl.JsonToArray("[1,2,3]")
Check Err.Number = E_FAIL, "JsonToArray above the limit: " & Hex(Err.Number)
Err.Clear
Check ctrl.LastError = "JsonToArray: JSON size exceeds JsonToArrayMaxSize.", "JsonToArray LastError: " & ctrl.LastError
ctrl.JsonToArrayMaxSize = 100
v = ctrl.JsonToArray("[1,2,3]")
Check Err.Number = 0 And v = "[1,2,3]", "JsonToArray hands the text back: " & v
Err.Clear
