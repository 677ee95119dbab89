#include "platform/windows/ColourWords.h"

#include <QGuiApplication>
#include <QPalette>

namespace colourwords {

bool isSystemColour(quint32 word)
{
    return (word & 0x80000000u) != 0;
}

static QPalette::ColorRole roleOf(quint32 index)
{
    switch (index) {
    case 4: case 15: return QPalette::Button;
    case 5: return QPalette::Base;
    case 7: return QPalette::WindowText;
    case 8: return QPalette::Text;
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 16: case 12: return QPalette::Dark;
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;
    case 21: return QPalette::Shadow;
    case 22: return QPalette::Midlight;
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    default: return QPalette::Window;
    }
}

QColor toColor(quint32 word)
{
    if (isSystemColour(word))
        return QGuiApplication::palette().color(QPalette::Active, roleOf(word & 0xFFu));
    return QColor(int(word & 0xFF), int((word >> 8) & 0xFF), int((word >> 16) & 0xFF));
}

quint32 fromColor(const QColor& c)
{
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

} // namespace colourwords
