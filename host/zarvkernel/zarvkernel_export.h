// Export macro of the kernel runtime: what it marks is visible to users
// of the shared library; everything else stays hidden.
#ifndef ZARVKERNEL_EXPORT_H_
#define ZARVKERNEL_EXPORT_H_

#if defined(_WIN32)
#if defined(ZARVKERNEL_BUILDING)
#define ZARVKERNEL_API __declspec(dllexport)
#else
#define ZARVKERNEL_API __declspec(dllimport)
#endif
#else
#define ZARVKERNEL_API __attribute__((visibility("default")))
#endif

#endif  // ZARVKERNEL_EXPORT_H_
