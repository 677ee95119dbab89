// Table rows as Word 97 to 2007 write them. A row is the cells' paragraphs (\intbl, each cell
// ended by \cell) and then \row; the row's definition (\trowd, \trgaph, \trleft, the cell
// borders and \cellx) comes before the cells (Word 97) or again just before \row (Word 2000 and
// later): the last one read before \row holds.
#include "winhelp/project/RtfParser.h"

namespace hlp::rtf {

namespace {

constexpr int kDefaultCellWidth = 1440; // an inch, for cells the definition does not give

} // namespace

bool Parser::rowWord(Word w, bool hasParam, int param)
{
    auto cellSide = [&](std::uint8_t side) {
        m_cellBorder |= side;
        m_borderSide = side;
    };
    switch (w) {
    case Word::trowd:
        m_rowDef = TableRow{};
        m_cellBorder = 0;
        m_borderSide = 0;
        break;
    case Word::trgaph:
        m_rowDef.gap = qMax(0, param);
        break;
    case Word::trleft:
        m_rowDef.left = param;
        break;
    case Word::cellx:
        m_rowDef.cells.push_back({param, m_cellBorder});
        m_cellBorder = 0;
        m_borderSide = 0;
        break;
    case Word::clbrdrt:
        cellSide(BorderTop);
        break;
    case Word::clbrdrl:
        cellSide(BorderLeft);
        break;
    case Word::clbrdrb:
        cellSide(BorderBottom);
        break;
    case Word::clbrdrr:
        cellSide(BorderRight);
        break;
    case Word::brdrs:
    case Word::brdrw:
        break; // a plain line: the side is already set
    case Word::brdrth:
    case Word::brdrdb:
    case Word::brdrnone:
        if (!(m_cellBorder & m_borderSide))
            return false; // about a paragraph border
        if (w == Word::brdrnone) {
            m_cellBorder &= static_cast<std::uint8_t>(~m_borderSide);
            if (!(m_cellBorder & (BorderTop | BorderBottom | BorderLeft | BorderRight)))
                m_cellBorder = 0;
            m_borderSide = 0;
        } else {
            m_cellBorder |= w == Word::brdrth ? BorderThick : BorderDouble;
        }
        break;
    case Word::intbl:
        m_st.inTable = !hasParam || param != 0;
        break;
    case Word::cell:
    case Word::nestcell:
        // A nested table's cells become paragraphs of the outer cell.
        if (m_st.dest != Dest::Text)
            break;
        if (w == Word::cell)
            endCell();
        else
            endParagraph(true);
        break;
    case Word::row:
        if (m_st.dest == Dest::Text)
            endRow();
        break;
    case Word::nestrow:
        break;
    default:
        return false;
    }
    return true;
}

void Parser::endCell()
{
    const bool inTable = m_st.inTable;
    m_st.inTable = true; // \cell ends a cell even where Word left \intbl out
    flushCapture();
    resolveHidden();
    flushText();
    // An empty cell still has its paragraph.
    if (m_items.empty()) {
        if (!m_rowOpen) {
            m_rowOpen = true;
            m_rowFirstParagraph = m_topic.paragraphs.size();
            m_cellIndex = 0;
        }
        Paragraph para;
        para.format = m_st.para;
        para.markFormat = m_st.chr;
        para.cell = m_cellIndex;
        m_topic.paragraphs.push_back(std::move(para));
    } else {
        endParagraph(true);
    }
    m_st.inTable = inTable;
    ++m_cellIndex;
}

void Parser::endRow()
{
    flushCapture();
    resolveHidden();
    flushText();
    if (!m_items.empty()) {
        // Text after the last \cell belongs to one more cell.
        endCell();
    }
    if (!m_rowOpen)
        return;
    TableRow row = m_rowDef;
    // Cells closed by \cell, and a last one whose paragraphs Word ended with \par only.
    int cells = qMax(1, m_cellIndex);
    if (m_topic.paragraphs.size() > m_rowFirstParagraph)
        cells = qMax(cells, m_topic.paragraphs.back().cell + 1);
    if (static_cast<int>(row.cells.size()) > cells)
        row.cells.resize(static_cast<size_t>(cells));
    while (static_cast<int>(row.cells.size()) < cells) {
        const int previous = row.cells.empty() ? row.left : row.cells.back().right;
        row.cells.push_back({previous + kDefaultCellWidth, 0});
    }
    const int index = static_cast<int>(m_topic.rows.size());
    m_topic.rows.push_back(std::move(row));
    for (size_t i = m_rowFirstParagraph; i < m_topic.paragraphs.size(); ++i) {
        Paragraph& p = m_topic.paragraphs[i];
        p.row = index;
        p.cell = qMin(p.cell, cells - 1);
    }
    m_rowOpen = false;
    m_cellIndex = 0;
}

// Cells that Word never closed with \row (a topic ends inside the table): a row all the same.
void Parser::closeOpenRow()
{
    if (!m_rowOpen)
        return;
    // The items gathered so far are the next paragraph's, outside the table.
    std::vector<Item> pending;
    pending.swap(m_items);
    endRow();
    m_items.swap(pending);
}

} // namespace hlp::rtf
