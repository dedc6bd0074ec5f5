#include "platform/app.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "platform/module.h"
#include "platform/resources.h"
#include "text.h"

namespace {

CWinApp* g_app = nullptr;

// Kept for the life of the program: the heap below the first 2 MB boundary that has no small
// pages yet.
void* g_heapHead = nullptr;

// A program's blocks of a few megabytes (whole font files) come and go once per file. Kept in the
// heap when freed, the next file reuses their pages; the heap is grown once, far enough for them,
// and offered huge pages, since a first touch of a fresh small page costs microseconds and a
// 2.5 MB block has 600 of them. A 2 MB range gets a huge page only while none of it has been
// touched, so the bytes below the first such range are taken here and never handed out.
// A library never changes this for the process that loads it; a program may.
void PrepareProgramHeap() {
    constexpr std::uintptr_t kHuge = 2u * 1024 * 1024;
    constexpr std::size_t kProbe = 256 * 1024;  // more than the heap's first free space
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TOP_PAD, 64 * 1024 * 1024);
    const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    void* volatile probe = std::malloc(kProbe);  // the heap grows by the pad now
    const auto head = reinterpret_cast<std::uintptr_t>(probe);
    std::free(probe);
    const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    mallopt(M_TOP_PAD, 0);
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    if (!head || after <= before + kHuge) return;  // not a heap that grows by brk
    const std::uintptr_t start = before & ~(page - 1);
    madvise(reinterpret_cast<void*>(start), (after & ~(page - 1)) - start, MADV_HUGEPAGE);
    // The probe's end got a header written before the advice.
    const std::uintptr_t boundary = (head + kProbe + page + kHuge - 1) & ~(kHuge - 1);
    if (boundary + kHuge < after) g_heapHead = std::malloc(boundary - head - 64);
}

}  // namespace

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }
int CWinApp::Run() { return ExitInstance(); }

int CWinApp::Main(int argc, char** argv) {
    PrepareProgramHeap();
    m_hInstance = GetModuleHandleA(nullptr);
    // The host hands over UTF-8; the program reads its command line in code page 950.
    m_arguments.clear();
    for (int i = 1; i < argc; ++i) m_arguments.push_back(platform::text::Utf8ToAnsi(argv[i]));
    if (!InitInstance()) return ExitInstance();
    return Run();
}

CWinApp* AfxGetApp() { return g_app; }
