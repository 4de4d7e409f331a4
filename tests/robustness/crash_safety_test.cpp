// A save killed at any moment (SIGKILL to a child process at moments spread
// over a save) leaves the database file, byte for byte, as it was or as the
// save meant it. A killed writer may leave its temporary file beside the
// target; loads never look at it, and the test removes them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "robustness/robustness_util.h"

namespace {

constexpr unsigned char kRid = 200;
constexpr const char* kFileName = "rs200.dat";
constexpr int kPoints = kSanitized ? 50000 : 200000;
constexpr int kKills = 20, kExtraKills = 3;

// Forks a child that saves the database and exits; returns its id once it
// has signalled through a pipe that the save starts, or -1.
pid_t StartSave(CZARVQENDbEngine& engine, const TempDir& dir) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0)
        _exit(write(fds[1], "g", 1) == 1 && engine.SaveToFile(kRid, dir.path().c_str(), "3.0") ? 0
                                                                                               : 1);
    close(fds[1]);
    char go = 0;
    const bool started = pid > 0 && read(fds[0], &go, 1) == 1;
    close(fds[0]);
    if (pid > 0 && !started) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
    return started ? pid : -1;
}

// Saves the engine, checks that the file loads whole, and returns it.
std::string SaveAndLoad(CZARVQENDbEngine& engine, const TempDir& dir) {
    EXPECT_TRUE(engine.SaveToFile(kRid, dir.path().c_str(), "3.0"));
    CZARVQENDbEngine reader("3.0");
    EXPECT_TRUE(reader.LoadFromFile(kRid, dir.File(kFileName).c_str(), "3.0", 0));
    EXPECT_NE(reader.GetMPInfo(zarvgmpid::Make(kRid, (kPoints - 1) / 32000, 0, 0)), nullptr);
    return ReadAll(dir.File(kFileName));
}

TEST(CrashSafetyTest, KilledSaveLeavesTheOldOrTheNewFileWhole) {
    ClearRefNames();
    TempDir dir;
    const std::string path = dir.File(kFileName);
    CZARVQENDbEngine engine("3.0");
    FillDatabase(engine, kRid, kPoints);
    const std::string old_bytes = SaveAndLoad(engine, dir);
    engine.GetMPInfo(zarvgmpid::Make(kRid, 0, 0, 1))->SetMPProp(2, _zarvVAR("the new version"), 0);
    const std::string new_bytes = SaveAndLoad(engine, dir);
    ASSERT_NE(new_bytes, old_bytes);

    // How long a save takes in a child, from its signal to its exit.
    WriteAll(path, old_bytes);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = StartSave(engine, dir);
    int status = 0;
    ASSERT_TRUE(pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
                !WEXITSTATUS(status));
    const auto save_time = std::chrono::steady_clock::now() - start;

    int old_seen = 0, new_seen = 0;
    // Kill moments from the start of the save to a little past its end; when
    // a busy machine has slowed every save down past them, a few later ones
    // follow until one kill comes after the rename.
    for (int k = 0; k < kKills + kExtraKills && (k < kKills || new_seen == 0); ++k) {
        SCOPED_TRACE("kill " + std::to_string(k));
        WriteAll(path, old_bytes);
        pid = StartSave(engine, dir);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(k < kKills ? save_time * (k + 1) / (kKills - 2)
                                               : save_time * (2 << (k - kKills)));
        kill(pid, SIGKILL);
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        const std::string now = ReadAll(path);
        EXPECT_TRUE(now == old_bytes || now == new_bytes) << "size " << now.size();
        old_seen += now == old_bytes;
        new_seen += now == new_bytes;
        for (const std::string& name : dir.Entries()) {
            if (name == kFileName) continue;
            EXPECT_NE(name.find(".tmp."), std::string::npos) << name;
            std::remove(dir.File(name).c_str());
        }
    }
    EXPECT_GT(old_seen, 0);
    EXPECT_GT(new_seen, 0);
    ClearRefNames();
}

}  // namespace
