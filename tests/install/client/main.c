/* The exports with C linkage, called from C: eudccore/ref_glyph.h. */
#include <eudccore/ref_glyph.h>
#include <stdio.h>

int main(void) {
    /* No such face on an empty workstation: refused, nothing written. */
    int size = GetRefGlyph(0xE000u, "NoSuchFace", NULL);
    if (size != -1) {
        fprintf(stderr, "GetRefGlyph without a font gave %d\n", size);
        return 1;
    }
    return 0;
}
