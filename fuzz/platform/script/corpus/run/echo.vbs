x = 1
WScript.Echo x + 2, "a" & x
