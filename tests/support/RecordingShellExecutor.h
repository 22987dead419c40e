#pragma once

#include "system/ShellExecutor.h"

#include <QList>
#include <QString>

namespace tilvano::test {

// A shell that starts nothing: records each request and answers with the
// result the test set (success by default).
class RecordingShellExecutor : public ShellExecutor {
public:
    struct Request {
        QString operation, file, parameters, directory;
        int showMode = 0;
    };

    int execute(const QString &operation, const QString &file, const QString &parameters,
                const QString &directory, int showMode) override
    {
        m_requests.append({operation, file, parameters, directory, showMode});
        return m_result;
    }

    void setResult(int result) { m_result = result; }
    const QList<Request> &requests() const { return m_requests; }
    void clear() { m_requests.clear(); }

private:
    QList<Request> m_requests;
    int m_result = Success;
};

} // namespace tilvano::test
