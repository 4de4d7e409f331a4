// What the tool reads: standard input and streams are read once to their
// end, as cat would; devices, folders and sockets are refused at once.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <fstream>

#include "tools/tool_test_util.h"

namespace {

class ToolInputTest : public ToolTest {
protected:
    std::string Database() {
        std::string path = dir.File("rs9.dat");
        EXPECT_TRUE(SaveDatabase(path, 9, {{0x09010002, {{1, Var("pump")}}}}));
        return path;
    }
};

TEST_F(ToolInputTest, DashReadsStandardInputAndWritesStandardOutputAndAFifoIsReadToItsEnd) {
    std::string db = Database();
    ToolRun run = Run({"diff", db, "-"}, ToolShell::In(db));
    EXPECT_EQ(run.status, 0) << run.err;

    ASSERT_EQ(Run({"export-csv", db, "-o", "-"}).status, 0);
    ASSERT_EQ(Run({"export-csv", db, "-o", dir.File("p.csv")}).status, 0);
    run = Run({"import-csv", "-", "--rid", "9", "-o", dir.File("copy.dat")},
              ToolShell::In(dir.File("p.csv")));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadAll(dir.File("copy.dat")), ReadAll(db));
    run = Run({"import-csv", dir.File("p.csv"), "--rid", "9", "-o", "-"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, ReadAll(db));
    ExpectParts(run.err, {"zarvqen: wrote -: 1 point of RID"});
    // A FIFO is read once to its end.
    std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    run = Run({"dump", fifo},
              ToolShell::Before("cat " + ShellQuote(db) + " >" + ShellQuote(fifo) + " &"));
    ExpectRun(run, 0, run.out, {"pump"});
}

TEST_F(ToolInputTest, DevicesFoldersAndSocketsAreRefusedAlsoOnStandardInput) {
    struct Case {
        std::vector<std::string> args;
        std::string in, why;
    };
    // A socket bound to a path in the folder.
    std::string sock = dir.File("sock");
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    ASSERT_LT(sock.size(), sizeof(addr.sun_path));
    std::copy(sock.begin(), sock.end(), addr.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
    const std::vector<Case> cases = {
        {{"info", "/dev/zero"}, "/dev/null", "/dev/zero: cannot read: is a device"},
        {{"export-csv", "/dev/zero"}, "/dev/null", "/dev/zero: cannot read: is a device"},
        {{"check", sock}, "/dev/null", "is a socket"},
        {{"dump", dir.File("")}, "/dev/null", "is a directory"},
        {{"import-csv", "/dev/zero", "--rid", "1", "-o", dir.File("x.dat")},
         "/dev/null",
         "is a device"},
        {{"info", "-"}, "/dev/zero", "standard input: is a device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1]);
        ExpectRefused(Run(c.args, ToolShell::In(c.in)), {c.why});
    }
    ::close(fd);
}

// An input larger than the memory the tool may use is a message, not an
// abort. The sanitizers reserve more address space than the limit allows.
TEST_F(ToolInputTest, RunningOutOfMemoryIsAMessageAndExitStatusTwo) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "an address space limit does not work with AddressSanitizer";
#else
    std::string csv = "gmpid,p1:text:0,p5:double:0\n";
    for (int i = 0; i < 100000; ++i)
        csv += "9." + std::to_string(i / 20000 + 1) + "." + std::to_string(i % 20000 / 4096) + "." +
               std::to_string(i % 4096) + ",name " + std::to_string(i) + "," + std::to_string(i) +
               "\n";
    WriteAll(dir.File("big.csv"), csv);
    ToolRun run = Run({"import-csv", dir.File("big.csv"), "--rid", "9", "-o", dir.File("b.dat")},
                      ToolShell::Before("ulimit -v 40000;"));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "zarvqen: " + dir.File("big.csv") + ": out of memory\n");
    EXPECT_FALSE(std::ifstream(dir.File("b.dat")).good());

    // Where memory runs out inside the library's load, the load gives up
    // without naming a problem in the file: that is no verdict on the file.
    // Limits from where the tool cannot start its work to where the load
    // fits meet that point somewhere.
    ASSERT_EQ(
        Run({"import-csv", dir.File("big.csv"), "--rid", "9", "-o", dir.File("b.dat")}).status, 0);
    for (int limit = 50000; limit <= 80000; limit += 2000) {
        SCOPED_TRACE(std::to_string(limit) + " KB");
        run = Run({"check", dir.File("b.dat")},
                  ToolShell::Before("ulimit -v " + std::to_string(limit) + ";"));
        ExpectParts(run.out + run.err, {}, {"refused"});
        if (run.status != 0) {
            ExpectRun(run, 2, run.err, {"out of memory"});
        }
    }
#endif
}

}  // namespace
