// Reading and rewriting the sectioned settings file; number forms of its values.
#include "settings/IniFile.h"

#include <QStringDecoder>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {
QString Folded(const QString &name) { return name.trimmed().toCaseFolded(); }

bool IsQuote(QChar c) { return c == QLatin1Char('"') || c == QLatin1Char('\''); }

bool IsBlank(const QByteArray &line)
{
    for (char c : line)
        if (c != ' ' && c != '\t')
            return false;
    return true;
}

// The file form of a value: one line, and quoted where reading would
// otherwise trim it or take its own quotes away.
QByteArray EncodeValue(const QString &value)
{
    QString v = value;
    for (qsizetype i = 0; i < v.size(); ++i)
        if (v[i] == QLatin1Char('\r') || v[i] == QLatin1Char('\n')) {
            v.truncate(i);
            break;
        }
    const bool quoted = v != v.trimmed() || (v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front());
    if (quoted)
        v = QLatin1Char('"') + v + QLatin1Char('"');
    return v.toUtf8();
}

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}
} // namespace

void IniFile::parse(const QByteArray &data)
{
    m_preamble.clear();
    m_sections.clear();
    m_index.clear();

    QByteArray text = data;
    if (text.startsWith("\xFF\xFE") || text.startsWith("\xFE\xFF")) {
        // Notepad's "Unicode" files; they are rewritten as UTF-8.
        QStringDecoder decode(text.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                              QStringConverter::Flag::Stateless);
        text = QString(decode(QByteArrayView(text).sliced(2))).toUtf8();
    }
    // Byte-order marks (and stray ones after them) are dropped, so a
    // rewritten file never starts with one and reads the same next time.
    qsizetype start = 0;
    for (;;) {
        const QByteArrayView rest = QByteArrayView(text).sliced(start);
        if (rest.startsWith("\xEF\xBB\xBF"))
            start += 3;
        else if (rest.startsWith("\xFF\xFE") || rest.startsWith("\xFE\xFF"))
            start += 2;
        else
            break;
    }
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        QByteArray line = text.mid(start, end - start);
        start = end + 1;
        while (line.endsWith('\r'))
            line.chop(1);

        const QString trimmed = QString::fromUtf8(line).trimmed();
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (trimmed.startsWith(QLatin1Char('[')) && close > 0) {
            const QString name = Folded(trimmed.mid(1, close - 1));
            if (!m_index.contains(name)) // the first of duplicate sections counts
                m_index.insert(name, qsizetype(m_sections.size()));
            m_sections.push_back(Section{line, {}, {}});
            continue;
        }
        if (m_sections.empty())
            m_preamble.append(line);
        else
            appendLine(m_sections.back(), line);
    }
}

void IniFile::appendLine(Section &section, const QByteArray &text)
{
    Line l{text, QString(), -1};
    const qsizetype eq = text.indexOf('=');
    if (eq > 0 && !QString::fromUtf8(text).trimmed().startsWith(QLatin1Char(';'))) {
        const QString key = Folded(QString::fromUtf8(text.left(eq)));
        if (!key.isEmpty()) {
            l.key = key;
            l.eq = eq;
            if (!section.keys.contains(key))
                section.keys.insert(key, section.lines.size());
        }
    }
    section.lines.append(l);
}

QByteArray IniFile::toByteArray(const QByteArray &eol) const
{
    QByteArray out;
    for (const QByteArray &line : m_preamble)
        out += line + eol;
    for (const Section &s : m_sections) {
        out += s.header + eol;
        for (const Line &l : s.lines)
            out += l.text + eol;
    }
    return out;
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const
{
    const auto s = m_index.constFind(Folded(section));
    if (s == m_index.cend())
        return std::nullopt;
    const Section &sec = m_sections[size_t(*s)];
    const auto k = sec.keys.constFind(Folded(key));
    if (k == sec.keys.cend())
        return std::nullopt;
    const Line &l = sec.lines[*k];
    QString v = QString::fromUtf8(l.text.mid(l.eq + 1)).trimmed();
    if (v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return v;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = Folded(section);
    auto s = m_index.constFind(sectionName);
    if (s == m_index.cend()) {
        m_sections.push_back(Section{'[' + section.toUtf8() + ']', {}, {}});
        s = m_index.insert(sectionName, qsizetype(m_sections.size()) - 1);
    }
    Section &sec = m_sections[size_t(*s)];
    const QByteArray encoded = EncodeValue(value);
    const QString keyName = Folded(key);
    if (const auto k = sec.keys.constFind(keyName); k != sec.keys.cend()) {
        // The key and the spacing around "=" stay as they were.
        Line &l = sec.lines[*k];
        qsizetype from = l.eq + 1;
        while (from < l.text.size() && (l.text[from] == ' ' || l.text[from] == '\t'))
            ++from;
        l.text = l.text.left(from) + encoded;
        return;
    }
    // After the section's last non-blank line, so blank lines that part it
    // from the next section stay where they are. Only blank lines move, so
    // the key positions already recorded stay valid.
    qsizetype at = sec.lines.size();
    while (at > 0 && IsBlank(sec.lines[at - 1].text))
        --at;
    const QByteArray name = key.toUtf8();
    sec.lines.insert(at, Line{name + '=' + encoded, keyName, name.size()});
    sec.keys.insert(keyName, at);
}

QString IniFile::readString(const QString &section, const QString &key, const QString &def) const
{
    const auto v = value(section, key);
    return v ? v->left(MaxStringLength) : def;
}

int IniFile::readInteger(const QString &section, const QString &key, int def) const
{
    const auto v = value(section, key);
    if (!v)
        return def;
    return parseInteger(*v).value_or(def);
}

bool IniFile::readBool(const QString &section, const QString &key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

Single IniFile::readSingle(const QString &section, const QString &key, Single def) const
{
    const auto v = value(section, key);
    if (!v)
        return def;
    return parseSingle(*v).value_or(def);
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    setValue(section, key, value);
}

void IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    setValue(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    setValue(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::writeSingle(const QString &section, const QString &key, Single value)
{
    setValue(section, key, formatSingle(value));
}

std::optional<int> IniFile::parseInteger(const QString &text)
{
    QStringView t = QStringView(text).trimmed();
    bool negative = false;
    if (!t.isEmpty() && (t.front() == QLatin1Char('-') || t.front() == QLatin1Char('+'))) {
        negative = t.front() == QLatin1Char('-');
        t = t.mid(1);
    }
    int base = 10;
    if (t.startsWith(QLatin1Char('$'))) {
        base = 16;
        t = t.mid(1);
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t = t.mid(2);
    }
    if (t.isEmpty())
        return std::nullopt;
    // Hex spells any 32-bit pattern ($FFFFFFFF is -1); decimal must fit an Integer.
    const quint64 limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    quint64 v = 0;
    for (QChar c : t) {
        const int d = HexDigit(c);
        if (d < 0 || d >= base)
            return std::nullopt;
        v = v * quint64(base) + quint64(d);
        if (v > limit)
            return std::nullopt;
    }
    const quint32 bits = negative ? 0u - quint32(v) : quint32(v);
    return static_cast<qint32>(bits);
}

std::optional<Single> IniFile::parseSingle(const QString &text)
{
    QString t = text.trimmed();
    if (t.startsWith(QLatin1Char('+')))
        t.remove(0, 1);
    // Files written where the decimal separator is a comma hold "2,5".
    if (!t.contains(QLatin1Char('.')) && t.count(QLatin1Char(',')) == 1)
        t.replace(QLatin1Char(','), QLatin1Char('.'));
    std::string s;
    s.reserve(size_t(t.size()));
    for (QChar c : t) {
        const char16_t u = c.unicode();
        // Digits, sign, point and exponent only: no "inf", "nan" or hex forms.
        if (!((u >= '0' && u <= '9') || u == '-' || u == '+' || u == '.' || u == 'e' || u == 'E'))
            return std::nullopt;
        s.push_back(char(u));
    }
    if (s.empty())
        return std::nullopt;
    float v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

QString IniFile::formatSingle(Single v)
{
    // Fixed notation keeps exponents out of the file; the shortest form that
    // reads back exactly writes 8 as "8" and 2.5 as "2.5", never "2.4999...".
    char buf[128];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    if (ec != std::errc())
        return QStringLiteral("0");
    return QString::fromLatin1(buf, end - buf);
}
