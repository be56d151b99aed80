// imgtool: converts a picture file to another kind by extension through
// TFMXBitmapEx, or prints a picture's size and TGA author.
//   imgtool [--no-alpha] [--author NAME] [--quality N] IN OUT
//   imgtool --layer OVER IN OUT.psd    (a two-layer document: IN, then OVER)
//   imgtool --info FILE
#include "imagefiles/FMXBitmapEx.h"
#include "imagefiles/FMXPSD.h"
#include "platform/Errors.h"
#include "platform/SafeFile.h"

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

void PrintError(const QString &text) { std::fprintf(stderr, "imgtool: %s\n", text.toLocal8Bit().constData()); }

// Options that contradict each other or carry a bad value are refused before
// any file is touched.
int Refuse(const QString &text)
{
    PrintError(text);
    return 2;
}

// What the command line asks for.
struct Options {
    bool info = false;
    bool noAlpha = false;
    QString author, quality, layer;
    bool authorSet = false, qualitySet = false, layerSet = false;
    QStringList files;
};

// Parsing found nothing to stop for: the work may start.
constexpr int Proceed = -1;

// Reads the arguments into opt; Proceed, or the exit code to stop with.
int ParseArguments(const QStringList &args, Options &opt)
{
    const QStringList takesValue = {"--author", "--layer", "--quality"};
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (takesValue.contains(a) && i + 1 >= args.size())
            return Refuse(QStringLiteral("%1 needs a value").arg(a));
        if (a == QLatin1String("--info")) {
            opt.info = true;
        } else if (a == QLatin1String("--no-alpha")) {
            opt.noAlpha = true;
        } else if (a == QLatin1String("--author")) {
            opt.author = args[++i];
            opt.authorSet = true;
        } else if (a == QLatin1String("--layer")) {
            opt.layer = args[++i];
            opt.layerSet = true;
        } else if (a == QLatin1String("--quality")) {
            opt.quality = args[++i];
            opt.qualitySet = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            Usage();
            return 0;
        } else if (a.startsWith(QLatin1String("--"))) {
            PrintError(QStringLiteral("unknown option %1").arg(a));
            return Usage();
        } else {
            opt.files << a;
        }
    }
    return Proceed;
}

// Refuses options that do not go together; Proceed, or the exit code to stop with.
int CheckOptions(const Options &opt)
{
    if (opt.files.size() != (opt.info ? 1 : 2))
        return Usage();
    if (opt.info && (opt.noAlpha || opt.authorSet || opt.qualitySet || opt.layerSet))
        return Refuse(QStringLiteral("--info takes no other option"));
    if (opt.qualitySet) {
        bool ok = false;
        const int q = opt.quality.toInt(&ok);
        if (!ok || q < 0 || q > 100)
            return Refuse(
                QStringLiteral("--quality must be a whole number from 0 to 100, not \"%1\"").arg(opt.quality));
    }
    if (opt.layerSet) {
        if (opt.layer.isEmpty())
            return Refuse(QStringLiteral("--layer needs a picture file"));
        if (ImageFileKindOf(opt.files[1]) != ImageFileKind::Psd)
            return Refuse(
                QStringLiteral("--layer writes a two-layer PSD document: the output must end in .psd, not \"%1\"")
                    .arg(opt.files[1]));
        if (opt.authorSet || opt.noAlpha)
            return Refuse(QStringLiteral("--author and --no-alpha are for TGA output and cannot be used with --layer"));
    }
    return Proceed;
}

// Prints, layers or converts as asked; the exit code.
int Run(const Options &opt)
{
    try {
        TFMXBitmapEx bmp;
        bmp.LoadFromFileEx(opt.files[0], 0);
        if (opt.info) {
            const bool tga = ImageFileKindOf(opt.files[0]) == ImageFileKind::Tga;
            std::printf("width: %d\nheight: %d\nauthor: %s\n", bmp.width(), bmp.height(),
                        tga ? bmp.Author.toLocal8Bit().constData() : "");
            return 0;
        }
        if (opt.layerSet) {
            TFMXBitmapEx over;
            over.LoadFromFileEx(opt.layer, 0);
            TPSDFile psd;
            psd.LayerCount = 2;
            psd.Layer.resize(2);
            psd.Layer[0].Bitmap = bmp;
            psd.Layer[1].Bitmap = over;
            WritePSDLayers(opt.files[1], psd);
            FreePSDFile(psd);
            return 0;
        }
        if (opt.authorSet)
            bmp.Author = opt.author;
        bmp.hasAlpha = !opt.noAlpha;
        bmp.SaveToFileEx(opt.files[1], opt.quality.isEmpty() ? QString() : QStringLiteral("quality=") + opt.quality);
    } catch (const FileError &e) {
        PrintError(e.message());
        return 1;
    } catch (const std::exception &e) {
        PrintError(QString::fromLocal8Bit(e.what()));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    IgnoreFileSizeSignal();
    QCoreApplication app(argc, argv);
    Options opt;
    int code = ParseArguments(app.arguments().mid(1), opt);
    if (code == Proceed)
        code = CheckOptions(opt);
    return code == Proceed ? Run(opt) : code;
}
