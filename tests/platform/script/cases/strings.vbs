' The string functions. Positions count from 1; comparisons are binary
' (by character code) unless vbTextCompare (1) is given.
s = "Hallo Welt"
WScript.Echo Len(s), Left(s, 3), Right(s, 4), Mid(s, 7), Mid(s, 2, 3), "[" & Mid(s, 20) & "]"   ' expect: 10 Hal Welt Welt all []
WScript.Echo Left(s, 0) = "", Left(s, 99), Right("ab", 5)   ' expect: True Hallo Welt ab

' Searching.
WScript.Echo InStr("abcabc", "c"), InStr(4, "abcabc", "a"), InStr("abc", "C"), InStr(1, "abc", "C", vbTextCompare)   ' expect: 3 4 0 3
WScript.Echo InStr("abc", ""), InStr(5, "abc", "a"), InStrRev("abcabc", "b"), InStrRev("abcabc", "b", 4)   ' expect: 1 0 5 2
WScript.Echo StrComp("a", "B"), StrComp("a", "A", vbTextCompare), StrComp("b", "a"), StrComp("x", "x")   ' expect: 1 0 1 0

' Replace: the result starts where the search starts; a count limits it.
WScript.Echo Replace("a.b.c", ".", "--"), Replace("aAa", "a", "x", 1, -1, vbTextCompare)   ' expect: a--b--c xxx
WScript.Echo Replace("abcabc", "b", "", 3), Replace("aaa", "a", "b", 1, 2), Replace("abc", "", "x")   ' expect: cac bba abc

' Case, trimming (blanks only, not tabs) and building.
WScript.Echo UCase("äbc"), LCase("ÄBC"), "[" & Trim("  x  ") & LTrim(" y ") & RTrim(" z ") & "]"   ' expect: ÄBC äbc [xy  z]
WScript.Echo Len(Trim(vbTab & "x")), "[" & Space(3) & "]", String(3, "ab"), String(2, 65), StrReverse("abc")   ' expect: 2 [   ] aaa AA cba

' Characters in the classic Windows code page: Chr(128) is the euro sign.
WScript.Echo Chr(65) & Chr(228), Asc("A"), Chr(128) = "€", Asc("€"), Asc("abc")   ' expect: Aä 65 True 128 97

' Null passes through most string functions; some refuse it.
WScript.Echo IsNull(Len(Null)), IsNull(Left(Null, 1)), IsNull(UCase(Null)), IsNull(InStr(Null, "a"))   ' expect: True True True True

' Their errors: a negative length or a start before 1 is an invalid
' argument (5); Asc of "" too.
On Error Resume Next
x = Mid("abc", 0) : WScript.Echo Err.Number : Err.Clear          ' expect: 5
x = Left("abc", -1) : WScript.Echo Err.Number : Err.Clear         ' expect: 5
x = Asc("") : WScript.Echo Err.Number : Err.Clear                 ' expect: 5
x = Chr(256) : WScript.Echo Err.Number : Err.Clear                ' expect: 5
x = Space(-1) : WScript.Echo Err.Number : Err.Clear               ' expect: 5
x = StrReverse(Null) : WScript.Echo Err.Number : Err.Clear        ' expect: 94
x = Len() : WScript.Echo Err.Number : Err.Clear                   ' expect: 450

' The named constants of text.
WScript.Echo Len(vbCrLf), vbTab = Chr(9), vbLf = Chr(10), Len(vbNullString), vbNewLine = vbCrLf   ' expect: 2 True True 0 True

' Appending: "s = s & x" keeps the language's order even when x changes s,
' and works on numbers and Null as on text.
Function Change() : s = 5 : Change = "Ende" : End Function
s = "Kopf-" : s = s & Change() : WScript.Echo s   ' expect: Kopf-Ende
t = "" : For i = 1 To 3 : t = t & Chr(64 + i) : Next : WScript.Echo t   ' expect: ABC
n = 5 : n = n & "x" : WScript.Echo n, TypeName(n)   ' expect: 5x String
u = Null : u = u & "v" : WScript.Echo u           ' expect: v
w = "a" : w = w & w & w : WScript.Echo w          ' expect: aaa
