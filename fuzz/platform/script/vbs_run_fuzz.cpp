// Fuzz target: script text from untrusted bytes, compiled and run against a
// published object, under a short step limit and a small memory budget. Every
// input must end in success or a script error: no crash, no sanitizer report,
// no hang.

#include "platform/script/ParamArray.h"
#include "platform/script/ScriptEngine.h"

#include <QObject>
#include <QVariant>

#include <cstddef>
#include <cstdint>

namespace {

// What a host offers scripts: methods by value and by reference, any number
// of arguments, a property and a default property.
class FuzzHost : public QObject {
    Q_OBJECT
    Q_CLASSINFO("DefaultProperty", "Value")
    Q_PROPERTY(QVariant Value READ value WRITE setValue)
public:
    QVariant value() const { return m_value; }
    void setValue(const QVariant &v) { m_value = v; }

    TILVANO_PARAM_ARRAY Q_INVOKABLE int Echo(const QVariantList &values) { return int(values.size()); }
    Q_INVOKABLE bool SpeakIt(const QString &text) { return !text.isEmpty(); }
    Q_INVOKABLE bool MoveTo(int left, int top) { return left < top; }
    Q_INVOKABLE void Twice(QString &text) { text += text.left(64); }
    Q_INVOKABLE void Count(int &n) { ++n; }
    Q_INVOKABLE QVariant Same(const QVariant &v) const { return v; }
    Q_INVOKABLE QStringList Names() const { return {QStringLiteral("a"), QStringLiteral("b")}; }

private:
    QVariant m_value;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    FuzzHost host;
    tilvano::script::ScriptEngine engine;
    engine.setStepLimit(20000);
    engine.setTimeLimit(std::chrono::seconds(5));
    engine.setMemoryLimit(std::size_t(64) * 1024 * 1024);
    engine.addObject(QStringLiteral("WScript"), &host);
    engine.addObject(QStringLiteral("Kibo"), &host);
    // Twice: the second run finds what the first one defined.
    if (engine.executeStatement(text))
        engine.executeStatement(text);
    return 0;
}

#include "vbs_run_fuzz.moc"
