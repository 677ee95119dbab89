#include "app/core/ShellSettings.h"
#include "app/core/WindowFit.h"
#include "support/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using shellsettings::Settings;
using shellsettings::WindowPlace;

namespace {

QString placeText(const WindowPlace& p)
{
    return QStringLiteral("%1 %2 %3").arg(p.left).arg(p.top).arg(p.colour);
}

// The parsed values as one comparable line per setting.
QStringList summary(const Settings& s)
{
    return {
        s.helpCompilerPath,
        QStringLiteral("%1 %2 %3 %4").arg(s.left).arg(s.top).arg(s.height).arg(s.width),
        placeText(s.textViewer),
        s.wordWrap ? QStringLiteral("wrap") : QStringLiteral("nowrap"),
        placeText(s.hpjEditor),
        placeText(s.popupEditor),
    };
}

} // namespace

class ShellSettingsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstPlace_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<int>("charWidth");
        QTest::addColumn<int>("lineHeight");
        QTest::addColumn<QRect>("place");
        QTest::newRow("1280 x 900") << QRect(0, 0, 1280, 900) << 7 << 17 << QRect(255, 144, 770, 612);
        QTest::newRow("small screen: 90 % of it") << QRect(0, 0, 800, 600) << 7 << 17 << QRect(40, 30, 720, 540);
        QTest::newRow("a large screen: 60 % of it") << QRect(0, 30, 3840, 2130) << 16 << 34 << QRect(768, 456, 2304, 1278);
        QTest::newRow("tiny font keeps the least size") << QRect(0, 0, 1000, 700) << 3 << 8 << QRect(180, 110, 640, 480);
    }
    void firstPlace()
    {
        QFETCH(QRect, screen);
        QFETCH(int, charWidth);
        QFETCH(int, lineHeight);
        QFETCH(QRect, place);
        QCOMPARE(windowfit::firstPlace(screen, charWidth, lineHeight), place);
    }

    void keptOnScreen_data()
    {
        QTest::addColumn<QRect>("place");
        QTest::addColumn<QRect>("kept");
        QTest::newRow("inside") << QRect(10, 20, 600, 400) << QRect(10, 20, 600, 400);
        QTest::newRow("too large") << QRect(0, 0, 2000, 1500) << QRect(0, 0, 1280, 900);
        QTest::newRow("off the right edge") << QRect(1000, 800, 600, 400) << QRect(680, 500, 600, 400);
    }
    void keptOnScreen()
    {
        QFETCH(QRect, place);
        QFETCH(QRect, kept);
        QCOMPARE(windowfit::keptOnScreen(place, QRect(0, 0, 1280, 900)), kept);
    }

    void parsing_data()
    {
        QTest::addColumn<QStringList>("file");
        QTest::addColumn<QStringList>("expected");
        const QString path = QString::fromUtf8("C:\\Program Files\\Aide é\\hcw.exe");
        QTest::newRow("values in bounds")
            << QStringList{path, "10 20 300 400", "100 80 255", "1", "5 70 -2147483643", "600 500 0"}
            << QStringList{path, "10 20 300 400", "100 80 255", "wrap", "5 70 -2147483643", "600 500 0"};
        QTest::newRow("main window out of bounds")
            << QStringList{"", "300 300 0 5000", "", "", "", ""}
            << QStringList{"", "0 0 400 600", "330 70 0", "nowrap", "330 70 0", "330 70 0"};
        QTest::newRow("main window below bounds")
            << QStringList{"", "-1 -200 -5 0", "", "", "", ""}
            << QStringList{"", "0 0 400 600", "330 70 0", "nowrap", "330 70 0", "330 70 0"};
        QTest::newRow("main window on its bounds")
            << QStringList{"", "200 0 2000 1", "", "", "", ""}
            << QStringList{"", "200 0 2000 1", "330 70 0", "nowrap", "330 70 0", "330 70 0"};
        QTest::newRow("main window just past its bounds")
            << QStringList{"", "201 201 2001 2001", "", "", "", ""}
            << QStringList{"", "0 0 400 600", "330 70 0", "nowrap", "330 70 0", "330 70 0"};
        QTest::newRow("window places on and under their bounds")
            << QStringList{"", "", "4 69 16777215", "1", "5 70 12", "0 0 7"}
            << QStringList{"", "0 0 400 600", "330 70 16777215", "wrap", "5 70 12", "330 70 7"};
        QTest::newRow("five lines: the popup editor gets its bounds")
            << QStringList{"hcw", "1 2 300 400", "400 100 1", "0", "400 100 2"}
            << QStringList{"hcw", "1 2 300 400", "400 100 1", "nowrap", "400 100 2", "330 70 0"};
        QTest::newRow("one line")
            << QStringList{"hcw"}
            << QStringList{"hcw", "0 0 400 600", "330 70 0", "nowrap", "330 70 0", "330 70 0"};
        QTest::newRow("empty file")
            << QStringList{}
            << QStringList{"", "0 0 400 600", "330 70 0", "nowrap", "330 70 0", "330 70 0"};
        QTest::newRow("garbage numbers count as 0")
            << QStringList{"x", "abc 12abc 1.5 ", "zz 100 $FF", "oui", "1e3 80 0x10", "-- ++ ."}
            << QStringList{"x", "0 0 400 600", "330 100 0", "nowrap", "330 80 0", "330 70 0"};
        QTest::newRow("blanks and the rest of a line")
            << QStringList{"  chemin avec espaces  ", "\t7   8\t250 350 rest of line", "  50  90  3  99", " 1 suivi", "", ""}
            << QStringList{"  chemin avec espaces  ", "7 8 250 350", "50 90 3", "wrap", "330 70 0", "330 70 0"};
        QTest::newRow("word wrap only for exactly 1")
            << QStringList{"", "", "", "2", "", ""}
            << QStringList{"", "0 0 400 600", "330 70 0", "nowrap", "330 70 0", "330 70 0"};
        QTest::newRow("colour words: unsigned, too wide")
            << QStringList{"", "", "100 100 4294967295", "", "100 100 2147483653", "100 100 99999999999"}
            << QStringList{"", "0 0 400 600", "100 100 -1", "nowrap", "100 100 -2147483643", "100 100 0"};
        QTest::newRow("numbers too large for any integer")
            << QStringList{"", "99999999999999999999 5 5 5", "99999999999 99999999999 1", "", "", ""}
            << QStringList{"", "0 5 5 5", "330 70 1", "nowrap", "330 70 0", "330 70 0"};
    }
    void parsing()
    {
        QFETCH(QStringList, file);
        QFETCH(QStringList, expected);
        QCOMPARE(summary(shellsettings::parse(file)), expected);
    }

    void formatWritesSixLinesThatReadBack()
    {
        Settings s;
        s.helpCompilerPath = QString::fromUtf8("D:\\Outils\\hcw é.exe");
        s.left = 12;
        s.top = 34;
        s.height = 500;
        s.width = 700;
        s.textViewer = {400, 120, 255};
        s.wordWrap = true;
        s.hpjEditor = {330, 70, qint32(0x80000005u)};
        s.popupEditor = {600, 90, 0};
        const QStringList lines = shellsettings::format(s);
        QCOMPARE(lines, (QStringList{s.helpCompilerPath, "12 34 500 700", "400 120 255", "1", "330 70 -2147483643", "600 90 0"}));
        QCOMPARE(shellsettings::parse(lines), s);
    }

    void fileIsFoundWithoutRegardToCase_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::newRow("none") << QString();
        QTest::newRow("same case") << "TyxHelp.ini";
        QTest::newRow("upper case") << "TYXHELP.INI";
        QTest::newRow("lower case") << "tyxhelp.ini";
    }
    void fileIsFoundWithoutRegardToCase()
    {
        QFETCH(QString, existing);
        QTemporaryDir dir;
        if (!existing.isEmpty()) {
            QFile f(dir.filePath(existing));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("hcw.exe\r\n0 0 300 300\r\n");
        }
        Settings s;
        s.helpCompilerPath = "avant";
        QCOMPARE(shellsettings::read(dir.path(), s), !existing.isEmpty());
        QCOMPARE(s.helpCompilerPath, existing.isEmpty() ? QStringLiteral("avant") : QStringLiteral("hcw.exe"));

        s.helpCompilerPath = "nouveau";
        QVERIFY(shellsettings::write(dir.path(), s));
        const QStringList files = QDir(dir.path()).entryList(QDir::Files);
        QCOMPARE(files, QStringList{existing.isEmpty() ? QStringLiteral("TyxHelp.ini") : existing});
    }

    void writtenFileIsCrLfCodePage1252()
    {
        QTemporaryDir dir;
        Settings s;
        s.helpCompilerPath = QString::fromUtf8("é");
        QVERIFY(shellsettings::write(dir.path(), s));
        QFile f(dir.filePath("TyxHelp.ini"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("\xE9\r\n0 0 400 600\r\n330 70 -2147483643\r\n0\r\n330 70 -2147483643\r\n330 70 -2147483643\r\n"));
    }

    void badFilesReadAsDefaults_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("NUL ends the text")
            << QByteArray("hcw\r\n10 10 300\0 400\r\n1\r\n", 25)
            << QStringList{"hcw", "10 10 300 600", "330 70 0", "nowrap", "330 70 0", "330 70 0"};
        QTest::newRow("lone LF and CR")
            << QByteArray("hcw\n10 10 300 300\r100 100 5\n1\n")
            << QStringList{"hcw", "10 10 300 300", "100 100 5", "wrap", "330 70 0", "330 70 0"};
        QTest::newRow("binary")
            << QByteArray("\xFF\xFE\x01\x02\x80\x81\r\n\x7F\x7F")
            << QStringList{QString::fromLatin1("\xFF\xFE\x01\x02") + QChar(0x20AC) + QChar(0x81), "0 0 400 600", "330 70 0", "nowrap", "330 70 0", "330 70 0"};
    }
    void badFilesReadAsDefaults()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QFile f(dir.filePath("TyxHelp.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        Settings s;
        QVERIFY(shellsettings::read(dir.path(), s));
        QCOMPARE(summary(s), expected);
    }

    void writingWhereItCannotIsSilent()
    {
        QVERIFY(!shellsettings::write(QStringLiteral("/nonexistent-tyx-folder/sub"), Settings{}));
    }
};

TYX_TEST(ShellSettingsTest);
#include "ShellSettingsTest.moc"
