#include "gdi/change_watch.h"

#include <pthread.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>

extern char** environ;

namespace platform::gdi {

namespace {

// Whatever can make a file of the folder another version, or the folder itself go away.
constexpr uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_ATTRIB |
                             IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// Far more folders than the caches ever need; beyond it the watch starts over.
constexpr size_t kMaxFolders = 128;

constexpr int kNotStarted = -1;
constexpr int kCannotWatch = -2;

// The variables that choose the prefix and the fonts: a change of any is a change of everything.
constexpr const char* kVariables[] = {"WINEPREFIX=", "HOME=", "EUDC_HOST_FONTS=", "FONTCONFIG_FILE="};
constexpr size_t kVariableCount = sizeof kVariables / sizeof kVariables[0];

struct Watcher {
    std::mutex lock;
    int fd = kNotStarted;
    uint64_t generation = 1;
    bool unwatched = false;  // a folder could not be watched since the last ChangeGeneration
    std::map<std::string, int> folders;
    std::optional<std::string> variables[kVariableCount];
};

// One pass over the environment; true when one of the variables changed since the last call.
bool EnvironmentChanged(Watcher& w) {
    const char* now[kVariableCount] = {};
    for (char** entry = environ; entry && *entry; ++entry) {
        for (size_t i = 0; i < kVariableCount; ++i) {
            if (now[i] || (*entry)[0] != kVariables[i][0]) continue;  // most names differ at once
            const size_t n = std::strlen(kVariables[i]);
            if (std::strncmp(*entry, kVariables[i], n) == 0) now[i] = *entry + n;
        }
    }
    bool changed = false;
    for (size_t i = 0; i < kVariableCount; ++i) {
        if (now[i] ? (w.variables[i] && *w.variables[i] == now[i]) : !w.variables[i]) continue;
        changed = true;
        if (now[i])
            w.variables[i] = now[i];
        else
            w.variables[i].reset();
    }
    return changed;
}

Watcher& TheWatcher();

// A child made by fork shares the inotify instance with its parent: reading it would take the
// parent's events. The child starts a watch of its own and checks everything once.
void Reset(Watcher& w) {
    if (w.fd >= 0) close(w.fd);
    w.fd = kNotStarted;
    w.folders.clear();
    ++w.generation;
}

void BeforeFork() { TheWatcher().lock.lock(); }
void AfterForkInParent() { TheWatcher().lock.unlock(); }
void AfterForkInChild() {
    Watcher& w = TheWatcher();
    Reset(w);
    w.lock.unlock();
}

Watcher& TheWatcher() {
    static Watcher* watcher = [] {
        auto* w = new Watcher;
        pthread_atfork(BeforeFork, AfterForkInParent, AfterForkInChild);
        return w;
    }();
    return *watcher;
}

bool Started(Watcher& w) {
    if (w.fd == kNotStarted) {
        w.fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (w.fd < 0) w.fd = kCannotWatch;
    }
    return w.fd >= 0;
}

void Forget(Watcher& w, int wd) {
    for (auto it = w.folders.begin(); it != w.folders.end();) it = it->second == wd ? w.folders.erase(it) : std::next(it);
}

// Reads every pending event; true when there was any.
bool Drain(Watcher& w) {
    bool changed = false;
    alignas(struct inotify_event) char buffer[4096];
    while (true) {
        const ssize_t n = read(w.fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                Reset(w);  // a broken instance is replaced at the next use
                return true;
            }
            return changed;
        }
        if (n == 0) return changed;
        changed = true;
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(struct inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + at);
            // A folder removed, or moved away from the name it was watched under, is watched anew
            // by name the next time a cache needs it.
            if (event->mask & IN_MOVE_SELF) inotify_rm_watch(w.fd, event->wd);
            if (event->mask & (IN_IGNORED | IN_MOVE_SELF | IN_DELETE_SELF)) Forget(w, event->wd);
            at += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
        }
    }
}

}  // namespace

uint64_t ChangeGeneration() {
    Watcher& w = TheWatcher();
    std::lock_guard<std::mutex> guard(w.lock);
    bool changed = w.unwatched;
    w.unwatched = false;
    if (EnvironmentChanged(w)) changed = true;
    if (!Started(w))
        changed = true;
    else if (Drain(w))
        changed = true;
    if (changed) ++w.generation;
    return w.generation;
}

void WatchFolder(const std::filesystem::path& folder) {
    Watcher& w = TheWatcher();
    std::lock_guard<std::mutex> guard(w.lock);
    if (!Started(w)) {
        w.unwatched = true;
        return;
    }
    if (w.folders.count(folder.native())) return;
    if (w.folders.size() >= kMaxFolders) Reset(w);
    if (!Started(w)) {
        w.unwatched = true;
        return;
    }
    const int wd = inotify_add_watch(w.fd, folder.c_str(), kEvents);
    if (wd < 0) {
        w.unwatched = true;
        return;
    }
    w.folders[folder.native()] = wd;
}

void WatchFileFolder(const std::filesystem::path& file) {
    WatchFolder(file.parent_path());
    std::error_code ec;
    if (!std::filesystem::is_symlink(file, ec)) return;
    const std::filesystem::path target = std::filesystem::canonical(file, ec);
    if (!ec) WatchFolder(target.parent_path());
}

void NoteChange() {
    Watcher& w = TheWatcher();
    std::lock_guard<std::mutex> guard(w.lock);
    ++w.generation;
}

}  // namespace platform::gdi
