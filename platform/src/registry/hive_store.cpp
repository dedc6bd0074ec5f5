#include "hive_store.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <system_error>

#include "../prefix.h"
#include "reg_format.h"
#include "system/faults.h"
#include "reg_parse.h"

namespace fs = std::filesystem;

namespace platform::registry {

namespace {

// What tells one version of a hive file from another. Our saves make each new version's
// modification time later than the one it replaces, so a rename that reuses an inode number
// within the file system's timestamp granularity is still seen as a change.
struct FileIdentity {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    int64_t mtimeNs = 0;

    static FileIdentity From(const struct stat& st) {
        FileIdentity id;
        id.exists = true;
        id.dev = st.st_dev;
        id.ino = st.st_ino;
        id.size = st.st_size;
        id.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        return id;
    }
    bool operator==(const FileIdentity&) const = default;
};

struct HiveCache {
    fs::path file;  // the prefix can change between calls (tests switch WINEPREFIX)
    bool loaded = false;
    FileIdentity identity;
    std::unique_ptr<Hive> hive;  // null when the file is malformed
    LONG error = ERROR_SUCCESS;
    // Changes made while saves are deferred, in order; applied again to a newer file before the save.
    std::vector<HiveChange> journal;
};

// The process that defers its saves; a child made by fork saves its own changes as usual.
pid_t g_deferringProcess = 0;

bool Deferring() { return g_deferringProcess != 0 && g_deferringProcess == getpid(); }

HiveCache& Cache(HiveId id) {
    static HiveCache caches[2];
    return caches[id == HiveId::Machine ? 0 : 1];
}

std::unique_ptr<Hive> EmptyHive(HiveId id) {
    auto hive = std::make_unique<Hive>();
    hive->prologue = NewHivePrologue(id);
    return hive;
}

bool ReadAll(int fd, std::string& out, size_t sizeHint) {
    out.clear();
    out.reserve(sizeHint);
    char buf[65536];
    while (true) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return true;
        if (out.size() + static_cast<size_t>(n) > kMaxHiveFileSize) return false;
        out.append(buf, static_cast<size_t>(n));
    }
}

bool WriteAll(int fd, std::string_view data) {
    if (faults::Hit(testing::FaultKind::Write)) return false;
    while (!data.empty()) {
        const ssize_t n = write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Applies the journal to a freshly read hive; a change that no longer applies (its key went) is
// dropped, as it would have failed had it come after the other process's save.
void Replay(HiveCache& c) {
    std::vector<HiveChange> kept;
    for (HiveChange& change : c.journal) {
        bool changed = false;
        if (change(*c.hive, false, changed) != ERROR_SUCCESS) continue;
        if (changed) change(*c.hive, true, changed);
        kept.push_back(std::move(change));
    }
    c.journal = std::move(kept);
}

// Brings the cache up to date with the file on disk.
LONG Refresh(HiveId id) {
    HiveCache& c = Cache(id);
    const fs::path file = HiveFile(id);
    if (c.loaded && c.file != file) {
        c.loaded = false;
        c.journal.clear();  // changes to another prefix's hive
    }

    struct stat st;
    if (stat(file.c_str(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR) return ERROR_CANTREAD;
        if (c.loaded && !c.identity.exists) return c.error;
        std::vector<HiveChange> journal = std::move(c.journal);
        c = HiveCache{file, true, FileIdentity{}, EmptyHive(id), ERROR_SUCCESS, std::move(journal)};
        Replay(c);
        return ERROR_SUCCESS;
    }
    if (c.loaded && c.identity == FileIdentity::From(st)) return c.error;

    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return ERROR_CANTREAD;
    struct stat fst;
    std::string text;
    const bool ok = fstat(fd, &fst) == 0 && S_ISREG(fst.st_mode) &&
                    ReadAll(fd, text, static_cast<size_t>(fst.st_size));
    close(fd);
    if (!ok) return ERROR_CANTREAD;

    c.file = file;
    c.loaded = true;
    c.identity = FileIdentity::From(fst);
    c.hive = ParseHive(text);
    // A malformed file stays as it is: every call on the hive fails until the file is mended.
    c.error = c.hive ? ERROR_SUCCESS : ERROR_BADDB;
    // What this process changed and has not saved yet goes on top of what another one saved.
    if (c.hive) Replay(c);
    return c.error;
}

// The cross-process lock (flock on a file in the prefix's state folder). Opened anew for every
// change: a descriptor inherited over fork would share the lock with the parent.
class HiveLock {
public:
    bool Acquire() {
        std::error_code ec;
        const fs::path dir = prefix::StateDir();
        fs::create_directories(dir, ec);
        fd_ = open((dir / "registry.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0) return false;
        while (flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) return false;
        }
        return true;
    }
    ~HiveLock() {
        if (fd_ >= 0) close(fd_);  // releases the lock
    }

private:
    int fd_ = -1;
};

bool Sync(int fd) { return !faults::Hit(testing::FaultKind::Sync) && fsync(fd) == 0; }

// Makes the file's modification time later than the version it replaces, so that other
// processes see the change even within the file system's timestamp granularity.
bool AdvanceTime(int fd, const FileIdentity& previous) {
    struct stat st;
    if (!previous.exists || fstat(fd, &st) != 0) return true;
    const int64_t now = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    if (now > previous.mtimeNs) return true;
    const int64_t later = previous.mtimeNs + 1;
    const struct timespec times[2] = {{0, UTIME_OMIT},
                                      {static_cast<time_t>(later / 1000000000), static_cast<long>(later % 1000000000)}};
    return futimens(fd, times) == 0;
}

// A file with several hard links is rewritten in place, as Wine saves it: replacing it would
// cut it off from its other names.
bool SaveInPlace(const fs::path& file, const std::string& text, const FileIdentity& previous, FileIdentity& saved) {
    const int fd = open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool ok = WriteAll(fd, text) && ftruncate(fd, static_cast<off_t>(text.size())) == 0 && AdvanceTime(fd, previous) &&
              Sync(fd) && fstat(fd, &st) == 0;
    if (close(fd) != 0) ok = false;
    if (ok) saved = FileIdentity::From(st);
    return ok;
}

// Writes text to a sibling of the hive file, flushes it and renames it over the file. A symbolic
// link stays a link: its target is the file replaced.
bool SaveFile(const fs::path& file, const std::string& text, const FileIdentity& previous, FileIdentity& saved) {
    fs::path target = file;
    std::error_code ec;
    if (fs::is_symlink(file, ec)) {
        target = fs::canonical(file, ec);
        if (ec) return false;
    }
    struct stat old;
    const bool hadOld = stat(target.c_str(), &old) == 0;
    if (hadOld && old.st_nlink > 1) return SaveInPlace(target, text, previous, saved);
    const fs::path tmp = target.parent_path() / (target.filename().string() + ".tmp-" + std::to_string(getpid()));
    const int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, hadOld ? (old.st_mode & 07777) : 0644);
    if (fd < 0) return false;
    struct stat st;
    bool ok = WriteAll(fd, text) && AdvanceTime(fd, previous) && Sync(fd) && fstat(fd, &st) == 0;
    if (close(fd) != 0) ok = false;
    if (ok) ok = !faults::Hit(testing::FaultKind::Rename) && rename(tmp.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(tmp.c_str());
        return false;
    }
    // The folder is not flushed: after a crash the rename may be lost, but either version of
    // the file is whole.
    saved = FileIdentity::From(st);
    return true;
}

}  // namespace

namespace {

// Saves the hive's journal: under the cross-process lock, on the newest file, in one write.
LONG SaveJournal(HiveId id) {
    HiveCache& c = Cache(id);
    if (c.journal.empty()) return ERROR_SUCCESS;
    LONG rc = ERROR_SUCCESS;
    if (const DWORD error = prefix::PrepareWrite(); error != ERROR_SUCCESS) rc = error == ERROR_BUSY ? ERROR_BUSY : ERROR_CANTWRITE;
    HiveLock lock;
    if (rc == ERROR_SUCCESS && !lock.Acquire()) rc = ERROR_CANTWRITE;
    if (rc == ERROR_SUCCESS) rc = Refresh(id);  // applies the journal again when the file changed
    if (rc == ERROR_SUCCESS) {
        SerializedHive out = Serialize(*c.hive);
        FileIdentity saved;
        if (SaveFile(c.file, out.text, c.identity, saved)) {
            Commit(out);
            c.identity = saved;
        } else {
            rc = ERROR_CANTWRITE;
        }
    }
    c.journal.clear();
    // A change that did not reach the file is dropped from memory too: the file is the truth.
    if (rc != ERROR_SUCCESS) c.loaded = false;
    return rc;
}

}  // namespace

void DeferSaves() {
    std::lock_guard<std::mutex> guard(RegistryMutex());
    g_deferringProcess = getpid();
}

LONG SaveDeferred() {
    std::lock_guard<std::mutex> guard(RegistryMutex());
    g_deferringProcess = 0;
    const LONG machine = SaveJournal(HiveId::Machine);
    const LONG user = SaveJournal(HiveId::User);
    return machine != ERROR_SUCCESS ? machine : user;
}

std::mutex& RegistryMutex() {
    static std::mutex m;
    return m;
}

fs::path HiveFile(HiveId id) { return prefix::Root() / (id == HiveId::Machine ? "system.reg" : "user.reg"); }

LONG ReadHive(HiveId id, const std::function<LONG(const Hive&)>& read) {
    const LONG rc = Refresh(id);
    if (rc != ERROR_SUCCESS) return rc;
    return read(*Cache(id).hive);
}

LONG ChangeHive(HiveId id, const HiveChange& change) {
    LONG rc = Refresh(id);
    if (rc != ERROR_SUCCESS) return rc;
    bool changed = false;
    // A call that would change nothing (or fails) on the current state neither creates the
    // prefix nor takes the lock.
    rc = change(*Cache(id).hive, false, changed);
    if (rc != ERROR_SUCCESS || !changed) return rc;
    if (Deferring()) {
        // Kept in memory (this process sees it at once) and saved with the others at the end.
        HiveCache& c = Cache(id);
        rc = change(*c.hive, true, changed);
        if (rc != ERROR_SUCCESS) {
            c.loaded = false;
            c.journal.clear();
            return rc;
        }
        c.journal.push_back(change);
        return ERROR_SUCCESS;
    }

    if (const DWORD error = prefix::PrepareWrite(); error != ERROR_SUCCESS)
        return error == ERROR_BUSY ? ERROR_BUSY : ERROR_CANTWRITE;
    HiveLock lock;
    if (!lock.Acquire()) return ERROR_CANTWRITE;
    rc = Refresh(id);
    if (rc != ERROR_SUCCESS) return rc;
    HiveCache& c = Cache(id);
    changed = false;
    rc = change(*c.hive, false, changed);
    if (rc != ERROR_SUCCESS || !changed) return rc;
    rc = change(*c.hive, true, changed);
    if (rc != ERROR_SUCCESS) {
        c.loaded = false;  // whatever was half done is read again from the file
        return rc;
    }
    SerializedHive out = Serialize(*c.hive);
    FileIdentity saved;
    if (!SaveFile(c.file, out.text, c.identity, saved)) {
        c.loaded = false;
        return ERROR_CANTWRITE;
    }
    Commit(out);
    c.identity = saved;
    return ERROR_SUCCESS;
}

}  // namespace platform::registry
