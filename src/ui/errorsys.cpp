#include "ui/errorsys.h"

#include "platform/msgboxes.h"
#include "platform/process_exit.h"
#include "platform/shellopen.h"
#include "ui/popmsg.h"
#include "util/strfmt.h"

namespace velt {

namespace {

bool& netErr()
{
    static bool f = false;
    return f;
}

enum class Row { Message, Continue, SoftFail, Report };

struct Decision {
    Row row;
    std::string message; // for Row::Message
};

Decision decide(const VeltError& e, bool softOk)
{
    const std::string FILE = UPPER(e.file());
    namespace os = oscode;
    const int osc = e.osCode(), sub = e.subCode(), gen = e.genCode();
    auto msg = [](std::string m) { return Decision{Row::Message, std::move(m)}; };
    if (osc == os::NotReady) return msg("Disco " + FILE + " non pronto.");
    if (osc == os::BadMedium || osc == 31) return msg("Disco " + FILE + " non formattato.");
    if (osc == os::WriteProtected) return msg("Disco " + FILE + " protetto da scrittura.");
    if (osc == os::DirectoryFull) return msg("Directory " + FILE + " piena.");
    if (sub == subcode::DiskFull) return msg("Spazio sul disco " + FILE + " insufficiente.");
    if (osc == os::AccessDenied) return msg("Impossibile accedere al file " + FILE + ".");
    if (osc == os::PathNotFound) return msg("Percorso " + FILE + " non trovato.");
    if (osc == os::FileNotFound) return msg("Impossibile aprire il file " + FILE + ".");
    if (sub == subcode::Corrupted || gen == gencode::Corrupted) return msg("Il file " + FILE + " risulta corrotto.");
    if (gen == gencode::Report) return msg(errorReportText(e));
    if (gen == gencode::ZeroDivide) return {Row::Continue, {}};
    if (softOk && gen == gencode::OpenFailed && osc == os::SharingViolation) return {Row::SoftFail, {}};
    if (softOk && gen == gencode::AppendLock) return {Row::SoftFail, {}};
    return {Row::Report, {}};
}

// "velt::ErrorAction velt::TDIALOG::ACTIVATE(int)" -> "TDIALOG::ACTIVATE"
std::string routineName(const char* signature)
{
    std::string s = signature ? signature : "";
    size_t paren = s.find('(');
    if (paren == std::string::npos) paren = s.size();
    int depth = 0;
    size_t start = 0;
    for (size_t i = paren; i-- > 0;) {
        char c = s[i];
        if (c == '>') ++depth;
        else if (c == '<') --depth;
        else if (c == ' ' && depth == 0) {
            start = i + 1;
            break;
        }
    }
    std::string name = s.substr(start, paren - start);
    for (const char* ns : {"velt::", "{anonymous}::"})
        while (name.rfind(ns, 0) == 0) name.erase(0, std::string(ns).size());
    return name.empty() ? "???" : name;
}

void replaceAll(std::string& s, const std::string& from, const std::string& to)
{
    for (size_t p = 0; (p = s.find(from, p)) != std::string::npos; p += to.size()) s.replace(p, from.size(), to);
}

// Characters that would end or garble the body of the address: "%" would
// start a false escape and "#" would cut the body off.
std::string escapeForMail(std::string s)
{
    replaceAll(s, "%", "%25");
    replaceAll(s, "&", "%26");
    replaceAll(s, "#", "%23");
    return s;
}

[[noreturn]] void reportAndEnd(const std::string& report)
{
    runBeforeErrorMessageHook();
    Value ok = POPMSG(report + ";;Inviare rapporto di errore via email?", 2);
    if (ok.logical()) platform::shell().open(errorMailAddress(report, platform::programPath()));
    platform::endProgram(1);
    // Only a test's program end comes back here: unwind the command.
    throw Abandon{};
}

} // namespace

bool NETERR() { return netErr(); }
void NETERR(bool flag) { netErr() = flag; }

std::string errorMessage(const VeltError& e)
{
    Decision d = decide(e, true);
    return d.row == Row::Message ? d.message : std::string();
}

std::string errorReportText(const VeltError& e)
{
    std::string t = e.severe() ? "Error " : "Warning ";
    t += e.subsystem().empty() ? "???" : e.subsystem();
    t += "/";
    t += e.subCode() ? std::to_string(e.subCode()) : "???";
    if (!e.description().empty()) t += "  " + e.description();
    if (!e.file().empty()) t += ": " + e.file();
    else if (!e.operation().empty()) t += ": " + e.operation();
    t += ";Function: " + routineName(e.where().function_name()) + "  Line: " + std::to_string(e.where().line());
    return t;
}

std::string errorMailAddress(const std::string& reportText, const std::string& programPath)
{
    std::string body = escapeForMail(reportText);
    replaceAll(body, ";", "%0d%0a");
    return "mailto:?subject=Rapporto di errore&body=Applicazione: " + escapeForMail(programPath) + "%0d%0a%0d%0a" + body;
}

ErrorAction DEFERROR(const VeltError& e, bool softOk)
{
    Decision d = decide(e, softOk);
    switch (d.row) {
    case Row::Message:
        runBeforeErrorMessageHook();
        POPMSG(d.message, 1);
        throw Abandon{};
    case Row::Continue: return ErrorAction::Continue;
    case Row::SoftFail: NETERR(true); return ErrorAction::SoftFail;
    case Row::Report: break;
    }
    reportAndEnd(errorReportText(e));
}

void DEFERROR(const std::exception& e, std::source_location where)
{
    if (auto* v = dynamic_cast<const VeltError*>(&e)) {
        DEFERROR(*v);
        throw Abandon{}; // it let the work go on, but that work has already unwound
    }
    reportAndEnd(errorReportText(VeltError(e.what(), {}, {}, {}, "VELT", true, where)));
}

bool RECOVER(const std::function<void()>& body, std::source_location where)
{
    try {
        body();
        return true;
    } catch (const platform::ScriptError&) {
        throw;
    } catch (const Abandon&) {
        return false;
    } catch (const VeltError& e) {
        try {
            DEFERROR(e);
        } catch (const Abandon&) {
        }
        return false;
    } catch (const std::exception& e) {
        try {
            DEFERROR(e, where);
        } catch (const Abandon&) {
        }
        return false;
    } catch (...) {
        try {
            reportAndEnd(errorReportText(VeltError("unknown exception", {}, {}, {}, "VELT", true, where)));
        } catch (const Abandon&) {
        }
        return false;
    }
}

std::exception_ptr guardEvent(const std::function<void()>& body)
{
    try {
        body();
        return nullptr;
    } catch (const platform::ScriptError&) {
        return std::current_exception();
    } catch (const VeltError& e) {
        try {
            DEFERROR(e);
            return nullptr;
        } catch (...) {
            return std::current_exception();
        }
    } catch (...) {
        return std::current_exception();
    }
}

} // namespace velt
