' The console host's WScript object.

' Echo writes its arguments joined by one blank, as many as it is given.
WScript.Echo "Hallo", 1 + 1, True, 2.5, "Grüße"    ' expect: Hallo 2 True 2.5 Grüße
WScript.Echo                                         ' expect:
WScript.Echo 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12  ' expect: 1 2 3 4 5 6 7 8 9 10 11 12
WScript.Echo Empty, "nach leer"                      ' expect:  nach leer
WScript.Echo #12/24/2023#, #12/24/2023 18:30:00#     ' expect: 24.12.2023 24.12.2023 18:30:00
WScript.Echo WScript.ScriptName                      ' expect: echo-and-quit.vbs
Call WScript.Echo("mit Call", "und Klammern")        ' expect: mit Call und Klammern

' Quit ends the script at once, with its exit code.
WScript.Quit 3
WScript.Echo "nie"
' expect exit: 3
