' The conversion functions, their results and their errors: 6 (Overflow)
' past the target's range, 13 (Type mismatch) for text that is no number,
' 94 (Invalid use of Null) for Null.
On Error Resume Next

' Rounding to whole numbers goes half to even, as the language documents
' for CInt and CLng ("banker's rounding").
WScript.Echo CInt(2.5), CInt(3.5), CInt(-2.5), CLng(-3.5), CInt("12"), CLng(" 7 ")   ' expect: 2 4 -2 -4 12 7
WScript.Echo TypeName(CInt(1)), TypeName(CLng(1)), TypeName(CDbl(1)), TypeName(CByte(1)), TypeName(CStr(1)), TypeName(CBool(1))   ' expect: Integer Long Double Byte String Boolean
WScript.Echo CDbl("2.5"), CDbl("1e3"), CDbl(True), CDbl(Empty), CDbl("&HFF")   ' expect: 2.5 1000 -1 0 255

x = CInt(32767) : WScript.Echo Err.Number : Err.Clear        ' expect: 0
x = CInt(32768) : WScript.Echo Err.Number : Err.Clear        ' expect: 6
x = CInt(-32769) : WScript.Echo Err.Number : Err.Clear       ' expect: 6
x = CLng(2147483648) : WScript.Echo Err.Number : Err.Clear   ' expect: 6
x = CByte(256) : WScript.Echo Err.Number : Err.Clear         ' expect: 6
x = CByte(-1) : WScript.Echo Err.Number : Err.Clear          ' expect: 6
x = CInt("abc") : WScript.Echo Err.Number : Err.Clear        ' expect: 13
x = CLng("") : WScript.Echo Err.Number : Err.Clear           ' expect: 13
x = CDbl("1,2,3") : WScript.Echo Err.Number : Err.Clear      ' expect: 13
x = CBool("vielleicht") : WScript.Echo Err.Number : Err.Clear   ' expect: 13
x = CDate("kein Datum") : WScript.Echo Err.Number : Err.Clear   ' expect: 13
x = CInt(Array(1)) : WScript.Echo Err.Number : Err.Clear     ' expect: 13
x = CStr(Null) : WScript.Echo Err.Number : Err.Clear         ' expect: 94
x = CInt(Null) : WScript.Echo Err.Number : Err.Clear         ' expect: 94
x = CBool(Null) : WScript.Echo Err.Number : Err.Clear        ' expect: 94

' CBool: numbers are true unless zero; the texts True and False in any case.
WScript.Echo CBool("true"), CBool("FALSE"), CBool(0), CBool("2"), CBool(-0.1), CBool(Empty)   ' expect: True False False True True False
' CStr: Booleans as True/False, Empty as "", numbers as the shortest text.
WScript.Echo CStr(True), "[" & CStr(Empty) & "]", CStr(0.1 + 0.2), CStr(1 / 3), CStr(1E+20), CStr(-0.5)   ' expect: True [] 0.3 0.333333333333333 1E+20 -0.5
' CDate reads German dates, ISO dates and times of day.
WScript.Echo CDate("24.12.2023"), CDate("2023-12-24 18:30:00"), CDate("13:45:30")   ' expect: 24.12.2023 24.12.2023 18:30:00 13:45:30
WScript.Echo CDbl(CDate("31.12.1899")), CDate(45000)         ' expect: 1 15.03.2023

' Int rounds down, Fix towards zero; both keep the kind of a Double.
WScript.Echo Int(-2.5), Fix(-2.5), Int(3.9), TypeName(Int(3.9)), TypeName(Int(3))   ' expect: -3 -2 3 Double Integer

' Hex and Oct write the bits of Integers in 16, of Longs in 32.
WScript.Echo Hex(255), Hex(-1), Hex(65536), Oct(8), Hex(-2147483648), Hex(CLng(-1))   ' expect: FF FFFF 10000 10 80000000 FFFFFFFF

' Asking what a value is.
Dim arr(1)
WScript.Echo IsNumeric("1.5"), IsNumeric("x"), IsNumeric(Empty), IsNumeric(Null), IsNumeric(" 3 ")   ' expect: True False True False True
WScript.Echo IsArray(arr), IsObject(WScript), IsEmpty(notSet), IsNull(Null), IsDate("24.12.2023"), IsDate("x"), IsDate(5)   ' expect: True True True True True False False
WScript.Echo TypeName(arr), TypeName(CByte(3)), TypeName(Nothing), TypeName(Now), TypeName(Null), TypeName(Empty), TypeName("s")   ' expect: Variant() Byte Nothing Date Null Empty String
WScript.Echo VarType("s"), VarType(arr), VarType(Empty), VarType(1), VarType(Null), VarType(1.5), VarType(True), VarType(Now)   ' expect: 8 8204 0 2 1 5 11 7

' Named constants for boxes and kinds.
WScript.Echo vbYesNo + vbQuestion, vbString, vbOK, vbCancel, vbYes, vbNo, vbTrue, vbFalse   ' expect: 36 8 1 2 6 7 -1 0
