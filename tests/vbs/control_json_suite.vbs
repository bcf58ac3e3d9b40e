' The control's JSON members as a macro sees them, with no browser at all:
' what the control adds to the engine's rules (Null for nothing, the array
' length, LastError / LastErrorCode beside Err, its own size limit).
Const E_INVALIDARG = &H80070057
Const E_FAIL = &H80004005

Dim ctrl, v, s, arr, orders, setMessage
Set ctrl = CreateObject("Corvane.CorvaneCtrl")
Check Err.Number = 0, "create the control: " & Hex(Err.Number)
Err.Clear
orders = "{""orders"":[{""id"":1,""name"":""Zo\u00eb""},{""id"":2}],""n"":null}"

' Queries: Null where nothing is found, 0 / -1 array lengths.
v = ctrl.JsonGetValue(orders, "orders[1].id")
Check v = 2 And VarType(v) = vbLong, "JsonGetValue: " & v & " type " & VarType(v)
Check Len(ctrl.JsonGetValue(orders, "orders[0].name")) = 3, "JsonGetValue decodes escapes"
Check IsNull(ctrl.JsonGetValue(orders, "orders[5]")) And IsNull(ctrl.JsonGetValue("", "a")), "nothing found reads Null"
Check ctrl.JsonGetArrayLength(orders, "orders") = 2, "JsonGetArrayLength"
Check ctrl.JsonGetArrayLength(orders, "n") = -1, "JsonGetArrayLength of a non-array is -1"
Check ctrl.JsonGetArrayLength(orders, "missing") = 0, "JsonGetArrayLength of a missing path is 0"
Check ctrl.JsonGetKeys(orders, "orders[0]") = "[""id"",""name""]", "JsonGetKeys"
Check ctrl.JsonGetArrayItem("[""a"",{""b"" : 1}]", "", 1) = "{""b"" : 1}", "JsonGetArrayItem keeps source text"
Check ctrl.JsonIsValid("[1,]") = False And ctrl.JsonExists(orders, "orders[1].id"), "JsonIsValid, JsonExists"
Check ctrl.JsonCount(orders, "orders") = 2, "JsonCount"

' Edits: new text, host values converted.
s = ctrl.JsonSetValue(ctrl.JsonCreateObject(), "customer.ok", True)
Check s = "{""customer"":{""ok"":true}}", "JsonSetValue builds the path: " & s
s = ctrl.JsonAppend("{""a"":[1]}", "a", "[2]")
Check s = "{""a"":[1,""[2]""]}", "JsonAppend of a string that looks like JSON: " & s

' Failures: Err carries the operation's message and HRESULT; so do LastError
' and LastErrorCode, which then stay through later successful calls.
s = ctrl.JsonSetValue("{}", "a..b", 1)
setMessage = Err.Description
CheckErr E_INVALIDARG, "JsonSetValue: path syntax error.", "JsonSetValue with a bad path"
Check ctrl.LastError = setMessage And ctrl.LastErrorCode = E_INVALIDARG, "LastError after a failed edit: " & ctrl.LastError
v = ctrl.JsonGetValue(orders, "n")
Check ctrl.LastError = setMessage And ctrl.LastErrorCode = E_INVALIDARG, "LastError survives a successful call"
v = ctrl.JsonCount("[1,2,3]", "x")
CheckErr E_INVALIDARG, "JsonCount: path not found.", "JsonCount on a missing path"
Check ctrl.LastError = "JsonCount: path not found.", "JsonCount LastError: " & ctrl.LastError

' Conversions record their message as LastError.
Dim d
Set d = CreateObject("Scripting.Dictionary")
d.Add "name", "Ana"
d.Add "tags", Array(1, Null)
s = ctrl.BuildJson(d)
Check s = "{""name"":""Ana"",""tags"":[1,null]}", "BuildJson of a dictionary: " & s
arr = ctrl.JsonToRowArray("[{""a"":1,""b"":""x""},{""a"":2}]")
Check UBound(arr, 1) = 3 And UBound(arr, 2) = 2, "JsonToRowArray shape " & UBound(arr, 1) & "x" & UBound(arr, 2)
Check arr(1, 2) = "b" And arr(2, 2) = "x" And arr(3, 1) = 2 And IsNull(arr(3, 2)), "JsonToRowArray cells"
CheckErr 0, "", "JsonToRowArray"
arr = ctrl.JsonToRowArray("{""a"":1}")
Check Err.Number <> 0, "JsonToRowArray of an object fails"
Err.Clear
Check ctrl.LastError = "JsonToRowArray: input must be a JSON array.", "JsonToRowArray LastError: " & ctrl.LastError

' JsonToArrayMaxSize: negatives refused and nothing changes; the limit applies.
ctrl.JsonToArrayMaxSize = -1
CheckErr E_INVALIDARG, "", "negative JsonToArrayMaxSize refused"
Check ctrl.JsonToArrayMaxSize = 52428800, "JsonToArrayMaxSize unchanged"
ctrl.JsonToArrayMaxSize = 10
v = ctrl.JsonToArray("[1,2,3]")
CheckErr E_FAIL, "", "JsonToArray above the limit"
Check ctrl.LastError = "JsonToArray: JSON size exceeds JsonToArrayMaxSize.", "JsonToArray LastError: " & ctrl.LastError
ctrl.JsonToArrayMaxSize = 100
Check ctrl.JsonToArray("[1,2,3]") = "[1,2,3]", "JsonToArray hands the text back"
CheckErr 0, "", "JsonToArray"
