; Leader loop without a carry test after the edge call, byte loop with JP NC.
include "header.inc"
include "prologue.inc"
include "wait_for_tone.inc"
ld_leader:
        ld b,$9c
        call ld_edge_2
        ld a,$c6
        cp b
        jr nc,ld_start
        inc h
        jr nz,ld_leader
include "sync_and_store.inc"
include "byte_jp_nc.inc"
include "epilogue.inc"
