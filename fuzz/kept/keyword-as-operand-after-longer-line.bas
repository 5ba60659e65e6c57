$device = m8
$clock = 8
$stack = 32
Dim Arr(3) As Byte
Dim S As String * 5
Dim A As Byte
A = A + A + A + A + 77 + A + 88
A = While
A = Mid(S, While
A = (
A = Peek(Wend)
While A < 3
Wend
End
