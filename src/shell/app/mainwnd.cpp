// The main window: menu, button bar, message bar, initialisation, MAIN.
#include "shell/app/mainwnd.h"

#include "data/createdb.h"
#include "platform/process_exit.h"
#include "shell/app/commands.h"
#include "shell/app/settings.h"
#include "shell/app/tempdir.h"
#include "ui/bar.h"
#include "ui/btnbmp.h"
#include "ui/errorsys.h"
#include "ui/menu.h"
#include "ui/syscolor.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace velt::shell {

const std::vector<MenuSpec>& mainMenus()
{
    static const std::vector<MenuSpec> menus = {
        {"Modifica",
         {
             {"Articoli...", "Gestione articoli", "ARTICOLI"},
             {"Carico...", "Gestione carico articoli", "CARICO"},
             {"Scarico...", "Gestione scarico articoli", "SCARICO"},
             {"Cancella...", "Cancellazione movimenti", "CANCELLA"},
             {},
             {"Fornitori...", "Gestione fornitori", "FORNITORI"},
             {"Tipi - Livello 1...", "Gestione tipi merceologici - Livello 1", "TIPI1"},
             {"Tipi - Livello 2...", "Gestione tipi merceologici - Livello 2", "TIPI2"},
             {"Tipi - Livello 3...", "Gestione tipi merceologici - Livello 3", "TIPI3"},
             {"Tipi - Livello 4...", "Gestione tipi merceologici - Livello 4", "TIPI4"},
             {"Tipi - Livello 5...", "Gestione tipi merceologici - Livello 5", "TIPI5"},
             {"Tipi - Livello 6...", "Gestione tipi merceologici - Livello 6", "TIPI6"},
             {},
             {"Lista etichette...", "Gestione lista etichette da stampare", "ETICHETTE"},
             {},
             {"Varie...", "Gestione informazioni varie", "VARIE"},
             {},
             {"Parametri...", "Impostazione parametri", "PARAMETRI"},
         }},
        {"Visualizza",
         {
             {"Riepilogo carico...", "Stampa riepilogo carico", "RIEPCARICO"},
             {"Riepilogo scarico...", "Stampa riepilogo scarico", "RIEPSCARICO"},
             {"Inventario...", "Stampa inventario", "INVENTARIO"},
             {"Inventario per gruppo...", "Stampa inventario per gruppo merceologico", "INVGRUPPO"},
             {"Codici a barre...", "Stampa codici a barre", "BARRE"},
         }},
        {"Servizio",
         {
             {"Manutenzione archivi...", "Compatta gli archivi e ricostruisce gli indici", "MANUTENZIONE"},
             {},
             {"Imposta stampante...", "Seleziona la stampante", "STAMPANTE"},
             {},
             {"Salvataggio dati...", "Salva tutti gli archivi", "SALVATAGGIO"},
             {"Ripristino dati...", "Ricarica tutti gli archivi", "RIPRISTINO"},
         }},
        {"?",
         {
             {"Informazioni", "Visualizza informazioni sul programma", "INFOS"},
         }},
    };
    return menus;
}

const std::vector<BarButton>& mainBarButtons()
{
    static const std::vector<BarButton> buttons = {
        {"ARTICOLI", "Articoli", "Articoli", false, "ARTICOLI"},
        {"CARICO", "Carico", "Carico", true, "CARICO"},
        {"SCARICO", "Scarico", "Scarico", false, "SCARICO"},
        {"CANCELLA", "Cancella", "Cancella movimenti", false, "CANCELLA"},
        {"RIEPCARICO", "Carico", "Riepilogo carico", true, "RIEPCARICO"},
        {"RIEPSCARICO", "Scarico", "Riepilogo scarico", false, "RIEPSCARICO"},
        {"BARRE", "Barre", "Codici a barre", true, "BARRE"},
        {"ETICHETTE", "Etichette", "Lista etichette", false, "ETICHETTE"},
    };
    return buttons;
}

std::shared_ptr<TMENU> BUILDMENU()
{
    auto bar = TMENU::NEW();
    for (const auto& menu : mainMenus()) {
        MENUADD(TMENUITEM::NEW(menu.title));
        for (const auto& line : menu.lines) {
            if (line.prompt.empty()) {
                MENUADD(TMENUITEM::NEW());
                continue;
            }
            MENUADD(TMENUITEM::NEW(line.prompt, line.message, false,
                                   [command = line.command](TMENUITEM&) { RUNCOMMAND(command); }));
        }
        TMENU::ENDMENU();
    }
    TMENU::ENDMENU();
    return bar;
}

std::unique_ptr<TWINDOW> BUILDMAINWINDOW()
{
    auto menu = BUILDMENU();
    // Before it is maximised (and where no window manager maximises it) the
    // window covers the screen's free area.
    QRect screen(0, 0, 1024, 768);
    if (QScreen* s = QGuiApplication::primaryScreen()) screen = s->availableGeometry();
    auto wnd = std::make_unique<TWINDOW>(TWINDOW::NewArgs{
        .top = screen.top(),
        .left = screen.left(),
        .bottom = screen.bottom() + 1,
        .right = screen.right() + 1,
        .title = "VELT - Gestione Articoli",
        .menu = menu,
        .icon = "ICONA",
        .clrText = GETSYSCOLOR(syscolor::WINDOWTEXT),
        .clrPane = GETSYSCOLOR(syscolor::APPWORKSPACE),
        .messageBar = true,
    });
    auto bar = TBAR::NEW(*wnd, 55, 60, "TOP", {}, true, 60);
    for (const auto& b : mainBarButtons())
        TBTNBMP::NEWBAR({.resource = b.bitmap,
                         .action = [command = b.command](TBTNBMP&) { RUNCOMMAND(command); },
                         .group = b.group,
                         .bar = bar.get(),
                         .tooltip = b.tooltip,
                         .caption = b.caption});
    return wnd;
}

namespace {

TableCheck& tableCheck()
{
    // The data layer's check ends the program itself when it fails.
    static TableCheck check = [] { return data::AGGIORNADATABASE(); };
    return check;
}

} // namespace

void setTableCheck(TableCheck check) { tableCheck() = std::move(check); }

bool INITMAINWINDOW(TWINDOW& wnd)
{
    // A failed check has ended the program itself; a private directory that
    // cannot be made ends it here (no sale without its scratch table).
    bool ready = false;
    RECOVER([&] { ready = tableCheck()(); });
    if (ready && !RECOVER([] { USER(); })) {
        ready = false;
        platform::endProgram(1);
    }
    // Only under tests does the end return: the window goes as well, once its
    // event loop runs.
    if (!ready && wnd.HWND) QTimer::singleShot(0, wnd.HWND, [&wnd] { wnd.END(); });
    return ready;
}

int MAIN()
{
    if (!LOADSETTINGS()) return 1;
    auto wnd = BUILDMAINWINDOW();
    bool ready = true;
    wnd->ACTIVATE({.show = "MAXIMIZED", .init = [&](TWINDOW& w) { ready = INITMAINWINDOW(w); }});
    return ready ? 0 : 1;
}

} // namespace velt::shell
