#pragma once

#include "AnimationPlan.h"
#include "FigurePainter.h"

#include "platform/acs/AcsModel.h"

#include <QHash>
#include <QList>

#include <utility>

namespace tilvano::merlin {

// Turns the animation plan into a complete character: draws each distinct pose
// once, reduces it to the shared palette, crops it to its opaque bounds and
// stores every distinct picture once, however many frames show it. Speaking
// frames get a small overlay per mouth shape covering just the mouth.
class CharacterBuilder {
public:
    acs::Character build();

private:
    const acs::IndexedImage &drawn(const Pose &pose);
    quint32 store(const acs::IndexedImage &image);
    QList<acs::FrameLayer> layersFor(const Pose &pose);
    QList<acs::MouthOverlay> overlaysFor(const Pose &pose);
    acs::Frame frameFor(const PlannedFrame &planned);
    acs::CharacterInfo characterInfo(const AnimationPlan &plan) const;

    FigurePainter m_painter;
    QList<QRgb> m_palette;
    QList<std::pair<Pose, acs::IndexedImage>> m_drawn;
    QHash<QByteArray, quint32> m_stored;
    QList<acs::IndexedImage> m_images;
};

} // namespace tilvano::merlin
