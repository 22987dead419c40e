' Subs and Functions: passing by reference and by value, the call forms,
' recursion.

' Parameters are ByRef unless declared ByVal.
Sub Twice(ByRef a, ByVal b, c)
    a = a * 2 : b = b * 2 : c = c * 2
End Sub
x = 3 : y = 4 : z = 5
Twice x, y, z
WScript.Echo x, y, z                             ' expect: 6 4 10

' How the call is written decides what passes by reference: a statement
' call and Call pass the variable; an argument in its own parentheses is an
' expression, passed by value.
Sub Bump(v) : v = v + 1 : End Sub
a = 1 : Bump a : WScript.Echo a                  ' expect: 2
Call Bump(a) : WScript.Echo a                    ' expect: 3
Bump (a) : WScript.Echo a                        ' expect: 3
Bump a + 0 : WScript.Echo a                      ' expect: 3
' A function call's result may be dropped; its arguments still pass ByRef.
Function BumpAndTell(v) : v = v + 10 : BumpAndTell = v : End Function
Call BumpAndTell(a) : WScript.Echo a             ' expect: 13
r = BumpAndTell(a) : WScript.Echo a, r           ' expect: 23 23

' Array elements pass by reference too.
Dim arr(2)
arr(1) = 10
Bump arr(1) : Bump (arr(1))
WScript.Echo arr(1)                              ' expect: 11

' A procedure may be used before the text defines it.
WScript.Echo Later(2)                            ' expect: 4
Function Later(n) : Later = n * n : End Function

' Functions without arguments are called with or without parentheses.
Function Answer() : Answer = 42 : End Function
WScript.Echo Answer, Answer()                    ' expect: 42 42

' Recursion, with Exit Function.
Function Fact(n)
    If n <= 1 Then
        Fact = 1
        Exit Function
    End If
    Fact = n * Fact(n - 1)
End Function
WScript.Echo Fact(10)                            ' expect: 3628800

' Recursion a thousand levels deep and more runs; only running out of the
' stack itself stops a script (see the errors case).
Function Depth(n)
    If n = 0 Then Depth = 0 Else Depth = 1 + Depth(n - 1)
End Function
WScript.Echo Depth(1000), Depth(1500)            ' expect: 1000 1500

' Mutual recursion.
Function IsEven(n) : If n = 0 Then IsEven = True Else IsEven = IsOdd(n - 1)
End Function
Function IsOdd(n) : If n = 0 Then IsOdd = False Else IsOdd = IsEven(n - 1)
End Function
WScript.Echo IsEven(10), IsOdd(7)                ' expect: True True

' A ByRef parameter that is changed is seen by the caller at once, even
' when the procedure goes on.
total = 0
Sub AddTwice(ByRef t)
    t = t + 1
    WScript.Echo total
    t = t + 1
End Sub
AddTwice total                                   ' expect: 1
WScript.Echo total                               ' expect: 2

' Calling with the wrong number of arguments is an error, trapped here.
On Error Resume Next
Twice 1, 2
WScript.Echo Err.Number                          ' expect: 450
