# The information box (INFOS): the publisher's picture, the program's title
# and version, the publisher's lines and "Chiudi".
DIALOG 0 0 235 145
TITLE  "Informazioni"
STYLE  0x80C80080
FONT   "Segoe UI" 9
ITEM   101 TImage "ORLU"                                  10  10  49 54 0x50000000
ITEM   102 STATIC ""                                      80  11 145 10 0x50000000
ITEM   103 STATIC ""                                      80  26 145 10 0x50000000
ITEM   104 STATIC "ORLU Informatica"                      80  41 145 10 0x50000000
ITEM   105 STATIC "Software per il commercio al dettaglio" 80  54 145 10 0x50000000
ITEM   -1  STATIC ""                                      80  70 145  1 0x50001000
ITEM   -1  STATIC "Catalogo articoli e codici EAN-13,"     80  76 145 10 0x50000000
ITEM   -1  STATIC "carico, vendita al banco e depositi,"   80  86 145 10 0x50000000
ITEM   -1  STATIC "inventari, etichette e codici a barre." 80  96 145 10 0x50000000
ITEM   -1  STATIC "Tutti i diritti riservati."             80 106 145 10 0x50000000
ITEM   201 BUTTON "&Chiudi"                               10 112  51 20 0x50010001
