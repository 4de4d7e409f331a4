#include "engine/io_index.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/zarvlib/zarv_str.h"

namespace {

int a_data, b_data, c_data;
void* const A = &a_data;
void* const B = &b_data;
void* const C = &c_data;
using Data = std::vector<void*>;

// Listing, clashes and deletes through the engine are in the engine's tests;
// here: the tree's own shape.
class IODBTest : public ::testing::Test {
protected:
    Data Leaves(const char* key, Data out = {}) {
        db.GetIndexNode(key)->GetLeafData(out);
        return out;
    }
    CZARVIODB db;
};

TEST_F(IODBTest, LeavesAreCollectedThroughEveryLevelAndAPrefixOfALeafIsRefused) {
    ASSERT_TRUE(db.CreateIndex("A$B$C", C));
    EXPECT_EQ(db.GetIndexNode("A")->GetKey(), DJBHash("A"));
    EXPECT_EQ(Leaves("A$B", {B}), (Data{B, C}));
    ASSERT_TRUE(db.CreateIndex("a$b", A));
    EXPECT_FALSE(db.CreateIndex("a$b$c", B));  // "a$b" is a leaf
    EXPECT_TRUE(db.CreateIndex("a$c$d", B));
    EXPECT_FALSE(db.CreateIndex("a$c", C));  // "a$c" is a branch now
    EXPECT_FALSE(db.CreateIndex("a$b", C));
    EXPECT_EQ(db.GetIndexNode("a$b")->GetData(), A);
}

// Hashes by length, longest lowest: the order of siblings then differs from
// the order of their texts, and texts of one length are one part.
unsigned int LongestFirst(const std::string& part) {
    return 100 - static_cast<unsigned>(part.size());
}

TEST(IODBHashTest, SiblingsAscendByTheHashGivenOrTheDJBHash) {
    CZARVIODB db(&LongestFirst);
    ASSERT_TRUE(db.CreateIndex("k$a", A));
    ASSERT_TRUE(db.CreateIndex("k$ccc", C));
    ASSERT_TRUE(db.CreateIndex("k$bb", B));
    Data leaves;
    EXPECT_EQ(db.GetIndexNode("k")->GetLeafData(leaves), 3);
    EXPECT_EQ(leaves, (Data{C, B, A}));  // hashes 97, 98, 99
    EXPECT_EQ(db.GetIndexNode("k")->GetKey(), 99u);
    EXPECT_EQ(db.GetIndexNode("x$yy")->GetData(), B);  // "x" is "k", "yy" is "bb" to this hash
    EXPECT_FALSE(db.CreateIndex("q$zz", C));
    std::vector<unsigned long> roots;
    for (const auto& node : db.GetRoot()) roots.push_back(node->GetKey());
    EXPECT_EQ(roots, std::vector<unsigned long>{99});
    CZARVIODB plain;  // by default, the DJB hash: it puts "b" below "aa"
    ASSERT_TRUE(plain.CreateIndex("k$aa", A));
    ASSERT_TRUE(plain.CreateIndex("k$b", B));
    ASSERT_LT(DJBHash("b"), DJBHash("aa"));
    leaves.clear();
    plain.GetIndexNode("k")->GetLeafData(leaves);
    EXPECT_EQ(leaves, (Data{B, A}));
}

TEST_F(IODBTest, DeepKeysAreBuiltAndTornDownWithoutRecursion) {
    std::string key(200000, '$');  // 200001 empty parts, one level each
    ASSERT_TRUE(db.CreateIndex(key.c_str(), A));
    EXPECT_EQ(Leaves("$"), Data{A});
    db.Remove("$$");  // drops a subtree of 199999 levels
    EXPECT_EQ(db.GetIndexNode(key.c_str()), nullptr);
    ASSERT_TRUE(db.CreateIndex(key.c_str(), A));
}  // and the destructor drops the whole depth again

}  // namespace

namespace {

// Two-part keys are answered by a hash table beside the tree: after any
// change of the tree it must name exactly the nodes the tree holds.
TEST(IODBPathTableTest, TwoPartLookupsMatchTheTreeThroughDeletesReinsertsAndReplacedSets) {
    CZARVIODB db;
    std::vector<int> data(8 * 32), again(8 * 32);
    auto key = [](int a, int b) { return "COM" + std::to_string(a) + "$" + std::to_string(b); };
    auto found = [&](int a, int b) -> void* {
        CIndexNode* node = db.GetIndexNode(key(a, b).c_str());
        return node ? node->GetData() : nullptr;
    };
    for (int a = 0; a < 8; ++a)
        for (int b = 0; b < 32; ++b)
            ASSERT_TRUE(db.CreateIndex(key(a, b).c_str(), &data[a * 32 + b]));

    db.Remove("COM1$5");  // one leaf
    db.Remove("COM2");    // a branch with all its leaves
    EXPECT_EQ(found(1, 5), nullptr);
    EXPECT_EQ(found(1, 6), &data[1 * 32 + 6]);
    for (int b = 0; b < 32; ++b) EXPECT_EQ(found(2, b), nullptr) << b;

    // Back under other data.
    ASSERT_TRUE(db.CreateIndex(key(1, 5).c_str(), &again[1 * 32 + 5]));
    ASSERT_TRUE(db.CreateIndex(key(2, 7).c_str(), &again[2 * 32 + 7]));
    EXPECT_EQ(found(1, 5), &again[1 * 32 + 5]);
    EXPECT_EQ(found(2, 7), &again[2 * 32 + 7]);
    EXPECT_EQ(found(2, 8), nullptr);

    // A caller's own child set replaces a branch's: the old leaves are gone,
    // the new set's are found.
    CIndexNode* com3 = db.GetIndexNode("COM3");
    ASSERT_NE(com3, nullptr);
    auto* own = new CIndexNodeSet;
    own->insert(std::make_unique<CIndexNode>(DJBHash("9"), CIndexNode::NT_LEAF, A));
    com3->SetData(own);
    EXPECT_EQ(found(3, 0), nullptr);
    EXPECT_EQ(found(3, 9), A);
    ASSERT_TRUE(db.CreateIndex("COM3$10", B));
    EXPECT_EQ(found(3, 10), B);
    com3->SetData(nullptr);
    EXPECT_EQ(found(3, 9), nullptr);
    EXPECT_EQ(found(3, 10), nullptr);

    // Every other key still names its own data.
    for (int a : {0, 4, 5, 6, 7})
        for (int b = 0; b < 32; ++b) EXPECT_EQ(found(a, b), &data[a * 32 + b]) << a << " " << b;
}

TEST(IODBPathTableTest, DeeperKeysAndBranchesTwoPartsDeepAreFound) {
    CZARVIODB db;
    ASSERT_TRUE(db.CreateIndex("A$B$C$D", C));
    EXPECT_EQ(db.GetIndexNode("A$B")->GetNodeType(), CIndexNode::NT_BRANCH);
    EXPECT_EQ(db.GetIndexNode("A$B$C$D")->GetData(), C);
    EXPECT_EQ(db.GetIndexNode("A$B$X"), nullptr);
    EXPECT_EQ(db.GetIndexNode("A$X$C"), nullptr);
    db.Remove("A$B$C");
    EXPECT_EQ(db.GetIndexNode("A$B$C$D"), nullptr);
    EXPECT_NE(db.GetIndexNode("A$B"), nullptr);
    db.Remove("A$B");
    EXPECT_EQ(db.GetIndexNode("A$B"), nullptr);
    ASSERT_TRUE(db.CreateIndex("A$B", A));
    EXPECT_EQ(db.GetIndexNode("A$B")->GetData(), A);
}

}  // namespace
