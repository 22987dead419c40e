' With Option Explicit every name must be declared; using one that is not
' stops the script with "Variable is undefined" where it is used.
Option Explicit
Dim known
known = 1
WScript.Echo known                               ' expect: 1
Sub Uses
    Dim inside
    inside = 2
    WScript.Echo inside
End Sub
Uses                                             ' expect: 2
unknown = 3
WScript.Echo "nie"
' expect error: (13, 1) Microsoft VBScript runtime error: Variable is undefined
