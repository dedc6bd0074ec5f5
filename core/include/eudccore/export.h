// The one export macro of eudccore: only names marked with it leave the library.
#pragma once

#if defined(_WIN32)
#if defined(EUDCCORE_BUILDING)
#define EUDCCORE_API __declspec(dllexport)
#else
#define EUDCCORE_API __declspec(dllimport)
#endif
#else
#define EUDCCORE_API __attribute__((visibility("default")))
#endif

// The calling convention of the exports that other programs bind to by their decorated names.
#if defined(_WIN32) && defined(_M_IX86)
#define EUDCCORE_STDCALL __stdcall
#else
#define EUDCCORE_STDCALL
#endif
