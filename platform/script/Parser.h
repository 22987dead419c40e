#pragma once

#include "Statements.h"
#include "Token.h"

#include <QSet>

namespace tilvano::script {

// The result of parsing one text: its top-level code, the procedures and
// declarations it brings, and every name still to be bound.
struct ParsedChunk {
    Block statements;
    std::vector<std::shared_ptr<Procedure>> procedures;
    QStringList globals;               // lower-case, top-level Dim
    QHash<QString, Value> constants;   // lower-case, top-level Const
    bool optionExplicit = false;
    std::vector<std::pair<NameExpr *, Procedure *>> names; // with the scope they appear in
};

// Recursive descent over the tokens; the first syntax error throws a
// ScriptException carrying the compilation error's number, line and column.
class Parser {
public:
    explicit Parser(std::vector<Token> tokens);
    ParsedChunk parse();

private:
    struct DepthGuard {
        Parser &parser;
        explicit DepthGuard(Parser &p);
        ~DepthGuard() { --parser.m_depth; }
    };

    const Token &current() const { return m_tokens[m_pos]; }
    const Token &peekToken(std::size_t ahead = 1) const;
    void advance();
    bool atStatementEnd() const;
    bool atLineEnd() const;
    void skipSeparators();
    void expectStatementEnd();
    void expectKeyword(Keyword keyword, qint32 error);
    void expectSymbol(const char *symbol, qint32 error);
    QString expectIdentifier();
    [[noreturn]] void fail(qint32 number) const;
    [[noreturn]] void failAt(qint32 number, const Token &token) const;

    Block parseBlock(std::initializer_list<Keyword> terminators, qint32 missingError);
    bool atAnyKeyword(std::initializer_list<Keyword> keywords) const;
    StmtPtr parseStatement();
    StmtPtr parseIdentifierStatement();
    StmtPtr parseCallKeyword();
    StmtPtr parseDim(bool isReDim);
    void parseConst();
    StmtPtr parseIf();
    StmtPtr parseSelect();
    StmtPtr parseFor();
    StmtPtr parseDo();
    StmtPtr parseWhile();
    StmtPtr parseExit();
    StmtPtr parseOnError();
    StmtPtr parseErase();
    void parseProcedure(bool isFunction);
    void declareName(const QString &name, const Token &at);
    Value parseConstantValue();

    ExprPtr parseExpression(ExprPtr seed = nullptr);
    ExprPtr parseImp(ExprPtr seed);
    ExprPtr parseEqv(ExprPtr seed);
    ExprPtr parseXor(ExprPtr seed);
    ExprPtr parseOr(ExprPtr seed);
    ExprPtr parseAnd(ExprPtr seed);
    ExprPtr parseNot(ExprPtr seed);
    ExprPtr parseComparison(ExprPtr seed);
    ExprPtr parseConcat(ExprPtr seed);
    ExprPtr parseAdditive(ExprPtr seed);
    ExprPtr parseModulo(ExprPtr seed);
    ExprPtr parseIntDivide(ExprPtr seed);
    ExprPtr parseMultiplicative(ExprPtr seed);
    ExprPtr parseNegation(ExprPtr seed);
    ExprPtr parsePower(ExprPtr seed);
    ExprPtr parsePowerOperand();
    ExprPtr parsePrimary();
    ExprPtr parseNameChain();
    ExprList parseArgumentList();
    std::unique_ptr<NameExpr> makeName(const Token &token);
    ExprPtr binary(BinaryOp op, ExprPtr left, ExprPtr right, const Token &at);

    std::vector<Token> m_tokens;
    std::size_t m_pos = 0;
    ParsedChunk m_chunk;
    Procedure *m_scope = nullptr;
    QSet<QString> m_declaredAtTop;
    int m_depth = 0;
    int m_loopDepthDo = 0;
    int m_loopDepthFor = 0;
    int m_singleLineIf = 0;
};

} // namespace tilvano::script
