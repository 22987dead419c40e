// tilvano-acs: look into character files.
//
//   tilvano-acs info FILE                         names, size, identity, counts, animations, states
//   tilvano-acs render FILE ANIMATION FRAME OUT.png [MOUTH]
//   tilvano-acs sounds FILE DIR                   every sound as a PCM WAV file
//   tilvano-acs check FILE                        decodes everything; exit 0 when all is whole
//
// Exit status: 0 success, 1 failure (message on stderr), 2 bad usage.

#include "platform/acs/AcsFrameRenderer.h"
#include "platform/acs/AcsReader.h"
#include "system/StandardOptions.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <optional>

using namespace tilvano;
using namespace tilvano::acs;

namespace {

constexpr int kFailure = 1;

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

const StandardOptions &standardOptions()
{
    static const StandardOptions options(QStringLiteral("tilvano-acs"), QStringLiteral(
        "Aufruf: tilvano-acs BEFEHL DATEI [ARGUMENTE]\n"
        "  oder: tilvano-acs OPTION\n"
        "Schaut in Figurendateien (.acs).\n"
        "\n"
        "  info DATEI                              Namen, Größe, Kennung, Anzahlen,\n"
        "                                          Animationen und Zustände\n"
        "  render DATEI ANIMATION BILDNR AUS.png [MUND]\n"
        "                                          schreibt Bild BILDNR (ab 0) einer Animation als PNG;\n"
        "                                          MUND 0-6 legt eine Mundform darüber\n"
        "  sounds DATEI ORDNER                     schreibt jeden Klang als WAV-Datei\n"
        "  check DATEI                             entpackt alles; 0, wenn alles heil ist\n"), QStringLiteral(
        "Rückgabewerte: 0 Erfolg, 1 Fehler (Meldung auf der Standardfehlerausgabe),\n"
        "2 falscher Aufruf.\n"));
    return options;
}

int usage() { return standardOptions().refuseUsage(); }

int fail(const QString &message)
{
    err() << "tilvano-acs: " << message << '\n';
    return kFailure;
}

std::optional<AcsReader> openOrReport(const QString &path)
{
    AcsError error;
    auto reader = AcsReader::open(path, &error);
    if (!reader)
        fail(error.toString());
    return reader;
}

int info(const QString &path)
{
    auto reader = openOrReport(path);
    if (!reader)
        return kFailure;
    const CharacterInfo &ci = reader->info();
    const LocalizedInfo *names = reader->localizedInfo(LanguageId::German);
    out() << "name:        " << (names ? names->name : QString()) << '\n'
          << "description: " << (names ? names->description : QString()) << '\n'
          << "size:        " << ci.width << " x " << ci.height << '\n'
          << "guid:        " << ci.guid.toString(QUuid::WithBraces).toUpper() << '\n'
          << "version:     " << ci.majorVersion << '.' << ci.minorVersion << '\n'
          << "flags:       0x" << QString::number(ci.flags, 16).rightJustified(8, QLatin1Char('0')) << '\n'
          << "palette:     " << ci.palette.size() << " colours, transparent index " << ci.transparentIndex << '\n'
          << "animations:  " << reader->animations().size() << '\n'
          << "images:      " << reader->imageCount() << '\n'
          << "sounds:      " << reader->soundCount() << '\n'
          << "states:      " << ci.states.size() << '\n'
          << "languages:   " << ci.localizedInfo.size() << '\n';
    out() << "\nanimations:\n";
    for (const Animation &a : reader->animations())
        out() << "  " << a.name << " (" << a.frames.size() << " frames)\n";
    out() << "\nstates:\n";
    for (const State &s : ci.states)
        out() << "  " << s.name << ": " << s.animations.join(QStringLiteral(", ")) << '\n';
    return 0;
}

int render(const QStringList &args)
{
    bool frameOk = false;
    const int frameIndex = args[3].toInt(&frameOk);
    std::optional<MouthType> mouth;
    if (args.size() == 6) {
        bool mouthOk = false;
        const int m = args[5].toInt(&mouthOk);
        if (!mouthOk || m < 0 || m >= MouthTypeCount)
            return usage();
        mouth = MouthType(m);
    }
    if (!frameOk)
        return usage();

    auto reader = openOrReport(args[1]);
    if (!reader)
        return kFailure;
    const Animation *animation = reader->animation(args[2]);
    if (!animation)
        return fail(QStringLiteral("no animation named %1").arg(args[2]));
    if (frameIndex < 0 || frameIndex >= animation->frames.size())
        return fail(QStringLiteral("animation %1 has frames 0 to %2").arg(animation->name).arg(animation->frames.size() - 1));

    const AcsFrameRenderer renderer(reader->info());
    const QImage image = renderer.render(animation->frames[frameIndex], AcsFrameRenderer::sourceFor(*reader), mouth);
    if (image.isNull())
        return fail(QStringLiteral("the character has an empty canvas"));
    if (!image.save(args[4], "PNG"))
        return fail(QStringLiteral("cannot write %1").arg(args[4]));
    return 0;
}

int sounds(const QString &path, const QString &dirPath)
{
    auto reader = openOrReport(path);
    if (!reader)
        return kFailure;
    if (!QDir().mkpath(dirPath))
        return fail(QStringLiteral("cannot create folder %1").arg(dirPath));
    const QDir dir(dirPath);
    int failures = 0;
    for (int i = 0; i < reader->soundCount(); ++i) {
        AcsError error;
        const sound::PcmAudio *pcm = reader->sound(i, &error);
        if (!pcm) {
            fail(error.toString());
            ++failures;
            continue;
        }
        const QString name = dir.filePath(QStringLiteral("sound-%1.wav").arg(i, 3, 10, QLatin1Char('0')));
        QFile file(name);
        const QByteArray wav = sound::encodeWave(*pcm);
        if (!file.open(QIODevice::WriteOnly) || file.write(wav) != wav.size())
            return fail(QStringLiteral("cannot write %1").arg(name));
        out() << name << '\n';
    }
    return failures ? kFailure : 0;
}

int check(const QString &path)
{
    auto reader = openOrReport(path);
    if (!reader)
        return kFailure;
    QStringList problems;
    for (int i = 0; i < reader->imageCount(); ++i) {
        AcsError error;
        if (!reader->image(i, &error))
            problems << error.toString();
    }
    QStringList notes;
    for (int i = 0; i < reader->soundCount(); ++i) {
        AcsError error;
        if (!reader->sound(i, &error))
            problems << error.toString();
        else if (const qsizetype stray = reader->strayBytesOfSound(i))
            notes << QStringLiteral("sound %1: %2 stray bytes after its data, skipped").arg(i).arg(stray);
    }
    // References that point nowhere: the character still loads, but something will not show.
    for (const Animation &a : reader->animations()) {
        for (int f = 0; f < a.frames.size(); ++f) {
            const Frame &frame = a.frames[f];
            auto where = [&] { return QStringLiteral("animation %1 frame %2").arg(a.name).arg(f); };
            for (const FrameLayer &l : frame.layers)
                if (l.imageIndex >= quint32(reader->imageCount()))
                    problems << QStringLiteral("%1: missing image %2").arg(where()).arg(l.imageIndex);
            for (const MouthOverlay &o : frame.overlays)
                if (o.imageIndex >= reader->imageCount())
                    problems << QStringLiteral("%1: missing overlay image %2").arg(where()).arg(o.imageIndex);
            if (frame.soundIndex >= reader->soundCount())
                problems << QStringLiteral("%1: missing sound %2").arg(where()).arg(frame.soundIndex);
        }
    }
    // Notes tell of what the file gets wrong but every player copes with.
    for (const QString &n : notes)
        out() << "note: " << n << '\n';
    for (const QString &p : problems)
        err() << "tilvano-acs: " << p << '\n';
    if (!problems.isEmpty())
        return kFailure;
    out() << "ok: " << reader->animations().size() << " animations, " << reader->imageCount()
          << " images, " << reader->soundCount() << " sounds\n";
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (const auto status = standardOptions().answer(argc, argv))
        return *status;
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString &command = args[0];
    if (command == QLatin1String("info") && args.size() == 2)
        return info(args[1]);
    if (command == QLatin1String("render") && (args.size() == 5 || args.size() == 6))
        return render(args);
    if (command == QLatin1String("sounds") && args.size() == 3)
        return sounds(args[1], args[2]);
    if (command == QLatin1String("check") && args.size() == 2)
        return check(args[1]);
    return usage();
}
