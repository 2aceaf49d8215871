# Test dialog of the choice controls: two drop-down lists, two check boxes,
# a group of three radio buttons, a group of one, an edit field and the two
# closing buttons.
DIALOG 10 10 200 140
TITLE  "Scelte"
STYLE  0x80C80080
FONT   "MS Sans Serif" 8
ITEM   101 COMBOBOX ""          10  10 100 80 0x50210003
ITEM   102 COMBOBOX ""          10  26 100 80 0x50010003
ITEM   110 BUTTON   "&Lista"    10  44 30 10 0x50010003
ITEM   111 BUTTON   "&Mostra"   60  44 30 10 0x50010003
ITEM   121 BUTTON   "&Uno"      10  60 26 10 0x50030009
ITEM   122 BUTTON   "&Due"      50  60 26 10 0x50000009
ITEM   123 BUTTON   "&Tre"      90  60 26 10 0x50000009
ITEM   131 BUTTON   "&Solo"     10  76 26 10 0x50030009
ITEM   105 EDIT     ""          10  92 60 12 0x50810080
ITEM   201 BUTTON   "&Conferma" 80 120 50 14 0x50010000
ITEM   202 BUTTON   "&Annulla" 140 120 50 14 0x50010000
