// Runs a fuzz target over files without libFuzzer: every file named, and every file under every
// folder named, once. The ordinary build replays the seed corpus and the regression inputs so.
#include <QCoreApplication>
#ifdef TYX_FUZZ_GUI
#include <QGuiApplication>
#endif
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
#ifdef TYX_FUZZ_GUI
    QGuiApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    QStringList files;
    for (const QString& arg : QCoreApplication::arguments().mid(1)) {
        if (QFileInfo(arg).isDir()) {
            QDirIterator it(arg, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext())
                files << it.next();
        } else {
            files << arg;
        }
    }
    files.sort();
    if (files.isEmpty()) {
        std::fprintf(stderr, "aucune entrée à rejouer\n");
        return 1;
    }
    for (const QString& name : files) {
        QFile f(name);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "illisible : %s\n", qPrintable(name));
            return 1;
        }
        const QByteArray bytes = f.readAll();
        std::fprintf(stderr, "%s\n", qPrintable(name));
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    }
    std::printf("%lld entrées rejouées\n", static_cast<long long>(files.size()));
    return 0;
}
