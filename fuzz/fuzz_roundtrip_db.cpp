// Round trip of the configuration database file: a database built from the
// input (any RID and type, records of any GMPID of that RID, properties of
// any number and valid type holding values of every kind the variant has:
// empty, 64-bit and texts with NUL bytes included) is saved, loaded by a
// new engine, with or without a meta property table, and compared record by
// record. What the file cannot carry (more than 127 groups, a property
// number beyond 14 bits) must make the save refuse and leave the old file
// whole.
#include "fuzz/fuzz_roundtrip.h"

namespace {

using fuzzrt::Lines;

constexpr const char* kVer = "3.0";
constexpr int kMaxGroups = 127;
constexpr unsigned kNumberMask = 0x3FFF;

// The records of the database `rid`, in GMPID order. With `meta`, valid
// types as a load through that table gives them: the table's, when it has
// the number and its valid type fits in the record.
Lines Describe(const CZARVQENDbEngine& engine, unsigned char rid, const CZARVMetaPropTbl* meta) {
    Lines lines;
    for (int group = 0; group < 256; ++group) {
        CZARVDataSet<CZARVMPInfo> records;
        engine.ListMPInfo(rid, static_cast<unsigned char>(group), records);
        for (const CZARVMPInfo* info : records) {
            lines.push_back("record " + std::to_string(info->GetGMPID()));
            for (int i = 0; i < info->GetMPPropCount(); ++i) {
                unsigned short number = info->GetMPPropIdAt(i);
                int valid = info->GetMPTypeAt(i);
                const CZARVMetaProp* prop = meta ? meta->GetMetaProp(number) : nullptr;
                if (prop && prop->GetValidType() >= 0 && prop->GetValidType() <= 3)
                    valid = prop->GetValidType();
                lines.push_back("  " + std::to_string(number) + " valid=" + std::to_string(valid) +
                                " " + fuzzrt::Show(info->GetMPPropAt(i)));
            }
        }
    }
    return lines;
}

// Whether the file format can carry the database: at most 127 groups, and
// every property code must read back as its property: the number within
// the code's 14 bits, and the code not the end mark (0x3FFF, valid type 3).
bool Carries(const CZARVQENDbEngine& engine, unsigned char rid) {
    int groups = 0;
    for (int group = 0; group < 256; ++group) {
        CZARVDataSet<CZARVMPInfo> records;
        if (engine.ListMPInfo(rid, static_cast<unsigned char>(group), records) == 0) continue;
        ++groups;
        for (const CZARVMPInfo* info : records)
            for (int i = 0; i < info->GetMPPropCount(); ++i)
                if (info->GetMPPropIdAt(i) > kNumberMask ||
                    (info->GetMPPropIdAt(i) == kNumberMask && info->GetMPTypeAt(i) == 3))
                    return false;
    }
    return groups <= kMaxGroups;
}

// A property number: mostly among a few, so that records share them and the
// meta property table knows them; sometimes any.
unsigned short Number(FuzzedDataProvider& in) {
    static constexpr unsigned short kCommon[] = {1, 2, 106, 401, 402, 499, 0x3FFE, 0x3FFF};
    if (in.ConsumeBool()) return kCommon[in.ConsumeIntegralInRange<size_t>(0, 7)];
    return in.ConsumeIntegral<unsigned short>();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const auto rid = in.ConsumeIntegral<unsigned char>();
    const int type = in.ConsumeIntegralInRange(-1, 4);
    // Many groups now and then, to pass the limit of the format.
    const int groups = in.ConsumeIntegralInRange(0, 7) == 0 ? 256 : 4;

    // The meta property table a loader may decode through.
    auto meta = CZARVPtr<CZARVMetaPropTbl>::Adopt(new CZARVMetaPropTbl);
    for (int n = in.ConsumeIntegralInRange(0, 4); n > 0; --n) {
        auto prop = CZARVPtr<CZARVMetaProp>::Adopt(new CZARVMetaProp);
        prop->SetID(Number(in));
        prop->setValidType(static_cast<CZARVMetaProp::METAVALIDTYPE>(
            in.ConsumeBool() ? in.ConsumeIntegralInRange(0, 3) : in.ConsumeIntegral<int32_t>()));
        meta->InsertMetaProp(prop.get());
    }
    const bool through_meta = in.ConsumeBool();

    FuzzFile file("rt-db", fuzzrt::kOldBytes.data(), fuzzrt::kOldBytes.size());
    Lines expected;
    bool carries = false;
    {
        CZARVQENDbEngine engine(kVer);
        FUZZ_CHECK(engine.CreateConfigDB(rid, type));
        for (int n = in.ConsumeIntegralInRange(0, 16); n > 0; --n) {
            unsigned long gmpid = (static_cast<unsigned long>(rid) << 24) |
                                  (in.ConsumeIntegralInRange(0, groups - 1) << 16) |
                                  in.ConsumeIntegral<uint16_t>();
            auto info = CZARVPtr<CZARVMPInfo>::Adopt(new CZARVMPInfo(gmpid));
            for (int p = in.ConsumeIntegralInRange(0, 8); p > 0; --p)
                info->InsertMPProp(Number(in), fuzzrt::Var(in), in.ConsumeIntegralInRange(-1, 4));
            engine.InsertMPInfo(info.get());
        }
        if (groups > 4) {
            // One record in each group, enough groups to pass the limit.
            for (int group = 0; group < 256; ++group) {
                auto info = CZARVPtr<CZARVMPInfo>::Adopt(
                    new CZARVMPInfo((static_cast<unsigned long>(rid) << 24) | (group << 16) | 1));
                engine.InsertMPInfo(info.get());
            }
        }
        carries = Carries(engine, rid);
        expected = Describe(engine, rid, through_meta ? meta.get() : nullptr);
        bool saved = engine.SaveToTemplate(rid, file.path(), kVer);
        if (!carries) {
            FUZZ_CHECK(!saved);
            FUZZ_CHECK(file.Bytes() == fuzzrt::kOldBytes);
            return 0;
        }
        FUZZ_CHECK(saved);
    }
    // The first engine is gone, with the names its points entered in the
    // kernel: the second one starts from nothing.
    CZARVQENDbEngine engine(kVer);
    if (through_meta) engine.SetMetaProps(meta.get());
    FUZZ_CHECK(engine.LoadFromFile(rid, file.path(), kVer, type));
    FUZZ_CHECK(engine.GetConfigDBType(rid) == type);
    fuzzrt::CheckSameLines(expected, Describe(engine, rid, nullptr));
    return 0;
}
