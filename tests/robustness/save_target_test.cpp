// Every kind of file the library saves, saved the way installations keep
// them: a protected file behind a symbolic link, and a FIFO where a file was
// expected. (The rules themselves are tested with the writer, in tests/host.)
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "robustness/robustness_util.h"

namespace {

using Save = std::function<bool(const std::string&)>;

// Saves to a protected file through a link.
void CheckLinkAndMode(const TempDir& dir, const Save& save) {
    ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0700), 0);
    ASSERT_TRUE(save(dir.File("real/cfg")));
    ASSERT_EQ(::chmod(dir.File("real/cfg").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("real/cfg", dir.File("cfg").c_str()), 0);
    ASSERT_TRUE(save(dir.File("cfg")));
    struct stat st {};
    ASSERT_EQ(::lstat(dir.File("cfg").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(dir.File("cfg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

// Saves to a FIFO: refused, the FIFO kept and nothing left beside it.
void CheckFifoRefused(const TempDir& dir, const Save& save) {
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    EXPECT_FALSE(save(dir.File("fifo")));
    struct stat st {};
    ASSERT_EQ(::lstat(dir.File("fifo").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"fifo"}));
}

// Loads a one-entry file of `Catalogue`'s kind and returns its save.
template <class Catalogue>
Save CatalogueSaver(const TempDir& in) {
    WriteAll(in.File("in.xml"), CatalogueFile<Catalogue>("attrib", "text"));
    auto catalogue = CZARVPtr<Catalogue>::Adopt(new Catalogue);
    EXPECT_TRUE(catalogue->LoadFromFile(in.File("in.xml").c_str()));
    return [catalogue](const std::string& path) {
        return catalogue->SaveToFile(path.c_str(), "1.0", "UTF-8");
    };
}

TEST(SaveTargetTest, EveryKindOfFileKeepsLinkAndModeAndRefusesAFifo) {
    ClearRefNames();
    TempDir in;
    CZARVQENDbEngine engine{"3.0"};
    FillDatabase(engine, 7, 3);
    const std::pair<const char*, Save> kinds[] = {
        {"meta property table", CatalogueSaver<CZARVMetaPropTbl>(in)},
        {"meta tables", CatalogueSaver<CZARVMetaTable>(in)},
        {"typed objects", CatalogueSaver<CZARVTypedObjTbl>(in)},
        {"driver library", CatalogueSaver<CZARVDrvLib>(in)},
        {"pseudos", CatalogueSaver<CZARVPseudos>(in)},
        {"database",
         [&](const std::string& path) { return engine.SaveToTemplate(7, path.c_str(), "3.0"); }},
    };
    for (const auto& [name, save] : kinds) {
        SCOPED_TRACE(name);
        TempDir link_dir, fifo_dir;
        CheckLinkAndMode(link_dir, save);
        CheckFifoRefused(fifo_dir, save);
    }
    ClearRefNames();
}

}  // namespace
