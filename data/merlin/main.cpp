// Draws the default character and writes it as a character file.
// Usage: merlin-generate <output.acs>

#include "CharacterBuilder.h"

#include "platform/acs/AcsWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        err << "usage: merlin-generate <output.acs>\n";
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
    return 0;
}
