#include "app/Handout.h"

#include "app/PictureFiles.h"
#include "board/BoardDocument.h"
#include "imagefiles/FMXBitmapEx.h"
#include "imagefiles/FMXPSD.h"
#include "imagefiles/HandoutPdf.h"
#include "platform/Errors.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QSaveFile>

namespace {
// In points: half an inch around, a caption line of a quarter inch.
constexpr double Margin = 36;
constexpr double CaptionGap = 6;
constexpr double CaptionHeight = 18;
// Captions are rastered at print resolution.
constexpr double CaptionDpi = 300;

QByteArray Jpeg(const QImage &image, int quality, QString *error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(qBound(0, quality, 100));
    // Three components whatever the picture's format: the PDF says so.
    if (!writer.write(image.convertToFormat(QImage::Format_RGB888))) {
        *error = writer.errorString();
        return {};
    }
    return bytes;
}

// A name for a file made from an entry's name: without the characters file
// systems refuse, never empty.
QString FileNameFor(const THandoutEntry &e, int index)
{
    QString base = e.Path.isEmpty() ? e.Caption : QFileInfo(e.Path).completeBaseName();
    for (QChar &c : base)
        if (c.unicode() < 32 || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    base = base.trimmed();
    if (base.isEmpty() || base == QLatin1String(".") || base == QLatin1String(".."))
        base = QStringLiteral("page %1").arg(index + 1);
    return base;
}

bool Going(const THandoutJob &job, int done) { return !job.Progress || job.Progress(done, int(job.Entries.size())); }
} // namespace

THandoutPage HandoutLayout(const QSizeF &pageSize, const QSize &pictureSize)
{
    // The page's own units: the margins and caption scale with it, from points on A4.
    const double unit
        = qMin(pageSize.width(), pageSize.height()) / QPageSize(QPageSize::A4).size(QPageSize::Point).width();
    const double m = Margin * unit, gap = CaptionGap * unit, ch = CaptionHeight * unit;
    const QRectF area(m, m, pageSize.width() - 2 * m, pageSize.height() - 2 * m - gap - ch);
    QSizeF fitted = QSizeF(pictureSize.isEmpty() ? QSize(1, 1) : pictureSize).scaled(area.size(), Qt::KeepAspectRatio);
    const QRectF picture(area.left() + (area.width() - fitted.width()) / 2, area.top(), fitted.width(),
                         fitted.height());
    return {picture, QRectF(area.left(), picture.bottom() + gap, area.width(), ch)};
}

QSizeF HandoutPageSize(const QSize &pictureSize, const QLocale &locale)
{
    const QSizeF page
        = QPageSize(locale.measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4)
              .size(QPageSize::Point);
    return pictureSize.width() > pictureSize.height() ? page.transposed() : page;
}

QImage HandoutCaption(const QString &name, int page, int pages, const QSize &pixels)
{
    QImage img(pixels.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont font = p.font();
    font.setPixelSize(qMax(1, pixels.height() * 2 / 3));
    p.setFont(font);
    p.setPen(QColor(0x30, 0x30, 0x30));
    const QString number = QStringLiteral("%1 / %2").arg(page).arg(pages);
    const QRect r = img.rect();
    const int numberWidth = p.fontMetrics().horizontalAdvance(number) + pixels.height();
    p.drawText(r.adjusted(0, 0, -numberWidth, 0), Qt::AlignLeft | Qt::AlignVCenter,
               p.fontMetrics().elidedText(name, Qt::ElideMiddle, r.width() - numberWidth));
    p.drawText(r, Qt::AlignRight | Qt::AlignVCenter, number);
    return img;
}

QImage RenderHandoutEntry(const THandoutEntry &entry, const QString &wordFont, QImage *picture, QImage *pens)
{
    TBoardDocument doc;
    doc.SetUndoStoreBudget(0); // one replay, no undo
    doc.SetWordFont(wordFont);
    if (!entry.Word.isEmpty()) {
        doc.SetWord(entry.Word, entry.History);
    } else if (!entry.Path.isEmpty()) {
        TFMXBitmapEx bmp;
        bmp.LoadFromFileEx(entry.Path, 0);
        doc.SetPicture(bmp, entry.History);
    } else if (entry.Render) {
        doc.SetPicture(entry.Render(), entry.History);
    } else {
        doc.SetPicture(entry.Picture, entry.History);
    }
    if (picture)
        *picture = doc.Picture();
    if (pens)
        *pens = doc.PenLayer();
    return doc.Display();
}

THandoutResult ExportHandoutPdf(const THandoutJob &job, const QString &path, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return THandoutResult::Failed;
    }
    THandoutPdf pdf(&file);
    const int n = int(job.Entries.size());
    for (int i = 0; i < n; ++i) {
        if (!Going(job, i)) {
            file.cancelWriting();
            return THandoutResult::Cancelled;
        }
        const THandoutEntry &e = job.Entries[i];
        QByteArray jpeg;
        QSize size;
        try {
            const QImage shown = RenderHandoutEntry(e, job.WordFont);
            size = shown.size();
            jpeg = Jpeg(shown, job.JpegQuality, error);
        } catch (const FileError &fault) {
            *error = fault.message();
        }
        if (jpeg.isEmpty()) {
            file.cancelWriting();
            return THandoutResult::Failed;
        }
        const QSizeF page = HandoutPageSize(size);
        const THandoutPage layout = HandoutLayout(page, size);
        const QSize captionPixels = (layout.Caption.size() * CaptionDpi / 72).toSize();
        if (!pdf.AddPage(page, jpeg, size, layout.Picture, HandoutCaption(e.Caption, i + 1, n, captionPixels),
                         layout.Caption)) {
            *error = file.errorString();
            file.cancelWriting();
            return THandoutResult::Failed;
        }
    }
    if (!pdf.Finish() || !file.commit()) {
        *error = file.errorString();
        return THandoutResult::Failed;
    }
    Going(job, n);
    return THandoutResult::Done;
}

THandoutResult ExportHandoutFolder(const THandoutJob &job, const QString &folder, QStringList *written, QString *error)
{
    const int n = int(job.Entries.size());
    auto undo = [written] {
        for (const QString &f : *written)
            QFile::remove(f);
        written->clear();
    };
    for (int i = 0; i < n; ++i) {
        if (!Going(job, i)) {
            undo();
            return THandoutResult::Cancelled;
        }
        const THandoutEntry &e = job.Entries[i];
        const QString name = FreeFileName(SaveFileName(QDir(folder).filePath(FileNameFor(e, i)), job.Kind));
        try {
            QImage picture, pens;
            const QImage shown = RenderHandoutEntry(e, job.WordFont, &picture, &pens);
            if (job.Kind == 5) {
                TPSDFile psd;
                psd.LayerCount = 2;
                psd.Layer.resize(2);
                psd.Layer[0].Bitmap = picture;
                psd.Layer[1].Bitmap = pens;
                if (!WritePSDLayers(name, psd))
                    throw FileError(QCoreApplication::translate("Files", "Unable to write to %1")
                                        .arg(QDir::toNativeSeparators(name)));
            } else {
                TFMXBitmapEx bmp;
                bmp = shown;
                bmp.SaveToFileEx(name, job.Kind == 1 ? QStringLiteral("quality=%1").arg(qBound(0, job.JpegQuality, 100))
                                                     : QString());
            }
            written->append(name);
        } catch (const FileError &fault) {
            *error = fault.message();
            undo();
            return THandoutResult::Failed;
        }
    }
    Going(job, n);
    return THandoutResult::Done;
}

void PrintHandout(QPagedPaintDevice &printer, const QVector<THandoutEntry> &entries, int first, int last,
                  const QString &wordFont)
{
    QPainter p;
    const int n = int(entries.size());
    for (int i = qMax(first, 0); i <= last && i < n; ++i) {
        const QImage shown = RenderHandoutEntry(entries[i], wordFont);
        printer.setPageOrientation(shown.width() > shown.height() ? QPageLayout::Landscape : QPageLayout::Portrait);
        if (p.isActive() ? !printer.newPage() : !p.begin(&printer))
            throw FileError(QCoreApplication::translate("Files", "The printer cannot be used."));
        const QRectF page = printer.pageLayout().paintRectPixels(printer.logicalDpiX());
        const THandoutPage layout = HandoutLayout(page.size(), shown.size());
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(layout.Picture, shown);
        p.drawImage(layout.Caption, HandoutCaption(entries[i].Caption, i + 1, n, layout.Caption.size().toSize()));
    }
    if (p.isActive())
        p.end();
}
