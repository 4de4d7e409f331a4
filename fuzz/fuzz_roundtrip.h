// Helpers of the round-trip targets: each builds content through the public
// API from the input, saves it, loads it back and compares, field by field,
// what came back with what the file format promises to bring back.
//
// Contents are compared as lists of lines, one per field, made by a
// describer of the target: the built content described as it must read back
// (numbers clamped the way the loaders read them, elements the loaders skip
// left out), the loaded one as it is. The first differing line is printed.
#ifndef FUZZ_FUZZ_ROUNDTRIP_H_
#define FUZZ_FUZZ_ROUNDTRIP_H_

#include <fuzzer/FuzzedDataProvider.h>
#include <zarvqencore.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_file.h"

namespace fuzzrt {

using Lines = std::vector<std::string>;

// What every output file holds before a save, so that a refused save can be
// seen to leave it whole.
inline constexpr std::string_view kOldBytes = "old file\n";

// A short text of any bytes, NUL included; now and then one holding every
// byte value from 1 (or from 0) to 255, so that each value is tried early.
inline std::string Text(FuzzedDataProvider& in, size_t max = 24) {
    if (in.ConsumeIntegralInRange(0, 15) != 0) return in.ConsumeRandomLengthString(max);
    std::string every;
    for (int c = in.ConsumeBool() ? 0 : 1; c < 256; ++c) every += static_cast<char>(c);
    return every;
}

// A value of any kind the variant holds: empty, bool, the 16-, 32- and
// 64-bit integers, float and double from raw bits (NaN, infinities and
// subnormals included), and texts of any bytes set with their length.
inline _zarvVAR Var(FuzzedDataProvider& in) {
    _zarvVAR v;
    switch (in.ConsumeIntegralInRange(0, 11)) {
        case 0:
            break;  // empty
        case 1:
            v = in.ConsumeBool();
            break;
        case 2:
            v = in.ConsumeIntegral<short>();
            break;
        case 3:
            v = in.ConsumeIntegral<unsigned short>();
            break;
        case 4:
            v = static_cast<long>(in.ConsumeIntegral<int32_t>());
            break;
        case 5:
            v = static_cast<unsigned long>(in.ConsumeIntegral<uint32_t>());
            break;
        case 6:
            v = in.ConsumeIntegral<long long>();
            break;
        case 7:
            v = in.ConsumeIntegral<unsigned long long>();
            break;
        case 8: {
            uint32_t bits = in.ConsumeIntegral<uint32_t>();
            float f;
            std::memcpy(&f, &bits, sizeof f);
            v = f;
            break;
        }
        case 9: {
            uint64_t bits = in.ConsumeIntegral<uint64_t>();
            double d;
            std::memcpy(&d, &bits, sizeof d);
            v = d;
            break;
        }
        default: {
            std::string text = Text(in);
            v.SetText(text.data(), text.size());
            break;
        }
    }
    return v;
}

inline bool HasNul(std::string_view text) { return text.find('\0') != std::string_view::npos; }
inline bool HasComma(std::string_view text) { return text.find(',') != std::string_view::npos; }

inline std::string_view TextOf(const _zarvVAR& v) {
    return std::string_view(v.GetText(), v.GetTextLength());
}

// Bytes shown so that a line says exactly what a text holds.
inline std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out + "\"";
}

// A value as kind and exact content: integers by their bits, floats by
// their bits (every NaN alike), texts byte for byte.
inline std::string Show(const _zarvVAR& v) {
    std::string kind = std::to_string(v.GetType()) + ":";
    switch (v.GetType()) {
        case _zarvVAR::VT_EMPTY:
            return kind;
        case _zarvVAR::VT_BOOL:
            return kind + (v.GetBool() ? "1" : "0");
        case _zarvVAR::VT_R4: {
            float f = v.GetFloat();
            uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            return kind + (std::isnan(f) ? std::string("nan") : std::to_string(bits));
        }
        case _zarvVAR::VT_R8: {
            double d = v.GetDouble();
            uint64_t bits;
            std::memcpy(&bits, &d, sizeof bits);
            return kind + (std::isnan(d) ? std::string("nan") : std::to_string(bits));
        }
        case _zarvVAR::VT_STR:
            return kind + Quote(TextOf(v));
        default:
            return kind + std::to_string(v.GetBits());
    }
}

// What a catalogue reads back of a value it wrote as kind code and text:
// kinds 0 to 7 come back, an unsigned 32-bit value above 2147483647 as
// 2147483647 (the loaders read numbers with the clamping decimal rule), and
// any other kind (empty, 64-bit) as an empty value.
inline _zarvVAR ReadBack(const _zarvVAR& v) {
    _zarvVAR back;
    switch (v.GetType()) {
        case _zarvVAR::VT_UI4:
            back = static_cast<unsigned long>(v.GetBits() > INT32_MAX ? INT32_MAX : v.GetBits());
            return back;
        case _zarvVAR::VT_BOOL:
        case _zarvVAR::VT_I2:
        case _zarvVAR::VT_UI2:
        case _zarvVAR::VT_I4:
        case _zarvVAR::VT_R4:
        case _zarvVAR::VT_R8:
        case _zarvVAR::VT_STR:
            return v;
        default:
            return back;
    }
}

// An input type is written as an unsigned decimal and read with the
// clamping decimal rule: a negative one comes back as 2147483647.
inline int32_t ReadBackInput(int32_t input) { return input < 0 ? INT32_MAX : input; }

// Prints the first difference and ends the run with a finding.
inline void CheckSameLines(const Lines& expected, const Lines& loaded) {
    size_t n = expected.size() < loaded.size() ? expected.size() : loaded.size();
    size_t i = 0;
    while (i < n && expected[i] == loaded[i]) ++i;
    if (i == n && expected.size() == loaded.size()) return;
    std::fprintf(stderr, "round trip differs at line %zu:\n  expected: %s\n  loaded:   %s\n", i,
                 i < expected.size() ? expected[i].c_str() : "(nothing)",
                 i < loaded.size() ? loaded[i].c_str() : "(nothing)");
    std::abort();
}

// The declaration texts a save is given: any bytes up to the first NUL.
struct Declaration {
    std::string version;
    std::string encoding;
    explicit Declaration(FuzzedDataProvider& in) : version(Text(in, 8)), encoding(Text(in, 8)) {}
    // "?>" inside either text would end the declaration early: no file
    // with it loads, so the save must refuse it.
    bool Carried() const {
        return !std::strstr(version.c_str(), "?>") && !std::strstr(encoding.c_str(), "?>");
    }
};

// Saves `built` over a file holding kOldBytes. When the content holds what
// the format cannot carry (`carries` false) the save must refuse and leave
// the old bytes; otherwise it must succeed, and a fresh catalogue loading
// the file must report `loads` and describe as `expected`. Neither touches
// a modified flag.
template <class Catalogue, class Describe>
void CheckRoundTrip(Catalogue& built, const Declaration& decl, bool carries, bool loads,
                    const Lines& expected, Describe describe) {
    FuzzFile out("rt-out", kOldBytes.data(), kOldBytes.size());
    built.SetModify(true);
    bool saved = built.SaveToFile(out.path(), decl.version.c_str(), decl.encoding.c_str());
    FUZZ_CHECK(built.IsModified());
    if (!carries || !decl.Carried()) {
        FUZZ_CHECK(!saved);
        FUZZ_CHECK(out.Bytes() == kOldBytes);
        return;
    }
    FUZZ_CHECK(saved);
    auto loaded = CZARVPtr<Catalogue>::Adopt(new Catalogue);
    FUZZ_CHECK(loaded->LoadFromFile(out.path()) == loads);
    FUZZ_CHECK(!loaded->IsModified());
    CheckSameLines(expected, describe(*loaded));
}

// One line for a meta property: every field the property element carries.
// `reloaded` describes it as a catalogue file brings it back: the value
// through its text, the input type clamped, and the valid type `valid`
// unless the file carries it (`valid` < 0).
inline std::string PropLine(const CZARVMetaProp& prop, bool reloaded, int64_t valid = -1) {
    _zarvVAR init;
    prop.GetInitValue(init);
    int32_t input = prop.GetInputType();
    int64_t valid_type = prop.GetValidType();
    if (reloaded) {
        init = ReadBack(init);
        input = ReadBackInput(input);
        if (valid >= 0) valid_type = valid;
    }
    return "prop " + std::to_string(prop.GetID()) + " name=" + Quote(prop.GetMetaName()) +
           " init=" + Show(init) + " input=" + std::to_string(input) +
           " par=" + Quote(prop.GetParameter()) + " desc=" + Quote(prop.GetDesc()) +
           " valid=" + std::to_string(valid_type);
}

// Whether a property element reads back at all: its text is split at
// commas, so a comma in the name or in the value text drops the element.
inline bool PropElemReadsBack(const CZARVMetaProp& prop) {
    _zarvVAR init;
    prop.GetInitValue(init);
    return !HasComma(prop.GetMetaName()) && !HasComma(init.ToString());
}

// Whether the value texts of a property can be written at all.
inline bool PropCarried(const CZARVMetaProp& prop) {
    _zarvVAR init;
    prop.GetInitValue(init);
    return !HasNul(TextOf(init));
}

// A meta property built from the input, through the seven-argument
// constructor or through the default one, the setters and an assignment.
inline CZARVPtr<CZARVMetaProp> Prop(FuzzedDataProvider& in, unsigned short id) {
    _zarvVAR init = Var(in);
    std::string name = Text(in), param = Text(in), desc = Text(in);
    auto input = static_cast<CZARVMetaProp::METAINPUTTYPE>(in.ConsumeIntegral<int32_t>());
    auto valid = static_cast<CZARVMetaProp::METAVALIDTYPE>(
        in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 3) : in.ConsumeIntegral<int32_t>());
    if (in.ConsumeBool())
        return CZARVPtr<CZARVMetaProp>::Adopt(
            new CZARVMetaProp(id, name.c_str(), init, input, param.c_str(), desc.c_str(), valid));
    auto prop = CZARVPtr<CZARVMetaProp>::Adopt(new CZARVMetaProp);
    prop->SetID(id);
    prop->SetMetaName(name.c_str());
    prop->SetInputType(input);
    prop->SetParameter(param.c_str());
    prop->SetDesc(desc.c_str());
    prop->setValidType(valid);
    *prop = init;
    return prop;
}

}  // namespace fuzzrt

#endif  // FUZZ_FUZZ_ROUNDTRIP_H_
