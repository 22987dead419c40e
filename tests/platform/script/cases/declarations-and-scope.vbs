' Declarations, constants, and which variable a name means where.

Dim a, b(2), c()
Const Pi = 3.5, Name = "Kibo", Negative = -2
WScript.Echo Pi * 2, Name, Negative              ' expect: 7 Kibo -2
WScript.Echo IsEmpty(a), UBound(b), IsArray(c)   ' expect: True 2 True
Public p1 : Private p2 : p1 = 1 : p2 = 2
WScript.Echo p1 + p2                             ' expect: 3

' A name assigned inside a procedure without Dim, and never used outside
' before, is the procedure's own local: nothing leaks out, and each call
' starts afresh.
Sub MakesOwn
    leak = leak & "x"
    WScript.Echo "[" & leak & "]"
End Sub
MakesOwn                                         ' expect: [x]
MakesOwn                                         ' expect: [x]
WScript.Echo "[" & leak & "]"                    ' expect: []

' Once the top-level code has assigned a name, a procedure that uses it
' without Dim shares that global.
shared = 1
Sub Bumps
    shared = shared + 1
End Sub
Bumps : Bumps
WScript.Echo shared                              ' expect: 3

' Dim inside a procedure always makes a local, hiding the global.
Sub Hides
    Dim shared
    shared = 100
End Sub
Hides
WScript.Echo shared                              ' expect: 3

' A global declared with Dim exists from the start, wherever the Dim stands.
Sub UsesLater
    later = "gesetzt"
End Sub
UsesLater
WScript.Echo later                               ' expect: gesetzt
Dim later

' Two procedures with the same undeclared name each have their own.
Sub First : mine = 1 : Second : WScript.Echo mine : End Sub
Sub Second : mine = 2 : End Sub
First                                            ' expect: 1

' A function's name is its result variable inside it.
Function Twice(n)
    Twice = n
    Twice = Twice * 2
End Function
WScript.Echo Twice(21)                           ' expect: 42

' A function that never assigns its result returns Empty.
Function Nothing1()
End Function
WScript.Echo IsEmpty(Nothing1())                 ' expect: True

' Constants inside a procedure are its own.
Sub LocalConst
    Const Pi = 3
    WScript.Echo Pi
End Sub
LocalConst                                       ' expect: 3
WScript.Echo Pi                                  ' expect: 3.5

' ReDim of an undeclared name in a procedure makes a local array.
Sub Grows
    ReDim list(3)
    WScript.Echo UBound(list)
End Sub
Grows                                            ' expect: 3
WScript.Echo IsEmpty(list)                       ' expect: True
