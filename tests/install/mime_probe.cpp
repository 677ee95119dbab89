// Prints the MIME type the desktop's shared database gives each file, by name and content
// ("auto"), by content alone ("content") or by name alone ("name"). The check script points
// XDG_DATA_DIRS at a database that holds the program's type.
#include <QCoreApplication>
#include <QMimeDatabase>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3)
        return 2;
    const QString mode = args[1];
    const QMimeDatabase db;
    for (const QString& file : args.mid(2)) {
        const QMimeDatabase::MatchMode match = mode == u"content" ? QMimeDatabase::MatchContent
            : mode == u"name"                                    ? QMimeDatabase::MatchExtension
                                                                 : QMimeDatabase::MatchDefault;
        std::printf("%s\n", qPrintable(db.mimeTypeForFile(file, match).name()));
    }
    return 0;
}
