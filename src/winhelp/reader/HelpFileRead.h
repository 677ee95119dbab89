#pragma once
// Reads any WinHelp file the original compilers made (3.1 and 4.0, and 3.0 where its layout
// allows) into the help model, with the contents file (.cnt) beside it when there is one.
//
//     const hlp::HelpFileRead r = hlp::readHelpFile(QStringLiteral("/aide/CALC.HLP"));
//     if (!r.help) ... // r.error says why, in French, naming the part of the file at fault
#include "winhelp/model/LoadedHelp.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace hlp {

struct HelpFileRead {
    std::shared_ptr<LoadedHelp> help; // null when the file could not be read
    QString error;                    // French: why it could not be read
    QStringList warnings;             // French: what was read with a loss, or left out
};

// The file at `path`, and the .cnt file of the same base name beside it (any letter case).
HelpFileRead readHelpFile(const QString& path);
// A help file held in memory; `contents` is the text of its .cnt file, if any.
HelpFileRead readHelpBytes(const QByteArray& data, const QByteArray& contents = {});
// A help project (.hpj and its topic files), read and checked as the compiler reads it; its
// messages are the warnings (or the error when it cannot be read).
HelpFileRead readHelpProject(const QString& hpjPath);

} // namespace hlp
