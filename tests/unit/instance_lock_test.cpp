#include "platform/posix/instance_lock.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using vz::PosixInstanceLock;

namespace {

const QString kProgram = QStringLiteral("/opt/vivivoz/vivivoz");

class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QTemporaryDir dir;
    bool take(PosixInstanceLock& lock, const QString& path = kProgram) {
        QString error;
        const bool ok = lock.acquire(path, &error);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        return ok;
    }
};

TEST_F(InstanceLockTest, SecondLockOnSamePathFailsOtherPathSucceeds) {
    PosixInstanceLock first(dir.path()), second(dir.path()), other(dir.path());
    EXPECT_TRUE(take(first));
    EXPECT_FALSE(take(second));
    EXPECT_TRUE(take(other, QStringLiteral("/opt/vivivoz2/vivivoz")));
}

TEST_F(InstanceLockTest, ReleasedWhenHolderIsDestroyed) {
    {
        PosixInstanceLock first(dir.path());
        ASSERT_TRUE(take(first));
    }
    PosixInstanceLock second(dir.path());
    EXPECT_TRUE(take(second));
}

TEST_F(InstanceLockTest, LockOfKilledProcessIsFree) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        PosixInstanceLock lock(dir.path());
        const char answer = lock.acquire(kProgram, nullptr) ? '1' : '0';
        if (write(ready[1], &answer, 1) != 1) _exit(2);
        for (;;) pause();
    }
    close(ready[1]);
    char answer = 0;
    ASSERT_EQ(read(ready[0], &answer, 1), 1);
    close(ready[0]);
    EXPECT_EQ(answer, '1');

    PosixInstanceLock mine(dir.path());
    EXPECT_FALSE(take(mine));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(take(mine));
}

TEST(InstanceLockName, DistinctPathsGetDistinctNames) {
    struct Case {
        QString a, b;
    };
    const Case cases[] = {
        {QStringLiteral("/a/bc/vivivoz"), QStringLiteral("/ab/c/vivivoz")},
        {QStringLiteral("/opt/my app/vivivoz"), QStringLiteral("/opt/myapp/vivivoz")},
        {QStringLiteral("/x/") + QString(300, QLatin1Char('d')) + QStringLiteral("/vivivoz"),
         QStringLiteral("/y/") + QString(300, QLatin1Char('d')) + QStringLiteral("/vivivoz")},
    };
    for (const Case& c : cases) {
        const QString a = PosixInstanceLock::lockFileName(c.a);
        EXPECT_NE(a, PosixInstanceLock::lockFileName(c.b)) << c.a.toStdString();
        EXPECT_EQ(a, PosixInstanceLock::lockFileName(c.a));
        EXPECT_FALSE(a.contains(QLatin1Char('/')));
        EXPECT_FALSE(a.contains(QLatin1Char(' ')));
        EXPECT_LT(a.size(), 128);  // well inside NAME_MAX
    }
}

// Without XDG_RUNTIME_DIR the lock lives in a private folder under /tmp.
TEST(InstanceLockDirectory, FallsBackToPrivateTmpFolder) {
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    QString error;
    const QString dir = PosixInstanceLock::defaultDirectory(&error);
    EXPECT_EQ(dir, QStringLiteral("/tmp/vivivoz-%1").arg(getuid())) << error.toStdString();
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(dir).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, getuid());

    qputenv("XDG_RUNTIME_DIR", "relative/dir");  // not absolute: ignored
    EXPECT_EQ(PosixInstanceLock::defaultDirectory(&error), dir);
    if (saved.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", saved);
}

TEST(InstanceLockDirectory, UsesRuntimeDirWhenSet) {
    QTemporaryDir runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    EXPECT_EQ(PosixInstanceLock::defaultDirectory(nullptr), runtime.path());
    PosixInstanceLock lock, again;
    EXPECT_TRUE(lock.acquire(kProgram, nullptr));
    EXPECT_FALSE(again.acquire(kProgram, nullptr));
    EXPECT_TRUE(QFile::exists(runtime.path() + QLatin1Char('/') + PosixInstanceLock::lockFileName(kProgram)));
    if (saved.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", saved);
}

TEST(InstanceLockDirectory, MissingFolderIsReportedNotTakenForAnotherCopy) {
    PosixInstanceLock lock(QStringLiteral("/proc/no-such-folder"));
    QString error;
    EXPECT_FALSE(lock.acquire(kProgram, &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
