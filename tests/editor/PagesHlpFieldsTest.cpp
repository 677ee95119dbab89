// The three fields carry the page exactly, as a person types, pastes and moves between pages:
// every byte of the code page, no line break in a one-line field, any changed field counted,
// and the keyword clean-up applied to the page being left only.
#include "editor/windows/PagesHlp.h"
#include "platform/core/Cp1252.h"
#include "platform/core/TextFile.h"
#include "store/core/Blocks.h"
#include "store/core/ProjectBlock.h"
#include "support/ScriptedPrompts.h"
#include "support/TestRegistry.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace store;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every character of the code page that a line can hold, minus `left` out.
QString everyCharacter(const QByteArray& leftOut = {})
{
    QByteArray bytes;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n' && !leftOut.contains(char(b)))
            bytes.append(char(b));
    return cp1252::decode(bytes);
}

// A shown, active editor on the pages written to `dir`/p.hpa.
struct Editor {
    explicit Editor(const QStringList& lines)
    {
        QVERIFY(textfile::writeLines(dir.filePath("p.hpa"), lines));
        QVERIFY(p.Charge(dir.filePath("p.hpa")));
        p.resize(600, 400);
        p.show();
        QVERIFY(QTest::qWaitForWindowActive(&p));
    }
    // Clicks into a field as a person does before typing there.
    void focus(QWidget* w)
    {
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(4, 4));
        QTRY_VERIFY(w->hasFocus());
    }
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    TPagesHlp p;
};

QStringList page(int n, const QString& keywordLine, const QString& title, const QStringList& body)
{
    QStringList out{topicOpenTag(n), keywordLine, title + TitleEndMark};
    out << body << topicCloseTag(n);
    return out;
}

} // namespace

class PagesHlpFieldsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A write-back through the three fields changes no byte, no-break spaces included.
    void everyByteSurvivesTheFields()
    {
        const QString nbsp(QChar(0xA0));
        const QStringList body{everyCharacter(), "« Bonjour" + nbsp + "! »" + nbsp + ";", QString(), "fin"};
        // The keyword field keeps no backslash: it would start the see-also target (and a keyword
        // line is read up to 255 characters after its level digit).
        const QStringList block = page(0, "1" + everyCharacter("\\") + "\\", everyCharacter(), body);
        QStringList lines{"<HPJ>", "[OPTIONS]", "[MAP]", mapLine(everyCharacter(), 0), "</HPJ>"};
        lines << block;
        Editor e(lines);
        const QByteArray before = fileBytes(e.dir.filePath("p.hpa"));
        QCOMPARE(e.p.Edit1->text(), everyCharacter());
        QCOMPARE(e.p.Edit2->text(), everyCharacter("\\"));
        // A key typed and taken back in each field: the page is written back at Page Down.
        for (QWidget* w : {static_cast<QWidget*>(e.p.Edit1), static_cast<QWidget*>(e.p.Memo1),
                 static_cast<QWidget*>(e.p.Edit2)}) {
            e.focus(w);
            QTest::keyClick(w, Qt::Key_End, w == e.p.Memo1 ? Qt::ControlModifier : Qt::NoModifier);
            QTest::keyClicks(w, "z");
            QTest::keyClick(w, Qt::Key_Backspace);
        }
        QTest::keyClick(e.p.Edit2, Qt::Key_PageDown);
        QVERIFY(e.p.doc().DocumentLines.endsWith(block.last()));
        QCOMPARE(e.p.doc().DocumentLines.mid(e.p.doc().DocumentLines.size() - block.size()), block);
        QVERIFY(e.p.Sauve(e.dir.filePath("p.hpa")));
        QCOMPARE(fileBytes(e.dir.filePath("p.hpa")), before);
        QVERIFY(e.prompts.asked.isEmpty());
    }

    void pastedLineBreakBecomesASpace_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("keywords");
        QTest::newRow("title") << "Edit1" << "Introduction\r\n" << "Introduction " << "mot";
        QTest::newRow("keywords") << "Edit2" << "mot1\nmot2" << "Titre" << "mot1 mot2";
    }
    void pastedLineBreakBecomesASpace()
    {
        QFETCH(QString, field);
        QFETCH(QString, pasted);
        QFETCH(QString, title);
        QFETCH(QString, keywords);
        Editor e(page(0, "1mot\\", "Titre", {"corps"}) + page(1, "1\\", "Deux", {"deux"}));
        auto* edit = e.p.findChild<QLineEdit*>(field);
        e.focus(edit);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier); // the pasted text replaces all
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->text(), field == "Edit1" ? title : keywords);
        QVERIFY(e.p.Sauve(e.dir.filePath("p.hpa")));

        TPagesHlp reread;
        QVERIFY(reread.Charge(e.dir.filePath("p.hpa")));
        QCOMPARE(reread.Edit1->text(), title);
        QCOMPARE(reread.Edit2->text(), keywords);
        QCOMPARE(reread.Memo1->toPlainText(), QStringLiteral("corps"));
        QCOMPARE(reread.doc().PageCount, 2);
    }

    // No field lets a control character but Tab into the document: pasted, each one becomes "?"
    // as it enters (a 0 byte would end the file at the next opening), and the page saves whole.
    void controlCharactersNeverEnter_data()
    {
        QTest::addColumn<QString>("field");
        QTest::newRow("title") << "Edit1";
        QTest::newRow("keywords") << "Edit2";
        QTest::newRow("body") << "Memo1";
    }
    void controlCharactersNeverEnter()
    {
        QFETCH(QString, field);
        Editor e(page(0, "1mot\\", "Titre", {"corps"}) + page(1, "1\\", "Deux", {"deux"}));
        QWidget* w = e.p.findChild<QWidget*>(field);
        e.focus(w);
        QTest::keyClick(w, Qt::Key_End, w == e.p.Memo1 ? Qt::ControlModifier : Qt::NoModifier);
        QApplication::clipboard()->setText(QString("a") + QChar(0) + "b" + QChar(1) + "c\td" + QChar(0x1F) + "e" + QChar(0x7F));
        QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
        const QString entered = "a?b?c\td?e?";
        QTest::keyClick(w, Qt::Key_PageDown);
        QVERIFY(e.p.Sauve(e.dir.filePath("p.hpa")));
        QVERIFY(!fileBytes(e.dir.filePath("p.hpa")).contains('\0'));
        TPagesHlp reread;
        QVERIFY(reread.Charge(e.dir.filePath("p.hpa")));
        QCOMPARE(reread.doc().PageCount, 2);
        QCOMPARE(reread.Edit1->text(), field == "Edit1" ? "Titre" + entered : QStringLiteral("Titre"));
        QCOMPARE(reread.Edit2->text(), field == "Edit2" ? "mot" + entered : QStringLiteral("mot"));
        QCOMPARE(reread.Memo1->toPlainText(), field == "Memo1" ? "corps" + entered : QStringLiteral("corps"));
    }

    // A line separator pasted into the body ends the line there, as it shows, and is stored so.
    void pastedLineSeparatorInTheBody()
    {
        Editor e(page(0, "1\\", "Titre", {}));
        e.focus(e.p.Memo1);
        QApplication::clipboard()->setText(QString("un") + QChar::LineSeparator + "deux");
        QTest::keyClick(e.p.Memo1, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e.p.Memo1->document()->blockCount(), 2);
        QTest::keyClick(e.p.Memo1, Qt::Key_PageDown);
        QVERIFY(e.p.Sauve(e.dir.filePath("p.hpa")));
        QCOMPARE(e.p.doc().DocumentLines.mid(e.p.doc().DocumentLines.size() - 3, 2), (QStringList{"un", "deux"}));
        QVERIFY(e.prompts.asked.isEmpty()); // nothing had to become "?"
    }

    void anyChangedFieldIsAnUnsavedChange_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("leaveThePage");
        QTest::newRow("title, still on the page") << "Edit1" << false;
        QTest::newRow("title, page left") << "Edit1" << true;
        QTest::newRow("keywords, still on the page") << "Edit2" << false;
        QTest::newRow("keywords, page left") << "Edit2" << true;
    }
    void anyChangedFieldIsAnUnsavedChange()
    {
        QFETCH(QString, field);
        QFETCH(bool, leaveThePage);
        Editor e(page(0, "1mot\\", "Un", {"corps"}) + page(1, "1\\", "Deux", {"deux"}));
        QVERIFY(!e.p.TestModif());
        auto* edit = e.p.findChild<QLineEdit*>(field);
        e.focus(edit);
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, "s");
        if (leaveThePage)
            QTest::keyClick(edit, Qt::Key_PageDown);
        QVERIFY(e.p.TestModif());
    }

    void fieldTouchedButUnchangedIsNoChange()
    {
        Editor e(page(0, "1mot\\", "Un", {"corps"}));
        e.focus(e.p.Edit1);
        QTest::keyClicks(e.p.Edit1, "x");
        QTest::keyClick(e.p.Edit1, Qt::Key_Backspace);
        QVERIFY(!e.p.TestModif());
    }

    // Page Down in the keyword field cleans the keywords of the page it leaves, never those
    // of the page it reads.
    void pageKeysFromTheKeywordField_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Page Down") << int(Qt::Key_PageDown);
        QTest::newRow("Page Up") << int(Qt::Key_PageUp);
    }
    void pageKeysFromTheKeywordField()
    {
        QFETCH(int, key);
        const int from = key == Qt::Key_PageDown ? 0 : 1;
        const int to = 1 - from;
        QStringList lines = page(from, "1\\", "Départ", {"a"}) + page(to, "13D ; x\\", "Arrivée", {"b"});
        Editor e(lines);
        if (from == 1)
            e.p.Suivant();
        e.focus(e.p.Edit2);
        e.p.Edit2->selectAll();
        QTest::keyClicks(e.p.Edit2, " a ; b");
        QTest::keyClick(e.p.Edit2, Qt::Key(key));
        QCOMPARE(e.p.doc().CurrentPage, to);
        QCOMPARE(e.p.Edit2->text(), QStringLiteral("3D ; x"));
        QVERIFY(e.p.doc().DocumentLines.contains(QStringLiteral("1a;b\\")));
        QVERIFY(e.p.doc().DocumentLines.contains(QStringLiteral("13D ; x\\")));
        QVERIFY(e.p.Edit1->hasFocus());
    }

    void fieldsHaveAccessibleNames()
    {
        TPagesHlp p;
        QCOMPARE(p.Edit1->accessibleName(), QStringLiteral("Titre de la rubrique"));
        QCOMPARE(p.Edit2->accessibleName(), QString::fromUtf8("Liste des mots-clé"));
        QVERIFY(!p.Memo1->accessibleName().isEmpty());
    }
};

TYX_TEST(PagesHlpFieldsTest);
#include "PagesHlpFieldsTest.moc"
