# Test dialog: two edit fields (text, date), a number field, a disabled-able
# field, the two closing buttons and one extra button.
DIALOG 10 10 200 120
TITLE  "Prova"
STYLE  0x80C80080
FONT   "MS Sans Serif" 8
ITEM   -1  STATIC "&Descrizione:"   8  10 50 8  0x50000000
ITEM   101 EDIT   ""               60   8 100 12 0x50810080
ITEM   -1  STATIC "&Data:"          8  26 50 8  0x50000000
ITEM   102 EDIT   ""               60  24 40 12 0x50810080
ITEM   -1  STATIC "&Prezzo:"        8  42 50 8  0x50000000
ITEM   103 EDIT   ""               60  40 40 12 0x50810082
ITEM   -1  STATIC "&Note:"          8  58 50 8  0x50000000
ITEM   104 EDIT   ""               60  56 100 12 0x50810080
ITEM   -1  STATIC ""                8  74 184 1 0x50001000
ITEM   301 BUTTON "&Avanti"         8  96 50 14 0x50010000
ITEM   201 BUTTON "&Conferma"      80  96 50 14 0x50010000
ITEM   202 BUTTON "A&nnulla"      140  96 50 14 0x50010000
ITEM   401 STATIC "Totale"          8  80 100 8 0x50000000
