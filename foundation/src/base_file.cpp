#include "foundation/base_file.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>

namespace {

std::unique_ptr<std::uint8_t[]> TransferBuffer(std::size_t size) {
    return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[size]);
}

}  // namespace

HBaseFile::~HBaseFile() = default;

const wchar_t* HBaseFile::GetFileNameW() const { return nullptr; }
const char* HBaseFile::GetFileName() const { return nullptr; }
bool HBaseFile::IsTemporary() const { return false; }

std::uint32_t HBaseFile::SeekToBegin() { return Seek(0, kBegin); }
std::uint32_t HBaseFile::SeekToEnd() { return Seek(0, kEnd); }
std::uint32_t HBaseFile::SeekFromBegin(std::uint32_t position) {
    return Seek(static_cast<std::int32_t>(position), kBegin);
}

bool HBaseFile::DeleteRange(std::uint32_t position, std::uint32_t count) {
    const std::uint32_t length = GetLength();
    // A range reaching past the end would otherwise cut bytes before it, or wrap the new length.
    if (position > length || count > length - position) return false;
    const std::uint32_t newLength = length - count;
    const std::uint32_t tail = newLength - position;
    if (tail > 0) {
        auto buffer = TransferBuffer(tail);
        if (!buffer) return false;
        SeekFromBegin(position + count);
        if (Read(buffer.get(), tail) != tail) return false;
        SeekFromBegin(position);
        if (Write(buffer.get(), tail) != tail) return false;
    }
    return SetLength(newLength);
}

bool HBaseFile::CopyTo(HBaseFile* target) {
    if (!target) return false;
    // Both sides would share one position and each chunk would land on the next one.
    if (target == this) return true;
    const std::uint32_t savedPosition = GetPosition();
    auto buffer = TransferBuffer(kTransferChunk);
    if (!buffer) return false;
    const std::uint32_t length = GetLength();
    SeekToBegin();
    target->SeekToBegin();
    std::uint32_t copied = 0;
    bool complete = true;
    while (copied < length) {
        const std::uint32_t n = std::min(length - copied, kTransferChunk);
        // Only bytes actually read are written: a short read must not spill stale buffer bytes.
        const std::uint32_t got = Read(buffer.get(), n);
        const std::uint32_t put = got ? target->Write(buffer.get(), got) : 0;
        copied += put;
        if (got != n || put != got) {
            complete = false;
            break;
        }
    }
    buffer.reset();
    // A short copy leaves the target holding just what arrived, not a padded full-length file.
    target->SetLength(complete ? length : copied);
    SeekFromBegin(savedPosition);
    return complete;
}

bool HBaseFile::ShiftTail(std::uint32_t position, std::int32_t delta) {
    if (delta == 0) return true;
    const std::int64_t length = GetLength();
    std::int64_t remaining = length - static_cast<std::int64_t>(position);
    if (remaining <= 0) return true;
    // Every position used must be reachable by a seek from the beginning.
    if (static_cast<std::int64_t>(position) + delta < 0 || length + std::max<std::int64_t>(delta, 0) > INT32_MAX)
        return false;
    auto buffer = TransferBuffer(kTransferChunk);
    if (!buffer) return false;
    if (delta > 0) {
        // Upwards from the end backwards, so that no byte is overwritten before it has moved.
        std::int64_t sourceEnd = length;
        std::int64_t targetEnd = length + delta;
        while (remaining > 0) {
            const auto n = static_cast<std::uint32_t>(std::min<std::int64_t>(remaining, kTransferChunk));
            sourceEnd -= n;
            targetEnd -= n;
            SeekFromBegin(static_cast<std::uint32_t>(sourceEnd));
            if (Read(buffer.get(), n) != n) return false;
            SeekFromBegin(static_cast<std::uint32_t>(targetEnd));
            if (Write(buffer.get(), n) != n) return false;
            remaining -= n;
        }
    } else {
        std::int64_t source = position;
        std::int64_t target = source + delta;
        while (remaining > 0) {
            const auto n = static_cast<std::uint32_t>(std::min<std::int64_t>(remaining, kTransferChunk));
            SeekFromBegin(static_cast<std::uint32_t>(source));
            if (Read(buffer.get(), n) != n) return false;
            SeekFromBegin(static_cast<std::uint32_t>(target));
            if (Write(buffer.get(), n) != n) return false;
            source += n;
            target += n;
            remaining -= n;
        }
    }
    return true;
}
