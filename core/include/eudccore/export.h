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
