' Literals, comments, statement separators and line continuations.

' Comments: the apostrophe, and Rem as a statement of its own.
Rem a remark
x = 1 : y = 2 ' two statements on one line
REM in capitals too
WScript.Echo x + _
    y                                            ' expect: 3
WScript.Echo "a" & _
    "b" & _
    "c"                                          ' expect: abc

' Numbers: decimal, fractions without a leading digit, exponents, hex and
' octal. Hex literals are machine words: &HFFFF is the Integer -1, and
' &H8000& with the Long suffix stays 32768.
WScript.Echo 255, &HFF, &hff, &O17, .25, 1.5E3, 1E-2   ' expect: 255 255 255 15 0.25 1500 0.01
WScript.Echo &HFFFF, &H7FFF, &HFFFFFFFF, &H8000&       ' expect: -1 32767 -1 32768
WScript.Echo TypeName(1), TypeName(40000), TypeName(1.0), TypeName(3000000000)   ' expect: Integer Long Double Double

' Strings: a doubled quote is one quote; no other escapes exist.
WScript.Echo "Hallo ""Welt"""                    ' expect: Hallo "Welt"
WScript.Echo """", Len(""""), Len("")           ' expect: " 1 0
WScript.Echo "C:\Pfad\n"                         ' expect: C:\Pfad\n
WScript.Echo "Grüße, €"                          ' expect: Grüße, €

' Keywords and names ignore letter case; [brackets] make any text a name.
DIM Wert : wert = 7 : WScript.Echo WERT         ' expect: 7
[eine Zahl] = 42 : WScript.Echo [eine Zahl]      ' expect: 42
iF TRUE tHEN wscript.ECHO "ja"                   ' expect: ja

' Literal constants.
WScript.Echo True, False, IsEmpty(Empty), IsNull(Null), Nothing Is Nothing   ' expect: True False True True True

' A colon may start a line or repeat; blank lines and tabs are nothing.
:: WScript.Echo	"tab"                             ' expect: tab

' A continuation joins the next line even inside an argument list.
WScript.Echo Left("abcdef", _
                  3)                             ' expect: abc
