#include "ui/guarded_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/config_home.h"
#include "tests/support/window_store.h"
#include "tests/ui/fake_seams.h"
#include "ui/owner_key_store.h"
#include "ui/veldra_dlg.h"

namespace {

// The window on its store in a configuration folder of the test's own.
class GuardedStoreTest : public ::testing::Test {
protected:
    QString storeFile() const { return storeFileIn(configHome_); }

    void putFile(const QByteArray& bytes) const
    {
        ASSERT_TRUE(QDir().mkpath(storeFolderIn(configHome_)));
        QFile file(storeFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray bytesOf(const QString& path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList backups() const
    {
        return QDir(storeFolderIn(configHome_))
            .entryList({StoreFileName + QStringLiteral(".*.bak")}, QDir::Files);
    }
    // Starts the window, generates once, and shows its store warning.
    void runWindow(GuardedStore& store)
    {
        CVeldraDlg window(store, seams_, store.store().location());
        window.show();
        warnAboutUnsavedStore(&window, seams_, store);
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("generateButton")),
                          Qt::LeftButton);
    }

    // The owner key as the window sets it in its store.
    static WindowOwnerKeyStore keysOf(const GuardedStore& window)
    {
        return WindowOwnerKeyStore(window, StoreIdentity::ofWindow());
    }

    QTemporaryDir dir_;
    QString configHome_ = dir_.path() + QStringLiteral("/config");
    ScopedConfigHome scopedHome_{configHome_};
    FakeSeams seams_;
};

TEST_F(GuardedStoreTest, AStoreThatCannotBeReadIsNeverSavedOverUnlessTheUserChooses)
{
    const QByteArray damaged = "[setting102]\nuser%20name=Mine\nunique%20key=@ByteArray(k)\n";
    putFile(damaged);
    UserSettingsStore real = windowStore();
    GuardedStore store(real);
    ASSERT_FALSE(store.saving());

    // The user keeps the file: the start-up save, a generation and every
    // later save leave it alone. What could be read is shown.
    runWindow(store);
    EXPECT_EQ(bytesOf(storeFile()), damaged);
    EXPECT_TRUE(backups().isEmpty());
    ASSERT_FALSE(seams_.messages.empty());
    const FakeSeams::Message& asked = seams_.messages.front();
    EXPECT_EQ(asked.kind, QStringLiteral("confirm"));
    EXPECT_NE(asked.text.indexOf(storeFile()), -1) << asked.text.toStdString();
    EXPECT_NE(asked.text.indexOf(QStringLiteral("'unique key'")), -1);
    EXPECT_EQ(store.readText(u"user name"), u"Mine");

    // The user starts afresh: the file is kept as a backup first.
    seams_.messages.clear();
    seams_.confirmAnswer = true;
    runWindow(store);
    ASSERT_TRUE(store.saving());
    ASSERT_EQ(backups().size(), 1);
    EXPECT_EQ(bytesOf(storeFolderIn(configHome_) + u'/' + backups().front()), damaged);
    ASSERT_EQ(seams_.messages.size(), 2u);
    EXPECT_NE(seams_.messages.back().text.indexOf(backups().front()), -1);
    const UserSettingsStore reread = windowStore();
    EXPECT_EQ(reread.access(), StoreAccess::Ours) << reread.problem().toStdString();
    EXPECT_EQ(reread.readText(u"user name"), u"Mine");
    EXPECT_EQ(reread.readText(u"unique key"), u"");
}

TEST_F(GuardedStoreTest, AStoreThatIsNotSafeIsNeitherReadNorOffered)
{
    // A FIFO where the file belongs: never read, never written.
    ASSERT_TRUE(QDir().mkpath(storeFolderIn(configHome_)));
    ASSERT_EQ(::mkfifo(QFile::encodeName(storeFile()).constData(), 0600), 0);
    UserSettingsStore real = windowStore();
    GuardedStore store(real);
    seams_.confirmAnswer = true;
    runWindow(store);
    EXPECT_FALSE(store.saving());
    ASSERT_EQ(seams_.messages.size(), 1u);
    EXPECT_EQ(seams_.messages.front().kind, QStringLiteral("warning"));
    EXPECT_NE(seams_.messages.front().text.indexOf(storeFile()), -1);
    EXPECT_TRUE(backups().isEmpty());
}

// The key set from the window reaches the user's file as set-owner-key
// writes it: after a backup, alone, and never over a key set meanwhile.
TEST_F(GuardedStoreTest, TheOwnerKeyIsWrittenAloneAfterABackupAndNeverOverANewerKey)
{
    const QByteArray first = "[setting102]\nuser%20name=Mine\nunique%20key=old\nlength=20\n";
    putFile(first);
    UserSettingsStore real = windowStore();
    GuardedStore window(real);
    ASSERT_TRUE(window.saving());
    WindowOwnerKeyStore keys = keysOf(window);

    const OwnerKeyChange written = keys.replaceKey(u"old", u"new");
    ASSERT_EQ(written.status, OwnerKeyChange::Status::Written) << written.detail.toStdString();
    ASSERT_EQ(backups().size(), 1);
    EXPECT_EQ(written.detail, storeFolderIn(configHome_) + u'/' + backups().front());
    EXPECT_EQ(bytesOf(written.detail), first);
    const UserSettingsStore after = windowStore();
    EXPECT_EQ(after.readText(u"unique key"), u"new");
    EXPECT_EQ(after.readText(u"user name"), u"Mine");
    EXPECT_EQ(after.readInt(u"length"), 20);
    EXPECT_EQ(QFile(storeFile()).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);

    // Another program sets its own key; the window, still knowing "new",
    // leaves it and learns it.
    putFile("[setting102]\nuser%20name=Mine\nunique%20key=theirs\n");
    const OwnerKeyChange kept = keys.replaceKey(u"new", u"mine");
    EXPECT_EQ(kept.status, OwnerKeyChange::Status::ChangedMeanwhile);
    EXPECT_EQ(kept.storedKey, u"theirs");
    EXPECT_EQ(windowStore().readText(u"unique key"), u"theirs");
    EXPECT_EQ(backups().size(), 1);
}

TEST_F(GuardedStoreTest, AStoreTheWindowDoesNotSaveGetsNoKeyEither)
{
    const QByteArray damaged = "[setting102]\nunique%20key=@ByteArray(k)\n";
    putFile(damaged);
    UserSettingsStore real = windowStore();
    GuardedStore window(real);
    ASSERT_FALSE(window.saving());
    WindowOwnerKeyStore keys = keysOf(window);
    EXPECT_EQ(keys.replaceKey(u"", u"new").status, OwnerKeyChange::Status::Failed);
    EXPECT_EQ(bytesOf(storeFile()), damaged);
    EXPECT_TRUE(backups().isEmpty());
}

} // namespace
