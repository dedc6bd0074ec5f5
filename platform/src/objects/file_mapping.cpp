// File mappings backed by the paging file. The file is exactly the mapping's size and views map
// it shared, so every process sees the same bytes. A read-only mapping's file carries no write
// permission, which tells its protection to the processes that open it.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "files/win_error.h"
#include "objects/object_store.h"
#include "platform/synchapi.h"
#include "security/everyone_rights.h"

namespace platform::objects {

namespace {

constexpr unsigned long long kAllocationGranularity = 65536;
const security::GenericMapping kSectionRights = {READ_CONTROL | SECTION_QUERY | SECTION_MAP_READ,
                                                 READ_CONTROL | SECTION_MAP_WRITE,
                                                 READ_CONTROL | SECTION_MAP_EXECUTE, SECTION_ALL_ACCESS};

class MappingObject : public KernelObject {
public:
    MappingObject(int fd, const std::string& path, bool writable) : KernelObject(Kind::Mapping, fd, path, writable) {
        struct stat st = {};
        if (fstat(fd, &st) == 0) {
            size_ = static_cast<unsigned long long>(st.st_size);
            readOnly_ = !(st.st_mode & S_IWUSR) || !writable;
        }
    }
    unsigned long long size() const { return size_; }
    bool readOnly() const { return readOnly_; }

private:
    unsigned long long size_ = 0;
    bool readOnly_ = true;
};

std::shared_ptr<KernelObject> MakeMapping(int fd, const std::string& path, bool writable) {
    return std::make_shared<MappingObject>(fd, path, writable);
}

// The views of this process, by base address, with their lengths.
std::mutex g_viewsMutex;
std::map<uintptr_t, size_t>& Views() {
    static auto* views = new std::map<uintptr_t, size_t>;
    return *views;
}

LPVOID FailView(DWORD error) {
    SetLastError(error);
    return nullptr;
}

}  // namespace

}  // namespace platform::objects

using namespace platform::objects;

HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES sa, DWORD protect, DWORD sizeHigh, DWORD sizeLow,
                          LPCSTR name) {
    // Only what the paging file backs: mapping a file of the drive is not part of this layer.
    if (file != INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    const DWORD page = protect & 0xFFu;
    const unsigned long long size = (static_cast<unsigned long long>(sizeHigh) << 32) | sizeLow;
    if ((page != PAGE_READONLY && page != PAGE_READWRITE && page != PAGE_WRITECOPY) || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ACCESS_MASK everyone = 0;
    if (!platform::security::EveryoneRights(sa, kSectionRights, &everyone)) return nullptr;
    unsigned mode = (everyone & SECTION_MAP_WRITE) ? 0666u : (everyone & SECTION_MAP_READ) ? 0644u : 0600u;
    if (page != PAGE_READWRITE) mode &= ~0222u;
    NewObject wanted{Kind::Mapping, mode, [size](int fd) {
                       if (ftruncate(fd, static_cast<off_t>(size)) == 0) return true;
                       SetLastError(platform::files::ErrnoToWin32(errno, {}));
                       return false;
                   }};
    return CreateObjectHandle(name, wanted, MakeMapping, SECTION_ALL_ACCESS);
}

HANDLE OpenFileMappingA(DWORD access, BOOL, LPCSTR name) {
    const ACCESS_MASK rights = platform::security::MapGeneric(access, kSectionRights);
    return OpenObjectHandle(name, Kind::Mapping, (rights & SECTION_MAP_WRITE) != 0, MakeMapping, rights);
}

LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes) {
    DWORD granted = 0;
    const std::shared_ptr<MappingObject> object = LookupObject<MappingObject>(mapping, &granted);
    if (!object) return nullptr;
    // As Windows reads the access: write wins over copy, copy over read.
    const bool write = access & FILE_MAP_WRITE;
    const bool copy = !write && (access & FILE_MAP_COPY);
    const DWORD needed = write ? SECTION_MAP_WRITE : SECTION_MAP_READ;
    if ((granted & needed) != needed || (write && object->readOnly())) return FailView(ERROR_ACCESS_DENIED);
    const unsigned long long offset = (static_cast<unsigned long long>(offsetHigh) << 32) | offsetLow;
    if (offset % kAllocationGranularity != 0) return FailView(ERROR_MAPPED_ALIGNMENT);
    const unsigned long long size = object->size();
    if (offset >= size) return FailView(ERROR_INVALID_PARAMETER);
    // A view may reach to the end of the mapping's last page, as in Windows.
    const unsigned long long pageSize = static_cast<unsigned long long>(sysconf(_SC_PAGESIZE));
    const unsigned long long limit = (size + pageSize - 1) / pageSize * pageSize - offset;
    const unsigned long long length = bytes == 0 ? size - offset : bytes;
    if (length > limit) return FailView(ERROR_ACCESS_DENIED);
    void* view = mmap(nullptr, length, PROT_READ | (write || copy ? PROT_WRITE : 0), copy ? MAP_PRIVATE : MAP_SHARED,
                      object->fd(), static_cast<off_t>(offset));
    if (view == MAP_FAILED) return FailView(errno == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : ERROR_ACCESS_DENIED);
    std::lock_guard<std::mutex> guard(g_viewsMutex);
    Views()[reinterpret_cast<uintptr_t>(view)] = length;
    return view;
}

BOOL UnmapViewOfFile(LPCVOID address) {
    const auto at = reinterpret_cast<uintptr_t>(address);
    std::lock_guard<std::mutex> guard(g_viewsMutex);
    auto& views = Views();
    auto it = views.upper_bound(at);
    if (address && it != views.begin()) {
        --it;
        if (at < it->first + it->second) {
            munmap(reinterpret_cast<void*>(it->first), it->second);
            views.erase(it);
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_ADDRESS);
    return FALSE;
}
