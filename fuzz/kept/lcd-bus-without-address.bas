$device = 8515
$clock = 8
$stack = 32
$lcd = &
Cls
Lcd "a"
End
