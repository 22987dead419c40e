#include "RegistryTextFormat.h"

namespace tilvano {

QString RegistryTextFormat::header() { return QStringLiteral("Tilvano Registry Export 1"); }

bool RegistryTextFormat::isPassword(const QString &valueName)
{
    return valueName.endsWith(QLatin1String("Password"), Qt::CaseInsensitive);
}

QString RegistryTextFormat::quote(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '"': out += QStringLiteral("\\\""); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        case 0: out += QStringLiteral("\\0"); break;
        default: out += c;
        }
    }
    return out + QLatin1Char('"');
}

bool RegistryTextFormat::unquote(const QString &quoted, QString *text, qsizetype *consumed)
{
    if (!quoted.startsWith(QLatin1Char('"')))
        return false;
    text->clear();
    for (qsizetype i = 1; i < quoted.size(); ++i) {
        const QChar c = quoted[i];
        if (c == QLatin1Char('"')) {
            *consumed = i + 1;
            return true;
        }
        if (c != QLatin1Char('\\')) {
            *text += c;
            continue;
        }
        if (++i >= quoted.size())
            return false;
        switch (quoted[i].unicode()) {
        case 'n': *text += QLatin1Char('\n'); break;
        case 'r': *text += QLatin1Char('\r'); break;
        case 't': *text += QLatin1Char('\t'); break;
        case '0': *text += QChar(0); break;
        default: *text += quoted[i];
        }
    }
    return false;
}

void RegistryTextFormat::write(Registry &registry, const QString &keyPath, QTextStream &out)
{
    const QString path = normalizedKeyPath(keyPath);
    const QStringList children = registry.subKeys(path);
    if (!path.isEmpty()) {
        // Keys that only lead to others are implied by their children.
        const QList<NamedRegistryValue> values = registry.values(path);
        if (!values.isEmpty() || (children.isEmpty() && registry.keyExists(path))) {
            out << "\n[" << path << "]\n";
            for (const NamedRegistryValue &v : values) {
                if (isPassword(v.name)) {
                    out << "; " << quote(v.name) << " is a password and not exported\n";
                    continue;
                }
                out << quote(v.name) << '=';
                if (v.value.type == RegistryValue::DWord)
                    out << "dword:" << QStringLiteral("%1").arg(quint32(v.value.number), 8, 16, QLatin1Char('0'));
                else
                    out << quote(v.value.text);
                out << '\n';
            }
        }
    }
    for (const QString &child : children)
        write(registry, path.isEmpty() ? child : path + QLatin1Char('\\') + child, out);
}

bool RegistryTextFormat::read(QTextStream &in, Registry &registry, QString *error)
{
    QString key;
    int lineNumber = 0;
    auto failAt = [&](const QString &why) {
        *error = QStringLiteral("line %1: %2").arg(lineNumber).arg(why);
        return false;
    };
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (lineNumber == 1 && line == header())
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')))
                return failAt(QStringLiteral("a key line must end in ]"));
            key = normalizedKeyPath(line.mid(1, line.size() - 2));
            if (key.isEmpty())
                return failAt(QStringLiteral("unknown root key"));
            if (!registry.createKey(key))
                return failAt(registry.lastError());
            continue;
        }
        if (key.isEmpty())
            return failAt(QStringLiteral("a value before the first [key] line"));
        QString name;
        qsizetype used = 0;
        if (!unquote(line, &name, &used) || used >= line.size() || line[used] != QLatin1Char('='))
            return failAt(QStringLiteral("expected \"name\"=value"));
        const QString data = line.mid(used + 1);
        RegistryValue value;
        if (data.startsWith(QLatin1String("dword:"))) {
            bool ok = false;
            const quint32 number = data.mid(6).toUInt(&ok, 16);
            if (!ok || data.size() > 14)
                return failAt(QStringLiteral("dword: takes up to 8 hexadecimal digits"));
            value = RegistryValue::fromDWord(qint32(number));
        } else {
            QString text;
            qsizetype end = 0;
            if (!unquote(data, &text, &end) || end != data.size())
                return failAt(QStringLiteral("a text value must be one quoted string"));
            value = RegistryValue::fromString(text);
        }
        if (!registry.setValue(key, name, value))
            return failAt(registry.lastError());
    }
    return true;
}

} // namespace tilvano
