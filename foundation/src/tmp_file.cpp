#include "foundation/tmp_file.h"

#include <vector>

#include "foundation/mem_file.h"
#include "foundation/os_file.h"

namespace {

// Read-write, exclusive, create-always.
constexpr FileOpenMode kDiskMode = 0x9012;
constexpr const char kNamePrefix[] = "TQT";

// The system temporary folder with a trailing backslash, looked up once per process.
const std::string& SystemTempDir() {
    static const std::string dir = [] {
        std::vector<char> buffer(512);
        DWORD n = GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (n >= buffer.size()) {  // too long for the buffer: n is the size it needs
            buffer.resize(n);
            n = GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data());
            if (n >= buffer.size()) n = 0;
        }
        std::string text = n == 0 ? std::string("C:\\") : std::string(buffer.data(), n);
        if (text.back() != '\\') text += '\\';
        return text;
    }();
    return dir;
}

// The number written in hexadecimal after the prefix; characters that are no digit count 0.
std::uint32_t HexValue(const std::string& digits) {
    std::uint32_t value = 0;
    for (char c : digits) {
        std::uint32_t d = 0;
        if (c >= '1' && c <= '9') d = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'A' && c <= 'F') d = static_cast<std::uint32_t>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f') d = static_cast<std::uint32_t>(c - 'a' + 10);
        value = value * 16 + d;
    }
    return value;
}

}  // namespace

HTmpFile::HTmpFile() = default;

HTmpFile::~HTmpFile() { Close(); }

void HTmpFile::ResetSettings() {
    threshold_ = kDefaultThreshold;
    useDirectoryAsName_ = false;
    removeOnClose_ = true;
    path_.clear();
    directory_.clear();
    backing_.reset();
    onDisk_ = 0;
    uniqueNumber_ = 0;
}

bool HTmpFile::Configure(std::int32_t threshold, const char* directory, bool useDirectoryAsName,
                         bool removeOnClose) {
    threshold_ = threshold;
    directory_ = directory ? directory : "";
    useDirectoryAsName_ = useDirectoryAsName;
    removeOnClose_ = removeOnClose;
    if (threshold > 0) return true;
    return FixName();
}

bool HTmpFile::FixName() {
    if (!path_.empty()) return true;
    if (useDirectoryAsName_) {
        path_ = directory_;
        return !path_.empty();
    }
    const std::string& dir = directory_.empty() ? SystemTempDir() : directory_;
    char name[MAX_PATH] = {};
    if (GetTempFileNameA(dir.c_str(), kNamePrefix, 0, name) < 1) return false;
    path_ = name;
    // The number follows the folder and the prefix, up to the first '.'.
    const std::size_t skip = dir.size() + (sizeof kNamePrefix - 1);
    std::string digits = skip < path_.size() ? path_.substr(skip) : std::string();
    digits = digits.substr(0, digits.find('.'));
    uniqueNumber_ = HexValue(digits);
    return true;
}

std::uint32_t HTmpFile::SpillToDisk() {
    if (onDisk_) return uniqueNumber_;
    if (!backing_ || backing_->GetLength() == 0) return 0;
    auto* memory = static_cast<HMemFile*>(backing_.get());
    const std::uint32_t position = memory->GetPosition();
    if (!FixName()) return 0;
    auto disk = std::make_unique<OS_File>();
    if (!disk->Open(path_.c_str(), kDiskMode)) return 0;
    const std::uint32_t length = memory->GetLength();
    // A short write would lose content: stay in memory instead.
    if (disk->Write(memory->GetData(), length) != length) return 0;
    backing_ = std::move(disk);
    backing_->SeekFromBegin(position);
    onDisk_ = 1;
    return uniqueNumber_;
}

bool HTmpFile::IsOpen() const { return true; }
bool HTmpFile::Open(const char*, FileOpenMode) { return true; }
bool HTmpFile::Open(const wchar_t*, FileOpenMode) { return true; }

std::uint32_t HTmpFile::GetPosition() const { return backing_ ? backing_->GetPosition() : 0; }
std::uint32_t HTmpFile::GetLength() const { return backing_ ? backing_->GetLength() : 0; }

std::uint32_t HTmpFile::Read(void* buffer, std::uint32_t count) {
    return backing_ ? backing_->Read(buffer, count) : 0;
}

std::uint32_t HTmpFile::Seek(std::int32_t offset, int origin) {
    return backing_ ? backing_->Seek(offset, origin) : 0;
}

bool HTmpFile::SetLength(std::uint32_t length) {
    if (!backing_) return length == 0;
    return backing_->SetLength(length);
}

std::uint32_t HTmpFile::Write(const void* buffer, std::uint32_t count) {
    if (!backing_) {
        if (threshold_ < 1) {
            if (!FixName()) return 0;
            auto disk = std::make_unique<OS_File>();
            if (!disk->Open(path_.c_str(), kDiskMode)) return 0;
            backing_ = std::move(disk);
            onDisk_ = 1;
        } else {
            backing_ = std::make_unique<HMemFile>();
            onDisk_ = 0;
        }
    }
    if (!onDisk_ && static_cast<std::int64_t>(backing_->GetPosition()) + count > threshold_) SpillToDisk();
    return backing_->Write(buffer, count);
}

void HTmpFile::Flush() {}

bool HTmpFile::Close() {
    bool ok = true;
    // Content in memory is kept only when the file is to outlive the object.
    if (backing_ && !onDisk_ && !removeOnClose_ && backing_->GetLength() > 0) {
        SpillToDisk();
        ok = onDisk_ == 1;
    }
    if (backing_) backing_->Close();
    backing_.reset();
    if (removeOnClose_ && !path_.empty()) DeleteFileA(path_.c_str());
    ResetSettings();
    return ok;
}

const wchar_t* HTmpFile::GetFileNameW() const { return nullptr; }
const char* HTmpFile::GetFileName() const { return path_.empty() ? nullptr : path_.c_str(); }

bool HTmpFile::IsTemporary() const { return backing_ && removeOnClose_ && onDisk_ == 1 && !path_.empty(); }
