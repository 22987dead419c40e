#include "TrayIconBitmaps.h"

#include "Colours.h"

#include <QtEndian>

#include <array>
#include <limits>

namespace tilvano::merlin {

using namespace colours;

namespace {

void appendU32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void appendU16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

// A 40-byte info header for a bottom-up bitmap without compression.
QByteArray infoHeader(int width, int height, int bitsPerPixel, int imageBytes)
{
    QByteArray h;
    appendU32(h, 40);
    appendU32(h, quint32(width));
    appendU32(h, quint32(height));
    appendU16(h, 1);
    appendU16(h, quint16(bitsPerPixel));
    appendU32(h, 0);                    // no compression
    appendU32(h, quint32(imageBytes));
    appendU32(h, 0);
    appendU32(h, 0);
    appendU32(h, 0);                    // all 2^bpp colours
    appendU32(h, 0);
    return h;
}

void appendColour(QByteArray &out, QRgb c)
{
    out.append(char(qBlue(c)));
    out.append(char(qGreen(c)));
    out.append(char(qRed(c)));
    out.append(char(0));
}

int stride(int width, int bitsPerPixel)
{
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

int nearest(const std::array<QRgb, 16> &table, QRgb c)
{
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < int(table.size()); ++i) {
        const int dr = qRed(table[std::size_t(i)]) - qRed(c);
        const int dg = qGreen(table[std::size_t(i)]) - qGreen(c);
        const int db = qBlue(table[std::size_t(i)]) - qBlue(c);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

} // namespace

acs::TrayIcon TrayIconBitmaps::encode(const QImage &icon)
{
    const QImage argb = icon.convertToFormat(QImage::Format_ARGB32);
    const int w = argb.width();
    const int h = argb.height();
    const std::array<QRgb, 16> table{
        kOutline.rgb(), kRobeDark.rgb(), kRobe.rgb(), kRobeLight.rgb(), kHatDark.rgb(), kHat.rgb(),
        kHatLight.rgb(), kGoldDark.rgb(), kGold.rgb(), kSkinDark.rgb(), kSkin.rgb(), kRosy.rgb(),
        kBeardShade.rgb(), kBeard.rgb(), kIris.rgb(), qRgb(0, 0, 0)};

    const int maskStride = stride(w, 1);
    const int colourStride = stride(w, 4);
    QByteArray maskRows(maskStride * h, char(0));
    QByteArray colourRows(colourStride * h, char(0));
    for (int y = 0; y < h; ++y) {
        const int row = h - 1 - y; // stored bottom-up
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (qAlpha(line[x]) < 128) {
                maskRows[row * maskStride + x / 8] = char(maskRows[row * maskStride + x / 8] | (0x80 >> (x % 8)));
                continue;
            }
            const int index = nearest(table, line[x]);
            char &byte = colourRows[row * colourStride + x / 2];
            byte = char(byte | (x % 2 ? index : index << 4));
        }
    }

    acs::TrayIcon out;
    out.maskBitmap = infoHeader(w, h, 1, maskRows.size());
    appendColour(out.maskBitmap, qRgb(0, 0, 0));
    appendColour(out.maskBitmap, qRgb(255, 255, 255));
    out.maskBitmap += maskRows;
    out.colorBitmap = infoHeader(w, h, 4, colourRows.size());
    for (QRgb c : table)
        appendColour(out.colorBitmap, c);
    out.colorBitmap += colourRows;
    return out;
}

} // namespace tilvano::merlin
