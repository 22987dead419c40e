#include "Parser.h"

#include "ScriptError.h"

#include <optional>

namespace tilvano::script {

namespace {
// Deeper nesting than this is refused at compile time instead of risking the
// native stack (hostile or generated text).
constexpr int MaximumNesting = 200;

template <typename T>
std::unique_ptr<T> node(const Token &at)
{
    auto n = std::make_unique<T>();
    n->line = at.line;
    n->column = at.column;
    return n;
}

// Binding strength, loosest first. Operators of one level associate to the
// left. Not and the sign are prefix operators with levels of their own: Not
// binds looser than the comparisons, the sign looser than "^" (so that -2 ^ 2
// is -4) but tighter than "*".
enum Precedence {
    Loosest = 0,
    ImpLevel,
    EqvLevel,
    XorLevel,
    OrLevel,
    AndLevel,
    NotLevel,
    ComparisonLevel,
    ConcatLevel,
    AdditiveLevel,
    ModuloLevel,
    IntDivideLevel,
    MultiplicativeLevel,
    SignLevel,
    PowerLevel,
};

struct BinaryOperator {
    const char *symbol;  // or null for a keyword operator
    Keyword keyword;
    BinaryOp op;
    int precedence;
};

constexpr BinaryOperator binaryOperators[] = {
    {nullptr, Keyword::Imp, BinaryOp::Imp, ImpLevel},
    {nullptr, Keyword::Eqv, BinaryOp::Eqv, EqvLevel},
    {nullptr, Keyword::Xor, BinaryOp::Xor, XorLevel},
    {nullptr, Keyword::Or, BinaryOp::Or, OrLevel},
    {nullptr, Keyword::And, BinaryOp::And, AndLevel},
    {"=", Keyword::None, BinaryOp::Equal, ComparisonLevel},
    {"<>", Keyword::None, BinaryOp::NotEqual, ComparisonLevel},
    {"<", Keyword::None, BinaryOp::Less, ComparisonLevel},
    {">", Keyword::None, BinaryOp::Greater, ComparisonLevel},
    {"<=", Keyword::None, BinaryOp::LessEqual, ComparisonLevel},
    {">=", Keyword::None, BinaryOp::GreaterEqual, ComparisonLevel},
    {nullptr, Keyword::Is, BinaryOp::Is, ComparisonLevel},
    {"&", Keyword::None, BinaryOp::Concat, ConcatLevel},
    {"+", Keyword::None, BinaryOp::Add, AdditiveLevel},
    {"-", Keyword::None, BinaryOp::Subtract, AdditiveLevel},
    {nullptr, Keyword::Mod, BinaryOp::Modulo, ModuloLevel},
    {"\\", Keyword::None, BinaryOp::IntDivide, IntDivideLevel},
    {"*", Keyword::None, BinaryOp::Multiply, MultiplicativeLevel},
    {"/", Keyword::None, BinaryOp::Divide, MultiplicativeLevel},
    {"^", Keyword::None, BinaryOp::Power, PowerLevel},
};

// The operator a token spells, or null. Looked up by the symbol's text or the
// keyword, in indexes made once from the table above.
const BinaryOperator *binaryOperatorAt(const Token &t)
{
    struct Index {
        QHash<QString, const BinaryOperator *> bySymbol;
        QHash<int, const BinaryOperator *> byKeyword;
    };
    static const Index index = [] {
        Index made;
        for (const BinaryOperator &op : binaryOperators) {
            if (op.symbol)
                made.bySymbol.insert(QString::fromLatin1(op.symbol), &op);
            else
                made.byKeyword.insert(int(op.keyword), &op);
        }
        return made;
    }();
    if (t.type == TokenType::Symbol)
        return index.bySymbol.value(t.text, nullptr);
    if (t.type == TokenType::Identifier && t.keyword != Keyword::None)
        return index.byKeyword.value(int(t.keyword), nullptr);
    return nullptr;
}

// The parts that "target & ..." appends to target, or none when value is no
// such chain.
std::vector<const Expr *> appendedTo(const NameExpr &target, const Expr &value)
{
    const auto isTarget = [&](const Expr &e) {
        auto *name = dynamic_cast<const NameExpr *>(&e);
        return name && !name->hasArguments && name->name.compare(target.name, Qt::CaseInsensitive) == 0;
    };
    std::vector<const Expr *> parts;
    if (auto *binary = dynamic_cast<const BinaryExpr *>(&value)) {
        if (binary->op == BinaryOp::Concat && isTarget(*binary->left))
            parts.push_back(binary->right.get());
    } else if (auto *chain = dynamic_cast<const OperatorChain *>(&value); chain && isTarget(*chain->first)) {
        for (const OperatorChain::Link &link : chain->rest) {
            if (link.op != BinaryOp::Concat)
                return {};
            parts.push_back(link.operand.get());
        }
    }
    return parts;
}

// The parenthesised group "(x)" as an expression of its own: its value, never
// its variable (so a ByRef parameter gets a copy).
ExprPtr parenthesised(ExprPtr inner)
{
    auto paren = std::make_unique<ParenExpr>();
    paren->line = inner->line;
    paren->column = inner->column;
    paren->inner = std::move(inner);
    return paren;
}
} // namespace

Parser::DepthGuard::DepthGuard(Parser &p) : parser(p)
{
    if (++parser.m_depth > MaximumNesting)
        parser.fail(errc::OutOfStack);
}

Parser::Parser(std::vector<Token> tokens) : m_tokens(std::move(tokens)) {}

const Token &Parser::peekToken(std::size_t ahead) const
{
    return m_tokens[std::min(m_pos + ahead, m_tokens.size() - 1)];
}

void Parser::advance()
{
    if (m_pos + 1 < m_tokens.size())
        ++m_pos;
}

bool Parser::atLineEnd() const
{
    const Token &t = current();
    return t.type == TokenType::EndOfText || (t.type == TokenType::EndOfStatement && t.text != QLatin1String(":"));
}

bool Parser::atStatementEnd() const
{
    const Token &t = current();
    return t.type == TokenType::EndOfStatement || t.type == TokenType::EndOfText
        || (m_singleLineIf > 0 && t.is(Keyword::Else));
}

void Parser::skipSeparators()
{
    while (current().type == TokenType::EndOfStatement)
        advance();
}

void Parser::expectStatementEnd()
{
    if (!atStatementEnd())
        fail(errc::ExpectedEndOfStatement);
}

void Parser::expectKeyword(Keyword keyword, qint32 error)
{
    if (!current().is(keyword))
        fail(error);
    advance();
}

void Parser::expectSymbol(const char *symbol, qint32 error)
{
    if (!current().isSymbol(symbol))
        fail(error);
    advance();
}

QString Parser::expectIdentifier()
{
    if (current().type != TokenType::Identifier || current().keyword != Keyword::None)
        fail(errc::ExpectedIdentifier);
    QString name = current().text;
    advance();
    return name;
}

void Parser::fail(qint32 number) const
{
    failAt(number, current());
}

void Parser::failAt(qint32 number, const Token &token) const
{
    throw ScriptException{number, errorText(number), compileErrorSource(), token.line, token.column};
}

// ---- statements ----

// program ::= [ "Option" "Explicit" end ] { procedure | statement end }
ParsedChunk Parser::parse()
{
    skipSeparators();
    if (current().is(Keyword::Option)) {
        advance();
        expectKeyword(Keyword::Explicit, errc::SyntaxError);
        m_chunk.optionExplicit = true;
        expectStatementEnd();
    }
    for (;;) {
        skipSeparators();
        if (current().type == TokenType::EndOfText)
            break;
        const Token &t = current();
        const bool modifier = t.is(Keyword::Public) || t.is(Keyword::Private);
        const Token &head = modifier ? peekToken() : t;
        if (head.is(Keyword::Sub) || head.is(Keyword::Function)) {
            if (modifier)
                advance();
            advance();
            parseProcedure(head.is(Keyword::Function));
            continue;
        }
        if (StmtPtr s = parseStatement())
            m_chunk.statements.push_back(std::move(s));
        expectStatementEnd();
    }
    return std::move(m_chunk);
}

bool Parser::atAnyKeyword(std::initializer_list<Keyword> keywords) const
{
    for (Keyword k : keywords)
        if (current().is(k))
            return true;
    return false;
}

// block ::= { statement end }   up to one of the terminators (not consumed)
Block Parser::parseBlock(std::initializer_list<Keyword> terminators, qint32 missingError)
{
    DepthGuard guard(*this);
    Block block;
    for (;;) {
        skipSeparators();
        if (current().type == TokenType::EndOfText)
            fail(missingError);
        if (atAnyKeyword(terminators))
            return block;
        if (current().is(Keyword::Sub) || current().is(Keyword::Function))
            fail(errc::SyntaxError); // procedures nest only at the top
        if (StmtPtr s = parseStatement())
            block.push_back(std::move(s));
        expectStatementEnd();
    }
}

// statement ::= dim | redim | const | if | select | for | do | while | exit
//             | on-error | erase | call | set-or-let | assignment-or-call
// Declarations that leave nothing to run (Const) return null.
StmtPtr Parser::parseStatement()
{
    DepthGuard guard(*this);
    const Token &t = current();
    if (t.type != TokenType::Identifier)
        fail(errc::ExpectedStatement);
    switch (t.keyword) {
    case Keyword::None: return parseIdentifierStatement();
    case Keyword::Dim: advance(); return parseDim(false);
    case Keyword::Public:
    case Keyword::Private:
        advance();
        if (current().is(Keyword::Const)) {
            advance();
            parseConst();
            return nullptr;
        }
        return parseDim(false);
    case Keyword::ReDim: advance(); return parseDim(true);
    case Keyword::Const: advance(); parseConst(); return nullptr;
    case Keyword::If: return parseIf();
    case Keyword::Select: return parseSelect();
    case Keyword::For: return parseFor();
    case Keyword::Do: return parseDo();
    case Keyword::While: return parseWhile();
    case Keyword::Exit: return parseExit();
    case Keyword::On: return parseOnError();
    case Keyword::Erase: return parseErase();
    case Keyword::Call: return parseCallKeyword();
    case Keyword::Set:
    case Keyword::Let: return parseSetOrLet();
    case Keyword::Loop: fail(1038);
    default: fail(errc::ExpectedStatement);
    }
}

// set-or-let ::= ( "Set" | "Let" ) name-chain "=" expression
StmtPtr Parser::parseSetOrLet()
{
    const Token at = current();
    advance();
    ExprPtr target = parseNameChain();
    expectSymbol("=", errc::ExpectedEquals);
    auto s = node<AssignStmt>(at);
    s->target = std::move(target);
    s->value = parseExpression();
    s->isSet = at.is(Keyword::Set);
    return s;
}

// assignment-or-call ::= name-chain "=" expression
//                      | name-chain [ expression { "," expression } ]
// In a call statement the arguments stand without parentheses; "f (a)" passes
// the parenthesised a by value, and "f(a, b)" is an error.
StmtPtr Parser::parseIdentifierStatement()
{
    const Token at = current();
    ExprPtr chain = parseNameChain();
    if (current().isSymbol("=")) {
        advance();
        auto s = node<AssignStmt>(at);
        s->value = parseExpression();
        // "s = s & a & b" on a plain variable appends a and b in place.
        if (auto *target = dynamic_cast<NameExpr *>(chain.get()); target && !target->hasArguments)
            s->appendedParts = appendedTo(*target, *s->value);
        s->target = std::move(chain);
        return s;
    }
    auto *name = dynamic_cast<NameExpr *>(chain.get());
    auto *member = dynamic_cast<MemberExpr *>(chain.get());
    if (!name && !member)
        failAt(errc::ExpectedStatement, at);
    bool &hasArguments = name ? name->hasArguments : member->hasArguments;
    ExprList &arguments = name ? name->arguments : member->arguments;
    if (name)
        name->statementCall = true;
    if (atStatementEnd()) {
        if (hasArguments) {
            // f(a, b) as a statement: the parentheses cannot be an argument list.
            if (arguments.size() > 1)
                failAt(errc::ParenthesesOnSubCall, at);
            if (arguments.size() == 1)
                arguments[0] = parenthesised(std::move(arguments[0]));
        }
        hasArguments = true;
    } else {
        ExprList callArguments;
        if (hasArguments) {
            // "f (a) + 1, b": the parenthesised group starts the first argument.
            if (arguments.size() != 1)
                failAt(errc::ParenthesesOnSubCall, at);
            ExprPtr group = parenthesised(std::move(arguments[0]));
            arguments.clear();
            callArguments.push_back(parseExpression(std::move(group)));
        } else {
            callArguments.push_back(parseExpression());
        }
        while (current().isSymbol(",")) {
            advance();
            callArguments.push_back(parseExpression());
        }
        arguments = std::move(callArguments);
        hasArguments = true;
    }
    auto s = node<CallStmt>(at);
    s->call = std::move(chain);
    return s;
}

// call ::= "Call" name-chain      (its parentheses are the argument list)
StmtPtr Parser::parseCallKeyword()
{
    const Token at = current();
    advance();
    ExprPtr chain = parseNameChain();
    if (auto *name = dynamic_cast<NameExpr *>(chain.get())) {
        name->statementCall = true;
        name->hasArguments = true;
    } else if (auto *member = dynamic_cast<MemberExpr *>(chain.get())) {
        member->hasArguments = true;
    } else {
        failAt(errc::ExpectedIdentifier, at);
    }
    auto s = node<CallStmt>(at);
    s->call = std::move(chain);
    return s;
}

void Parser::declareName(const QString &name, const Token &at)
{
    const QString lower = name.toLower();
    if (m_scope) {
        if (m_scope->slotIndex.contains(lower) || m_scope->constants.contains(lower))
            failAt(errc::NameRedefined, at);
        m_scope->addSlot(lower);
    } else {
        if (m_declaredAtTop.contains(lower))
            failAt(errc::NameRedefined, at);
        m_declaredAtTop.insert(lower);
        m_chunk.globals.append(lower);
    }
}

// dim   ::= ( "Dim" | "Public" | "Private" ) declared { "," declared }
// declared ::= identifier [ "(" [ integer { "," integer } ] ")" ]
// redim ::= "ReDim" [ "Preserve" ] identifier "(" expression { "," expression } ")"
//           { "," ... }
StmtPtr Parser::parseDim(bool isReDim)
{
    const Token at = m_tokens[m_pos - 1];
    std::vector<DimEntry> entries;
    bool preserve = false;
    if (isReDim && current().is(Keyword::Preserve)) {
        preserve = true;
        advance();
    }
    for (;;) {
        const Token nameToken = current();
        if (nameToken.type != TokenType::Identifier || nameToken.keyword != Keyword::None)
            fail(errc::ExpectedIdentifier);
        DimEntry entry;
        entry.name = makeName(nameToken);
        advance();
        if (!isReDim)
            declareName(nameToken.text, nameToken);
        if (current().isSymbol("(")) {
            advance();
            entry.isArray = true;
            if (!current().isSymbol(")")) {
                for (;;) {
                    if (isReDim) {
                        entry.bounds.push_back(parseExpression());
                    } else {
                        // Dim takes constant bounds only.
                        if (current().type != TokenType::IntegerLiteral)
                            fail(errc::ExpectedIntegerConstant);
                        auto literal = node<LiteralExpr>(current());
                        literal->value = Value::fromInteger(qint64(current().number));
                        advance();
                        entry.bounds.push_back(std::move(literal));
                    }
                    if (!current().isSymbol(","))
                        break;
                    advance();
                }
            }
            expectSymbol(")", errc::ExpectedRightParen);
            if (isReDim && entry.bounds.empty())
                fail(errc::ExpectedExpression);
        } else if (isReDim) {
            fail(errc::ExpectedLeftParen);
        }
        entries.push_back(std::move(entry));
        if (!current().isSymbol(","))
            break;
        advance();
    }
    if (isReDim) {
        auto s = node<ReDimStmt>(at);
        s->preserve = preserve;
        s->entries = std::move(entries);
        return s;
    }
    auto s = node<DimStmt>(at);
    s->entries = std::move(entries);
    return s;
}

// constant-value ::= { "-" | "+" } ( number | string | date | True | False
//                                    | Empty | Null | Nothing )
Value Parser::parseConstantValue()
{
    bool negate = false;
    while (current().isSymbol("-") || current().isSymbol("+")) {
        negate ^= current().isSymbol("-");
        advance();
    }
    const Token &t = current();
    Value v;
    switch (t.type) {
    case TokenType::IntegerLiteral: v = Value::fromInteger(qint64(negate ? -t.number : t.number)); negate = false; break;
    case TokenType::FloatLiteral: v = Value::number(t.number); break;
    case TokenType::StringLiteral: v = Value::string(t.text); break;
    case TokenType::DateLiteral: v = Value::date(t.number); break;
    case TokenType::Identifier:
        if (t.is(Keyword::True)) v = Value::boolean(true);
        else if (t.is(Keyword::False)) v = Value::boolean(false);
        else if (t.is(Keyword::Empty)) v = Value();
        else if (t.is(Keyword::Null)) v = Value::null();
        else if (t.is(Keyword::Nothing)) v = Value::nothing();
        else fail(errc::ExpectedLiteral);
        break;
    default: fail(errc::ExpectedLiteral);
    }
    if (negate) {
        if (v.kind() == Kind::Double)
            v = Value::number(-v.asDouble());
        else if (v.isIntegral())
            v = Value::fromInteger(-qint64(v.asInt()));
        else
            fail(errc::ExpectedLiteral);
    }
    advance();
    return v;
}

// const ::= "Const" identifier "=" constant-value { "," identifier "=" constant-value }
void Parser::parseConst()
{
    for (;;) {
        const Token nameToken = current();
        const QString name = expectIdentifier();
        expectSymbol("=", errc::ExpectedEquals);
        const Value value = parseConstantValue();
        const QString lower = name.toLower();
        if (m_scope) {
            if (m_scope->slotIndex.contains(lower) || m_scope->constants.contains(lower))
                failAt(errc::NameRedefined, nameToken);
            m_scope->constants.insert(lower, value);
        } else {
            if (m_declaredAtTop.contains(lower))
                failAt(errc::NameRedefined, nameToken);
            m_declaredAtTop.insert(lower);
            m_chunk.constants.insert(lower, value);
        }
        if (!current().isSymbol(","))
            break;
        advance();
    }
}

// single-line-statements ::= statement { ":" statement }   up to "Else" or the line's end
void Parser::parseSingleLineStatements(Block &block)
{
    for (;;) {
        if (current().type == TokenType::EndOfStatement && current().text == QLatin1String(":")) {
            advance();
            continue;
        }
        if (atLineEnd() || current().is(Keyword::Else))
            break;
        if (StmtPtr inner = parseStatement())
            block.push_back(std::move(inner));
        expectStatementEnd();
    }
}

// if ::= "If" expression "Then" single-line-statements [ "Else" single-line-statements ]
//      | "If" expression "Then" end block
//        { "ElseIf" expression "Then" block } [ "Else" block ] "End" "If"
StmtPtr Parser::parseIf()
{
    const Token at = current();
    advance();
    auto s = node<IfStmt>(at);
    ExprPtr condition = parseExpression();
    expectKeyword(Keyword::Then, errc::ExpectedThen);
    if (!atLineEnd()) {
        ++m_singleLineIf;
        Block thenBlock;
        parseSingleLineStatements(thenBlock);
        s->branches.emplace_back(std::move(condition), std::move(thenBlock));
        if (current().is(Keyword::Else)) {
            advance();
            parseSingleLineStatements(s->elseBlock);
        }
        --m_singleLineIf;
        if (current().is(Keyword::End))
            fail(errc::ExpectedEndOfStatement);
        return s;
    }
    const int saved = m_singleLineIf;
    m_singleLineIf = 0;
    Block block = parseBlock({Keyword::ElseIf, Keyword::Else, Keyword::End}, errc::ExpectedEnd);
    s->branches.emplace_back(std::move(condition), std::move(block));
    for (;;) {
        if (current().is(Keyword::ElseIf)) {
            advance();
            ExprPtr c = parseExpression();
            expectKeyword(Keyword::Then, errc::ExpectedThen);
            Block b = parseBlock({Keyword::ElseIf, Keyword::Else, Keyword::End}, errc::ExpectedEnd);
            s->branches.emplace_back(std::move(c), std::move(b));
            continue;
        }
        if (current().is(Keyword::Else)) {
            advance();
            s->elseBlock = parseBlock({Keyword::End}, errc::ExpectedEnd);
        }
        break;
    }
    expectKeyword(Keyword::End, errc::ExpectedEnd);
    expectKeyword(Keyword::If, errc::ExpectedIf);
    m_singleLineIf = saved;
    return s;
}

// select ::= "Select" "Case" expression end
//            { "Case" expression { "," expression } end block }
//            [ "Case" "Else" end block ] "End" "Select"
StmtPtr Parser::parseSelect()
{
    const Token at = current();
    advance();
    expectKeyword(Keyword::Case, errc::ExpectedCase);
    auto s = node<SelectStmt>(at);
    s->subject = parseExpression();
    expectStatementEnd();
    const int saved = m_singleLineIf;
    m_singleLineIf = 0;
    skipSeparators();
    while (current().is(Keyword::Case)) {
        advance();
        if (current().is(Keyword::Else)) {
            advance();
            s->hasElse = true;
            s->elseBlock = parseBlock({Keyword::End}, errc::ExpectedEnd);
            break;
        }
        ExprList values;
        for (;;) {
            values.push_back(parseExpression());
            if (!current().isSymbol(","))
                break;
            advance();
        }
        expectStatementEnd();
        Block block = parseBlock({Keyword::Case, Keyword::End}, errc::ExpectedEnd);
        s->cases.emplace_back(std::move(values), std::move(block));
    }
    skipSeparators();
    expectKeyword(Keyword::End, errc::ExpectedEnd);
    expectKeyword(Keyword::Select, errc::ExpectedSelect);
    m_singleLineIf = saved;
    return s;
}

// for ::= "For" identifier "=" expression "To" expression [ "Step" expression ] end
//          block "Next" [ identifier ]
//       | "For" "Each" identifier "In" expression end block "Next" [ identifier ]
StmtPtr Parser::parseFor()
{
    const Token at = current();
    advance();
    const int saved = m_singleLineIf;
    m_singleLineIf = 0;
    StmtPtr result;
    if (current().is(Keyword::Each)) {
        advance();
        auto s = node<ForEachStmt>(at);
        const Token nameToken = current();
        expectIdentifier();
        s->element = makeName(nameToken);
        expectKeyword(Keyword::In, errc::ExpectedIn);
        s->collection = parseExpression();
        expectStatementEnd();
        ++m_loopDepthFor;
        s->body = parseBlock({Keyword::Next}, errc::ExpectedNext);
        --m_loopDepthFor;
        result = std::move(s);
    } else {
        auto s = node<ForStmt>(at);
        const Token nameToken = current();
        expectIdentifier();
        s->counter = makeName(nameToken);
        expectSymbol("=", errc::ExpectedEquals);
        s->from = parseExpression();
        expectKeyword(Keyword::To, errc::ExpectedTo);
        s->to = parseExpression();
        if (current().is(Keyword::Step)) {
            advance();
            s->step = parseExpression();
        }
        expectStatementEnd();
        ++m_loopDepthFor;
        s->body = parseBlock({Keyword::Next}, errc::ExpectedNext);
        --m_loopDepthFor;
        result = std::move(s);
    }
    advance(); // Next
    if (current().type == TokenType::Identifier && current().keyword == Keyword::None)
        advance(); // the optional counter name after Next
    m_singleLineIf = saved;
    return result;
}

// do ::= "Do" [ ( "While" | "Until" ) expression ] end block
//        "Loop" [ ( "While" | "Until" ) expression ]      (a condition at one end only)
StmtPtr Parser::parseDo()
{
    const Token at = current();
    advance();
    auto s = node<DoStmt>(at);
    if (current().is(Keyword::While) || current().is(Keyword::Until)) {
        s->until = current().is(Keyword::Until);
        advance();
        s->condition = parseExpression();
        s->conditionFirst = true;
    }
    expectStatementEnd();
    const int saved = m_singleLineIf;
    m_singleLineIf = 0;
    ++m_loopDepthDo;
    s->body = parseBlock({Keyword::Loop}, errc::ExpectedLoop);
    --m_loopDepthDo;
    advance(); // Loop
    if (current().is(Keyword::While) || current().is(Keyword::Until)) {
        if (s->condition)
            fail(errc::ExpectedEndOfStatement);
        s->until = current().is(Keyword::Until);
        advance();
        s->condition = parseExpression();
        s->conditionFirst = false;
    }
    m_singleLineIf = saved;
    return s;
}

// while ::= "While" expression end block "Wend"
StmtPtr Parser::parseWhile()
{
    const Token at = current();
    advance();
    auto s = node<DoStmt>(at);
    s->condition = parseExpression();
    expectStatementEnd();
    const int saved = m_singleLineIf;
    m_singleLineIf = 0;
    // Exit Do does not leave a While loop; count it as neither kind.
    const int savedDo = m_loopDepthDo;
    m_loopDepthDo = 0;
    s->body = parseBlock({Keyword::Wend}, errc::ExpectedWend);
    m_loopDepthDo = savedDo;
    advance();
    m_singleLineIf = saved;
    return s;
}

// exit ::= "Exit" ( "Do" | "For" | "Sub" | "Function" )   (inside what it leaves)
StmtPtr Parser::parseExit()
{
    const Token at = current();
    advance();
    auto s = node<ExitStmt>(at);
    const Token &what = current();
    if (what.is(Keyword::Do) && m_loopDepthDo > 0)
        s->flow = Flow::ExitDo;
    else if (what.is(Keyword::For) && m_loopDepthFor > 0)
        s->flow = Flow::ExitFor;
    else if (what.is(Keyword::Sub) && m_scope && !m_scope->isFunction)
        s->flow = Flow::ExitProcedure;
    else if (what.is(Keyword::Function) && m_scope && m_scope->isFunction)
        s->flow = Flow::ExitProcedure;
    else
        fail(errc::InvalidExit);
    advance();
    return s;
}

// on-error ::= "On" "Error" ( "Resume" "Next" | "GoTo" "0" )
StmtPtr Parser::parseOnError()
{
    const Token at = current();
    advance();
    expectKeyword(Keyword::Error, errc::SyntaxError);
    auto s = node<OnErrorStmt>(at);
    if (current().is(Keyword::Resume)) {
        advance();
        expectKeyword(Keyword::Next, errc::SyntaxError);
        s->resumeNext = true;
    } else if (current().is(Keyword::GoTo)) {
        advance();
        if (current().type != TokenType::IntegerLiteral || current().number != 0)
            fail(errc::SyntaxError);
        advance();
    } else {
        fail(errc::SyntaxError);
    }
    return s;
}

// erase ::= "Erase" identifier
StmtPtr Parser::parseErase()
{
    const Token at = current();
    advance();
    auto s = node<EraseStmt>(at);
    const Token nameToken = current();
    expectIdentifier();
    s->target = makeName(nameToken);
    return s;
}

// procedure ::= [ "Public" | "Private" ] ( "Sub" | "Function" ) identifier
//               [ "(" [ parameter { "," parameter } ] ")" ] end
//               block "End" ( "Sub" | "Function" )
// parameter ::= [ "ByVal" | "ByRef" ] identifier [ "(" ")" ]
void Parser::parseProcedure(bool isFunction)
{
    if (m_scope)
        fail(errc::SyntaxError);
    const Token nameToken = current();
    const QString name = expectIdentifier();
    const QString lower = name.toLower();
    if (m_declaredAtTop.contains(lower))
        failAt(errc::NameRedefined, nameToken);
    m_declaredAtTop.insert(lower);
    auto procedure = std::make_shared<Procedure>();
    procedure->name = name;
    procedure->isFunction = isFunction;
    procedure->line = nameToken.line;
    if (current().isSymbol("(")) {
        advance();
        while (!current().isSymbol(")")) {
            Parameter parameter;
            if (current().is(Keyword::ByVal) || current().is(Keyword::ByRef)) {
                parameter.byReference = current().is(Keyword::ByRef);
                advance();
            }
            const Token parameterToken = current();
            parameter.name = expectIdentifier();
            if (current().isSymbol("(")) {
                advance();
                expectSymbol(")", errc::ExpectedRightParen);
            }
            const QString parameterLower = parameter.name.toLower();
            if (procedure->slotIndex.contains(parameterLower))
                failAt(errc::NameRedefined, parameterToken);
            procedure->addSlot(parameterLower);
            procedure->parameters.push_back(parameter);
            if (current().isSymbol(","))
                advance();
            else if (!current().isSymbol(")"))
                fail(errc::ExpectedRightParen);
        }
        advance();
    }
    if (isFunction && !procedure->slotIndex.contains(lower))
        procedure->resultSlot = procedure->addSlot(lower);
    expectStatementEnd();
    m_scope = procedure.get();
    const int savedDo = m_loopDepthDo, savedFor = m_loopDepthFor;
    m_loopDepthDo = m_loopDepthFor = 0;
    procedure->body = parseBlock({Keyword::End}, errc::ExpectedEnd);
    m_loopDepthDo = savedDo;
    m_loopDepthFor = savedFor;
    advance();
    expectKeyword(isFunction ? Keyword::Function : Keyword::Sub, isFunction ? errc::ExpectedFunction : errc::ExpectedSub);
    expectStatementEnd();
    m_scope = nullptr;
    m_chunk.procedures.push_back(std::move(procedure));
}

// ---- expressions ----

// expression ::= operand { binary-operator operand }
// seed, when given, is an operand already parsed (a call statement's
// parenthesised first group).
ExprPtr Parser::parseExpression(ExprPtr seed)
{
    DepthGuard guard(*this);
    return parseBinary(Loosest, std::move(seed));
}

// The operators of the precedence table from minimumPrecedence upwards, by
// precedence climbing: each operator's right operand takes only operators that
// bind tighter. A run of operators of one level becomes one node, a flat
// chain when it is longer than one, so a long line costs a longer list, not a
// deeper tree; a looser operator after the run wraps it, which can happen only
// once per level.
ExprPtr Parser::parseBinary(int minimumPrecedence, ExprPtr seed)
{
    ExprPtr left = seed ? std::move(seed) : parseOperand(minimumPrecedence);
    for (;;) {
        const BinaryOperator *op = binaryOperatorAt(current());
        if (!op || op->precedence < minimumPrecedence)
            return left;
        const Token at = current();
        const int level = op->precedence;
        std::vector<OperatorChain::Link> run;
        do {
            advance();
            run.push_back(OperatorChain::Link{op->op, parseBinary(level + 1, nullptr)});
            op = binaryOperatorAt(current());
        } while (op && op->precedence == level);
        if (run.size() == 1) {
            auto binary = node<BinaryExpr>(at);
            binary->op = run.front().op;
            binary->left = std::move(left);
            binary->right = std::move(run.front().operand);
            left = std::move(binary);
        } else {
            auto chain = node<OperatorChain>(at);
            chain->first = std::move(left);
            chain->rest = std::move(run);
            left = std::move(chain);
        }
    }
}

// operand ::= "Not" operand-and-tighter   (only where And or looser may stand)
//           | ( "-" | "+" ) operand-and-tighter
//           | primary
// Not takes everything that binds tighter than And; a sign takes "^" with it,
// except right after "^", where it takes only its primary (2 ^ -1 ^ 2 is
// (2 ^ -1) ^ 2).
ExprPtr Parser::parseOperand(int minimumPrecedence)
{
    const Token at = current();
    if (at.is(Keyword::Not)) {
        if (minimumPrecedence > NotLevel)
            fail(errc::ExpectedExpression);
        DepthGuard guard(*this);
        advance();
        auto e = node<UnaryExpr>(at);
        e->op = UnaryOp::Not;
        e->operand = parseBinary(NotLevel, nullptr);
        return e;
    }
    if (at.isSymbol("-") || at.isSymbol("+")) {
        DepthGuard guard(*this);
        advance();
        ExprPtr operand = parseBinary(std::max<int>(SignLevel, minimumPrecedence), nullptr);
        if (at.isSymbol("+"))
            return operand;
        auto e = node<UnaryExpr>(at);
        e->op = UnaryOp::Negate;
        e->operand = std::move(operand);
        return e;
    }
    return parsePrimary();
}

// primary ::= number | string | date | True | False | Empty | Null | Nothing
//           | "(" expression ")" | name-chain
ExprPtr Parser::parsePrimary()
{
    const Token t = current();
    auto literal = [&](Value v) {
        auto e = node<LiteralExpr>(t);
        e->value = std::move(v);
        advance();
        return e;
    };
    switch (t.type) {
    case TokenType::IntegerLiteral: return literal(Value::fromInteger(qint64(t.number)));
    case TokenType::FloatLiteral: return literal(Value::number(t.number));
    case TokenType::StringLiteral: return literal(Value::string(t.text));
    case TokenType::DateLiteral: return literal(Value::date(t.number));
    case TokenType::Symbol:
        if (t.isSymbol("(")) {
            DepthGuard guard(*this);
            advance();
            auto e = node<ParenExpr>(t);
            e->inner = parseExpression();
            expectSymbol(")", errc::ExpectedRightParen);
            return e;
        }
        fail(errc::ExpectedExpression);
    case TokenType::Identifier:
        switch (t.keyword) {
        case Keyword::True: return literal(Value::boolean(true));
        case Keyword::False: return literal(Value::boolean(false));
        case Keyword::Empty: return literal(Value());
        case Keyword::Null: return literal(Value::null());
        case Keyword::Nothing: return literal(Value::nothing());
        case Keyword::None: return parseNameChain();
        default: fail(errc::ExpectedExpression);
        }
    default: fail(errc::ExpectedExpression);
    }
}

std::unique_ptr<NameExpr> Parser::makeName(const Token &token)
{
    auto n = node<NameExpr>(token);
    n->name = token.text;
    m_chunk.names.emplace_back(n.get(), m_scope);
    return n;
}

// argument-list ::= "(" [ expression { "," expression } ] ")"
ExprList Parser::parseArgumentList()
{
    DepthGuard guard(*this);
    advance(); // (
    ExprList arguments;
    if (current().isSymbol(")")) {
        advance();
        return arguments;
    }
    for (;;) {
        arguments.push_back(parseExpression());
        if (current().isSymbol(",")) {
            advance();
            continue;
        }
        expectSymbol(")", errc::ExpectedRightParen);
        return arguments;
    }
}

// name-chain ::= identifier [ argument-list ]
//                { "." identifier [ argument-list ] | argument-list }
// A dot binds only without blanks around it; a further argument list indexes
// the result of a call ("Split(s)(0)").
ExprPtr Parser::parseNameChain()
{
    const Token t = current();
    if (t.type != TokenType::Identifier || t.keyword != Keyword::None)
        fail(errc::ExpectedIdentifier);
    advance();
    std::unique_ptr<NameExpr> name = makeName(t);
    if (current().isSymbol("(")) {
        name->hasArguments = true;
        name->arguments = parseArgumentList();
    }
    ExprPtr chain = std::move(name);
    bool lastHadArguments = static_cast<NameExpr *>(chain.get())->hasArguments;
    for (int links = 0;; ++links) {
        if (links > MaximumNesting)
            fail(errc::OutOfStack);
        if (current().isSymbol(".") && !current().spaceBefore) {
            advance();
            const Token memberToken = current();
            if (memberToken.type != TokenType::Identifier || memberToken.spaceBefore)
                fail(errc::ExpectedIdentifier);
            advance();
            auto member = node<MemberExpr>(memberToken);
            member->object = std::move(chain);
            member->member = memberToken.text;
            member->memberLower = memberToken.text.toLower();
            if (current().isSymbol("(")) {
                member->hasArguments = true;
                member->arguments = parseArgumentList();
            }
            lastHadArguments = member->hasArguments;
            chain = std::move(member);
        } else if (current().isSymbol("(") && lastHadArguments) {
            auto index = node<IndexExpr>(current());
            index->arguments = parseArgumentList();
            index->target = std::move(chain);
            chain = std::move(index);
        } else {
            return chain;
        }
    }
}

} // namespace tilvano::script
