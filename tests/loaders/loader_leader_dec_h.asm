; Leader loop counting down (DEC H), byte loop with JR NC.
include "header.inc"
include "prologue.inc"
include "wait_for_tone.inc"
ld_leader:
        ld b,$9c
        call ld_edge_2
        jr nc,ld_break
        ld a,$c6
        cp b
        jr nc,ld_start
        dec h
        jr nz,ld_leader
include "sync_and_store.inc"
include "byte_jr_nc.inc"
include "epilogue.inc"
