// The command table of the main window.
#include "shell/app/commands.h"

#include "data/backup.h"
#include "data/manutenz.h"
#include "reference/reference.h"
#include "shell/app/infos.h"
#include "ui/errorsys.h"
#include "ui/popmsg.h"
#include "util/errors.h"

namespace velt::shell {

void PARAMETRI(); // parametr.cpp

namespace {

std::map<std::string, Command> programCommands()
{
    std::map<std::string, Command> c;
    for (const char* name : {"ARTICOLI", "CARICO", "SCARICO", "CANCELLA", "FORNITORI", "TIPI1", "TIPI2", "TIPI3",
                             "TIPI4", "TIPI5", "TIPI6", "ETICHETTE", "VARIE", "RIEPCARICO", "RIEPSCARICO",
                             "INVENTARIO", "INVGRUPPO", "BARRE", "STAMPANTE"})
        c[name] = NOTYETAVAILABLE;
    c["MANUTENZIONE"] = [] { data::MANUTENZIONE(true); };
    c["SALVATAGGIO"] = [] { data::SALVA(); };
    c["RIPRISTINO"] = [] { data::RICARICA(); };
    c["PARAMETRI"] = PARAMETRI;
    c["FORNITORI"] = FORNITORI;
    for (int level = 1; level <= 6; ++level) c["TIPI" + std::to_string(level)] = [level] { TIPI(level); };
    c["INFOS"] = [] { INFOS(kProgramTitle, kProgramVersion); };
    return c;
}

} // namespace

std::map<std::string, Command>& commands()
{
    static std::map<std::string, Command> table = programCommands();
    return table;
}

void NOTYETAVAILABLE() { POPMSG("Funzione non ancora disponibile.", 1); }

void RUNCOMMAND(const std::string& name)
{
    RECOVER([&] {
        auto it = commands().find(name);
        if (it == commands().end() || !it->second) throw reportError("Comando sconosciuto: " + name);
        it->second();
    });
}

} // namespace velt::shell
