$device = m8
$clock = 8
$stack = 32
Dim Arr(3) As Byte
Arr = (1 = 2)
End
