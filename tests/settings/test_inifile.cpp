// The settings file format: number forms, lookup rules of the profile-file
// kind (case, duplicates, spacing, line ends, marks) and rewriting that keeps
// every line the program does not write.
#include "settings/IniFile.h"

#include <QRandomGenerator>
#include <QtTest>
#include <cfloat>
#include <cstring>

Q_DECLARE_METATYPE(std::optional<int>)
Q_DECLARE_METATYPE(std::optional<Single>)

namespace {
IniFile Parsed(const QByteArray &text)
{
    IniFile ini;
    ini.parse(text);
    return ini;
}

quint32 Bits(float f)
{
    quint32 b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}
} // namespace

class TestIniFile : public QObject
{
    Q_OBJECT
private slots:
    void integers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<int>>("expected");
        const std::optional<int> none;
        QTest::newRow("decimal") << "42" << std::optional<int>(42);
        QTest::newRow("negative") << "-5" << std::optional<int>(-5);
        QTest::newRow("plus") << "+7" << std::optional<int>(7);
        QTest::newRow("spaces") << " 12 " << std::optional<int>(12);
        QTest::newRow("dollar hex") << "$0000FF" << std::optional<int>(255);
        QTest::newRow("dollar lower") << "$ff" << std::optional<int>(255);
        QTest::newRow("0x hex") << "0x0000FF" << std::optional<int>(255);
        QTest::newRow("0X hex") << "0XfF" << std::optional<int>(255);
        QTest::newRow("hex all bits") << "$FFFFFFFF" << std::optional<int>(-1);
        QTest::newRow("negative hex") << "-$10" << std::optional<int>(-16);
        QTest::newRow("int max") << "2147483647" << std::optional<int>(2147483647);
        QTest::newRow("int min") << "-2147483648" << std::optional<int>(-2147483647 - 1);
        QTest::newRow("decimal overflow") << "2147483648" << none;
        QTest::newRow("hex overflow") << "0x100000000" << none;
        QTest::newRow("long digits") << QString(5000, QLatin1Char('9')) << none;
        QTest::newRow("empty") << "" << none;
        QTest::newRow("prefix only") << "0x" << none;
        QTest::newRow("dollar only") << "$" << none;
        QTest::newRow("sign only") << "-" << none;
        QTest::newRow("trailing text") << "12a" << none;
        QTest::newRow("hex digit in decimal") << "1F" << none;
        QTest::newRow("fraction") << "1.5" << none;
        QTest::newRow("word") << "true" << none;
        QTest::newRow("full-width digit") << QStringLiteral("\uFF11") << none;
    }
    void integers()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<int>, expected);
        QCOMPARE(IniFile::parseInteger(text), expected);
        QCOMPARE(Parsed("[S]\nk=" + text.toUtf8() + "\n").readInteger(QStringLiteral("S"), QStringLiteral("k"), -99),
                 expected.value_or(-99));
    }

    void singles_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<Single>>("expected");
        const std::optional<Single> none;
        QTest::newRow("integral") << "8" << std::optional<Single>(8);
        QTest::newRow("half") << "2.5" << std::optional<Single>(2.5f);
        QTest::newRow("tenth") << "0.1" << std::optional<Single>(0.1f);
        QTest::newRow("comma") << "2,5" << std::optional<Single>(2.5f);
        QTest::newRow("exponent") << "1E3" << std::optional<Single>(1000);
        QTest::newRow("negative") << "-0.5" << std::optional<Single>(-0.5f);
        QTest::newRow("plus") << "+3" << std::optional<Single>(3);
        QTest::newRow("leading point") << ".25" << std::optional<Single>(0.25f);
        QTest::newRow("too big for Single") << "1e39" << none;
        QTest::newRow("inf") << "inf" << none;
        QTest::newRow("nan") << "nan" << none;
        QTest::newRow("two points") << "1.2.3" << none;
        QTest::newRow("point and comma") << "1,000.5" << none;
        QTest::newRow("hex") << "0x10" << none;
        QTest::newRow("word") << "thick" << none;
        QTest::newRow("empty") << "" << none;
    }
    void singles()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<Single>, expected);
        QCOMPARE(IniFile::parseSingle(text), expected);
    }

    // Every Single comes back bit for bit from its text, which never uses an
    // exponent; integral values carry no fraction.
    void singleTextReadsBackExactly()
    {
        QCOMPARE(IniFile::formatSingle(8), QStringLiteral("8"));
        QCOMPARE(IniFile::formatSingle(2.5f), QStringLiteral("2.5"));
        QCOMPARE(IniFile::formatSingle(0.1f), QStringLiteral("0.1"));
        QCOMPARE(IniFile::formatSingle(-40), QStringLiteral("-40"));
        QList<float> values = {FLT_MAX, -FLT_MAX, FLT_MIN, FLT_TRUE_MIN, 1e-7f, 123456789.f, 16777217.f, 0.f, -0.f};
        QRandomGenerator rng(20240607);
        while (values.size() < 20000) {
            const quint32 b = rng.generate();
            float f;
            std::memcpy(&f, &b, sizeof f);
            if (std::isfinite(f))
                values << f;
        }
        for (float v : values) {
            const QString text = IniFile::formatSingle(v);
            QVERIFY2(!text.contains(QLatin1Char('e')), qPrintable(text));
            const auto back = IniFile::parseSingle(text);
            QVERIFY2(back && Bits(*back) == Bits(v), qPrintable(text));
        }
    }

    void lookup_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected"); // a null string: the key is absent

        const QByteArray f = "; comment=1\r\n"
                             "loose=before any section\r\n"
                             "[ Setup ]\r\n"
                             "  ISMAXIMIZED = 1 \r\n"
                             "no equals sign here\r\n"
                             "Path=\"  spaced  \"\r\n"
                             "Single='x'\r\n"
                             "Lone=\"\r\n"
                             "Empty=\r\n"
                             "Twice=first\r\n"
                             "twice=second\r\n"
                             "Eq=a=b\r\n"
                             ";Hidden=1\r\n"
                             "[Menu]\r\n"
                             "Count=3\r\n"
                             "[setup]\r\n"
                             "Later=ignored\r\n"
                             "isMaximized=0\r\n"
                             "[Tab\t]\n"
                             "k\t=\tv\n"
                             "Last=no newline";
        QTest::newRow("case and spaces") << f << "setup"
                                         << "isMaximized"
                                         << "1";
        QTest::newRow("section with spaces") << f << "SETUP"
                                             << "ismaximized"
                                             << "1";
        QTest::newRow("quotes keep spaces") << f << "Setup"
                                            << "Path"
                                            << "  spaced  ";
        QTest::newRow("single quotes") << f << "Setup"
                                       << "Single"
                                       << "x";
        QTest::newRow("lone quote") << f << "Setup"
                                    << "Lone"
                                    << "\"";
        QTest::newRow("empty value") << f << "Setup"
                                     << "Empty"
                                     << "";
        QTest::newRow("first key counts") << f << "Setup"
                                          << "Twice"
                                          << "first";
        QTest::newRow("value holds =") << f << "Setup"
                                       << "Eq"
                                       << "a=b";
        QTest::newRow("first section counts") << f << "Setup"
                                              << "Later" << QString();
        QTest::newRow("comment") << f << "Setup"
                                 << ";Hidden" << QString();
        QTest::newRow("line without =") << f << "Setup"
                                        << "no equals sign here" << QString();
        QTest::newRow("before sections") << f << ""
                                         << "loose" << QString();
        QTest::newRow("other section") << f << "menu"
                                       << "COUNT"
                                       << "3";
        QTest::newRow("key of other section") << f << "Menu"
                                              << "isMaximized" << QString();
        QTest::newRow("tabs") << f << "Tab"
                              << "K"
                              << "v";
        QTest::newRow("last line") << f << "tab"
                                   << "last"
                                   << "no newline";
        QTest::newRow("missing section") << f << "Pen"
                                         << "isSmoothing" << QString();
        QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBF[Pen]\nisSmoothing=0\n") << "Pen"
                                    << "isSmoothing"
                                    << "0";
        const QString jp = QStringLiteral("\u65E5\u672C\u8A9E");
        QTest::newRow("utf-8 text") << QByteArray("[PenOrder]\nNumFont=" + jp.toUtf8() + "\n") << "PenOrder"
                                    << "NumFont" << jp;
        QByteArray utf16("\xFF\xFE");
        const QString u16 = QStringLiteral("[PenOrder]\r\nBkFont=") + jp + QStringLiteral("\r\n");
        utf16.append(reinterpret_cast<const char *>(u16.utf16()), u16.size() * 2);
        QTest::newRow("utf-16 with mark") << utf16 << "penorder"
                                          << "bkfont" << jp;
        static const char nul[] = "[S]\nk=a\0b\n\0\0=\n";
        QTest::newRow("nul bytes") << QByteArray(nul, sizeof nul - 1) << "S"
                                   << "k" << QString::fromLatin1("a\0b", 3);
    }
    void lookup()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const auto v = Parsed(file).value(section, key);
        QCOMPARE(v.has_value(), !expected.isNull());
        if (v)
            QCOMPARE(*v, expected);
    }

    void stringsAreCut()
    {
        const QByteArray big(3 * 1024 * 1024, 'x');
        const IniFile ini = Parsed("[S]\nk=" + big + "\n");
        QCOMPARE(ini.readString(QStringLiteral("S"), QStringLiteral("k"), QString()).size(), 2047);
        QCOMPARE(ini.readInteger(QStringLiteral("S"), QStringLiteral("k"), 5), 5);
    }

    // Values that reading would trim or unquote travel in quotes; a value
    // cannot start a new line of the file.
    void valuesSurviveTheFile_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "/home/u/Pictures/"
                               << "/home/u/Pictures/";
        QTest::newRow("leading space") << " lead"
                                       << " lead";
        QTest::newRow("trailing tab") << "trail\t"
                                      << "trail\t";
        QTest::newRow("in quotes") << "\"q\""
                                   << "\"q\"";
        QTest::newRow("in single quotes") << "'q'"
                                          << "'q'";
        QTest::newRow("one quote") << "\""
                                   << "\"";
        QTest::newRow("equals and brackets") << "[a]=b"
                                             << "[a]=b";
        QTest::newRow("japanese") << QStringLiteral("\u30D5\u30A9\u30F3\u30C8")
                                  << QStringLiteral("\u30D5\u30A9\u30F3\u30C8");
        QTest::newRow("line feed") << "first\n[Menu]\nCount=0"
                                   << "first";
        QTest::newRow("carriage return") << "a\rb"
                                         << "a";
        QTest::newRow("empty") << ""
                               << "";
    }
    void valuesSurviveTheFile()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        IniFile ini;
        ini.writeString(QStringLiteral("Setup"), QStringLiteral("Value"), value);
        ini.writeInteger(QStringLiteral("Menu"), QStringLiteral("Count"), 7);
        const IniFile back = Parsed(ini.toByteArray("\n"));
        QCOMPARE(back.value(QStringLiteral("Setup"), QStringLiteral("Value")), std::optional<QString>(expected));
        QCOMPARE(back.readInteger(QStringLiteral("Menu"), QStringLiteral("Count"), -1), 7);
    }

    // In-place rewriting: known keys change where they stand, new keys end
    // their (first) section, new sections end the file, and everything else
    // stays, byte for byte and in order. CR LF becomes the platform's "\n".
    void rewriteKeepsTheRest()
    {
        IniFile ini;
        ini.parse("; settings of a classroom PC\r\n"
                  "[Setup]\r\n"
                  "ImageTypeDefault = 3\r\n"
                  "Unknown=keep me\r\n"
                  "\r\n"
                  "[Extra]\r\n"
                  "Foreign=1\r\n"
                  "; trailing comment\r\n"
                  "\r\n"
                  "[SETUP]\r\n"
                  "ImageTypeDefault=9\r\n"
                  "[Menu]\r\n"
                  "Count=2\r\n"
                  "PenType0=pwPn\r\n"
                  "PenType0=pwMk\r\n"
                  "PenType5=pwOpen\r\n"
                  "\xff\xfe binary \x01 line\r\n");
        ini.writeInteger(QStringLiteral("setup"), QStringLiteral("imagetypedefault"), 2);
        ini.writeString(QStringLiteral("Setup"), QStringLiteral("ImagePathDefault"), QStringLiteral("/tmp/"));
        ini.writeString(QStringLiteral("Extra"), QStringLiteral("New"), QStringLiteral("x"));
        ini.writeInteger(QStringLiteral("Menu"), QStringLiteral("Count"), 1);
        ini.writeString(QStringLiteral("Menu"), QStringLiteral("PenType0"), QStringLiteral("pwUndo"));
        ini.writeString(QStringLiteral("Menu"), QStringLiteral("PenType1"), QStringLiteral("pwRedo"));
        ini.writeInteger(QStringLiteral("PenSetup"), QStringLiteral("Thickness0"), 2);
        ini.writeInteger(QStringLiteral("PenSetup"), QStringLiteral("Thickness1"), 10);
        const QByteArray expected = "; settings of a classroom PC\n"
                                    "[Setup]\n"
                                    "ImageTypeDefault = 2\n"
                                    "Unknown=keep me\n"
                                    "ImagePathDefault=/tmp/\n"
                                    "\n"
                                    "[Extra]\n"
                                    "Foreign=1\n"
                                    "; trailing comment\n"
                                    "New=x\n"
                                    "\n"
                                    "[SETUP]\n"
                                    "ImageTypeDefault=9\n"
                                    "[Menu]\n"
                                    "Count=1\n"
                                    "PenType0=pwUndo\n"
                                    "PenType0=pwMk\n"
                                    "PenType5=pwOpen\n"
                                    "\xff\xfe binary \x01 line\n"
                                    "PenType1=pwRedo\n"
                                    "[PenSetup]\n"
                                    "Thickness0=2\n"
                                    "Thickness1=10\n";
        QCOMPARE(ini.toByteArray("\n"), expected);
        // A second round changes nothing more.
        IniFile again = Parsed(expected);
        again.writeInteger(QStringLiteral("Setup"), QStringLiteral("ImageTypeDefault"), 2);
        QCOMPARE(again.toByteArray("\n"), expected);
    }

    // Whatever the bytes, parsing does not crash, and what is written once
    // comes back unchanged from a second round.
    void garbageIsStable()
    {
        QRandomGenerator rng(7);
        for (int round = 0; round < 200; ++round) {
            QByteArray data(int(rng.bounded(1, 600)), Qt::Uninitialized);
            const char alphabet[] = "[]=;\r\n \t\"'$0xAbc\0\xff\xfe\xef\xbb\xbf";
            for (char &c : data)
                c = rng.bounded(4) == 0 ? char(rng.bounded(256)) : alphabet[rng.bounded(int(sizeof alphabet) - 1)];
            IniFile ini = Parsed(data);
            ini.writeString(QStringLiteral("Menu"), QStringLiteral("PenType0"), QStringLiteral("pwPn"));
            const QByteArray once = ini.toByteArray("\n");
            const IniFile back = Parsed(once);
            QCOMPARE(back.value(QStringLiteral("menu"), QStringLiteral("pentype0")),
                     std::optional<QString>(QStringLiteral("pwPn")));
            QCOMPARE(back.toByteArray("\n"), once);
        }
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "test_inifile.moc"
