# A notes field (multi-line, Enter makes a line break), a one-line field
# after it, and the two closing buttons.
DIALOG 10 10 200 100
TITLE  "Note"
FONT   "MS Sans Serif" 8
ITEM   -1  STATIC "&Note:"          8  10 50 8  0x50000000
ITEM   101 EDIT   ""               60   8 120 40 0x50A11004
ITEM   102 EDIT   ""               60  54 60 12 0x50810080
ITEM   201 BUTTON "&Conferma"      10  76 50 14 0x50010001
ITEM   202 BUTTON "&Annulla"       80  76 50 14 0x50010000
