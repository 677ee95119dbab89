// "Fichier > Importer une aide .hlp…": a compiled help becomes a project, which opens as Open opens one.
#include "ShellFixture.h"
#include "support/TestRegistry.h"
#include "winhelp/HlpCompiler.h"

#include <QAction>
#include <QMenu>

using Answer = Prompts::Answer;

namespace {

// Compiles a help of two topics and a popup into `folder`/NAME.hlp; `options` go to [OPTIONS].
QString compiledHelp(const QString& folder, const QString& name, const QByteArray& options)
{
    const QString hpj = folder + "/" + name + ".hpj";
    QFile p(hpj), r(folder + "/" + name + ".rtf");
    if (!p.open(QIODevice::WriteOnly) || !r.open(QIODevice::WriteOnly))
        return {};
    p.write("[OPTIONS]\r\nTITLE=Aide import\xE9" "e\r\n" + options + "[FILES]\r\n" + name.toLatin1() + ".rtf\r\n");
    r.write("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20\r\n"
            "#{\\footnote A}${\\footnote Sommaire g\\'e9n\\'e9ral}K{\\footnote d\\'e9but}\r\nVoir {\\uldb la suite}{\\v B} et {\\ul une note}{\\v N}.\\par\\page\r\n"
            "#{\\footnote B}${\\footnote La suite}\r\n\\b Fin\\b0 .\\par\\page\r\n"
            "#{\\footnote N}\r\nUne note.\\par\\page\r\n}");
    p.close();
    r.close();
    return hlp::HlpCompiler().compile(hpj).written ? folder + "/" + name + ".hlp" : QString();
}

} // namespace

class MainFormImportHelpTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void importOpensTheProject_data()
    {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<QList<Answer>>("answers"); // to the unsaved-changes question, then "Ce fichier existe déjà"
        QTest::addColumn<bool>("existing");         // import.hpa is there before
        QTest::addColumn<QString>("told");          // what the last message says, if any
        QTest::addColumn<QString>("opened");        // the title page 0 shows after the command
        QTest::newRow("imported and opened") << QByteArray() << QList<Answer>{Answer::No} << false << QString()
                                             << QString::fromUtf8("Sommaire général");
        QTest::newRow("cancelled at the question") << QByteArray() << QList<Answer>{Answer::Cancel} << false << QString()
                                                   << "Ouvert";
        QTest::newRow("existing project kept") << QByteArray() << QList<Answer>{Answer::No, Answer::Cancel} << true
                                               << QString() << "Ouvert";
        QTest::newRow("existing project replaced") << QByteArray() << QList<Answer>{Answer::No, Answer::Ok} << true
                                                   << QString() << QString::fromUtf8("Sommaire général");
        QTest::newRow("code page refused") << QByteArray("CHARSET=204\r\n") << QList<Answer>{Answer::No} << false
                                           << "page de code 1251" << "Ouvert";
    }
    void importOpensTheProject()
    {
        QFETCH(QByteArray, options);
        QFETCH(QList<Answer>, answers);
        QFETCH(bool, existing);
        QFETCH(QString, told);
        QFETCH(QString, opened);
        ShellFixture f;
        const QString help = compiledHelp(f.dir.path(), "AIDE", options);
        QVERIFY(!help.isEmpty());
        f.writeProject("ouvert.hpa", {"Ouvert"});
        f.prompts.fileNames << f.path("ouvert.hpa");
        f.main->OpenItem->trigger();
        if (existing)
            f.writeProject("import.hpa", {"Ancien"});
        const QByteArray before = f.bytes("import.hpa");
        QVERIFY(f.showActive());
        f.typeInBody("change");

        f.prompts.answers << answers;
        f.prompts.fileNames << help << f.path("import");
        f.main->Fichier1->popup(f.main->mapToGlobal(QPoint(0, 0)));
        QTest::keyClick(f.main->Fichier1, Qt::Key_A);

        QCOMPARE(f.prompts.asked.value(0), QStringLiteral("Enregistrer changements dans 'ouvert.hpa'?"));
        const bool asked = answers.front() != Answer::Cancel;
        QCOMPARE(f.prompts.titles.contains(QStringLiteral("Importer une aide .hlp")), asked);
        QCOMPARE(f.pages->Edit1->text(), opened);
        const bool imported = opened != u"Ouvert";
        QCOMPARE(f.main->CurrentFileName, f.path(imported ? "import.hpa" : "ouvert.hpa"));
        if (!imported)
            QCOMPARE(f.bytes("import.hpa"), before); // nothing written
        else
            QCOMPARE(f.pages->doc().PageCount, 2); // the popup is a popup block
        if (!told.isEmpty())
            QVERIFY2(f.prompts.asked.last().contains(told), qPrintable(f.prompts.asked.last()));
        QVERIFY(!f.prompts.asked.join('\n').contains(QStringLiteral("altéré")));
    }
};

TYX_TEST(MainFormImportHelpTest);
#include "MainFormImportHelpTest.moc"
