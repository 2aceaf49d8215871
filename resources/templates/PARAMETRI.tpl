# The "Parametri" dialog: the five label-sheet settings of VELT.CFG.
DIALOG 0 0 210 120
TITLE  "Parametri"
STYLE  0x80C80080
FONT   "MS Sans Serif" 8
ITEM   -1  STATIC "Margine sinistro:"   10  11 55 10 0x50000000
ITEM   101 EDIT   ""                    75  10 20 13 0x50810082
ITEM   -1  STATIC "Margine superiore:" 115  11 65 10 0x50000000
ITEM   102 EDIT   ""                   180  10 20 13 0x50810082
ITEM   -1  STATIC "Passo orizzontale:"  10  36 60 10 0x50000000
ITEM   103 EDIT   ""                    75  35 20 13 0x50810082
ITEM   -1  STATIC "Passo verticale:"   115  36 55 10 0x50000000
ITEM   104 EDIT   ""                   180  35 20 13 0x50810082
ITEM   -1  STATIC "Lunghezza descr.:"   10  61 60 10 0x50000000
ITEM   105 EDIT   ""                    75  60 20 13 0x50810082
ITEM   -1  STATIC ""                     0  93 210  1 0x50001000
ITEM   201 BUTTON "&Conferma"           10 100 40 15 0x50010000
ITEM   202 BUTTON "&Annulla"            55 100 40 15 0x50010000
