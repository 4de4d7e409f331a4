// Export macro of the utility library: what it marks is visible to users
// of the shared library; everything else stays hidden.
#ifndef ZARVLIB_EXPORT_H_
#define ZARVLIB_EXPORT_H_

#if defined(_WIN32)
#if defined(ZARVLIB_BUILDING)
#define ZARVLIB_API __declspec(dllexport)
#else
#define ZARVLIB_API __declspec(dllimport)
#endif
#else
#define ZARVLIB_API __attribute__((visibility("default")))
#endif

#endif  // ZARVLIB_EXPORT_H_
