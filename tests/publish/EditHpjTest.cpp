#include "publish/windows/BuildCommands.h"
#include "publish/windows/EditHpj.h"
#include "platform/core/TextFile.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TopicRecord.h"
#include "support/ScriptedPrompts.h"
#include "support/TestRegistry.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
QStringList document(const QString& projectFile)
{
    QStringList lines;
    store::EcritHpj(lines, projectFile);
    store::TopicFields a;
    a.title = QStringLiteral("Accueil");
    return lines + store::topicBlock(0, a);
}

QPlainTextEdit* memo(QDialog& d)
{
    return d.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
}
QPushButton* button(QDialog& d, const char* name)
{
    return d.findChild<QPushButton*>(QLatin1String(name));
}
} // namespace

class EditHpjTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void confirmReplacesBlockAndRewritesFile()
    {
        QTemporaryDir dir;
        const QString project = dir.filePath(QStringLiteral("Demo.hpa"));
        const QString hpj = dir.filePath(QStringLiteral("Demo.hpj"));
        QVERIFY(textfile::writeLines(hpj, {QStringLiteral("[OPTIONS]"), QString::fromUtf8("TITLE=Été"),
                                              QStringLiteral("[MAP]"), QStringLiteral("IDH_Vieux\t9")}));
        QStringList lines = document(project);
        ScriptedPrompts p;
        TEditHpj d;
        QString caption, shown;
        p.dialogs.enqueue([&](QDialog& dlg) {
            caption = dlg.windowTitle();
            shown = memo(dlg)->toPlainText();
            memo(dlg)->setPlainText(QString::fromUtf8("[OPTIONS]\nTITLE=Été 2\n\n[MAP]\nIDH_Vieux\t9"));
            button(dlg, "Button1")->click();
            return dlg.result();
        });
        QVERIFY(BuildCommands::Edithpj1(d, lines, 1, project));
        QCOMPARE(caption, QStringLiteral("Editer Demo.hpj"));
        QCOMPARE(shown, QString::fromUtf8("[OPTIONS]\nTITLE=Été\n[MAP]\nIDH_Vieux\t9"));
        QCOMPARE(d.HpjFileName, hpj);
        QCOMPARE(lines.mid(0, 7), (QStringList{"<HPJ>", "[OPTIONS]", QString::fromUtf8("TITLE=Été 2"), "", "[MAP]",
                                      "IDH_Accueil\t1", "</HPJ>"}));
        QFile f(hpj);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("[OPTIONS]\r\nTITLE=\xC9t\xE9 2\r\n\r\n[MAP]\r\nIDH_Accueil\t1\r\n"));
    }

    void cancelChangesNothing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Annuler") << false;
        QTest::newRow("Esc") << true;
    }
    void cancelChangesNothing()
    {
        QFETCH(bool, escape);
        QTemporaryDir dir;
        const QString project = dir.filePath(QStringLiteral("demo.hpa"));
        const QString hpj = dir.filePath(QStringLiteral("demo.hpj"));
        QVERIFY(textfile::writeLines(hpj, {QStringLiteral("[OPTIONS]")}));
        QStringList lines = document(project);
        const QStringList before = lines;
        ScriptedPrompts p;
        TEditHpj d;
        // A confirmed showing first: the next one must not inherit it.
        p.dialogs.enqueue([](QDialog& dlg) {
            button(dlg, "Button1")->click();
            return dlg.result();
        });
        QStringList scratch = lines;
        BuildCommands::Edithpj1(d, scratch, 1, project);
        QVERIFY(textfile::writeLines(hpj, {QStringLiteral("[OPTIONS]")}));
        p.dialogs.enqueue([escape](QDialog& dlg) {
            memo(dlg)->setPlainText(QStringLiteral("n'importe quoi"));
            if (escape)
                QTest::keyClick(&dlg, Qt::Key_Escape);
            else
                button(dlg, "Button2")->click();
            return dlg.result();
        });
        QVERIFY(!BuildCommands::Edithpj1(d, lines, 1, project));
        QCOMPARE(lines, before);
        bool confirmed = true;
        d.Result(lines, confirmed);
        QVERIFY(!confirmed);
        QStringList onDisk;
        QVERIFY(textfile::readLines(hpj, onDisk));
        QCOMPARE(onDisk, QStringList{QStringLiteral("[OPTIONS]")});
    }

    void missingFileSaysSoAndShowsNothing()
    {
        QTemporaryDir dir;
        const QString project = dir.filePath(QStringLiteral("neuf.hpa"));
        QStringList lines = document(project);
        const QStringList before = lines;
        ScriptedPrompts p;
        TEditHpj d;
        QVERIFY(!BuildCommands::Edithpj1(d, lines, 1, project));
        QCOMPARE(p.asked, QStringList{QStringLiteral("Impossible d'ouvrir le fichier ") + dir.filePath("neuf.hpj")});
        QVERIFY(p.shownDialogs.isEmpty());
        QCOMPARE(lines, before);
    }

    void unnamedProjectDoesNothing()
    {
        QStringList lines = document(QString());
        const QStringList before = lines;
        ScriptedPrompts p;
        TEditHpj d;
        QVERIFY(!BuildCommands::Edithpj1(d, lines, 1, QString()));
        QVERIFY(p.asked.isEmpty());
        QVERIFY(p.shownDialogs.isEmpty());
        QCOMPARE(lines, before);
    }

    void tagLinesAreRefused_data()
    {
        QTest::addColumn<QString>("bad");
        QTest::newRow("topic tag") << "<BLOC0003>";
        QTest::newRow("close of the block") << "</hpj>";
        QTest::newRow("popup close") << "</POPUP0000>";
    }
    void tagLinesAreRefused()
    {
        QFETCH(QString, bad);
        QTemporaryDir dir;
        const QString project = dir.filePath(QStringLiteral("demo.hpa"));
        QVERIFY(textfile::writeLines(dir.filePath(QStringLiteral("demo.hpj")), {QStringLiteral("[OPTIONS]")}));
        QStringList lines = document(project);
        const QStringList before = lines;
        ScriptedPrompts p;
        TEditHpj d;
        p.dialogs.enqueue([bad](QDialog& dlg) {
            memo(dlg)->setPlainText(QStringLiteral("[OPTIONS]\n") + bad + QStringLiteral("\nTITLE=x"));
            button(dlg, "Button1")->click(); // refused: the dialog stays
            const bool stayed = dlg.result() != QDialog::Accepted;
            button(dlg, "Button2")->click();
            return stayed ? int(QDialog::Rejected) : int(QDialog::Accepted);
        });
        QVERIFY(!BuildCommands::Edithpj1(d, lines, 1, project));
        QCOMPARE(lines, before);
        QCOMPARE(p.asked.size(), 1);
        QVERIFY2(p.asked[0].contains(bad), qPrintable(p.asked[0]));
    }

    void emptyTextLeavesEmptyBlock()
    {
        TEditHpj d;
        QTemporaryDir dir;
        QVERIFY(textfile::writeLines(dir.filePath(QStringLiteral("a.hpj")), {}));
        ScriptedPrompts p;
        QVERIFY(d.Init(dir.filePath(QStringLiteral("a.hpa"))));
        QVERIFY(d.editedLines().isEmpty());
        d.Button1Click();
        QStringList lines{QStringLiteral("<HEADER>"), QStringLiteral("<HPJ>"), QStringLiteral("x"),
            QStringLiteral("</HPJ>")};
        bool confirmed = false;
        d.Result(lines, confirmed);
        QVERIFY(confirmed);
        QCOMPARE(lines, (QStringList{"<HEADER>", "<HPJ>", "</HPJ>"}));
    }

    void resizeKeepsButtonsRight()
    {
        TEditHpj d;
        d.resize(600, 300);
        d.FormResize();
        QCOMPARE(d.Button1->x(), 490);
        QCOMPARE(d.Button2->x(), 385);
        QCOMPARE(d.Button1->text(), QStringLiteral("OK"));
        QCOMPARE(d.Button2->text(), QStringLiteral("Annuler"));
        QCOMPARE(d.Memo1->lineWrapMode(), QPlainTextEdit::NoWrap);
    }

    void iniBounds_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("colour");
        QTest::addColumn<int>("gotLeft");
        QTest::addColumn<int>("gotTop");
        QTest::newRow("zeros") << 0 << 0 << 0 << 330 << 70;
        QTest::newRow("left 4, top 69") << 4 << 69 << 0x00FF00 << 330 << 70;
        QTest::newRow("left 5, top 70") << 5 << 70 << int(0x8000000F) << 5 << 70;
        QTest::newRow("negative") << -20 << -1 << -1 << 330 << 70;
        QTest::newRow("taken") << 400 << 250 << 0x123456 << 400 << 250;
    }
    void iniBounds()
    {
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(int, colour);
        QFETCH(int, gotLeft);
        QFETCH(int, gotTop);
        TEditHpj d;
        d.SetIni(left, top, colour);
        int l = 0, t = 0, c = 0;
        d.GetIni(l, t, c);
        QCOMPARE(l, gotLeft);
        QCOMPARE(t, gotTop);
        QCOMPARE(c, colour);
    }
};

TYX_TEST(EditHpjTest);
#include "EditHpjTest.moc"
