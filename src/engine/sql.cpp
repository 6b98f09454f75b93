// The parser of the statement shapes the program runs.
#include "engine/sql.h"

namespace tamsel::engine::sql {

using expr::Parser;
using expr::Token;

expr::Source sqlSource(const QString& text) {
    return {text, QStringLiteral("SQL 语句")};
}

namespace {

TableRef parseTable(Parser& p) {
    const Token& t = p.peek();
    if (t.kind == Token::QuotedName ||
        (t.kind == Token::Ident && !t.is("where") && !t.is("set") && !t.is("order") && !t.is("values"))) {
        TableRef ref{t.text, t.kind == Token::QuotedName, t.pos};
        if (ref.name.trimmed().isEmpty())
            p.fail(QStringLiteral("缺少表名"));
        p.take();
        return ref;
    }
    p.fail(QStringLiteral("缺少表名"));
}

QString parseField(Parser& p, int* pos) {
    const Token& t = p.peek();
    if (t.kind != Token::Ident && t.kind != Token::QuotedName)
        p.fail(QStringLiteral("缺少字段名"));
    *pos = t.pos;
    return p.take().text;
}

void parseWhere(Parser& p, Statement& st) {
    if (p.accept("where")) {
        if (p.atEnd())
            p.fail(QStringLiteral("where 后面缺少条件"));
        st.where = p.parseCondition();
    }
}

void expectEnd(Parser& p) {
    if (!p.atEnd())
        p.fail(QStringLiteral("多余的内容 %1").arg(p.peek().text));
}

void parseSelect(Parser& p, Statement& st) {
    st.kind = Statement::Select;
    if (p.peek().kind == Token::Star) {
        p.take();
        st.column = Statement::All;
    } else if (p.peek().is("distinct")) {
        p.take();
        st.column = Statement::Distinct;
        st.field = parseField(p, &st.fieldPos);
    } else if (p.peek().is("max") && p.peek(1).kind == Token::LParen) {
        p.take();
        p.take();
        st.column = Statement::Max;
        st.field = parseField(p, &st.fieldPos);
        if (p.peek().kind != Token::RParen)
            p.fail(QStringLiteral("缺少 )"));
        p.take();
    } else if (p.peek().is("from")) {
        p.fail(QStringLiteral("select 后面缺少 * 或字段名"));
    } else {
        st.column = Statement::One;
        st.field = parseField(p, &st.fieldPos);
    }
    p.expect("from");
    st.table = parseTable(p);
    parseWhere(p, st);
    if (p.accept("order")) {
        p.expect("by");
        st.orderBy = parseField(p, &st.orderPos);
        if (p.accept("desc"))
            st.descending = true;
        else
            p.accept("asc");
    }
    expectEnd(p);
}

void parseInsert(Parser& p, Statement& st) {
    st.kind = Statement::Insert;
    p.expect("into");
    st.table = parseTable(p);
    if (p.peek().kind != Token::LParen)
        p.fail(QStringLiteral("缺少 ( 和字段名表"));
    p.take();
    for (;;) {
        Assignment a;
        a.field = parseField(p, &a.fieldPos);
        st.assignments.append(a);
        if (p.peek().kind == Token::Comma) {
            p.take();
            continue;
        }
        if (p.peek().kind != Token::RParen)
            p.fail(QStringLiteral("缺少 )"));
        p.take();
        break;
    }
    p.expect("values");
    if (p.peek().kind != Token::LParen)
        p.fail(QStringLiteral("values 后面缺少 ("));
    p.take();
    int count = 0;
    for (;;) {
        const int pos = p.peek().pos;
        const expr::Operand value = p.parseOperand();
        if (value.kind == expr::Operand::Field)
            p.fail(pos, QStringLiteral("values 中只能写值，%1 不是值").arg(value.text));
        if (count >= st.assignments.size())
            p.fail(pos, QStringLiteral("值比字段多"));
        st.assignments[count++].value = value;
        if (p.peek().kind == Token::Comma) {
            p.take();
            continue;
        }
        if (p.peek().kind != Token::RParen)
            p.fail(QStringLiteral("缺少 )"));
        if (count < st.assignments.size())
            p.fail(QStringLiteral("值比字段少"));
        p.take();
        break;
    }
    expectEnd(p);
}

void parseUpdate(Parser& p, Statement& st) {
    st.kind = Statement::Update;
    st.table = parseTable(p);
    p.expect("set");
    for (;;) {
        Assignment a;
        a.field = parseField(p, &a.fieldPos);
        if (p.peek().kind != Token::Op || p.peek().text != u"=")
            p.fail(QStringLiteral("字段 %1 后面缺少 =").arg(a.field));
        p.take();
        const int pos = p.peek().pos;
        a.value = p.parseOperand();
        if (a.value.kind == expr::Operand::Field)
            p.fail(pos, QStringLiteral("set 中只能赋值，%1 不是值").arg(a.value.text));
        st.assignments.append(a);
        if (p.peek().kind != Token::Comma)
            break;
        p.take();
    }
    parseWhere(p, st);
    expectEnd(p);
}

void parseDelete(Parser& p, Statement& st) {
    st.kind = Statement::Delete;
    p.expect("from");
    st.table = parseTable(p);
    parseWhere(p, st);
    expectEnd(p);
}

} // namespace

Statement parse(const QString& text) {
    const expr::Source source = sqlSource(text);
    Parser p(source, expr::tokenize(source));
    Statement st;
    if (p.accept("select"))
        parseSelect(p, st);
    else if (p.accept("insert"))
        parseInsert(p, st);
    else if (p.accept("update"))
        parseUpdate(p, st);
    else if (p.accept("delete"))
        parseDelete(p, st);
    else if (p.atEnd())
        p.fail(QStringLiteral("语句是空的"));
    else
        p.fail(QStringLiteral("语句应以 select、insert、update 或 delete 开头"));
    return st;
}

SelectList parseSelectList(const QString& text) {
    const expr::Source source = sqlSource(text);
    Parser p(source, expr::tokenize(source));
    SelectList list;
    p.expect("select");
    if (p.peek().is("count") && p.peek(1).kind == Token::LParen) {
        p.take();
        p.take();
        if (p.peek().kind != Token::Star)
            p.fail(QStringLiteral("count 只能写作 count(*)"));
        p.take();
        if (p.peek().kind != Token::RParen)
            p.fail(QStringLiteral("缺少 )"));
        p.take();
        list.countAll = true;
    } else {
        for (;;) {
            int pos = 0;
            list.fields.append(parseField(p, &pos));
            list.positions.append(pos);
            if (p.peek().kind != Token::Comma)
                break;
            p.take();
        }
    }
    if (!p.peek().is("from"))
        p.fail(QStringLiteral("缺少 from"));
    list.fromPos = p.peek().pos;
    return list;
}

} // namespace tamsel::engine::sql
