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

// Recursive descent over the tokens, one function per grammar rule (written
// above each function); binary operators are parsed by one loop over a
// precedence table. The first syntax error throws a ScriptException carrying
// the compilation error's number, line and column.
class Parser {
public:
    explicit Parser(std::vector<Token> tokens);
    ParsedChunk parse();

private:
    // Counts nesting (blocks, parentheses, unary operators, argument lists)
    // and refuses it past a fixed depth: the one place that keeps hostile text
    // from exhausting the native stack, here and when the tree runs.
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
    StmtPtr parseSetOrLet();
    StmtPtr parseIdentifierStatement();
    StmtPtr parseCallKeyword();
    StmtPtr parseDim(bool isReDim);
    void parseConst();
    StmtPtr parseIf();
    void parseSingleLineStatements(Block &block);
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
    ExprPtr parseBinary(int minimumPrecedence, ExprPtr seed);
    ExprPtr parseOperand(int minimumPrecedence);
    ExprPtr parsePrimary();
    ExprPtr parseNameChain();
    ExprList parseArgumentList();
    std::unique_ptr<NameExpr> makeName(const Token &token);

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
