#include "winhelp/format/Lz77.h"

#include <algorithm>
#include <cstring>

namespace hlp {

namespace {

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 18;
// Candidates looked at per position: longer chains find few better matches in help text and
// cost time on every byte of a large help file.
constexpr int kChainDepth = 12;

} // namespace

QByteArray lz77Decode(const char* data, qsizetype size, bool* truncated)
{
    QByteArray out;
    out.reserve(size * 2);
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* const end = p + size;
    if (truncated)
        *truncated = false;
    while (p < end) {
        unsigned flags = *p++;
        for (int i = 0; i < 8 && p < end; ++i, flags >>= 1) {
            if (!(flags & 1)) {
                out.append(static_cast<char>(*p++));
                continue;
            }
            if (end - p < 2) {
                if (truncated)
                    *truncated = true;
                return out;
            }
            const unsigned code = p[0] | (p[1] << 8);
            p += 2;
            const qsizetype distance = (code & 0x0FFF) + 1;
            int length = static_cast<int>(code >> 12) + kMinMatch;
            if (distance > out.size()) {
                // Before the unit's first byte: the readers would copy memory of their own.
                if (truncated)
                    *truncated = true;
                return out;
            }
            // Byte by byte: a match may overlap what it copies.
            while (length-- > 0)
                out.append(out.at(out.size() - distance));
        }
    }
    return out;
}

QByteArray lz77DecodeAtMost(const char* data, qsizetype size, qsizetype limit, bool* truncated, bool* overflow)
{
    if (truncated)
        *truncated = false;
    if (overflow)
        *overflow = false;
    if (limit <= 0 || size <= 0)
        return {};
    // One group of 17 bytes gives at most 8 matches of 18: room for all of it, or the limit.
    QByteArray out(qMin(limit, size * 9), Qt::Uninitialized);
    char* o = out.data();
    qsizetype n = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const unsigned char* const end = p + size;
    while (p < end) {
        unsigned flags = *p++;
        for (int i = 0; i < 8 && p < end; ++i, flags >>= 1) {
            if (!(flags & 1)) {
                if (n >= limit) {
                    if (overflow)
                        *overflow = true;
                    out.truncate(n);
                    return out;
                }
                o[n++] = static_cast<char>(*p++);
                continue;
            }
            if (end - p < 2) {
                if (truncated)
                    *truncated = true;
                out.truncate(n);
                return out;
            }
            const unsigned code = p[0] | (p[1] << 8);
            p += 2;
            const qsizetype distance = (code & 0x0FFF) + 1;
            qsizetype length = static_cast<qsizetype>(code >> 12) + kMinMatch;
            if (distance > n) {
                if (truncated)
                    *truncated = true;
                out.truncate(n);
                return out;
            }
            if (n + length > limit) {
                length = limit - n;
                if (overflow)
                    *overflow = true;
            }
            // Byte by byte: a match may overlap what it copies.
            for (qsizetype k = 0; k < length; ++k, ++n)
                o[n] = o[n - distance];
            if (overflow && *overflow) {
                out.truncate(n);
                return out;
            }
        }
    }
    out.truncate(n);
    return out;
}

QByteArray lz77Encode(const QByteArray& data)
{
    Lz77Encoder encoder;
    encoder.start();
    std::vector<std::uint8_t> none(static_cast<size_t>(data.size()), 0);
    encoder.encode(data.constData(), none.data(), data.size());
    return QByteArray(encoder.output().data(), encoder.size());
}

QByteArray rleEncode(const QByteArray& data)
{
    QByteArray out;
    const qsizetype n = data.size();
    qsizetype i = 0;
    qsizetype literalStart = 0;
    auto flushLiterals = [&](qsizetype upTo) {
        while (literalStart < upTo) {
            const qsizetype chunk = std::min<qsizetype>(127, upTo - literalStart);
            out.append(static_cast<char>(0x80 | chunk));
            out.append(data.constData() + literalStart, chunk);
            literalStart += chunk;
        }
    };
    while (i < n) {
        qsizetype run = 1;
        while (i + run < n && run < 127 && data[i + run] == data[i])
            ++run;
        if (run >= 3) {
            flushLiterals(i);
            out.append(static_cast<char>(run));
            out.append(data[i]);
            i += run;
            literalStart = i;
        } else {
            i += run;
        }
    }
    flushLiterals(n);
    return out;
}

QByteArray rleDecode(const QByteArray& data)
{
    QByteArray out;
    qsizetype i = 0;
    while (i < data.size()) {
        const auto n = static_cast<unsigned char>(data[i++]);
        if (n & 0x80) {
            const qsizetype count = std::min<qsizetype>(n & 0x7F, data.size() - i);
            out.append(data.constData() + i, count);
            i += count;
        } else if (i < data.size()) {
            out.append(n, data[i++]);
        }
    }
    return out;
}

QByteArray rleDecodeAtMost(const QByteArray& data, qsizetype limit, bool* overflow)
{
    if (overflow)
        *overflow = false;
    QByteArray out;
    qsizetype i = 0;
    while (i < data.size()) {
        const auto n = static_cast<unsigned char>(data[i++]);
        qsizetype count = 0;
        if (n & 0x80)
            count = std::min<qsizetype>(n & 0x7F, data.size() - i);
        else if (i < data.size())
            count = n;
        else
            break;
        if (out.size() + count > limit) {
            if (overflow)
                *overflow = true;
            count = limit - out.size();
        }
        if (n & 0x80) {
            out.append(data.constData() + i, count);
            i += n & 0x7F;
        } else {
            out.append(count, data[i++]);
        }
        if (out.size() >= limit && i < data.size()) {
            if (overflow)
                *overflow = true;
            break;
        }
    }
    return out;
}

Lz77Encoder::Lz77Encoder() : m_head(size_t(1) << kHashBits, -1), m_prev(kWindow, -1) {}

void Lz77Encoder::start()
{
    // Positions of earlier units stay in the tables but lie before m_base: never used again.
    m_base += static_cast<std::int32_t>(m_done) + kWindow + 1;
    if (m_base > 0x70000000) {
        std::fill(m_head.begin(), m_head.end(), -1);
        std::fill(m_prev.begin(), m_prev.end(), -1);
        m_base = 0;
    }
    m_done = 0;
    m_out.clear();
    m_flagAt = -1;
    m_bits = 8;
    m_patches.clear();
}

unsigned Lz77Encoder::hash3(const char* p)
{
    const std::uint32_t v = static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8)
        | (static_cast<std::uint32_t>(static_cast<unsigned char>(p[2])) << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
}

void Lz77Encoder::insert(const char* data, qsizetype pos, qsizetype end)
{
    if (end - pos < kMinMatch)
        return;
    const std::int32_t abs = m_base + static_cast<std::int32_t>(pos);
    const unsigned h = hash3(data + pos);
    m_prev[static_cast<size_t>(abs & (kWindow - 1))] = m_head[h];
    m_head[h] = abs;
}

int Lz77Encoder::findMatch(const char* data, const std::uint8_t* later, qsizetype pos, qsizetype end, int& distance)
{
    const qsizetype room = std::min<qsizetype>(kMaxMatch, end - pos);
    if (room < kMinMatch || later[pos])
        return 0;
    const std::int32_t abs = m_base + static_cast<std::int32_t>(pos);
    const std::int32_t oldest = std::max(m_base, abs - kWindow);
    std::int32_t candidate = m_head[hash3(data + pos)];
    int best = 0;
    for (int depth = 0; depth < kChainDepth && candidate >= oldest && candidate < abs; ++depth) {
        const qsizetype from = candidate - m_base;
        if (data[from + best] == data[pos + best]) {
            int length = 0;
            while (length < room && data[from + length] == data[pos + length] && !later[from + length] && !later[pos + length])
                ++length;
            if (length > best) {
                best = length;
                distance = static_cast<int>(pos - from);
                if (best == room)
                    break;
            }
        }
        const std::int32_t next = m_prev[static_cast<size_t>(candidate & (kWindow - 1))];
        if (next >= candidate)
            break; // the slot was reused by a newer position
        candidate = next;
    }
    return best >= kMinMatch ? best : 0;
}

void Lz77Encoder::literal(char c, qsizetype raw, bool patched)
{
    if (m_bits == 8) {
        m_flagAt = static_cast<qsizetype>(m_out.size());
        m_out.push_back('\0');
        m_bits = 0;
    }
    if (patched)
        m_patches.emplace_back(raw, static_cast<qsizetype>(m_out.size()));
    m_out.push_back(c);
    ++m_bits;
}

void Lz77Encoder::match(int distance, int length)
{
    if (m_bits == 8) {
        m_flagAt = static_cast<qsizetype>(m_out.size());
        m_out.push_back('\0');
        m_bits = 0;
    }
    m_out[static_cast<size_t>(m_flagAt)] = static_cast<char>(static_cast<unsigned char>(m_out[static_cast<size_t>(m_flagAt)]) | (1u << m_bits));
    const unsigned code = static_cast<unsigned>(distance - 1) | (static_cast<unsigned>(length - kMinMatch) << 12);
    m_out.push_back(static_cast<char>(code & 0xFF));
    m_out.push_back(static_cast<char>(code >> 8));
    ++m_bits;
}

void Lz77Encoder::encode(const char* data, const std::uint8_t* later, qsizetype end)
{
    qsizetype pos = m_done;
    while (pos < end) {
        int distance = 0;
        const int length = findMatch(data, later, pos, end, distance);
        if (length) {
            match(distance, length);
            // The positions inside a match are rarely the start of a better one: only its first
            // and last are remembered, which halves the time at little cost in size.
            insert(data, pos, end);
            if (length > 1)
                insert(data, pos + length - 1, end);
            pos += length;
        } else {
            literal(data[pos], pos, later[pos] != 0);
            insert(data, pos, end);
            ++pos;
        }
    }
    m_done = pos;
}

bool Lz77Encoder::fill(const char* data, const std::uint8_t* later, qsizetype end, qsizetype outputSize)
{
    qsizetype pos = m_done;
    while (size() < outputSize) {
        const qsizetype left = outputSize - size();
        const int literalCost = m_bits == 8 ? 2 : 1;
        if (pos >= end) {
            m_done = pos;
            return false;
        }
        if (left < literalCost) {
            // One byte short, at the start of a group: a flag byte with no item after it.
            m_flagAt = static_cast<qsizetype>(m_out.size());
            m_out.push_back('\0');
            m_bits = 0;
            break;
        }
        int distance = 0;
        int length = findMatch(data, later, pos, end, distance);
        // A match must leave enough raw bytes to reach the size with literals (one byte each at
        // least); otherwise the data would end before the output does.
        const int matchCost = m_bits == 8 ? 3 : 2;
        if (length && (matchCost > left || left - matchCost > end - pos - length))
            length = 0;
        if (length) {
            match(distance, length);
            for (int k = 0; k < length; ++k)
                insert(data, pos + k, end);
            pos += length;
        } else {
            literal(data[pos], pos, later[pos] != 0);
            insert(data, pos, end);
            ++pos;
        }
    }
    m_done = pos;
    return true;
}

Lz77Encoder::Mark Lz77Encoder::mark() const
{
    Mark m;
    m.done = m_done;
    m.out = size();
    m.flagAt = m_flagAt;
    m.bits = m_bits;
    m.flag = m_flagAt >= 0 && m_flagAt < size() ? static_cast<std::uint8_t>(m_out[static_cast<size_t>(m_flagAt)]) : 0;
    m.patches = m_patches.size();
    return m;
}

void Lz77Encoder::rewind(const Mark& m)
{
    m_done = m.done;
    m_out.resize(static_cast<size_t>(m.out));
    m_flagAt = m.flagAt;
    m_bits = m.bits;
    if (m_flagAt >= 0 && m_flagAt < size())
        m_out[static_cast<size_t>(m_flagAt)] = static_cast<char>(m.flag);
    m_patches.resize(m.patches);
}

} // namespace hlp
