#include "plugins/Outlook/MailMacroText.h"

#include "plugins/PageText.h"

#include <QHash>
#include <QRegularExpression>

namespace tilvano::outlook {

namespace {

// Replaces every "<NAME>" whose name is a key of `values` (keys in upper
// case) in one pass over the script, so inserted values are never searched.
QString fillInOnePass(const QString &script, const QHash<QString, QString> &values)
{
    static const QRegularExpression placeholder(QStringLiteral("<([A-Za-z]+)>"));
    QString filled;
    filled.reserve(script.size());
    qsizetype copiedUpTo = 0;
    QRegularExpressionMatchIterator it = placeholder.globalMatch(script);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const auto value = values.constFind(match.captured(1).toUpper());
        if (value == values.constEnd())
            continue;
        filled += QStringView(script).mid(copiedUpTo, match.capturedStart() - copiedUpTo);
        filled += *value;
        copiedUpTo = match.capturedEnd();
    }
    filled += QStringView(script).mid(copiedUpTo);
    return filled;
}

} // namespace

QString MailMacroText::forMail(const QString &script, const mail::MailItem &item)
{
    return fillInOnePass(script, {
                                     {QStringLiteral("SENDER"), EscapeQuotes(item.senderName)},
                                     {QStringLiteral("SUBJECT"), EscapeQuotes(item.subject)},
                                     {QStringLiteral("MAILTEXT"), EscapeQuotes(item.body)},
                                     {QStringLiteral("RECIPIENT"), EscapeQuotes(item.firstRecipientName())},
                                 });
}

QString MailMacroText::forCount(const QString &script, int count)
{
    return ReplacePlaceholder(script, QStringLiteral("<COUNT>"), QString::number(count));
}

QString MailMacroText::forReminder(const QString &script, const mail::ReminderItem &item)
{
    return ReplacePlaceholder(script, QStringLiteral("<SUBJECT>"), EscapeQuotes(item.defaultValue()));
}

} // namespace tilvano::outlook
