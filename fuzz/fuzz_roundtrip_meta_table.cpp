// Round trip of the meta table file: tables built from the input (any node
// names, created, generated and renamed; fields with any names, values of
// every kind, input types, parameters and descriptions, inserted at any
// position) are saved, loaded into a new collection and compared field by
// field. A value text holding a NUL byte cannot be written: the save must
// then refuse and leave the old file whole.
#include "fuzz/fuzz_roundtrip.h"

namespace {

using fuzzrt::Lines;

// `reloaded`: as the file brings the collection back. Node names that are
// no XML names are left out of the file, and so are fields whose text
// splits at a comma of their name or value.
Lines Describe(CZARVMetaTable& tables, bool reloaded) {
    Lines lines;
    std::vector<std::string> names;
    tables.GetNodeNameList(names);
    for (const std::string& name : names) {
        if (reloaded && !CMarkup::IsValidName(name.c_str())) continue;
        lines.push_back("node " + fuzzrt::Quote(name));
        CZARVTableNode* node = tables.GetTableNode(name.c_str());
        CZARVTableNode::iterator it = node->GetFirst();
        while (const CZARVTableField* field = node->GetNext(it)) {
            _zarvVAR init;
            field->GetInitValue(init);
            int32_t input = field->GetInputType();
            if (reloaded) {
                if (fuzzrt::HasComma(field->GetFieldName()) || fuzzrt::HasComma(init.ToString()))
                    continue;
                init = fuzzrt::ReadBack(init);
                input = fuzzrt::ReadBackInput(input);
            }
            lines.push_back("  field " + fuzzrt::Quote(field->GetFieldName()) +
                            " init=" + fuzzrt::Show(init) + " input=" + std::to_string(input) +
                            " par=" + fuzzrt::Quote(field->GetParameter()) +
                            " desc=" + fuzzrt::Quote(field->GetDesc()));
        }
    }
    return lines;
}

CZARVPtr<CZARVTableField> Field(FuzzedDataProvider& in) {
    _zarvVAR init = fuzzrt::Var(in);
    std::string name = fuzzrt::Text(in), param = fuzzrt::Text(in), desc = fuzzrt::Text(in);
    auto input = static_cast<CZARVTableField::FLDINPUTTYPE>(in.ConsumeIntegral<int32_t>());
    if (in.ConsumeBool())
        return CZARVPtr<CZARVTableField>::Adopt(
            new CZARVTableField(name.c_str(), init, input, param.c_str(), desc.c_str()));
    auto field = CZARVPtr<CZARVTableField>::Adopt(new CZARVTableField);
    field->SetFieldName(name.c_str());
    field->SetInputType(input);
    field->SetParameter(param.c_str());
    field->SetDesc(desc.c_str());
    *field = init;
    return field;
}

// A node name: mostly a valid XML name made of the input, sometimes any text.
std::string NodeName(FuzzedDataProvider& in) {
    std::string name = fuzzrt::Text(in, 12);
    if (in.ConsumeBool()) return name;
    std::string valid = "n";
    for (char c : name)
        if (CMarkup::IsValidName((valid + c).c_str())) valid += c;
    return valid;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    auto tables = CZARVPtr<CZARVMetaTable>::Adopt(new CZARVMetaTable);
    for (int n = in.ConsumeIntegralInRange(0, 6); n > 0; --n) {
        CZARVTableNode* node = nullptr;
        if (in.ConsumeBool()) {
            _zarv_str generated;
            node = tables->CreateNewNode(generated);
        } else {
            node = tables->CreateNewNode(NodeName(in).c_str());
        }
        if (!node) continue;
        for (int f = in.ConsumeIntegralInRange(0, 6); f > 0; --f) {
            CZARVPtr<CZARVTableField> field = Field(in);
            node->InsertField(field.get(), in.ConsumeIntegralInRange(-1, 7));
        }
    }
    // A few renames, to names made of the input too.
    for (int n = in.ConsumeIntegralInRange(0, 2); n > 0; --n) {
        std::vector<std::string> names;
        if (tables->GetNodeNameList(names) == 0) break;
        const std::string& from = names[in.ConsumeIntegralInRange<size_t>(0, names.size() - 1)];
        tables->RenameNode(from.c_str(), NodeName(in).c_str());
    }
    fuzzrt::Declaration decl(in);
    // Only the nodes written count: a node whose name is no XML name is left
    // out of the file with its fields.
    bool carries = true;
    std::vector<std::string> names;
    tables->GetNodeNameList(names);
    for (const std::string& name : names) {
        if (!CMarkup::IsValidName(name.c_str())) continue;
        CZARVTableNode* node = tables->GetTableNode(name.c_str());
        CZARVTableNode::iterator it = node->GetFirst();
        while (const CZARVTableField* field = node->GetNext(it)) {
            _zarvVAR init;
            field->GetInitValue(init);
            if (fuzzrt::HasNul(fuzzrt::TextOf(init))) carries = false;
        }
    }
    // A collection without nodes is saved as the declaration alone, which
    // has no "metatbl" to load: that load fails and leaves the new
    // collection empty.
    bool loads = !names.empty();
    fuzzrt::CheckRoundTrip(*tables, decl, carries, loads, Describe(*tables, true),
                           [](CZARVMetaTable& loaded) { return Describe(loaded, false); });
    return 0;
}
