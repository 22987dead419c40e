' A syntax error anywhere runs nothing, not even the lines before it.
WScript.Echo "nie"
For i = 1 To 3
    x = (1 + )
Next
' expect error: (4, 14) Microsoft VBScript compilation error: Expected expression
