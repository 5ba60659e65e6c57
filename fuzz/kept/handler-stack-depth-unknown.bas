$device = m8
$clock = 8
$stack = 32
Declare Interrupt Ovf0()
Dim K As Byte
End
Interrupt Ovf0()
  On K Goto La, Lb
La:
  K = 1
Lb:
  K = 2
End Interrupt
