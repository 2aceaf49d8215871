// velt_demodata DIR: makes DIR a data directory VELT can start in: every
// table of the catalogue with its index files (through the table layer's
// own check, exactly as the program's start-up makes them), the system lock
// table and a new "VELT.CFG". An existing directory keeps its data: only
// what is missing is added. Exit code 0 on success; failures are printed.
#include "data/createdb.h"
#include "data/notify.h"
#include "data/tables.h"
#include "shell/config/saveto.h"
#include "util/errors.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "uso: velt_demodata CARTELLA\n");
        return 2;
    }
    std::error_code ec;
    std::filesystem::create_directories(argv[1], ec);
    std::filesystem::current_path(argv[1], ec);
    if (ec) {
        std::fprintf(stderr, "velt_demodata: %s: %s\n", argv[1], ec.message().c_str());
        return 1;
    }
    auto* notes = new velt::data::RecordingNotifier();
    velt::data::setNotifier(std::unique_ptr<velt::data::Notifier>(notes));
    try {
        velt::MKCFG();
        bool ok = velt::data::AGGIORNADATABASE();
        velt::data::SCREATE();
        for (const auto& m : notes->messages()) std::fprintf(stderr, "velt_demodata: %s\n", m.c_str());
        if (!ok) return 1;
    } catch (const velt::VeltError& e) {
        std::fprintf(stderr, "velt_demodata: %s %s\n", e.description().c_str(), e.file().c_str());
        return 1;
    } catch (const velt::Abandon&) {
        for (const auto& m : notes->messages()) std::fprintf(stderr, "velt_demodata: %s\n", m.c_str());
        return 1;
    }
    std::printf("Cartella dati dimostrativa pronta: %s\n", std::filesystem::current_path().c_str());
    return 0;
}
