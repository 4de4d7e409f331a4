// _zarvVAR: the variant value of the system.
//
// A variant is empty or holds one value of a kind. The kind codes are stored
// in files and must never change:
//   -1 empty, 0 bool, 1 signed 16-bit, 2 unsigned 16-bit, 3 signed 32-bit,
//   4 unsigned 32-bit, 5 float, 6 double, 7 text,
//   20 signed 64-bit, 21 unsigned 64-bit.
// Kinds 3 and 4 are 32 bits wide: assigning a `long` or `unsigned long`
// (64 bits on this platform) stores its low 32 bits. The 64-bit kinds are
// reached only through `long long` and `unsigned long long`.
//
// Text form (ToString, conversion to _zarv_str): "true"/"false", plain
// decimal for integers, floats and doubles with enough digits that atof()
// gives back the same value, the text itself, and "" for the empty kind.
// Conversions to short and long follow the C rules (truncation towards zero,
// wrapping to the width); a text converts like atoi(). Out-of-range floats
// saturate instead of invoking undefined behaviour, NaN gives 0.
//
// Storage: sixteen bytes. Most texts of a configuration are short names,
// addresses and numbers; a text of up to 13 bytes is kept inside the
// variant, so building, copying and destroying it never allocates. Longer
// texts live on the heap. A pointer returned by GetText() is therefore
// valid only until the variant is changed, moved or destroyed.
#ifndef ZARVLIB_ZARV_VAR_H_
#define ZARVLIB_ZARV_VAR_H_

#include <cstdint>
#include <cstring>
#include <string>

#include "host/zarvlib/zarv_str.h"
#include "host/zarvlib/zarvlib_export.h"

class ZARVLIB_API _zarvVAR {
public:
    enum : int {
        VT_EMPTY = -1,
        VT_BOOL = 0,
        VT_I2 = 1,
        VT_UI2 = 2,
        VT_I4 = 3,
        VT_UI4 = 4,
        VT_R4 = 5,
        VT_R8 = 6,
        VT_STR = 7,
        VT_I8 = 20,
        VT_UI8 = 21,
    };

    _zarvVAR() = default;
    _zarvVAR(const char* text) { *this = text; }  // NOLINT(implicit)
    _zarvVAR(const _zarvVAR& o) { *this = o; }
    _zarvVAR(_zarvVAR&& o) noexcept { TakeFrom(o); }
    ~_zarvVAR() { Clear(); }

    _zarvVAR& operator=(const _zarvVAR& o) {
        // Values other than texts are their sixteen bytes: copied in place
        // (live-value reads copy one per call).
        if (Kind() != VT_STR && o.Kind() != VT_STR) {
            if (this != &o) std::memcpy(m_rep, o.m_rep, sizeof m_rep);
            return *this;
        }
        return AssignText(o);
    }
    _zarvVAR& operator=(_zarvVAR&& o) noexcept {
        if (this != &o) {
            Clear();
            TakeFrom(o);
        }
        return *this;
    }
    _zarvVAR& operator=(bool v);
    _zarvVAR& operator=(short v);
    _zarvVAR& operator=(unsigned short v);
    _zarvVAR& operator=(int v);            // kind 3
    _zarvVAR& operator=(unsigned int v);   // kind 4
    _zarvVAR& operator=(long v);           // low 32 bits, kind 3
    _zarvVAR& operator=(unsigned long v);  // low 32 bits, kind 4
    _zarvVAR& operator=(long long v);
    _zarvVAR& operator=(unsigned long long v);
    _zarvVAR& operator=(float v);
    _zarvVAR& operator=(double v);
    _zarvVAR& operator=(const char* text);  // null stores an empty text
    _zarvVAR& operator=(const _zarv_str& text) { return *this = text.c_str(); }

    // Stores the `len` bytes at `text` as a text (kind 7); they need no NUL
    // terminator and may lie inside this variant's own text.
    void SetText(const char* text, size_t len);

    // The kind code (see above).
    int GetType() const { return Kind(); }
    bool IsEmpty() const { return Kind() == VT_EMPTY; }
    void Clear() {
        if (IsHeapText()) delete HeapText();
        std::memset(m_rep, 0, sizeof m_rep);
        m_rep[0] = kEmptyByte;
    }

    // C conversions.
    operator short() const;      // NOLINT(implicit)
    operator int() const;        // NOLINT(implicit)
    operator long() const;       // NOLINT(implicit)
    operator _zarv_str() const;  // NOLINT(implicit)
    bool ToBool() const;         // non-zero, or the text "true"/"TRUE"
    long long ToLongLong() const;
    unsigned long long ToULongLong() const;
    double ToDouble() const;
    std::string ToString() const;
    // Appends the text ToString gives to `out`: writers of many values build
    // their text in one buffer.
    void AppendText(std::string& out) const;

    // Direct access to a stored value of the matching kind (undefined for
    // another kind; use GetType first).
    bool GetBool() const { return Load<uint8_t>() != 0; }
    float GetFloat() const { return Load<float>(); }
    double GetDouble() const { return Load<double>(); }
    const char* GetText() const { return Kind() == VT_STR ? TextData() : ""; }
    size_t GetTextLength() const { return Kind() == VT_STR ? TextSize() : 0; }
    // The raw bits of an integer kind, zero-extended.
    uint64_t GetBits() const { return Load<uint64_t>(); }

    // Same kind and same value (floats compare by value, texts by bytes).
    friend ZARVLIB_API bool operator==(const _zarvVAR& a, const _zarvVAR& b);

private:
    // Byte 0: the kind. Texts: byte 1 is the length of an inline text, whose
    // bytes and NUL follow from byte 2, or kHeapMark when bytes 8 to 15 hold
    // a std::string*. Other kinds: the value in bytes 8 to 15, zero-extended.
    static constexpr size_t kInlineMax = 13;
    static constexpr unsigned char kHeapMark = 0xFF;
    static constexpr unsigned char kEmptyByte = 0xFF;  // VT_EMPTY as a byte

    int Kind() const { return static_cast<signed char>(m_rep[0]); }
    // Copy assignment where either side is a text.
    _zarvVAR& AssignText(const _zarvVAR& o);
    template <class T>
    T Load() const {
        T v;
        std::memcpy(&v, m_rep + 8, sizeof v);
        return v;
    }
    // Clears, then stores `v` as a value of `kind`.
    template <class T>
    void Store(int kind, T v) {
        Clear();
        m_rep[0] = static_cast<unsigned char>(kind);
        std::memcpy(m_rep + 8, &v, sizeof v);
    }
    bool IsHeapText() const { return Kind() == VT_STR && m_rep[1] == kHeapMark; }
    std::string* HeapText() const { return Load<std::string*>(); }
    const char* TextData() const {
        return IsHeapText() ? HeapText()->c_str() : reinterpret_cast<const char*>(m_rep + 2);
    }
    size_t TextSize() const { return IsHeapText() ? HeapText()->size() : m_rep[1]; }
    // Moves the representation of `o` here (this holds nothing) and empties `o`.
    void TakeFrom(_zarvVAR& o) {
        std::memcpy(m_rep, o.m_rep, sizeof m_rep);
        std::memset(o.m_rep, 0, sizeof o.m_rep);
        o.m_rep[0] = kEmptyByte;
    }

    alignas(8) unsigned char m_rep[16] = {kEmptyByte};
};

#endif  // ZARVLIB_ZARV_VAR_H_
