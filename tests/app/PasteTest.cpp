// Pasting into the body with the keys: Ctrl+V keeps the clipboard's text as RTF (characters the
// project cannot hold become "?" and the status line says which), Ctrl+Shift+V pastes it as typed
// text. One Ctrl+Z takes the whole paste back.
#include "BodyKeys.h"

#include "support/TestRegistry.h"

#include <QClipboard>
#include <QStatusBar>

namespace {

const QString Mark(store::ParagraphMark);

} // namespace

class PasteTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void paste_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<int>("how"); // Ctrl+V, Ctrl+Shift+V, typed
        QTest::addColumn<QStringList>("body");
        QTest::addColumn<QString>("status");
        QTest::newRow("path as text") << "C:\\Calculo\\calculo.ini" << 1
                                      << QStringList{"C:\\\\Calculo\\\\calculo.ini"} << QString();
        QTest::newRow("two lines as text") << "Ligne A\r\n{Ligne B}" << 1
                                           << QStringList{"Ligne A" + Mark, "\\{Ligne B\\}"} << QString();
        QTest::newRow("path as RTF") << "C:\\Calculo" << 0 << QStringList{"C:\\Calculo"} << QString();
        QTest::newRow("characters outside the code page")
            << QString::fromUtf8("a − b → c − d") << 0 << QStringList{"a ? b ? c ? d"}
            << QString::fromUtf8("3 caractères que le projet ne peut pas contenir remplacés par « ? » : − →");
        QTest::newRow("the same as text") << QString::fromUtf8("≠") << 1 << QStringList{"?"}
                                          << QString::fromUtf8("1 caractère que le projet ne peut pas contenir remplacé par « ? » : ≠");
        QTest::newRow("typed") << QString::fromUtf8("x≠") << 2 << QStringList{"x?"}
                               << QString::fromUtf8("1 caractère que le projet ne peut pas contenir remplacé par « ? » : ≠");
    }
    void paste()
    {
        QFETCH(QString, clipboard);
        QFETCH(int, how);
        QFETCH(QStringList, body);
        QFETCH(QString, status);
        ShellFixture f;
        f.writeProject("p.hpa", {"A"});
        f.prompts.fileNames << f.path("p.hpa");
        f.main->OpenItem->trigger();
        QWidget* field = bodykeys::bodyWithFocus(f);
        QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Return);
        const QStringList before = bodykeys::body(f);
        f.main->StatusBar->clearMessage();

        if (how == 2) {
            bodykeys::typeText(field, clipboard);
        } else {
            QApplication::clipboard()->setText(clipboard);
            QTest::keyClick(field, Qt::Key_V, how == 1 ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        }
        QCOMPARE(bodykeys::body(f).mid(1), body);
        QCOMPARE(f.main->StatusBar->currentMessage(), status);

        QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(bodykeys::body(f), before);
        QTest::keyClick(field, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(bodykeys::body(f).mid(1), body);
    }

    // Pasted into the title, the same: "?" in the field, and the status line says which.
    void pasteInTheTitle()
    {
        ShellFixture f;
        QWidget* title = bodykeys::focusOn(f, f.pages->Edit1);
        QApplication::clipboard()->setText(QString::fromUtf8("a→b"));
        QTest::keyClick(title, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(f.pages->Edit1->text(), QStringLiteral("a?b"));
        QCOMPARE(f.main->StatusBar->currentMessage(),
            QString::fromUtf8("1 caractère que le projet ne peut pas contenir remplacé par « ? » : →"));
    }
};

TYX_TEST(PasteTest);
#include "PasteTest.moc"
