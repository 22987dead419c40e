Select Case #12/24/2023 6:30 PM#
Case Null, Empty: x = Null And False
Case Else: x = &HFFFF& Imp Not 1
End Select
