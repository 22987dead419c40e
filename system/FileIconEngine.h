#pragma once

#include <QIconEngine>
#include <QMap>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace tilvano {

// An icon drawn in several sizes, one picture file per size, read only when a
// size is first asked for. QIcon::addFile reads and decodes every file at
// once, which costs the companion a noticeable part of its start for pictures
// that an offscreen or framed character window may never show.
class FileIconEngine : public QIconEngine {
public:
    void addSize(const QSize &size, const QString &file);
    bool isEmpty() const { return m_drawings.isEmpty(); }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override;
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override;
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override;
    QIconEngine *clone() const override;
    QString key() const override;

private:
    struct Drawing {
        QSize size;
        QString file;
        QPixmap picture; // null until first asked for
    };

    // The smallest drawing that covers the request, else the largest; null without any.
    Drawing *bestFor(const QSize &requested);

    QMap<int, Drawing> m_drawings; // by area, smallest first
};

} // namespace tilvano
