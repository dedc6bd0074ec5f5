// Another program on the same prefix, for the client data tests: it meets the published block,
// its mutex and the change events only through the library and the platform, as a client does.
//   client_data_peer init <directory> <file name>      prints Init's result
//   client_data_peer read <out file>                   copies the mapping under the mutex
//   client_data_peer die-holding                       ends while it owns the mutex
//   client_data_peer hold <ready file> <release file>  owns the mutex until the release file exists
//   client_data_peer wait-event <session> <ready file> prints what waiting on the data event gave
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "eudccore/client_data.h"
#include "platform/windows.h"

namespace {

const char kMutex[] = "Global\\Mutex_TQClient_FileMap";
const char kMapping[] = "Global\\FileMap_TQClient_Data";

void Touch(const char* path) {
    if (FILE* f = std::fopen(path, "w")) std::fclose(f);
}

bool Exists(const char* path) {
    if (FILE* f = std::fopen(path, "r")) {
        std::fclose(f);
        return true;
    }
    return false;
}

HANDLE TakeMutex() {
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kMutex);
    if (!mutex) {
        std::printf("no mutex %lu\n", static_cast<unsigned long>(GetLastError()));
        std::exit(2);
    }
    const DWORD wait = WaitForSingleObject(mutex, 20000);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
        std::printf("wait %lu\n", static_cast<unsigned long>(wait));
        std::exit(2);
    }
    return mutex;
}

int Read(const char* outPath) {
    HANDLE mutex = TakeMutex();
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, kMapping);
    const void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (!view) {
        std::printf("no mapping %lu\n", static_cast<unsigned long>(GetLastError()));
        return 2;
    }
    FILE* out = std::fopen(outPath, "wb");
    const bool written = out && std::fwrite(view, 1, kClientMappingSize, out) == kClientMappingSize;
    if (out) std::fclose(out);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return written ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "init" && argc == 4) {
        std::printf("%d\n", Get_Client_Data()->Init(argv[3], argv[2], false));
        Get_Client_Data()->UnInit();
        return 0;
    }
    if (mode == "read" && argc == 3) return Read(argv[2]);
    if (mode == "die-holding") {
        TakeMutex();
        std::_Exit(0);  // no release, no clean-up: as a process that crashed
    }
    if (mode == "hold" && argc == 4) {
        HANDLE mutex = TakeMutex();
        Touch(argv[2]);
        while (!Exists(argv[3])) Sleep(2);
        ReleaseMutex(mutex);
        return 0;
    }
    if (mode == "wait-event" && argc == 4) {
        const std::string name = std::string("Global\\Event_TQClient_Datachanged_") + argv[2];
        HANDLE event = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
        if (!event) return 2;
        Touch(argv[3]);
        std::printf("%lu\n", static_cast<unsigned long>(WaitForSingleObject(event, 20000)));
        return 0;
    }
    std::fprintf(stderr, "usage: client_data_peer init|read|die-holding|hold|wait-event ...\n");
    return 64;
}
