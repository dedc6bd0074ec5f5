// The instantiable buffer and its non-virtual helpers.
#include "foundation/exact_buffer.h"

#include <cstring>

HExactBuffer::HExactBuffer(const char* text) {
    if (text) {
        Append(text);
    }
}

void HExactBuffer::Assign(const char* text) {
    // A text taken from this buffer would be wiped by Empty before it is read.
    if (PointsInside(text)) {
        HExactBuffer copy(text);
        Empty();
        AppendBuffer(copy);
        return;
    }
    Empty();
    if (text) {
        Append(text);
    }
}

HExactBuffer HExactBuffer::Right(const HBaseBuffer3& buffer, int n) {
    HExactBuffer result;
    const int length = buffer.GetLength();
    if (n < 1 || length < 1 || !buffer.GetData()) {
        return result;
    }
    const int count = n < length ? n : length;
    result.Append(buffer.GetData() + (length - count), count);
    return result;
}

HExactBuffer HExactBuffer::Concat(const HBaseBuffer3& buffer, const char* text) {
    HExactBuffer result;
    result.AppendBuffer(buffer);
    if (text) {
        result.Append(text);
    }
    return result;
}

bool HExactBuffer::Equals(const char* text) const {
    if (!text || length_ < 1) {
        return false;
    }
    const std::size_t n = std::strlen(text);
    return n == static_cast<std::size_t>(length_) && std::memcmp(data_, text, n) == 0;
}

void HExactBuffer::EnsureBuffer() {
    if (!data_) {
        GetBuffer(0);
    }
}
