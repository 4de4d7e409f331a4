// Round trip of the typed object file: a table built from the input (any
// IDs, descriptions and meta lists, through each constructor and setter) is
// saved, loaded into a new table and compared object by object.
#include "fuzz/fuzz_roundtrip.h"

namespace {

using fuzzrt::Lines;

Lines Describe(CZARVTypedObjTbl& table) {
    Lines lines;
    CZARVTypedObjTbl::iterator it = table.GetFirst();
    while (CZARVTypedObj* obj = table.GetNext(it)) {
        std::string line = "obj " + std::to_string(obj->GetID()) +
                           " desc=" + fuzzrt::Quote(obj->GetDesc()) + " metas=";
        for (unsigned short no : obj->GetMetaList()) line += std::to_string(no) + " ";
        lines.push_back(line);
    }
    return lines;
}

CZARVPtr<CZARVTypedObj> Obj(FuzzedDataProvider& in) {
    auto id = in.ConsumeIntegral<unsigned short>();
    std::string desc = fuzzrt::Text(in);
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0: {
            std::vector<unsigned short> metas(in.ConsumeIntegralInRange(0, 8));
            for (unsigned short& no : metas) no = in.ConsumeIntegral<unsigned short>();
            return CZARVPtr<CZARVTypedObj>::Adopt(new CZARVTypedObj(id, metas, desc.c_str()));
        }
        case 1: {
            std::string list = fuzzrt::Text(in), sep = fuzzrt::Text(in, 3);
            return CZARVPtr<CZARVTypedObj>::Adopt(
                new CZARVTypedObj(id, list.c_str(), sep.c_str(), desc.c_str()));
        }
        default: {
            auto obj = CZARVPtr<CZARVTypedObj>::Adopt(new CZARVTypedObj);
            obj->SetTypedID(id);
            obj->SetDesc(desc.c_str());
            std::string list = fuzzrt::Text(in), sep = fuzzrt::Text(in, 3);
            obj->SetMetaList(list.c_str(), sep.c_str());
            return obj;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    auto table = CZARVPtr<CZARVTypedObjTbl>::Adopt(new CZARVTypedObjTbl);
    for (int n = in.ConsumeIntegralInRange(0, 12); n > 0; --n) {
        CZARVPtr<CZARVTypedObj> obj = Obj(in);
        table->InsertTypedObj(obj.get());
    }
    fuzzrt::Declaration decl(in);
    // Every field of a typed object is a number or a text without NUL, and
    // the file carries all of them.
    fuzzrt::CheckRoundTrip(*table, decl, true, true, Describe(*table), Describe);
    return 0;
}
