// File operations that fail on purpose: the n-th write, the sync, the
// close or the rename. Installed for the lifetime of the object.
#ifndef TESTS_SUPPORT_FAILING_FILE_OPS_H_
#define TESTS_SUPPORT_FAILING_FILE_OPS_H_

#include <string>

#include "host/zarvlib/file_ops.h"

class FailingFileOps : public CZARVFileOps {
public:
    enum Step { kNone, kCreate, kWrite, kSync, kClose, kRename };

    FailingFileOps(Step step, int nth = 1) : m_step(step), m_nth(nth) {
        m_previous = CZARVFileOps::Install(this);
    }
    ~FailingFileOps() override { CZARVFileOps::Install(m_previous); }

    int CreateTemp(const std::string& target, std::string& tmp) override {
        return Hit(kCreate) ? -1 : CZARVFileOps::CreateTemp(target, tmp);
    }
    bool Write(int fd, const void* data, size_t n) override {
        ++writes;
        return !Hit(kWrite) && CZARVFileOps::Write(fd, data, n);
    }
    bool Sync(int fd) override { return !Hit(kSync) && CZARVFileOps::Sync(fd); }
    bool Close(int fd) override {
        bool closed = CZARVFileOps::Close(fd);  // never leak the descriptor
        return !Hit(kClose) && closed;
    }
    bool Rename(const std::string& from, const std::string& to) override {
        return !Hit(kRename) && CZARVFileOps::Rename(from, to);
    }

    int writes = 0;

private:
    bool Hit(Step step) { return step == m_step && --m_nth == 0; }

    Step m_step;
    int m_nth;
    CZARVFileOps* m_previous;
};

#endif  // TESTS_SUPPORT_FAILING_FILE_OPS_H_
