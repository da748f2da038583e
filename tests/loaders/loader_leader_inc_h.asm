; Leader loop of the ROM's shape (INC H), byte loop ending in RET NC.
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
        inc h
        jr nz,ld_leader
include "sync_and_store.inc"
include "byte_ret_nc.inc"
include "epilogue.inc"
