#pragma once
// The key expressions the system stores in its index files and builds for
// its views: field names (case-insensitive, also "FIELD -> name" and
// "alias->name"), text literals ('..' or ".."), number literals, "+" (text
// concatenation or number addition), RECNO(), UPPER(), DTOS(),
// STR(n[,len[,dec]]), DELETED() and "!". Compiled once against a table's
// fields, evaluated over a record buffer and its record number into key
// bytes: text keys are the raw Windows-1252 bytes (fixed length), number and
// date keys the 8-byte encoding of cdx.h. Unknown names, bad syntax and type
// mismatches throw a VeltError (reportError) naming the expression.
#include "data/cdx.h"
#include "data/dbf.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velt::data {

enum class ExprType { Text, Number, Date, Logical };

// Removes every "FIELD -> " (and "FIELD->", any case, any blanks around the
// arrow) from a key text: the form the index files store.
std::string stripFieldPrefix(std::string_view expr);

class KeyExpr {
public:
    KeyExpr();
    ~KeyExpr();
    KeyExpr(KeyExpr&&) noexcept;
    KeyExpr& operator=(KeyExpr&&) noexcept;

    // `alias`: the table's alias; "alias->name" must name it or FIELD
    // (empty alias: any alias is accepted for this table's fields).
    static KeyExpr compile(std::string_view text, const std::vector<FieldInfo>& fields,
                           std::string_view alias = {});

    const std::string& text() const;
    ExprType type() const;
    // Key type and length of the key bytes: Text -> Character with the
    // expression's fixed width; Number/Date -> Numeric, 8; Logical -> Character, 1.
    KeyType keyType() const;
    int keyLength() const;

    // Writes keyLength() bytes for the record into out.
    void evalKey(const char* rec, uint32_t recno, char* out) const;
    // Typed results (the expression must be of that type).
    bool evalLogical(const char* rec, uint32_t recno) const;
    double evalNumber(const char* rec, uint32_t recno) const;
    std::string evalText(const char* rec, uint32_t recno) const;   // raw bytes

    struct Node;

private:
    std::unique_ptr<Node> root_;
    std::string text_;
};

// What an index needs to keep itself up to date: the compiled key, the
// compiled FOR condition (or the view's in-memory condition, which wins) and
// a scratch key buffer. keyFor() gives false when the record carries no key.
class IndexKeyer {
public:
    IndexKeyer() = default;
    // Compiles key and FOR texts of the index against the table's fields and
    // sets the index's key type.
    IndexKeyer(CdxIndex& index, const std::vector<FieldInfo>& fields, std::string_view alias = {});
    IndexKeyer(KeyExpr key, std::string_view forText, const std::vector<FieldInfo>& fields,
               CdxIndex::Condition condition = {});

    const KeyExpr& key() const { return key_; }
    bool hasFor() const { return hasFor_; }
    // True when the record carries a key; then `out` (keyLength() bytes) holds it.
    bool keyFor(const char* rec, uint32_t recno, std::string& out) const;
    void setCondition(CdxIndex::Condition c) { condition_ = std::move(c); }

private:
    KeyExpr key_;
    KeyExpr for_;
    bool hasFor_ = false;
    CdxIndex::Condition condition_;
};

} // namespace velt::data
