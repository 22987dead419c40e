#pragma once

#include "Token.h"

#include <vector>

namespace tilvano::script {

// Turns script text into tokens. Comments and line continuations vanish here;
// a bad character or an unterminated string raises a compilation error.
class Lexer {
public:
    explicit Lexer(const QString &text);
    std::vector<Token> tokenize();

private:
    [[noreturn]] void fail(qint32 number) const;
    void skipBlanks();
    Token number();
    Token stringLiteral();
    Token dateLiteral();
    void skipToLineEnd();
    QChar peek(qsizetype ahead = 0) const;
    void advance();

    const QString &m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
    int m_column = 1;
    int m_tokenLine = 1;
    int m_tokenColumn = 1;
};

Keyword keywordFor(const QString &word);

} // namespace tilvano::script
