' Every control-flow statement.

' If, ElseIf, Else; the one-line form with colons and Else; nesting.
For i = 1 To 3
    If i = 1 Then
        WScript.Echo "eins"
    ElseIf i = 2 Then
        WScript.Echo "zwei"
    Else
        WScript.Echo "mehr"
    End If
Next
' expect: eins
' expect: zwei
' expect: mehr
x = 5
If x > 3 Then WScript.Echo "a" : WScript.Echo "b" Else WScript.Echo "c"
' expect: a
' expect: b
If x < 3 Then WScript.Echo "d" Else WScript.Echo "e" : WScript.Echo "f"
' expect: e
' expect: f
If x > 1 Then If x > 5 Then WScript.Echo "groß" Else WScript.Echo "mittel"
' expect: mittel
' A Null condition counts as false.
If Null Then WScript.Echo "nie" Else WScript.Echo "Null ist nicht wahr"   ' expect: Null ist nicht wahr

' Select Case: lists of values, strings, Else; the first match wins and
' nothing falls through.
For Each v In Array(1, 4, "x", 9, 2)
    Select Case v
        Case 1, 2, 3
            WScript.Echo v & " klein"
        Case 4: WScript.Echo "vier"
        Case "x"
            WScript.Echo "ix"
        Case 2
            WScript.Echo "nie erreicht"
        Case Else
            WScript.Echo "sonst " & v
    End Select
Next
' expect: 1 klein
' expect: vier
' expect: ix
' expect: sonst 9
' expect: 2 klein
' A case may be any expression, compared with "=".
n = 10
Select Case True
    Case n < 5: WScript.Echo "unter 5"
    Case n < 20: WScript.Echo "unter 20"
End Select
' expect: unter 20
' Without a match and without Else nothing runs.
Select Case "z"
    Case "a": WScript.Echo "nie"
End Select

' Do ... Loop in all four forms, and without a condition until Exit Do.
i = 0 : Do While i < 2 : i = i + 1 : Loop : WScript.Echo i          ' expect: 2
Do Until i = 5 : i = i + 1 : Loop : WScript.Echo i                  ' expect: 5
Do : i = i + 1 : Loop While i < 3 : WScript.Echo i                  ' expect: 6
Do : i = i - 1 : Loop Until i <= 0 : WScript.Echo i                 ' expect: 0
Do
    i = i + 1
    If i = 4 Then Exit Do
Loop
WScript.Echo i                                   ' expect: 4
' A loop that tests first may not run at all; one that tests last runs once.
Do While False : WScript.Echo "nie" : Loop
Do : WScript.Echo "einmal" : Loop While False    ' expect: einmal

' While ... Wend.
n = 3
While n > 0
    WScript.Echo n
    n = n - 1
Wend
' expect: 3
' expect: 2
' expect: 1

' For with Step; the counter after the loop is the first value past the end.
For i = 10 To 1 Step -3 : WScript.Echo i : Next
' expect: 10
' expect: 7
' expect: 4
' expect: 1
WScript.Echo i                                   ' expect: -2
For j = 1 To 0 : WScript.Echo "nie" : Next
WScript.Echo j                                   ' expect: 1
For k = 0.5 To 1.5 Step 0.5 : WScript.Echo k : Next
' expect: 0.5
' expect: 1
' expect: 1.5
' The bounds are evaluated once, before the first turn.
limit = 2
For i = 1 To limit : limit = 10 : Next
WScript.Echo i                                   ' expect: 3
' Next may name its counter.
For i = 1 To 2
Next i
WScript.Echo i                                   ' expect: 3

' For Each over an array, and Exit For.
For Each s In Split("a b c d")
    If s = "c" Then Exit For
    WScript.Echo s
Next
' expect: a
' expect: b

' Exit leaves only its own loop.
k = 0
For i = 1 To 2
    Do
        k = k + 1
        If k Mod 2 = 0 Then Exit Do
    Loop
    For j = 1 To 9 : If j = 2 Then Exit For
    Next
    WScript.Echo i & j & k
Next
' expect: 122
' expect: 224

' Exit Sub and Exit Function leave the procedure at once.
Sub Early(flag)
    If flag Then Exit Sub
    WScript.Echo "zu Ende"
End Sub
Early True
Early False                                      ' expect: zu Ende
Function Sign(n)
    Sign = 0
    If n > 0 Then Sign = 1 : Exit Function
    If n < 0 Then Sign = -1
End Function
WScript.Echo Sign(5), Sign(-5), Sign(0)          ' expect: 1 -1 0
