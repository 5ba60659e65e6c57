$device = m8
$clock = 8
$stack = 32
Dim S As String * 5
S = ("a", = "b")
End
