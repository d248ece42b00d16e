// The local-address watcher: the history of addresses it keeps and writes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "signin/AddressWatcher.h"
#include "tests/support/QStringPrinter.h"
#include "tests/support/TempFolder.h"

namespace {

using signin::AddressWatcher;

// The workstation's address as the test says, and the current folder a temporary one.
class Watcher : public testing::Test {
  protected:
    void SetUp() override {
        previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        AddressWatcher::setAddressSource([this] { return address; });
    }
    void TearDown() override {
        AddressWatcher::setAddressSource({});
        QDir::setCurrent(previous);
    }
    void goTo(const QString& a, AddressWatcher& w) {
        address = a;
        w.check();
    }
    QStringList written() const {
        QFile f(folder.file(AddressWatcher::historyFileName()));
        if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {QStringLiteral("<none>")};
        return QString::fromLatin1(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }

    testsupport::TempFolder folder;
    QString previous;
    QString address = QStringLiteral("10.0.0.5");
};

TEST_F(Watcher, RemembersTheAddressInUseEachTimeTheWorkstationGoesOffLine) {
    {
        AddressWatcher w(true);
        EXPECT_EQ(w.localAddress(), "10.0.0.5");
        goTo("127.0.0.1", w);  // off line: 10.0.0.5 was in use
        EXPECT_EQ(w.localAddress(), "127.0.0.1");
        goTo("127.0.0.1", w);  // still off line: nothing new
        goTo("10.0.0.5", w);
        goTo("127.0.0.1", w);  // the same address again right after: kept once
        goTo("192.168.1.7", w);
        goTo("192.168.1.8", w);  // a new address while on line is not history
        EXPECT_EQ(w.history(), QStringList{"10.0.0.5"});
        goTo("127.0.0.1", w);
        EXPECT_EQ(w.history(), (QStringList{"10.0.0.5", "192.168.1.8"}));
        goTo("10.0.0.9", w);
    }
    // destroyed: the current address joins and the history is written
    EXPECT_EQ(written(), (QStringList{"10.0.0.5", "192.168.1.8", "10.0.0.9"}));
}

TEST_F(Watcher, KeepsTheLast25AndNeverTheLoopback) {
    {
        AddressWatcher w(true);
        for (int i = 1; i <= 30; ++i) {
            goTo(QStringLiteral("10.0.1.%1").arg(i), w);
            goTo("127.0.0.1", w);
        }
        ASSERT_EQ(w.history().size(), 25);
        EXPECT_EQ(w.history().first(), "10.0.1.6");
        EXPECT_EQ(w.history().last(), "10.0.1.30");
    }
    // off line at the end: the loopback is not added
    const QStringList lines = written();
    EXPECT_EQ(lines.size(), 25);
    EXPECT_FALSE(lines.contains("127.0.0.1"));
}

TEST_F(Watcher, WithoutAHistoryNothingIsWritten) {
    {
        AddressWatcher w(false);
        goTo("127.0.0.1", w);
        EXPECT_TRUE(w.history().isEmpty());
    }
    EXPECT_FALSE(QFile::exists(folder.file(AddressWatcher::historyFileName())));
}

}  // namespace
