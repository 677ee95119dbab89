// The settings file on any bytes. Property: what is read is written back and reads the same
// (parse, format, parse is a fixed point), with every bound applied.
#include "app/core/ShellSettings.h"
#include "fuzz/FuzzCheck.h"
#include "platform/core/TextFile.h"

TYX_FUZZ_ENTRY
{
    const shellsettings::Settings s = shellsettings::parse(textfile::splitLines(fuzz::input(data, size)));
    const QStringList lines = shellsettings::format(s);
    FUZZ_CHECK(lines.size() == 8);
    const shellsettings::Settings again = shellsettings::parse(lines);
    FUZZ_CHECK(again == s);
    FUZZ_CHECK(shellsettings::format(again) == lines);
    return 0;
}
