// Compiles the .hpj named on the command line with the built-in compiler; prints the diagnostics;
// exit status 0 only when the .hlp file was written.
//   tyx_hlp_compile PROJET.hpj
//   tyx_hlp_compile --sample demo|generated FOLDER [COUNT]   writes a project with the program's build
#include "SampleProject.h"
#include "build/hlp/HlpCompiler.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QTextStream err(stderr);
    QTextStream out(stdout);
    if (args.size() >= 4 && args[1] == QLatin1String("--sample")) {
        const QString folder = args[3];
        QDir().mkpath(folder);
        hlptest::SampleProject project;
        if (args[2] == QLatin1String("demo")) {
            project = hlptest::demoProject();
            if (!hlptest::writeDemoPictures(folder)) {
                err << "cannot write the pictures\n";
                return 1;
            }
        } else {
            project = hlptest::generatedProject(args.value(4, QStringLiteral("300")).toInt());
        }
        const QString hpj = project.writeWithBuild(folder, args[2] == QLatin1String("demo") ? QStringLiteral("DEMO") : QStringLiteral("GENERE"));
        if (hpj.isEmpty()) {
            err << "cannot write the project\n";
            return 1;
        }
        out << hpj << '\n';
        return 0;
    }
    if (args.size() != 2) {
        err << "usage: tyx_hlp_compile PROJET.hpj | --sample demo|generated FOLDER [COUNT]\n";
        return 2;
    }
    const hlp::CompileResult r = hlp::HlpCompiler().compile(args[1]);
    for (const QString& line : r.diagnostics)
        err << line << '\n';
    return r.written ? 0 : 1;
}
