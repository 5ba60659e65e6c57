' Blinks an LED on PORTB.0 of an ATmega8 at 8 MHz.
$device = m8
$clock = 8
$stack = 32
Dim Count As Byte
Const Delay = 250

Ddrb = &hFF
Do
  Portb.0 = 1
  Waitms Delay
  Portb.0 = 0
  Waitms Delay
  Incr Count
Loop
End
