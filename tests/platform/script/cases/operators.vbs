' The operators: precedence, the subtype of each result, and how integer
' results widen instead of overflowing.

' Precedence, tightest first: ^, unary -, * /, \, Mod, + -, &, comparisons,
' Not, And, Or, Xor, Eqv, Imp. Operators of one level work from the left.
WScript.Echo 2 + 3 * 4 ^ 2, -2 ^ 2, 2 ^ -1, 2 ^ 3 ^ 2   ' expect: 50 -4 0.5 64
WScript.Echo 10 \ 3 * 2, 7 Mod 3 * 2, 10 - 4 - 3, 64 / 4 / 2   ' expect: 1 1 3 8
WScript.Echo 1 + 2 & 3 + 4, 5 Mod 3 + 1, -3 Mod 2        ' expect: 37 3 -1
WScript.Echo Not 1 = 2, True Or False And False, True Xor True Or True   ' expect: True True False
WScript.Echo 1 < 2 = True, Not Not 5                     ' expect: True 5

' Results take the narrowest type that holds them: Integer + Integer is an
' Integer until it overflows into a Long, a Long into a Double.
WScript.Echo TypeName(1 + 1), TypeName(32767 + 1), TypeName(2147483647 + 1)   ' expect: Integer Long Double
WScript.Echo TypeName(-32768 - 1), TypeName(200 * 200), TypeName(50000 * 50000)   ' expect: Long Long Double
WScript.Echo TypeName(CByte(1) + CByte(1)), TypeName(CByte(200) + CByte(100)), TypeName(True + True)   ' expect: Byte Integer Integer
WScript.Echo TypeName(4 / 2), TypeName(2 ^ 2), TypeName(1.5 + 1), TypeName(7 \ 2), TypeName(7.5 \ 2)   ' expect: Double Double Double Integer Long
WScript.Echo 32767 + 1, 2147483647 + 1, -(-32768)        ' expect: 32768 2147483648 32768

' Division: / always gives a Double; \ and Mod round their operands to
' whole numbers first (half to even) and truncate towards zero.
WScript.Echo 7 / 2, 7 \ 2, -7 \ 2, 7 Mod -3, -7 Mod 3, 7.6 \ 2, 6.5 Mod 4   ' expect: 3.5 3 -3 1 -1 4 2

' + adds numbers and joins two strings; & always joins.
WScript.Echo "1" + 2, "1" + "2", 1 & 2, "a" + Empty, TypeName("1" + 2)   ' expect: 3 12 12 a Double

' Empty counts as 0 or as ""; Null spreads through arithmetic and
' comparisons, but & treats it as "".
WScript.Echo Empty + 1, TypeName(Empty + Empty), "a" & Null, Empty = 0, Empty = ""   ' expect: 1 Integer a True True
WScript.Echo IsNull(Null + 1), IsNull(Null = 1), IsNull(-Null), IsNull(Null & Null)   ' expect: True True True True

' Logic with Null is three-valued: the result is Null unless the other
' operand settles it alone.
WScript.Echo False And Null, TypeName(True And Null), TypeName(Null And Null)   ' expect: False Null Null
WScript.Echo True Or Null, TypeName(False Or Null), TypeName(Not Null)          ' expect: True Null Null
WScript.Echo TypeName(True Xor Null), TypeName(Null Eqv False)                 ' expect: Null Null
WScript.Echo False Imp Null, TypeName(True Imp Null), Null Imp True, TypeName(Null Imp False)   ' expect: True Null True Null
' On numbers, bit by bit: 0 And Null is 0, -1 Or Null is -1.
WScript.Echo 0 And Null, -1 Or Null, TypeName(5 And Null)                       ' expect: 0 -1 Null

' On numbers the logical operators work on the bits.
WScript.Echo 12 And 10, 12 Or 3, 6 Xor 3, Not 0, Not 5, 5 Eqv 3, 0 Imp 5   ' expect: 8 15 5 -1 -6 -7 -1
WScript.Echo True Eqv False, False Imp False, TypeName(1 And True)           ' expect: False True Integer

' Comparisons: strings by character code, numbers by value; a number in a
' string compares as text with a string, as a number with a number.
WScript.Echo "a" < "b", "B" < "a", "x" <> "X", "abc" < "abd", "" < "a"   ' expect: True True True True True
WScript.Echo 10 > 9, "10" > "9", 3 = 3.0, 1 = True, -1 = True            ' expect: True False True False True
' A number is less than any string: the language compares a number and a
' string by kind, not by what the string spells.
WScript.Echo "10" > 9, "10" = 10                                          ' expect: True False

' Numbers written in strings count as numbers in arithmetic.
WScript.Echo " 12 " * 2, "1e2" - 1, "&H10" + 0, "-1.5" * 2                ' expect: 24 99 16 -3

' Is compares object references; Set assigns one.
Set o = WScript
WScript.Echo o Is WScript, Nothing Is Nothing                            ' expect: True True
Set o = Nothing
WScript.Echo o Is Nothing, TypeName(o)                                   ' expect: True Nothing

' Booleans count as -1 and 0.
WScript.Echo True + 1, False - 1, CInt(True)                             ' expect: 0 -1 -1

' Overflow of a Double, and division by zero, are errors.
On Error Resume Next
x = 1E308 * 10
WScript.Echo Err.Number : Err.Clear                                       ' expect: 6
x = 1 / 0
WScript.Echo Err.Number : Err.Clear                                       ' expect: 11
x = 5 Mod 0
WScript.Echo Err.Number : Err.Clear                                       ' expect: 11
x = (-8) ^ 0.5
WScript.Echo Err.Number : Err.Clear                                       ' expect: 5
x = "abc" * 2
WScript.Echo Err.Number : Err.Clear                                       ' expect: 13
