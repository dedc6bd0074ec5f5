// A client's own shared library takes the foundation in too: the archive is position-independent.
#include <foundation/exact_buffer.h>

int ClientTextLength(const char* text) {
    HExactBuffer buffer(text);
    return buffer.GetLength();
}
