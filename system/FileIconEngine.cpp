#include "system/FileIconEngine.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace tilvano {

namespace {

int area(const QSize &size) { return size.width() * size.height(); }

} // namespace

void FileIconEngine::addSize(const QSize &size, const QString &file)
{
    if (size.isValid() && !size.isEmpty())
        m_drawings.insert(area(size), {size, file, {}});
}

FileIconEngine::Drawing *FileIconEngine::bestFor(const QSize &requested)
{
    if (m_drawings.isEmpty())
        return nullptr;
    for (Drawing &drawing : m_drawings) {
        if (drawing.size.width() >= requested.width() && drawing.size.height() >= requested.height())
            return &drawing;
    }
    return &m_drawings.last();
}

QPixmap FileIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State)
{
    Drawing *drawing = bestFor(size);
    if (!drawing)
        return {};
    if (drawing->picture.isNull())
        drawing->picture = QPixmap(drawing->file);
    QPixmap result = drawing->picture;
    if (!result.isNull() && (result.width() > size.width() || result.height() > size.height()))
        result = result.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // Disabled and selected looks as the style draws them; only a widget program has one.
    const auto *application = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (mode != QIcon::Normal && !result.isNull() && application) {
        QStyleOption option;
        option.palette = QApplication::palette();
        result = QApplication::style()->generatedIconPixmap(mode, result, &option);
    }
    return result;
}

void FileIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state)
{
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
    const QPixmap drawn = pixmap(rect.size() * ratio, mode, state);
    painter->drawPixmap(rect, drawn);
}

QSize FileIconEngine::actualSize(const QSize &size, QIcon::Mode, QIcon::State)
{
    const Drawing *drawing = bestFor(size);
    return drawing ? drawing->size.scaled(size, Qt::KeepAspectRatio).boundedTo(drawing->size) : QSize();
}

QList<QSize> FileIconEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    QList<QSize> sizes;
    for (const Drawing &drawing : std::as_const(m_drawings))
        sizes.append(drawing.size);
    return sizes;
}

QIconEngine *FileIconEngine::clone() const { return new FileIconEngine(*this); }

QString FileIconEngine::key() const { return QStringLiteral("tilvano-files"); }

} // namespace tilvano
