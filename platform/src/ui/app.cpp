#include "platform/app.h"

#include <malloc.h>

#include "platform/module.h"
#include "platform/resources.h"
#include "text.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }
int CWinApp::Run() { return ExitInstance(); }

int CWinApp::Main(int argc, char** argv) {
    // A program's blocks of a few megabytes (whole font files) come and go once per file; kept in
    // the heap when freed, the next file reuses their pages instead of mapping and faulting in
    // fresh ones. A library never changes this for the process that loads it; a program may.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    m_hInstance = GetModuleHandleA(nullptr);
    // The host hands over UTF-8; the program reads its command line in code page 950.
    m_arguments.clear();
    for (int i = 1; i < argc; ++i) m_arguments.push_back(platform::text::Utf8ToAnsi(argv[i]));
    if (!InitInstance()) return ExitInstance();
    return Run();
}

CWinApp* AfxGetApp() { return g_app; }
