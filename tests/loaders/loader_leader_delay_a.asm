; Leader loop that gives the edge routine its delay in A, followed at once by
; the sync; byte loop calling the edge routine twice in line.
include "header.inc"
include "prologue.inc"
include "wait_for_tone.inc"
ld_leader:
        ld b,$9c
        ld a,$16
        call ld_edge_2_a
        jr nc,ld_break
        ld a,$c6
        cp b
        jr nc,ld_start
        inc h
        jr nz,ld_leader
include "sync_and_store.inc"
include "byte_inline.inc"
include "epilogue.inc"
