#include "platform/x11/SelectionText.h"

#include <iconv.h>

#include <algorithm>

#include <QStringDecoder>

namespace platform::x11 {

namespace {

constexpr uchar kEsc = 0x1b;
constexpr uchar kStx = 0x02;
constexpr uchar kCsi = 0x9b;

// Decoded a piece at a time from the end, the bytes handed back to the system as the
// text grows: a long ASCII text would otherwise be held three times its size at once.
constexpr qsizetype kDecodePiece = 1 << 20;

// A lead byte starts one unit, a four-byte one two.
inline unsigned unitsStartingAt(uchar byte)
{
    return unsigned((byte & 0xC0) != 0x80) + unsigned(byte >= 0xF0);
}

qsizetype utf16Units(QByteArrayView validUtf8)
{
    const auto* from = reinterpret_cast<const uchar*>(validUtf8.data());
    const auto* end = from + validUtf8.size();
    qsizetype units = 0;
    // A block of fixed length at a time, which the compiler makes vector code of: a
    // byte at a time takes ten times as long, and a long text is counted twice.
    constexpr int kBlock = 64;
    for (; end - from >= kBlock; from += kBlock) {
        unsigned block = 0;
        for (int j = 0; j < kBlock; ++j)
            block += unitsStartingAt(from[j]);
        units += block;
    }
    for (; from != end; ++from)
        units += unitsStartingAt(*from);
    return units;
}

std::optional<QString> strictUtf8(QByteArray bytes)
{
    if (!QByteArrayView(bytes).isValidUtf8())
        return std::nullopt;
    QString text(utf16Units(bytes), Qt::Uninitialized);
    // Bytes that someone else holds too stay whole; cutting them would copy them.
    const bool owned = bytes.isDetached();
    qsizetype end = bytes.size();
    QChar* textEnd = text.data() + text.size();
    while (end > 0) {
        qsizetype start = std::max<qsizetype>(0, end - kDecodePiece);
        while (start > 0 && (uchar(bytes[start]) & 0xC0) == 0x80)
            --start;
        const QByteArrayView piece(bytes.constData() + start, end - start);
        // A BOM is the owner's text too, at the start and inside alike.
        QStringDecoder decoder(QStringDecoder::Utf8,
                               QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        QChar* pieceStart = textEnd - utf16Units(piece);
        if (decoder.appendToBuffer(pieceStart, piece) != textEnd || decoder.hasError())
            return std::nullopt;
        textEnd = pieceStart;
        end = start;
        if (owned) {
            bytes.truncate(end);
            bytes.squeeze();
        }
    }
    return text;
}

// The C library's converters know the legacy character sets; asked without any
// fallback suffix they stop at the first byte that is not a character.
std::optional<QString> viaIconv(const char* code, QByteArrayView bytes)
{
    iconv_t cd = iconv_open("UTF-8", code);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    // One byte in gives at most three out (a single-byte set reaching U+FFFF).
    QByteArray out(bytes.size() * 3 + 4, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = size_t(bytes.size());
    char* to = out.data();
    size_t outLeft = size_t(out.size());
    const size_t inexact = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    if (inexact != 0 || inLeft != 0)
        return std::nullopt;
    out.truncate(out.size() - qsizetype(outLeft));
    return strictUtf8(std::move(out));
}

// A character set designated into GL (bytes 0x21-0x7E) or GR (0xA0-0xFF).
struct Charset {
    enum class Kind {
        Ascii,       // ISO 8859-1 left half
        JisRoman,    // JIS X 0201 left half: ASCII with yen sign and overline
        Latin1,      // ISO 8859-1 right half
        Katakana,    // JIS X 0201 right half
        Iso8859,     // the right half of another 8-bit set, through iconv
        DoubleByte,  // a 94x94 set, through iconv in its EUC form
    };
    Kind kind = Kind::Ascii;
    const char* code = nullptr;
    bool ninetySix = false;
    char eucPrefix = 0; // JIS X 0212 is reached in EUC-JP through SS3
};

std::optional<Charset> gl94(uchar final)
{
    switch (final) {
    case 'B': return Charset{Charset::Kind::Ascii};
    case 'J': return Charset{Charset::Kind::JisRoman};
    default: return std::nullopt;
    }
}

std::optional<Charset> gr94(uchar final)
{
    if (final == 'I')
        return Charset{Charset::Kind::Katakana};
    return std::nullopt;
}

std::optional<Charset> gr96(uchar final)
{
    const char* code = nullptr;
    switch (final) {
    case 'A': return Charset{Charset::Kind::Latin1, nullptr, true};
    case 'B': code = "ISO-8859-2"; break;
    case 'C': code = "ISO-8859-3"; break;
    case 'D': code = "ISO-8859-4"; break;
    case 'F': code = "ISO-8859-7"; break;
    case 'G': code = "ISO-8859-6"; break;
    case 'H': code = "ISO-8859-8"; break;
    case 'L': code = "ISO-8859-5"; break;
    case 'M': code = "ISO-8859-9"; break;
    case 'T': code = "TIS-620"; break;
    case 'V': code = "ISO-8859-10"; break;
    case 'Y': code = "ISO-8859-13"; break;
    case '_': code = "ISO-8859-14"; break;
    case 'b': code = "ISO-8859-15"; break;
    case 'f': code = "ISO-8859-16"; break;
    default: return std::nullopt;
    }
    return Charset{Charset::Kind::Iso8859, code, true};
}

std::optional<Charset> doubleByte(uchar final)
{
    switch (final) {
    case 'A': return Charset{Charset::Kind::DoubleByte, "EUC-CN"};        // GB 2312
    case 'B': return Charset{Charset::Kind::DoubleByte, "EUC-JP"};        // JIS X 0208
    case 'C': return Charset{Charset::Kind::DoubleByte, "EUC-KR"};        // KS C 5601
    case 'D': return Charset{Charset::Kind::DoubleByte, "EUC-JP", false, '\x8f'}; // JIS X 0212
    default: return std::nullopt;
    }
}

// Extended segments name their encoding; only those whose name says exactly which
// code it is are read.
const char* extendedSegmentCode(QByteArray name)
{
    name = name.toLower();
    static const struct { const char* name; const char* code; } known[] = {
        {"iso8859-1", "ISO-8859-1"},   {"iso8859-2", "ISO-8859-2"},   {"iso8859-3", "ISO-8859-3"},
        {"iso8859-4", "ISO-8859-4"},   {"iso8859-5", "ISO-8859-5"},   {"iso8859-6", "ISO-8859-6"},
        {"iso8859-7", "ISO-8859-7"},   {"iso8859-8", "ISO-8859-8"},   {"iso8859-9", "ISO-8859-9"},
        {"iso8859-10", "ISO-8859-10"}, {"iso8859-13", "ISO-8859-13"}, {"iso8859-14", "ISO-8859-14"},
        {"iso8859-15", "ISO-8859-15"}, {"iso8859-16", "ISO-8859-16"}, {"koi8-r", "KOI8-R"},
        {"koi8-u", "KOI8-U"},          {"big5-0", "BIG5"},            {"gbk-0", "GBK"},
    };
    for (const auto& k : known) {
        if (name == k.name)
            return k.code;
    }
    return nullptr;
}

// ISO 2022 as X11's compound text uses it: GL starts as ASCII and GR as the right half
// of Latin-1; escape sequences designate other sets into either, switch to UTF-8 and
// back, or carry an extended segment in a named encoding.
class CompoundTextReader {
public:
    explicit CompoundTextReader(QByteArrayView in) : m_in(in) {}

    std::optional<QString> read()
    {
        while (m_pos < m_in.size()) {
            const uchar c = at(m_pos);
            bool ok = true;
            if (c == kEsc)
                ok = escape();
            else if (m_utf8)
                ok = utf8Run();
            else if (c == kCsi)
                ok = direction();
            else if (c >= 0x80 && c < 0xa0)
                ok = false; // C1 controls other than CSI have no place in compound text
            else if (c <= 0x20 || c == 0x7f) {
                // Controls, and the space that GL always has, whatever set is in it.
                m_out.append(QChar(c));
                ++m_pos;
            } else
                ok = graphicRun(c >= 0x80);
            if (!ok)
                return std::nullopt;
        }
        return std::move(m_out);
    }

private:
    uchar at(qsizetype i) const { return uchar(m_in[i]); }
    bool has(qsizetype n) const { return m_pos + n <= m_in.size(); }

    bool escape()
    {
        if (!has(3))
            return false;
        const uchar i1 = at(m_pos + 1);
        const uchar i2 = at(m_pos + 2);
        std::optional<Charset> set;
        switch (i1) {
        case '(': set = gl94(i2); if (set) m_gl = *set; break;
        case ')': set = gr94(i2); if (set) m_gr = *set; break;
        case '-': set = gr96(i2); if (set) m_gr = *set; break;
        case '$': {
            if (!has(4))
                return false;
            set = doubleByte(at(m_pos + 3));
            if (!set || (i2 != '(' && i2 != ')'))
                return false;
            (i2 == '(' ? m_gl : m_gr) = *set;
            m_utf8 = false;
            m_pos += 4;
            return true;
        }
        case '%':
            if (i2 == 'G' || i2 == '@') {
                m_utf8 = i2 == 'G';
                m_pos += 3;
                return true;
            }
            return i2 == '/' && extendedSegment();
        default:
            return false;
        }
        if (!set)
            return false;
        m_utf8 = false;
        m_pos += 3;
        return true;
    }

    // ESC % / F M L name STX bytes: M and L give the length of name, STX and bytes.
    bool extendedSegment()
    {
        if (!has(6))
            return false;
        const uchar octets = at(m_pos + 3);
        const uchar m = at(m_pos + 4);
        const uchar l = at(m_pos + 5);
        if (octets < '0' || octets > '4' || m < 0x80 || l < 0x80)
            return false;
        const qsizetype length = qsizetype(m & 0x7f) * 128 + (l & 0x7f);
        m_pos += 6;
        if (!has(length))
            return false;
        const QByteArrayView segment = m_in.sliced(m_pos, length);
        const qsizetype stx = segment.indexOf(char(kStx));
        if (stx < 0)
            return false;
        const char* code = extendedSegmentCode(segment.first(stx).toByteArray());
        if (!code)
            return false;
        const std::optional<QString> text = viaIconv(code, segment.sliced(stx + 1));
        if (!text)
            return false;
        m_out.append(*text);
        m_pos += length;
        return true;
    }

    // CSI 1 ] and CSI 2 ] begin left-to-right and right-to-left text, CSI ] ends it:
    // hints for display, no characters.
    bool direction()
    {
        if (has(2) && at(m_pos + 1) == ']') {
            m_pos += 2;
            return true;
        }
        if (has(3) && (at(m_pos + 1) == '1' || at(m_pos + 1) == '2') && at(m_pos + 2) == ']') {
            m_pos += 3;
            return true;
        }
        return false;
    }

    bool utf8Run()
    {
        qsizetype end = m_in.indexOf(char(kEsc), m_pos);
        if (end < 0)
            end = m_in.size();
        const std::optional<QString> text = strictUtf8(m_in.sliced(m_pos, end - m_pos).toByteArray());
        if (!text)
            return false;
        m_out.append(*text);
        m_pos = end;
        return true;
    }

    bool graphicRun(bool right)
    {
        qsizetype end = m_pos;
        while (end < m_in.size()) {
            const uchar c = at(end);
            if (right ? c < 0xa0 : (c <= 0x20 || c >= 0x7f))
                break;
            ++end;
        }
        const QByteArrayView run = m_in.sliced(m_pos, end - m_pos);
        m_pos = end;
        const Charset& set = right ? m_gr : m_gl;
        // Positions 0xA0 and 0xFF are outside a 94-character set.
        if (right && !set.ninetySix && (run.contains(char(0xa0)) || run.contains(char(0xff))))
            return false;
        switch (set.kind) {
        case Charset::Kind::Ascii:
        case Charset::Kind::Latin1:
            m_out.append(QString::fromLatin1(run));
            return true;
        case Charset::Kind::JisRoman:
            for (const char c : run)
                m_out.append(c == '\\' ? QChar(0x00a5) : c == '~' ? QChar(0x203e) : QChar(uchar(c)));
            return true;
        case Charset::Kind::Katakana:
            for (const char c : run) {
                if (uchar(c) > 0xdf)
                    return false;
                m_out.append(QChar(0xff61 + uchar(c) - 0xa1));
            }
            return true;
        case Charset::Kind::Iso8859:
            return appendConverted(set.code, run);
        case Charset::Kind::DoubleByte: {
            if (run.size() % 2 != 0)
                return false;
            QByteArray euc;
            euc.reserve(run.size() / 2 * (set.eucPrefix ? 3 : 2));
            for (qsizetype i = 0; i < run.size(); i += 2) {
                if (set.eucPrefix)
                    euc.append(set.eucPrefix);
                euc.append(char(run[i] | 0x80));
                euc.append(char(run[i + 1] | 0x80));
            }
            return appendConverted(set.code, euc);
        }
        }
        return false;
    }

    bool appendConverted(const char* code, QByteArrayView bytes)
    {
        const std::optional<QString> text = viaIconv(code, bytes);
        if (!text)
            return false;
        m_out.append(*text);
        return true;
    }

    QByteArrayView m_in;
    qsizetype m_pos = 0;
    QString m_out;
    Charset m_gl{Charset::Kind::Ascii};
    Charset m_gr{Charset::Kind::Latin1, nullptr, true};
    bool m_utf8 = false;
};

} // namespace

std::optional<QString> decodeSelectionText(TextEncoding encoding, QByteArray bytes)
{
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    switch (encoding) {
    case TextEncoding::Utf8:
        return strictUtf8(std::move(bytes));
    case TextEncoding::Latin1:
        return QString::fromLatin1(bytes);
    case TextEncoding::CompoundText:
        return CompoundTextReader(bytes).read();
    }
    return std::nullopt;
}

} // namespace platform::x11
