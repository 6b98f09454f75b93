// The condition language of where clauses and filters: lexer, parser and the compiled form
// that tests stored record bytes.
#include "engine/expr.h"

#include "engine/gbk.h"

#include <charconv>
#include <cstring>

namespace tamsel::engine::expr {

EngineError errorAt(const Source& source, int pos, const QString& message) {
    return EngineError(QStringLiteral("%1第 %2 个字符处：%3").arg(source.what).arg(pos + 1).arg(message));
}

bool Token::is(const char* keyword) const {
    return kind == Ident && text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

namespace {

bool isIdentStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool isIdentChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

QString describe(const Token& t) {
    switch (t.kind) {
    case Token::End:
        return QStringLiteral("语句结尾");
    case Token::String:
        return QStringLiteral("'%1'").arg(t.text);
    case Token::QuotedName:
        return QStringLiteral("\"%1\"").arg(t.text);
    case Token::Param:
        return QStringLiteral(":%1").arg(t.text);
    default:
        return t.text;
    }
}

} // namespace

QList<Token> tokenize(const Source& source) {
    const QString& s = source.text;
    QList<Token> out;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token t;
        t.pos = int(i);
        if (c == u'\'' || c == u'"') {
            t.kind = c == u'\'' ? Token::String : Token::QuotedName;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == c) {
                    if (c == u'\'' && i + 1 < n && s[i + 1] == c) { // '' stands for one quote
                        t.text += c;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                t.text += s[i++];
            }
            if (!closed)
                throw errorAt(source, t.pos,
                              c == u'\'' ? QStringLiteral("字符串缺少结束的单引号")
                                         : QStringLiteral("表名缺少结束的双引号"));
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && s[i + 1].isDigit())) {
            t.kind = Token::Number;
            while (i < n && (s[i].isDigit() || s[i] == u'.'))
                t.text += s[i++];
            if (i < n && isIdentStart(s[i]))
                throw errorAt(source, int(i), QStringLiteral("数字 %1 后面有多余的字符").arg(t.text));
        } else if (isIdentStart(c)) {
            t.kind = Token::Ident;
            while (i < n && isIdentChar(s[i]))
                t.text += s[i++];
        } else if (c == u':') {
            t.kind = Token::Param;
            ++i;
            while (i < n && isIdentChar(s[i]))
                t.text += s[i++];
            if (t.text.isEmpty())
                throw errorAt(source, t.pos, QStringLiteral("冒号后面缺少参数名"));
        } else if (c == u'=' || c == u'<' || c == u'>' || c == u'!') {
            t.kind = Token::Op;
            t.text = c;
            ++i;
            if (i < n && (s[i] == u'=' || (c == u'<' && s[i] == u'>'))) {
                t.text += s[i];
                ++i;
            }
            if (t.text == u"!")
                throw errorAt(source, t.pos, QStringLiteral("无法识别的运算符 !"));
        } else {
            switch (c.unicode()) {
            case '(':
                t.kind = Token::LParen;
                break;
            case ')':
                t.kind = Token::RParen;
                break;
            case ',':
                t.kind = Token::Comma;
                break;
            case '*':
                t.kind = Token::Star;
                break;
            case '-':
                t.kind = Token::Minus;
                break;
            default:
                throw errorAt(source, t.pos, QStringLiteral("无法识别的字符 %1").arg(c));
            }
            t.text = c;
            ++i;
        }
        out.append(t);
    }
    Token end;
    end.pos = int(n);
    out.append(end);
    return out;
}

Parser::Parser(const Source& source, QList<Token> tokens) : m_source(source), m_tokens(std::move(tokens)) {}

const Token& Parser::peek(int ahead) const {
    return m_tokens[qMin(m_index + ahead, int(m_tokens.size()) - 1)];
}

const Token& Parser::take() {
    const Token& t = peek();
    if (m_index < m_tokens.size() - 1)
        ++m_index;
    return t;
}

bool Parser::accept(const char* keyword) {
    if (peek().is(keyword)) {
        take();
        return true;
    }
    return false;
}

void Parser::expect(const char* keyword) {
    if (!accept(keyword))
        fail(QStringLiteral("缺少 %1").arg(QLatin1String(keyword)));
}

void Parser::fail(const QString& message) const {
    fail(peek().pos, message);
}

void Parser::fail(int pos, const QString& message) const {
    throw errorAt(m_source, pos, message);
}

std::unique_ptr<Node> Parser::parseCondition() {
    return parseOr();
}

std::unique_ptr<Node> Parser::parseOr() {
    auto left = parseAnd();
    while (peek().is("or")) {
        const int pos = take().pos;
        auto node = std::make_unique<Node>();
        node->kind = Node::Or;
        node->pos = pos;
        node->a = std::move(left);
        node->b = parseAnd();
        left = std::move(node);
    }
    return left;
}

std::unique_ptr<Node> Parser::parseAnd() {
    auto left = parseNot();
    while (peek().is("and")) {
        const int pos = take().pos;
        auto node = std::make_unique<Node>();
        node->kind = Node::And;
        node->pos = pos;
        node->a = std::move(left);
        node->b = parseNot();
        left = std::move(node);
    }
    return left;
}

std::unique_ptr<Node> Parser::parseNot() {
    if (peek().is("not")) {
        const int pos = take().pos;
        auto node = std::make_unique<Node>();
        node->kind = Node::Not;
        node->pos = pos;
        node->a = parseNot();
        return node;
    }
    return parsePrimary();
}

std::unique_ptr<Node> Parser::parsePrimary() {
    if (peek().kind == Token::LParen) {
        take();
        auto inner = parseOr();
        if (peek().kind != Token::RParen)
            fail(QStringLiteral("缺少 )"));
        take();
        return inner;
    }
    auto node = std::make_unique<Node>();
    node->pos = peek().pos;
    node->lhs = parseOperand();
    if (accept("not")) {
        node->negated = true;
        if (!peek().is("like"))
            fail(QStringLiteral("not 后面应是 like"));
    }
    if (accept("like")) {
        node->kind = Node::Like;
        node->rhs = parseOperand();
        if (node->rhs.kind != Operand::Text && node->rhs.kind != Operand::Param)
            fail(node->rhs.pos, QStringLiteral("like 后面应是单引号中的文字"));
        if (accept("escape")) {
            node->escape = parseOperand();
            if (node->escape.kind != Operand::Text && node->escape.kind != Operand::Param)
                fail(node->escape.pos, QStringLiteral("escape 后面应是单引号中的一个字符"));
        }
        return node;
    }
    if (accept("is")) {
        node->kind = Node::IsNull;
        node->negated = accept("not");
        expect("null");
        return node;
    }
    if (peek().kind != Token::Op)
        fail(QStringLiteral("缺少比较运算符（= < > <= >= <> like），却是 %1").arg(describe(peek())));
    const QString op = take().text;
    node->kind = Node::Compare;
    if (op == u"=")
        node->op = Node::Eq;
    else if (op == u"<>" || op == u"!=")
        node->op = Node::Ne;
    else if (op == u"<")
        node->op = Node::Lt;
    else if (op == u"<=")
        node->op = Node::Le;
    else if (op == u">")
        node->op = Node::Gt;
    else
        node->op = Node::Ge;
    node->rhs = parseOperand();
    return node;
}

Operand Parser::parseOperand() {
    const Token& t = peek();
    Operand o;
    o.pos = t.pos;
    switch (t.kind) {
    case Token::Ident:
        if (t.is("and") || t.is("or") || t.is("not") || t.is("like") || t.is("is") || t.is("from") ||
            t.is("where") || t.is("order") || t.is("select") || t.is("values") || t.is("set"))
            fail(QStringLiteral("缺少字段名或值，却是 %1").arg(t.text));
        o.kind = t.is("null") ? Operand::Null : Operand::Field;
        o.text = t.text;
        take();
        return o;
    case Token::QuotedName:
        o.kind = Operand::Field;
        o.text = t.text;
        take();
        return o;
    case Token::String:
        o.kind = Operand::Text;
        o.text = t.text;
        take();
        return o;
    case Token::Param:
        o.kind = Operand::Param;
        o.text = t.text;
        take();
        return o;
    case Token::Minus:
    case Token::Number: {
        const bool negative = t.kind == Token::Minus;
        if (negative) {
            take();
            if (peek().kind != Token::Number)
                fail(QStringLiteral("负号后面缺少数字"));
        }
        bool ok = false;
        o.number = peek().text.toDouble(&ok);
        if (!ok)
            fail(QStringLiteral("%1 不是数字").arg(peek().text));
        o.text = (negative ? QStringLiteral("-") : QString()) + peek().text;
        if (negative)
            o.number = -o.number;
        o.kind = Operand::Number;
        take();
        return o;
    }
    default:
        fail(QStringLiteral("缺少字段名或值，却是 %1").arg(describe(t)));
    }
}

std::unique_ptr<Node> parseCondition(const Source& source) {
    Parser p(source, tokenize(source));
    if (p.atEnd())
        p.fail(QStringLiteral("条件是空的"));
    auto node = p.parseCondition();
    if (!p.atEnd())
        p.fail(QStringLiteral("多余的内容 %1").arg(describe(p.peek())));
    return node;
}

QString paramKey(const QString& name) {
    return name.toUpper();
}

std::string_view trimmedRaw(const char* data, int length) {
    int end = length;
    while (end > 0 && (data[end - 1] == ' ' || data[end - 1] == '\0'))
        --end;
    return std::string_view(data, size_t(end));
}

bool parseNumber(std::string_view text, double* out) {
    size_t b = 0;
    while (b < text.size() && text[b] == ' ')
        ++b;
    size_t e = text.size();
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\0'))
        --e;
    if (b == e)
        return false;
    if (text[b] == '+')
        ++b;
    const char* first = text.data() + b;
    const char* last = text.data() + e;
    const auto r = std::from_chars(first, last, *out);
    return r.ec == std::errc() && r.ptr == last;
}

// ---------------------------------------------------------------------------------------------

namespace {

int compareBytes(std::string_view a, std::string_view b) {
    const int c = std::memcmp(a.data(), b.data(), qMin(a.size(), b.size()));
    if (c != 0)
        return c < 0 ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool applyOp(Node::Op op, int cmp) {
    switch (op) {
    case Node::Eq:
        return cmp == 0;
    case Node::Ne:
        return cmp != 0;
    case Node::Lt:
        return cmp < 0;
    case Node::Le:
        return cmp <= 0;
    case Node::Gt:
        return cmp > 0;
    case Node::Ge:
        return cmp >= 0;
    }
    return false;
}

int compareNumbers(double a, double b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

Node::Op mirror(Node::Op op) {
    switch (op) {
    case Node::Lt:
        return Node::Gt;
    case Node::Le:
        return Node::Ge;
    case Node::Gt:
        return Node::Lt;
    case Node::Ge:
        return Node::Le;
    default:
        return op;
    }
}

// A like pattern over GBK bytes, matched character by character so that a trail byte
// is never taken for an ASCII character.
struct LikePattern {
    struct Item {
        enum Kind { Any, One, Char } kind = Char;
        char c[2] = {0, 0};
        int len = 1;
    };
    QList<Item> items;

    // escape, when not 0, makes the character after it stand for itself (a '%' or '_' searched
    // as written).
    void build(const QByteArray& bytes, char escape = 0) {
        const char* p = bytes.constData();
        const char* end = p + bytes.size();
        while (p < end) {
            Item it;
            int len = gbkCharLength(p, end);
            if (escape != 0 && len == 1 && *p == escape && p + 1 < end) {
                ++p;
                len = gbkCharLength(p, end);
            } else if (len == 1 && *p == '%') {
                it.kind = Item::Any;
            } else if (len == 1 && *p == '_') {
                it.kind = Item::One;
            }
            it.len = len;
            std::memcpy(it.c, p, size_t(len));
            if (!(it.kind == Item::Any && !items.isEmpty() && items.last().kind == Item::Any))
                items.append(it);
            p += len;
        }
    }

    bool matches(std::string_view s) const {
        const char* base = s.data();
        const char* end = base + s.size();
        const int m = int(items.size());
        size_t si = 0;
        int pi = 0;
        int starP = -1;
        size_t starS = 0;
        while (si < s.size()) {
            if (pi < m) {
                const Item& it = items[pi];
                if (it.kind == Item::Any) {
                    starP = ++pi;
                    starS = si;
                    continue;
                }
                const int cl = gbkCharLength(base + si, end);
                if (it.kind == Item::One || (it.len == cl && std::memcmp(it.c, base + si, size_t(cl)) == 0)) {
                    si += size_t(cl);
                    ++pi;
                    continue;
                }
            }
            if (starP < 0)
                return false;
            starS += size_t(gbkCharLength(base + starS, end));
            si = starS;
            pi = starP;
        }
        while (pi < m && items[pi].kind == Item::Any)
            ++pi;
        return pi == m;
    }
};

QDate parseDateText(const QString& text) {
    const QString t = text.trimmed();
    for (const char* format : {"yyyy-MM-dd", "yyyy.MM.dd", "yyyyMMdd", "yyyy/MM/dd"}) {
        const QDate d = QDate::fromString(t, QLatin1String(format));
        if (d.isValid())
            return d;
    }
    return {};
}

QByteArray toGbk(const QString& text, const Source& source, int pos) {
    QByteArray out;
    if (!encodeGbk(text, &out))
        throw errorAt(source, pos, QStringLiteral("文字 %1 含有 GBK 无法表示的字符").arg(text));
    return out;
}

// A literal or bound parameter after binding.
struct Literal {
    bool isNumber = false;
    bool isNull = false;
    double number = 0;
    QString text;
};

// A value of the slow path: text in GBK, a number when it reads as one, a date for date fields.
struct GValue {
    QByteArray text;
    bool hasNumber = false;
    double number = 0;
    bool isDate = false;
    QDate date;
    bool nullTyped = false; // an empty numeric or date field
};

} // namespace

struct Condition::CNode {
    enum Kind { And, Or, Not, Const, CharCmp, CharPrefix, NumCmp, DateCmp, CharLike, Like, Generic, IsNull };
    Kind kind = Const;
    Node::Op op = Node::Eq;
    bool value = false; // Const; negation for like / is null
    int offset = 0;     // of the field in the record
    int length = 0;
    QByteArray lit; // trimmed literal bytes
    double number = 0;
    LikePattern pattern;
    bool prefix = false; // Generic: text begins with the right side
    // Generic operands: field index or -1 for a literal
    int leftField = -1, rightField = -1;
    GValue leftLit, rightLit;
    std::unique_ptr<CNode> a, b;
};

namespace {

using CNode = Condition::CNode;

GValue literalValue(const Literal& lit, const Source& source, int pos) {
    GValue v;
    if (lit.isNumber) {
        v.hasNumber = true;
        v.number = lit.number;
        v.text = lit.text.toLatin1();
        return v;
    }
    v.text = toGbk(lit.text, source, pos);
    while (v.text.endsWith(' '))
        v.text.chop(1);
    double d = 0;
    if (parseNumber(std::string_view(v.text.constData(), size_t(v.text.size())), &d)) {
        v.hasNumber = true;
        v.number = d;
    }
    v.date = parseDateText(lit.text);
    v.isDate = v.date.isValid();
    return v;
}

GValue fieldValue(const DbfFile& file, const char* record, int field) {
    GValue v;
    const Field& f = file.fields()[field];
    switch (f.type) {
    case 'C': {
        const auto raw = trimmedRaw(record + f.offset, f.length);
        v.text = QByteArray(raw.data(), qsizetype(raw.size()));
        double d = 0;
        if (parseNumber(raw, &d)) {
            v.hasNumber = true;
            v.number = d;
        }
        return v;
    }
    case 'N':
    case 'F': {
        bool ok = false;
        const double d = file.number(record, field, &ok);
        if (ok) {
            v.hasNumber = true;
            v.number = d;
            encodeGbk(file.text(record, field), &v.text);
        } else {
            v.nullTyped = true;
        }
        return v;
    }
    case 'D':
        v.date = file.date(record, field);
        v.isDate = v.date.isValid();
        v.nullTyped = !v.isDate;
        if (v.isDate)
            v.text = v.date.toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
        return v;
    case 'M':
        encodeGbk(file.memoText(record, field), &v.text);
        return v;
    default:
        encodeGbk(file.text(record, field), &v.text);
        return v;
    }
}

// Compares two values of the slow path; returns false through *comparable when one side is an
// empty number or date that the other side cannot be compared with.
int compareValues(const GValue& l, const GValue& r, bool* comparable) {
    *comparable = true;
    if (l.hasNumber && r.hasNumber)
        return compareNumbers(l.number, r.number);
    if ((l.isDate || l.nullTyped) && r.isDate) {
        if (!l.isDate) {
            *comparable = false;
            return 0;
        }
        return l.date < r.date ? -1 : (l.date > r.date ? 1 : 0);
    }
    if (l.isDate && (r.isDate || r.nullTyped)) {
        if (!r.isDate) {
            *comparable = false;
            return 0;
        }
        return l.date < r.date ? -1 : (l.date > r.date ? 1 : 0);
    }
    if ((l.nullTyped && r.hasNumber) || (r.nullTyped && l.hasNumber)) {
        *comparable = false;
        return 0;
    }
    return compareBytes(std::string_view(l.text.constData(), size_t(l.text.size())),
                        std::string_view(r.text.constData(), size_t(r.text.size())));
}

class Compiler {
public:
    Compiler(const DbfFile& file, const Params& params, const Source& source, CompileOptions options)
        : m_file(file), m_params(params), m_source(source), m_options(options) {}

    std::unique_ptr<CNode> compile(const Node& n) {
        auto c = std::make_unique<CNode>();
        switch (n.kind) {
        case Node::And:
        case Node::Or:
            c->kind = n.kind == Node::And ? CNode::And : CNode::Or;
            c->a = compile(*n.a);
            c->b = compile(*n.b);
            return c;
        case Node::Not:
            c->kind = CNode::Not;
            c->a = compile(*n.a);
            return c;
        case Node::IsNull:
            return compileIsNull(n);
        case Node::Like:
            return compileLike(n);
        case Node::Compare:
            return compileCompare(n);
        }
        return c;
    }

private:
    int fieldOf(const Operand& o) {
        const int index = m_file.fieldIndex(o.text);
        if (index < 0)
            throw errorAt(m_source, o.pos,
                          QStringLiteral("表 %1 中没有字段 %2").arg(m_file.tableName(), o.text));
        return index;
    }

    Literal literalOf(const Operand& o) {
        Literal lit;
        if (o.kind == Operand::Number) {
            lit.isNumber = true;
            lit.number = o.number;
            lit.text = o.text;
            return lit;
        }
        if (o.kind == Operand::Null) {
            lit.isNull = true;
            return lit;
        }
        if (o.kind == Operand::Text) {
            lit.text = o.text;
            return lit;
        }
        // A parameter: bound as a value, never as text of the statement.
        const auto it = m_params.constFind(paramKey(o.text));
        if (it == m_params.constEnd())
            throw errorAt(m_source, o.pos, QStringLiteral("参数 :%1 没有赋值").arg(o.text));
        const QVariant& v = *it;
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
            lit.isNumber = true;
            lit.number = v.toDouble();
            lit.text = QString::number(lit.number, 'g', QLocale::FloatingPointShortest);
            break;
        case QMetaType::QDate:
            lit.text = v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
            break;
        case QMetaType::Bool:
            lit.text = v.toBool() ? QStringLiteral("T") : QStringLiteral("F");
            break;
        default:
            lit.isNull = v.isNull() && v.typeId() != QMetaType::QString;
            lit.text = v.toString();
            break;
        }
        return lit;
    }

    std::unique_ptr<CNode> compileIsNull(const Node& n) {
        auto c = std::make_unique<CNode>();
        if (n.lhs.kind != Operand::Field)
            throw errorAt(m_source, n.lhs.pos, QStringLiteral("is null 前面应是字段名"));
        c->kind = CNode::IsNull;
        c->leftField = fieldOf(n.lhs);
        c->value = n.negated;
        return c;
    }

    std::unique_ptr<CNode> compileLike(const Node& n) {
        auto c = std::make_unique<CNode>();
        const Literal pattern = literalOf(n.rhs);
        char escape = 0;
        if (n.escape.kind != Operand::Null) {
            const QString text = literalOf(n.escape).text;
            if (text.size() != 1 || text.at(0).unicode() >= 0x80 || text.at(0).unicode() == 0)
                throw errorAt(m_source, n.escape.pos, QStringLiteral("escape 后面应是单引号中的一个字符"));
            escape = char(text.at(0).unicode());
        }
        c->pattern.build(toGbk(pattern.text, m_source, n.rhs.pos), escape);
        c->value = n.negated;
        if (n.lhs.kind == Operand::Field) {
            c->leftField = fieldOf(n.lhs);
            const Field& f = m_file.fields()[c->leftField];
            if (f.type == 'C') {
                c->kind = CNode::CharLike;
                c->offset = f.offset;
                c->length = f.length;
            } else {
                c->kind = CNode::Like;
            }
            return c;
        }
        const GValue v = literalValue(literalOf(n.lhs), m_source, n.lhs.pos);
        c->kind = CNode::Const;
        c->value =
            c->pattern.matches(std::string_view(v.text.constData(), size_t(v.text.size()))) != n.negated;
        return c;
    }

    std::unique_ptr<CNode> compileCompare(const Node& n) {
        auto c = std::make_unique<CNode>();
        Operand lhs = n.lhs;
        Operand rhs = n.rhs;
        Node::Op op = n.op;
        if (lhs.kind != Operand::Field && rhs.kind == Operand::Field) {
            std::swap(lhs, rhs);
            op = mirror(op);
        }
        c->op = op;
        if (lhs.kind != Operand::Field) { // two constants, e.g. "1=0"
            const Literal l = literalOf(lhs), r = literalOf(rhs);
            bool comparable = true;
            const int cmp = compareValues(literalValue(l, m_source, lhs.pos),
                                          literalValue(r, m_source, rhs.pos), &comparable);
            c->kind = CNode::Const;
            c->value = comparable && !l.isNull && !r.isNull && applyOp(op, cmp);
            return c;
        }
        const int field = fieldOf(lhs);
        const Field& f = m_file.fields()[field];
        c->leftField = field;
        c->offset = f.offset;
        c->length = f.length;
        if (rhs.kind == Operand::Field) {
            c->kind = CNode::Generic;
            c->rightField = fieldOf(rhs);
            return c;
        }
        Literal lit = literalOf(rhs);
        if (lit.isNull) { // comparing with null: only "<> null" style tests make sense
            c->kind = CNode::IsNull;
            c->value = op != Node::Eq;
            return c;
        }
        const bool star = m_options.starPrefix && !lit.isNumber && rhs.kind == Operand::Text &&
                          lit.text.endsWith(u'*') && (op == Node::Eq || op == Node::Ne);
        if (star) {
            lit.text.chop(1);
            const QByteArray bytes = toGbk(lit.text, m_source, rhs.pos);
            if (f.type == 'C') {
                c->kind = CNode::CharPrefix;
                c->lit = bytes;
            } else {
                c->kind = CNode::Generic;
                c->prefix = true;
                c->rightLit.text = bytes;
            }
            return c;
        }
        c->rightLit = literalValue(lit, m_source, rhs.pos);
        if (f.type == 'C' && !lit.isNumber) {
            c->kind = CNode::CharCmp;
            c->lit = c->rightLit.text;
            return c;
        }
        if ((f.type == 'N' || f.type == 'F') && c->rightLit.hasNumber) {
            c->kind = CNode::NumCmp;
            c->number = c->rightLit.number;
            return c;
        }
        if (f.type == 'D' && c->rightLit.isDate) {
            c->kind = CNode::DateCmp;
            c->lit = c->rightLit.date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
            return c;
        }
        c->kind = CNode::Generic;
        return c;
    }

    const DbfFile& m_file;
    const Params& m_params;
    const Source& m_source;
    CompileOptions m_options;
};

bool evaluate(const CNode& c, const DbfFile& file, const char* record) {
    switch (c.kind) {
    case CNode::And:
        return evaluate(*c.a, file, record) && evaluate(*c.b, file, record);
    case CNode::Or:
        return evaluate(*c.a, file, record) || evaluate(*c.b, file, record);
    case CNode::Not:
        return !evaluate(*c.a, file, record);
    case CNode::Const:
        return c.value;
    case CNode::CharCmp: {
        const auto raw = trimmedRaw(record + c.offset, c.length);
        return applyOp(c.op, compareBytes(raw, std::string_view(c.lit.constData(), size_t(c.lit.size()))));
    }
    case CNode::CharPrefix: {
        const auto raw = trimmedRaw(record + c.offset, c.length);
        const bool starts = raw.size() >= size_t(c.lit.size()) &&
                            std::memcmp(raw.data(), c.lit.constData(), size_t(c.lit.size())) == 0;
        return starts == (c.op == Node::Eq);
    }
    case CNode::NumCmp: {
        double d = 0;
        if (!parseNumber(std::string_view(record + c.offset, size_t(c.length)), &d))
            return false;
        return applyOp(c.op, compareNumbers(d, c.number));
    }
    case CNode::DateCmp: {
        const auto raw = trimmedRaw(record + c.offset, c.length);
        if (raw.empty() || raw.front() == ' ')
            return false;
        return applyOp(c.op, compareBytes(raw, std::string_view(c.lit.constData(), size_t(c.lit.size()))));
    }
    case CNode::CharLike:
        return c.pattern.matches(trimmedRaw(record + c.offset, c.length)) != c.value;
    case CNode::Like: {
        const GValue v = fieldValue(file, record, c.leftField);
        return c.pattern.matches(std::string_view(v.text.constData(), size_t(v.text.size()))) != c.value;
    }
    case CNode::IsNull: {
        const GValue v = fieldValue(file, record, c.leftField);
        return v.text.isEmpty() != c.value;
    }
    case CNode::Generic: {
        const GValue l = fieldValue(file, record, c.leftField);
        const GValue r = c.rightField >= 0 ? fieldValue(file, record, c.rightField) : c.rightLit;
        if (c.prefix)
            return l.text.startsWith(r.text) == (c.op == Node::Eq);
        bool comparable = true;
        const int cmp = compareValues(l, r, &comparable);
        return comparable && applyOp(c.op, cmp);
    }
    }
    return false;
}

} // namespace

Condition::Condition() = default;
Condition::~Condition() = default;

std::unique_ptr<Condition> Condition::compile(const Node& node, const DbfFile& file, const Params& params,
                                              const Source& source, CompileOptions options) {
    std::unique_ptr<Condition> c(new Condition);
    c->m_file = &file;
    c->m_root = Compiler(file, params, source, options).compile(node);
    return c;
}

bool Condition::matches(const char* record) const {
    return evaluate(*m_root, *m_file, record);
}

} // namespace tamsel::engine::expr
