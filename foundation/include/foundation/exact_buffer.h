// The buffer that users instantiate; see base_buffer.h for the storage policy and the
// allocator contract of Attach/Detach (malloc/free).
#pragma once

#include "foundation/base_buffer.h"

class HExactBuffer : public HBaseBuffer {
public:
    HExactBuffer() = default;
    // Appends the bytes of text (nothing for null).
    explicit HExactBuffer(const char* text);
    // Copies own their own exact-size block.
    HExactBuffer(const HExactBuffer&) = default;
    HExactBuffer(HExactBuffer&&) noexcept = default;
    HExactBuffer& operator=(const HExactBuffer&) = default;
    HExactBuffer& operator=(HExactBuffer&&) noexcept = default;
    ~HExactBuffer() override = default;

    using HBaseBuffer::Assign;
    // Empty, then appends text (nothing for null). text may point into this buffer.
    void Assign(const char* text);

    // The last min(n, length) bytes of buffer; empty for n < 1 or an empty buffer.
    static HExactBuffer Right(const HBaseBuffer3& buffer, int n);
    // buffer's content followed by text (nothing for null).
    static HExactBuffer Concat(const HBaseBuffer3& buffer, const char* text);

    // True when the content is exactly the bytes of text and not empty.
    bool Equals(const char* text) const;
    bool NotEquals(const char* text) const { return !Equals(text); }

    // Creates the terminated 1-byte-content block when there is none (as GetBuffer(0)).
    void EnsureBuffer();
};
