; Leader measured one pulse at a time with LD A,B; CP n, the sync found as the
; first short pulse after at least two tone pulses; byte loop calling the edge
; routine twice, four bytes apart.
include "header.inc"
include "prologue.inc"
include "wait_for_tone.inc"
ld_leader:
        ld h,$00
ld_pulse:
        ld b,$c0
        call ld_edge_1
        jr nc,ld_break
        ld a,b
        cp $d0
        jr nc,ld_tone_pulse
        call ld_edge_1
        jr nc,ld_break
        ld e,$00
        ld a,h
        cp $02
        jr c,ld_leader
        jp ld_synced
ld_tone_pulse:
        inc h
        jr nz,ld_pulse
        dec h
        jr ld_pulse
include "sync_and_store.inc"
include "byte_inline_gap.inc"
include "epilogue.inc"
