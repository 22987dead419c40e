' A numeric loop of two million iterations.
Dim started, i, total
started = Timer
total = 0
For i = 1 To 2000000
    total = total + i Mod 7
Next
WScript.Echo "numeric-loop", Round((Timer - started) * 1000), total
