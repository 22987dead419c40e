' A recursive function: fib(27) makes about 320,000 calls.
Function Fib(n)
    If n < 2 Then
        Fib = n
    Else
        Fib = Fib(n - 1) + Fib(n - 2)
    End If
End Function

Dim started, result
started = Timer
result = Fib(27)
WScript.Echo "recursion", Round((Timer - started) * 1000), result
