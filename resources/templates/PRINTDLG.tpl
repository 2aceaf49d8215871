# The print job's progress box and POPMSG's print box.
DIALOG 69 74 180 65
TITLE  ""
STYLE  0x80C00080
FONT   "Arial" 11
ITEM   -1  BUTTON  ""                            10  5 160 35 0x50000007
ITEM   101 TBtnBmp "PRINT"                       20 16  16 15 0x50000000
ITEM   -1  STATIC  "Sto stampando la pagina n.:" 45 20  95 10 0x50000000
ITEM   102 STATIC  ""                           140 20  20 10 0x50000000
ITEM   201 BUTTON  "&Annulla"                    70 45  40 15 0x50010000
