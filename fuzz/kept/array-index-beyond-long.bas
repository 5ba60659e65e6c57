$device = m8
$clock = 8
$stack = 32
Dim R(3) As Byte , T(6) As Flash Byte , A As Byte
R(99999999999999999999) = 1
A = T(99999999999999999999)
A = R(&H123456789)
End
T = 1 , 2 , 3 , 4 , 5 , 6
