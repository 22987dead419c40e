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
        m_files.insert(area(size), {size, file});
}

QSize FileIconEngine::bestSize(const QSize &requested) const
{
    if (m_files.isEmpty())
        return {};
    for (const auto &[drawn, file] : m_files) {
        if (drawn.width() >= requested.width() && drawn.height() >= requested.height())
            return drawn;
    }
    return m_files.last().first;
}

const QPixmap &FileIconEngine::picture(const QSize &drawnSize)
{
    const int key = area(drawnSize);
    auto read = m_read.find(key);
    if (read == m_read.end())
        read = m_read.insert(key, QPixmap(m_files.value(key).second));
    return *read;
}

QPixmap FileIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State)
{
    const QSize drawn = bestSize(size);
    if (!drawn.isValid())
        return {};
    QPixmap result = picture(drawn);
    if (!result.isNull() && (result.width() > size.width() || result.height() > size.height()))
        result = result.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (mode != QIcon::Normal && !result.isNull() && qApp) {
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
    const QSize drawn = bestSize(size);
    return drawn.isValid() ? drawn.scaled(size, Qt::KeepAspectRatio).boundedTo(drawn) : QSize();
}

QList<QSize> FileIconEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    QList<QSize> sizes;
    for (const auto &[drawn, file] : m_files)
        sizes.append(drawn);
    return sizes;
}

QIconEngine *FileIconEngine::clone() const { return new FileIconEngine(*this); }

QString FileIconEngine::key() const { return QStringLiteral("tilvano-files"); }

} // namespace tilvano
