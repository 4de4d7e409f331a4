// Export macro of the zarvqencore library: only what it marks is visible to
// programs that load the library.
#ifndef ZARVQEN_EXPORT_H_
#define ZARVQEN_EXPORT_H_

#if defined(_WIN32)
#if defined(ZARVQEN_BUILDING)
#define ZARVQEN_API __declspec(dllexport)
#else
#define ZARVQEN_API __declspec(dllimport)
#endif
#else
#define ZARVQEN_API __attribute__((visibility("default")))
#endif

#endif  // ZARVQEN_EXPORT_H_
