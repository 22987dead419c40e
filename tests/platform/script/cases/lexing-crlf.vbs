' A file with CR LF line ends, as Windows editors save it.
x = 1 + _
    2
WScript.Echo x   ' expect: 3
If x = 3 Then
    WScript.Echo "drei"   ' expect: drei
End If
WScript.Echo Len(vbCrLf), Asc(Right(vbCrLf, 1))   ' expect: 2 10
' The last line ends without a line break.
WScript.Echo "Ende"   ' expect: Ende