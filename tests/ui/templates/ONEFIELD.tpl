# One field and a default "Conferma" button: Enter in the field confirms.
DIALOG 0 0 150 50
TITLE  "Quantità"
FONT   "MS Sans Serif" 8
ITEM   -1  STATIC "&Quantità:"  8  10 50 8  0x50000000
ITEM   101 EDIT   ""           60   8 40 12 0x50810082
ITEM   201 BUTTON "&Conferma"  10  30 50 14 0x50010001
ITEM   202 BUTTON "&Annulla"   80  30 50 14 0x50010000
