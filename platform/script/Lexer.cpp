#include "Lexer.h"

#include "DateLiteral.h"
#include "ScriptError.h"

#include <QStringList>

#include <array>
#include <cmath>

namespace tilvano::script {

Keyword keywordFor(const QString &word)
{
    struct Entry {
        const char *name;
        Keyword keyword;
    };
    static const Entry keywords[] = {
        {"and", Keyword::And}, {"byref", Keyword::ByRef}, {"byval", Keyword::ByVal}, {"call", Keyword::Call},
        {"case", Keyword::Case}, {"const", Keyword::Const}, {"dim", Keyword::Dim}, {"do", Keyword::Do},
        {"each", Keyword::Each}, {"else", Keyword::Else}, {"elseif", Keyword::ElseIf}, {"empty", Keyword::Empty},
        {"end", Keyword::End}, {"eqv", Keyword::Eqv}, {"erase", Keyword::Erase}, {"error", Keyword::Error},
        {"exit", Keyword::Exit}, {"explicit", Keyword::Explicit}, {"false", Keyword::False}, {"for", Keyword::For},
        {"function", Keyword::Function}, {"goto", Keyword::GoTo}, {"if", Keyword::If}, {"imp", Keyword::Imp},
        {"in", Keyword::In}, {"is", Keyword::Is}, {"let", Keyword::Let}, {"loop", Keyword::Loop},
        {"mod", Keyword::Mod}, {"next", Keyword::Next}, {"not", Keyword::Not}, {"nothing", Keyword::Nothing},
        {"null", Keyword::Null}, {"on", Keyword::On}, {"option", Keyword::Option}, {"or", Keyword::Or},
        {"preserve", Keyword::Preserve}, {"private", Keyword::Private}, {"public", Keyword::Public},
        {"redim", Keyword::ReDim}, {"resume", Keyword::Resume}, {"select", Keyword::Select}, {"set", Keyword::Set},
        {"step", Keyword::Step}, {"sub", Keyword::Sub}, {"then", Keyword::Then}, {"to", Keyword::To},
        {"true", Keyword::True}, {"until", Keyword::Until}, {"wend", Keyword::Wend}, {"while", Keyword::While},
        {"xor", Keyword::Xor}, {"class", Keyword::Class}, {"with", Keyword::With}, {"property", Keyword::Property},
    };
    // Bucketed by first letter and compared in place: the lexer asks for
    // every word, and most are not keywords.
    static const auto buckets = [] {
        std::array<std::vector<std::pair<QLatin1String, Keyword>>, 26> b;
        for (const Entry &e : keywords)
            b[std::size_t(e.name[0] - 'a')].emplace_back(QLatin1String(e.name), e.keyword);
        return b;
    }();
    if (word.size() < 2 || word.size() > 8)
        return Keyword::None;
    const char16_t first = word[0].toLower().unicode();
    if (first < u'a' || first > u'z')
        return Keyword::None;
    for (const auto &[name, keyword] : buckets[std::size_t(first - u'a')])
        if (name.size() == word.size() && word.compare(name, Qt::CaseInsensitive) == 0)
            return keyword;
    return Keyword::None;
}

Lexer::Lexer(const QString &text) : m_text(text) {}

void Lexer::fail(qint32 number) const
{
    throw ScriptException{number, errorText(number), compileErrorSource(), m_tokenLine, m_tokenColumn};
}

QChar Lexer::peek(qsizetype ahead) const
{
    const qsizetype at = m_pos + ahead;
    return at < m_text.size() ? m_text[at] : QChar();
}

void Lexer::advance()
{
    if (m_text[m_pos] == QLatin1Char('\n')) {
        ++m_line;
        m_column = 1;
    } else {
        ++m_column;
    }
    ++m_pos;
}

static bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0xA0);
}

static bool isIdentifierStart(QChar c)
{
    return c.isLetter();
}

static bool isIdentifierPart(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

void Lexer::skipToLineEnd()
{
    while (m_pos < m_text.size() && m_text[m_pos] != QLatin1Char('\n') && m_text[m_pos] != QLatin1Char('\r'))
        advance();
}

void Lexer::skipBlanks()
{
    for (;;) {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            advance();
        // "_" at the end of a line joins the next line to this statement.
        if (peek() == QLatin1Char('_')) {
            qsizetype ahead = 1;
            while (isBlank(peek(ahead)))
                ++ahead;
            const QChar after = peek(ahead);
            if (after == QLatin1Char('\r') || after == QLatin1Char('\n')) {
                for (qsizetype i = 0; i < ahead; ++i)
                    advance();
                if (peek() == QLatin1Char('\r'))
                    advance();
                if (peek() == QLatin1Char('\n'))
                    advance();
                continue;
            }
        }
        return;
    }
}

std::vector<Token> Lexer::tokenize()
{
    std::vector<Token> tokens;
    tokens.reserve(std::size_t(m_text.size() / 4 + 16));
    bool spaceBefore = false;
    auto push = [&](Token t) {
        t.line = m_tokenLine;
        t.column = m_tokenColumn;
        t.spaceBefore = spaceBefore;
        tokens.push_back(std::move(t));
    };
    for (;;) {
        const qsizetype before = m_pos;
        skipBlanks();
        spaceBefore = m_pos != before;
        m_tokenLine = m_line;
        m_tokenColumn = m_column;
        if (m_pos >= m_text.size())
            break;
        const QChar c = m_text[m_pos];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char(':')) {
            advance();
            if (c == QLatin1Char('\r') && peek() == QLatin1Char('\n'))
                advance();
            static const QString colon = QStringLiteral(":"), lineBreak = QStringLiteral("\n");
            if (tokens.empty() || tokens.back().type != TokenType::EndOfStatement || c == QLatin1Char(':'))
                push(Token{TokenType::EndOfStatement, Keyword::None, c == QLatin1Char(':') ? colon : lineBreak});
            continue;
        }
        if (c == QLatin1Char('\'')) {
            skipToLineEnd();
            continue;
        }
        if (c == QLatin1Char('"')) {
            push(stringLiteral());
            continue;
        }
        if (c.isDigit() || (c == QLatin1Char('.') && peek(1).isDigit()
                            && !(tokens.size() && !spaceBefore
                                 && (tokens.back().type == TokenType::Identifier || tokens.back().isSymbol(")"))))) {
            push(number());
            continue;
        }
        if (c == QLatin1Char('&') && (peek(1) == QLatin1Char('H') || peek(1) == QLatin1Char('h')
                                      || peek(1) == QLatin1Char('O') || peek(1) == QLatin1Char('o'))) {
            push(number());
            continue;
        }
        if (c == QLatin1Char('#')) {
            push(dateLiteral());
            continue;
        }
        if (isIdentifierStart(c)) {
            const qsizetype start = m_pos;
            while (m_pos < m_text.size() && isIdentifierPart(m_text[m_pos]))
                advance();
            QString word = m_text.mid(start, m_pos - start);
            const Keyword kw = keywordFor(word);
            if (word.compare(QLatin1String("rem"), Qt::CaseInsensitive) == 0) {
                skipToLineEnd();
                continue;
            }
            push(Token{TokenType::Identifier, kw, std::move(word)});
            continue;
        }
        if (c == QLatin1Char('[')) {
            // [any name] is an identifier spelt with brackets.
            advance();
            const qsizetype start = m_pos;
            while (m_pos < m_text.size() && m_text[m_pos] != QLatin1Char(']') && m_text[m_pos] != QLatin1Char('\n'))
                advance();
            if (peek() != QLatin1Char(']'))
                fail(errc::ExpectedIdentifier);
            QString word = m_text.mid(start, m_pos - start);
            advance();
            push(Token{TokenType::Identifier, Keyword::None, std::move(word)});
            continue;
        }
        static const char *const twoCharSymbols[] = {"<>", "<=", ">=", "=<", "=>"};
        bool matched = false;
        for (const char *s : twoCharSymbols) {
            if (c == QLatin1Char(s[0]) && peek(1) == QLatin1Char(s[1])) {
                advance();
                advance();
                QString text = QString::fromLatin1(s);
                if (text == QLatin1String("=<"))
                    text = QStringLiteral("<=");
                else if (text == QLatin1String("=>"))
                    text = QStringLiteral(">=");
                push(Token{TokenType::Symbol, Keyword::None, text});
                matched = true;
                break;
            }
        }
        if (matched)
            continue;
        static const QStringView singleSymbols = u"+-*/\\^&=<>(),.";
        if (const qsizetype which = singleSymbols.indexOf(c); which >= 0) {
            static const QStringList symbolTexts = [] {
                QStringList texts;
                for (QChar symbol : singleSymbols)
                    texts.append(QString(symbol));
                return texts;
            }();
            advance();
            push(Token{TokenType::Symbol, Keyword::None, symbolTexts[which]});
            continue;
        }
        fail(errc::InvalidCharacter);
    }
    m_tokenLine = m_line;
    m_tokenColumn = m_column;
    push(Token{TokenType::EndOfStatement, Keyword::None, QString()});
    push(Token{TokenType::EndOfText, Keyword::None, QString()});
    return tokens;
}

Token Lexer::number()
{
    Token t;
    if (peek() == QLatin1Char('&')) {
        const bool hex = peek(1).toLower() == QLatin1Char('h');
        advance();
        advance();
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && (hex ? isxdigit(m_text[m_pos].toLatin1()) : (m_text[m_pos] >= QLatin1Char('0') && m_text[m_pos] <= QLatin1Char('7'))))
            advance();
        const qsizetype end = m_pos;
        const bool longSuffix = peek() == QLatin1Char('&');
        if (longSuffix)
            advance();
        bool ok = false;
        const qint64 v = m_text.mid(start, end - start).toLongLong(&ok, hex ? 16 : 8);
        if (!ok || v > 0xFFFFFFFFLL)
            fail(errc::SyntaxError);
        // Hex and octal literals are machine words: &HFFFF is the Integer -1,
        // &HFFFF& (with the Long suffix) the Long 65535.
        t.type = TokenType::IntegerLiteral;
        t.number = (v <= 0xFFFF && !longSuffix) ? double(qint16(quint16(v))) : double(qint32(quint32(v)));
        return t;
    }
    const qsizetype start = m_pos;
    bool isFloat = false;
    while (peek().isDigit())
        advance();
    if (peek() == QLatin1Char('.') && peek(1).isDigit()) {
        isFloat = true;
        advance();
        while (peek().isDigit())
            advance();
    } else if (peek() == QLatin1Char('.') && !isIdentifierStart(peek(1))) {
        isFloat = true;
        advance();
    }
    if ((peek() == QLatin1Char('e') || peek() == QLatin1Char('E'))
        && (peek(1).isDigit() || ((peek(1) == QLatin1Char('-') || peek(1) == QLatin1Char('+')) && peek(2).isDigit()))) {
        isFloat = true;
        advance();
        advance();
        while (peek().isDigit())
            advance();
    }
    if (isIdentifierStart(peek()))
        fail(errc::ExpectedEndOfStatement);
    bool ok = false;
    t.number = m_text.mid(start, m_pos - start).toDouble(&ok);
    if (!ok || !std::isfinite(t.number))
        fail(errc::SyntaxError);
    t.type = (!isFloat && t.number <= 2147483647.0) ? TokenType::IntegerLiteral : TokenType::FloatLiteral;
    return t;
}

Token Lexer::stringLiteral()
{
    advance(); // opening quote
    QString text;
    for (;;) {
        // Copy the run up to the next quote or line end in one piece.
        qsizetype end = m_pos;
        while (end < m_text.size() && m_text[end] != QLatin1Char('"') && m_text[end] != QLatin1Char('\n')
               && m_text[end] != QLatin1Char('\r'))
            ++end;
        text += QStringView(m_text).mid(m_pos, end - m_pos);
        m_column += int(end - m_pos);
        m_pos = end;
        if (m_pos >= m_text.size() || m_text[m_pos] != QLatin1Char('"'))
            fail(errc::UnterminatedString);
        advance();
        if (peek() != QLatin1Char('"'))
            break;
        text += QLatin1Char('"'); // "" inside a string is one quote
        advance();
    }
    Token t;
    t.type = TokenType::StringLiteral;
    t.text = std::move(text);
    return t;
}

Token Lexer::dateLiteral()
{
    advance();
    const qsizetype start = m_pos;
    while (m_pos < m_text.size() && m_text[m_pos] != QLatin1Char('#') && m_text[m_pos] != QLatin1Char('\n'))
        advance();
    if (peek() != QLatin1Char('#'))
        fail(errc::SyntaxError);
    const QStringView body = QStringView(m_text).mid(start, m_pos - start);
    advance();
    if (const std::optional<double> serial = parseDateLiteral(body)) {
        Token t;
        t.type = TokenType::DateLiteral;
        t.number = *serial;
        return t;
    }
    fail(errc::SyntaxError);
}

} // namespace tilvano::script
