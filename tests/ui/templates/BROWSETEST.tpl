# A list dialog for the record browse tests: the browse 101 over the test
# table, "Conferma" 201 and "Annulla" 202.
DIALOG 0 0 200 160
TITLE  "Elenco"
FONT   "MS Sans Serif" 8
ITEM   101 TWBrowse ""          5   5 190 120 0x50A10000
ITEM   201 BUTTON   "&Conferma" 40 135  50  14 0x50010000
ITEM   202 BUTTON   "&Annulla" 110 135  50  14 0x50010000
