Dim a(2, 3)
For Each e In a : n = n + 1 : Next
ReDim b(1) : b(0) = Array(1, Array(2))
WScript.Echo b(0)(1)(0), UBound(a, 2)
