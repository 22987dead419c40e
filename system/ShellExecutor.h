#pragma once

#include <QString>

namespace tilvano {

// Starts programs and opens documents. The result follows the classic shell's
// convention: a value above 32 is success; 2 file not found, 3 path not found,
// 5 access denied, 8 out of memory, 11 invalid executable, 31 no application
// for the document.
class ShellExecutor {
public:
    enum Result : int {
        FileNotFound = 2,
        PathNotFound = 3,
        AccessDenied = 5,
        OutOfMemory = 8,
        BadFormat = 11,
        NoAssociation = 31,
        Success = 42,
    };
    virtual ~ShellExecutor() = default;
    virtual int execute(const QString &operation, const QString &file, const QString &parameters,
                        const QString &directory, int showMode) = 0;
};

// The real one: a program is started with `parameters` as ONE argument (never
// through a shell, whatever characters it holds), in `directory` when given;
// a document, folder or URL is handed to xdg-open.
class ProcessShellExecutor final : public ShellExecutor {
public:
    int execute(const QString &operation, const QString &file, const QString &parameters,
                const QString &directory, int showMode) override;
};

} // namespace tilvano
