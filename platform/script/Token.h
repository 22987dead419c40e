#pragma once

#include <QString>

namespace tilvano::script {

enum class TokenType {
    EndOfText,
    EndOfStatement, // line break or ':'
    Identifier,     // also every keyword; see Token::keyword
    IntegerLiteral,
    FloatLiteral,
    StringLiteral,
    DateLiteral,
    Symbol,         // operators and punctuation, spelt in Token::text
};

// Keywords the parser cares about; anything else is Keyword::None.
enum class Keyword {
    None, And, ByRef, ByVal, Call, Case, Const, Dim, Do, Each, Else, ElseIf, Empty, End, Eqv,
    Erase, Error, Exit, Explicit, False, For, Function, GoTo, If, Imp, In, Is, Let, Loop, Mod,
    Next, Not, Nothing, Null, On, Option, Or, Preserve, Private, Public, ReDim, Resume, Select,
    Set, Step, Sub, Then, To, True, Until, Wend, While, Xor, Class, With, Property,
};

struct Token {
    TokenType type = TokenType::EndOfText;
    Keyword keyword = Keyword::None;
    QString text;        // identifier as written, string contents, or the symbol
    double number = 0;   // numeric and date literals
    int line = 1;
    int column = 1;
    bool spaceBefore = false;

    bool isSymbol(const char *s) const { return type == TokenType::Symbol && text == QLatin1String(s); }
    bool is(Keyword k) const { return type == TokenType::Identifier && keyword == k; }
};

} // namespace tilvano::script
