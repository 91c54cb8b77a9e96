/* CFE_API marks the functions the cfedriver library exports. Building the
 * library (CFEDRIVER_BUILDING defined): default visibility on ELF, where the
 * rest of the library is hidden; nothing on Windows, where SAT.def names the
 * exports (a dllexport would add the 32-bit stdcall names with their @N). For
 * its users: dllimport on Windows, nothing on ELF. Programs linked with the
 * library's code itself (its tests, CFEDRIVER_STATIC) import nothing. */
#ifndef CFEDRIVER_EXPORT_H
#define CFEDRIVER_EXPORT_H

#if defined(_WIN32)
#if defined(CFEDRIVER_BUILDING) || defined(CFEDRIVER_STATIC)
#define CFE_API /* SAT.DLL exports by its module definition file, made from the table */
#else
#define CFE_API __declspec(dllimport)
#endif
#elif defined(CFEDRIVER_BUILDING)
#define CFE_API __attribute__((visibility("default")))
#else
#define CFE_API
#endif

#endif
