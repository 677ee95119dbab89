#include "support/TestRegistry.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tyxtests"));
    // The program keeps some choices in the user's settings (the last projects): tests keep
    // theirs in a folder of their own, never in the real user's.
    QTemporaryDir settings;
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, settings.path());
        QSettings::setPath(format, QSettings::SystemScope, settings.path());
    }
    // The desktop's configuration folder too (the settings file).
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.path()));
    // TYX_TEST_CLASSES=A,B runs only those classes (the test script runs some under a sanitizer).
    const QStringList only = qEnvironmentVariable("TYX_TEST_CLASSES").split(QLatin1Char(','), Qt::SkipEmptyParts);
    int failures = 0;
    int run = 0;
    for (const auto& make : tyxtest::registry()) {
        std::unique_ptr<QObject> test(make());
        if (!only.isEmpty() && !only.contains(QLatin1String(test->metaObject()->className())))
            continue;
        ++run;
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 && run > 0 ? 0 : 1;
}
