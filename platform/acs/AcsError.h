#pragma once

// Failures of the character file codec, as 32-bit result codes the character service can
// hand on to scripts unchanged, plus a readable message for logs and the command line tool.
//
//   0x80070002  FileNotFound          the file does not exist
//   0x80070005  AccessDenied          the file exists but cannot be opened for reading
//   0x8007001E  ReadFault             reading or writing the file failed part-way
//   0x80041001  NotACharacterFile     no character file signature (garbage, a split web
//                                     character's index, a file shorter than the header)
//   0x80041002  UnsupportedVersion15  an old version-1.5 character (a compound document)
//   0x80041003  UnsupportedVersion    a character file whose major version is not 2
//   0x80041004  CorruptFile           a structure is truncated, overlaps the end of the file,
//                                     or holds counts or sizes that cannot be right
//   0x80041005  BadImage              one image cannot be decoded (the rest of the file is fine)
//   0x80041006  BadSound              one sound cannot be decoded (the rest of the file is fine)
//   0x80041007  IndexOutOfRange       an image, sound, animation or frame index that does not exist
//   0x80041008  InvalidModel          the writer was given a model it cannot store (sizes,
//                                     counts or indices outside what the format holds)
//   0x80041009  CompressionError      compressed data is malformed or does not inflate to the
//                                     size it claims

#include <QString>

namespace tilvano::acs {

enum class AcsErrorCode : quint32 {
    None = 0,
    FileNotFound = 0x80070002,
    AccessDenied = 0x80070005,
    ReadFault = 0x8007001E,
    NotACharacterFile = 0x80041001,
    UnsupportedVersion15 = 0x80041002,
    UnsupportedVersion = 0x80041003,
    CorruptFile = 0x80041004,
    BadImage = 0x80041005,
    BadSound = 0x80041006,
    IndexOutOfRange = 0x80041007,
    InvalidModel = 0x80041008,
    CompressionError = 0x80041009,
};

struct AcsError {
    AcsErrorCode code = AcsErrorCode::None;
    QString message;

    quint32 number() const { return quint32(code); }
    bool isError() const { return code != AcsErrorCode::None; }
    // "0x80041004: corrupt character file: ..." for logs and stderr.
    QString toString() const
    {
        return QStringLiteral("0x%1: %2")
            .arg(QString::number(number(), 16).toUpper().rightJustified(8, QLatin1Char('0')), message);
    }
};

// Fills *error (when given) and returns false, so failure paths stay one line long.
inline bool setAcsError(AcsError *error, AcsErrorCode code, const QString &message)
{
    if (error)
        *error = AcsError{code, message};
    return false;
}

} // namespace tilvano::acs
