/* CFE_API marks the functions the cfedriver library exports. Building the
 * library (CFEDRIVER_BUILDING defined): dllexport on Windows, default
 * visibility on ELF, where the rest of the library is hidden. For its users:
 * dllimport on Windows, nothing on ELF. Programs linked with the library's code
 * itself (its tests, CFEDRIVER_STATIC) neither import nor export. */
#ifndef CFEDRIVER_EXPORT_H
#define CFEDRIVER_EXPORT_H

#if defined(_WIN32)
#if defined(CFEDRIVER_STATIC)
#define CFE_API
#elif defined(CFEDRIVER_BUILDING)
#define CFE_API __declspec(dllexport)
#else
#define CFE_API __declspec(dllimport)
#endif
#elif defined(CFEDRIVER_BUILDING)
#define CFE_API __attribute__((visibility("default")))
#else
#define CFE_API
#endif

#endif
