' Builds a text of 200,000 characters one piece at a time.
Dim started, i, text
started = Timer
text = ""
For i = 1 To 200000
    text = text & Chr(65 + i Mod 26)
Next
WScript.Echo "string-building", Round((Timer - started) * 1000), Len(text)
