' Corvane browser pool: a browser with no form at all, driven the way a VBA
' macro drives one. Copy any part into a VBA module (Dim the variables, and use
' Debug.Print instead of WScript.Echo). Needs a browser: the WebView2 runtime,
' or Chrome, Edge or Chromium installed.
Option Explicit

Dim pool, json, idx, page, answer, total

Set pool = CreateObject("Corvane.BrowserPool")
Set json = CreateObject("Corvane.Json")

' 1. A hidden browser (parent window 0). The blocking calls below wait for it
'    to be ready, pumping messages, so no DoEvents loop is needed.
idx = pool.Create(0, "", 0, 0, 1024, 768)
WScript.Echo "Browser " & idx & " created"

' 2. Load a page with a form. NavigateSync(idx, url) loads a web address the same way.
page = "<html><head><title>Order form</title></head><body><form id='order'>" & _
       "<input id='item' value='Desk lamp'><input id='qty' value='1'>" & _
       "<input id='price' value='19.99'><span id='total'></span></form></body></html>"
On Error Resume Next
pool.NavigateToStringSync idx, page
If Err.Number <> 0 Then
    WScript.Echo "The page did not load: " & Err.Description & " " & pool.GetLastError(idx)
    WScript.Quit 1
End If
On Error GoTo 0
WScript.Echo "Title:    " & pool.GetTitle(idx)

' 3. Fill the form with the DOM commands (any text is safe: it is escaped into
'    the page's script), then let the page compute. Answers come back as JSON text.
pool.SetElementValueById idx, "qty", "3"
pool.SetElementValueById idx, "item", "Desk lamp ""Lumi"" (it's brass)"
WScript.Echo "Item:     " & pool.GetElementValueById(idx, "item") & "   (JSON text)"
total = pool.ExecuteScript(idx, _
    "(function () { var t = (Number(qty.value) * Number(price.value)).toFixed(2);" & _
    " document.getElementById('total').textContent = t; return t; })()")
WScript.Echo "Total:    " & total & "   (a JSON string)"

' 4. Read several values in one call and take them apart with the JSON engine.
answer = pool.ExecuteScript(idx, _
    "({ title: document.title, fields: Array.from(document.querySelectorAll('input')).map(function (i) {" & _
    " return { id: i.id, value: i.value }; }), total: document.getElementById('total').textContent })")
WScript.Echo "Fields:   " & json.count(answer, "fields")
WScript.Echo "Item:     " & json.GetValue(answer, "fields[0].value")
WScript.Echo "Quantity: " & json.GetValue(answer, "fields[1].value")
WScript.Echo "Total:    " & json.GetValue(answer, "total")

' 5. Close everything: the browser process ends with its last browser.
pool.Destroy idx
WScript.Echo "Browsers left: " & pool.GetBrowserCount()
