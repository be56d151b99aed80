// imgtool: converts a picture file to another kind by extension through
// TFMXBitmapEx, or prints a picture's size and TGA author.
//   imgtool [--no-alpha] [--author NAME] [--quality N] IN OUT
//   imgtool --layer OVER IN OUT.psd    (a two-layer document: IN, then OVER)
//   imgtool --info FILE
#include "imagefiles/FMXBitmapEx.h"
#include "imagefiles/FMXPSD.h"
#include "platform/Errors.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

int Usage()
{
    std::fputs("usage: imgtool [--no-alpha] [--author NAME] [--quality N] IN OUT\n"
               "       imgtool --layer OVER IN OUT.psd\n"
               "       imgtool --info FILE\n"
               "Converts IN to OUT by their extensions (.jpg .jpeg .png .bmp .tga .psd).\n"
               "  --no-alpha     write TGA files as 24-bit run-length encoded pictures\n"
               "  --author NAME  author name stored in TGA files\n"
               "  --quality N    JPEG quality 0..100\n"
               "  --layer OVER   write a two-layer PSD document: IN below, OVER above\n",
               stderr);
    return 2;
}

void PrintError(const QString &text)
{
    std::fprintf(stderr, "imgtool: %s\n", text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    bool info = false, noAlpha = false;
    QString author, quality, layer;
    bool authorSet = false;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--info")) {
            info = true;
        } else if (a == QLatin1String("--no-alpha")) {
            noAlpha = true;
        } else if (a == QLatin1String("--author") && i + 1 < args.size()) {
            author = args[++i];
            authorSet = true;
        } else if (a == QLatin1String("--layer") && i + 1 < args.size()) {
            layer = args[++i];
        } else if (a == QLatin1String("--quality") && i + 1 < args.size()) {
            quality = args[++i];
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            Usage();
            return 0;
        } else if (a.startsWith(QLatin1String("--"))) {
            PrintError(QStringLiteral("unknown option %1").arg(a));
            return Usage();
        } else {
            files << a;
        }
    }
    if (files.size() != (info ? 1 : 2))
        return Usage();

    try {
        TFMXBitmapEx bmp;
        bmp.LoadFromFileEx(files[0], 0);
        if (info) {
            const bool tga = ImageFileKindOf(files[0]) == ImageFileKind::Tga;
            std::printf("width: %d\nheight: %d\nauthor: %s\n", bmp.width(), bmp.height(),
                        tga ? bmp.Author.toLocal8Bit().constData() : "");
            return 0;
        }
        if (!layer.isEmpty()) {
            TFMXBitmapEx over;
            over.LoadFromFileEx(layer, 0);
            TPSDFile psd;
            psd.LayerCount = 2;
            psd.Layer.resize(2);
            psd.Layer[0].Bitmap = bmp;
            psd.Layer[1].Bitmap = over;
            WritePSDLayers(files[1], psd);
            FreePSDFile(psd);
            return 0;
        }
        if (authorSet)
            bmp.Author = author;
        bmp.hasAlpha = !noAlpha;
        bmp.SaveToFileEx(files[1], quality.isEmpty() ? QString() : QStringLiteral("quality=") + quality);
    } catch (const FileError &e) {
        PrintError(e.message());
        return 1;
    } catch (const std::exception &e) {
        PrintError(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    return 0;
}
