#include "core/data/SqlDialect.h"

#include "core/data/DatabaseError.h"
#include "core/data/SqlQuote.h"

#include <QList>
#include <QSet>

// The translator works in three steps:
//  1. a tokenizer turns the text into words, numbers, quoted texts, parameters
//     and operators; every token keeps the white space (and comments) in front
//     of it, so that the output reads like the input;
//  2. parentheses (and CASE ... END) become nested groups, so that every later
//     rule sees one nesting level at a time;
//  3. the rules run over each level: first those that need the clause
//     structure (table names, SELECT ... INTO, ORDER BY ... nocase, TOP n),
//     then those on expressions (CURRENT_DATE, the "+" operator).

namespace corvane {
namespace {

enum class Kind {
    Word, // identifier or keyword, as written
    Number,
    Text,         // '...'
    DoubleQuoted, // "..." not yet classified; a value unless a table name
    Name,         // "..." that names a table (or its alias)
    Param,        // ?, ?1, :name, @name, $name
    Op,           // operator or punctuation
    Group,        // ( children )
    CaseBlock,    // CASE children END
    Raw,          // SQLite text produced by a rule
};

struct Node
{
    Kind kind = Kind::Op;
    QString text;         // words, numbers, operators, raw text; the value of quoted texts
    QString space;        // white space and comments in front of the node
    QList<Node> children; // Group and CaseBlock
    QString closeSpace;   // white space in front of ")" or END
    QString closeText;    // END as written
};

using Nodes = QList<Node>;

[[noreturn]] void syntaxError(const QString& message)
{
    throw DatabaseError(DatabaseError::SyntaxError, message);
}

// ---------------------------------------------------------------- tokenizer

bool isWordStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$'); }

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

Nodes tokenize(const QString& text, QString* trailingSpace)
{
    Nodes tokens;
    QString space;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto push = [&](Kind kind, const QString& tokenText) {
        Node node;
        node.kind = kind;
        node.text = tokenText;
        node.space = space;
        space.clear();
        tokens.append(node);
    };

    while (i < n) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            space += c;
            ++i;
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < n && text.at(i + 1) == QLatin1Char('-')) {
            const qsizetype end = text.indexOf(QLatin1Char('\n'), i);
            const qsizetype stop = end < 0 ? n : end;
            space += text.mid(i, stop - i);
            i = stop;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && text.at(i + 1) == QLatin1Char('*')) {
            const qsizetype end = text.indexOf(QStringLiteral("*/"), i + 2);
            if (end < 0)
                syntaxError(QStringLiteral("Unterminated comment in SQL text"));
            space += text.mid(i, end + 2 - i);
            i = end + 2;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            QString value;
            qsizetype j = i + 1;
            bool closed = false;
            while (j < n) {
                const QChar d = text.at(j);
                if (d == c) {
                    if (j + 1 < n && text.at(j + 1) == c) {
                        value += c;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                value += d;
                ++j;
            }
            if (!closed) {
                syntaxError(QStringLiteral("Unterminated quoted text in SQL at position %1: %2")
                                .arg(i + 1)
                                .arg(text.mid(i, 40)));
            }
            push(c == QLatin1Char('\'') ? Kind::Text : Kind::DoubleQuoted, value);
            i = j;
            continue;
        }
        if (isDigit(c) || (c == QLatin1Char('.') && i + 1 < n && isDigit(text.at(i + 1)))) {
            qsizetype j = i;
            while (j < n && isDigit(text.at(j)))
                ++j;
            if (j < n && text.at(j) == QLatin1Char('.')) {
                ++j;
                while (j < n && isDigit(text.at(j)))
                    ++j;
            }
            if (j < n && (text.at(j) == QLatin1Char('e') || text.at(j) == QLatin1Char('E'))) {
                qsizetype k = j + 1;
                if (k < n && (text.at(k) == QLatin1Char('+') || text.at(k) == QLatin1Char('-')))
                    ++k;
                if (k < n && isDigit(text.at(k))) {
                    while (k < n && isDigit(text.at(k)))
                        ++k;
                    j = k;
                }
            }
            push(Kind::Number, text.mid(i, j - i));
            i = j;
            continue;
        }
        if (isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && isWordChar(text.at(j)))
                ++j;
            push(Kind::Word, text.mid(i, j - i));
            i = j;
            continue;
        }
        if (c == QLatin1Char('?') || c == QLatin1Char(':') || c == QLatin1Char('@')
            || c == QLatin1Char('$')) {
            qsizetype j = i + 1;
            while (j < n && isWordChar(text.at(j)))
                ++j;
            if (j > i + 1 || c == QLatin1Char('?')) {
                push(Kind::Param, text.mid(i, j - i));
                i = j;
                continue;
            }
        }
        static const QLatin1String twoCharOps[] = {
            QLatin1String("<>"), QLatin1String("<="), QLatin1String(">="), QLatin1String("!="),
            QLatin1String("=="), QLatin1String("||"), QLatin1String("<<"), QLatin1String(">>"),
        };
        bool matched = false;
        if (i + 1 < n) {
            const QStringView pair = QStringView(text).mid(i, 2);
            for (const QLatin1String& op : twoCharOps) {
                if (pair == op) {
                    push(Kind::Op, pair.toString());
                    i += 2;
                    matched = true;
                    break;
                }
            }
        }
        if (!matched) {
            push(Kind::Op, QString(c));
            ++i;
        }
    }
    *trailingSpace = space;
    return tokens;
}

// ---------------------------------------------------------------- helpers

bool isWord(const Node& node, QLatin1String word)
{
    return node.kind == Kind::Word && node.text.compare(word, Qt::CaseInsensitive) == 0;
}

bool isOp(const Node& node, QLatin1String op) { return node.kind == Kind::Op && node.text == op; }

// Words that can never be an operand of an expression.
bool isKeyword(const Node& node)
{
    static const QSet<QString> keywords = {
        QStringLiteral("ALL"),     QStringLiteral("AND"),       QStringLiteral("AS"),
        QStringLiteral("ASC"),     QStringLiteral("BETWEEN"),   QStringLiteral("BY"),
        QStringLiteral("COLLATE"), QStringLiteral("CREATE"),    QStringLiteral("CROSS"),
        QStringLiteral("DELETE"),  QStringLiteral("DESC"),      QStringLiteral("DISTINCT"),
        QStringLiteral("DROP"),    QStringLiteral("ELSE"),      QStringLiteral("END"),
        QStringLiteral("ESCAPE"),  QStringLiteral("EXCEPT"),    QStringLiteral("FROM"),
        QStringLiteral("FULL"),    QStringLiteral("GLOB"),      QStringLiteral("GROUP"),
        QStringLiteral("HAVING"),  QStringLiteral("IN"),        QStringLiteral("INNER"),
        QStringLiteral("INSERT"),  QStringLiteral("INTERSECT"), QStringLiteral("INTO"),
        QStringLiteral("IS"),      QStringLiteral("ISNULL"),    QStringLiteral("JOIN"),
        QStringLiteral("LEFT"),    QStringLiteral("LIKE"),      QStringLiteral("LIMIT"),
        QStringLiteral("MATCH"),   QStringLiteral("NATURAL"),   QStringLiteral("NOCASE"),
        QStringLiteral("NOT"),     QStringLiteral("NOTNULL"),   QStringLiteral("OFFSET"),
        QStringLiteral("ON"),      QStringLiteral("OR"),        QStringLiteral("ORDER"),
        QStringLiteral("OUTER"),   QStringLiteral("REGEXP"),    QStringLiteral("RIGHT"),
        QStringLiteral("SELECT"),  QStringLiteral("SET"),       QStringLiteral("TABLE"),
        QStringLiteral("THEN"),    QStringLiteral("TOP"),       QStringLiteral("UNION"),
        QStringLiteral("UPDATE"),  QStringLiteral("USING"),     QStringLiteral("VALUES"),
        QStringLiteral("WHEN"),    QStringLiteral("WHERE"),     QStringLiteral("WINDOW"),
        QStringLiteral("WITH"),
    };
    return node.kind == Kind::Word && keywords.contains(node.text.toUpper());
}

// Words that end the table list of a FROM clause.
bool endsFromClause(const Node& node)
{
    static const QLatin1String words[] = {
        QLatin1String("WHERE"),  QLatin1String("GROUP"),  QLatin1String("ORDER"),  QLatin1String("HAVING"),
        QLatin1String("LIMIT"),  QLatin1String("UNION"),  QLatin1String("EXCEPT"), QLatin1String("INTERSECT"),
        QLatin1String("WINDOW"), QLatin1String("SET"),    QLatin1String("VALUES"), QLatin1String("SELECT"),
        QLatin1String("TOP"),    QLatin1String("OFFSET"),
    };
    if (isOp(node, QLatin1String(";")))
        return true;
    for (const QLatin1String& word : words) {
        if (isWord(node, word))
            return true;
    }
    return false;
}

Node makeWord(const QString& text, const QString& space = QStringLiteral(" "))
{
    Node node;
    node.kind = Kind::Word;
    node.text = text;
    node.space = space;
    return node;
}

Node makeOp(const QString& text, const QString& space = {})
{
    Node node;
    node.kind = Kind::Op;
    node.text = text;
    node.space = space;
    return node;
}

Node makeRaw(const QString& text, const QString& space)
{
    Node node;
    node.kind = Kind::Raw;
    node.text = text;
    node.space = space;
    return node;
}

Node makeGroup(Nodes children, const QString& space)
{
    Node node;
    node.kind = Kind::Group;
    node.children = std::move(children);
    node.space = space;
    return node;
}

// ---------------------------------------------------------------- nesting

// Turns "(" ... ")" into groups and CASE ... END into case blocks.
Nodes nest(const Nodes& tokens)
{
    struct Frame
    {
        Nodes nodes;
        Node opener;
    };
    QList<Frame> stack;
    stack.append(Frame{});

    for (const Node& token : tokens) {
        if (isOp(token, QLatin1String("(")) || isWord(token, QLatin1String("CASE"))) {
            Frame frame;
            frame.opener = token;
            stack.append(frame);
            continue;
        }
        const bool closesGroup = isOp(token, QLatin1String(")"));
        const bool closesCase =
            isWord(token, QLatin1String("END")) && stack.size() > 1 && stack.last().opener.kind == Kind::Word;
        if (closesGroup || closesCase) {
            if (stack.size() == 1)
                syntaxError(QStringLiteral("Unbalanced \")\" in SQL text"));
            const Frame frame = stack.takeLast();
            if (closesGroup && frame.opener.kind == Kind::Word)
                syntaxError(QStringLiteral("CASE without END in SQL text"));
            Node node;
            node.kind = closesGroup ? Kind::Group : Kind::CaseBlock;
            node.space = frame.opener.space;
            node.text = frame.opener.text;
            node.children = frame.nodes;
            node.closeSpace = token.space;
            node.closeText = token.text;
            stack.last().nodes.append(node);
            continue;
        }
        stack.last().nodes.append(token);
    }
    if (stack.size() != 1) {
        if (stack.last().opener.kind == Kind::Word)
            syntaxError(QStringLiteral("CASE without END in SQL text"));
        syntaxError(QStringLiteral("Missing \")\" in SQL text"));
    }
    return stack.first().nodes;
}

// ---------------------------------------------------------------- rendering

void render(const Nodes& nodes, QString& out)
{
    for (const Node& node : nodes) {
        out += node.space;
        switch (node.kind) {
        case Kind::Text:
        case Kind::DoubleQuoted: out += SqlQuote::quoted(node.text, QLatin1Char('\'')); break;
        case Kind::Name: out += SqlQuote::quoted(node.text, QLatin1Char('"')); break;
        case Kind::Group:
            out += QLatin1Char('(');
            render(node.children, out);
            out += node.closeSpace;
            out += QLatin1Char(')');
            break;
        case Kind::CaseBlock:
            out += node.text;
            render(node.children, out);
            out += node.closeSpace;
            out += node.closeText;
            break;
        default: out += node.text; break;
        }
    }
}

// ---------------------------------------------------------------- expressions

// The extent of one operand, as half-open index ranges into one level.
qsizetype parsePrimary(const Nodes& nodes, qsizetype i)
{
    if (i >= nodes.size())
        return -1;
    const Node& node = nodes.at(i);
    qsizetype j = -1;
    switch (node.kind) {
    case Kind::Number:
    case Kind::Text:
    case Kind::DoubleQuoted:
    case Kind::Name:
    case Kind::Param:
    case Kind::Raw:
    case Kind::Group:
    case Kind::CaseBlock: j = i + 1; break;
    case Kind::Word:
        if (isKeyword(node))
            return -1;
        j = i + 1;
        // qualified names: table.column
        while (j + 1 < nodes.size() && isOp(nodes.at(j), QLatin1String("."))
               && (nodes.at(j + 1).kind == Kind::Word || nodes.at(j + 1).kind == Kind::Name
                   || isOp(nodes.at(j + 1), QLatin1String("*"))))
            j += 2;
        // function call
        if (j < nodes.size() && nodes.at(j).kind == Kind::Group)
            ++j;
        break;
    case Kind::Op: return -1;
    }
    // postfix COLLATE binds tighter than any operator
    while (j + 1 < nodes.size() && isWord(nodes.at(j), QLatin1String("COLLATE"))
           && nodes.at(j + 1).kind == Kind::Word)
        j += 2;
    return j;
}

bool isUnaryOp(const Node& node)
{
    return isOp(node, QLatin1String("-")) || isOp(node, QLatin1String("+")) || isOp(node, QLatin1String("~"));
}

qsizetype parseUnary(const Nodes& nodes, qsizetype i)
{
    while (i < nodes.size() && isUnaryOp(nodes.at(i)))
        ++i;
    return parsePrimary(nodes, i);
}

bool isMultiplicativeOp(const Node& node)
{
    return isOp(node, QLatin1String("*")) || isOp(node, QLatin1String("/")) || isOp(node, QLatin1String("%"))
        || isOp(node, QLatin1String("||"));
}

// An operand of "+" or "-": unary and multiplicative operators bind tighter.
qsizetype parseTerm(const Nodes& nodes, qsizetype i)
{
    qsizetype j = parseUnary(nodes, i);
    if (j < 0)
        return -1;
    while (j < nodes.size() && isMultiplicativeOp(nodes.at(j))) {
        const qsizetype k = parseUnary(nodes, j + 1);
        if (k < 0)
            break;
        j = k;
    }
    return j;
}

Nodes slice(const Nodes& nodes, qsizetype from, qsizetype to) { return nodes.mid(from, to - from); }

// CURRENT_DATE is the local date; CURRENT_DATE - n (or + n) is n days back (on).
void rewriteCurrentDate(Nodes& nodes)
{
    for (qsizetype i = 0; i < nodes.size(); ++i) {
        if (!isWord(nodes.at(i), QLatin1String("CURRENT_DATE")))
            continue;
        const QString space = nodes.at(i).space;
        const bool hasOffset = i + 1 < nodes.size()
            && (isOp(nodes.at(i + 1), QLatin1String("-")) || isOp(nodes.at(i + 1), QLatin1String("+")));
        const qsizetype end = hasOffset ? parseTerm(nodes, i + 2) : -1;
        if (end < 0) {
            nodes[i] = makeRaw(QStringLiteral("date('now','localtime')"), space);
            continue;
        }
        const QString sign = nodes.at(i + 1).text;
        QString modifier;
        if (end == i + 3 && nodes.at(i + 2).kind == Kind::Number) {
            modifier = SqlQuote::quoted(sign + nodes.at(i + 2).text + QStringLiteral(" days"));
        } else {
            Nodes operand = slice(nodes, i + 2, end);
            operand.first().space.clear();
            QString operandText;
            render(operand, operandText);
            modifier = QStringLiteral("'%1' || (%2) || ' days'").arg(sign, operandText);
        }
        nodes.remove(i + 1, end - i - 1);
        nodes[i] = makeRaw(QStringLiteral("date('now','localtime',%1)").arg(modifier), space);
    }
}

// a + b becomes cv_plus(a, b), left-associative: a + b - c + d is
// cv_plus(cv_plus(a, b) - c, d).
void rewritePlus(Nodes& nodes)
{
    const QString plusName = QString::fromLatin1(PlusFunctionName);
    qsizetype i = 0;
    while (i < nodes.size()) {
        qsizetype end = parseTerm(nodes, i);
        if (end < 0) {
            ++i;
            continue;
        }
        struct Operand
        {
            Node op;
            Nodes term;
        };
        QList<Operand> rest;
        bool hasPlus = false;
        while (end < nodes.size()
               && (isOp(nodes.at(end), QLatin1String("+")) || isOp(nodes.at(end), QLatin1String("-")))) {
            const qsizetype next = parseTerm(nodes, end + 1);
            if (next < 0)
                break;
            hasPlus = hasPlus || nodes.at(end).text == QLatin1String("+");
            rest.append(Operand{nodes.at(end), slice(nodes, end + 1, next)});
            end = next;
        }
        if (!hasPlus) {
            i = end;
            continue;
        }
        Nodes accumulated = slice(nodes, i, parseTerm(nodes, i));
        const QString leadingSpace = accumulated.first().space;
        accumulated.first().space.clear();
        for (Operand& operand : rest) {
            if (operand.op.text == QLatin1String("+")) {
                Nodes arguments = accumulated;
                arguments.append(makeOp(QStringLiteral(",")));
                operand.term.first().space = QStringLiteral(" ");
                arguments.append(operand.term);
                accumulated = {makeWord(plusName, QString()), makeGroup(arguments, QString())};
            } else {
                accumulated.append(operand.op);
                accumulated.append(operand.term);
            }
        }
        accumulated.first().space = leadingSpace;
        nodes.remove(i, end - i);
        for (qsizetype k = 0; k < accumulated.size(); ++k)
            nodes.insert(i + k, accumulated.at(k));
        i += accumulated.size();
    }
}

void rewriteExpressions(Nodes& nodes)
{
    for (Node& node : nodes) {
        if (node.kind == Kind::Group || node.kind == Kind::CaseBlock)
            rewriteExpressions(node.children);
    }
    rewriteCurrentDate(nodes);
    rewritePlus(nodes);
}

// ---------------------------------------------------------------- clauses

struct Context
{
    QStringList tables;
    QString intoTable;
};

void addTable(Context& context, const QString& name)
{
    // "" would name the file ".dat" of the data folder.
    if (name.trimmed().isEmpty())
        syntaxError(QStringLiteral("an empty table name"));
    for (const QString& known : std::as_const(context.tables)) {
        if (known.compare(name, Qt::CaseInsensitive) == 0)
            return;
    }
    context.tables.append(name);
}

// The ORDER BY terms from index `from` to the end of the clause. A NOCASE after
// the last term makes every term case-insensitive; one after another term
// makes that term alone case-insensitive.
void rewriteOrderBy(Nodes& nodes, qsizetype from)
{
    qsizetype to = from;
    while (to < nodes.size()) {
        const Node& node = nodes.at(to);
        if (isWord(node, QLatin1String("LIMIT")) || isWord(node, QLatin1String("OFFSET"))
            || isWord(node, QLatin1String("UNION")) || isWord(node, QLatin1String("EXCEPT"))
            || isWord(node, QLatin1String("INTERSECT")) || isOp(node, QLatin1String(";")))
            break;
        ++to;
    }

    struct Term
    {
        Nodes expression;
        Nodes suffix; // ASC / DESC as written
        bool nocase = false;
        Node separator; // the "," in front of the term, except for the first
    };
    QList<Term> terms;
    Term current;
    for (qsizetype i = from; i < to; ++i) {
        if (isOp(nodes.at(i), QLatin1String(","))) {
            terms.append(current);
            current = Term{};
            current.separator = nodes.at(i);
            continue;
        }
        current.expression.append(nodes.at(i));
    }
    terms.append(current);

    bool anyNocase = false;
    for (Term& term : terms) {
        while (!term.expression.isEmpty()) {
            const Node& last = term.expression.last();
            if (isWord(last, QLatin1String("NOCASE"))
                && !(term.expression.size() >= 2
                     && isWord(term.expression.at(term.expression.size() - 2), QLatin1String("COLLATE")))) {
                term.nocase = true;
                term.expression.removeLast();
            } else if (isWord(last, QLatin1String("ASC")) || isWord(last, QLatin1String("DESC"))) {
                term.suffix.prepend(last);
                term.expression.removeLast();
            } else {
                break;
            }
        }
        if (term.expression.isEmpty() && (term.nocase || !term.suffix.isEmpty()))
            syntaxError(QStringLiteral("ORDER BY term without a column"));
        anyNocase = anyNocase || term.nocase;
    }
    if (!anyNocase)
        return;
    const bool allNocase = terms.last().nocase;

    Nodes rebuilt;
    for (qsizetype t = 0; t < terms.size(); ++t) {
        Term& term = terms[t];
        if (t > 0)
            rebuilt.append(term.separator);
        // "ORDER BY a,, b nocase": no column to collate.
        if (term.expression.isEmpty())
            syntaxError(QStringLiteral("ORDER BY term without a column"));
        if (term.nocase || allNocase) {
            const bool alreadyCollated = term.expression.size() >= 2
                && isWord(term.expression.at(term.expression.size() - 2), QLatin1String("COLLATE"));
            if (!alreadyCollated) {
                if (parseUnary(term.expression, 0) != term.expression.size()) {
                    const QString space = term.expression.first().space;
                    term.expression.first().space.clear();
                    term.expression = {makeGroup(term.expression, space)};
                }
                term.expression.append(makeWord(QStringLiteral("COLLATE")));
                term.expression.append(makeWord(QStringLiteral("NOCASE")));
            }
        }
        rebuilt.append(term.expression);
        rebuilt.append(term.suffix);
    }
    nodes.remove(from, to - from);
    for (qsizetype k = 0; k < rebuilt.size(); ++k)
        nodes.insert(from + k, rebuilt.at(k));
}

// An appended "TOP n" keeps the first n rows.
void rewriteTop(Nodes& nodes)
{
    qsizetype end = nodes.size();
    if (end > 0 && isOp(nodes.at(end - 1), QLatin1String(";")))
        --end;
    if (end > 0 && isWord(nodes.at(end - 1), QLatin1String("TOP")))
        syntaxError(QStringLiteral("TOP needs a number of rows"));
    if (end < 2 || !isWord(nodes.at(end - 2), QLatin1String("TOP")))
        return;
    const Node count = nodes.at(end - 1);
    if (count.kind != Kind::Number && count.kind != Kind::Param)
        syntaxError(QStringLiteral("TOP needs a number of rows"));
    const QString space = nodes.at(end - 2).space;
    nodes.remove(end - 2, 2);
    nodes.insert(end - 2, makeWord(QStringLiteral("LIMIT"), space.isEmpty() ? QStringLiteral(" ") : space));
    nodes.insert(end - 1, count);
}

bool canNameTable(const Node& node)
{
    return (node.kind == Kind::Word && !isKeyword(node)) || node.kind == Kind::DoubleQuoted
        || node.kind == Kind::Name;
}

// One nesting level: table names after FROM, JOIN, INTO, UPDATE and TABLE
// (with the comma lists of FROM), SELECT ... INTO at the top, ORDER BY.
void rewriteClauses(Nodes& nodes, Context& context, bool topLevel)
{
    const bool selectStatement = !nodes.isEmpty() && isWord(nodes.first(), QLatin1String("SELECT"));
    bool stripInto = topLevel && selectStatement;
    enum class State { Other, ExpectTable, AfterTable, AfterAs };
    State state = State::Other;
    bool inFrom = false;

    for (qsizetype i = 0; i < nodes.size(); ++i) {
        Node& node = nodes[i];
        if (node.kind == Kind::Group || node.kind == Kind::CaseBlock)
            rewriteClauses(node.children, context, false); // tables in the order they are written

        // "t"."c": a double-quoted part of a qualified name is a name too
        if (node.kind == Kind::DoubleQuoted
            && ((i > 0 && isOp(nodes.at(i - 1), QLatin1String(".")))
                || (i + 1 < nodes.size() && isOp(nodes.at(i + 1), QLatin1String("."))))) {
            node.kind = Kind::Name;
        }

        if (state == State::ExpectTable) {
            state = State::Other;
            if (node.kind == Kind::Group) {
                state = State::AfterTable; // a subquery; its tables were collected above
                continue;
            }
            if (canNameTable(node)) {
                if (node.kind == Kind::DoubleQuoted)
                    node.kind = Kind::Name;
                addTable(context, node.text);
                state = State::AfterTable;
                continue;
            }
        } else if (state == State::AfterTable || state == State::AfterAs) {
            const bool afterAs = state == State::AfterAs;
            state = State::Other;
            if (!afterAs && isWord(node, QLatin1String("AS"))) {
                state = State::AfterAs;
                continue;
            }
            if (canNameTable(node)) { // an alias
                if (node.kind == Kind::DoubleQuoted)
                    node.kind = Kind::Name;
                continue;
            }
        }

        if (isWord(node, QLatin1String("FROM"))) {
            inFrom = true;
            stripInto = false;
            state = State::ExpectTable;
        } else if (isWord(node, QLatin1String("JOIN"))) {
            state = State::ExpectTable;
        } else if (isWord(node, QLatin1String("INTO"))) {
            if (stripInto) {
                if (i + 1 >= nodes.size()
                    || !(canNameTable(nodes.at(i + 1)) || nodes.at(i + 1).kind == Kind::Text))
                    syntaxError(QStringLiteral("INTO without a table name"));
                context.intoTable = nodes.at(i + 1).text;
                addTable(context, context.intoTable);
                nodes.remove(i, 2);
                --i;
                stripInto = false;
                continue;
            }
            state = State::ExpectTable;
        } else if (isWord(node, QLatin1String("UPDATE")) || isWord(node, QLatin1String("TABLE"))) {
            state = State::ExpectTable;
        } else if (isOp(node, QLatin1String(",")) && inFrom) {
            state = State::ExpectTable;
        } else if (endsFromClause(node)) {
            inFrom = false;
            if (isWord(node, QLatin1String("ORDER")) && i + 1 < nodes.size()
                && isWord(nodes.at(i + 1), QLatin1String("BY")))
                rewriteOrderBy(nodes, i + 2);
        }
    }
}

QString translateExpressionNodes(Nodes& nodes, const QString& trailingSpace)
{
    rewriteExpressions(nodes);
    QString out;
    render(nodes, out);
    out += trailingSpace;
    return out;
}

} // namespace

TranslatedSql translateSql(const QString& dialectSql)
{
    QString trailingSpace;
    Nodes nodes = nest(tokenize(dialectSql, &trailingSpace));

    TranslatedSql result;
    Context context;
    rewriteTop(nodes);
    rewriteClauses(nodes, context, true);

    result.sql = translateExpressionNodes(nodes, trailingSpace).trimmed();
    result.tables = context.tables;
    result.intoTable = context.intoTable;
    const bool returnsRows = !nodes.isEmpty()
        && (isWord(nodes.first(), QLatin1String("SELECT")) || isWord(nodes.first(), QLatin1String("WITH"))
            || isWord(nodes.first(), QLatin1String("VALUES")));
    result.isSelect = returnsRows && result.intoTable.isEmpty();
    return result;
}

QString translateFilter(const QString& filter)
{
    QString trailingSpace;
    Nodes nodes = nest(tokenize(filter, &trailingSpace));
    Context context;
    rewriteClauses(nodes, context, false);
    return translateExpressionNodes(nodes, trailingSpace).trimmed();
}

} // namespace corvane
