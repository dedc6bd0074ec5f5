#include "objects/object_store.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <optional>
#include <system_error>
#include <unordered_map>

#include "files/win_error.h"
#include "objects/byte_lock.h"
#include "prefix.h"

namespace fs = std::filesystem;

namespace platform::objects {

namespace {

constexpr int kKindCount = 3;

long long MarkerOf(Kind kind) { return kHolderMarker + static_cast<int>(kind); }

// The kind of the object that fd's file is, or nullopt when nobody holds it.
std::optional<Kind> LiveKind(int fd) {
    for (int k = 0; k < kKindCount; ++k)
        if (ByteLockedElsewhere(fd, MarkerOf(static_cast<Kind>(k)))) return static_cast<Kind>(k);
    return std::nullopt;
}

bool IsRegular(int fd) {
    struct stat st = {};
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

bool SameFile(int fd, const std::string& path) {
    struct stat mine = {}, there = {};
    return fstat(fd, &mine) == 0 && stat(path.c_str(), &there) == 0 && mine.st_dev == there.st_dev &&
           mine.st_ino == there.st_ino;
}

std::shared_ptr<KernelObject> Fail(DWORD error) {
    SetLastError(error);
    return nullptr;
}

// The store's lock for one create, open or removal. A process that may not write the lock file
// (another user's prefix) still takes the read lock and can open objects.
class StoreLock {
public:
    StoreLock(bool exclusive, bool create) {
        const fs::path file = ObjectsFolder() / ".lock";
        fd_ = open(file.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY | (create ? O_CREAT : 0), 0644);
        exclusive_ = exclusive;
        if (fd_ < 0 && errno == EACCES) {
            fd_ = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY);
            exclusive_ = false;
        }
        if (fd_ < 0) {
            error_ = files::ErrnoToWin32(errno, file);
            return;
        }
        if (!LockByte(fd_, 0, exclusive_ ? F_WRLCK : F_RDLCK, true)) {
            error_ = files::ErrnoToWin32(errno, file);
            close(fd_);
            fd_ = -1;
        }
    }
    ~StoreLock() {
        if (fd_ >= 0) close(fd_);
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    bool held() const { return fd_ >= 0; }
    bool exclusive() const { return exclusive_; }
    DWORD error() const { return error_; }

private:
    int fd_ = -1;
    bool exclusive_ = false;
    DWORD error_ = ERROR_SUCCESS;
};

// The objects this process holds, by file: every Create or Open of one of them hands out the same
// object. Never destroyed: handles may still close while the process shuts down.
struct Held {
    std::weak_ptr<KernelObject> object;
    dev_t dev = 0;
    ino_t ino = 0;
};
std::mutex g_heldMutex;
std::unordered_map<std::string, Held>& HeldObjects() {
    static auto* held = new std::unordered_map<std::string, Held>;
    return *held;
}

// The object this process holds at path. An object whose file was replaced behind our back goes
// to *stale, for the caller to let go of after it has released the store's lock: its destructor
// takes that lock itself.
std::shared_ptr<KernelObject> FindHeld(const std::string& path, std::shared_ptr<KernelObject>* stale) {
    auto& held = HeldObjects();
    auto it = held.find(path);
    if (it == held.end()) return nullptr;
    std::shared_ptr<KernelObject> object = it->second.object.lock();
    struct stat st = {};
    if (object && stat(path.c_str(), &st) == 0 && st.st_dev == it->second.dev && st.st_ino == it->second.ino)
        return object;
    *stale = std::move(object);
    held.erase(it);
    return nullptr;
}

void Remember(const std::string& path, const std::shared_ptr<KernelObject>& object) {
    struct stat st = {};
    if (fstat(object->fd(), &st) != 0) return;
    HeldObjects()[path] = Held{object, st.st_dev, st.st_ino};
}

std::shared_ptr<KernelObject> CreateNamed(const ObjectName& name, const NewObject& wanted, const MakeObject& make,
                                          bool* existed) {
    if (const DWORD error = prefix::PrepareWrite(); error != ERROR_SUCCESS) return Fail(error);
    const fs::path folder = NamespaceFolder(name.global);
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return Fail(files::ErrnoToWin32(ec.value(), folder));
    const std::string path = (folder / name.fileName).string();

    // Declared before the locks: whatever they hold is let go of after the locks are released.
    std::shared_ptr<KernelObject> result, stale;
    StoreLock lock(true, true);
    if (!lock.held()) return Fail(lock.error());
    std::lock_guard<std::mutex> guard(g_heldMutex);
    if ((result = FindHeld(path, &stale))) {
        if (result->kind() != wanted.kind) return Fail(ERROR_INVALID_HANDLE);
        *existed = true;
        return result;
    }
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY);
    if (fd < 0 && errno != ENOENT) return Fail(files::ErrnoToWin32(errno, path));
    if (fd >= 0) {
        if (!IsRegular(fd)) {
            close(fd);
            return Fail(ERROR_INVALID_HANDLE);
        }
        if (const std::optional<Kind> live = LiveKind(fd)) {
            if (*live != wanted.kind || !LockByte(fd, MarkerOf(wanted.kind), F_RDLCK, false)) {
                close(fd);
                return Fail(ERROR_INVALID_HANDLE);
            }
            result = make(fd, path, true);
            Remember(path, result);
            *existed = true;
            return result;
        }
        // Left by a process that ended: replaced by a new file of our own.
        close(fd);
        if (!lock.exclusive()) return Fail(ERROR_ACCESS_DENIED);
        if (unlink(path.c_str()) != 0 && errno != ENOENT) return Fail(files::ErrnoToWin32(errno, path));
    } else if (!lock.exclusive()) {
        return Fail(ERROR_ACCESS_DENIED);
    }
    fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
    if (fd < 0) return Fail(files::ErrnoToWin32(errno, path));
    DWORD error = ERROR_SUCCESS;
    if (fchmod(fd, wanted.mode) != 0 || !LockByte(fd, MarkerOf(wanted.kind), F_RDLCK, false))
        error = files::ErrnoToWin32(errno, path);
    else if (!wanted.initialise(fd))
        error = GetLastError();
    if (error != ERROR_SUCCESS) {
        unlink(path.c_str());
        close(fd);
        return Fail(error);
    }
    result = make(fd, path, true);
    Remember(path, result);
    *existed = false;
    return result;
}

std::shared_ptr<KernelObject> OpenNamed(const ObjectName& name, Kind kind, bool needWrite, const MakeObject& make) {
    const std::string path = (NamespaceFolder(name.global) / name.fileName).string();
    std::shared_ptr<KernelObject> result, stale;
    StoreLock lock(false, false);
    if (!lock.held()) return Fail(lock.error() == ERROR_PATH_NOT_FOUND ? ERROR_FILE_NOT_FOUND : lock.error());
    std::lock_guard<std::mutex> guard(g_heldMutex);
    if ((result = FindHeld(path, &stale))) {
        if (result->kind() != kind) return Fail(ERROR_INVALID_HANDLE);
        if (needWrite && !result->writable()) return Fail(ERROR_ACCESS_DENIED);
        return result;
    }
    bool writable = true;
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY);
    if (fd < 0 && errno == EACCES && !needWrite) {
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY);
        writable = false;
    }
    if (fd < 0) return Fail(errno == ENOENT ? ERROR_FILE_NOT_FOUND : files::ErrnoToWin32(errno, path));
    const std::optional<Kind> live = IsRegular(fd) ? LiveKind(fd) : std::nullopt;
    DWORD error = ERROR_SUCCESS;
    if (!live)
        error = ERROR_FILE_NOT_FOUND;
    else if (*live != kind || !LockByte(fd, MarkerOf(kind), F_RDLCK, false))
        error = ERROR_INVALID_HANDLE;
    if (error != ERROR_SUCCESS) {
        close(fd);
        return Fail(error);
    }
    result = make(fd, path, writable);
    Remember(path, result);
    return result;
}

std::shared_ptr<KernelObject> CreateUnnamed(const NewObject& wanted, const MakeObject& make) {
    const int fd = memfd_create("eudc-object", MFD_CLOEXEC);
    if (fd < 0) return Fail(files::ErrnoToWin32(errno, {}));
    if (!wanted.initialise(fd)) {
        const DWORD error = GetLastError();
        close(fd);
        return Fail(error);
    }
    return make(fd, std::string(), true);
}

}  // namespace

HANDLE CreateObjectHandle(LPCSTR name, const NewObject& wanted, const MakeObject& make, DWORD access) {
    std::shared_ptr<KernelObject> object;
    bool existed = false;
    if (!name || !*name) {
        object = CreateUnnamed(wanted, make);
    } else {
        const std::optional<ObjectName> parsed = ParseObjectName(name, NameUse::Create);
        if (!parsed) return nullptr;
        object = CreateNamed(*parsed, wanted, make, &existed);
    }
    if (!object) return nullptr;
    HANDLE handle = NewHandle(std::move(object), access);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

HANDLE OpenObjectHandle(LPCSTR name, Kind kind, bool needWrite, const MakeObject& make, DWORD access) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // An empty name opens the namespace's directory, which is no object of the kind asked for.
    if (!*name) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const std::optional<ObjectName> parsed = ParseObjectName(name, NameUse::Open);
    if (!parsed) return nullptr;
    std::shared_ptr<KernelObject> object = OpenNamed(*parsed, kind, needWrite, make);
    return object ? NewHandle(std::move(object), access) : nullptr;
}

void ReleaseObjectFile(int fd, const std::string& path, Kind kind) {
    if (!path.empty()) {
        StoreLock lock(true, false);
        if (lock.held() && lock.exclusive() && LockByte(fd, MarkerOf(kind), F_WRLCK, false) && SameFile(fd, path))
            unlink(path.c_str());
    }
    close(fd);
}

}  // namespace platform::objects
