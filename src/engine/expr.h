#pragma once

// The condition language shared by SQL where clauses and dataset filters: a lexer, a parser
// into a small tree, and a compiled form that evaluates over the stored bytes of a record.

#include "engine/dbffile.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>
#include <string_view>

namespace tamsel::engine::expr {

// Where an error message says the problem lies: "SQL 语句" or "过滤条件".
struct Source {
    QString text;
    QString what;
};

// Builds "<what>第 N 个字符处：<message>" (N is 1-based).
EngineError errorAt(const Source& source, int pos, const QString& message);

struct Token {
    enum Kind { End, Ident, String, QuotedName, Number, Param, Op, LParen, RParen, Comma, Star, Minus };
    Kind kind = End;
    QString text; // identifier, string contents, operator, parameter name
    int pos = 0;  // 0-based index into the source text
    bool is(const char* keyword) const;
};

// Splits the whole text; throws EngineError for an unterminated string or a stray character.
QList<Token> tokenize(const Source& source);

struct Operand {
    enum Kind { Field, Text, Number, Param, Null };
    Kind kind = Null;
    QString text; // field name, literal text, parameter name
    double number = 0;
    int pos = 0;
};

struct Node {
    enum Kind { And, Or, Not, Compare, Like, IsNull };
    enum Op { Eq, Ne, Lt, Le, Gt, Ge };
    Kind kind = Compare;
    Op op = Eq;
    bool negated = false; // "not like", "is not null"
    Operand lhs, rhs;
    Operand escape; // like ... escape 'c': the character that makes the next one literal
    std::unique_ptr<Node> a, b;
    int pos = 0;
};

// A cursor over tokens, shared by the condition parser and the statement parser.
class Parser {
public:
    Parser(const Source& source, QList<Token> tokens);
    const Token& peek(int ahead = 0) const;
    const Token& take();
    bool accept(const char* keyword);
    void expect(const char* keyword);
    bool atEnd() const { return peek().kind == Token::End; }
    [[noreturn]] void fail(const QString& message) const;
    [[noreturn]] void fail(int pos, const QString& message) const;
    const Source& source() const { return m_source; }

    std::unique_ptr<Node> parseCondition();
    Operand parseOperand(); // a field, literal, number or parameter

private:
    std::unique_ptr<Node> parseOr();
    std::unique_ptr<Node> parseAnd();
    std::unique_ptr<Node> parseNot();
    std::unique_ptr<Node> parsePrimary();

    Source m_source;
    QList<Token> m_tokens;
    int m_index = 0;
};

// Parses a whole condition text (a filter); throws EngineError naming the position.
std::unique_ptr<Node> parseCondition(const Source& source);

// Parameter values by upper-case name.
using Params = QHash<QString, QVariant>;
QString paramKey(const QString& name);

struct CompileOptions {
    // Filters treat a quoted value ending in '*' as a prefix match.
    bool starPrefix = false;
};

// A condition bound to one table and its parameter values.
class Condition {
public:
    ~Condition();
    static std::unique_ptr<Condition> compile(const Node& node, const DbfFile& file, const Params& params,
                                              const Source& source, CompileOptions options = {});
    bool matches(const char* record) const;

    struct CNode;

private:
    Condition();
    const DbfFile* m_file = nullptr;
    std::unique_ptr<CNode> m_root;
};

// Helpers on raw stored bytes.
std::string_view trimmedRaw(const char* data, int length);
bool parseNumber(std::string_view text, double* out);

} // namespace tamsel::engine::expr
