' Arrays: fixed and dynamic, several dimensions, bounds, ReDim, Erase,
' copying, and For Each.

Dim fixed(2), grid(1, 2)
fixed(2) = "z" : grid(1, 2) = 7
WScript.Echo UBound(fixed), UBound(grid), UBound(grid, 1), UBound(grid, 2), LBound(grid, 2)   ' expect: 2 1 1 2 0
WScript.Echo fixed(2) & grid(1, 2), IsEmpty(fixed(0))    ' expect: z7 True

' For Each visits the elements in memory order: the first index changes
' fastest (a(0,0), a(1,0), a(0,1), ...), as the language stores arrays.
Dim m(1, 2)
For c = 0 To 2
    For r = 0 To 1
        m(r, c) = r & c
    Next
Next
line = ""
For Each e In m : line = line & e & " " : Next
WScript.Echo Trim(line)                          ' expect: 00 10 01 11 02 12
Dim cube(1, 1, 1)
n = 0
For Each e In cube : n = n + 1 : Next
WScript.Echo n                                   ' expect: 8

' ReDim and ReDim Preserve; Preserve keeps what fits and may change only the
' last dimension.
Dim d()
ReDim d(1) : d(0) = "k" : d(1) = "l"
ReDim Preserve d(3)
WScript.Echo d(0) & d(1), UBound(d), IsEmpty(d(3))   ' expect: kl 3 True
ReDim Preserve d(0)
WScript.Echo d(0), UBound(d)                     ' expect: k 0
ReDim d(0)
WScript.Echo IsEmpty(d(0))                       ' expect: True
ReDim t(2, 3)
t(1, 1) = "x" : t(2, 3) = "y"
ReDim Preserve t(2, 5)
WScript.Echo t(1, 1) & t(2, 3), UBound(t, 2), IsEmpty(t(2, 5))   ' expect: xy 5 True
On Error Resume Next
ReDim Preserve t(3, 5)
WScript.Echo Err.Number                          ' expect: 9
Err.Clear
ReDim fixed(5)
WScript.Echo Err.Number                          ' expect: 10
Err.Clear
x = fixed(3)
WScript.Echo Err.Number                          ' expect: 9
Err.Clear
x = grid(1)
WScript.Echo Err.Number                          ' expect: 9
On Error GoTo 0

' An empty array: ReDim a(-1), Array() and Split("") have UBound -1.
ReDim none(-1)
WScript.Echo UBound(none), UBound(Array()), UBound(Split(""))   ' expect: -1 -1 -1

' Erase empties a fixed array and frees a dynamic one, which then has no
' bounds at all until the next ReDim.
fixed(0) = 3 : Erase fixed : WScript.Echo IsEmpty(fixed(0)), UBound(fixed)   ' expect: True 2
ReDim gone(3) : Erase gone
On Error Resume Next
x = UBound(gone) : WScript.Echo Err.Number, IsArray(gone)                     ' expect: 9 True
On Error GoTo 0
ReDim gone(1) : WScript.Echo UBound(gone)                                     ' expect: 1

' Assigning an array copies it.
a = Array(1, 2) : b = a : b(0) = 9
WScript.Echo a(0) & b(0)                         ' expect: 19

' Arrays inside arrays; indexing a call's result.
nested = Array(Array("a", "b"), Array("c"))
WScript.Echo nested(0)(1), UBound(nested(1))     ' expect: b 0
Function Pair() : Pair = Array("x", "y") : End Function
WScript.Echo Pair()(1), Split("p q")(1)          ' expect: y q

' Array, Split, Join and Filter.
parts = Split("x,y,,z", ",")
WScript.Echo UBound(parts), Join(parts, "+")     ' expect: 3 x+y++z
WScript.Echo Join(Split("a b c", " ", 2), "|")   ' expect: a|b c
WScript.Echo Join(Split("aXbxc", "x", -1, vbTextCompare), "|")   ' expect: a|b|c
WScript.Echo Join(Filter(Array("ab", "cd", "xb"), "b"))          ' expect: ab xb
WScript.Echo Join(Filter(Array("ab", "cd"), "b", False))         ' expect: cd
WScript.Echo Join(Array(1, 2.5, True, Empty), ",")               ' expect: 1,2.5,True,
