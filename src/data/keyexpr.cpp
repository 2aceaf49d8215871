#include "data/keyexpr.h"

#include "util/errors.h"

#include <cctype>
#include <cstring>

namespace velt::data {

namespace {

struct Ctx {
    const char* rec;
    uint32_t recno;
};

std::string upperAscii(std::string_view s)
{
    std::string r(s);
    for (char& c : r) c = char(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

// Upper case of one Windows-1252 byte (ASCII and the accented letters).
unsigned char upper1252(unsigned char c)
{
    if (c >= 'a' && c <= 'z') return uint8_t(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return uint8_t(c - 32);
    switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
    }
}

} // namespace

struct KeyExpr::Node {
    virtual ~Node() = default;
    ExprType type = ExprType::Text;
    int width = 0;   // fixed width of a text result
    virtual void text(const Ctx&, std::string&) const {}
    virtual double number(const Ctx&) const { return 0; }
    virtual int32_t date(const Ctx&) const { return 0; }
    virtual bool logical(const Ctx&) const { return false; }
};

namespace {

using NodeP = std::unique_ptr<KeyExpr::Node>;

struct FieldNode : KeyExpr::Node {
    int offset = 0;
    void text(const Ctx& c, std::string& out) const override { out.append(c.rec + offset, size_t(width)); }
    double number(const Ctx& c) const override { return DbfTable::parseNumber({c.rec + offset, size_t(width)}); }
    int32_t date(const Ctx& c) const override { return Date::fromDtos({c.rec + offset, size_t(width)}).julian(); }
    bool logical(const Ctx& c) const override
    {
        char b = c.rec[offset];
        return b == 'T' || b == 't' || b == 'Y' || b == 'y';
    }
};

struct TextLit : KeyExpr::Node {
    std::string v;
    void text(const Ctx&, std::string& out) const override { out += v; }
};

struct NumLit : KeyExpr::Node {
    double v = 0;
    double number(const Ctx&) const override { return v; }
};

struct RecnoNode : KeyExpr::Node {
    double number(const Ctx& c) const override { return double(c.recno); }
};

struct DeletedNode : KeyExpr::Node {
    bool logical(const Ctx& c) const override { return c.rec[0] == '*'; }
};

struct NotNode : KeyExpr::Node {
    NodeP a;
    bool logical(const Ctx& c) const override { return !a->logical(c); }
};

struct ConcatNode : KeyExpr::Node {
    NodeP a, b;
    void text(const Ctx& c, std::string& out) const override
    {
        a->text(c, out);
        b->text(c, out);
    }
};

struct AddNode : KeyExpr::Node {
    NodeP a, b;
    double number(const Ctx& c) const override { return a->number(c) + b->number(c); }
};

struct UpperNode : KeyExpr::Node {
    NodeP a;
    void text(const Ctx& c, std::string& out) const override
    {
        size_t from = out.size();
        a->text(c, out);
        for (size_t i = from; i < out.size(); ++i) out[i] = char(upper1252(static_cast<unsigned char>(out[i])));
    }
};

struct DtosNode : KeyExpr::Node {
    NodeP a;
    void text(const Ctx& c, std::string& out) const override { out += Date::fromJulian(a->date(c)).toDtos(); }
};

struct StrNode : KeyExpr::Node {
    NodeP a;
    int decimals = 0;
    void text(const Ctx& c, std::string& out) const override
    {
        auto s = DbfTable::formatNumber(a->number(c), width, decimals);
        if (s) out += *s;
        else out.append(size_t(width), '*');
    }
};

class Parser {
public:
    Parser(std::string_view text, const std::vector<FieldInfo>& fields, std::string_view alias)
        : s_(text), fields_(fields), alias_(upperAscii(alias))
    {
    }

    NodeP parse()
    {
        NodeP n = expr();
        skip();
        if (p_ != s_.size()) fail("testo inatteso");
        return n;
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw reportError("espressione chiave non valida (" + what + "): " + std::string(s_), {}, "index");
    }

    void skip()
    {
        while (p_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[p_]))) ++p_;
    }
    bool eat(char c)
    {
        skip();
        if (p_ < s_.size() && s_[p_] == c) {
            ++p_;
            return true;
        }
        return false;
    }
    bool eatArrow()
    {
        skip();
        if (s_.substr(p_, 2) == "->") {
            p_ += 2;
            return true;
        }
        return false;
    }
    std::string ident()
    {
        skip();
        size_t b = p_;
        while (p_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[p_])) || s_[p_] == '_')) ++p_;
        return upperAscii(s_.substr(b, p_ - b));
    }

    NodeP expr()
    {
        NodeP a = unary();
        while (eat('+')) {
            NodeP b = unary();
            if (a->type == ExprType::Text && b->type == ExprType::Text) {
                auto n = std::make_unique<ConcatNode>();
                n->type = ExprType::Text;
                n->width = a->width + b->width;
                n->a = std::move(a);
                n->b = std::move(b);
                a = std::move(n);
            } else if (a->type == ExprType::Number && b->type == ExprType::Number) {
                auto n = std::make_unique<AddNode>();
                n->type = ExprType::Number;
                n->a = std::move(a);
                n->b = std::move(b);
                a = std::move(n);
            } else {
                fail("tipi diversi in \"+\"");
            }
        }
        return a;
    }

    NodeP unary()
    {
        if (eat('!')) {
            auto n = std::make_unique<NotNode>();
            n->a = unary();
            if (n->a->type != ExprType::Logical) fail("\"!\" vuole un valore logico");
            n->type = ExprType::Logical;
            return n;
        }
        return primary();
    }

    std::vector<NodeP> args()
    {
        std::vector<NodeP> a;
        if (eat(')')) return a;
        do {
            a.push_back(expr());
        } while (eat(','));
        if (!eat(')')) fail("manca \")\"");
        return a;
    }

    static int constInt(const NodeP& n, bool& ok)
    {
        auto* lit = dynamic_cast<NumLit*>(n.get());
        ok = lit != nullptr;
        return lit ? int(lit->v) : 0;
    }

    NodeP function(const std::string& name)
    {
        std::vector<NodeP> a = args();
        auto want = [&](size_t lo, size_t hi) {
            if (a.size() < lo || a.size() > hi) fail("argomenti di " + name);
        };
        if (name == "RECNO") {
            want(0, 0);
            auto n = std::make_unique<RecnoNode>();
            n->type = ExprType::Number;
            return n;
        }
        if (name == "DELETED") {
            want(0, 0);
            auto n = std::make_unique<DeletedNode>();
            n->type = ExprType::Logical;
            return n;
        }
        if (name == "UPPER") {
            want(1, 1);
            if (a[0]->type != ExprType::Text) fail("UPPER vuole un testo");
            auto n = std::make_unique<UpperNode>();
            n->type = ExprType::Text;
            n->width = a[0]->width;
            n->a = std::move(a[0]);
            return n;
        }
        if (name == "DTOS") {
            want(1, 1);
            if (a[0]->type != ExprType::Date) fail("DTOS vuole una data");
            auto n = std::make_unique<DtosNode>();
            n->type = ExprType::Text;
            n->width = 8;
            n->a = std::move(a[0]);
            return n;
        }
        if (name == "STR") {
            want(1, 3);
            if (a[0]->type != ExprType::Number) fail("STR vuole un numero");
            auto n = std::make_unique<StrNode>();
            n->type = ExprType::Text;
            n->width = 10;
            bool ok = true;
            if (a.size() > 1) n->width = constInt(a[1], ok);
            if (ok && a.size() > 2) n->decimals = constInt(a[2], ok);
            if (!ok || n->width < 1 || n->width > 240 || n->decimals < 0 || n->decimals >= n->width)
                fail("lunghezze di STR");
            n->a = std::move(a[0]);
            return n;
        }
        fail("funzione sconosciuta " + name);
    }

    NodeP field(const std::string& name)
    {
        for (const auto& f : fields_) {
            if (f.name != name) continue;
            auto n = std::make_unique<FieldNode>();
            n->offset = f.offset;
            n->width = f.width;
            switch (f.type) {
            case 'N':
            case 'F': n->type = ExprType::Number; break;
            case 'D': n->type = ExprType::Date; break;
            case 'L': n->type = ExprType::Logical; break;
            case 'M': fail("campo memo in una chiave: " + name);
            default: n->type = ExprType::Text;
            }
            return n;
        }
        fail("campo sconosciuto " + name);
    }

    NodeP primary()
    {
        skip();
        if (p_ >= s_.size()) fail("fine inattesa");
        char c = s_[p_];
        if (c == '(') {
            ++p_;
            NodeP n = expr();
            if (!eat(')')) fail("manca \")\"");
            return n;
        }
        if (c == '"' || c == '\'') {
            size_t end = s_.find(c, p_ + 1);
            if (end == std::string_view::npos) fail("testo non chiuso");
            auto n = std::make_unique<TextLit>();
            n->type = ExprType::Text;
            n->v = std::string(s_.substr(p_ + 1, end - p_ - 1));
            n->width = int(n->v.size());
            p_ = end + 1;
            return n;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') {
            size_t b = p_;
            while (p_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[p_])) || s_[p_] == '.')) ++p_;
            auto n = std::make_unique<NumLit>();
            n->type = ExprType::Number;
            n->v = DbfTable::parseNumber(s_.substr(b, p_ - b));
            return n;
        }
        std::string name = ident();
        if (name.empty()) fail("carattere inatteso");
        if (eat('(')) return function(name);
        if (eatArrow()) {
            std::string f = ident();
            if (f.empty()) fail("manca il nome del campo dopo \"->\"");
            if (name != "FIELD" && !alias_.empty() && name != alias_) fail("alias sconosciuto " + name);
            return field(f);
        }
        return field(name);
    }

    std::string_view s_;
    size_t p_ = 0;
    const std::vector<FieldInfo>& fields_;
    std::string alias_;
};

} // namespace

std::string stripFieldPrefix(std::string_view expr)
{
    std::string out;
    size_t i = 0;
    while (i < expr.size()) {
        // "FIELD", blanks, "->", blanks, at a word start.
        bool wordStart = i == 0 || !(std::isalnum(static_cast<unsigned char>(expr[i - 1])) || expr[i - 1] == '_');
        if (wordStart && i + 5 <= expr.size() && upperAscii(expr.substr(i, 5)) == "FIELD") {
            size_t j = i + 5;
            while (j < expr.size() && expr[j] == ' ') ++j;
            if (expr.substr(j, 2) == "->") {
                j += 2;
                while (j < expr.size() && expr[j] == ' ') ++j;
                i = j;
                continue;
            }
        }
        out += expr[i++];
    }
    return out;
}

KeyExpr::KeyExpr() = default;
KeyExpr::~KeyExpr() = default;
KeyExpr::KeyExpr(KeyExpr&&) noexcept = default;
KeyExpr& KeyExpr::operator=(KeyExpr&&) noexcept = default;

KeyExpr KeyExpr::compile(std::string_view text, const std::vector<FieldInfo>& fields, std::string_view alias)
{
    KeyExpr k;
    k.text_ = std::string(text);
    k.root_ = Parser(text, fields, alias).parse();
    if (k.root_->type == ExprType::Text && (k.root_->width < 1 || k.root_->width > 240))
        throw reportError("chiave di lunghezza non valida: " + k.text_, {}, "index");
    return k;
}

const std::string& KeyExpr::text() const { return text_; }
ExprType KeyExpr::type() const { return root_->type; }

KeyType KeyExpr::keyType() const
{
    return root_->type == ExprType::Number || root_->type == ExprType::Date ? KeyType::Numeric : KeyType::Character;
}

int KeyExpr::keyLength() const
{
    switch (root_->type) {
    case ExprType::Text: return root_->width;
    case ExprType::Logical: return 1;
    default: return 8;
    }
}

void KeyExpr::evalKey(const char* rec, uint32_t recno, char* out) const
{
    Ctx c{rec, recno};
    switch (root_->type) {
    case ExprType::Text: {
        thread_local std::string buf;
        buf.clear();
        root_->text(c, buf);
        size_t w = size_t(root_->width), n = std::min(buf.size(), w);
        std::memcpy(out, buf.data(), n);
        std::memset(out + n, ' ', w - n);
        return;
    }
    case ExprType::Number: encodeNumberKey(root_->number(c), out); return;
    case ExprType::Date: encodeNumberKey(double(root_->date(c)), out); return;
    case ExprType::Logical: out[0] = root_->logical(c) ? 'T' : 'F'; return;
    }
}

bool KeyExpr::evalLogical(const char* rec, uint32_t recno) const
{
    if (root_->type != ExprType::Logical) throw reportError("l'espressione non è logica: " + text_, {}, "index");
    return root_->logical({rec, recno});
}

double KeyExpr::evalNumber(const char* rec, uint32_t recno) const
{
    if (root_->type == ExprType::Date) return double(root_->date({rec, recno}));
    if (root_->type != ExprType::Number) throw reportError("l'espressione non è numerica: " + text_, {}, "index");
    return root_->number({rec, recno});
}

std::string KeyExpr::evalText(const char* rec, uint32_t recno) const
{
    if (root_->type != ExprType::Text) throw reportError("l'espressione non è un testo: " + text_, {}, "index");
    std::string s;
    root_->text({rec, recno}, s);
    return s;
}

IndexKeyer::IndexKeyer(CdxIndex& index, const std::vector<FieldInfo>& fields, std::string_view alias)
    : key_(KeyExpr::compile(index.keyExpression(), fields, alias))
{
    if (!index.forExpression().empty()) {
        for_ = KeyExpr::compile(index.forExpression(), fields, alias);
        hasFor_ = true;
    }
    index.setKeyType(key_.keyType());
    condition_ = index.condition();
}

IndexKeyer::IndexKeyer(KeyExpr key, std::string_view forText, const std::vector<FieldInfo>& fields,
                       CdxIndex::Condition condition)
    : key_(std::move(key)), condition_(std::move(condition))
{
    if (!forText.empty()) {
        for_ = KeyExpr::compile(forText, fields);
        hasFor_ = true;
    }
}

bool IndexKeyer::keyFor(const char* rec, uint32_t recno, std::string& out) const
{
    if (condition_) {
        if (!condition_(rec, recno)) return false;
    } else if (hasFor_ && !for_.evalLogical(rec, recno)) {
        return false;
    }
    out.resize(size_t(key_.keyLength()));
    key_.evalKey(rec, recno, out.data());
    return true;
}

} // namespace velt::data
