// RawDatabase: writes a configuration database file field by field, for
// tests that need what the library never writes.
#ifndef TESTS_SUPPORT_RAW_DATABASE_H_
#define TESTS_SUPPORT_RAW_DATABASE_H_

#include <string>

#include "host/zarvlib/zarv_file.h"
#include "host/zarvlib/zarv_var.h"

// Writes a database file field by field, so that tests can store what the
// library never writes (a GMPID twice, a property number twice...).
class RawDatabase {
public:
    RawDatabase(const std::string& path, unsigned char rid, char groups) {
        m_ok = m_file.OpenBinary(path.c_str(), CZARVFile::modeWrite, 1);
        m_file << 'R' << 'S' << static_cast<char>(rid) << groups;
    }
    RawDatabase& Group(unsigned char number, unsigned short count) {
        m_file << static_cast<char>(number) << _basictype<unsigned short>(count);
        return *this;
    }
    RawDatabase& Record(unsigned short low) { return U16(low); }
    RawDatabase& Prop(unsigned short number, int valid, const _zarvVAR& value) {
        U16(static_cast<unsigned short>(number | (valid << 14))).m_file << value;
        return *this;
    }
    RawDatabase& End() { return U16(0xFFFF); }
    bool Close() { return m_ok && m_file.Flush() && m_file.AppendCRC() && m_file.Close(); }

private:
    RawDatabase& U16(unsigned short v) {
        m_file << _basictype<unsigned short>(v);
        return *this;
    }
    CZARVFile m_file;
    bool m_ok = false;
};

#endif  // TESTS_SUPPORT_RAW_DATABASE_H_
