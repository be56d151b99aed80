// tw-artwork OUTPUT_FOLDER [--sheets FOLDER]: draws every picture stored with
// the program and writes it as NAME.png, and drawn again for high-density
// screens as NAME@1.25x.png, NAME@1.5x.png and NAME@2x.png; --sheets also
// writes contact sheets.
#include "Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>

using namespace artwork;

namespace {
struct Density {
    double scale;
    const char *suffix;
};
// The device pixel ratios desktops offer most; the program picks the nearest
// one at or above its screen's.
constexpr Density Densities[] = {{1.0, ""}, {1.25, "@1.25x"}, {1.5, "@1.5x"}, {2.0, "@2x"}};
} // namespace

static bool WritePng(const QImage &img, const QString &path, QString *error)
{
    // QSaveFile writes beside the target and renames, so a failed run leaves the old picture.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !img.save(&file, "PNG") || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    QString out, sheets;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--sheets") && i + 1 < args.size())
            sheets = args[++i];
        else if (out.isEmpty() && !args[i].startsWith(QLatin1Char('-')))
            out = args[i];
        else {
            out.clear();
            break;
        }
    }
    if (out.isEmpty()) {
        err << "usage: tw-artwork OUTPUT_FOLDER [--sheets FOLDER]\n";
        return 2;
    }
    if (!QDir().mkpath(out)) {
        err << "cannot create " << out << "\n";
        return 1;
    }
    QList<Picture> all = TileIcons();
    all += Cursors();
    all += OtherPictures();
    int failed = 0, written = 0;
    for (const Picture &pic : all) {
        for (const Density &d : Densities) {
            // The package's large icon is never shown by the program itself.
            if (d.scale != 1.0 && pic.name == QLatin1String("APP_256"))
                continue;
            // Drawn at the scale, not enlarged: lines and edges stay as crisp as at 1x.
            QImage img = Render(pic, d.scale).convertToFormat(QImage::Format_ARGB32);
            const QString name = pic.name + QLatin1String(d.suffix) + QStringLiteral(".png");
            QString error;
            if (!WritePng(img, QDir(out).filePath(name), &error)) {
                err << name << ": " << error << "\n";
                ++failed;
            } else {
                ++written;
            }
        }
    }
    if (!sheets.isEmpty())
        WriteSheets(sheets);
    QTextStream(stdout) << written << " pictures written to " << out << "\n";
    return failed ? 1 : 0;
}
