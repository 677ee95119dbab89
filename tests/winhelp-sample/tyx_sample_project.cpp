// Writes a sample project with the program's own build, or one of the feature projects, and
// prints the .hpj file's path:
//   tyx_sample_project demo|generated FOLDER [COUNT]
//   tyx_sample_project feature NAME FOLDER
// A demo or generated project's file (.hpa) is written beside it, for tyxbuild.
#include "FeatureProjects.h"
#include "SampleProject.h"
#include "platform/core/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream err(stderr);
    QTextStream out(stdout);
    if (args.size() == 4 && args[1] == QLatin1String("feature")) {
        const QString hpj = hlptest::writeFeatureProject(args[2], args[3]);
        if (hpj.isEmpty()) {
            err << "cannot write the feature project " << args[2] << "\n";
            return 1;
        }
        out << hpj << '\n';
        return 0;
    }
    if (args.size() < 3 || (args[1] != QLatin1String("demo") && args[1] != QLatin1String("generated"))) {
        err << "usage: tyx_sample_project demo|generated FOLDER [COUNT] | feature NAME FOLDER\n";
        return 2;
    }
    const QString folder = args[2];
    QDir().mkpath(folder);
    hlptest::SampleProject project;
    if (args[1] == QLatin1String("demo")) {
        project = hlptest::demoProject();
        if (!hlptest::writeDemoPictures(folder)) {
            err << "cannot write the pictures\n";
            return 1;
        }
    } else {
        project = hlptest::generatedProject(args.value(3, QStringLiteral("300")).toInt());
    }
    const QString base = args[1] == QLatin1String("demo") ? QStringLiteral("DEMO") : QStringLiteral("GENERE");
    const QString hpj = project.writeWithBuild(folder, base);
    if (hpj.isEmpty()
        || !textfile::writeLines(QDir(folder).filePath(base + QStringLiteral(".hpa")), project.documentLines(base.toLower() + QStringLiteral(".rtf")))) {
        err << "cannot write the project\n";
        return 1;
    }
    out << hpj << '\n';
    return 0;
}
