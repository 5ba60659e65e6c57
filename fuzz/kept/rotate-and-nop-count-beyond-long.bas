$device = m8
$clock = 8
$stack = 32
Dim X As Long , V As Byte
X = Rotate(Right , 99999999999999999999 , V)
Nop 99999999999999999999
End
