#include "platform/core/Cp1252.h"
#include "publish/windows/TFichTxt.h"
#include "publish/windows/TextLinesView.h"
#include "support/ScriptedPrompts.h"
#include "support/TestRegistry.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}

} // namespace

class TFichTxtTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opensAnyEncodingReadOnly_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("code page 1252") << QByteArray("premi\xE8re ligne\r\nd\xE9j\xE0 \x80\r\n");
        QTest::newRow("UTF-8") << QString::fromUtf8("première ligne\ndéjà €\n").toUtf8();
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBF") + QString::fromUtf8("première ligne\rdéjà €").toUtf8();
    }
    void opensAnyEncodingReadOnly()
    {
        QFETCH(QByteArray, bytes);
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TFichTxt v;
        prompts.fileNames << write(dir, "journal.log", bytes);
        OuvreTxt(nullptr, v);
        QVERIFY(v.isVisible());
        QVERIFY(v.windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(!v.isModal());
        QCOMPARE(v.windowTitle(), QStringLiteral("journal.log"));
        QCOMPARE(prompts.filters, QStringList{"Fichiers texte (*.txt)|*.txt|Tous les fichirs (*.*)|*.*"});
        QCOMPARE(v.Memo1->caret(), 0);
        QVERIFY(v.Memo1->text().startsWith(QString::fromUtf8("première ligne\ndéjà €")));

        // Select the first line with the keyboard and copy it with the button.
        v.Memo1->setFocus();
        QTest::keyClick(v.Memo1, Qt::Key_End, Qt::ShiftModifier);
        QTest::mouseClick(v.CopyBtn, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), QString::fromUtf8("première ligne"));
        // Read-only: typing changes nothing.
        QTest::keyClicks(v.Memo1, "xyz");
        QTest::keyClick(v.Memo1, Qt::Key_Delete);
        QVERIFY(v.Memo1->text().startsWith(QString::fromUtf8("première ligne\n")));
        // Down a line, whole second line by keys; Ctrl+C copies too.
        QTest::keyClick(v.Memo1, Qt::Key_Down);
        QTest::keyClick(v.Memo1, Qt::Key_Home);
        QTest::keyClick(v.Memo1, Qt::Key_End, Qt::ShiftModifier);
        QTest::keyClick(v.Memo1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString::fromUtf8("déjà €"));
        QTest::mouseClick(v.Button1, Qt::LeftButton);
        QVERIFY(!v.isVisible());
        QVERIFY(prompts.asked.isEmpty());
    }

    void everyCodePageByteCopiesBack()
    {
        QByteArray bytes;
        for (int b = 0; b < 256; ++b)
            bytes.append(char(b));
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TFichTxt v;
        QVERIFY(v.Ouvre(write(dir, "octets.txt", bytes)));
        v.show();
        v.Memo1->setFocus();
        QTest::keyClick(v.Memo1, Qt::Key_A, Qt::ControlModifier);
        QTest::mouseClick(v.CopyBtn, Qt::LeftButton);
        // CR and LF end lines (the pair CR LF counts once): one line end each, as LF.
        QString expected = cp1252::decode(bytes);
        expected.replace(u'\r', u'\n');
        QCOMPARE(QApplication::clipboard()->text(), expected);
    }

    void cancelledOrMissingShowsNothing()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TFichTxt v;
        OuvreTxt(nullptr, v);
        prompts.fileNames << dir.filePath("absent.txt");
        OuvreTxt(nullptr, v);
        QVERIFY(!v.isVisible());
        QVERIFY(prompts.asked.isEmpty());
    }

    void closeButtonFollowsTheWidth()
    {
        TFichTxt v;
        QCOMPARE(v.size(), QSize(458, 344));
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QCOMPARE(v.Button1->x(), 458 - 110);
        v.resize(400, 300);
        QTRY_COMPARE(v.Button1->x(), 290);
        QCOMPARE(v.Memo1->geometry(), QRect(0, 30, 400, 270));
        QCOMPARE(v.Button1->text(), QStringLiteral("Fermer"));
        QCOMPARE(v.CopyBtn->toolTip(), QStringLiteral("Copier"));
    }

    void settingsLineBounds_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<QPoint>("place");
        QTest::newRow("too far left and up") << 0 << 10 << QPoint(330, 70);
        QTest::newRow("4 is too far left") << 4 << 70 << QPoint(330, 70);
        QTest::newRow("kept") << 5 << 200 << QPoint(5, 200);
    }
    void settingsLineBounds()
    {
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(QPoint, place);
        TFichTxt v;
        v.SetIni(left, top, 0x00FF00);
        int l = 0, t = 0, c = 0;
        v.GetIni(l, t, c);
        QCOMPARE(QPoint(l, t), place);
        QCOMPARE(c, 0x00FF00);
        QCOMPARE(v.palette().color(QPalette::Window), QColor(0, 255, 0));
    }

    void bigFileShowsItsEnd()
    {
        // 300,000 lines: only the rows on screen are laid out, the keys reach the end at once.
        QByteArray bytes;
        bytes.reserve(300000 * 30);
        for (int i = 0; i < 300000; ++i)
            bytes += "ligne de journal numero " + QByteArray::number(i) + "\r\n";
        bytes += "derniere";
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TFichTxt v;
        QVERIFY(v.Ouvre(write(dir, "gros.log", bytes)));
        v.show();
        QCOMPARE(v.Memo1->rowCount(), 300001);
        v.Memo1->setFocus();
        QTest::keyClick(v.Memo1, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(v.Memo1, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClick(v.Memo1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("derniere"));
        QCOMPARE(v.Memo1->verticalScrollBar()->value(), v.Memo1->verticalScrollBar()->maximum());
        QVERIFY(v.Memo1->firstVisibleRow() > 299000);
        // Ctrl+A then copy gives the whole text with its line ends as LF.
        QTest::keyClick(v.Memo1, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(v.Memo1->selectedText().startsWith("ligne de journal numero 0\nligne de journal numero 1\n"));
    }

    void mouseSelects()
    {
        ScriptedPrompts prompts;
        QTemporaryDir dir;
        TFichTxt v;
        QVERIFY(v.Ouvre(write(dir, "m.txt", "alpha beta\ngamma\n")));
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QWidget* port = v.Memo1->viewport();
        const int h = v.Memo1->fontMetrics().lineSpacing();
        // A double-click takes the word; a drag from the start of the first row to the second row.
        QTest::mouseDClick(port, Qt::LeftButton, {}, QPoint(2, h / 2));
        QCOMPARE(v.Memo1->selectedText(), QStringLiteral("alpha"));
        QTest::mousePress(port, Qt::LeftButton, {}, QPoint(0, h / 2));
        QTest::mouseMove(port, QPoint(port->width() - 2, h + h / 2));
        QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(port->width() - 2, h + h / 2));
        QCOMPARE(v.Memo1->selectedText(), QStringLiteral("alpha beta\ngamma"));
    }
};

TYX_TEST(TFichTxtTest);
#include "TFichTxtTest.moc"
