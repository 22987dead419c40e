// The character page's separable parts: which files the character list shows
// and which one a stored path selects, and a character file's own size.

#include "plugins/Freund/CharacterFileSize.h"
#include "plugins/Freund/CharacterFolder.h"
#include "support/IsolatedHome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace tilvano::freund;
using tilvano::test::fixturesDir;

namespace {

void touch(const QString &path, const QByteArray &content = QByteArrayLiteral("x"))
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QStringList namesOf(const CharacterFolder &folder)
{
    QStringList names;
    for (const CharacterEntry &entry : folder.entries())
        names.append(entry.name);
    return names;
}

} // namespace

class TestFreundParts : public QObject {
    Q_OBJECT
private slots:
    void listShowsCharacterFilesAlphabeticallyWithoutAnyAcs()
    {
        QTemporaryDir dir;
        for (const char *name : {"merlin.acs", "My.ACS.acs", "ALIEN.ACS", "Genie.acs", "notes.txt", "Genie.acs.bak"})
            touch(dir.filePath(QString::fromLatin1(name)));
        QDir(dir.path()).mkdir(QStringLiteral("Folder.acs"));

        const CharacterFolder folder(dir.path());
        QCOMPARE(namesOf(folder), (QStringList{"ALIEN", "Genie", "merlin", "My"}));
        // The entry loads the file that is really there, not its shown name plus ".acs".
        QCOMPARE(folder.pathOf(3), dir.path() + QStringLiteral("/My.ACS.acs"));
        QCOMPARE(folder.pathOf(0), dir.path() + QStringLiteral("/ALIEN.ACS"));
        QVERIFY(folder.pathOf(4).isEmpty());
        QVERIFY(folder.pathOf(-1).isEmpty());
    }

    void missingOrEmptyFolderGivesNoCharacters()
    {
        QTemporaryDir dir;
        QVERIFY(CharacterFolder(dir.path()).entries().isEmpty());
        QVERIFY(CharacterFolder(dir.filePath(QStringLiteral("gone"))).entries().isEmpty());
        QCOMPARE(CharacterFolder(dir.path()).indexOf(QStringLiteral("Merlin.acs")), 0);
    }

    void storedPathSelectsItsCharacter_data()
    {
        QTest::addColumn<QString>("storedPath");
        QTest::addColumn<int>("expected");
        // Files: Genie.acs, Merlin.acs, nie.acs
        QTest::newRow("full path") << "/home/u/.local/share/tilvano/msagent/chars/Genie.acs" << 0;
        QTest::newRow("default bare name") << "Merlin.acs" << 1;
        QTest::newRow("older Windows path, other case") << "C:\\WINDOWS\\msagent\\chars\\MERLIN.ACS" << 1;
        QTest::newRow("name inside another name") << "/chars/Genie.acs" << 0;
        QTest::newRow("the shorter name itself") << "/chars/nie.acs" << 2;
        QTest::newRow("unknown") << "/chars/Peedy.acs" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void storedPathSelectsItsCharacter()
    {
        QFETCH(QString, storedPath);
        QFETCH(int, expected);
        QTemporaryDir dir;
        for (const char *name : {"Genie.acs", "Merlin.acs", "nie.acs"})
            touch(dir.filePath(QString::fromLatin1(name)));
        QCOMPARE(CharacterFolder(dir.path()).indexOf(storedPath), expected);
    }

    void characterFileGivesItsOwnSize()
    {
        const QString acs = fixturesDir() + QStringLiteral("/acs/");
        QCOMPARE(characterFileSize(acs + QStringLiteral("Happy Face.acs")), std::optional<QSize>(QSize(135, 225)));

        QTemporaryDir dir;
        QFile real(acs + QStringLiteral("Happy Face.acs"));
        QVERIFY(real.open(QIODevice::ReadOnly));
        touch(dir.filePath(QStringLiteral("cut.acs")), real.read(40));
        touch(dir.filePath(QStringLiteral("garbage.acs")), QByteArray(4096, '\xff'));
        for (const char *unreadable : {"cut.acs", "garbage.acs", "missing.acs", ""})
            QVERIFY2(!characterFileSize(dir.filePath(QString::fromLatin1(unreadable))), unreadable);
        QVERIFY(!characterFileSize(QString()));
    }
};

QTEST_GUILESS_MAIN(TestFreundParts)
#include "tst_freundparts.moc"
