// ZarvResultOf: failures are results. The library's loads and saves answer
// with their documented failure value when memory runs out or a container
// refuses a size, never with an exception that a caller did not expect.
#ifndef ZARVLIB_ZARV_RESULT_H_
#define ZARVLIB_ZARV_RESULT_H_

#include <exception>

// Runs `op` and returns what it returns, or `failed` when it throws.
template <class R, class Op>
R ZarvResultOf(R failed, Op&& op) noexcept {
    try {
        return op();
    } catch (const std::exception&) {
        return failed;
    }
}

#endif  // ZARVLIB_ZARV_RESULT_H_
