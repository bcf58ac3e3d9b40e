' Corvane JSON engine: a walk through an order list, written the way a VBA
' macro would use it. Copy any part into a VBA module (Dim the variables, and
' use Debug.Print instead of WScript.Echo).
Option Explicit

Dim json, orders, i, h, p, rows, r, c, line, flat, edited, names

Set json = CreateObject("Corvane.Json")

' 1. Build an order list of our own: 500 orders with customers and items.
Dim customers, products, prices
' Text goes in as JSON string content: \" is an escaped quote.
customers = Array("Zoe Miller", "Ana Luisa", "Jose \""Pepe\"" Garcia", "Li Wei")
products = Array("Keyboard", "Monitor 27\""", "USB-C hub", "Desk lamp")
prices = Array(49.9, 229, 34.5, 19.99)
orders = "{""meta"":{""source"":""orders_demo"",""currency"":""EUR""},""orders"":["
For i = 0 To 499
    If i > 0 Then orders = orders & ","
    orders = orders & "{""id"":" & (1000 + i) & ",""customer"":""" & customers(i Mod 4) & """," & _
             """item"":""" & products(i Mod 4) & """,""qty"":" & (1 + i Mod 3) & "," & _
             """price"":" & Replace(CStr(prices(i Mod 4)), ",", ".") & ",""paid"":" & LCase(CStr(i Mod 5 <> 0)) & "}"
Next
orders = orders & "]}"
WScript.Echo "Built " & Len(orders) & " characters of JSON; valid: " & json.isValid(orders)

' 2. Ask the text directly: no parsing step, nothing to release.
WScript.Echo "Currency:            " & json.GetValue(orders, "meta.currency")
WScript.Echo "Orders:              " & json.count(orders, "orders")
WScript.Echo "First customer:      " & json.GetValue(orders, "orders[0].customer")
WScript.Echo "Keys of an order:    " & json.GetKeys(orders, "orders[0]")
WScript.Echo "Has orders[499]?     " & json.exists(orders, "orders[499]")

' 3. Parse once, then read many values fast through the handle.
h = json.Parse(orders)
Dim total, unpaid
total = 0
unpaid = 0
For i = 0 To json.CountH(h, "orders") - 1
    p = "orders[" & i & "]"
    total = total + json.GetValueH(h, p & ".qty") * json.GetValueH(h, p & ".price")
    If Not json.GetValueH(h, p & ".paid") Then unpaid = unpaid + 1
Next
WScript.Echo "Order value:         " & FormatNumber(total, 2) & " EUR (" & unpaid & " unpaid)"

' Many paths in one call come back as one array.
Dim values
values = json.GetValuesH(h, Array("orders[10].id", "orders[10].customer", "orders[10].item", "nope"))
WScript.Echo "orders[10]:          " & values(0) & ", " & values(1) & ", " & values(2) & ", missing is Empty: " & IsEmpty(values(3))
json.ReleaseHandle h

' 4. Edit the text: set, append, remove. Everything else stays as it was.
edited = json.SetValue(orders, "meta.exported", True)
edited = json.SetValue(edited, "meta.note", "checked by macro")
edited = json.Append(edited, "meta.tags", "demo")
edited = json.Remove(edited, "orders[0]")
WScript.Echo "After edits, meta:   " & json.GetValue(edited, "meta")
WScript.Echo "Orders now:          " & json.count(edited, "orders")

' A failing edit reaches Err with its own message; the input is not changed.
On Error Resume Next
edited = json.SetValue(edited, "meta..broken", 1)
WScript.Echo "Bad path:            Err " & Hex(Err.Number) & " - " & Err.Description
Err.Clear
On Error GoTo 0

' 5. Flatten one order to path = value pairs, and pretty-print it.
flat = json.Flatten(json.GetValue(orders, "orders[2]"))
WScript.Echo "Flattened order:     " & flat
WScript.Echo "Pretty:"
WScript.Echo json.PrettyPrint(json.GetValue(orders, "meta"))

' 6. An array of objects as a 2-D array with a header row (what a worksheet range wants).
rows = json.ToRowArray(json.GetValue(orders, "orders"))
WScript.Echo "Row array:           " & UBound(rows, 1) & " rows x " & UBound(rows, 2) & " columns (1-based, header first)"
For r = 1 To 4
    line = ""
    For c = 1 To UBound(rows, 2)
        If c > 1 Then line = line & " | "
        line = line & rows(r, c)
    Next
    WScript.Echo "  " & line
Next

' 7. And back: host values to JSON.
Dim d
Set d = CreateObject("Scripting.Dictionary")
d.Add "customer", "Ana"
d.Add "items", Array("Keyboard", "Desk lamp")
d.Add "total", 69.5
WScript.Echo "BuildJson:           " & json.BuildJson(d)
WScript.Echo "Done."
