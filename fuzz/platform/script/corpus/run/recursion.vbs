Function F(n)
  If n < 2 Then F = n Else F = F(n - 1) + F(n - 2)
End Function
WScript.Echo F(12)
