#pragma once

#include "AcsError.h"
#include "AcsModel.h"

#include "platform/sound/WaveAudio.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace tilvano::acs {

// An opened character file.
//
// Opening reads the header, the character info, the localized info, every animation and the
// locations of all images and sounds; any damage to these gives a clear error and no reader.
// Images and sounds are decoded on first use and kept. Damage inside one image or sound only
// disables that item. Every count and size is checked against the bytes it claims before
// anything is allocated, so no input crashes, hangs or exhausts memory.
//
// Not thread-safe: meant for the one user-interface thread.
class AcsReader {
public:
    // Larger files are refused before they are read: real characters are far smaller.
    static constexpr qint64 MaxFileSize = 512 * 1024 * 1024;

    static std::optional<AcsReader> open(const QString &path, AcsError *error = nullptr);
    static std::optional<AcsReader> fromData(QByteArray data, AcsError *error = nullptr);

    // Move-only: images handed out point into this reader's cache.
    AcsReader(AcsReader &&) = default;
    AcsReader &operator=(AcsReader &&) = default;
    AcsReader(const AcsReader &) = delete;
    AcsReader &operator=(const AcsReader &) = delete;

    const CharacterInfo &info() const { return m_info; }
    const QList<Animation> &animations() const { return m_animations; }
    int imageCount() const { return int(m_imageBlocks.size()); }
    int soundCount() const { return int(m_soundBlocks.size()); }
    qint64 fileSize() const { return m_data.size(); }

    // Case-insensitive; nullptr when there is none.
    const Animation *animation(QStringView name) const;
    const State *state(QStringView name) const;
    // Exact language, else the same primary language, else neutral English, else the first
    // entry; nullptr only when the file has no localized info at all.
    const LocalizedInfo *localizedInfo(quint16 languageId) const;

    // Decoded on first use, then cached. nullptr when the index does not exist or the image is
    // damaged (with the reason in *error). An unused slot gives an empty 0 x 0 image.
    const IndexedImage *image(int index, AcsError *error = nullptr);
    // The sound's WAV file as stored; empty when the index does not exist.
    QByteArray soundData(int index) const;
    // Decoded to PCM on first use, then cached.
    const sound::PcmAudio *sound(int index, AcsError *error = nullptr);
    // Bytes after a decoded sound's data that make no whole chunk and were skipped.
    qsizetype strayBytesOfSound(int index) const
    {
        return index >= 0 && index < m_soundBlocks.size() ? m_soundBlocks[index].strayBytes : 0;
    }

    // Everything, with all images decoded: the model the writer takes. Fails on the first
    // image that cannot be decoded.
    std::optional<Character> readAll(AcsError *error = nullptr);

private:
    struct Block {
        quint32 offset = 0;
        quint32 size = 0;
    };
    struct ImageSlot {
        Block block;
        std::optional<IndexedImage> decoded;
        AcsError failure;        // set once decoding failed, so it is not retried
    };
    struct SoundSlot {
        Block block;
        std::optional<sound::PcmAudio> decoded;
        AcsError failure;
        qsizetype strayBytes = 0; // after the sound's last whole chunk, skipped
    };

    AcsReader() = default;
    bool parse(AcsError *error);
    bool decodeImage(ImageSlot &slot, AcsError *error) const;

    QByteArray m_data;
    CharacterInfo m_info;
    QList<Animation> m_animations;
    QList<ImageSlot> m_imageBlocks;
    QList<SoundSlot> m_soundBlocks;
};

} // namespace tilvano::acs
