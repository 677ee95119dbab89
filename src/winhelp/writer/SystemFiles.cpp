// |SYSTEM (the options, the windows, the code page) and |FONT (one descriptor per character
// format the text uses).
#include "winhelp/writer/WriterParts.h"

#include "winhelp/format/HlpBytes.h"

namespace hlp::writer {

QByteArray Writer::systemFile()
{
    ByteWriter s;
    s.u16(0x036C);
    s.u16(33); // Windows 95 help
    s.u16(1);
    s.u32(m_in.generationDate);
    s.u16(m_in.compress ? 4 : 0); // 4 KB topic blocks, LZ77 or not
    auto record = [&s](unsigned type, const QByteArray& data) {
        s.u16(type);
        s.u16(static_cast<unsigned>(data.size()));
        s.raw(data);
    };
    auto stringz = [](const QByteArray& text) {
        QByteArray b = text;
        b.append('\0');
        return b;
    };
    if (!m_project.title.isEmpty())
        record(1, stringz(m_project.title));
    record(2, stringz(m_project.copyright));
    if (!m_doc.topics.empty()) {
        ByteWriter c;
        c.u32(m_topicOffset[static_cast<size_t>(m_in.contentsTopic)]);
        record(3, c.bytes);
    }
    for (const QByteArray& macro : m_project.configMacros)
        record(4, stringz(macro));
    if (!m_in.icon.isEmpty())
        record(5, m_in.icon);
    for (const WindowDef& w : m_project.windows) {
        const bool main = w.name.compare("main", Qt::CaseInsensitive) == 0;
        // A bit for each field the project gives; the viewer decides the others.
        unsigned flags = 0x0001 | 0x0002;
        if (!w.caption.isEmpty())
            flags |= 0x0004;
        if (w.hasX)
            flags |= 0x0008;
        if (w.hasY)
            flags |= 0x0010;
        if (w.hasWidth)
            flags |= 0x0020;
        if (w.hasHeight)
            flags |= 0x0040;
        if (w.maximize)
            flags |= 0x0080;
        if (w.hasColour)
            flags |= 0x0100;
        if (w.hasNonScrollColour)
            flags |= 0x0200;
        if (w.onTop)
            flags |= 0x0400;
        if (w.autoSizeHeight)
            flags |= 0x0800;
        ByteWriter win;
        win.u16(flags);
        win.fixedString(main ? QByteArray("main") : QByteArray("secondary"), 10);
        win.fixedString(w.name, 9);
        win.fixedString(w.caption, 51);
        win.i16(w.x);
        win.i16(w.y);
        win.i16(w.width);
        win.i16(w.height);
        win.u16(static_cast<unsigned>(w.maximize));
        win.u32(w.colour);
        win.u32(w.nonScrollColour);
        record(6, win.bytes);
    }
    if (!m_project.citation.isEmpty())
        record(8, stringz(m_project.citation));
    ByteWriter lcid;
    lcid.u16(m_project.lcidExtra[0]);
    lcid.u16(m_project.lcidExtra[1]);
    lcid.zeros(4);
    lcid.u16(m_project.hasLcid ? m_project.lcid : 0x040C);
    record(9, lcid.bytes);
    if (m_in.charset >= 0) {
        // The viewers take the first byte for every font and for the text's code page.
        ByteWriter charset;
        charset.u16(static_cast<unsigned>(m_in.charset));
        record(11, charset.bytes);
    }
    return s.bytes;
}

QByteArray Writer::fontFile()
{
    std::vector<FontFace> faces = m_doc.faces;
    if (faces.empty())
        faces.push_back({"MS Sans Serif", 3});
    const std::vector<CharFormat>& formats = m_fonts.formats();
    ByteWriter f;
    f.u16(static_cast<unsigned>(faces.size()));
    f.u16(static_cast<unsigned>(formats.size()));
    f.u16(8);
    f.u16(static_cast<unsigned>(8 + faces.size() * 32));
    for (const FontFace& face : faces)
        f.fixedString(face.name, 32);
    for (const CharFormat& c : formats) {
        const size_t face = c.face >= 0 && static_cast<size_t>(c.face) < faces.size() ? static_cast<size_t>(c.face) : 0;
        f.u8(c.attrs);
        f.u8(static_cast<unsigned>(c.halfPoints));
        f.u8(faces[face].family ? faces[face].family : 3);
        f.u16(static_cast<unsigned>(face));
        f.u8(c.red);
        f.u8(c.green);
        f.u8(c.blue);
        f.zeros(3);
    }
    return f.bytes;
}

} // namespace hlp::writer
