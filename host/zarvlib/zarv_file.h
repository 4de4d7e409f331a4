// CZARVFile: binary file with little-endian numbers, variants, a CRC-32
// trailer, bounded reads and atomic writes.
//
// Writing (mode 0x13): bytes are buffered and streamed to a temporary file
// beside the target (CZARVAtomicWrite: links followed, mode and owner kept,
// anything but a regular file refused at open). Close() flushes, syncs and
// renames it over the target; only then does the target change. A file that
// is destroyed without a successful Close(), or whose write failed, leaves
// the target byte for byte as it was and removes the temporary file.
//
// Opening for reading refuses anything but a regular file without opening
// it (no FIFO blocks, no device is read), and ends with false, not an
// exception, when the file does not fit in memory.
//
// Reading (mode 1): the whole file is read into memory at open. Every read
// is bounded: a read past the end fails, yields zero (or an empty variant)
// and sets the fail state, which all later reads keep. A successful
// CheckCRC() also excludes the checksum bytes from what can be read.
//
// The open `flag` argument is accepted for compatibility and has no effect.
//
// Encodings: integers little-endian in their own width; a variant as its
// kind (32-bit signed) followed by its payload: bool 1 byte, 16/32/64-bit
// integers in their width, float and double as IEEE bits, text as a 32-bit
// length and the bytes, nothing for the empty kind. The checksum is the
// zlib CRC-32 of every byte before it, stored as 32 bits.
#ifndef ZARVLIB_ZARV_FILE_H_
#define ZARVLIB_ZARV_FILE_H_

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "host/zarvlib/file_ops.h"
#include "host/zarvlib/zarv_var.h"
#include "host/zarvlib/zarvlib_export.h"

// A number written or read in exactly the width of T.
template <class T>
struct _basictype {
    static_assert(std::is_integral_v<T>);
    T value{};
    _basictype() = default;
    _basictype(T v) : value(v) {}         // NOLINT(implicit)
    operator T() const { return value; }  // NOLINT(implicit)
};

// An allocator whose resize leaves new bytes uninitialised: a file's bytes
// are read over them at once, so zero-filling the buffer first is wasted.
template <class T>
struct _zarv_uninit_alloc : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = _zarv_uninit_alloc<U>;
    };
    _zarv_uninit_alloc() = default;
    template <class U>
    _zarv_uninit_alloc(const _zarv_uninit_alloc<U>&) {}  // NOLINT(implicit)
    template <class U>
    void construct(U* p) {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

class ZARVLIB_API CZARVFile {
public:
    enum : unsigned { modeRead = 1, modeWrite = 0x13 };
    // The size of the checksum trailer (a CRC-32).
    static constexpr size_t kCrcBytes = 4;

    CZARVFile() = default;
    CZARVFile(const CZARVFile&) = delete;
    CZARVFile& operator=(const CZARVFile&) = delete;
    // Abandons an unfinished write (the target is left as it was).
    ~CZARVFile();

    // Opens `path` for reading (mode 1) or writing (mode 0x13). Any other
    // mode, a null path or an unreadable file gives false. Opening closes
    // (and abandons) whatever the object had open. `flag` has no effect.
    bool OpenBinary(const char* path, unsigned mode, unsigned flag = 0);
    bool IsOpen() const { return m_mode != 0; }
    bool IsWriting() const { return m_mode == modeWrite; }

    // Stream state: good() is false once any read or write has failed.
    bool good() const { return !m_failed; }
    bool fail() const { return m_failed; }
    // Why the last read of a variant failed, with the byte it failed at
    // ("unknown kind 99 at byte 12"); empty when no such read failed.
    const std::string& FailReason() const { return m_failReason; }

    // --- writing ---
    CZARVFile& operator<<(char c);
    template <class T>
    CZARVFile& operator<<(_basictype<T> n) {
        WriteInt(static_cast<uint64_t>(n.value), sizeof(T));
        return *this;
    }
    CZARVFile& operator<<(const _zarvVAR& v);
    void WriteBytes(const void* data, size_t n);
    // Pushes buffered bytes to the temporary file.
    bool Flush();
    // Appends the CRC-32 of everything written so far.
    bool AppendCRC();
    // Commits a write (flush, sync, rename over the target, sync the folder)
    // or ends a read. Returns false when anything failed; a failed write
    // leaves the target untouched.
    bool Close();
    // Drops an unfinished write: the target stays as it was.
    void Abandon();

    // --- reading ---
    CZARVFile& operator>>(char& c);
    template <class T>
    CZARVFile& operator>>(_basictype<T>& n) {
        n.value = static_cast<T>(ReadInt(sizeof(T)));
        return *this;
    }
    CZARVFile& operator>>(_zarvVAR& v);
    bool ReadBytes(void* out, size_t n);
    // Verifies that the file ends with the CRC-32 of all bytes before it
    // (the bytes read at open: the file is not read again). On success
    // reads can no longer reach the checksum bytes.
    bool CheckCRC();
    // Moves reading back to the first byte; what CheckCRC fenced off stays
    // fenced off. A read that has failed stays failed.
    void Rewind() { m_pos = 0; }

    // Bytes that can still be read.
    size_t Remaining() const { return m_fail_or_end() ? 0 : m_limit - m_pos; }
    size_t Position() const { return m_pos; }
    size_t Size() const { return m_data.size(); }

private:
    // Pending bytes are handed to the operating system in chunks of this size.
    static constexpr size_t kFlushThreshold = 1 << 20;

    bool m_fail_or_end() const { return m_failed || m_pos >= m_limit; }
    // Numbers go straight into the buffer while a healthy write has room
    // below the flush threshold; everything else takes WriteBytes, which
    // flushes.
    void WriteInt(uint64_t v, size_t width) {
        if (m_mode == modeWrite && !m_failed && m_bufLen + width < kFlushThreshold) {
            unsigned char* p = m_buf.get() + m_bufLen;
            m_bufLen += width;
            if constexpr (std::endian::native == std::endian::little) {
                std::memcpy(p, &v, width);
            } else {
                for (size_t i = 0; i < width; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
            }
            return;
        }
        WriteIntSlow(v, width);
    }
    void WriteIntSlow(uint64_t v, size_t width);
    // The encoding of a variant that is not a text (at most
    // kMaxFixedVariant bytes) written to `out`; returns its length.
    static constexpr size_t kMaxFixedVariant = 12;
    static size_t EncodeFixedVariant(const _zarvVAR& v, unsigned char* out);
    // A healthy in-bounds read is decoded in place; anything else fails in
    // ReadBytes (loaders call this a few times per property).
    uint64_t ReadInt(size_t width) {
        if (m_mode == modeRead && !m_failed && width <= m_limit - m_pos) {
            const unsigned char* p = m_data.data() + m_pos;
            m_pos += width;
            uint64_t v = 0;
            for (size_t i = 0; i < width; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
            return v;
        }
        unsigned char ignored[8];
        ReadBytes(ignored, width);
        return 0;
    }
    void UpdateCrc();
    bool Fail();
    bool Fail(std::string reason);

    unsigned m_mode = 0;
    bool m_failed = false;
    std::string m_failReason;
    using Bytes = std::vector<unsigned char, _zarv_uninit_alloc<unsigned char>>;
    // Reading.
    Bytes m_data;
    size_t m_pos = 0;
    size_t m_limit = 0;
    // Writing.
    CZARVAtomicWrite m_write;
    // Pending bytes of a write: kFlushThreshold bytes, m_bufLen of them used.
    std::unique_ptr<unsigned char[]> m_buf;
    size_t m_bufLen = 0;
    uint32_t m_crc = 0;
    size_t m_crc_done = 0;  // bytes of m_buf already in m_crc
};

#endif  // ZARVLIB_ZARV_FILE_H_
