// The project block follows the project's name while it holds the defaults; the author's block
// keeps its values; the .hpj a build writes names the build's topic file; PROJET.HPA is "projet".
#include "store/core/DocumentStore.h"
#include "store/core/ProjectBlock.h"
#include "store/StoreTestData.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace store;

namespace {

QStringList withTopic(QStringList block)
{
    return block + storetest::topic(0, "1\\", "Accueil", {"corps"});
}

// An options block as the options dialog writes it for `topicFile`.
QStringList authorBlock(const QString& topicFile)
{
    return {"<HPJ>", "[OPTIONS]", "TITLE=Mon aide", "[FILES]", topicFile, "[CONFIG]", "", "[WINDOWS]",
        "main=\"Mon aide\",(100,5,800,800),0,(255,255,255),(192,192,192)", "[MAP]", "IDH_Accueil\t1", "</HPJ>"};
}

} // namespace

class ProjectNameTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void followProjectName_data()
    {
        QTest::addColumn<QStringList>("doc");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QStringList>("expected"); // empty: unchanged

        QStringList mapped = defaultProjectBlock("projet.hpa");
        mapped.insert(9, "[MAP]");
        mapped.insert(10, "IDH_Accueil\t1");
        QStringList mappedCopy = defaultProjectBlock("/d/copie.hpa");
        mappedCopy.insert(9, "[MAP]");
        mappedCopy.insert(10, "IDH_Accueil\t1");
        QStringList oldDefault = defaultProjectBlock("projet.hpa");
        oldDefault[4].clear(); // made when the default named no topic file

        QTest::newRow("defaults of no name follow the first name")
            << withTopic(defaultProjectBlock(QString())) << "/d/projet.hpa" << QString()
            << withTopic(defaultProjectBlock("projet.hpa"));
        QTest::newRow("defaults of another name follow, [MAP] kept")
            << withTopic(mapped) << "/d/copie.hpa" << "/d/projet.hpa" << withTopic(mappedCopy);
        QTest::newRow("defaults of this name stay") << withTopic(mapped) << "/e/projet.hpa" << "/d/projet.hpa"
                                                    << QStringList{};
        QTest::newRow("old defaults gain their topic file")
            << withTopic(oldDefault) << "/d/projet.hpa" << QString() << withTopic(defaultProjectBlock("projet.hpa"));
        QStringList edited = defaultProjectBlock("projet.hpa");
        edited[7] = "BrowseButtons()";
        QTest::newRow("a default block the author edited keeps its title")
            << withTopic(edited) << "/d/copie.hpa" << QString() << QStringList{};
        QTest::newRow("author's block: the topic file follows a new name")
            << withTopic(authorBlock("projet.rtf")) << "/d/Copie.hpa" << "/d/PROJET.hpa"
            << withTopic(authorBlock("copie.rtf"));
        QTest::newRow("author's block, same name") << withTopic(authorBlock("projet.rtf")) << "/d/projet.hpa"
                                                   << "/x/projet.hpa" << QStringList{};
        QTest::newRow("author's block naming another file keeps it")
            << withTopic(authorBlock("autre.rtf")) << "/d/copie.hpa" << "/d/projet.hpa" << QStringList{};
        QTest::newRow("a topic line reading projet.rtf is not the block's")
            << QStringList{"<HPJ>", "[OPTIONS]", "TITLE=Aide de x", "</HPJ>", "<BLOC0000>", "1\\", "T\x01", "[FILES]",
                   "projet.rtf", "</BLOC0000>"}
            << "/d/copie.hpa" << "/d/projet.hpa" << QStringList{};
        QTest::newRow("no block") << storetest::topic(0, "1\\", "A", {}) << "/d/a.hpa" << QString() << QStringList{};
    }
    void followProjectName()
    {
        QFETCH(QStringList, doc);
        QFETCH(QString, name);
        QFETCH(QString, previous);
        QFETCH(QStringList, expected);
        QStringList lines = doc;
        QCOMPARE(store::followProjectName(lines, name, previous), !expected.isEmpty());
        QCOMPARE(lines, expected.isEmpty() ? doc : expected);
    }

    void nameTopicFile_data()
    {
        QTest::addColumn<QStringList>("hpj");
        QTest::addColumn<QStringList>("expected"); // empty: unchanged
        QTest::newRow("named, letter case aside") << QStringList{"[OPTIONS]", "[FILES]", "PROJET.RTF", "[CONFIG]"}
                                                  << QStringList{};
        QTest::newRow("the only topic file is replaced")
            << QStringList{"[FILES]", "ancien.rtf", "[MAP]", "IDH_A\t1"}
            << QStringList{"[FILES]", "projet.rtf", "[MAP]", "IDH_A\t1"};
        QTest::newRow("among several, added first")
            << QStringList{"[FILES]", "a.rtf", "b.rtf", "[CONFIG]"}
            << QStringList{"[FILES]", "projet.rtf", "a.rtf", "b.rtf", "[CONFIG]"};
        QTest::newRow("empty section") << QStringList{"[FILES]", "[CONFIG]"}
                                       << QStringList{"[FILES]", "projet.rtf", "[CONFIG]"};
        QTest::newRow("no section: before [MAP]") << QStringList{"[OPTIONS]", "[MAP]", "IDH_A\t1"}
                                                  << QStringList{"[OPTIONS]", "[FILES]", "projet.rtf", "[MAP]", "IDH_A\t1"};
    }
    void nameTopicFile()
    {
        QFETCH(QStringList, hpj);
        QFETCH(QStringList, expected);
        QStringList lines = hpj;
        QCOMPARE(store::nameTopicFile(lines, "projet.rtf"), !expected.isEmpty());
        QCOMPARE(lines, expected.isEmpty() ? hpj : expected);
    }

    void exportNamesTheTopicFileWithoutChangingTheBlock()
    {
        QTemporaryDir dir;
        QStringList doc = withTopic(authorBlock("projet.rtf"));
        QVERIFY(ExportHpj(doc, 1, dir.filePath("copie.hpj"), nullptr, "copie.rtf"));
        QCOMPARE(doc, withTopic(authorBlock("projet.rtf")));
        QFile f(dir.filePath("copie.hpj"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray hpj = f.readAll();
        QVERIFY2(hpj.contains("[FILES]\r\ncopie.rtf\r\n[CONFIG]"), hpj.constData());
        QVERIFY(!hpj.contains("projet.rtf"));
    }

    void saveUnderANewNameFollows()
    {
        QTemporaryDir dir;
        DocumentStore s;
        s.createEmpty(FieldLook{}, FieldLook{});
        s.DocumentLines << storetest::topic(0, "1\\", "Accueil", {"corps"});
        QVERIFY(s.save(dir.filePath("projet.hpa"), nullptr));
        QCOMPARE(defaultBlockMadeFor(s.DocumentLines), std::optional<QString>("projet.hpa"));
        // Saving again under the same name changes nothing in the block.
        const QStringList saved = s.DocumentLines;
        QVERIFY(s.save(dir.filePath("projet.hpa"), nullptr));
        QCOMPARE(s.DocumentLines, saved);
        QVERIFY(s.save(dir.filePath("copie.hpa"), nullptr));
        QCOMPARE(defaultBlockMadeFor(s.DocumentLines), std::optional<QString>("copie.hpa"));
    }

    void projectFilePath_data()
    {
        QTest::addColumn<QStringList>("onDisk");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("expected");
        QTest::newRow("upper-case extension") << QStringList{"PROJET.HPA"} << "PROJET.HPA" << "PROJET.HPA";
        QTest::newRow("typed without extension") << QStringList{"projet.Hpa"} << "projet" << "projet.Hpa";
        QTest::newRow("exact name first") << QStringList{"a.HPA", "a.hpa"} << "a.HPA" << "a.hpa";
        QTest::newRow("base name case counts") << QStringList{"PROJET.HPA"} << "projet.hpa" << "projet.hpa";
        QTest::newRow("nothing there") << QStringList{} << "neuf.txt" << "neuf.hpa";
    }
    void projectFilePath()
    {
        QFETCH(QStringList, onDisk);
        QFETCH(QString, chosen);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        for (const QString& name : onDisk) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QCOMPARE(store::projectFilePath(dir.filePath(chosen)), dir.filePath(expected));
    }
};

TYX_TEST(ProjectNameTest);
#include "ProjectNameTest.moc"
