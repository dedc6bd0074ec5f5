// The GUI application object: the program's work runs in InitInstance; an InitInstance that
// reports failure ends the program without a main window or message loop.
#pragma once
#include <string>
#include <vector>

#include "platform/wintypes.h"

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // Runs the message loop; there are no windows, so it ends at once.
    virtual int Run();

    // The arguments after the program name, in code page 950, as the platform splits them.
    const std::vector<std::string>& Arguments() const { return m_arguments; }

    // Drives the application: InitInstance, then Run when it succeeded, then ExitInstance,
    // whose result is the process exit code.
    int Main(int argc, char** argv);

    HINSTANCE m_hInstance = nullptr;

protected:
    std::vector<std::string> m_arguments;
};

CWinApp* AfxGetApp();
