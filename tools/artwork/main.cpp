// tw-artwork OUTPUT_FOLDER [--sheets FOLDER]: draws every picture stored with
// the program and writes it as NAME.png; --sheets also writes contact sheets.
#include "Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>

using namespace artwork;

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
    int failed = 0;
    for (const Picture &pic : all) {
        QImage img = Render(pic).convertToFormat(QImage::Format_ARGB32);
        QString error;
        if (!WritePng(img, QDir(out).filePath(pic.name + QStringLiteral(".png")), &error)) {
            err << pic.name << ": " << error << "\n";
            ++failed;
        }
    }
    if (!sheets.isEmpty())
        WriteSheets(sheets);
    QTextStream(stdout) << all.size() - failed << " pictures written to " << out << "\n";
    return failed ? 1 : 0;
}
