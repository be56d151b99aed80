// The record codec: every kind of record comes back bit for bit, and bytes
// that are not a record are refused with a reason, before any allocation.
#include "store/HistoryCodec.h"

#include "StoreSamples.h"

namespace {
TPWRec Stroke(std::initializer_list<QPointF> pts, TPWPenType type = pwPn)
{
    TPWRec r;
    r.Menu = MakeMenuItem(type, 0xFF00FF00, 2.5f);
    r.Points = TPolygon(pts);
    return r;
}

// version, flags (smoothing), pen, dash, colour, thickness 1.0f, no lines, no font
QByteArray Head(char flags = 4)
{
    return QByteArray::fromHex("01") + QByteArray(1, flags) + QByteArray::fromHex("0100ff00ff000000803f0000");
}
} // namespace

class TestCodec : public QObject
{
    Q_OBJECT
private slots:
    void roundTrips()
    {
        const TPWRecArray mixed = MixedHistory();
        std::vector<TPWRec> cases(mixed.Rec.begin(), mixed.Rec.begin() + mixed.c + 1);
        cases.push_back(Stroke({{0.1, 0.2}, {1e300, -3}})); // not floats: kept as float64
        cases.push_back(Stroke({{-0.0, 0.0}, {-1e30f, 3.4e38f}, {1e-45f, 7}}));
        cases.push_back(Stroke({}, pwApp));
        TPWRec pan = Stroke({{1, 1}}, pwMoveV);
        pan.Menu.PenThickness = -250;
        pan.Style.NumberFont = QStringLiteral("游ゴシック Medium");
        cases.push_back(pan);
        TPWRec pressed = Stroke({{10, 10}, {20, 12}, {30, 15}}, pwFuPn);
        pressed.Pressure = {0, 32768, PressureFull};
        cases.push_back(pressed);
        TPWRec moved = Stroke({{1.5, 2}}, pwMk); // a dot of pressure, its points not floats
        moved.Points[0].rx() = 0.1;
        moved.Pressure = {4095};
        cases.push_back(moved);
        for (size_t i = 0; i < cases.size(); ++i) {
            const QByteArray bytes = EncodeRecord(cases[i]);
            TPWRec back;
            QString why;
            QVERIFY2(DecodeRecord(bytes, back, &why), qPrintable(QString::number(i) + QLatin1Char(' ') + why));
            QVERIFY2(SameBits(back, cases[i]), qPrintable(QString::number(i)));
        }
        // The board's points are floats: fewer than eight bytes a point.
        TPWRecArray h;
        h.RecAddLine(MakeMenuItem(pwPn, 1, 1), Walk(200, 1234.567f, 987.25f));
        QVERIFY(EncodeRecord(h.Rec[0]).size() < 200 * 8);
        // A stroke without pressure is written as before pressure was kept:
        // the flags hold only the smoothing bit here.
        QCOMPARE(EncodeRecord(h.Rec[0]).at(1), char(4));
    }

    void refusesWhatIsNotARecord()
    {
        const QByteArray good = EncodeRecord(MixedHistory().Rec[1]);
        const QByteArray point = QByteArray::fromHex("01") + QByteArray::fromHex("0000803f0000803f"); // not varints
        const struct {
            const char *name;
            QByteArray bytes;
        } cases[] = {
            {"empty", {}},
            {"another version", QByteArray::fromHex("02") + Head().mid(1) + QByteArray(1, 0)},
            {"unknown flag", Head(char(0x44)) + QByteArray(1, 0)},
            {"unknown pen kind", Head().left(2) + QByteArray(1, char(PenTypeCount)) + Head().mid(3) + QByteArray(1, 0)},
            {"unknown dash", Head().left(3) + QByteArray::fromHex("06") + Head().mid(4) + QByteArray(1, 0)},
            {"thickness not finite",
             Head().left(8) + QByteArray::fromHex("0000c07f") + Head().mid(12) + QByteArray(1, 0)},
            {"matrix not finite",
             Head(5).left(12) + QByteArray(32, 0) + QByteArray::fromHex("000080ff") + Head().mid(12)},
            {"point count beyond the bytes", Head() + QByteArray::fromHex("ffffffff0f")},
            {"point count of a huge varint", Head() + QByteArray::fromHex("ffffffffff")},
            {"line index negative", Head().left(12) + QByteArray::fromHex("01ffffffff0f0000")},
            {"font too long", Head().left(13) + QByteArray::fromHex("8102") + QByteArray(257, 'a') + QByteArray(1, 0)},
            {"font not UTF-8", Head().left(13) + QByteArray::fromHex("02c328") + QByteArray(1, 0)},
            {"point not finite", Head() + QByteArray::fromHex("01") + QByteArray::fromHex("808080fc0700")},
            {"double point not finite",
             Head(6) + QByteArray::fromHex("01") + QByteArray(8, 0) + QByteArray::fromHex("000000000000f07f")},
            {"bytes past the end", good + QByteArray(1, 0)},
            {"raw floats as points", Head() + point},
            {"pressure cut short", Head(char(12))
                                       + QByteArray::fromHex("0200000000"
                                                             "ffff")},
            {"pressure without points", Head(char(12)) + QByteArray::fromHex("00")},
        };
        for (const auto &c : cases) {
            TPWRec rec = Stroke({{9, 9}});
            QString why;
            QVERIFY2(!DecodeRecord(c.bytes, rec, &why), c.name);
            QVERIFY2(!why.isEmpty(), c.name);
            QCOMPARE(rec.Points.size(), 1); // left as it was
        }
        // Every truncation of a real record is refused.
        for (int n = 0; n < good.size(); ++n) {
            TPWRec rec;
            QVERIFY2(!DecodeRecord(good.left(n), rec), qPrintable(QString::number(n)));
        }
    }
};

QTEST_APPLESS_MAIN(TestCodec)
#include "test_codec.moc"
