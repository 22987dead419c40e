' Err and On Error: what a script sees of its own errors.
On Error Resume Next

' A trapped error fills Err; the script goes on with the next statement.
x = 1 / 0
WScript.Echo Err.Number, Err.Description         ' expect: 11 Division by zero
WScript.Echo Err.Source                          ' expect: Microsoft VBScript runtime error
Err.Clear
WScript.Echo Err.Number, "[" & Err.Description & "]"   ' expect: 0 []
' Err's default property is its number.
x = CInt("x")
WScript.Echo Err, Err = 13                       ' expect: 13 True
Err.Clear

' Err.Raise with the language's own number takes its text; with one of its
' own the script gives source and description.
Err.Raise 9
WScript.Echo Err.Number, Err.Description         ' expect: 9 Subscript out of range
Err.Raise 1234, "Meins", "Eigener Text"
WScript.Echo Err.Number, Err.Source, Err.Description   ' expect: 1234 Meins Eigener Text
Err.Raise vbObjectError + 1
WScript.Echo Err.Number = vbObjectError + 1      ' expect: True
Err.Clear

' An error inside a procedure ends the procedure; the caller's Resume Next
' goes on after the call.
Sub Bad
    WScript.Echo "drin"
    x = 1 / 0
    WScript.Echo "nie"
End Sub
Bad                                              ' expect: drin
WScript.Echo Err.Number                          ' expect: 11
Err.Clear

' A procedure's own On Error Resume Next keeps it running.
Sub Sturdy
    On Error Resume Next
    x = 1 / 0
    WScript.Echo "weiter", Err.Number
End Sub
Sturdy                                           ' expect: weiter 11

' When the condition of an If fails under Resume Next, running resumes with
' the next statement, which is the first one of the Then branch.
If 1 / 0 Then
    WScript.Echo "Then-Zweig"
Else
    WScript.Echo "nie"
End If
' expect: Then-Zweig
If CInt("x") > 5 Then WScript.Echo "auch einzeilig" Else WScript.Echo "nie"   ' expect: auch einzeilig
WScript.Echo Err.Number                          ' expect: 13
Err.Clear
n = 0
If n = 1 Then
    WScript.Echo "nie"
ElseIf 1 / n Then
    WScript.Echo "ElseIf-Zweig"
End If
' expect: ElseIf-Zweig
Err.Clear

' Errors of the library and of objects are trapped alike.
WScript.Jump
WScript.Echo Err.Number                          ' expect: 438
Err.Clear
Set o = Nothing
o.Anything
WScript.Echo Err.Number                          ' expect: 91
Err.Clear
y = 5
y.Anything
WScript.Echo Err.Number                          ' expect: 424
Err.Clear
Undefined 1
WScript.Echo Err.Number                          ' expect: 35
Err.Clear

' Running out of stack is an error like any other: the language's 28.
Function Down(n) : Down = Down(n + 1) : End Function
x = Down(0)
WScript.Echo Err.Number, Err.Description         ' expect: 28 Out of stack space
Err.Clear

' The doors to files, programs and code made at run time stay shut.
Set fs = CreateObject("Scripting.FileSystemObject")
WScript.Echo Err.Number, IsEmpty(fs)             ' expect: 429 True
Err.Clear
Execute "WScript.Echo 1"
WScript.Echo Err.Number                          ' expect: 70
Err.Clear

' On Error GoTo 0 clears Err and lets the next error end the script.
x = 1 / 0
On Error GoTo 0
WScript.Echo Err.Number                          ' expect: 0
x = CByte(300)
WScript.Echo "nie"
' expect error: (98, 1) Microsoft VBScript runtime error: Overflow
