;Quorvil Basic Compiler for AVR 0.1.0
;Created 01:31:04, 10-12-2026
;
.include	"/tmp/qbc-install-dpodNJ/inc/8515def.inc"
;
		.DSEG
.ORG	0x60

		
		.CSEG
.ORG	0x0000

_Reset:
		ldi		yl,byte1(RAMEND)
		out		SPL,yl
		ldi		yh,byte2(RAMEND)
		out		SPL+1,yh
		sbiw	yl,32

;******	USERS BASIC CODE **********************

;-Line--0010----do						' place your code in next line--
L0000:

;-Line--0012----loop--
		rjmp	L0000
L0001:

;****** END OF USER BASIC CODE ****************


;System Global Variables: 0  bytes
;User   Global Variables: 0  bytes
