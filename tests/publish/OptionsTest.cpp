#include "publish/windows/BuildCommands.h"
#include "publish/windows/Options.h"
#include "platform/core/Cp1252.h"
#include "platform/core/TextFile.h"
#include "store/core/ProjectBlock.h"
#include "store/core/TopicRecord.h"
#include "support/ScriptedPrompts.h"
#include "support/TestRegistry.h"

#include <QCheckBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using store::FieldLook;

namespace {
const QString Project = QStringLiteral("D:\\AIDE\\DEMO.HPA");

FieldLook look(quint32 background)
{
    FieldLook l;
    l.background = background;
    return l;
}

// The two topics of the examples, after the header and the default project block.
QStringList demoDocument()
{
    QStringList lines;
    store::EcritHpj(lines, Project);
    store::EcritHeader(lines, FieldLook{}, FieldLook{});
    store::TopicFields a;
    a.title = QStringLiteral("Accueil");
    a.body = QStringList{QStringLiteral("Bienvenue")};
    store::TopicFields b;
    b.title = QString::fromUtf8("Démarrage");
    b.body = QStringList{QStringLiteral("Premiers pas")};
    return lines + store::topicBlock(0, a) + store::topicBlock(1, b);
}

template <typename T> T* child(QDialog& d, const char* name)
{
    T* w = d.findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

QStringList projectBlock(const QStringList& lines)
{
    return store::projectFileLines(lines).value_or(QStringList{QStringLiteral("(no block)")});
}
} // namespace

class OptionsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void captionsAndDefaults()
    {
        TOptions d;
        QCOMPARE(d.objectName(), QStringLiteral("TOptions"));
        QCOMPARE(d.windowTitle(), QStringLiteral("Options du projet"));
        QCOMPARE(d.size(), QSize(467, 341));
        QCOMPARE(child<QSpinBox>(d, "SpinEdit2")->value(), 800);
        QCOMPARE(child<QSpinBox>(d, "SpinEdit1")->value(), 800);
        QCOMPARE(child<QSpinBox>(d, "SpinEdit3")->value(), 100);
        QCOMPARE(child<QSpinBox>(d, "SpinEdit4")->value(), 5);
        QCOMPARE(child<QCheckBox>(d, "CheckBox1")->text(), QString::fromUtf8("Boutons [«] et [»]"));
        QCOMPARE(child<QLineEdit>(d, "Edit1")->maxLength(), 50);
        QCOMPARE(child<QPushButton>(d, "Button1")->text(), QStringLiteral("OK"));
        QCOMPARE(child<QPushButton>(d, "Button2")->text(), QStringLiteral("Annuler"));
    }

    // The worked example: the .hpj after the options dialog, byte for byte.
    void workedExampleHpj()
    {
        ScriptedPrompts p;
        QStringList lines = demoDocument();
        FieldLook title = look(0x00FFFFFF);
        FieldLook body = look(0x00FFFFFF);
        p.colours.enqueue([](QColor& c) {
            c = QColor(192, 192, 192);
            return true;
        });
        p.dialogs.enqueue([](QDialog& d) {
            child<QLineEdit>(d, "Edit1")->clear(); // the default title comes back on leaving
            QTest::mouseClick(child<QFrame>(d, "Panel1"), Qt::LeftButton);
            child<QCheckBox>(d, "CheckBox1")->setChecked(true);
            child<QPushButton>(d, "Button1")->click();
            return d.result();
        });
        TOptions dialog;
        bool changed = false;
        QVERIFY(BuildCommands::Opt(dialog, lines, Project, title, body, &changed));
        QVERIFY(changed);
        QCOMPARE(title.background, 0x00C0C0C0u);
        QCOMPARE(body.background, 0x00FFFFFFu);

        QTemporaryDir dir;
        const QString hpj = dir.filePath(QStringLiteral("DEMO.hpj"));
        QVERIFY(store::ExportHpj(lines, 2, hpj));
        QFile f(hpj);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("[OPTIONS]\r\n"
                                         "TITLE=Aide de demo.hpa\r\n"
                                         "[FILES]\r\n"
                                         "demo.rtf\r\n"
                                         "[CONFIG]\r\n"
                                         "BrowseButtons()\r\n"
                                         "[WINDOWS]\r\n"
                                         "main=\"Aide de demo.hpa\",(100,5,800,800),0,(255,255,255),(192,192,192)\r\n"
                                         "[MAP]\r\n"
                                         "IDH_Accueil\t1\r\n"
                                         "IDH_Dmarrage\t2\r\n"));
    }

    void initReadsTheBlock()
    {
        QStringList lines = demoDocument();
        publish::replaceProjectBlock(lines, {"<HPJ>", "[OPTIONS]", "TITLE=Guide (v2)", "ICON=guide.ico", "[CONFIG]",
                                              "BrowseButtons()", "main=\"Guide (v2)\",(3,4,500,600),0,(1,2,3),(4,5,6)",
                                              "</HPJ>"});
        TOptions d;
        QVERIFY(d.Init(lines, Project, look(0x00112233), look(0x80000005)));
        QCOMPARE(d.Edit1->text(), QStringLiteral("Guide (v2)"));
        QCOMPARE(d.Edit2->text(), QStringLiteral("guide.ico"));
        QVERIFY(d.CheckBox1->isChecked());
        QCOMPARE(d.SpinEdit3->value(), 3);
        QCOMPARE(d.SpinEdit4->value(), 4);
        QCOMPARE(d.SpinEdit1->value(), 500);
        QCOMPARE(d.SpinEdit2->value(), 600);
        QCOMPARE(d.TopicFileName, QStringLiteral("demo.rtf"));
        QCOMPARE(d.DefaultHelpTitle, QStringLiteral("Aide de demo.hpa"));
        // The swatches show the editor colours, not the block's.
        QCOMPARE(d.Panel1->palette().color(QPalette::Window), QColor(0x33, 0x22, 0x11));
    }

    void noBlockConfirmInsertsAtTop()
    {
        ScriptedPrompts p;
        QStringList lines{QStringLiteral("<HEADER>"), QStringLiteral("</HEADER>")};
        FieldLook title = look(0x00FFFFFF), body = look(0x00FFFFFF);
        TOptions d;
        d.SpinEdit3->setValue(42); // numbers stay as the last showing left them
        QString shownTitle = QStringLiteral("?");
        p.dialogs.enqueue([&shownTitle](QDialog& dlg) {
            shownTitle = child<QLineEdit>(dlg, "Edit1")->text();
            child<QPushButton>(dlg, "Button1")->click();
            return dlg.result();
        });
        QVERIFY(BuildCommands::Opt(d, lines, Project, title, body));
        QCOMPARE(shownTitle, QString());
        QCOMPARE(lines, (QStringList{"<HPJ>", "[OPTIONS]", "TITLE=Aide de demo.hpa", "[FILES]", "demo.rtf", "[CONFIG]",
                            "", "[WINDOWS]",
                            "main=\"Aide de demo.hpa\",(42,5,800,800),0,(255,255,255),(255,255,255)", "</HPJ>",
                            "<HEADER>", "</HEADER>"}));
    }

    void cancelStillHandsBackLooks_data()
    {
        QTest::addColumn<int>("how"); // 0 Annuler, 1 Esc, 2 close
        QTest::newRow("Annuler") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("close box") << 2;
    }
    void cancelStillHandsBackLooks()
    {
        QFETCH(int, how);
        ScriptedPrompts p;
        QStringList lines = demoDocument();
        const QStringList before = lines;
        FieldLook title = look(0x00FFFFFF), body = look(0x00FFFFFF);
        p.colours.enqueue([](QColor& c) {
            c = QColor(0, 0, 128);
            return true;
        });
        p.fonts.enqueue([](QFont& f, QColor& c) {
            f = QFont(QStringLiteral("Courier New"), 14);
            c = QColor(255, 0, 0);
            return true;
        });
        TOptions d;
        // An earlier confirmed showing must not carry over.
        p.dialogs.enqueue([](QDialog& dlg) {
            child<QPushButton>(dlg, "Button1")->click();
            return dlg.result();
        });
        FieldLook t0 = title, b0 = body;
        QVERIFY(BuildCommands::Opt(d, lines, Project, t0, b0));
        lines = before;
        p.dialogs.enqueue([how](QDialog& dlg) {
            child<QLineEdit>(dlg, "Edit1")->setText(QStringLiteral("Autre titre"));
            QTest::mouseClick(child<QFrame>(dlg, "Panel3"), Qt::LeftButton);
            child<QPushButton>(dlg, "Button4")->click();
            if (how == 0)
                child<QPushButton>(dlg, "Button2")->click();
            else if (how == 1)
                QTest::keyClick(&dlg, Qt::Key_Escape);
            else {
                dlg.show(); // the close box exists only on a shown window
                dlg.close();
            }
            return dlg.result();
        });
        bool changed = false;
        QVERIFY(BuildCommands::Opt(d, lines, Project, title, body, &changed));
        QVERIFY(!d.confirmed());
        QCOMPARE(lines, before);
        QVERIFY(changed); // the looks changed, so the header will
        QCOMPARE(body.background, 0x00800000u);
        QCOMPARE(body.fontName, QStringLiteral("Courier New"));
        QCOMPARE(body.fontSize, 14);
        QCOMPARE(body.fontColour, 0x000000FFu);
        QCOMPARE(title, look(0x00FFFFFF));
    }

    void eachFontButtonItsOwnFont()
    {
        ScriptedPrompts p;
        QStringList lines = demoDocument();
        FieldLook title = look(0x80000005), body = look(0x80000005);
        title.fontColour = 0x80000008; // a system colour reference stays one when untouched
        p.fonts.enqueue([](QFont& f, QColor&) {
            f = QFont(QStringLiteral("Arial"), 12);
            return true;
        });
        p.fonts.enqueue([](QFont& f, QColor&) {
            f = QFont(QStringLiteral("Times New Roman"), 9);
            return true;
        });
        p.dialogs.enqueue([](QDialog& dlg) {
            child<QPushButton>(dlg, "Button3")->click();
            child<QPushButton>(dlg, "Button4")->click();
            child<QPushButton>(dlg, "Button2")->click();
            return dlg.result();
        });
        TOptions d;
        QVERIFY(BuildCommands::Opt(d, lines, Project, title, body));
        QCOMPARE(title.fontName, QStringLiteral("Arial"));
        QCOMPARE(title.fontSize, 12);
        QCOMPARE(title.fontColour, 0x80000008u);
        QCOMPARE(title.background, 0x80000005u);
        QCOMPARE(body.fontName, QStringLiteral("Times New Roman"));
        QCOMPARE(body.fontSize, 9);
    }

    void systemColourGetsRealRgb()
    {
        ScriptedPrompts p;
        const QPalette saved = QGuiApplication::palette();
        QPalette pal = saved;
        pal.setColor(QPalette::Base, QColor(250, 240, 230));
        QGuiApplication::setPalette(pal);
        QStringList lines = demoDocument();
        FieldLook title = look(0x00C0C0C0), body = look(0x80000005);
        p.dialogs.enqueue([](QDialog& dlg) {
            child<QPushButton>(dlg, "Button1")->click();
            return dlg.result();
        });
        TOptions d;
        const bool ok = BuildCommands::Opt(d, lines, Project, title, body);
        QGuiApplication::setPalette(saved);
        QVERIFY(ok);
        QCOMPARE(body.background, 0x80000005u); // the field keeps its reference
        QVERIFY(lines.contains(
            QStringLiteral("main=\"Aide de DEMO.HPA\",(100,5,800,800),0,(250,240,230),(192,192,192)")));
    }

    void badMainLineRefusesToOpen()
    {
        ScriptedPrompts p;
        QStringList lines = demoDocument();
        publish::replaceProjectBlock(lines, {"<HPJ>", "TITLE=T", "main=\"T\",(cent,5,800,800),0,(0,0,0),(0,0,0)", "</HPJ>"});
        const QStringList before = lines;
        FieldLook title = look(0x00FFFFFF), body = look(0x00FFFFFF);
        TOptions d;
        bool changed = true;
        QVERIFY(!BuildCommands::Opt(d, lines, Project, title, body, &changed));
        QVERIFY(!changed);
        QVERIFY(p.shownDialogs.isEmpty());
        QCOMPARE(p.asked.size(), 1);
        QVERIFY2(p.asked[0].contains(QString::fromUtf8("« cent »")), qPrintable(p.asked[0]));
        QCOMPARE(lines, before);
        QCOMPARE(d.SpinEdit3->value(), 100);
    }

    void longIconSurvivesAConfirm_data()
    {
        QTest::addColumn<QString>("typed"); // empty: field left alone
        QTest::addColumn<QString>("written");
        const QString name = QStringLiteral("illustration_de_la_page_accueil_01.ico");
        QTest::newRow("untouched") << "" << "ICON=" + name;
        QTest::newRow("changed") << "autre.ico" << "ICON=autre.ico";
    }
    void longIconSurvivesAConfirm()
    {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        ScriptedPrompts p;
        QStringList lines = demoDocument();
        publish::replaceProjectBlock(lines, {"<HPJ>", "TITLE=T", "ICON=illustration_de_la_page_accueil_01.ico", "</HPJ>"});
        FieldLook title = look(0x00FFFFFF), body = look(0x00FFFFFF);
        QString shownIcon;
        p.dialogs.enqueue([typed, &shownIcon](QDialog& dlg) {
            shownIcon = child<QLineEdit>(dlg, "Edit2")->text();
            if (!typed.isEmpty())
                child<QLineEdit>(dlg, "Edit2")->setText(typed);
            child<QPushButton>(dlg, "Button1")->click();
            return dlg.result();
        });
        TOptions d;
        QVERIFY(BuildCommands::Opt(d, lines, Project, title, body));
        QCOMPARE(shownIcon, QStringLiteral("illustration_de"));
        QCOMPARE(projectBlock(lines).value(2), written);
    }

    void iconDialog()
    {
        ScriptedPrompts p;
        p.fileNames.enqueue(QStringLiteral("/home/moi/images/aide.ico"));
        TOptions d;
        d.Edit2->setText(QStringLiteral("ancien.ico"));
        d.Button5->click();
        QCOMPARE(d.Edit2->text(), QStringLiteral("aide.ico"));
        QCOMPARE(p.filters, QStringList{QStringLiteral("Icones (*.ico)|*.ico")});
        QCOMPARE(p.initialNames, QStringList{QStringLiteral("*.ico")});
        d.Button5->click(); // cancelled: unchanged
        QCOMPARE(d.Edit2->text(), QStringLiteral("aide.ico"));
    }

    void enterConfirmsOnlyInTitle_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<bool>("confirms");
        QTest::newRow("title") << QByteArray("Edit1") << true;
        QTest::newRow("icon") << QByteArray("Edit2") << false;
    }
    void enterConfirmsOnlyInTitle()
    {
        QFETCH(QByteArray, field);
        QFETCH(bool, confirms);
        ScriptedPrompts p;
        QStringList lines = demoDocument();
        const QStringList before = lines;
        FieldLook title = look(0x00FFFFFF), body = look(0x00FFFFFF);
        p.dialogs.enqueue([field](QDialog& dlg) {
            dlg.show();
            auto* edit = child<QLineEdit>(dlg, field.constData());
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_Return);
            const int r = dlg.result();
            dlg.hide();
            return r;
        });
        TOptions d;
        QVERIFY(BuildCommands::Opt(d, lines, Project, title, body));
        QCOMPARE(d.confirmed(), confirms);
        QCOMPARE(lines != before, confirms);
    }

    // Whatever title the dialog writes, it reads back: quotes, brackets and every character of
    // the code page, fifty at a time (the field's length).
    void titleReadsBackAsWritten_data()
    {
        QTest::addColumn<QString>("title");
        QTest::newRow("quotes and brackets") << QString::fromUtf8("Aide \"Démo (v2)\"");
        QTest::newRow("quote before the numbers") << "Aide \",(1,2,3,4)";
        QByteArray bytes;
        for (int b = 1; b < 256; ++b)
            if (b != '\r' && b != '\n')
                bytes.append(char(b));
        // Blanks and controls at both ends are trimmed as the block is read: letters frame each piece.
        for (int from = 0; from < bytes.size(); from += 48)
            QTest::newRow(qPrintable(QStringLiteral("bytes from %1").arg(from)))
                << "<" + cp1252::decode(bytes.mid(from, 48)) + ">";
    }
    void titleReadsBackAsWritten()
    {
        QFETCH(QString, title);
        ScriptedPrompts p;
        QStringList lines = demoDocument();
        FieldLook titleLook = look(0x00FFFFFF), body = look(0x00FFFFFF);
        p.dialogs.enqueue([title](QDialog& dlg) {
            child<QLineEdit>(dlg, "Edit1")->setText(title);
            child<QPushButton>(dlg, "Button1")->click();
            return dlg.result();
        });
        TOptions d;
        QVERIFY(BuildCommands::Opt(d, lines, Project, titleLook, body));
        QVERIFY(lines.contains("TITLE=" + title));
        QVERIFY(d.Init(lines, Project, titleLook, body));
        QCOMPARE(d.Edit1->text(), title);
        QCOMPARE(d.SpinEdit3->value(), 100);
        QCOMPARE(d.SpinEdit2->value(), 800);
        QVERIFY(p.asked.isEmpty());
    }

    void emptyTitleOnLeaving()
    {
        TOptions d;
        QVERIFY(d.Init(demoDocument(), Project, FieldLook{}, FieldLook{}));
        d.Edit1->clear();
        d.Edit1Exit();
        QCOMPARE(d.Edit1->text(), QStringLiteral("Aide de demo.hpa"));
        d.Edit1->setText(QStringLiteral("x"));
        d.Edit1Exit();
        QCOMPARE(d.Edit1->text(), QStringLiteral("x"));
    }
};

TYX_TEST(OptionsTest);
#include "OptionsTest.moc"
