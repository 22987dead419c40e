#pragma once

#include "common/ErrorInfo.h"

namespace tilvano::mail {

// A value or the failure that prevented it; every call of the mail
// application ends in one or the other, never in an exception.
template <typename T>
struct MailResult {
    T value{};
    ErrorInfo error;

    bool ok() const { return !error.isError(); }
    static MailResult failure(ErrorInfo info) { return MailResult{T{}, std::move(info)}; }
};

} // namespace tilvano::mail
