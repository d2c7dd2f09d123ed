#include "platform/posix/process_path.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(ProcessPath, OwnProcessByIdAndBySelf) {
    const QString expected = QString::fromStdString(std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(vz::executableOfThisProcess(), expected);
    EXPECT_EQ(vz::executableOfProcess(getpid()), expected);
}

// Another process: a child that runs a different program.
TEST(ProcessPath, OtherProcess) {
    const QString sleepPath = QFileInfo(QStringLiteral("/bin/sleep")).canonicalFilePath();
    ASSERT_FALSE(sleepPath.isEmpty());
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        fcntl(ready[1], F_SETFD, FD_CLOEXEC);  // closes when sleep starts
        execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    char byte;
    while (read(ready[0], &byte, 1) > 0) {}  // end of file: exec done
    close(ready[0]);
    EXPECT_EQ(vz::executableOfProcess(child), sleepPath);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(vz::executableOfProcess(child).isEmpty()) << "a process that has ended";
}

TEST(ProcessPath, NoSuchProcess) {
    for (const qint64 pid : {qint64(0), qint64(-1), qint64(-4096), qint64(1) << 40, qint64(0x7fffffff)})
        EXPECT_TRUE(vz::executableOfProcess(pid).isEmpty()) << pid;
}

}  // namespace
