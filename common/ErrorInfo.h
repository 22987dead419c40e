#pragma once

#include <QString>

namespace tilvano {

// What a failure leaves behind: number, source, description and the line at
// which it was raised (0 when the failing code has no line numbers).
struct ErrorInfo {
    qint32 number = 0;
    QString source;
    QString description;
    int line = 0;

    bool isError() const { return number != 0; }
    void clear() { *this = ErrorInfo{}; }
    friend bool operator==(const ErrorInfo &, const ErrorInfo &) = default;
};

} // namespace tilvano
