// Test-only program: saves a project (or writes its build files) and stops for good at one point
// of the writing, so a test can kill it there.
//
//     tyx_save_victim save|build|site PROJET.hpa N
//
// prints "arrêt" when it reaches point N (counted from 0, as tests/support/FaultPoints.h counts)
// and waits to be killed; prints the number of points when it gets through.
#include "platform/core/SafeFile.h"
#include "publish/core/HtmlBuild.h"
#include "publish/core/ProjectBuild.h"
#include "store/core/DocumentStore.h"

#include <QCoreApplication>
#include <QStringList>
#include <atomic>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4)
        return 2;
    const QString mode = args[1];
    const QString project = args[2];
    const int stopAt = args[3].toInt();

    std::atomic<int> seen = 0;
    safefile::setFaultHook([&](safefile::Step, const QString&) {
        if (seen++ == stopAt) {
            std::printf("arrêt\n");
            std::fflush(stdout);
            for (;;)
                pause();
        }
        return 0;
    });

    store::DocumentStore doc;
    bool missing = false;
    if (!doc.load(project, &missing, nullptr) || missing)
        return 1;
    doc.countBlocks();
    // A change, so that the new file differs from the old one.
    doc.DocumentLines << QStringLiteral(" modifié");
    if (mode == QLatin1String("save")) {
        if (!doc.save(project, nullptr))
            return 1;
    } else {
        const publish::BuildFiles files = publish::writeBuildFiles(doc.DocumentLines, doc.PageCount, doc.PopupCount,
            store::FieldLook(), store::FieldLook(), project);
        if (!files.ok())
            return 1;
        // The help site, as tyxbuild --html writes it.
        if (mode == QLatin1String("site") && !publish::writeHtmlHelp(doc.DocumentLines, doc.PageCount, project).written)
            return 1;
    }
    std::printf("%d\n", seen.load());
    return 0;
}
