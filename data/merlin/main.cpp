// Draws the default character and writes it as a character file; with more
// arguments, also the programs' desktop icons at the given sizes, drawn from
// the same figure into an icon theme's folders (<size>x<size>/apps/<name>.png).
// Usage: merlin-generate <output.acs> [<icon theme folder> <icon name> <size>...]

#include "CharacterBuilder.h"
#include "FigurePainter.h"

#include "platform/acs/AcsWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

bool writeIcons(const QString &themeDir, const QString &iconName, const QStringList &sizes, QTextStream &err)
{
    const tilvano::merlin::FigurePainter painter;
    for (const QString &sizeText : sizes) {
        bool ok = false;
        const int size = sizeText.toInt(&ok);
        if (!ok || size < 1 || size > 1024) {
            err << "merlin-generate: not an icon size: " << sizeText << "\n";
            return false;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(themeDir).arg(size);
        const QString file = dir + QLatin1Char('/') + iconName + QStringLiteral(".png");
        if (!QDir().mkpath(dir) || !painter.renderIcon(size).save(file, "PNG")) {
            err << "merlin-generate: cannot write " << file << "\n";
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() == 3 || args.size() == 4) {
        err << "usage: merlin-generate <output.acs> [<icon theme folder> <icon name> <size>...]\n";
        return 2;
    }
    const QString output = args.at(1);
    if (!QDir().mkpath(QFileInfo(output).absolutePath())) {
        err << "merlin-generate: cannot create the folder of " << output << "\n";
        return 1;
    }

    const tilvano::acs::Character merlin = tilvano::merlin::CharacterBuilder().build();
    tilvano::acs::AcsError error;
    if (!tilvano::acs::AcsWriter::writeFile(merlin, output, &error)) {
        err << "merlin-generate: " << error.toString() << "\n";
        return 1;
    }
    if (args.size() > 4 && !writeIcons(args.at(2), args.at(3), args.mid(4), err))
        return 1;
    return 0;
}
