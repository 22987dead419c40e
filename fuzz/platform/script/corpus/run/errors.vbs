On Error Resume Next
If 1 / 0 Then x = CInt("a")
Err.Raise 5
s = "" : Do : s = s & "ab" : Loop Until Len(s) > 100
t = "v" : Kibo.Twice t : Kibo.Count n : Kibo.Value = Now
