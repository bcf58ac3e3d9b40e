' Host values as only a script hands them over: variables passed by
' reference, the script's own Date, Currency and Single, Nothing, an object
' of a script class, nested script arrays and a 2-D Dim array. The
' conversion rules themselves are tested in C++.
Class Customer
    Public Name
End Class

Dim eng, c, when, grid(1, 1), got
Set eng = CreateObject("Corvane.Json")
Set c = New Customer
when = DateSerial(2024, 2, 29) + TimeSerial(13, 45, 30)
grid(0, 0) = "id" : grid(0, 1) = "name"
grid(1, 0) = 7 : grid(1, 1) = CCur(-0.0001)
got = eng.BuildJson(Array(when, CSng(1.5), Nothing, c, Array("a", Null), grid))
Check got = "[""2024-02-29T13:45:30.000"",1.5,null,""[Object]"",[""a"",null],[[""id"",""name""],[7,-0.0001]]]", _
      "script values: " & got
got = eng.SetValue("{}", "when", when)
Check got = "{""when"":""2024-02-29T13:45:30.000""}", "a Date variable as an edit's value: " & got
CheckErr 0, "", "host values"
