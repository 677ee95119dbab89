#pragma once
// Reads a help project file (.hpj): [OPTIONS], [FILES], [CONFIG], [WINDOWS], [MAP], [ALIAS],
// [BAGGAGE] and [BITMAPS], in the forms of the Windows 3.1 help compiler and of Help Workshop 4.
#include "winhelp/model/Diagnostics.h"
#include "winhelp/model/HelpModel.h"

namespace hlp {

class ProjectFiles;

class HpjReader {
public:
    // Reads the file; false (with an error) when it cannot be opened.
    static bool read(const QString& hpjPath, HelpProject& project, Diagnostics& diag);

    // Reads the text of a project file. `files`, when given, resolves #include lines of [MAP].
    // The project's code page (CHARSET=, LCID=) becomes the diagnostics' code page first.
    static void parse(const QByteArray& text, HelpProject& project, Diagnostics& diag, ProjectFiles* files = nullptr,
                      const QString& fileLabel = QString());

    // One [WINDOWS] line after the '=' sign:
    //   "caption", (x, y, width, height), state, (r, g, b) or (rNNNN), (colour), flags
    // where any field may be empty. False when the name or a field cannot be read; `badField`
    // then names the field (in French), and the fields that could be read are kept.
    static bool parseWindow(const QByteArray& name, const QByteArray& definition, WindowDef& window,
                            QString* badField = nullptr);

    // The number of a [MAP] line: decimal, hexadecimal (0x...), with C suffixes (U, L), in
    // parentheses, or a sum of numbers and names defined earlier (#define A (B + 1)).
    static bool parseMapNumber(const QByteArray& text, const std::vector<MapEntry>& defined, std::uint32_t& number);
};

} // namespace hlp
