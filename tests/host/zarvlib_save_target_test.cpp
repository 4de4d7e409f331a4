// What a save replaces and what a load reads, for both writers of the
// library (the binary file and the XML document): links, modes, owners,
// hard links and files that are not regular files.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/zarvlib/markup.h"
#include "host/zarvlib/zarv_file.h"
#include "support/temp_dir.h"

namespace {

// One way of saving a text to a file and of reading it back.
struct Writer {
    const char* name;
    std::function<bool(const std::string& path, const std::string& text)> save;
    std::function<bool(const std::string& path, std::string& text)> load;
};

bool SaveBinary(const std::string& path, const std::string& text) {
    CZARVFile f;
    if (!f.OpenBinary(path.c_str(), CZARVFile::modeWrite)) return false;
    f.WriteBytes(text.data(), text.size());
    return f.Close();
}

bool LoadBinary(const std::string& path, std::string& text) {
    CZARVFile f;
    if (!f.OpenBinary(path.c_str(), CZARVFile::modeRead)) return false;
    text.assign(f.Size(), '\0');
    return f.ReadBytes(text.data(), text.size());
}

bool SaveXml(const std::string& path, const std::string& text) {
    CMarkup doc;
    return doc.AddElem("cfg", text.c_str()) && doc.Save(path.c_str());
}

bool LoadXml(const std::string& path, std::string& text) {
    CMarkup doc;
    if (!doc.Load(path.c_str()) || !doc.FindElem("cfg")) return false;
    text = doc.GetData();
    return true;
}

struct stat LStat(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

class SaveTargetTest : public ::testing::TestWithParam<Writer> {
protected:
    bool Save(const std::string& path, const std::string& text) {
        return GetParam().save(path, text);
    }
    // The text the file at `path` holds, "<unreadable>" when it does not load.
    std::string Content(const std::string& path) {
        std::string text;
        return GetParam().load(path, text) ? text : "<unreadable>";
    }

    TempDir dir;
};

// A replaced file keeps its permission bits; a new one gets 0666 less the
// umask; a hard link's other name keeps the old content.
TEST_P(SaveTargetTest, KeepsPermissionBitsAndANewFileGetsTheUmasksMode) {
    const std::string path = dir.File("cfg");
    for (mode_t mode : {mode_t{0600}, mode_t{0640}, mode_t{0444}, mode_t{0755}}) {
        ASSERT_TRUE(Save(path, "old"));
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ASSERT_TRUE(Save(path, "new"));
        EXPECT_EQ(LStat(path).st_mode & 07777, mode);
        EXPECT_EQ(Content(path), "new");
    }
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"cfg"});
    ASSERT_EQ(::link(path.c_str(), dir.File("backup").c_str()), 0);
    ASSERT_TRUE(Save(path, "newer"));
    EXPECT_EQ(Content(path), "newer");
    EXPECT_EQ(Content(dir.File("backup")), "new");
    EXPECT_EQ(LStat(path).st_nlink, 1u);
    const mode_t mask = ::umask(022);
    const bool saved = Save(dir.File("fresh"), "x");
    ::umask(mask);
    ASSERT_TRUE(saved);
    EXPECT_EQ(LStat(dir.File("fresh")).st_mode & 07777, 0644u);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"backup", "cfg", "fresh"}));
}

// A process that may give files away keeps a foreign owner and group.
TEST_P(SaveTargetTest, KeepsAForeignOwnerAndGroup) {
    if (::geteuid() != 0) GTEST_SKIP() << "only a process that may give files away";
    const std::string path = dir.File("cfg");
    ASSERT_TRUE(Save(path, "old"));
    ASSERT_EQ(::chown(path.c_str(), 4242, 4343), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    ASSERT_TRUE(Save(path, "owned"));
    struct stat st = LStat(path);
    EXPECT_EQ(st.st_uid, 4242u);
    EXPECT_EQ(st.st_gid, 4343u);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST_P(SaveTargetTest, ALinkStaysALinkAndTheFileItLeadsToIsReplaced) {
    ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0755), 0);
    const std::string real = dir.File("real/cfg");
    ASSERT_TRUE(Save(real, "old"));
    ASSERT_EQ(::symlink("real/cfg", dir.File("link").c_str()), 0);  // relative
    ASSERT_EQ(::symlink(dir.File("link").c_str(), dir.File("chain").c_str()),
              0);  // absolute, to a link

    for (const char* name : {"link", "chain"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(Save(dir.File(name), name));
        EXPECT_TRUE(S_ISLNK(LStat(dir.File(name)).st_mode));
        EXPECT_EQ(Content(real), name);
    }
    // The temporary file went beside the real file and is gone.
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"chain", "link", "real"}));
    std::vector<std::string> in_real;
    for (const auto& e : std::filesystem::directory_iterator(dir.File("real")))
        in_real.push_back(e.path().filename().string());
    EXPECT_EQ(in_real, std::vector<std::string>{"cfg"});
}

TEST_P(SaveTargetTest, ADanglingLinkNamesTheFileToCreateALoopIsRefused) {
    ASSERT_EQ(::mkdir(dir.File("real").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("real/new", dir.File("dangling").c_str()), 0);
    EXPECT_TRUE(Save(dir.File("dangling"), "created"));
    EXPECT_TRUE(S_ISLNK(LStat(dir.File("dangling")).st_mode));
    EXPECT_EQ(Content(dir.File("real/new")), "created");
    ASSERT_EQ(::symlink("loop", dir.File("loop").c_str()), 0);
    EXPECT_FALSE(Save(dir.File("loop"), "x"));
    EXPECT_TRUE(S_ISLNK(LStat(dir.File("loop")).st_mode));
}

TEST_P(SaveTargetTest, RefusesEveryTargetThatIsNotARegularFile) {
    struct Target {
        const char* name;
        mode_t type;
    };
    std::vector<Target> targets{{"folder", S_IFDIR}, {"fifo", S_IFIFO}, {"socket", S_IFSOCK}};
    ASSERT_EQ(::mkdir(dir.File("folder").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string sock_path = dir.File("socket");
    ASSERT_LT(sock_path.size(), sizeof addr.sun_path);
    std::strcpy(addr.sun_path, sock_path.c_str());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    // A device node, where the process may make one (the null device).
    if (::mknod(dir.File("device").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        targets.push_back({"device", S_IFCHR});
    ASSERT_EQ(::symlink("fifo", dir.File("to_fifo").c_str()), 0);
    targets.push_back({"to_fifo", S_IFLNK});
    const std::vector<std::string> before = dir.Entries();

    for (const Target& t : targets) {
        SCOPED_TRACE(t.name);
        EXPECT_FALSE(Save(dir.File(t.name), "x"));
        EXPECT_EQ(LStat(dir.File(t.name)).st_mode & S_IFMT, t.type);
        EXPECT_EQ(dir.Entries(), before);  // nothing created, nothing left behind
    }
    ::close(sock);
}

TEST_P(SaveTargetTest, LoadRefusesWhatIsNotARegularFileWithoutWaitingOrReading) {
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);  // no writer: an open would wait
    ASSERT_EQ(::symlink("fifo", dir.File("to_fifo").c_str()), 0);
    for (const std::string& path : {dir.File("fifo"), dir.File("to_fifo"), dir.path(),
                                    std::string("/dev/zero"), std::string("/dev/null")}) {
        std::string text;
        EXPECT_FALSE(GetParam().load(path, text)) << path;
    }
    // A link to a regular file loads what the file holds.
    ASSERT_TRUE(Save(dir.File("cfg"), "through"));
    ASSERT_EQ(::symlink("cfg", dir.File("to_cfg").c_str()), 0);
    EXPECT_EQ(Content(dir.File("to_cfg")), "through");
}

INSTANTIATE_TEST_SUITE_P(Writers, SaveTargetTest,
                         ::testing::Values(Writer{"binary", SaveBinary, LoadBinary},
                                           Writer{"xml", SaveXml, LoadXml}),
                         [](const ::testing::TestParamInfo<Writer>& writer) {
                             return std::string(writer.param.name);
                         });

}  // namespace
