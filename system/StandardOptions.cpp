#include "system/StandardOptions.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace tilvano {

StandardOptions::StandardOptions(QString command, QString usage, QString closing)
    : m_command(std::move(command)), m_usage(std::move(usage)), m_closing(std::move(closing))
{
}

QString StandardOptions::version() { return QStringLiteral(TILVANO_VERSION_TEXT); }

QString StandardOptions::helpText() const
{
    const auto paragraph = [](QString text) {
        if (!text.endsWith(QLatin1Char('\n')))
            text += QLatin1Char('\n');
        return text;
    };
    return paragraph(m_usage)
           + QStringLiteral("\n"
                            "      --help      zeigt diese Hilfe und endet\n"
                            "      --version   zeigt die Versionsangabe und endet\n"
                            "\n")
           + paragraph(m_closing)
           + QStringLiteral("\nHomepage von Tilvano: <%1>\n").arg(QStringLiteral(TILVANO_HOMEPAGE_TEXT));
}

QString StandardOptions::versionText() const
{
    return QStringLiteral("%1 (Tilvano) %2\n"
                          "Copyright (C) %3 Lorvat\n"
                          "Lizenz: %4\n"
                          "Es gibt KEINE GARANTIE, soweit das Gesetz es zulässt.\n")
        .arg(m_command, version(), QStringLiteral(TILVANO_COPYRIGHT_YEARS), QStringLiteral(TILVANO_LICENSE_TEXT));
}

namespace {

// Before any Qt stream exists, and whatever the locale: the texts are UTF-8.
bool writeAll(const QString &text, FILE *stream)
{
    const QByteArray bytes = text.toUtf8();
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size())
           && std::fflush(stream) == 0;
}

} // namespace

std::optional<int> StandardOptions::answer(int argc, char **argv) const
{
    if (argc < 2 || !argv[1])
        return std::nullopt;
    QString text;
    if (std::strcmp(argv[1], "--help") == 0)
        text = helpText();
    else if (std::strcmp(argv[1], "--version") == 0)
        text = versionText();
    else
        return std::nullopt;
    // "tilvano --help > /dev/full" must not claim success.
    if (!writeAll(text, stdout)) {
        std::fprintf(stderr, "%s: Die Ausgabe konnte nicht geschrieben werden.\n", qPrintable(m_command));
        return 1;
    }
    return 0;
}

int StandardOptions::refuseUsage() const
{
    writeAll(helpText(), stderr);
    return 2;
}

} // namespace tilvano
