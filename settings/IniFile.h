// A sectioned "key=value" settings file held in memory, read and rewritten
// the way the Windows profile functions treat it: names without regard to
// case, the first of duplicate sections and keys counts, and every line the
// program does not write survives a save unchanged and in its place.
#pragma once

#include "platform/Types.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>
#include <vector>

class IniFile
{
public:
    // Longest string value handed out; longer ones are cut.
    static constexpr int MaxStringLength = 2047;

    // Replaces the content with the file text in data: UTF-8 (with or without a
    // byte-order mark) or UTF-16 with its mark; LF or CR LF line ends.
    void parse(const QByteArray &data);
    // The whole file, UTF-8, each line ended with eol.
    QByteArray toByteArray(const QByteArray &eol) const;

    // The value of the first key of that name in the first section of that
    // name, trimmed of white space and of one pair of enclosing quotes.
    std::optional<QString> value(const QString &section, const QString &key) const;
    // Rewrites the value of an existing key in place; a new key goes after the
    // last line of its section, a new section to the end of the file. A value
    // can hold no line break: it is cut before the first one.
    void setValue(const QString &section, const QString &key, const QString &value);

    // Typed reads: a missing key or a text that does not convert gives def.
    QString readString(const QString &section, const QString &key, const QString &def) const;
    int readInteger(const QString &section, const QString &key, int def) const;
    bool readBool(const QString &section, const QString &key, bool def) const;
    Single readSingle(const QString &section, const QString &key, Single def) const;

    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);
    void writeSingle(const QString &section, const QString &key, Single value);

    // Decimal, "$" hex or "0x" hex (hex up to 32 bits, taken as two's complement).
    static std::optional<int> parseInteger(const QString &text);
    // A finite decimal number that fits a Single; "." or a lone "," separates the fraction.
    static std::optional<Single> parseSingle(const QString &text);
    // The shortest plain decimal text that reads back to exactly v ("8", "2.5").
    static QString formatSingle(Single v);

private:
    struct Line {
        QByteArray text; // as in the file, without its line end
        QString key; // case-folded key name; empty when the line holds no key
        qsizetype eq = -1; // position of "=" in text
    };
    struct Section {
        QByteArray header; // the "[name]" line as in the file
        QList<Line> lines;
        QHash<QString, qsizetype> keys; // first line of each case-folded key
    };

    void appendLine(Section &section, const QByteArray &text);

    QList<QByteArray> m_preamble; // lines before the first section header
    std::vector<Section> m_sections;
    QHash<QString, qsizetype> m_index; // first section of each case-folded name
};
