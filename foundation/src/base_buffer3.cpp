// Storage and byte-level operations of the buffer family.
#include "foundation/base_buffer.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Largest content that still leaves room for the terminator in a signed 32-bit capacity.
constexpr std::int64_t kMaxContent = INT32_MAX - 1;

// A private copy of bytes that point into the buffer's own block, taken before the block may
// move or shift; bytes from elsewhere are used as they are.
class StableSource {
public:
    StableSource(const void* bytes, std::size_t count, bool aliased) : bytes_(bytes) {
        if (!aliased || count == 0) {
            return;
        }
        copy_ = static_cast<char*>(std::malloc(count));
        if (copy_) {
            std::memcpy(copy_, bytes, count);
        }
        bytes_ = copy_;
    }
    ~StableSource() { std::free(copy_); }
    StableSource(const StableSource&) = delete;
    StableSource& operator=(const StableSource&) = delete;

    // Null only when a needed copy could not be made.
    const void* get() const { return bytes_; }

private:
    const void* bytes_;
    char* copy_ = nullptr;
};

}  // namespace

HBaseBuffer2::~HBaseBuffer2() = default;

HBaseBuffer3::~HBaseBuffer3() { FreeBlock(); }

HBaseBuffer3::HBaseBuffer3(const HBaseBuffer3& other) : HBaseBuffer2(other) {
    if (!other.data_) {
        return;
    }
    data_ = static_cast<char*>(std::calloc(static_cast<std::size_t>(other.length_) + 1, 1));
    if (!data_) {
        return;
    }
    std::memcpy(data_, other.data_, static_cast<std::size_t>(other.length_));
    capacity_ = other.length_ + 1;
    length_ = other.length_;
}

HBaseBuffer3::HBaseBuffer3(HBaseBuffer3&& other) noexcept
    : HBaseBuffer2(other), data_(other.data_), capacity_(other.capacity_), length_(other.length_) {
    other.data_ = nullptr;
    other.capacity_ = 0;
    other.length_ = 0;
}

HBaseBuffer3& HBaseBuffer3::operator=(const HBaseBuffer3& other) {
    if (this == &other) {
        return *this;
    }
    char* block = nullptr;
    if (other.data_) {
        block = static_cast<char*>(std::calloc(static_cast<std::size_t>(other.length_) + 1, 1));
        if (!block) {
            return *this;  // keep the old content rather than lose it
        }
        std::memcpy(block, other.data_, static_cast<std::size_t>(other.length_));
    }
    FreeBlock();
    if (block) {
        data_ = block;
        capacity_ = other.length_ + 1;
        length_ = other.length_;
    }
    return *this;
}

HBaseBuffer3& HBaseBuffer3::operator=(HBaseBuffer3&& other) noexcept {
    if (this != &other) {
        FreeBlock();
        data_ = other.data_;
        capacity_ = other.capacity_;
        length_ = other.length_;
        other.data_ = nullptr;
        other.capacity_ = 0;
        other.length_ = 0;
    }
    return *this;
}

void HBaseBuffer3::FreeBlock() {
    std::free(data_);
    data_ = nullptr;
    capacity_ = 0;
    length_ = 0;
}

bool HBaseBuffer3::PointsInside(const void* p) const {
    if (!data_ || !p) {
        return false;
    }
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    const auto begin = reinterpret_cast<std::uintptr_t>(data_);
    return at >= begin && at < begin + static_cast<std::uintptr_t>(capacity_);
}

bool HBaseBuffer3::EnsureRoom(std::int64_t n) {
    if (n < 0 || n > kMaxContent) {
        return false;
    }
    Reserve(static_cast<int>(n));
    return data_ && capacity_ >= n + 1;
}

void HBaseBuffer3::Empty() {
    if (!data_) {
        return;
    }
    length_ = 0;
    data_[0] = 0;
}

void HBaseBuffer3::Detach() {
    data_ = nullptr;
    capacity_ = 0;
    length_ = 0;
}

void HBaseBuffer3::Detach(char** block) {
    if (block) {
        *block = data_;
    }
    Detach();
}

bool HBaseBuffer3::Reallocate(int n) {
    // A block smaller than the content plus its terminator would lose bytes (or be overrun
    // by the copy), so such a request is refused; this also refuses every negative n.
    if (n < length_ || static_cast<std::int64_t>(n) > kMaxContent) {
        return false;
    }
    const std::int32_t need = n + 1;
    if (data_ && capacity_ >= need && static_cast<std::int64_t>(capacity_) <= std::int64_t{n} + 11) {
        return true;
    }
    char* block = static_cast<char*>(std::calloc(static_cast<std::size_t>(need), 1));
    if (!block) {
        return false;
    }
    if (data_) {
        std::memcpy(block, data_, static_cast<std::size_t>(length_) + 1);
        std::free(data_);
    }
    data_ = block;
    capacity_ = need;
    return true;
}

int HBaseBuffer3::AppendExact(const void* bytes, int count) {
    const std::int64_t newLength = std::int64_t{length_} + count;
    if (count < 0 || newLength > kMaxContent) {
        return -1;
    }
    StableSource source(bytes, static_cast<std::size_t>(count), PointsInside(bytes));
    if (!source.get() && count > 0) {
        return -1;
    }
    const int old = length_;
    if (!EnsureRoom(newLength)) {
        return -1;
    }
    if (count > 0) {
        std::memcpy(data_ + old, source.get(), static_cast<std::size_t>(count));
    }
    length_ = static_cast<std::int32_t>(newLength);
    data_[length_] = 0;
    return old;
}

int HBaseBuffer3::AppendDword(std::uint32_t value) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    return AppendExact(bytes, 4);
}

int HBaseBuffer3::AppendWord(std::uint16_t value) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8)};
    return AppendExact(bytes, 2);
}

void HBaseBuffer3::AppendWord(std::int16_t value) { AppendWord(static_cast<std::uint16_t>(value)); }

int HBaseBuffer3::WriteAt(int position, const void* bytes, int count) {
    if (position < 0 || count < 0 || (!bytes && count > 0)) {
        return -1;
    }
    const std::int64_t end = std::int64_t{position} + count;
    if (end > kMaxContent) {
        return -1;
    }
    if (end <= length_) {
        if (count > 0) {
            std::memmove(data_ + position, bytes, static_cast<std::size_t>(count));
        }
        return position;
    }
    StableSource source(bytes, static_cast<std::size_t>(count), PointsInside(bytes));
    if (!source.get() && count > 0) {
        return -1;
    }
    const int old = length_;
    if (!EnsureRoom(end)) {
        return -1;
    }
    if (position > old) {
        std::memset(data_ + old, 0, static_cast<std::size_t>(position - old));
    }
    if (count > 0) {
        std::memcpy(data_ + position, source.get(), static_cast<std::size_t>(count));
    }
    length_ = static_cast<std::int32_t>(end);
    data_[length_] = 0;
    return position;
}

int HBaseBuffer3::Append(const void* bytes, int count) {
    if (!bytes) {
        return -1;
    }
    if (count < 1) {
        const std::size_t n = std::strlen(static_cast<const char*>(bytes));
        if (n > static_cast<std::size_t>(kMaxContent)) {
            return -1;
        }
        count = static_cast<int>(n);
    }
    return AppendExact(bytes, count);
}

int HBaseBuffer3::Append(const char* text) {
    if (!text) {
        return length_;
    }
    return Append(static_cast<const void*>(text), 0);
}

int HBaseBuffer3::AppendChar(char byte) { return AppendExact(&byte, 1); }

int HBaseBuffer3::PutAt(int position, const void* bytes, int count) {
    if (position < 0 || count < 1) {
        return -1;
    }
    const std::int64_t end = std::int64_t{position} + count;
    if (end > kMaxContent) {
        return -1;
    }
    StableSource source(bytes, static_cast<std::size_t>(count), PointsInside(bytes));
    if (bytes && !source.get()) {
        return -1;
    }
    const int old = length_;
    if (!EnsureRoom(end)) {
        return -1;
    }
    if (end > old) {
        std::memset(data_ + old, 0, static_cast<std::size_t>(end - old));
    }
    if (bytes) {
        std::memcpy(data_ + position, source.get(), static_cast<std::size_t>(count));
    }
    length_ = static_cast<std::int32_t>(end);
    data_[length_] = 0;
    return position;
}

void HBaseBuffer3::Terminate() {
    Reserve(length_ + 1);
    if (data_) {
        data_[length_] = 0;
    }
}

int HBaseBuffer3::Insert(int position, const void* bytes, int count) {
    // Unlike Append, a count below 1 is not read as strlen: the bytes need not be a string.
    if (!bytes || count < 1 || position < 0 || position > length_) {
        return 0;
    }
    if (position == length_) {
        const int at = AppendExact(bytes, count);
        return at < 0 ? 0 : at;
    }
    const std::int64_t newLength = std::int64_t{length_} + count;
    if (newLength > kMaxContent) {
        return 0;
    }
    // The source may lie in the tail that is about to move, or in a block about to be freed.
    StableSource source(bytes, static_cast<std::size_t>(count), PointsInside(bytes));
    if (!source.get()) {
        return 0;
    }
    const int old = length_;
    if (!EnsureRoom(newLength)) {
        return 0;
    }
    std::memmove(data_ + position + count, data_ + position, static_cast<std::size_t>(old - position));
    std::memcpy(data_ + position, source.get(), static_cast<std::size_t>(count));
    length_ = static_cast<std::int32_t>(newLength);
    data_[length_] = 0;
    return position;
}

int HBaseBuffer3::Insert(int position, const char* text) {
    if (!text) {
        return 0;
    }
    const std::size_t n = std::strlen(text);
    if (n > static_cast<std::size_t>(kMaxContent)) {
        return 0;
    }
    return Insert(position, static_cast<const void*>(text), static_cast<int>(n));
}

int HBaseBuffer3::InsertChar(int position, char byte) { return Insert(position, static_cast<const void*>(&byte), 1); }

void HBaseBuffer3::Attach(void* block, int length, int capacity) {
    char* bytes = static_cast<char*>(block);
    if (length < 0) {
        length = 0;
    }
    if (capacity < 1) {
        capacity = length;
    }
    if (bytes != data_) {
        std::free(data_);
    }
    data_ = nullptr;
    capacity_ = 0;
    length_ = 0;
    if (!bytes) {
        return;
    }
    // Every block keeps a terminator after the content; make room for it rather than write
    // past the caller's block.
    if (std::int64_t{capacity} < std::int64_t{length} + 1) {
        char* grown = length < INT32_MAX ? static_cast<char*>(std::realloc(bytes, static_cast<std::size_t>(length) + 1))
                                         : nullptr;
        if (grown) {
            bytes = grown;
            capacity = length + 1;
        } else if (capacity >= 1) {
            length = capacity - 1;  // keep what fits with its terminator
        } else {
            std::free(bytes);
            return;
        }
    }
    data_ = bytes;
    capacity_ = capacity;
    length_ = length;
    data_[length_] = 0;
}

char* HBaseBuffer3::GetBuffer(int minimumSize) {
    if (minimumSize > 0) {
        return EnsureRoom(minimumSize) ? data_ : nullptr;
    }
    if (!data_) {
        Reserve(1);
    }
    return data_;
}

int HBaseBuffer3::GetLength() const { return length_; }

char* HBaseBuffer3::GetEnd() { return data_ ? data_ + length_ : nullptr; }

int HBaseBuffer3::GetCapacity() const { return capacity_; }

int HBaseBuffer3::GetFreeSpace() const { return capacity_ - length_; }

void HBaseBuffer3::RemoveRange(int position, int count) {
    std::memmove(data_ + position, data_ + position + count, static_cast<std::size_t>(length_ - position - count));
    length_ -= count;
    data_[length_] = 0;
}

int HBaseBuffer3::TakeFront(void* destination, int n) {
    const int count = n < length_ ? n : length_;
    if (count < 1 || !destination) {
        return 0;
    }
    std::memmove(destination, data_, static_cast<std::size_t>(count));
    RemoveRange(0, count);
    return count;
}

int HBaseBuffer3::DeleteFront(int n) {
    const int count = n < length_ ? n : length_;
    if (count < 1) {
        return 0;
    }
    RemoveRange(0, count);
    return count;
}

void HBaseBuffer3::SetLength(int n) {
    if (n < 0) {
        return;
    }
    const int old = length_;
    if (!EnsureRoom(n)) {
        return;
    }
    // A kept block may still hold bytes from earlier content; new bytes read as zero.
    if (n > old) {
        std::memset(data_ + old, 0, static_cast<std::size_t>(n - old));
    }
    length_ = n;
    data_[n] = 0;
}

char* HBaseBuffer3::GetBufferSetLength(int n) {
    if (n < 0) {
        return nullptr;
    }
    SetLength(n);
    return length_ == n ? data_ : nullptr;
}

unsigned char HBaseBuffer3::GetAt(int index) const {
    if (index < 0 || index > length_) {
        return 0xFF;
    }
    return data_ ? static_cast<unsigned char>(data_[index]) : 0;
}

bool HBaseBuffer3::SetAt(int index, char byte) {
    // Index length is the terminator: only a zero may go there, or the text would run on.
    if (!data_ || index < 0 || index > length_ || (index == length_ && byte != 0)) {
        return false;
    }
    data_[index] = byte;
    return true;
}
