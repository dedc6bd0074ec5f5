// Text operations of the buffer family and the slack-driven storage decisions.
#include "foundation/base_buffer.h"

#include <climits>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::int64_t kMaxContent = INT32_MAX - 1;

char FoldLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int Sign(int v) { return (v > 0) - (v < 0); }

// Lexicographic comparison of two byte runs (a shorter run that is a prefix sorts first),
// optionally ignoring the case of A to Z. -1, 0 or 1.
int CompareRuns(const char* a, std::size_t aLength, const char* b, std::size_t bLength, bool ignoreCase) {
    const std::size_t n = aLength < bLength ? aLength : bLength;
    for (std::size_t i = 0; i < n; ++i) {
        const char ca = ignoreCase ? FoldLower(a[i]) : a[i];
        const char cb = ignoreCase ? FoldLower(b[i]) : b[i];
        if (ca != cb) {
            return Sign(static_cast<unsigned char>(ca) - static_cast<unsigned char>(cb));
        }
    }
    return Sign(static_cast<int>(aLength > bLength) - static_cast<int>(aLength < bLength));
}

// First occurrence of needle in haystack[start, length); -1 when absent.
int SearchRun(const char* haystack, int length, int start, const char* needle, std::size_t needleLength) {
    if (needleLength == 0 || needleLength > static_cast<std::size_t>(length - start)) {
        return -1;
    }
    const int last = length - static_cast<int>(needleLength);
    for (int i = start; i <= last; ++i) {
        if (haystack[i] == needle[0] && std::memcmp(haystack + i, needle, needleLength) == 0) {
            return i;
        }
    }
    return -1;
}

bool IsLeadByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x81 && b <= 0xFE;
}

// Upper-cases a to z in code page 950 text: the byte after a lead byte belongs to a
// double-byte character (its trail may be a letter) and is left as it is.
void UpperCp950(char* text, int length) {
    for (int i = 0; i < length; ++i) {
        if (IsLeadByte(text[i]) && i + 1 < length) {
            ++i;
        } else if (text[i] >= 'a' && text[i] <= 'z') {
            text[i] = static_cast<char>(text[i] - 'a' + 'A');
        }
    }
}

}  // namespace

void HBaseBuffer::Reserve(int n) {
    const std::int64_t need = std::int64_t{n} + 1;
    if (capacity_ < need || need < std::int64_t{capacity_} - slack_) {
        Reallocate(n);
    }
}

void HBaseBuffer::Reset() {
    Empty();
    Reserve(1);
}

void HBaseBuffer::SetSlack(int slack, int second) {
    slack_ = slack;
    second_ = second;
}

int HBaseBuffer::EndsWith(const char* text, bool caseSensitive) {
    if (!text) {
        text = "";
    }
    const std::size_t n = std::strlen(text);
    const std::size_t length = static_cast<std::size_t>(length_);
    if (length >= n) {
        return CompareRuns(data_ + (length - n), n, text, n, !caseSensitive);
    }
    return CompareRuns(data_, length, text, n, !caseSensitive);
}

int HBaseBuffer::EndsWith(const char* text) { return EndsWith(text, true); }

int HBaseBuffer::EndsWithNoCase(const char* text) { return EndsWith(text, false); }

int HBaseBuffer::FindChar(char byte, int start) const {
    if (byte == 0 || length_ == 0 || start < 0 || start >= length_) {
        return -1;
    }
    const void* hit = std::memchr(data_ + start, byte, static_cast<std::size_t>(length_ - start));
    return hit ? static_cast<int>(static_cast<const char*>(hit) - data_) : -1;
}

int HBaseBuffer::FindChar(char byte) const { return FindChar(byte, 0); }

int HBaseBuffer::Find(const char* text, int start) const {
    if (!text || length_ == 0 || start < 0 || start >= length_) {
        return -1;
    }
    return SearchRun(data_, length_, start, text, std::strlen(text));
}

int HBaseBuffer::Find(const char* text) const { return Find(text, 0); }

int HBaseBuffer::FindNoCase(const char* text) const {
    if (!text || !*text || length_ == 0) {
        return -1;
    }
    HBaseBuffer content;
    HBaseBuffer needle;
    if (content.AppendExact(data_, length_) < 0 || needle.Append(text) < 0) {
        return -1;
    }
    UpperCp950(content.data_, content.length_);
    UpperCp950(needle.data_, needle.length_);
    return SearchRun(content.data_, content.length_, 0, needle.data_, static_cast<std::size_t>(needle.length_));
}

int HBaseBuffer::ReverseFindChar(char byte) const {
    if (byte == 0) {
        return -1;
    }
    for (int i = length_ - 1; i >= 0; --i) {
        if (data_[i] == byte) {
            return i;
        }
    }
    return -1;
}

bool HBaseBuffer::ReadLine(HBaseBuffer2& target) {
    // Reading into itself would reset the very bytes it reads from.
    if (&target == static_cast<HBaseBuffer2*>(this)) {
        return false;
    }
    target.Reset();
    const int feed = FindChar('\n', 0);
    if (feed < 0) {
        return false;
    }
    int n = feed;
    if (n > 0 && data_[n - 1] == '\r') {
        --n;
    }
    // An empty line appends nothing (Append would read a count of 0 as strlen).
    if (n > 0) {
        target.Append(data_, n);
    }
    RemoveRange(0, feed + 1);
    return true;
}

int HBaseBuffer::ReadLine(char* destination, int size) {
    if (length_ == 0 || !destination) {
        return -1;
    }
    const int cap = size < 1 ? 4097 : size - 1;
    const int limit = length_ < cap ? length_ : cap;
    int end = -1;
    int terminator = 0;
    for (int i = 0; i + 1 < limit; ++i) {
        if (data_[i] == '\r' && data_[i + 1] == '\n') {
            end = i;
            terminator = 2;
            break;
        }
    }
    if (end < 0) {
        const void* feed = std::memchr(data_, '\n', static_cast<std::size_t>(limit));
        if (feed) {
            end = static_cast<int>(static_cast<const char*>(feed) - data_);
            terminator = 1;
        }
    }
    if (end < 0) {
        return (size >= 1 && length_ > size) ? -2 : -1;
    }
    std::memcpy(destination, data_, static_cast<std::size_t>(end));
    destination[end] = 0;
    RemoveRange(0, end + terminator);
    return end;
}

int HBaseBuffer::ReplaceAt(int position, int oldLength, const char* newText) {
    HBaseBuffer copy;
    if (PointsInside(newText)) {
        if (copy.Append(newText) < 0) {
            return -1;
        }
        newText = copy.data_;
    }
    const std::size_t newLength = std::strlen(newText);
    if (std::int64_t{length_} - oldLength + static_cast<std::int64_t>(newLength) > kMaxContent) {
        return -1;
    }
    RemoveRange(position, oldLength);
    if (newLength > 0 && Insert(position, static_cast<const void*>(newText), static_cast<int>(newLength)) != position) {
        return -1;
    }
    return position;
}

int HBaseBuffer::ReplaceFrom(int start, const char* oldText, const char* newText) {
    if (!oldText || !newText) {
        return -1;
    }
    const int at = Find(oldText, start);
    if (at < 0) {
        return -1;
    }
    return ReplaceAt(at, static_cast<int>(std::strlen(oldText)), newText);
}

bool HBaseBuffer::ReplaceFirst(const char* oldText, const char* newText) { return ReplaceFrom(0, oldText, newText) >= 0; }

int HBaseBuffer::ReplaceFirstNoCase(const char* oldText, const char* newText) {
    if (!oldText || !newText || length_ == 0) {
        return -1;
    }
    const int at = FindNoCase(oldText);
    if (at < 0) {
        return 0;
    }
    return ReplaceAt(at, static_cast<int>(std::strlen(oldText)), newText) < 0 ? -1 : 1;
}

bool HBaseBuffer::ReplaceAll(const char* oldText, const char* newText) {
    if (!oldText || !newText) {
        return false;
    }
    // Texts taken from this buffer would change under the replacements.
    HBaseBuffer oldCopy;
    HBaseBuffer newCopy;
    if (PointsInside(oldText)) {
        if (oldCopy.Append(oldText) < 0) {
            return false;
        }
        oldText = oldCopy.data_;
    }
    if (PointsInside(newText)) {
        if (newCopy.Append(newText) < 0) {
            return false;
        }
        newText = newCopy.data_;
    }
    const int newLength = static_cast<int>(std::strlen(newText));
    bool replaced = false;
    // Searching on after the inserted text ends the loop even when newText contains oldText.
    int position = 0;
    while (position < length_) {
        const int at = ReplaceFrom(position, oldText, newText);
        if (at < 0) {
            break;
        }
        replaced = true;
        position = at + newLength;
    }
    return replaced;
}

int HBaseBuffer::Delete(int position, int count) {
    if (position < 0 || position >= length_ || count < 1) {
        return -1;
    }
    const int available = length_ - position;
    RemoveRange(position, count < available ? count : available);
    return position;
}

int HBaseBuffer::Remove(const char* text) {
    const int at = Find(text);
    if (at < 0) {
        return -1;
    }
    RemoveRange(at, static_cast<int>(std::strlen(text)));
    return at;
}

void HBaseBuffer::MakeUpper() {
    if (data_) {
        UpperCp950(data_, length_);
    }
}

int HBaseBuffer::CompareNoCase(const char* text) {
    Terminate();
    const char* own = data_ ? data_ : "";
    if (!text) {
        text = "";
    }
    return CompareRuns(own, std::strlen(own), text, std::strlen(text), true);
}

int HBaseBuffer::Compare(const char* text) {
    Terminate();
    const char* own = data_ ? data_ : "";
    if (!text) {
        text = "";
    }
    return Sign(std::strcmp(own, text));
}

void HBaseBuffer::Format(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void HBaseBuffer::FormatV(const char* format, std::va_list args) {
    if (!format) {
        return;
    }
    std::va_list measure;
    va_copy(measure, args);
    const int n = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (n < 0 || n > kMaxContent - 2) {
        return;
    }
    // Format into a scratch block first: the arguments may point into this buffer's block,
    // which GetBuffer may move.
    HBaseBuffer text;
    char* scratch = text.GetBuffer(n);
    if (!scratch || std::vsnprintf(scratch, static_cast<std::size_t>(n) + 1, format, args) != n) {
        return;
    }
    char* block = GetBuffer(n + 2);
    if (!block) {
        return;
    }
    std::memcpy(block, scratch, static_cast<std::size_t>(n) + 1);
    length_ = static_cast<std::int32_t>(std::strlen(block));
}

void HBaseBuffer::TrimLeft() {
    int n = 0;
    while (n < length_ && data_[n] == ' ') {
        ++n;
    }
    if (n > 0) {
        RemoveRange(0, n);
    }
}

void HBaseBuffer::TrimRight() {
    int n = length_;
    while (n > 0 && data_[n - 1] == ' ') {
        --n;
    }
    if (n < length_) {
        length_ = n;
        data_[n] = 0;
    }
}

void HBaseBuffer::FromInt(std::int32_t value) {
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%ld", static_cast<long>(value));
    if (!EnsureRoom(34)) {
        return;
    }
    std::memcpy(data_, text, static_cast<std::size_t>(n) + 1);
    length_ = n;
}

std::uint32_t HBaseBuffer::HexValue() const {
    std::uint32_t value = 0;
    const int n = length_ < 8 ? length_ : 8;
    for (int i = 0; i < n; ++i) {
        const char c = data_[i];
        std::uint32_t digit = 0;
        if (c >= '1' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        }
        value = value * 16 + digit;
    }
    return value;
}

int HBaseBuffer::AppendBuffer(const HBaseBuffer3& other) {
    if (!other.GetData() || other.GetLength() < 1) {
        return length_;
    }
    return AppendExact(other.GetData(), other.GetLength());
}

int HBaseBuffer::StartsWith(const char* text) {
    Terminate();
    if (!text) {
        text = "";
    }
    const std::size_t n = std::strlen(text);
    const std::size_t length = static_cast<std::size_t>(length_);
    return CompareRuns(data_, length < n ? length : n, text, n, false);
}

void HBaseBuffer::Assign(const HBaseBuffer3& other) {
    // Emptying first would lose the content that is to be assigned.
    if (&other == this) {
        return;
    }
    Empty();
    AppendBuffer(other);
}
