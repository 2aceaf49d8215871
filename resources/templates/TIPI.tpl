# The merchandise-type list of one level (TIPI): the list of names, a separator line and
# the four buttons.
DIALOG 10 21 195 350
TITLE  "Tipi merceologici"
STYLE  0x80C80080
FONT   "MS Sans Serif" 8
ITEM   101 TWBrowse ""            10  10 175 305 0x50B10000
ITEM   -1  STATIC   ""             0 322 195   1 0x50001000
ITEM   201 BUTTON   "&Chiudi"     10 330  40  15 0x50010000
ITEM   202 BUTTON   "&Aggiungi"   55 330  40  15 0x50010000
ITEM   203 BUTTON   "&Modifica"  100 330  40  15 0x50010000
ITEM   204 BUTTON   "&Elimina"   145 330  40  15 0x50010000
