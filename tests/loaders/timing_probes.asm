; Single instructions for the contention test: each label starts one and its
; "_end" label, a HALT, is where the test stops the clock. The code does not
; depend on where it runs, so the test also copies it to contended RAM.
        org $8000
nop_op:
        nop
nop_op_end:
        halt
ld_a_hl:
        ld a,(hl)
ld_a_hl_end:
        halt
inc_ind_hl:
        inc (hl)
inc_ind_hl_end:
        halt
in_a_c:
        in a,(c)
in_a_c_end:
        halt
ld_a_ix:
        ld a,(ix+0)
ld_a_ix_end:
        halt
