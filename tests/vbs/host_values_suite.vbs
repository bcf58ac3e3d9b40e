' Host values to JSON as a macro hands them over: dates, currency, singles,
' bytes, Empty, Null, Nothing, script objects, 1-D and 2-D arrays, nested
' dictionaries — through BuildJson and as values of an edit.
Class Customer
    Public Name
End Class

Dim eng, m, d, inner, c
Set eng = CreateObject("Corvane.Json")

Check eng.BuildJson(DateSerial(2024, 2, 29) + TimeSerial(13, 45, 30)) = """2024-02-29T13:45:30.000""", _
      "a date: " & eng.BuildJson(DateSerial(2024, 2, 29) + TimeSerial(13, 45, 30))
Check eng.BuildJson(CDate(0)) = "null", "date zero is null: " & eng.BuildJson(CDate(0))
Check eng.BuildJson(CCur(12.5)) = "12.5000", "currency: " & eng.BuildJson(CCur(12.5))
Check eng.BuildJson(CCur(-0.0001)) = "-0.0001", "small negative currency: " & eng.BuildJson(CCur(-0.0001))
Check eng.BuildJson(CSng(1.5)) = "1.5", "single: " & eng.BuildJson(CSng(1.5))
Check eng.BuildJson(0.1) = "0.10000000000000001", "double 0.1: " & eng.BuildJson(0.1)
Check eng.BuildJson(CByte(200)) = "200", "byte: " & eng.BuildJson(CByte(200))
Check eng.BuildJson(CInt(-7)) = "-7", "integer: " & eng.BuildJson(CInt(-7))
Check eng.BuildJson(Empty) = "null", "Empty: " & eng.BuildJson(Empty)
Check eng.BuildJson(Null) = "null", "Null: " & eng.BuildJson(Null)
Check eng.BuildJson(Nothing) = "null", "Nothing: " & eng.BuildJson(Nothing)
Check eng.BuildJson(False) = "false", "False: " & eng.BuildJson(False)
Check eng.BuildJson("tab" & vbTab & "quote""") = """tab\tquote\""""", "a string is escaped: " & eng.BuildJson("tab" & vbTab & "quote""")
Set c = New Customer
c.Name = "Ana"
Check eng.BuildJson(c) = """[Object]""", "a script object without Keys/Items: " & eng.BuildJson(c)

Check eng.BuildJson(Array()) = "[]", "empty array: " & eng.BuildJson(Array())
Check eng.BuildJson(Array(1, Array("a", Null), True)) = "[1,[""a"",null],true]", "nested arrays: " & eng.BuildJson(Array(1, Array("a", Null), True))

' A 2-D array: rows of cells, as a worksheet range comes.
Dim grid(1, 2)
grid(0, 0) = "id" : grid(0, 1) = "name" : grid(0, 2) = "total"
grid(1, 0) = 7 : grid(1, 1) = "Li" : grid(1, 2) = 12.25
Check eng.BuildJson(grid) = "[[""id"",""name"",""total""],[7,""Li"",12.25]]", "2-D array: " & eng.BuildJson(grid)

Set d = CreateObject("Scripting.Dictionary")
Set inner = CreateObject("Scripting.Dictionary")
inner.Add "city", "Porto"
d.Add "name", "Ana"
d.Add "address", inner
d.Add "tags", Array("vip", 3)
Check eng.BuildJson(d) = "{""name"":""Ana"",""address"":{""city"":""Porto""},""tags"":[""vip"",3]}", _
      "nested dictionaries: " & eng.BuildJson(d)

' The same conversions feed the editing members.
Check eng.SetValue("{}", "when", DateSerial(2000, 1, 1)) = "{""when"":""2000-01-01T00:00:00.000""}", _
      "SetValue of a date: " & eng.SetValue("{}", "when", DateSerial(2000, 1, 1))
Check eng.Append("[]", "", grid) = "[[[""id"",""name"",""total""],[7,""Li"",12.25]]]", "Append of a 2-D array"
Err.Clear
