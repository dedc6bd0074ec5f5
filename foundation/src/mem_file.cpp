#include "foundation/mem_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Blocks grow in whole steps and always hold strictly more than size bytes.
std::uint64_t RoundedBlockSize(std::uint64_t size, std::uint32_t step) { return (size / step + 1) * step; }

}  // namespace

HMemFile::HMemFile() = default;

HMemFile::~HMemFile() {
    Close();
    FreeBlock(data_);
    data_ = nullptr;
}

void HMemFile::FreeBlock(std::uint8_t* block) const {
    if (!block) return;
    if (release_)
        release_(block);
    else
        std::free(block);
}

bool HMemFile::Reserve(std::uint64_t size) {
    if (data_ && size <= capacity_) return true;
    // A block that grows at least doubles, so that writing a file piece by piece costs linear
    // time, not one copy of everything per step.
    std::uint64_t blockSize = RoundedBlockSize(size, growthStep_);
    if (data_) blockSize = std::max<std::uint64_t>(blockSize, 2ull * capacity_);
    auto* block = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(blockSize)));
    if (!block) return false;
    if (data_) {
        std::memcpy(block, data_, length_);
        FreeBlock(data_);
    }
    data_ = block;
    capacity_ = static_cast<std::size_t>(blockSize);
    return true;
}

bool HMemFile::IsOpen() const { return true; }

template <class Char>
bool HMemFile::OpenAny(const Char* name, FileOpenMode mode) {
    // Changes not yet written would otherwise be dropped together with the old disk file.
    WriteBack();
    if (backing_.IsOpen()) backing_.Close();
    if (!backing_.Open(name, mode)) return false;
    // Loaded into a fresh block first, so that a failed load keeps the old content.
    const std::uint32_t fileLength = backing_.GetLength();
    const std::uint64_t blockSize = RoundedBlockSize(fileLength, growthStep_);
    auto* block = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(blockSize)));
    if (!block) {
        backing_.Close();
        return false;
    }
    if (fileLength > 0) {
        backing_.SeekToBegin();
        // A content that cannot be read whole (a write-only open) would be written back as garbage.
        if (backing_.Read(block, fileLength) != fileLength) {
            std::free(block);
            backing_.Close();
            return false;
        }
    }
    FreeBlock(data_);
    data_ = block;
    capacity_ = static_cast<std::size_t>(blockSize);
    length_ = fileLength;
    position_ = 0;
    modified_ = false;
    return true;
}

bool HMemFile::Open(const char* name, FileOpenMode mode) { return OpenAny(name, mode); }
bool HMemFile::Open(const wchar_t* name, FileOpenMode mode) { return OpenAny(name, mode); }

std::uint32_t HMemFile::GetPosition() const { return position_; }
std::uint32_t HMemFile::GetLength() const { return length_; }

std::uint32_t HMemFile::Read(void* buffer, std::uint32_t count) {
    if (!buffer || position_ >= length_) return 0;
    const std::uint32_t n = std::min(count, length_ - position_);
    if (n > 0) std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return n;
}

std::uint32_t HMemFile::Seek(std::int32_t offset, int origin) {
    std::int64_t base;
    if (origin == kBegin)
        base = 0;
    else if (origin == kCurrent)
        base = position_;
    else
        base = length_;
    std::int64_t target = base + offset;
    if (target < 0) target = 0;
    if (target > static_cast<std::int64_t>(UINT32_MAX)) return UINT32_MAX;
    position_ = static_cast<std::uint32_t>(target);
    return position_;
}

bool HMemFile::SetLength(std::uint32_t length) {
    if (!Reserve(length)) return false;
    if (length > length_) std::memset(data_ + length_, 0, length - length_);
    length_ = length;
    modified_ = true;
    if (position_ >= length) position_ = length;
    return true;
}

std::uint32_t HMemFile::Write(const void* buffer, std::uint32_t count) {
    if (!buffer && count > 0) return 0;
    const std::uint64_t end = static_cast<std::uint64_t>(position_) + count;
    if (end > UINT32_MAX) return 0;
    // A write past the end first extends the content, filling any gap with zeros; what the
    // write itself covers is not cleared first.
    if (static_cast<std::int64_t>(length_) - position_ < static_cast<std::int64_t>(count)) {
        if (!Reserve(end)) return 0;
        if (position_ > length_) std::memset(data_ + length_, 0, position_ - length_);
        length_ = static_cast<std::uint32_t>(end);
    }
    if (count > 0) std::memcpy(data_ + position_, buffer, count);
    position_ = static_cast<std::uint32_t>(end);
    modified_ = true;
    return count;
}

void HMemFile::Flush() {}

bool HMemFile::WriteBack() {
    if (!modified_ || !backing_.IsOpen()) return true;
    modified_ = false;
    // An emptied content is written back too: the disk file is cut to length 0.
    backing_.SeekToBegin();
    const std::uint32_t written = length_ > 0 ? backing_.Write(data_, length_) : 0;
    const bool cut = backing_.SetLength(length_);
    return written == length_ && cut;
}

bool HMemFile::Close() {
    const bool ok = WriteBack();
    modified_ = false;
    FreeBlock(data_);
    data_ = nullptr;
    capacity_ = 0;
    length_ = 0;
    position_ = 0;
    // The disk file stays open (and its sharing in force) until the next Open or destruction.
    return ok;
}

const wchar_t* HMemFile::GetFileNameW() const { return nullptr; }
const char* HMemFile::GetFileName() const { return nullptr; }
bool HMemFile::IsTemporary() const { return false; }

bool HMemFile::Attach(const void* data, std::uint32_t length, ReleaseFunction release) {
    if (!data && length > 0) return false;
    WriteBack();
    if (backing_.IsOpen()) backing_.Close();
    FreeBlock(data_);
    data_ = nullptr;
    release_ = release;
    capacity_ = 0;
    length_ = 0;
    position_ = 0;
    modified_ = false;
    if (!Reserve(length)) return false;
    length_ = length;
    if (length > 0) std::memcpy(data_, data, length);
    return true;
}
