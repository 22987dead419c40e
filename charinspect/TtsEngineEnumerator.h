#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace tilvano::charinspect {

// What the viewer shows of one installed text-to-speech engine mode.
struct TtsEngineDetails {
    QString modeName;
    QString modeId; // without braces; the viewer adds them
    QString productName;
    QString speaker;
    QString style;
    int gender = 0; // 1 = female, anything else is shown as male
    int age = 0;
    int languageId = 0;
    QString dialect;
    quint32 features = 0;
    quint32 interfaces = 0;
};

// The installed engines, numbered from 1 in the order they are listed.
class TtsEngineEnumerator {
public:
    virtual ~TtsEngineEnumerator() = default;
    virtual int count() const = 0;
    // index from 1 to count(); any other index gives empty details.
    virtual TtsEngineDetails engine(int index) const = 0;
};

// Creates an enumerator; null when no engine enumeration is available on this system,
// which the viewer reports as a missing engine installation.
using TtsEngineEnumeratorFactory = std::function<std::unique_ptr<TtsEngineEnumerator>()>;

} // namespace tilvano::charinspect
