' The numeric functions, and random numbers.
WScript.Echo Abs(-3), Abs(-2.5), TypeName(Abs(-3)), Abs(-32768), TypeName(Abs(-32768))   ' expect: 3 2.5 Integer 32768 Long
WScript.Echo Sgn(-0.1), Sgn(0), Sgn(7), Sqr(16), Sqr(2)                                  ' expect: -1 0 1 4 1.4142135623731
' Round goes half to even, also at a given number of places.
WScript.Echo Round(1.5), Round(2.5), Round(0.5), Round(-1.5), Round(0.125, 2), Round(3.14159, 3)   ' expect: 2 2 0 -2 0.12 3.142
WScript.Echo Int(3.9), Int(-3.1), Fix(-3.9), IsNull(Int(Null)), Int(Empty)               ' expect: 3 -4 -3 True 0
On Error Resume Next
x = Sqr(-1) : WScript.Echo Err.Number : Err.Clear                ' expect: 5
x = Round(1.5, -1) : WScript.Echo Err.Number : Err.Clear         ' expect: 5
On Error GoTo 0

' Rnd with a negative argument, then Randomize with a number, starts the
' same sequence again; Rnd(0) repeats the last number.
Rnd -1 : Randomize 7 : a = Rnd : b = Rnd
Rnd -1 : Randomize 7
WScript.Echo a = Rnd, b = Rnd, Rnd(0) = b, a >= 0 And a < 1, a <> b   ' expect: True True True True True
' Without a seed the first number is the language's documented first one.
WScript.Echo Rnd(-1) = Rnd(-1)                                   ' expect: True
