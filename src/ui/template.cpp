// Reading dialog templates (format in template.h).
#include "ui/template.h"

#include "util/errors.h"

#include <QFile>

#include <cctype>
#include <charconv>
#include <mutex>

static void initVeltResources()
{
    // The resources live in a static library: make sure they are registered.
    Q_INIT_RESOURCE(velt_resources);
}

namespace velt {

namespace {

std::vector<std::string>& directories()
{
    static std::vector<std::string> dirs;
    return dirs;
}

// Splits one line into words; quoted texts become one word (unquoted).
// `quoted[i]` tells whether word i was a quoted text.
struct Words {
    std::vector<std::string> w;
    std::vector<bool> quoted;
};

bool splitLine(std::string_view line, Words& out, std::string& err)
{
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') { ++i; continue; }
        if (c == '"') {
            std::string s;
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '\\' && i < line.size()) { s += line[i++]; continue; }
                if (d == '"') { closed = true; break; }
                s += d;
            }
            if (!closed) { err = "testo senza virgolette di chiusura"; return false; }
            out.w.push_back(std::move(s));
            out.quoted.push_back(true);
        } else {
            size_t j = i;
            while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
            out.w.emplace_back(line.substr(i, j - i));
            out.quoted.push_back(false);
            i = j;
        }
    }
    return true;
}

bool toNumber(const std::string& s, long long& v)
{
    std::string_view t = s;
    bool neg = false;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) { neg = t[0] == '-'; t.remove_prefix(1); }
    int base = 10;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) { base = 16; t.remove_prefix(2); }
    if (t.empty()) return false;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v, base);
    if (ec != std::errc() || p != t.data() + t.size()) return false;
    if (neg) v = -v;
    return true;
}

} // namespace

const TemplateItem* DialogTemplate::item(int id) const
{
    int i = indexOf(id);
    return i < 0 ? nullptr : &items[size_t(i)];
}

int DialogTemplate::indexOf(int id) const
{
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].id == id) return int(i);
    return -1;
}

DialogTemplate parseTemplate(std::string_view text, const std::string& name)
{
    DialogTemplate t;
    t.name = name;
    bool haveDialog = false;
    int lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string_view::npos) nl = text.size();
        std::string_view line = text.substr(pos, nl - pos);
        pos = nl + 1;
        ++lineNo;

        Words ws;
        std::string err;
        auto fail = [&](const std::string& why) {
            return corruptFile(name + ".tpl", "riga " + std::to_string(lineNo) + ": " + why);
        };
        if (!splitLine(line, ws, err)) throw fail(err);
        if (ws.w.empty() || (!ws.quoted[0] && ws.w[0][0] == '#')) continue;

        const std::string& kw = ws.w[0];
        auto num = [&](size_t i) {
            long long v = 0;
            if (i >= ws.w.size() || ws.quoted[i] || !toNumber(ws.w[i], v))
                throw fail("numero atteso al posto " + std::to_string(i));
            return v;
        };
        auto str = [&](size_t i) {
            if (i >= ws.w.size() || !ws.quoted[i]) throw fail("testo tra virgolette atteso al posto " + std::to_string(i));
            return ws.w[i];
        };
        auto count = [&](size_t n) {
            if (ws.w.size() != n) throw fail(kw + ": " + std::to_string(n - 1) + " valori attesi");
        };

        if (kw == "DIALOG") {
            count(5);
            t.x = int(num(1)); t.y = int(num(2)); t.w = int(num(3)); t.h = int(num(4));
            haveDialog = true;
        } else if (kw == "TITLE") {
            count(2);
            t.title = str(1);
        } else if (kw == "STYLE") {
            count(2);
            t.style = uint32_t(num(1));
        } else if (kw == "FONT") {
            count(3);
            t.fontFace = str(1);
            t.fontPoints = int(num(2));
        } else if (kw == "ITEM") {
            if (!haveDialog) throw fail("ITEM prima di DIALOG");
            count(9);
            TemplateItem it;
            it.id = int(num(1));
            if (ws.quoted[2]) throw fail("classe attesa");
            it.className = ws.w[2];
            it.text = str(3);
            it.x = int(num(4)); it.y = int(num(5)); it.w = int(num(6)); it.h = int(num(7));
            it.style = uint32_t(num(8));
            t.items.push_back(std::move(it));
        } else {
            throw fail("parola sconosciuta " + kw);
        }
    }
    if (!haveDialog) throw corruptFile(name + ".tpl", "manca DIALOG");
    return t;
}

std::optional<DialogTemplate> loadTemplate(const std::string& name)
{
    static std::once_flag once;
    std::call_once(once, initVeltResources);

    std::vector<QString> candidates;
    const auto& dirs = directories();
    for (auto it = dirs.rbegin(); it != dirs.rend(); ++it)
        candidates.push_back(QString::fromStdString(*it + "/" + name + ".tpl"));
    candidates.push_back(QString::fromStdString(":/templates/" + name + ".tpl"));

    for (const QString& path : candidates) {
        QFile f(path);
        if (!f.exists()) continue;
        if (!f.open(QIODevice::ReadOnly))
            throw fileError(oscode::AccessDenied, path.toStdString(), "lettura modello");
        QByteArray bytes = f.readAll();
        return parseTemplate(std::string_view(bytes.constData(), size_t(bytes.size())), name);
    }
    return std::nullopt;
}

void addTemplateDirectory(const std::string& dir) { directories().push_back(dir); }
void clearTemplateDirectories() { directories().clear(); }

} // namespace velt
