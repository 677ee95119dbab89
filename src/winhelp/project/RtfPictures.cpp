// Pictures inside the RTF: {\pict ...} groups with their size words and their data in hex (or
// after \binN). Word 2007 writes its own picture as {\*\shppict{\pict\pngblip ...}} followed by a
// metafile copy in {\nonshppict ...} for older readers: the first usable one is kept. An OLE
// object {\object ... {\result ...}} is shown by its result, the picture Word keeps for readers
// without OLE.
#include "winhelp/project/RtfParser.h"

namespace hlp::rtf {

namespace {

// Marks the source as not (yet) known: \pict without a type word.
constexpr auto kUnknown = static_cast<PictureSource>(0xFF);

int hexValue(char h)
{
    if (h >= '0' && h <= '9')
        return h - '0';
    if (h >= 'a' && h <= 'f')
        return h - 'a' + 10;
    if (h >= 'A' && h <= 'F')
        return h - 'A' + 10;
    return -1;
}

} // namespace

void Parser::startPicture()
{
    flushCapture();
    resolveHidden();
    m_st.dest = Dest::Picture;
    m_pictureDepth = m_stack.size();
    m_picture = Picture{};
    m_picture.source = kUnknown;
    m_pictureNibble = -1;
}

bool Parser::pictureWord(Word w, bool hasParam, int param)
{
    switch (w) {
    case Word::picw:
        m_picture.width = param;
        break;
    case Word::pich:
        m_picture.height = param;
        break;
    case Word::picwgoal:
        m_picture.goalWidth = param;
        break;
    case Word::pichgoal:
        m_picture.goalHeight = param;
        break;
    case Word::wmetafile:
        m_picture.source = PictureSource::Metafile;
        m_picture.mapMode = hasParam ? param : 8;
        break;
    case Word::dibitmap:
        m_picture.source = PictureSource::Dib;
        break;
    case Word::wbitmap:
        m_picture.source = PictureSource::Ddb;
        break;
    case Word::wbmbitspixel:
        m_picture.ddbBitsPerPixel = param;
        break;
    case Word::wbmplanes:
        m_picture.ddbPlanes = param;
        break;
    case Word::wbmwidthbytes:
        m_picture.ddbWidthBytes = param;
        break;
    case Word::pngblip:
        m_picture.source = PictureSource::Png;
        break;
    case Word::jpegblip:
        m_picture.source = PictureSource::Jpeg;
        break;
    case Word::emfblip:
    case Word::macpict:
    case Word::pmmetafile:
        m_picture.source = kUnknown;
        m_picture.name = w == Word::emfblip ? "EMF" : w == Word::macpict ? "PICT" : "OS/2";
        break;
    case Word::bin:
        m_binaryLeft = qMax(0, param);
        break;
    default:
        return false;
    }
    return true;
}

void Parser::pictureBytes(const char* data, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        const int v = hexValue(data[i]);
        if (v < 0)
            continue; // line ends and spaces between the digits
        if (m_pictureNibble < 0) {
            m_pictureNibble = v;
        } else {
            m_picture.data.append(static_cast<char>(m_pictureNibble * 16 + v));
            m_pictureNibble = -1;
        }
    }
}

void Parser::finishPicture()
{
    const bool shape = m_st.shapePicture;
    if (m_picture.source == kUnknown) {
        // Word writes a metafile copy of such pictures in {\nonshppict}: that one is read.
        if (!shape) {
            const QByteArray kind = m_picture.name.isEmpty() ? QByteArray("de type inconnu") : m_picture.name;
            m_diag.warning(QStringLiteral("%1, une image %2 n'a pas d'équivalent dans un fichier d'aide ; elle est omise.")
                               .arg(where(), QString::fromLatin1(kind)));
        }
        m_picture = Picture{};
        return;
    }
    if (m_picture.data.isEmpty()) {
        m_diag.warning(QStringLiteral("%1, une image sans données est omise.").arg(where()));
        m_picture = Picture{};
        return;
    }
    if (shape)
        m_skipShapeTwin = true;
    if (m_st.hidden) {
        m_picture = Picture{};
        return; // hidden like text around it: not shown
    }
    m_picture.name.clear();
    Item item;
    item.kind = ItemKind::Picture;
    item.format = m_st.chr;
    item.placement = Placement::Character;
    item.picture = static_cast<int>(m_doc.pictures.size());
    m_doc.pictures.push_back(std::move(m_picture));
    m_picture = Picture{};
    flushText();
    m_items.push_back(std::move(item));
}

void Parser::startObject()
{
    m_st.dest = Dest::Object;
    m_objectDepth = m_stack.size();
    m_objectPictures = m_doc.pictures.size();
    m_objectParagraphs = m_topic.paragraphs.size();
    m_objectItems = m_items.size();
    m_objectText = m_pendingText.size();
}

void Parser::finishObject()
{
    m_objectDepth = 0;
    const bool nothingShown = m_doc.pictures.size() == m_objectPictures && m_topic.paragraphs.size() == m_objectParagraphs
        && m_items.size() == m_objectItems && m_pendingText.size() == m_objectText;
    if (nothingShown && !m_st.hidden)
        m_diag.warning(QStringLiteral("%1, un objet OLE sans image de remplacement est omis.").arg(where()));
}

} // namespace hlp::rtf
