#pragma once

#include <QStringView>

namespace tilvano::speech {

// The seven mouth positions a character's speaking overlays are drawn for.
enum class MouthShape { Closed, Wide1, Wide2, Wide3, Wide4, Medium, Narrow };

// The mouth position for a phoneme given in IPA (as espeak-ng reports it): open vowels open
// the mouth wide, close front vowels spread it a little, rounded sounds purse it, lip sounds
// and silence close it, other consonants leave it half open.
MouthShape mouthShapeForPhoneme(QStringView ipa);

} // namespace tilvano::speech
