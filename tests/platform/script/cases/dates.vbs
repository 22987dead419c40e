' Dates: literals, the date functions, and dates as text. Dates are shown
' the German way (day.month.year), as the companion shows its users; a date
' without a time shows no time, a time on the first day of the count
' (30.12.1899) shows no date.

' Date literals are read the same everywhere: month/day/year, year-month-day,
' day.month.year or with an English month name, with or without a time.
WScript.Echo #12/24/2023#, #2023-12-24#, #24.12.2023#, #December 24, 2023#, #24 Dec 2023#   ' expect: 24.12.2023 24.12.2023 24.12.2023 24.12.2023 24.12.2023
WScript.Echo #2024-02-29 13:05:00#, #12/24/2023 6:30 PM#, #18:30:15#, #12:00 AM#, #0:30#   ' expect: 29.02.2024 13:05:00 24.12.2023 18:30:00 18:30:15 00:00:00 00:30:00
' They cover the language's whole range of years, 100 to 9999; one or two
' digits mean 1930 to 2029.
WScript.Echo #1/1/100#, Year(#1/1/100#), CDbl(#1/1/100#), #12/31/9999#, CDbl(#12/31/9999#)   ' expect: 01.01.0100 100 -657434 31.12.9999 2958465
WScript.Echo Year(#1/1/29#), Year(#1/1/30#), Year(#1/1/99#), Year(#1/1/1066#)   ' expect: 2029 1930 1999 1066
' A first number above 12 is the day.
WScript.Echo #13/1/2000#                         ' expect: 13.01.2000

' The parts of a date.
d = #7/14/1789 16:05:09#
WScript.Echo Day(d), Month(d), Year(d), Hour(d), Minute(d), Second(d), Weekday(d)   ' expect: 14 7 1789 16 5 9 3
WScript.Echo Weekday(#1/1/2024#), Weekday(#1/1/2024#, vbMonday), TypeName(Day(d))   ' expect: 2 1 Integer

' Arithmetic: whole numbers are days, fractions the time of day.
WScript.Echo #12/31/2023# + 1, #1/1/2024# - #12/25/2023#, TypeName(#1/1/2024# + 1), TypeName(#1/1/2024# - #1/1/2023#)   ' expect: 01.01.2024 7 Date Double
WScript.Echo #1/1/2024# + 0.5, CDbl(#12/30/1899#), CDbl(#1/1/1900#)   ' expect: 01.01.2024 12:00:00 0 2

' DateAdd keeps to the end of a shorter month; DateDiff counts boundaries.
WScript.Echo DateAdd("m", 1, #1/31/2024#), DateAdd("yyyy", 1, #2/29/2024#), DateAdd("d", -1, #3/1/2024#)   ' expect: 29.02.2024 28.02.2025 29.02.2024
WScript.Echo DateAdd("h", 25, #1/1/2024#), DateAdd("n", 90, #1/1/2024#), DateAdd("s", -1, #1/1/2024#), DateAdd("ww", 2, #1/1/2024#)   ' expect: 02.01.2024 01:00:00 01.01.2024 01:30:00 31.12.2023 23:59:59 15.01.2024
WScript.Echo DateDiff("d", #1/1/2024#, #3/1/2024#), DateDiff("m", #1/31/2024#, #2/1/2024#), DateDiff("yyyy", #12/31/2023#, #1/1/2024#)   ' expect: 60 1 1
WScript.Echo DateDiff("h", #1/1/2024 23:59#, #1/2/2024 0:01#), DateDiff("d", #3/1/2024#, #1/1/2024#), DateDiff("q", #1/1/2024#, #12/31/2024#)   ' expect: 1 -60 3

' DateSerial and TimeSerial roll over; DateValue and TimeValue take parts.
WScript.Echo DateSerial(2024, 2, 30), DateSerial(2024, 13, 1), DateSerial(2024, 1, 0), DateSerial(24, 1, 1)   ' expect: 01.03.2024 01.01.2025 31.12.2023 01.01.2024
WScript.Echo TimeSerial(13, 5, 9), TimeSerial(0, 90, 0), CDbl(TimeSerial(12, 0, 0))   ' expect: 13:05:09 01:30:00 0.5
WScript.Echo DateValue("24.12.2023 18:30:00"), TimeValue("24.12.2023 18:30:00")   ' expect: 24.12.2023 18:30:00

' The clock: only what holds whenever the case runs.
WScript.Echo Year(Now) >= 2024, Timer >= 0, Date <= Now, Time < 1, Int(CDbl(Now)) = CDbl(Date)   ' expect: True True True True True

' Errors: an unknown interval is an invalid argument, text that is no date
' a type mismatch, a date past 9999 an overflow.
On Error Resume Next
x = DateAdd("x", 1, Now) : WScript.Echo Err.Number : Err.Clear        ' expect: 5
x = Day("morgen") : WScript.Echo Err.Number : Err.Clear               ' expect: 13
x = DateAdd("yyyy", 1, #12/31/9999#) : WScript.Echo Err.Number : Err.Clear   ' expect: 6
x = CDate(1E300) : WScript.Echo Err.Number : Err.Clear                ' expect: 6
