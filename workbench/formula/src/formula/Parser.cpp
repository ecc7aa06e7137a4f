// Recursive-descent parser from formula text to the node tree.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Functions.h"
#include "Node.h"
#include "RefText.h"
#include "zevo/grid/formula/Expression.h"
#include "zevo/grid/formula/Utf8Text.h"

namespace zevo::grid::formula {

namespace detail {
namespace {

// Deeper nesting than this is refused rather than risking the stack: parentheses
// and functions nest at most kMaxDepth levels, and no tree grows taller than
// kMaxHeight (long chains like A1+A2+...+A500 nest to the left).
constexpr int kMaxDepth = 200;
constexpr int kMaxHeight = 1000;

struct ParseFailure {
    std::string message;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isWordChar(char c) {
    return isAsciiLetter(c) || isDigit(c) || c == '_' || c == '.' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

NodePtr leaf(NodeKind kind) {
    auto n = std::make_shared<Node>();
    n->kind = kind;
    return n;
}

class Parser {
public:
    explicit Parser(std::string_view text) : s_(text) {}

    NodePtr parseAll() {
        skipBlanks();
        if (pos_ < s_.size() && s_[pos_] == '=') {
            ++pos_;
        }
        NodePtr n = expression();
        skipBlanks();
        if (pos_ != s_.size()) fail("unexpected '" + std::string(1, s_[pos_]) + "'");
        return n;
    }

private:
    [[noreturn]] void fail(const std::string& what) {
        throw ParseFailure{what + " at position " + std::to_string(pos_ + 1)};
    }

    void skipBlanks() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\n' || s_[pos_] == '\r' ||
                                    s_[pos_] == '\t'))
            ++pos_;
    }

    bool peek(char c) {
        skipBlanks();
        return pos_ < s_.size() && s_[pos_] == c;
    }

    bool accept(std::string_view token) {
        skipBlanks();
        if (s_.substr(pos_, token.size()) == token) {
            pos_ += token.size();
            return true;
        }
        return false;
    }

    void expect(char c) {
        if (!peek(c)) fail(std::string("expected '") + c + "'");
        ++pos_;
    }

    struct DepthGuard {
        explicit DepthGuard(Parser& p) : p_(p) {
            if (++p_.depth_ > kMaxDepth) p_.fail("formula nested too deeply");
        }
        ~DepthGuard() { --p_.depth_; }
        Parser& p_;
    };

    // Records the height of a node whose children are set.
    NodePtr finish(std::shared_ptr<Node> n) {
        int h = 0;
        for (const auto& c : n->children) h = std::max(h, c->height);
        n->height = h + 1;
        if (n->height > kMaxHeight) fail("formula too long");
        return n;
    }

    NodePtr binary(Op op, NodePtr l, NodePtr r) {
        auto n = std::make_shared<Node>();
        n->kind = NodeKind::Binary;
        n->op = op;
        n->children = {std::move(l), std::move(r)};
        return finish(std::move(n));
    }

    NodePtr expression() {
        DepthGuard guard(*this);
        NodePtr left = concatenation();
        for (;;) {
            Op op;
            if (accept("<>")) op = Op::Ne;
            else if (accept("<=")) op = Op::Le;
            else if (accept(">=")) op = Op::Ge;
            else if (accept("=")) op = Op::Eq;
            else if (accept("<")) op = Op::Lt;
            else if (accept(">")) op = Op::Gt;
            else return left;
            left = binary(op, left, concatenation());
        }
    }

    NodePtr concatenation() {
        NodePtr left = additive();
        while (accept("&")) left = binary(Op::Concat, left, additive());
        return left;
    }

    NodePtr additive() {
        NodePtr left = multiplicative();
        for (;;) {
            if (accept("+")) left = binary(Op::Add, left, multiplicative());
            else if (accept("-")) left = binary(Op::Sub, left, multiplicative());
            else return left;
        }
    }

    NodePtr multiplicative() {
        NodePtr left = power();
        for (;;) {
            if (accept("*")) left = binary(Op::Mul, left, power());
            else if (accept("/")) left = binary(Op::Div, left, power());
            else return left;
        }
    }

    NodePtr power() {
        NodePtr left = percent();
        while (accept("^")) left = binary(Op::Pow, left, percent());
        return left;
    }

    NodePtr percent() {
        NodePtr n = unary();
        while (accept("%")) {
            auto p = std::make_shared<Node>();
            p->kind = NodeKind::Percent;
            p->children = {n};
            n = finish(std::move(p));
        }
        return n;
    }

    // Negation binds tighter than ^ and %, as in spreadsheets: -2^2 is 4.
    NodePtr unary() {
        DepthGuard guard(*this);
        Op op;
        if (accept("-")) op = Op::Neg;
        else if (accept("+")) op = Op::Plus;
        else return primary();
        auto n = std::make_shared<Node>();
        n->kind = NodeKind::Unary;
        n->op = op;
        n->children = {unary()};
        return finish(std::move(n));
    }

    NodePtr primary() {
        skipBlanks();
        if (pos_ >= s_.size()) fail("unexpected end of formula");
        char c = s_[pos_];
        if (c == '(') {
            ++pos_;
            auto n = std::make_shared<Node>();
            n->kind = NodeKind::Paren;
            n->children = {expression()};
            expect(')');
            return finish(std::move(n));
        }
        if (c == '"') return stringLiteral();
        if (c == '#') return errorLiteral();
        if (c == '\'') {
            std::string sheet = quotedSheetName();
            if (pos_ >= s_.size() || s_[pos_] != '!') fail("expected '!' after sheet name");
            ++pos_;
            return reference(sheet);
        }
        if (isDigit(c) || (c == '.' && pos_ + 1 < s_.size() && isDigit(s_[pos_ + 1])))
            return numberLiteral();
        if (isWordChar(c)) return word();
        fail("unexpected '" + std::string(1, c) + "'");
    }

    NodePtr numberLiteral() {
        std::size_t start = pos_;
        while (pos_ < s_.size() && isDigit(s_[pos_])) ++pos_;
        if (pos_ < s_.size() && s_[pos_] == '.') {
            ++pos_;
            while (pos_ < s_.size() && isDigit(s_[pos_])) ++pos_;
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            std::size_t save = pos_++;
            if (pos_ < s_.size() && (s_[pos_] == '+' || s_[pos_] == '-')) ++pos_;
            if (pos_ < s_.size() && isDigit(s_[pos_])) {
                while (pos_ < s_.size() && isDigit(s_[pos_])) ++pos_;
            } else {
                pos_ = save;
            }
        }
        if (pos_ < s_.size() && (isAsciiLetter(s_[pos_]) || s_[pos_] == '_')) fail("bad number");
        auto n = std::make_shared<Node>();
        n->kind = NodeKind::Number;
        std::string digits(s_.substr(start, pos_ - start));
        n->number = std::strtod(digits.c_str(), nullptr);
        if (!std::isfinite(n->number)) fail("number too large");
        return n;
    }

    NodePtr stringLiteral() {
        ++pos_;   // opening quote
        std::string text;
        for (;;) {
            if (pos_ >= s_.size()) fail("unterminated text");
            char c = s_[pos_++];
            if (c == '"') {
                if (pos_ < s_.size() && s_[pos_] == '"') {
                    text.push_back('"');
                    ++pos_;
                } else {
                    break;
                }
            } else {
                text.push_back(c);
            }
        }
        auto n = std::make_shared<Node>();
        n->kind = NodeKind::String;
        n->text = std::move(text);
        return n;
    }

    NodePtr errorLiteral() {
        for (ErrorCode code : {ErrorCode::Ref, ErrorCode::Value, ErrorCode::Div0, ErrorCode::Name,
                               ErrorCode::NA, ErrorCode::Num}) {
            std::string_view name = errorText(code);
            if (s_.size() - pos_ >= name.size() &&
                utf8Upper(s_.substr(pos_, name.size())) == name) {
                pos_ += name.size();
                auto n = std::make_shared<Node>();
                n->kind = NodeKind::Error;
                n->error = code;
                return n;
            }
        }
        fail("unknown error value");
    }

    std::string quotedSheetName() {
        ++pos_;   // opening quote
        std::string name;
        for (;;) {
            if (pos_ >= s_.size()) fail("unterminated sheet name");
            char c = s_[pos_++];
            if (c == '\'') {
                if (pos_ < s_.size() && s_[pos_] == '\'') {
                    name.push_back('\'');
                    ++pos_;
                } else {
                    break;
                }
            } else {
                name.push_back(c);
            }
        }
        if (name.empty()) fail("empty sheet name");
        return name;
    }

    // A cell or range after an optional "Sheet!" prefix has been read.
    NodePtr reference(const std::string& sheet) {
        std::size_t start = pos_;
        while (pos_ < s_.size() && isWordChar(s_[pos_])) ++pos_;
        auto first = parseCellRef(s_.substr(start, pos_ - start));
        if (!first) {
            pos_ = start;
            fail("expected a cell reference");
        }
        auto n = std::make_shared<Node>();
        n->kind = NodeKind::Ref;
        n->ref.sheet = sheet;
        n->ref.first = *first;
        n->ref.last = *first;
        if (pos_ < s_.size() && s_[pos_] == ':') {
            ++pos_;
            // The end may repeat the sheet ("Sheet1!A1:Sheet1!B2").
            std::size_t endStart = pos_;
            std::string endSheet;
            if (pos_ < s_.size() && s_[pos_] == '\'') {
                endSheet = quotedSheetName();
            } else {
                while (pos_ < s_.size() && isWordChar(s_[pos_]) && s_[pos_] != '$') ++pos_;
                endSheet = std::string(s_.substr(endStart, pos_ - endStart));
            }
            if (pos_ < s_.size() && s_[pos_] == '!') {
                ++pos_;
                if (!equalsIgnoreCase(endSheet, sheet)) fail("a range cannot span sheets");
            } else {
                pos_ = endStart;
            }
            std::size_t lastStart = pos_;
            while (pos_ < s_.size() && isWordChar(s_[pos_])) ++pos_;
            auto last = parseCellRef(s_.substr(lastStart, pos_ - lastStart));
            if (!last) {
                pos_ = lastStart;
                fail("expected the end of a range");
            }
            n->ref.isRange = true;
            n->ref.last = *last;
            normaliseRange(n->ref);
        }
        return n;
    }

    NodePtr word() {
        std::size_t start = pos_;
        while (pos_ < s_.size() && isWordChar(s_[pos_])) ++pos_;
        std::string_view w = s_.substr(start, pos_ - start);
        if (pos_ < s_.size() && s_[pos_] == '!') {
            if (w.find('$') != std::string_view::npos) fail("bad sheet name");
            ++pos_;
            return reference(std::string(w));
        }
        std::size_t afterWord = pos_;
        if (peek('(')) {
            ++pos_;
            return call(utf8Upper(w));
        }
        pos_ = afterWord;
        if (parseCellRef(w)) {
            pos_ = start;
            return reference("");
        }
        std::string upper = utf8Upper(w);
        if (upper == "TRUE" || upper == "FALSE") {
            auto n = std::make_shared<Node>();
            n->kind = NodeKind::Boolean;
            n->boolean = upper == "TRUE";
            return n;
        }
        pos_ = start;
        fail("unknown name '" + std::string(w) + "'");
    }

    NodePtr call(std::string name) {
        auto n = std::make_shared<Node>();
        n->kind = NodeKind::Call;
        n->function = findFunction(name);
        n->text = std::move(name);
        if (peek(')')) {
            ++pos_;
            return finish(std::move(n));
        }
        for (;;) {
            if (peek(',') || peek(')'))
                n->children.push_back(leaf(NodeKind::Missing));
            else
                n->children.push_back(expression());
            if (peek(',')) {
                ++pos_;
                continue;
            }
            expect(')');
            return finish(std::move(n));
        }
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    int depth_ = 0;
};

}  // namespace
}  // namespace detail

Expression::Expression() : text_(), error_("empty formula") {}

Expression Expression::parse(std::string_view text) {
    Expression e;
    try {
        e.root_ = detail::Parser(text).parseAll();
        e.error_.clear();
    } catch (const detail::ParseFailure& f) {
        e.root_.reset();
        e.text_ = std::string(text);
        e.error_ = f.message;
    } catch (const std::exception& ex) {
        e.root_.reset();
        e.text_ = std::string(text);
        e.error_ = ex.what();
    }
    return e;
}

}  // namespace zevo::grid::formula
