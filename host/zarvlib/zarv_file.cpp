#include "host/zarvlib/zarv_file.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "host/zarvlib/internal/read_file.h"

namespace {

uint32_t Crc32(uint32_t crc, const unsigned char* data, size_t n) {
    // zlib takes lengths as uInt; feed large buffers in pieces.
    while (n > 0) {
        uInt chunk = n > (1u << 30) ? (1u << 30) : static_cast<uInt>(n);
        crc = static_cast<uint32_t>(::crc32(crc, data, chunk));
        data += chunk;
        n -= chunk;
    }
    return crc;
}

}  // namespace

CZARVFile::~CZARVFile() {
    if (IsWriting()) Abandon();
}

bool CZARVFile::OpenBinary(const char* path, unsigned mode, unsigned /*flag*/) {
    if (IsWriting()) Abandon();
    m_mode = 0;
    m_failed = false;
    m_failReason.clear();
    m_data.clear();
    m_pos = m_limit = 0;
    if (!path || !*path) return false;

    if (mode == modeRead) {
        if (!ZarvReadWholeFile(path, m_data)) {
            m_data.clear();
            m_data.shrink_to_fit();
            return false;
        }
        m_limit = m_data.size();
        m_mode = modeRead;
        return true;
    }
    if (mode == modeWrite) {
        if (!m_buf) {
            m_buf.reset(new (std::nothrow) unsigned char[kFlushThreshold]);
            if (!m_buf) return false;
        }
        if (!m_write.Begin(path)) return false;
        m_bufLen = 0;
        m_crc = static_cast<uint32_t>(::crc32(0, nullptr, 0));
        m_crc_done = 0;
        m_mode = modeWrite;
        return true;
    }
    return false;
}

bool CZARVFile::Fail() {
    m_failed = true;
    return false;
}

bool CZARVFile::Fail(std::string reason) {
    if (!m_failed) m_failReason = std::move(reason);
    return Fail();
}

// --- writing ---

size_t CZARVFile::EncodeFixedVariant(const _zarvVAR& v, unsigned char* out) {
    const int kind = v.GetType();
    uint64_t bits = v.GetBits();
    size_t width = 0;
    switch (kind) {
        case _zarvVAR::VT_BOOL:
            bits = v.GetBool() ? 1 : 0;
            width = 1;
            break;
        case _zarvVAR::VT_I2:
        case _zarvVAR::VT_UI2:
            width = 2;
            break;
        case _zarvVAR::VT_I4:
        case _zarvVAR::VT_UI4:
            width = 4;
            break;
        case _zarvVAR::VT_I8:
        case _zarvVAR::VT_UI8:
            width = 8;
            break;
        case _zarvVAR::VT_R4: {
            float f = v.GetFloat();
            uint32_t b;
            std::memcpy(&b, &f, sizeof b);
            bits = b;
            width = 4;
            break;
        }
        case _zarvVAR::VT_R8: {
            double d = v.GetDouble();
            std::memcpy(&bits, &d, sizeof bits);
            width = 8;
            break;
        }
        default:
            break;  // empty: the kind alone
    }
    for (size_t i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(static_cast<uint32_t>(kind) >> (8 * i));
    for (size_t i = 0; i < width; ++i) out[4 + i] = static_cast<unsigned char>(bits >> (8 * i));
    return 4 + width;
}

void CZARVFile::WriteBytes(const void* data, size_t n) {
    if (!IsWriting() || m_failed) {
        Fail();
        return;
    }
    const unsigned char* p = static_cast<const unsigned char*>(data);
    while (n > 0) {
        size_t take = std::min(n, kFlushThreshold - m_bufLen);
        std::memcpy(m_buf.get() + m_bufLen, p, take);
        m_bufLen += take;
        p += take;
        n -= take;
        if (m_bufLen == kFlushThreshold && !Flush()) return;
    }
}

void CZARVFile::WriteIntSlow(uint64_t v, size_t width) {
    unsigned char bytes[8];
    for (size_t i = 0; i < width; ++i) bytes[i] = static_cast<unsigned char>(v >> (8 * i));
    WriteBytes(bytes, width);
}

CZARVFile& CZARVFile::operator<<(char c) {
    WriteBytes(&c, 1);
    return *this;
}

CZARVFile& CZARVFile::operator<<(const _zarvVAR& v) {
    if (v.GetType() == _zarvVAR::VT_STR) {
        WriteInt(static_cast<uint32_t>(_zarvVAR::VT_STR), 4);
        WriteInt(v.GetTextLength(), 4);
        WriteBytes(v.GetText(), v.GetTextLength());
        return *this;
    }
    // A number of a healthy write with room is encoded in place; otherwise
    // its encoding takes WriteBytes, which flushes or fails.
    if (m_mode == modeWrite && !m_failed && m_bufLen + kMaxFixedVariant < kFlushThreshold) {
        m_bufLen += EncodeFixedVariant(v, m_buf.get() + m_bufLen);
        return *this;
    }
    unsigned char bytes[kMaxFixedVariant];
    WriteBytes(bytes, EncodeFixedVariant(v, bytes));
    return *this;
}

void CZARVFile::UpdateCrc() {
    m_crc = Crc32(m_crc, m_buf.get() + m_crc_done, m_bufLen - m_crc_done);
    m_crc_done = m_bufLen;
}

bool CZARVFile::Flush() {
    if (!IsWriting() || m_failed) return Fail();
    UpdateCrc();
    if (m_bufLen > 0 && !m_write.Write(m_buf.get(), m_bufLen)) return Fail();
    m_bufLen = 0;
    m_crc_done = 0;
    return true;
}

bool CZARVFile::AppendCRC() {
    if (!IsWriting() || m_failed) return Fail();
    UpdateCrc();
    WriteInt(m_crc, kCrcBytes);
    return good();
}

bool CZARVFile::Close() {
    if (m_mode == modeRead) {
        m_mode = 0;
        m_data.clear();
        m_data.shrink_to_fit();
        m_pos = m_limit = 0;
        return !m_failed;
    }
    if (!IsWriting()) return false;
    bool ok = Flush() && m_write.Commit();
    if (!ok) {
        m_write.Abandon();
        m_failed = true;
    }
    m_mode = 0;
    m_bufLen = 0;
    return ok;
}

void CZARVFile::Abandon() {
    if (!IsWriting()) return;
    m_write.Abandon();
    m_bufLen = 0;
    m_mode = 0;
    m_failed = true;
}

// --- reading ---

bool CZARVFile::ReadBytes(void* out, size_t n) {
    if (m_mode != modeRead || m_failed || n > m_limit - m_pos) {
        if (n) std::memset(out, 0, n);
        return Fail();
    }
    if (n) std::memcpy(out, m_data.data() + m_pos, n);
    m_pos += n;
    return true;
}

CZARVFile& CZARVFile::operator>>(char& c) {
    ReadBytes(&c, 1);
    return *this;
}

CZARVFile& CZARVFile::operator>>(_zarvVAR& v) {
    v.Clear();
    if (m_failed) return *this;
    const size_t at = m_pos;
    auto where = [](size_t pos) { return " at byte " + std::to_string(pos); };
    int kind = static_cast<int32_t>(ReadInt(4));
    if (m_failed) {
        if (m_mode == modeRead) m_failReason = "value kind" + where(at) + " runs past the end";
        return *this;
    }
    switch (kind) {
        case _zarvVAR::VT_EMPTY:
            break;
        case _zarvVAR::VT_BOOL: {
            uint64_t b = ReadInt(1);
            if (!m_failed && b > 1)
                Fail("bool byte " + std::to_string(b) + where(at + 4) + " is neither 0 nor 1");
            else
                v = b != 0;
            break;
        }
        case _zarvVAR::VT_I2:
            v = static_cast<short>(ReadInt(2));
            break;
        case _zarvVAR::VT_UI2:
            v = static_cast<unsigned short>(ReadInt(2));
            break;
        case _zarvVAR::VT_I4:
            v = static_cast<int>(static_cast<uint32_t>(ReadInt(4)));
            break;
        case _zarvVAR::VT_UI4:
            v = static_cast<unsigned int>(ReadInt(4));
            break;
        case _zarvVAR::VT_I8:
            v = static_cast<long long>(ReadInt(8));
            break;
        case _zarvVAR::VT_UI8:
            v = static_cast<unsigned long long>(ReadInt(8));
            break;
        case _zarvVAR::VT_R4: {
            uint32_t bits = static_cast<uint32_t>(ReadInt(4));
            float f;
            std::memcpy(&f, &bits, sizeof f);
            v = f;
            break;
        }
        case _zarvVAR::VT_R8: {
            uint64_t bits = ReadInt(8);
            double d;
            std::memcpy(&d, &bits, sizeof d);
            v = d;
            break;
        }
        case _zarvVAR::VT_STR: {
            uint64_t len = ReadInt(4);
            // A length that runs past the end must not allocate or read.
            if (!m_failed && len > Remaining())
                Fail("text length " + std::to_string(len) + where(at + 4) + " runs past the end");
            if (m_failed) break;
            // Every byte comes back, NUL bytes included: the variant holds
            // its length, so what a write stored a read restores.
            const char* text = reinterpret_cast<const char*>(m_data.data() + m_pos);
            m_pos += len;
            v.SetText(text, len);
            break;
        }
        default:
            Fail("unknown kind " + std::to_string(kind) + where(at));
            break;
    }
    if (m_failed) {
        // The fixed-size payload of a known kind ran past the end.
        if (m_failReason.empty() && m_mode == modeRead)
            m_failReason =
                "value of kind " + std::to_string(kind) + where(at + 4) + " runs past the end";
        v.Clear();
    }
    return *this;
}

bool CZARVFile::CheckCRC() {
    if (m_mode != modeRead || m_data.size() < kCrcBytes) return false;
    size_t body = m_data.size() - kCrcBytes;
    uint32_t stored = 0;
    for (size_t i = 0; i < kCrcBytes; ++i)
        stored |= static_cast<uint32_t>(m_data[body + i]) << (8 * i);
    uint32_t crc = Crc32(static_cast<uint32_t>(::crc32(0, nullptr, 0)), m_data.data(), body);
    if (crc != stored) return false;
    if (m_limit > body) m_limit = body;
    if (m_pos > m_limit) m_pos = m_limit;  // reads already past the body stay at its end
    return true;
}
