// Drives the IO index with arbitrary keys: each input line is a key; lines
// are indexed, looked up and some removed again.
//
// Invariants: an indexed key is found with its data; a removed key is gone.
#include <string>
#include <vector>

#include "engine/io_index.h"
#include "fuzz/fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> keys;
    std::string current;
    for (size_t i = 0; i < size && keys.size() < 256; ++i) {
        if (data[i] == '\n') {
            keys.push_back(current);
            current.clear();
        } else if (data[i] != '\0') {
            current += static_cast<char>(data[i]);
        }
    }
    keys.push_back(current);

    CZARVIODB index;
    std::vector<int> tags(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!index.CreateIndex(keys[i].c_str(), &tags[i])) continue;
        CIndexNode* node = index.GetIndexNode(keys[i].c_str());
        FUZZ_CHECK(node != nullptr);
        FUZZ_CHECK(node->GetData() == &tags[i]);
        std::vector<void*> leaves;
        FUZZ_CHECK(node->GetLeafData(leaves) >= 1);
    }
    for (size_t i = 0; i < keys.size(); i += 2) {
        index.Remove(keys[i].c_str());
        FUZZ_CHECK(index.GetIndexNode(keys[i].c_str()) == nullptr);
    }
    return 0;
}
