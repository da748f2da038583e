; Leader measured one pulse at a time with the delay in A; the sync follows
; with the same call shape; byte loop ending in RET NC.
include "header.inc"
include "prologue.inc"
include "wait_for_tone.inc"
ld_leader:
        ld b,$9c
        ld a,$16
        call ld_edge_1_a
        jr nc,ld_break
        ld a,$b0
        cp b
        jr nc,ld_start
        inc h
        jr nz,ld_leader
ld_sync_delay_a:
        ld b,$c9
        ld a,$16
        call ld_edge_1_a
        jr nc,ld_break
        ld a,b
        cp $d4
        jr nc,ld_sync_delay_a
        call ld_edge_1
        ret nc
        jp ld_synced
include "sync_and_store.inc"
include "byte_ret_nc.inc"
include "epilogue.inc"
